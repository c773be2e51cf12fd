// Running a program of the build from the tests of the command-line tools, with its
// standard streams on files. Arguments are one command-line string, each word quoted with
// ShellQuoted: sh splits it on Linux, the program's own start-up code on Windows.
#pragma once

#include "support/TempDir.h"

#include <filesystem>
#include <string>

#ifdef _WIN32
#include "platform/WinText.h"
#else
#include <cstdlib>
#include <sys/wait.h>
#endif

namespace qs::test {

// One word of a command line: single quotes for sh, double quotes on Windows (file names
// hold no quotes there).
inline std::string ShellQuoted(const std::string& word) {
#ifdef _WIN32
    return "\"" + word + "\"";
#else
    return "'" + word + "'";
#endif
}

struct ProgramStreams {
    std::filesystem::path out;
    std::filesystem::path err; // empty: standard error goes to `out` too
    std::filesystem::path in;  // empty: no input
};

#ifdef _WIN32
namespace detail {

inline HANDLE OpenStream(const std::filesystem::path& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.empty() ? L"NUL" : path.wstring().c_str(),
                       write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace detail
#endif

// Runs the build's program `name` and returns its exit code: -1 when it did not exit
// normally or could not be started. On Windows the program is started directly, not
// through cmd, whose start of a program now and then fails under Wine ("Can't recognize
// ... as an internal or external command") although the same line works a moment later.
inline int RunProgram(const std::string& name, const std::string& arguments,
                      const ProgramStreams& streams) {
#ifdef _WIN32
    const std::filesystem::path exe =
        std::filesystem::path(QS_BIN_DIR "/" + name + ".exe").make_preferred();
    // Arguments are UTF-8, as the programs take them (name them through Utf8Path).
    std::wstring line = Widen(ShellQuoted(Utf8Path(exe)) + " " + arguments);
    HANDLE in = detail::OpenStream(streams.in, false);
    HANDLE out = detail::OpenStream(streams.out, true);
    HANDLE err = INVALID_HANDLE_VALUE;
    if (streams.err.empty()) {
        DuplicateHandle(GetCurrentProcess(), out, GetCurrentProcess(), &err, 0, TRUE,
                        DUPLICATE_SAME_ACCESS);
    } else {
        err = detail::OpenStream(streams.err, true);
    }
    int code = -1;
    if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
        STARTUPINFOW start{};
        start.cb = sizeof(start);
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdInput = in;
        start.hStdOutput = out;
        start.hStdError = err;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(exe.wstring().c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                           nullptr, &start, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD exitCode = 0;
            if (GetExitCodeProcess(process.hProcess, &exitCode)) {
                code = static_cast<int>(exitCode);
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    for (HANDLE h : {in, out, err}) {
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
    return code;
#else
    std::string command = ShellQuoted(QS_BIN_DIR "/" + name) + " " + arguments;
    if (!streams.in.empty()) {
        command += " < " + ShellQuoted(streams.in.string());
    }
    command += " > " + ShellQuoted(streams.out.string());
    command += streams.err.empty() ? " 2>&1" : " 2> " + ShellQuoted(streams.err.string());
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace qs::test
