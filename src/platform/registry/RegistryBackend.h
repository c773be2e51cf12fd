// The registry service: keys and typed values under the two roots the program uses.
// One implementation per platform (a hive file elsewhere, the real registry on Windows);
// TRegistry puts the familiar key-at-a-time access on top of it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qs {

enum class RootKey { CurrentUser, ClassesRoot };

const char* RootKeyName(RootKey root);

struct RegistryValue {
    enum class Type {
        String,
        Integer, // 32-bit
        Other    // any other type found in the store, kept as its raw text
    };
    Type type = Type::String;
    std::string text; // String: the text; Other: the raw value text
    std::int32_t number = 0;

    static RegistryValue FromString(std::string s) { return {Type::String, std::move(s), 0}; }
    static RegistryValue FromInteger(std::int32_t n) { return {Type::Integer, {}, n}; }
    bool operator==(const RegistryValue&) const = default;
};

// One value of a batch: the key below the root, the value's name and the value.
struct RegistryWrite {
    std::string path;
    std::string name;
    RegistryValue value;
};

// Paths are relative to the root, components separated by backslashes; empty components
// (a leading, doubled or trailing backslash) are ignored. Names compare without regard to
// case. Every call sees the current state of the store, whoever changed it.
class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;

    virtual bool KeyExists(RootKey root, const std::string& path) = 0;
    // Creates the key and any missing parents; true when the key exists afterwards.
    virtual bool CreateKey(RootKey root, const std::string& path) = 0;
    // Deletes the key with all its subkeys and values; false when it did not exist or
    // could not be deleted.
    virtual bool DeleteKey(RootKey root, const std::string& path) = 0;
    // Subkey names, sorted without regard to case; empty when the key is missing.
    virtual std::vector<std::string> SubKeys(RootKey root, const std::string& path) = 0;
    virtual std::vector<std::string> ValueNames(RootKey root, const std::string& path) = 0;
    // The value named `name` ("" is the unnamed default value); nullopt when the key or
    // the value is missing.
    virtual std::optional<RegistryValue> ReadValue(RootKey root, const std::string& path,
                                                   const std::string& name) = 0;
    // Writes into an existing key; false when the key is missing or the store cannot be
    // written (the store is then unchanged).
    virtual bool WriteValue(RootKey root, const std::string& path, const std::string& name,
                            const RegistryValue& value) = 0;
    virtual bool DeleteValue(RootKey root, const std::string& path, const std::string& name) = 0;
    // Creates the missing keys and writes the values in order. This one does it a key and a
    // value at a time and stops at the first failure; the hive file makes the batch one
    // change (one rewrite of the file, all or nothing).
    virtual bool WriteValues(RootKey root, const std::vector<RegistryWrite>& writes);
};

// The store the program uses: on Linux the hive file named by $QUILLSTONE_REGISTRY, else
// $XDG_CONFIG_HOME/quillstone/registry.reg (~/.config when XDG_CONFIG_HOME is unset).
// Looked up on every call so that a changed environment takes effect.
std::shared_ptr<RegistryBackend> DefaultRegistryBackend();
std::string DefaultHivePath();

} // namespace qs
