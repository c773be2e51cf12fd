#include "about/ProgramSwitches.h"

#include <cstring>

namespace qs {

std::optional<int> AnswerInfoSwitch(int argc, const char* const* argv,
                                    const ProgramIdentity& program, std::string_view help,
                                    std::ostream& out) {
    if (argc < 2) {
        return std::nullopt;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        out << program.name << ' ' << program.version << '\n';
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
