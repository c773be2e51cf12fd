// The registry store on Windows. Names and texts cross the API as UTF-16; the same
// name rules as the hive file apply, so both stores accept the same keys and values.
#include "platform/registry/WinRegistryBackend.h"

#include "platform/WinText.h"
#include "platform/registry/Hive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qs {

namespace {

// An open key, closed when it goes out of scope.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (m_key != nullptr) {
            ::RegCloseKey(m_key);
        }
    }
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// "hex(N):aa,bb,..." as a .reg export writes a value of a type we do not read.
std::string RawValueText(DWORD type, const std::vector<BYTE>& data) {
    std::string out = type == REG_BINARY ? "hex:" : "hex(" + std::to_string(type) + "):";
    for (std::size_t i = 0; i < data.size(); ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%s%02x", i ? "," : "", data[i]);
        out += buf;
    }
    return out;
}

} // namespace

WinRegistryBackend::WinRegistryBackend(std::string base) : m_base(std::move(base)) {}

namespace {

struct Location {
    HKEY root;
    std::wstring path;
};

Location Locate(const std::string& base, RootKey root, const std::string& path) {
    std::string full;
    const auto append = [&full](std::string_view text) {
        for (std::string_view part : SplitRegistryPath(text)) {
            full += (full.empty() ? "" : "\\") + std::string(part);
        }
    };
    if (!base.empty()) {
        append(base);
        append(RootKeyName(root));
    }
    append(path);
    const HKEY hkey =
        base.empty() && root == RootKey::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
    return {hkey, Widen(full)};
}

bool Open(const Location& at, REGSAM access, Key& key) {
    return ::RegOpenKeyExW(at.root, at.path.c_str(), 0, access, key.Out()) == ERROR_SUCCESS;
}

std::vector<std::string> SortedNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(), RegistryNameLess{});
    return names;
}

} // namespace

bool WinRegistryBackend::KeyExists(RootKey root, const std::string& path) {
    Key key;
    return Open(Locate(m_base, root, path), KEY_QUERY_VALUE, key);
}

bool WinRegistryBackend::CreateKey(RootKey root, const std::string& path) {
    for (std::string_view part : SplitRegistryPath(path)) {
        if (!ValidKeyName(part)) {
            return false;
        }
    }
    const Location at = Locate(m_base, root, path);
    Key key;
    return ::RegCreateKeyExW(at.root, at.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_QUERY_VALUE, nullptr, key.Out(), nullptr) == ERROR_SUCCESS;
}

bool WinRegistryBackend::DeleteKey(RootKey root, const std::string& path) {
    // A root is never deleted, not even emptied: that would take other programs' keys.
    if (SplitRegistryPath(path).empty()) {
        return false;
    }
    const Location at = Locate(m_base, root, path);
    return ::RegDeleteTreeW(at.root, at.path.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> WinRegistryBackend::SubKeys(RootKey root, const std::string& path) {
    Key key;
    std::vector<std::string> names;
    if (!Open(Locate(m_base, root, path), KEY_ENUMERATE_SUB_KEYS, key)) {
        return names;
    }
    // Key names are at most 255 characters.
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        const LSTATUS status =
            ::RegEnumKeyExW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            break;
        }
        names.push_back(Narrow({name, length}));
    }
    return SortedNames(std::move(names));
}

std::vector<std::string> WinRegistryBackend::ValueNames(RootKey root, const std::string& path) {
    Key key;
    std::vector<std::string> names;
    if (!Open(Locate(m_base, root, path), KEY_QUERY_VALUE, key)) {
        return names;
    }
    DWORD longest = 0;
    if (::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return names;
    }
    std::wstring name(longest + 1, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumValueW(key.Get(), i, name.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.push_back(Narrow({name.data(), length}));
    }
    return SortedNames(std::move(names));
}

std::optional<RegistryValue> WinRegistryBackend::ReadValue(RootKey root, const std::string& path,
                                                           const std::string& name) {
    Key key;
    if (!Open(Locate(m_base, root, path), KEY_QUERY_VALUE, key)) {
        return std::nullopt;
    }
    const std::wstring wideName = Widen(name);
    DWORD type = 0;
    std::vector<BYTE> data(256);
    LSTATUS status;
    // Another process may grow the value between the two calls; ask again then.
    do {
        DWORD size = static_cast<DWORD>(data.size());
        status = ::RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, data.data(),
                                    &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size);
        } else {
            data.resize(status == ERROR_SUCCESS ? size : 0);
        }
    } while (status == ERROR_MORE_DATA);
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
        // The terminating zero is stored by most writers, but not by all.
        while (!text.empty() && text.back() == L'\0') {
            text.pop_back();
        }
        return RegistryValue::FromString(Narrow(text));
    }
    if (type == REG_DWORD && data.size() == sizeof(std::int32_t)) {
        std::int32_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return RegistryValue::FromInteger(number);
    }
    return RegistryValue{RegistryValue::Type::Other, RawValueText(type, data), 0};
}

bool WinRegistryBackend::WriteValue(RootKey root, const std::string& path, const std::string& name,
                                    const RegistryValue& value) {
    // Values of other types are only ever read back, never written.
    if (!ValidValueName(name) || value.type == RegistryValue::Type::Other) {
        return false;
    }
    Key key;
    if (!Open(Locate(m_base, root, path), KEY_SET_VALUE, key)) {
        return false;
    }
    const std::wstring wideName = Widen(name);
    if (value.type == RegistryValue::Type::Integer) {
        // DWORD is 32 bits on every Windows; a negative number keeps its bits.
        const DWORD number = static_cast<DWORD>(static_cast<std::uint32_t>(value.number));
        return ::RegSetValueExW(key.Get(), wideName.c_str(), 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&number),
                                sizeof number) == ERROR_SUCCESS;
    }
    const std::wstring text = Widen(value.text);
    return ::RegSetValueExW(key.Get(), wideName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

bool WinRegistryBackend::DeleteValue(RootKey root, const std::string& path,
                                     const std::string& name) {
    Key key;
    return Open(Locate(m_base, root, path), KEY_SET_VALUE, key) &&
           ::RegDeleteValueW(key.Get(), Widen(name).c_str()) == ERROR_SUCCESS;
}

std::shared_ptr<RegistryBackend> DefaultRegistryBackend() {
    static const auto store = std::make_shared<WinRegistryBackend>();
    return store;
}

} // namespace qs
