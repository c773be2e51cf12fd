// POSIX: saving a file's bytes without losing the old text or anything else about the file
// (replaced atomically where the copy keeps all of the old file, written in place where it
// cannot), the umask, and a file's stamp.
#include "platform/file/FileContents.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace qs {

namespace {

namespace fs = std::filesystem;

FileResult Failure(const std::string& what, int error = errno) {
    return {false, what + ": " + std::strerror(error)};
}

// The file that a path names; a dangling link names the file that saving creates.
fs::path FollowLinks(fs::path path) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
        const fs::path to = fs::read_symlink(path, ec);
        if (ec) {
            break;
        }
        path = to.is_absolute() ? to : path.parent_path() / to;
    }
    return path;
}

// Errors after which the folder cannot take the new file but the old one may be writable.
bool NoReplaceHere(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == EBUSY || error == EXDEV;
}

bool WriteAll(int fd, std::string_view bytes, off_t at) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            errno = n == 0 ? EIO : errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        at += n;
    }
    return true;
}

// Reads a list or value of unknown size through `get(buffer, size)`, which answers like
// getxattr. False with errno set when it cannot.
template <typename Get> bool ReadSized(Get get, std::string& out) {
    for (;;) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0) {
            return false;
        }
        out.resize(static_cast<std::size_t>(size));
        const ssize_t got = size == 0 ? 0 : get(out.data(), out.size());
        if (got >= 0) {
            out.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) { // ERANGE: it grew meanwhile
            return false;
        }
    }
}

std::vector<std::string> SplitNames(std::string_view list) {
    std::vector<std::string> names;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find('\0', at), list.size());
        names.emplace_back(list.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

// Gives the temporary file exactly the old file's extended attributes (POSIX ACLs among
// them), dropping any it inherited from the folder. False when one cannot be copied.
bool CopyXattrs(const char* from, int to) {
    std::string list;
    if (!ReadSized([&](char* b, std::size_t n) { return ::listxattr(from, b, n); }, list)) {
        if (errno != ENOTSUP) {
            return false;
        }
        list.clear();
    }
    const std::vector<std::string> names = SplitNames(list);
    if (!ReadSized([&](char* b, std::size_t n) { return ::flistxattr(to, b, n); }, list)) {
        if (errno != ENOTSUP) {
            return false;
        }
        list.clear();
    }
    for (const std::string& own : SplitNames(list)) {
        if (std::find(names.begin(), names.end(), own) == names.end() &&
            ::fremovexattr(to, own.c_str()) != 0) {
            return false;
        }
    }
    std::string value;
    for (const std::string& name : names) {
        if (!ReadSized([&](char* b, std::size_t n) { return ::getxattr(from, name.c_str(), b, n); },
                       value) ||
            ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) {
            return false;
        }
    }
    return true;
}

// Makes the temporary file the old one's equal: owner and group first, since a change of
// owner clears set-ID bits, then the attributes, since an ACL rewrites the mode, then the mode.
bool TakeOver(int fd, const char* from, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        return false;
    }
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        return false;
    }
    if (!CopyXattrs(from, fd) || ::fchmod(fd, old.st_mode & 07777) != 0) {
        return false;
    }
    return ::fstat(fd, &now) == 0 && (now.st_mode & 07777) == (old.st_mode & 07777);
}

// 0 or an errno. Keeping the size, a failed reservation leaves no trace a reader can see.
int Reserve(int fd, off_t size) {
    for (;;) {
#ifdef __linux__
        const int error = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0 ? 0 : errno;
#else
        const int error = ::posix_fallocate(fd, 0, size);
#endif
        if (error != EINTR) {
            return error == EOPNOTSUPP || error == ENOSYS ? 0 : error;
        }
    }
}

// Overwrites the file itself, which keeps everything about it but its content. The space is
// reserved and the part beyond the old end written first, so that a full disk fails while the
// old text is still whole.
FileResult WriteInPlace(const std::string& target, std::string_view bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return Failure("Cannot write " + target);
    }
    FileResult result{true, {}};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result = Failure("Cannot write " + target);
    }
    const auto oldSize = static_cast<std::size_t>(st.st_size);
    if (result.ok && !bytes.empty()) {
        if (const int error = Reserve(fd, static_cast<off_t>(bytes.size())); error != 0) {
            result = Failure("Cannot reserve space for " + target, error);
        }
    }
    if (result.ok && bytes.size() > oldSize &&
        !WriteAll(fd, bytes.substr(oldSize), static_cast<off_t>(oldSize))) {
        result = Failure("Cannot write " + target);
        // Best effort: the old text is whole either way.
        [[maybe_unused]] const int cut = ::ftruncate(fd, static_cast<off_t>(oldSize));
    }
    if (result.ok && !WriteAll(fd, bytes.substr(0, oldSize), 0)) {
        result = Failure("Cannot write " + target);
    }
    if (result.ok && bytes.size() < oldSize &&
        ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) {
        result = Failure("Cannot shorten " + target);
    }
    if (result.ok && ::fsync(fd) != 0) {
        result = Failure("Cannot write " + target);
    }
    if (::close(fd) != 0 && result.ok) {
        result = Failure("Cannot write " + target);
    }
    return result;
}

// Makes the rename itself durable. The new text is safe on disk already, so a failure here
// is no failure of the save.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileResult SaveFileContents(const std::string& path, std::string_view bytes) {
    const fs::path target = FollowLinks(path);
    const std::string name = target.string();
    struct stat old {};
    const bool exists = ::stat(name.c_str(), &old) == 0;
    if (exists && old.st_nlink > 1) {
        return WriteInPlace(name, bytes); // a new file would leave the other links behind
    }
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    std::string temp = (fs::path(folder) / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (exists && NoReplaceHere(errno)) {
            return WriteInPlace(name, bytes);
        }
        return Failure("Cannot write a file in " + folder);
    }
    if (exists && !TakeOver(fd, name.c_str(), old)) {
        ::close(fd);
        ::unlink(temp.c_str());
        return WriteInPlace(name, bytes);
    }
    FileResult result{true, {}};
    if (!exists && ::fchmod(fd, 0666 & ~ProcessUmask()) != 0) {
        result = Failure("Cannot set the permissions of " + temp);
    }
    if (result.ok && !WriteAll(fd, bytes, 0)) {
        result = Failure("Cannot write " + name);
    }
    if (result.ok && ::fsync(fd) != 0) {
        result = Failure("Cannot write " + name);
    }
    if (::close(fd) != 0 && result.ok) {
        result = Failure("Cannot write " + name);
    }
    const int renamed = result.ok ? ::rename(temp.c_str(), name.c_str()) : -1;
    const int error = errno;
    if (renamed != 0) {
        ::unlink(temp.c_str());
    }
    if (result.ok && renamed != 0) {
        // A file mounted on its own, or a sticky folder, refuses the rename but not a write.
        return exists && NoReplaceHere(error) ? WriteInPlace(name, bytes)
                                              : Failure("Cannot replace " + name, error);
    }
    if (result.ok) {
        SyncFolder(folder);
    }
    return result;
}

unsigned ProcessUmask() {
    static const unsigned mask = [] {
        // The kernel reports it without changing it; umask() can only read it by setting it.
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("Umask:", 0) == 0) {
                char* end = nullptr;
                const unsigned long value = std::strtoul(line.c_str() + 6, &end, 8);
                if (end != line.c_str() + 6) {
                    return static_cast<unsigned>(value & 0777);
                }
            }
        }
        const mode_t current = ::umask(022);
        ::umask(current);
        return static_cast<unsigned>(current);
    }();
    return mask;
}

FileStamp StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 +
                       static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

} // namespace qs
