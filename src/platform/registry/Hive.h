// The in-memory form of a registry hive and its text form, the ".reg" export format
// ("Windows Registry Editor Version 5.00"). Parsing and printing are pure so that the
// file store, the tests and the fuzzer share them.
#pragma once

#include "platform/registry/RegistryBackend.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace qs {

// Orders names as the registry does: without regard to case (ASCII and Latin-1 letters).
struct RegistryNameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};
bool RegistryNamesEqual(std::string_view a, std::string_view b) noexcept;

struct HiveKey {
    std::map<std::string, std::unique_ptr<HiveKey>, RegistryNameLess> subkeys;
    std::map<std::string, RegistryValue, RegistryNameLess> values; // "" = default value

    HiveKey* Find(std::string_view name) const;
};

class Hive {
public:
    HiveKey& Root(RootKey root) { return root == RootKey::CurrentUser ? m_user : m_classes; }

    // The key at `path` below `root`, or nullptr.
    HiveKey* Find(RootKey root, std::string_view path);
    // The key at `path`, created with its parents when missing; `created` tells whether
    // anything was added. nullptr when a name cannot be stored (see ValidKeyName).
    HiveKey* Create(RootKey root, std::string_view path, bool& created);
    // Removes the key at `path` with everything below it; the root itself is only emptied.
    bool Remove(RootKey root, std::string_view path);

    std::string ToText() const;

private:
    HiveKey m_user;
    HiveKey m_classes;
};

struct HiveParseResult {
    std::unique_ptr<Hive> hive; // null on failure
    std::string error;          // "line N: what is wrong"
};
HiveParseResult ParseHive(std::string_view text);

// Key names may not hold control characters; value names may not hold line breaks.
bool ValidKeyName(std::string_view name);
bool ValidValueName(std::string_view name);

std::vector<std::string_view> SplitRegistryPath(std::string_view path);

} // namespace qs
