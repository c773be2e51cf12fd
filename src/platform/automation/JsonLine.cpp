// Encoder and decoder of the protocol's one-line JSON objects.
#include "platform/automation/JsonLine.h"

#include "platform/Utf8.h"

#include <charconv>

namespace qs::automation {
namespace {

constexpr char kHex[] = "0123456789abcdef";

std::optional<std::uint32_t> Hex4(std::string_view s, std::size_t pos) {
    if (pos + 4 > s.size()) {
        return std::nullopt;
    }
    std::uint32_t v = 0;
    for (std::size_t i = pos; i < pos + 4; ++i) {
        const char c = s[i];
        v <<= 4;
        if (c >= '0' && c <= '9') {
            v |= static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            v |= static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            v |= static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
    }
    return v;
}

// A small cursor over one line; every Parse* leaves `pos` after what it read.
struct Reader {
    std::string_view s;
    std::size_t pos = 0;
    std::string error;

    void SkipSpace() {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\r')) {
            ++pos;
        }
    }
    bool Eat(char c) {
        SkipSpace();
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool Fail(std::string what) {
        error = std::move(what) + " at offset " + std::to_string(pos);
        return false;
    }
    bool ParseString(std::string& out) {
        if (!Eat('"')) {
            return Fail("expected a string");
        }
        const std::size_t start = pos;
        while (pos < s.size() && s[pos] != '"') {
            pos += s[pos] == '\\' ? 2 : 1;
        }
        if (pos >= s.size()) {
            return Fail("unterminated string");
        }
        auto body = JsonUnescape(s.substr(start, pos - start));
        if (!body) {
            return Fail("bad string");
        }
        ++pos;
        out = std::move(*body);
        return true;
    }
    bool ParseValue(JsonValue& out) {
        SkipSpace();
        if (pos >= s.size()) {
            return Fail("expected a value");
        }
        if (s[pos] == '"') {
            std::string text;
            if (!ParseString(text)) {
                return false;
            }
            out = std::move(text);
            return true;
        }
        for (const auto& [word, value] : {std::pair{"true", true}, std::pair{"false", false}}) {
            if (s.substr(pos).starts_with(word)) {
                pos += std::string_view(word).size();
                out = value;
                return true;
            }
        }
        std::int64_t number = 0;
        const char* first = s.data() + pos;
        const auto [end, ec] = std::from_chars(first, s.data() + s.size(), number);
        if (ec != std::errc() || end == first) {
            return Fail("expected a string, a boolean or an integer");
        }
        pos += static_cast<std::size_t>(end - first);
        if (pos < s.size() && (s[pos] == '.' || s[pos] == 'e' || s[pos] == 'E')) {
            return Fail("only integers are accepted");
        }
        out = number;
        return true;
    }
};

} // namespace

std::string JsonEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                out += "\\u00";
                out += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
                out += kHex[static_cast<unsigned char>(c) & 0xF];
            } else {
                out += c; // UTF-8 lead and trail bytes pass through
            }
        }
    }
    return out;
}

std::optional<std::string> JsonUnescape(std::string_view body) {
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (static_cast<unsigned char>(c) < 0x20) {
            return std::nullopt;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= body.size()) {
            return std::nullopt;
        }
        switch (body[i]) {
        case '"':
            out += '"';
            break;
        case '\\':
            out += '\\';
            break;
        case '/':
            out += '/';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
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
        case 'u': {
            auto cp = Hex4(body, i + 1);
            if (!cp) {
                return std::nullopt;
            }
            i += 4;
            if (*cp >= 0xDC00 && *cp <= 0xDFFF) {
                return std::nullopt; // a low surrogate without its high half
            }
            if (*cp >= 0xD800 && *cp <= 0xDBFF) {
                if (i + 2 >= body.size() || body[i + 1] != '\\' || body[i + 2] != 'u') {
                    return std::nullopt;
                }
                const auto low = Hex4(body, i + 3);
                if (!low || *low < 0xDC00 || *low > 0xDFFF) {
                    return std::nullopt;
                }
                i += 6;
                *cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
            }
            AppendUtf8(out, *cp);
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::string EncodeJsonLine(const JsonObject& object) {
    std::string out = "{";
    for (const auto& [key, value] : object) {
        if (out.size() > 1) {
            out += ',';
        }
        out += '"' + JsonEscape(key) + "\":";
        if (const auto* text = std::get_if<std::string>(&value)) {
            out += '"' + JsonEscape(*text) + '"';
        } else if (const auto* flag = std::get_if<bool>(&value)) {
            out += *flag ? "true" : "false";
        } else {
            out += std::to_string(std::get<std::int64_t>(value));
        }
    }
    return out + '}';
}

std::optional<JsonObject> DecodeJsonLine(std::string_view line, std::string* error) {
    Reader r{line};
    JsonObject object;
    const bool ok = [&] {
        if (!r.Eat('{')) {
            return r.Fail("expected an object");
        }
        if (!r.Eat('}')) {
            do {
                std::string key;
                JsonValue value;
                if (!r.ParseString(key)) {
                    return false;
                }
                if (!r.Eat(':')) {
                    return r.Fail("expected ':'");
                }
                if (!r.ParseValue(value)) {
                    return false;
                }
                if (!object.emplace(std::move(key), std::move(value)).second) {
                    return r.Fail("duplicate key");
                }
            } while (r.Eat(','));
            if (!r.Eat('}')) {
                return r.Fail("expected ',' or '}'");
            }
        }
        r.SkipSpace();
        return r.pos == line.size() || r.Fail("trailing text");
    }();
    if (!ok) {
        if (error) {
            *error = r.error;
        }
        return std::nullopt;
    }
    return object;
}

template <typename T>
static std::optional<T> Lookup(const JsonObject& object, std::string_view key) {
    const auto it = object.find(key);
    if (it == object.end()) {
        return std::nullopt;
    }
    if (const auto* v = std::get_if<T>(&it->second)) {
        return *v;
    }
    return std::nullopt;
}

std::optional<std::string> JsonString(const JsonObject& object, std::string_view key) {
    return Lookup<std::string>(object, key);
}
std::optional<bool> JsonBool(const JsonObject& object, std::string_view key) {
    return Lookup<bool>(object, key);
}
std::optional<std::int64_t> JsonInt(const JsonObject& object, std::string_view key) {
    return Lookup<std::int64_t>(object, key);
}

} // namespace qs::automation
