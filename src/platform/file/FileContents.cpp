// Reading a whole file, the same on every platform through the descriptor helpers.
#include "platform/file/FileContents.h"

#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cstring>

namespace qs {

FileResult ReadWholeFile(const std::string& path, std::string& bytes) {
    const int fd = OpenForReading(path.c_str());
    if (fd < 0) {
        return {false, "Cannot open " + path + ": " + std::strerror(errno)};
    }
    if (const std::int64_t size = RegularFileSize(fd); size > 0) {
        bytes.reserve(static_cast<std::size_t>(size));
    }
    bytes.clear();
    char buffer[1 << 16];
    for (;;) {
        const std::int64_t n = ReadSome(fd, buffer, sizeof buffer);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            FileResult failed{false, "Cannot read " + path + ": " + std::strerror(errno)};
            CloseFile(fd);
            return failed;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    CloseFile(fd);
    return {true, {}};
}

} // namespace qs
