// Windows: saving a file's bytes through a copy that the system's replace call puts in the
// old one's place, and a file's stamp; every name goes to the wide API.
#include "platform/file/FileContents.h"

#include "platform/WinText.h"

#include <random>

namespace qs {

namespace {

FileResult Failure(const std::string& what, DWORD error = ::GetLastError()) {
    return {false, what + ": " + SystemErrorText(error)};
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// Writes, flushes and closes; the error of the first step that failed, or 0.
DWORD WriteAndClose(HANDLE file, std::string_view bytes) {
    DWORD error = 0;
    if (!WriteAll(file, bytes) || !::SetEndOfFile(file) || !::FlushFileBuffers(file)) {
        error = ::GetLastError();
    }
    ::CloseHandle(file);
    return error;
}

// Overwrites the file itself, which keeps everything about it but its content.
FileResult WriteInPlace(const std::wstring& target, const std::string& name,
                        std::string_view bytes) {
    const HANDLE file = ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return Failure("Cannot write " + name);
    }
    if (const DWORD error = WriteAndClose(file, bytes); error != 0) {
        return Failure("Cannot write " + name, error);
    }
    return {true, {}};
}

// Errors after which the folder cannot take the new file but the old one may be writable.
bool NoReplaceHere(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT ||
           error == ERROR_NOT_SAME_DEVICE || error == ERROR_SHARING_VIOLATION;
}

// What the system says about a file, opened with no access asked for, so that a file
// others hold open can still be examined.
bool FileInformation(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file = ::CreateFileW(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const BOOL ok = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    return ok != FALSE;
}

// The file a symbolic link names, so that saving replaces that file and keeps the link;
// the name itself for anything else, or where the link cannot be followed.
std::wstring FollowLinks(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    const HANDLE file = ::CreateFileW(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::wstring target(MAX_PATH, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(file, target.data(), MAX_PATH, FILE_NAME_NORMALIZED);
    if (n >= MAX_PATH) {
        target.resize(n);
        n = ::GetFinalPathNameByHandleW(file, target.data(), n, FILE_NAME_NORMALIZED);
    }
    ::CloseHandle(file);
    if (n == 0 || n >= target.size()) {
        return path;
    }
    target.resize(n);
    return target;
}

std::int64_t Nanoseconds(const FILETIME& time) {
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks) * 100;
}

} // namespace

FileResult SaveFileContents(const std::string& path, std::string_view bytes) {
    const std::wstring target = FollowLinks(Widen(path));
    BY_HANDLE_FILE_INFORMATION old{};
    const bool exists = FileInformation(target, old);
    if (exists && old.nNumberOfLinks > 1) {
        return WriteInPlace(target, path, bytes); // a new file would leave the other links behind
    }
    const std::size_t cut = target.find_last_of(L"\\/");
    const std::wstring folder = cut == std::wstring::npos ? std::wstring() : target.substr(0, cut + 1);
    // A hidden name of our own beside the file; a random part keeps two savers apart.
    thread_local std::mt19937 numbers{std::random_device{}()};
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        temp = folder + L"~qs" + std::to_wstring(numbers() & 0xFFFFFF) + L".tmp";
        file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_HIDDEN, nullptr);
        error = file == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    }
    if (file == INVALID_HANDLE_VALUE) {
        return exists && NoReplaceHere(error) ? WriteInPlace(target, path, bytes)
                                              : Failure("Cannot write a file beside " + path, error);
    }
    if (const DWORD written = WriteAndClose(file, bytes); written != 0) {
        ::DeleteFileW(temp.c_str());
        return Failure("Cannot write " + path, written);
    }
    // The replace call carries the old file's access list, attributes and creation time
    // over to the copy; a new file takes the folder's, as any file made there.
    const BOOL placed =
        exists ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               : ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (placed) {
        if (!exists) {
            ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        return {true, {}};
    }
    error = ::GetLastError();
    ::DeleteFileW(temp.c_str());
    return exists && NoReplaceHere(error) ? WriteInPlace(target, path, bytes)
                                          : Failure("Cannot replace " + path, error);
}

unsigned ProcessUmask() {
    return 0;
}

FileStamp StampOf(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!FileInformation(Widen(path), info)) {
        return {};
    }
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    stamp.modifiedNs = Nanoseconds(info.ftLastWriteTime);
    return stamp;
}

} // namespace qs
