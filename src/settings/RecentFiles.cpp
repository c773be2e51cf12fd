#include "settings/RecentFiles.h"

#include "platform/registry/Hive.h"

#include <algorithm>

namespace qs {

namespace {

std::string ItemName(const char* pattern, std::size_t n) {
    return pattern + std::to_string(n);
}

} // namespace

void TRecentFiles::Add(const std::string& path) {
    const auto same = std::find_if(m_items.begin(), m_items.end(), [&](const std::string& item) {
        return RegistryNamesEqual(item, path);
    });
    if (same != m_items.end()) {
        std::rotate(m_items.begin(), same, same + 1);
        return;
    }
    m_items.insert(m_items.begin(), path);
    if (m_items.size() > kMaxEntries) {
        m_items.resize(kMaxEntries);
    }
}

void TRecentFiles::Load(TRegistry& reg) {
    m_items.clear();
    reg.CloseKey();
    if (!reg.OpenKeyReadOnly(kRecentFilesKey)) {
        return;
    }
    for (std::size_t n = kMaxEntries; n-- > 0;) {
        try {
            const std::string path = reg.ReadString(ItemName("Item_", n));
            if (!path.empty()) {
                Add(path);
            }
        } catch (const ERegistryException&) {
            // A value of another type is no path: pass it over like an empty one.
        }
    }
    reg.CloseKey();
}

bool TRecentFiles::Store(TRegistry& reg) const {
    bool ok = true;
    reg.CloseKey();
    reg.DeleteKey(kRecentFilesKey);
    if (!reg.OpenKey(kRecentFilesKey, true)) {
        return false;
    }
    for (std::size_t n = 0; n < m_items.size(); ++n) {
        try {
            reg.WriteString(ItemName("Item_", n), m_items[n]);
        } catch (const ERegistryException&) {
            ok = false;
        }
        reg.DeleteValue(ItemName("User_", n));
    }
    reg.CloseKey();
    return ok;
}

std::string TRecentFiles::MenuCaption(std::size_t index, const std::string& path) {
    const char accelerator = index < 9 ? static_cast<char>('1' + index) : 'A';
    return std::string("&") + accelerator + '\t' + path;
}

void AddToStoredRecentFiles(TRegistry& reg, const std::string& path) {
    TRecentFiles list;
    list.Load(reg);
    list.Add(path);
    list.Store(reg);
}

} // namespace qs
