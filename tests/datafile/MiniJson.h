// A small strict JSON reader for checking the dictionary tool's output.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs::test {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    // The member of that name; a null value when there is none.
    const JsonValue& operator[](const std::string& name) const;
};

// The whole text as one value; nothing when it is not valid JSON (UTF-8 checked).
std::optional<JsonValue> ParseJson(std::string_view text);
// A string literal starting at text[pos]; advances pos past it.
bool ParseJsonString(std::string_view text, std::size_t& pos, std::string& out);

} // namespace qs::test
