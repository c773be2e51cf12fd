// The shell services on Windows, over the wide API: names and arguments are UTF-8 in the
// program and UTF-16 at the system, so no text passes through the ANSI code page.
#include "platform/shell/CommandLine.h"
#include "platform/shell/Shell.h"

#include "platform/WinText.h"

#include <shlobj.h>

#include <cstdio>
#include <random>

namespace qs {

namespace {

// Starts the program with the quoted command line; the caller closes both handles.
bool Spawn(const std::string& program, const std::vector<std::string>& arguments,
           STARTUPINFOW& startup, bool inheritHandles, DWORD flags, PROCESS_INFORMATION& process,
           DWORD& error) {
    const std::wstring application = Widen(program);
    // CreateProcessW may write into the command line, so it gets a buffer of its own.
    std::wstring line = Widen(BuildCommandLine(program, arguments));
    if (!::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, inheritHandles,
                          flags | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup,
                          &process)) {
        error = ::GetLastError();
        return false;
    }
    return true;
}

// The known-folder call, unlike the older folder-path one, has no MAX_PATH limit.
std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    const HRESULT found = ::SHGetKnownFolderPath(id, 0, nullptr, &path);
    std::string folder = SUCCEEDED(found) && path != nullptr ? Narrow(path) : std::string();
    ::CoTaskMemFree(path); // the call allocates even when it fails
    return folder;
}

} // namespace

StartResult StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    DWORD error = 0;
    // Detached from our console, so that closing it does not end the program.
    if (!Spawn(program, arguments, startup, FALSE, DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP,
               process, error)) {
        return {false, SystemErrorText(error)};
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return {true, {}};
}

std::string FindProgram(const std::string& name) {
    if (name.empty() || name.find_first_of("/\\:") != std::string::npos) {
        return {};
    }
    const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(size, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), size));
    // A name without an extension is the program file NAME.exe.
    std::wstring file = Widen(name);
    if (file.find(L'.') == std::wstring::npos) {
        file += L".exe";
    }
    std::wstring_view folders = path;
    while (true) {
        const std::size_t semicolon = folders.find(L';');
        std::wstring folder(folders.substr(0, semicolon));
        if (!folder.empty()) {
            if (folder.back() != L'\\' && folder.back() != L'/') {
                folder += L'\\';
            }
            const std::wstring candidate = folder + file;
            const DWORD attributes = ::GetFileAttributesW(candidate.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                return Narrow(candidate);
            }
        }
        if (semicolon == std::wstring_view::npos) {
            return {};
        }
        folders.remove_prefix(semicolon + 1);
    }
}

std::optional<std::string> ReadProgramOutput(const std::string& program,
                                             const std::vector<std::string>& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return std::nullopt;
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const HANDLE null = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                      0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = null;
    startup.hStdOutput = writeEnd;
    startup.hStdError = null;
    PROCESS_INFORMATION process{};
    DWORD error = 0;
    const bool started =
        Spawn(program, arguments, startup, TRUE, CREATE_NO_WINDOW, process, error);
    // Our copy of the write end must go, or the read below never sees the end.
    ::CloseHandle(writeEnd);
    if (null != INVALID_HANDLE_VALUE) {
        ::CloseHandle(null);
    }
    if (!started) {
        ::CloseHandle(readEnd);
        return std::nullopt;
    }
    ::CloseHandle(process.hThread);
    std::string output;
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        output.append(buffer, n);
    }
    ::CloseHandle(readEnd);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    if (code != 0) {
        return std::nullopt;
    }
    return output;
}

std::string ProgramFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return Narrow(path);
        }
        path.resize(path.size() * 2); // truncated: a long path
    }
}

std::string GetPersonalFolder() {
    return KnownFolder(FOLDERID_Documents);
}

std::string UserConfigFolder() {
    return KnownFolder(FOLDERID_RoamingAppData);
}

TempFileResult CreateTempFile(const std::string& prefix) {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) {
        const DWORD error = length == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
        return {{}, static_cast<int>(error), SystemErrorText(error)};
    }
    // A random start keeps concurrent processes from probing the same names in turn. The
    // user's temporary folder is the user's own, so the file inherits a private ACL.
    thread_local std::mt19937 numbers{std::random_device{}()};
    const std::wstring stem = Widen(prefix.substr(0, 3));
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        wchar_t hex[16];
        std::swprintf(hex, 16, L"%X", static_cast<unsigned>(numbers() & 0xFFFF));
        const std::wstring path = std::wstring(folder, length) + stem + hex + L".TMP";
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return {Narrow(path), 0, {}};
        }
        error = ::GetLastError();
    }
    return {{}, static_cast<int>(error), SystemErrorText(error)};
}

} // namespace qs
