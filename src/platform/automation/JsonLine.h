// The one-line JSON objects that the editor and quillstone-engine exchange: flat objects
// whose values are strings, booleans or integers. Strings are bytes of UTF-8 that pass
// through unchanged; only quotes, backslashes and control characters are escaped.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace qs::automation {

using JsonValue = std::variant<std::string, bool, std::int64_t>;
using JsonObject = std::map<std::string, JsonValue, std::less<>>;

// `text` as the body of a JSON string (without the quotes).
std::string JsonEscape(std::string_view text);
// The bytes a JSON string body stands for; nullopt on a bad escape or a raw control
// character.
std::optional<std::string> JsonUnescape(std::string_view body);

// The object as one line of JSON, without the line end.
std::string EncodeJsonLine(const JsonObject& object);
// One line (without its line end) as a flat object; nullopt with `error` set when it is
// not one, e.g. nested values, duplicate keys or trailing text.
std::optional<JsonObject> DecodeJsonLine(std::string_view line, std::string* error = nullptr);

// Typed lookups: nullopt when the key is missing or holds another type.
std::optional<std::string> JsonString(const JsonObject& object, std::string_view key);
std::optional<bool> JsonBool(const JsonObject& object, std::string_view key);
std::optional<std::int64_t> JsonInt(const JsonObject& object, std::string_view key);

} // namespace qs::automation
