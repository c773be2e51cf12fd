#include "platform/registry/HiveFileBackend.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qs {

namespace {

// An exclusive lock on "<hive>.lock", held for one transaction. The hive itself is never
// locked, because it is replaced by rename and a lock on it would go with the old file.
class FileLock {
public:
    explicit FileLock(const std::string& hivePath) {
        const std::string name = hivePath + ".lock";
        m_fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0) {
            // flock needs no write access: another user's lock file still serves.
            m_fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        }
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    ~FileLock() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

long long Nanoseconds(const timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

bool WriteAll(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string BackupName(const std::string& path) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    const std::string base = path + ".damaged-" + stamp;
    std::string name = base;
    for (int n = 2; std::filesystem::exists(name) && n < 1000; ++n) {
        name = base + "-" + std::to_string(n);
    }
    return name;
}

} // namespace

HiveFileBackend::HiveFileBackend(std::string path) : m_path(std::move(path)) {}

HiveFileBackend::FileStamp HiveFileBackend::Stamp() const {
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0) {
        return {};
    }
    return {
        true, st.st_dev, st.st_ino, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

void HiveFileBackend::Refresh(bool locked) {
    const FileStamp now = Stamp();
    if (m_loaded && now == m_stamp) {
        return;
    }
    m_loaded = true;
    m_stamp = now;
    m_unwritable = false;
    m_hive = std::make_unique<Hive>();
    if (!now.exists) {
        return;
    }
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string text;
    bool readOk = fd >= 0;
    if (readOk) {
        struct stat st {};
        readOk = ::fstat(fd, &st) == 0;
        if (readOk) {
            m_stamp = {true,
                       st.st_dev,
                       st.st_ino,
                       st.st_size,
                       Nanoseconds(st.st_mtim),
                       Nanoseconds(st.st_ctim)};
        }
        char buf[65536];
        for (ssize_t n; readOk && (n = ::read(fd, buf, sizeof buf)) != 0;) {
            if (n < 0) {
                readOk = errno == EINTR;
                continue;
            }
            text.append(buf, static_cast<std::size_t>(n));
        }
        ::close(fd);
    }
    if (!readOk) {
        // What cannot be read must not be replaced by a smaller file either.
        std::cerr << "quillstone: the registry file '" << m_path
                  << "' cannot be read: " << std::strerror(errno)
                  << "; settings are not saved until it can be read.\n";
        m_unwritable = true;
        return;
    }
    HiveParseResult parsed = ParseHive(text);
    if (parsed.hive) {
        m_hive = std::move(parsed.hive);
        return;
    }
    SetAsideDamaged(parsed.error, locked);
}

void HiveFileBackend::SetAsideDamaged(const std::string& error, bool locked) {
    std::unique_ptr<FileLock> lock;
    if (!locked) {
        lock = std::make_unique<FileLock>(m_path);
        // Another process may have set it aside or replaced it meanwhile.
        if (!(Stamp() == m_stamp)) {
            m_loaded = false;
            Refresh(true);
            return;
        }
    }
    const std::string backup = BackupName(m_path);
    if ((locked || lock->Held()) && std::rename(m_path.c_str(), backup.c_str()) == 0) {
        std::cerr << "quillstone: the registry file '" << m_path << "' could not be read (" << error
                  << "); it was kept as '" << backup << "' and an empty registry was started.\n";
        m_stamp = Stamp();
        return;
    }
    std::cerr << "quillstone: the registry file '" << m_path << "' could not be read (" << error
              << ") and could not be set aside: " << std::strerror(errno)
              << "; it is left as it is, and settings are not saved.\n";
    m_unwritable = true;
}

bool HiveFileBackend::WriteFile(const Hive& hive) {
    const std::string text = hive.ToText();
    std::string temp = m_path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat old {};
    const mode_t mode = ::stat(m_path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), m_path.c_str()) == 0;
    if (!ok) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    }
    // Make the rename itself durable.
    const std::string dir = std::filesystem::path(m_path).parent_path().string();
    const int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool HiveFileBackend::Transact(const std::function<Change(Hive&)>& change) {
    std::lock_guard guard(m_mutex);
    std::error_code ec;
    const auto dir = std::filesystem::path(m_path).parent_path();
    if (!dir.empty()) {
        std::filesystem::create_directories(dir, ec);
    }
    FileLock lock(m_path);
    if (!lock.Held()) {
        return false;
    }
    Refresh(true);
    if (m_unwritable) {
        return false;
    }
    switch (change(*m_hive)) {
    case Change::None:
        return true;
    case Change::Refused:
        m_loaded = false; // a batch may have changed part of the hive before it was refused
        return false;
    case Change::Made:
        break;
    }
    if (!WriteFile(*m_hive)) {
        m_loaded = false; // the change did not reach the file: forget it
        return false;
    }
    m_stamp = Stamp();
    return true;
}

bool HiveFileBackend::KeyExists(RootKey root, const std::string& path) {
    std::lock_guard guard(m_mutex);
    Refresh(false);
    return m_hive->Find(root, path) != nullptr;
}

std::vector<std::string> HiveFileBackend::SubKeys(RootKey root, const std::string& path) {
    std::lock_guard guard(m_mutex);
    Refresh(false);
    std::vector<std::string> names;
    if (const HiveKey* key = m_hive->Find(root, path)) {
        for (const auto& entry : key->subkeys) {
            names.push_back(entry.first);
        }
    }
    return names;
}

std::vector<std::string> HiveFileBackend::ValueNames(RootKey root, const std::string& path) {
    std::lock_guard guard(m_mutex);
    Refresh(false);
    std::vector<std::string> names;
    if (const HiveKey* key = m_hive->Find(root, path)) {
        for (const auto& entry : key->values) {
            names.push_back(entry.first);
        }
    }
    return names;
}

std::optional<RegistryValue> HiveFileBackend::ReadValue(RootKey root, const std::string& path,
                                                        const std::string& name) {
    std::lock_guard guard(m_mutex);
    Refresh(false);
    const HiveKey* key = m_hive->Find(root, path);
    if (key == nullptr) {
        return std::nullopt;
    }
    const auto it = key->values.find(name);
    if (it == key->values.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool HiveFileBackend::CreateKey(RootKey root, const std::string& path) {
    // Opening an existing key changes nothing and so needs no lock nor a writable store.
    if (KeyExists(root, path)) {
        return true;
    }
    return Transact([&](Hive& hive) {
        bool created = false;
        if (hive.Create(root, path, created) == nullptr) {
            return Change::Refused;
        }
        return created ? Change::Made : Change::None;
    });
}

bool HiveFileBackend::DeleteKey(RootKey root, const std::string& path) {
    return Transact(
        [&](Hive& hive) { return hive.Remove(root, path) ? Change::Made : Change::Refused; });
}

bool HiveFileBackend::WriteValue(RootKey root, const std::string& path, const std::string& name,
                                 const RegistryValue& value) {
    return Transact([&](Hive& hive) {
        HiveKey* key = hive.Find(root, path);
        if (key == nullptr || !ValidValueName(name)) {
            return Change::Refused;
        }
        const auto it = key->values.find(name);
        if (it != key->values.end() && it->second == value) {
            return Change::None;
        }
        key->values.insert_or_assign(name, value);
        return Change::Made;
    });
}

bool HiveFileBackend::DeleteValue(RootKey root, const std::string& path, const std::string& name) {
    return Transact([&](Hive& hive) {
        HiveKey* key = hive.Find(root, path);
        return key != nullptr && key->values.erase(name) > 0 ? Change::Made : Change::Refused;
    });
}

bool HiveFileBackend::WriteValues(RootKey root, const std::vector<RegistryWrite>& writes) {
    return Transact([&](Hive& hive) {
        bool changed = false;
        for (const RegistryWrite& write : writes) {
            bool created = false;
            HiveKey* key = hive.Create(root, write.path, created);
            if (key == nullptr || !ValidValueName(write.name)) {
                return Change::Refused;
            }
            const auto it = key->values.find(write.name);
            if (created || it == key->values.end() || !(it->second == write.value)) {
                key->values.insert_or_assign(write.name, write.value);
                changed = true;
            }
        }
        return changed ? Change::Made : Change::None;
    });
}

} // namespace qs
