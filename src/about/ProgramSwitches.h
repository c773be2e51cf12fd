// The two switches every program answers before it does anything else: "--version" and
// "--help". Each counts only as the whole first argument, and the answer goes to
// standard output, so that scripts and packaging tools can ask without a display.
#pragma once

#include <optional>
#include <ostream>
#include <string_view>

namespace qs {

struct ProgramIdentity {
    const char* name;
    const char* version;
};

// The running program's name and version. Defined in the program's generated version
// record (cmake/VersionRecord.cpp.in), from the same values as the record itself.
const ProgramIdentity& ThisProgram();

// When the first argument is "--version" or "--help": writes the version line with the
// licence lines under it, or
// `help` followed by the lines of these two switches, to `out` and gives the exit code.
// Otherwise nothing, and the program goes on with its own arguments.
std::optional<int> AnswerInfoSwitch(int argc, const char* const* argv,
                                    const ProgramIdentity& program, std::string_view help,
                                    std::ostream& out);

} // namespace qs
