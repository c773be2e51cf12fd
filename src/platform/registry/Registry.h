// Key-at-a-time access to the registry, the way the program's settings code expects it:
// a root, one open key, relative and absolute ("\..."-prefixed) key paths, typed reads
// that raise the registry's error on a wrong type.
#pragma once

#include "platform/registry/RegistryBackend.h"

#include <stdexcept>

namespace qs {

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegistry {
public:
    explicit TRegistry(std::shared_ptr<RegistryBackend> backend = DefaultRegistryBackend());

    RootKey GetRootKey() const { return m_root; }
    // Changing the root closes the open key.
    void SetRootKey(RootKey root);
    // The open key's path below the root, without a leading backslash; empty when none.
    const std::string& CurrentPath() const { return m_currentPath; }
    bool HasCurrentKey() const { return m_open; }

    // A key beginning with a backslash is taken from the root, any other from the open
    // key (or the root when none is open). False when the key is missing and may not be
    // created, or cannot be created.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();

    // Raises "Failed to create key %s" when the key cannot be created.
    void CreateKey(const std::string& key);
    // Deletes the key with all its subkeys; false when it is missing or cannot be deleted.
    bool DeleteKey(const std::string& key);
    bool KeyExists(const std::string& key);
    std::vector<std::string> GetKeyNames();
    std::vector<std::string> GetValueNames();

    bool ValueExists(const std::string& name);
    // A missing value reads as empty text; a value of another type raises
    // "Invalid data type for '%s'".
    std::string ReadString(const std::string& name);
    // A missing value raises "Failed to get data for '%s'", another type
    // "Invalid data type for '%s'".
    std::int32_t ReadInteger(const std::string& name);
    // Both raise "Failed to set data for '%s'" when the value cannot be written.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, std::int32_t value);
    bool DeleteValue(const std::string& name);

    RegistryBackend& Backend() { return *m_backend; }

private:
    std::string Resolve(const std::string& key) const;
    void Write(const std::string& name, const RegistryValue& value);

    std::shared_ptr<RegistryBackend> m_backend;
    RootKey m_root = RootKey::CurrentUser;
    std::string m_currentPath;
    bool m_open = false;
};

} // namespace qs
