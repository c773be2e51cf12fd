#include "platform/registry/Hive.h"

#include <cstdio>

namespace qs {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

// One folded character: ASCII and the Latin-1 letters of UTF-8 (two bytes from 0xC3)
// compare upper-cased; everything else byte for byte.
unsigned NextFolded(std::string_view s, std::size_t& i) noexcept {
    const auto c = static_cast<unsigned char>(s[i++]);
    if (c >= 'a' && c <= 'z') {
        return c - 32;
    }
    if (c == 0xC3 && i < s.size()) {
        auto d = static_cast<unsigned char>(s[i]);
        if (d >= 0xA0 && d <= 0xBE && d != 0xB7) {
            d -= 0x20;
        }
        ++i;
        return 0xC300u | d;
    }
    return c;
}

// Decodes one UTF-8 sequence at i; an invalid byte is taken alone as Latin-1.
char32_t NextCodePoint(std::string_view s, std::size_t& i, bool& valid) noexcept {
    const auto c = static_cast<unsigned char>(s[i]);
    valid = true;
    if (c < 0x80) {
        ++i;
        return c;
    }
    const std::size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    if (c >= 0xC2 && c <= 0xF4 && i + extra < s.size()) {
        char32_t cp = c & (0x3F >> extra);
        bool ok = true;
        for (std::size_t k = 1; k <= extra && ok; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            ok = (d & 0xC0) == 0x80;
            cp = (cp << 6) | (d & 0x3F);
        }
        const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (ok && cp >= minimum[extra] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
            i += extra + 1;
            return cp;
        }
    }
    ++i;
    valid = false;
    return c;
}

bool NeedsHexString(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        bool valid = true;
        const char32_t cp = NextCodePoint(s, i, valid);
        if (!valid || cp < 0x20 || cp == 0x7F) {
            return true;
        }
    }
    return false;
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

// Strings that a quoted .reg value cannot carry (line breaks, control characters) are
// written as the registry's own hex(1) form: UTF-16LE with a closing zero. Bytes that are
// not UTF-8 are taken as Latin-1 so that nothing is dropped.
std::string HexString(std::string_view s) {
    std::u16string units;
    for (std::size_t i = 0; i < s.size();) {
        bool valid = true;
        char32_t cp = NextCodePoint(s, i, valid);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (cp >> 10));
            units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            units += static_cast<char16_t>(cp);
        }
    }
    units += u'\0';
    std::string out = "hex(1):";
    char buf[8];
    for (std::size_t k = 0; k < units.size(); ++k) {
        std::snprintf(buf, sizeof buf, "%s%02x,%02x", k ? "," : "", units[k] & 0xFF, units[k] >> 8);
        out += buf;
    }
    return out;
}

std::string ValueText(const RegistryValue& v) {
    switch (v.type) {
    case RegistryValue::Type::String:
        return NeedsHexString(v.text) ? HexString(v.text) : Quote(v.text);
    case RegistryValue::Type::Integer: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<std::uint32_t>(v.number));
        return buf;
    }
    case RegistryValue::Type::Other:
        break;
    }
    return v.text;
}

void PrintKey(std::string& out, const std::string& path, const HiveKey& key, bool isRoot) {
    if (!isRoot || !key.values.empty()) {
        out += '[' + path + "]\n";
        for (const auto& [name, value] : key.values) {
            out += name.empty() ? std::string("@") : Quote(name);
            out += '=' + ValueText(value) + '\n';
        }
        out += '\n';
    }
    for (const auto& [name, sub] : key.subkeys) {
        PrintKey(out, path + '\\' + name, *sub, false);
    }
}

} // namespace

const char* RootKeyName(RootKey root) {
    return root == RootKey::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_CLASSES_ROOT";
}

bool RegistryBackend::WriteValues(RootKey root, const std::vector<RegistryWrite>& writes) {
    for (const RegistryWrite& write : writes) {
        if (!CreateKey(root, write.path) || !WriteValue(root, write.path, write.name, write.value)) {
            return false;
        }
    }
    return true;
}

bool RegistryNameLess::operator()(std::string_view a, std::string_view b) const noexcept {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const unsigned x = NextFolded(a, i);
        const unsigned y = NextFolded(b, j);
        if (x != y) {
            return x < y;
        }
    }
    return i == a.size() && j < b.size();
}

bool RegistryNamesEqual(std::string_view a, std::string_view b) noexcept {
    RegistryNameLess less;
    return !less(a, b) && !less(b, a);
}

bool ValidKeyName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\\') {
            return false;
        }
    }
    return true;
}

bool ValidValueName(std::string_view name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

std::vector<std::string_view> SplitRegistryPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

HiveKey* HiveKey::Find(std::string_view name) const {
    const auto it = subkeys.find(name);
    return it == subkeys.end() ? nullptr : it->second.get();
}

HiveKey* Hive::Find(RootKey root, std::string_view path) {
    HiveKey* key = &Root(root);
    for (std::string_view part : SplitRegistryPath(path)) {
        key = key->Find(part);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

HiveKey* Hive::Create(RootKey root, std::string_view path, bool& created) {
    created = false;
    HiveKey* key = &Root(root);
    for (std::string_view part : SplitRegistryPath(path)) {
        HiveKey* next = key->Find(part);
        if (next == nullptr) {
            if (!ValidKeyName(part)) {
                return nullptr;
            }
            auto fresh = std::make_unique<HiveKey>();
            next = fresh.get();
            key->subkeys.emplace(std::string(part), std::move(fresh));
            created = true;
        }
        key = next;
    }
    return key;
}

bool Hive::Remove(RootKey root, std::string_view path) {
    auto parts = SplitRegistryPath(path);
    if (parts.empty()) {
        return false;
    }
    const std::string_view last = parts.back();
    parts.pop_back();
    HiveKey* parent = &Root(root);
    for (std::string_view part : parts) {
        parent = parent->Find(part);
        if (parent == nullptr) {
            return false;
        }
    }
    const auto it = parent->subkeys.find(last);
    if (it == parent->subkeys.end()) {
        return false;
    }
    parent->subkeys.erase(it);
    return true;
}

std::string Hive::ToText() const {
    std::string out(kHeader);
    out += "\n\n";
    PrintKey(out, RootKeyName(RootKey::CurrentUser), m_user, true);
    PrintKey(out, RootKeyName(RootKey::ClassesRoot), m_classes, true);
    return out;
}

} // namespace qs
