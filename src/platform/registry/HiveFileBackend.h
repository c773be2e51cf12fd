// The registry kept in a hive file, shared by every editor process of the user. Reads see
// the file as it is now; each change is one transaction under an inter-process lock that
// re-reads the file, applies the change and replaces the file atomically.
#pragma once

#include "platform/registry/Hive.h"

#include <functional>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace qs {

class HiveFileBackend final : public RegistryBackend {
public:
    explicit HiveFileBackend(std::string path);

    const std::string& Path() const { return m_path; }

    bool KeyExists(RootKey root, const std::string& path) override;
    bool CreateKey(RootKey root, const std::string& path) override;
    bool DeleteKey(RootKey root, const std::string& path) override;
    std::vector<std::string> SubKeys(RootKey root, const std::string& path) override;
    std::vector<std::string> ValueNames(RootKey root, const std::string& path) override;
    std::optional<RegistryValue> ReadValue(RootKey root, const std::string& path,
                                           const std::string& name) override;
    bool WriteValue(RootKey root, const std::string& path, const std::string& name,
                    const RegistryValue& value) override;
    bool DeleteValue(RootKey root, const std::string& path, const std::string& name) override;
    bool WriteValues(RootKey root, const std::vector<RegistryWrite>& writes) override;

private:
    // What identifies one version of the file; a rename gives a new inode and ctime.
    struct FileStamp {
        bool exists = false;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        long long mtimeNs = 0;
        long long ctimeNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    enum class Change { None, Made, Refused };

    FileStamp Stamp() const;
    // Brings m_hive up to the file's current state. Must hold m_mutex.
    void Refresh(bool locked);
    void SetAsideDamaged(const std::string& error, bool locked);
    // Runs `change` on the current hive under the file lock and writes the result.
    bool Transact(const std::function<Change(Hive&)>& change);
    bool WriteFile(const Hive& hive);

    std::string m_path;
    std::mutex m_mutex;
    std::unique_ptr<Hive> m_hive;
    FileStamp m_stamp;
    bool m_loaded = false;
    bool m_unwritable = false; // unreadable or damaged and not set aside: never replace it
};

} // namespace qs
