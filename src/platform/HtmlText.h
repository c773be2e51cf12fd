// Text as HTML: the escapes every page the programs write needs.
#pragma once

#include <string>
#include <string_view>

namespace qs {

// Appends `text` with &, <, > and " escaped; with `lineBreaks`, LF becomes <br>.
inline void AppendHtmlEscaped(std::string& out, std::string_view text, bool lineBreaks = false) {
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\0':
            out += "&#xFFFD;"; // NUL may not appear in an HTML page
            break;
        case '\n':
            out += lineBreaks ? "<br>" : "\n";
            break;
        default:
            out += c;
            break;
        }
    }
}

inline std::string HtmlEscaped(std::string_view text, bool lineBreaks = false) {
    std::string out;
    out.reserve(text.size());
    AppendHtmlEscaped(out, text, lineBreaks);
    return out;
}

} // namespace qs
