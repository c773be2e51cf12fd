// Reads the ".reg" text form of a hive. Strict enough that a damaged file is noticed
// (and kept aside by the store) rather than half-read and then written back smaller.
#include "platform/registry/Hive.h"
#include "platform/Utf8.h"

#include <cctype>

namespace qs {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";

struct ParseError {
    std::string message;
};

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

// A quoted name or string starting at s[0] == '"'; `rest` receives what follows it.
std::string ParseQuoted(std::string_view s, std::string_view& rest) {
    std::string out;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
        } else if (s[i] == '"') {
            rest = s.substr(i + 1);
            return out;
        } else {
            out += s[i];
        }
    }
    throw ParseError{"a quoted text has no closing quote"};
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string DecodeHexString(std::string_view list) {
    std::u16string units;
    int low = -1;
    for (std::string_view rest = list; !rest.empty();) {
        rest = TrimLeft(rest);
        const std::size_t comma = rest.find(',');
        const std::string_view item = TrimRight(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        if (item.empty() && rest.empty()) {
            break;
        }
        if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) {
            throw ParseError{"a hex(1) value holds something other than hex bytes"};
        }
        const int byte = HexDigit(item[0]) * 16 + HexDigit(item[1]);
        if (low < 0) {
            low = byte;
        } else {
            units += static_cast<char16_t>(low | (byte << 8));
            low = -1;
        }
    }
    while (!units.empty() && units.back() == u'\0') {
        units.pop_back();
    }
    std::string out;
    for (std::size_t k = 0; k < units.size(); ++k) {
        char32_t cp = units[k];
        if (cp >= 0xD800 && cp < 0xDC00 && k + 1 < units.size() && units[k + 1] >= 0xDC00 &&
            units[k + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++k] - 0xDC00);
        }
        AppendUtf8(out, cp);
    }
    return out;
}

RegistryValue ParseValue(std::string_view text) {
    text = TrimLeft(text);
    if (!text.empty() && text.front() == '"') {
        std::string_view rest;
        std::string s = ParseQuoted(text, rest);
        if (!TrimLeft(rest).empty()) {
            throw ParseError{"text follows a quoted value"};
        }
        return RegistryValue::FromString(std::move(s));
    }
    if (StartsWithNoCase(text, "dword:")) {
        const std::string_view digits = TrimRight(text.substr(6));
        if (digits.empty() || digits.size() > 8) {
            throw ParseError{"a dword value needs one to eight hex digits"};
        }
        std::uint32_t n = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) {
                throw ParseError{"a dword value needs one to eight hex digits"};
            }
            n = n * 16 + static_cast<std::uint32_t>(d);
        }
        return RegistryValue::FromInteger(static_cast<std::int32_t>(n));
    }
    if (StartsWithNoCase(text, "hex(1):")) {
        return RegistryValue::FromString(DecodeHexString(text.substr(7)));
    }
    if (StartsWithNoCase(text, "hex:") || StartsWithNoCase(text, "hex(")) {
        return RegistryValue{RegistryValue::Type::Other, std::string(TrimRight(text)), 0};
    }
    throw ParseError{"a value has no type this registry knows"};
}

HiveKey* ParseSection(Hive& hive, std::string_view line) {
    if (line.size() < 2 || line.back() != ']' || line[1] == '-') {
        throw ParseError{"a key line is not of the form [ROOT\\path]"};
    }
    const std::string_view path = line.substr(1, line.size() - 2);
    const std::size_t slash = path.find('\\');
    const std::string_view rootName = path.substr(0, slash);
    const std::string_view rest =
        slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    RootKey root;
    if (RegistryNamesEqual(rootName, "HKEY_CURRENT_USER")) {
        root = RootKey::CurrentUser;
    } else if (RegistryNamesEqual(rootName, "HKEY_CLASSES_ROOT")) {
        root = RootKey::ClassesRoot;
    } else {
        throw ParseError{"a key lies under a root other than HKEY_CURRENT_USER or "
                         "HKEY_CLASSES_ROOT"};
    }
    bool created = false;
    HiveKey* key = hive.Create(root, rest, created);
    if (key == nullptr) {
        throw ParseError{"a key name holds a control character"};
    }
    return key;
}

void ParseValueLine(HiveKey* key, std::string_view line) {
    if (key == nullptr) {
        throw ParseError{"a value stands before the first key"};
    }
    std::string name;
    std::string_view rest;
    if (line.front() == '@') {
        rest = line.substr(1);
    } else {
        name = ParseQuoted(line, rest);
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=') {
        throw ParseError{"a value name is not followed by '='"};
    }
    key->values.insert_or_assign(std::move(name), ParseValue(rest.substr(1)));
}

} // namespace

HiveParseResult ParseHive(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    auto hive = std::make_unique<Hive>();
    HiveKey* key = nullptr;
    bool sawHeader = false;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    try {
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            ++lineNo;
            std::string joined(TrimRight(text.substr(pos, end - pos)));
            pos = end + 1;
            // hex lists continue on the next line after a trailing backslash.
            while (!joined.empty() && joined.back() == '\\' &&
                   joined.find('=') != std::string::npos && joined.front() != '[' &&
                   pos < text.size()) {
                end = text.find('\n', pos);
                if (end == std::string_view::npos) {
                    end = text.size();
                }
                ++lineNo;
                joined.pop_back();
                joined += TrimLeft(TrimRight(text.substr(pos, end - pos)));
                pos = end + 1;
            }
            const std::string_view line = TrimLeft(joined);
            if (line.empty() || line.front() == ';') {
                continue;
            }
            if (!sawHeader) {
                if (line != kHeader && line != kOldHeader) {
                    throw ParseError{"the first line is not \"" + std::string(kHeader) + "\""};
                }
                sawHeader = true;
            } else if (line.front() == '[') {
                key = ParseSection(*hive, line);
            } else if (line.front() == '"' || line.front() == '@') {
                ParseValueLine(key, line);
            } else {
                throw ParseError{"the line is neither a key nor a value"};
            }
        }
    } catch (const ParseError& e) {
        return {nullptr, "line " + std::to_string(lineNo) + ": " + e.message};
    }
    // A blank file holds nothing that could be lost: it reads as an empty hive.
    return {std::move(hive), {}};
}

} // namespace qs
