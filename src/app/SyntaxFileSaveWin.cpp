// Saving a file's bytes on Windows without losing the old text: a copy in the same folder is
// written and flushed, then put in the old file's place by the system's replace call, which
// gives it the old file's access list, attributes and creation time. Where the folder takes
// no new file, the old file is written in place. Names are UTF-8, the calls wide.
#include "app/SyntaxFile.h"

#include "platform/WinText.h"

#include <filesystem>
#include <random>

namespace qs {

namespace {

FileResult Failure(const std::string& what, DWORD error = ::GetLastError()) {
    return {false, what + ": " + SystemErrorText(error)};
}

// Writes all bytes to a file opened for writing; false with the last error set.
bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return ::FlushFileBuffers(file) != 0;
}

FileResult WriteTo(const std::wstring& name, DWORD disposition, std::string_view bytes,
                   const std::string& shown) {
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return Failure("Cannot write " + shown);
    }
    const bool ok = WriteAll(file, bytes);
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    return ok ? FileResult{true, {}} : Failure("Cannot write " + shown, error);
}

} // namespace

FileResult SaveFileContents(const std::string& path, std::string_view bytes) {
    const std::wstring target = Widen(path);
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    thread_local std::mt19937 numbers{std::random_device{}()};
    const std::wstring temp = (folder / (L"~" + std::filesystem::path(target).filename().wstring() +
                                         L"." + std::to_wstring(numbers() & 0xFFFFFF) + L".tmp"))
                                  .wstring();
    const FileResult copy = WriteTo(temp, CREATE_NEW, bytes, path);
    if (!copy.ok) {
        ::DeleteFileW(temp.c_str());
        // A folder that takes no new file may still let the old one be written.
        return exists ? WriteTo(target, TRUNCATE_EXISTING, bytes, path) : copy;
    }
    if (exists) {
        // Given to the copy itself as well: not every replace call carries them over.
        ::SetFileAttributesW(temp.c_str(),
                             attributes &
                                 (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    }
    const BOOL placed = exists
                            ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                            : ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!placed) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temp.c_str());
        return Failure("Cannot replace " + path, error);
    }
    return {true, {}};
}

unsigned ProcessUmask() {
    return 0; // access lists, not a mask, decide a new file's rights
}

FileStamp StampOf(const std::string& path) {
    const HANDLE file = ::CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    if (!ok) {
        return {};
    }
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    // 100-nanosecond units since 1601; only equality matters.
    stamp.modifiedNs = static_cast<std::int64_t>(
        ((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
         info.ftLastWriteTime.dwLowDateTime) *
        100);
    return stamp;
}

} // namespace qs
