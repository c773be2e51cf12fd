// Reading a file through a descriptor on every platform. Names are UTF-8: Windows opens
// them through the wide call (its narrow one reads names in the ANSI code page), in binary
// mode (no CR LF translation), and child processes never inherit the descriptor.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include "platform/WinText.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qs {

// A descriptor, or -1 with errno set.
inline int OpenForReading(const char* path) {
#ifdef _WIN32
    return ::_wopen(Widen(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
    return ::open(path, O_RDONLY | O_CLOEXEC);
#endif
}

// The size of a regular file; -1 for anything else (a folder, a pipe) or on error. 64 bits
// on Windows too, where off_t and long are 32.
inline std::int64_t RegularFileSize(int fd) {
#ifdef _WIN32
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
        return -1;
    }
#else
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return -1;
    }
#endif
    return st.st_size;
}

// Up to n bytes from the file's current position: the count, 0 at the end, -1 on error.
inline std::int64_t ReadSome(int fd, void* buffer, std::size_t n) {
#ifdef _WIN32
    return ::_read(fd, buffer, static_cast<unsigned>(n > INT_MAX ? INT_MAX : n));
#else
    return ::read(fd, buffer, n);
#endif
}

// Up to n bytes at `offset`, as ReadSome. On Windows the file position moves (there is no
// pread), so a descriptor read this way must have a single reader.
inline std::int64_t ReadAt(int fd, void* buffer, std::size_t n, std::uint64_t offset) {
#ifdef _WIN32
    if (::_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) {
        return -1;
    }
    return ReadSome(fd, buffer, n);
#else
    return ::pread(fd, buffer, n, static_cast<off_t>(offset));
#endif
}

// Whether the file may be opened for writing.
inline bool IsWritable(const char* path) {
#ifdef _WIN32
    return ::_waccess(Widen(path).c_str(), 2) == 0;
#else
    return ::access(path, W_OK) == 0;
#endif
}

inline void CloseFile(int fd) {
#ifdef _WIN32
    ::_close(fd);
#else
    ::close(fd);
#endif
}

} // namespace qs
