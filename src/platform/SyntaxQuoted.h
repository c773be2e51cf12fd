// A text as a single-quoted string of the engine's syntax, each quote inside written twice,
// so that a file name can neither end the string nor add commands. For every engine: the
// Linux host's commands and the automation server's alike.
#pragma once

#include <string>
#include <string_view>

namespace qs {

inline std::string SyntaxQuoted(std::string_view text) {
    std::string out = "'";
    for (const char c : text) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

} // namespace qs
