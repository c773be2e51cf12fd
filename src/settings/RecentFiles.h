// The list of recently used syntax files behind the File menu's Reopen entry, shared by
// the editor processes through the registry.
#pragma once

#include "platform/registry/Registry.h"

#include <string>
#include <vector>

namespace qs {

// Addressed relative to the root with no key open, so it lies one HKEY_CURRENT_USER
// deeper than its name suggests; stored lists of earlier versions are found there.
inline constexpr const char* kRecentFilesKey =
    "HKEY_CURRENT_USER\\Software\\Marrowgate\\Quillstone\\MRU";

class TRecentFiles {
public:
    static constexpr std::size_t kMaxEntries = 10;

    // Moves an entry equal without regard to case to the top (keeping its old text), or
    // inserts the path at the top and drops what lies beyond the tenth entry.
    void Add(const std::string& path);
    void Clear() { m_items.clear(); }
    const std::vector<std::string>& Items() const { return m_items; }

    // Reads Item_9 down to Item_0, skipping empty and unreadable values.
    void Load(TRegistry& reg);
    // Replaces the stored list; false when the registry refused some of it (not reported
    // to the user: the list is only a convenience).
    bool Store(TRegistry& reg) const;

    // "&1<tab>path" ... "&9<tab>path", "&A<tab>path".
    static std::string MenuCaption(std::size_t index, const std::string& path);

private:
    std::vector<std::string> m_items;
};

// Loads the stored list, adds `path` and stores it again: for a file written after the
// window's own list was released.
void AddToStoredRecentFiles(TRegistry& reg, const std::string& path);

} // namespace qs
