#include "about/ProgramSwitches.h"

#include <cstring>

namespace qs {

namespace {

// The free software statement GNU programs print under their version line.
constexpr const char* kLicenceLines =
    "Copyright (C) 2026 Marrowgate\n"
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

} // namespace

std::optional<int> AnswerInfoSwitch(int argc, const char* const* argv,
                                    const ProgramIdentity& program, std::string_view help,
                                    std::ostream& out) {
    if (argc < 2) {
        return std::nullopt;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        out << program.name << ' ' << program.version << '\n' << kLicenceLines;
    } else if (std::strcmp(argv[1], "--help") == 0) {
        out << help << "  --help        show this help and exit\n"
            << "  --version     show the version and exit\n";
    } else {
        return std::nullopt;
    }
    out.flush();
    return out ? 0 : 1;
}

} // namespace qs
