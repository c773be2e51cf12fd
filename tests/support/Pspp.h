// PSPP from the tests that check our output against its own: whether it is installed, and
// a run of a syntax file with its text output in a file of the test's.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace qs::test {

inline bool HavePspp() {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (!dir.empty() && std::filesystem::exists(std::filesystem::path(dir) / "pspp")) {
            return true;
        }
    }
    return false;
}

// PSPP's exit code: 0 when the syntax ran without an error.
inline int RunPspp(const std::filesystem::path& syntax, const std::filesystem::path& output) {
    const std::string command = "pspp -O format=txt -o '" + output.string() + "' '" +
                                syntax.string() + "' > /dev/null 2>&1";
    return std::system(command.c_str());
}

} // namespace qs::test
