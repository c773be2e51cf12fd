#include "platform/shell/Shell.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qs {

namespace {

// No other user may rename or replace anything on the way to `dir`: each folder above it
// belongs to this user or to root, and one that others may write to is sticky (as /tmp).
std::string CheckFoldersAbove(const std::string& dir) {
    std::filesystem::path path = std::filesystem::path(dir).parent_path();
    for (;;) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return path.string() + ": " + std::strerror(errno);
        }
        if (st.st_uid != ::getuid() && st.st_uid != 0) {
            return path.string() + " belongs to another user";
        }
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0) {
            return path.string() + " is open to other users";
        }
        if (!path.has_relative_path()) {
            return {};
        }
        path = path.parent_path();
    }
}

// Checks (and with `create`, makes) a folder only this user can enter.
std::string CheckPrivateFolder(const std::string& dir, bool create) {
    if (std::string above = CheckFoldersAbove(dir); !above.empty()) {
        return above;
    }
    if (create) {
        if (::mkdir(dir.c_str(), 0700) == 0) {
            // The mode asked for passes through the umask; a strict one would leave a
            // folder we could not even enter.
            ::chmod(dir.c_str(), 0700);
        } else if (errno != EEXIST) {
            return "cannot create " + dir + ": " + std::strerror(errno);
        }
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) {
        return errno == ENOENT ? std::string() : dir + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return dir + " is not a folder";
    }
    if (st.st_uid != ::getuid()) {
        return dir + " belongs to another user";
    }
    if ((st.st_mode & 0777) != 0700) {
        return dir + " is open to other users (mode is not 0700)";
    }
    return {};
}

// The user's own cache folder for the engine when there is no runtime folder: unlike a
// name in /tmp, no other user can take it first.
// $XDG_CACHE_HOME/quillstone (~/.cache/quillstone), made with `create`; empty without a home.
std::string CacheRoot(bool create) {
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && *xdg == '/') {
        cache = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        cache = std::string(home) + "/.cache";
    } else {
        return {};
    }
    if (create) {
        for (const std::string& folder : {cache, cache + "/quillstone"}) {
            if (::mkdir(folder.c_str(), 0700) == 0) {
                ::chmod(folder.c_str(), 0700);
            }
        }
    }
    return cache + "/quillstone";
}

std::string FallbackFolder(bool create) {
    const std::string root = CacheRoot(create);
    return root.empty() ? "/tmp/quillstone-" + std::to_string(::getuid()) : root + "/run";
}


std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home) {
        return home;
    }
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "";
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs ("$HOME/..." or an absolute path).
std::string UserDirsDocuments(const std::string& home) {
    std::string config;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x != nullptr && *x == '/') {
        config = x;
    } else {
        config = home + "/.config";
    }
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        constexpr std::string_view key = "XDG_DOCUMENTS_DIR=";
        if (line.rfind(key, 0) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = home + value.substr(5);
        }
        return value.empty() || value.front() != '/' ? std::string{} : value;
    }
    return {};
}

// exec's argument list over strings that outlive the call.
std::vector<char*> ArgumentVector(const std::string& program,
                                  const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

} // namespace

StartResult StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv = ArgumentVector(program, arguments);

    // The grandchild runs the program; the child exits at once so that nobody has to
    // reap the program, and an exec failure comes back through the pipe.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {false, std::strerror(errno)};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int err = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return {false, std::strerror(err)};
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::signal(SIGPIPE, SIG_DFL);
            ::execv(program.c_str(), argv.data());
            const int err = errno;
            (void)!::write(pipeFds[1], &err, sizeof err);
            ::_exit(127);
        }
        if (grandchild < 0) {
            const int err = errno;
            (void)!::write(pipeFds[1], &err, sizeof err);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t n;
    while ((n = ::read(pipeFds[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    ::close(pipeFds[0]);
    if (n == static_cast<ssize_t>(sizeof err)) {
        return {false, std::strerror(err)};
    }
    return {true, {}};
}

std::string FindProgram(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) {
        return {};
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
    while (true) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        if (!folder.empty()) {
            const std::string candidate = std::string(folder) + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        folders.remove_prefix(colon + 1);
    }
}

std::optional<std::string> ReadProgramOutput(const std::string& program,
                                             const std::vector<std::string>& arguments) {
    std::vector<char*> argv = ArgumentVector(program, arguments);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        // Only what is safe between fork and exec in a program with threads.
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    while (true) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return output;
}

std::string ProgramFilePath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string{} : path.string();
}

std::string GetPersonalFolder() {
    const std::string home = HomeFolder();
    if (home.empty()) {
        return {};
    }
    if (std::string docs = UserDirsDocuments(home); !docs.empty()) {
        return docs;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(home + "/Documents", ec)) {
        return home + "/Documents";
    }
    return home;
}

PrivateFolderResult PrivateRunFolder(bool create) {
    std::string dir;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        dir = std::string(runtime) + "/quillstone";
    } else {
        dir = FallbackFolder(create);
    }
    if (std::string error = CheckPrivateFolder(dir, create); !error.empty()) {
        return {{}, std::move(error)};
    }
    return {dir, {}};
}

PrivateFolderResult PrivateCacheFolder(const std::string& name, bool create) {
    const std::string root = CacheRoot(create);
    if (root.empty()) {
        return PrivateRunFolder(create);
    }
    const std::string dir = root + "/" + name;
    if (std::string error = CheckPrivateFolder(dir, create); !error.empty()) {
        return {{}, std::move(error)};
    }
    return {dir, {}};
}

TempFileResult CreateTempFile(const std::string& prefix) {
    // Not the shared temporary folder: another user could take the names there first.
    const PrivateFolderResult made = PrivateRunFolder(true);
    if (!made.error.empty()) {
        return {{}, EACCES, made.error};
    }
    const std::filesystem::path folder = made.path;
    // A random start keeps concurrent processes from probing the same names in turn.
    thread_local std::mt19937 numbers{std::random_device{}()};
    const std::string stem = prefix.substr(0, 3);
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(numbers() & 0xFFFF));
        const std::string path = (folder / (stem + hex + ".TMP")).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return {path, 0, {}};
        }
        err = errno;
    }
    return {{}, err, std::strerror(err)};
}

} // namespace qs
