// Running a command line through the system's shell, for tests of the command-line tools:
// sh on Linux, cmd on Windows, which quote differently.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace qs::test {

// One word for the shell: single quotes for sh, double quotes for cmd (file names hold
// no quotes there).
inline std::string ShellQuoted(const std::string& word) {
#ifdef _WIN32
    return "\"" + word + "\"";
#else
    return "'" + word + "'";
#endif
}

// A program of the build, quoted for the shell.
inline std::string ShellProgram(const std::string& name) {
#ifdef _WIN32
    return ShellQuoted(std::filesystem::path(QS_BIN_DIR "/" + name + ".exe").make_preferred().string());
#else
    return ShellQuoted(QS_BIN_DIR "/" + name);
#endif
}

// The command's exit code; -1 when it did not exit normally.
inline int RunShellCommand(const std::string& command) {
#ifdef _WIN32
    // cmd /c drops the first and the last quote of a line that starts with one.
    return std::system(("\"" + command + "\"").c_str());
#else
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace qs::test
