// A small strict JSON reader: objects, arrays, strings with escapes, numbers, literals.
#include "datafile/MiniJson.h"
#include "platform/Utf8.h"

#include <cstdlib>
#include <tuple>

namespace qs::test {

namespace {

void SkipBlanks(std::string_view t, std::size_t& pos) {
    while (pos < t.size() &&
           (t[pos] == ' ' || t[pos] == '\n' || t[pos] == '\r' || t[pos] == '\t')) {
        ++pos;
    }
}

bool Hex4(std::string_view t, std::size_t pos, char32_t& value) {
    if (pos + 4 > t.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = pos; i < pos + 4; ++i) {
        const char c = t[i];
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0) {
            return false;
        }
        value = value * 16 + char32_t(d);
    }
    return true;
}

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80                 ? 1
                                : b >= 0xC2 && b <= 0xDF ? 2
                                : b >= 0xE0 && b <= 0xEF ? 3
                                : b >= 0xF0 && b <= 0xF4 ? 4
                                                         : 0;
        if (len == 0 || i + len > s.size()) {
            return false;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += len;
    }
    return true;
}

bool ParseValue(std::string_view t, std::size_t& pos, JsonValue& v, int depth) {
    SkipBlanks(t, pos);
    if (pos >= t.size() || depth > 64) {
        return false;
    }
    const char c = t[pos];
    if (c == '"') {
        v.kind = JsonValue::Kind::String;
        return ParseJsonString(t, pos, v.text);
    }
    if (c == '[' || c == '{') {
        const bool object = c == '{';
        v.kind = object ? JsonValue::Kind::Object : JsonValue::Kind::Array;
        ++pos;
        SkipBlanks(t, pos);
        if (pos < t.size() && t[pos] == (object ? '}' : ']')) {
            ++pos;
            return true;
        }
        while (true) {
            std::string name;
            if (object) {
                SkipBlanks(t, pos);
                if (!ParseJsonString(t, pos, name)) {
                    return false;
                }
                SkipBlanks(t, pos);
                if (pos >= t.size() || t[pos++] != ':') {
                    return false;
                }
            }
            JsonValue item;
            if (!ParseValue(t, pos, item, depth + 1)) {
                return false;
            }
            if (object) {
                v.members[name] = std::move(item);
            } else {
                v.items.push_back(std::move(item));
            }
            SkipBlanks(t, pos);
            if (pos >= t.size()) {
                return false;
            }
            if (t[pos] == ',') {
                ++pos;
                continue;
            }
            return t[pos++] == (object ? '}' : ']');
        }
    }
    for (const auto& [word, kind, value] : {std::tuple{"true", JsonValue::Kind::Bool, true},
                                            std::tuple{"false", JsonValue::Kind::Bool, false},
                                            std::tuple{"null", JsonValue::Kind::Null, false}}) {
        if (t.substr(pos, std::string_view(word).size()) == word) {
            v.kind = kind;
            v.boolean = value;
            pos += std::string_view(word).size();
            return true;
        }
    }
    const std::string rest(t.substr(pos, 64));
    char* end = nullptr;
    v.number = std::strtod(rest.c_str(), &end);
    if (end == rest.c_str()) {
        return false;
    }
    v.kind = JsonValue::Kind::Number;
    pos += std::size_t(end - rest.c_str());
    return true;
}

} // namespace

const JsonValue& JsonValue::operator[](const std::string& name) const {
    static const JsonValue none;
    const auto it = members.find(name);
    return it == members.end() ? none : it->second;
}

bool ParseJsonString(std::string_view t, std::size_t& pos, std::string& out) {
    if (pos >= t.size() || t[pos] != '"') {
        return false;
    }
    ++pos;
    out.clear();
    while (pos < t.size()) {
        const char c = t[pos++];
        if (c == '"') {
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= t.size()) {
            return false;
        }
        const char e = t[pos++];
        switch (e) {
        case '"':
        case '\\':
        case '/':
            out += e;
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'u': {
            char32_t cp = 0;
            if (!Hex4(t, pos, cp)) {
                return false;
            }
            pos += 4;
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                char32_t low = 0;
                if (pos + 6 > t.size() || t[pos] != '\\' || t[pos + 1] != 'u' ||
                    !Hex4(t, pos + 2, low) || low < 0xDC00 || low > 0xDFFF) {
                    return false;
                }
                pos += 6;
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            }
            AppendUtf8(out, cp);
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

std::optional<JsonValue> ParseJson(std::string_view text) {
    if (!ValidUtf8(text)) {
        return std::nullopt;
    }
    JsonValue value;
    std::size_t pos = 0;
    if (!ParseValue(text, pos, value, 0)) {
        return std::nullopt;
    }
    SkipBlanks(text, pos);
    if (pos != text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace qs::test
