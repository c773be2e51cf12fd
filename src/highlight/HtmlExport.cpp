// HTML export and token counts over a whole text.
#include "highlight/HtmlExport.h"

#include "highlight/HighlightText.h"
#include "platform/HtmlText.h"

#include <cstdio>

namespace qs {

namespace {

// Colours are 0x00BBGGRR; CSS wants #RRGGBB.
std::string CssColor(TColor color) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", color & 0xFF, (color >> 8) & 0xFF,
                  (color >> 16) & 0xFF);
    return buffer;
}

} // namespace

std::string AttributeCss(const TSynHighlighterAttributes& attribute) {
    std::string css;
    auto add = [&css](const std::string& declaration) {
        if (!css.empty()) {
            css += ';';
        }
        css += declaration;
    };
    if (attribute.Foreground() != clNone) {
        add("color:" + CssColor(attribute.Foreground()));
    }
    if (attribute.Background() != clNone) {
        add("background-color:" + CssColor(attribute.Background()));
    }
    if (attribute.Style() & fsBold) {
        add("font-weight:bold");
    }
    if (attribute.Style() & fsItalic) {
        add("font-style:italic");
    }
    std::string decoration;
    if (attribute.Style() & fsUnderline) {
        decoration += " underline";
    }
    if (attribute.Style() & fsStrikeOut) {
        decoration += " line-through";
    }
    if (!decoration.empty()) {
        add("text-decoration:" + decoration.substr(1));
    }
    return css;
}

std::string ExportHtml(TSynSPSSHighlighter& highlighter, std::string_view text,
                       std::string_view title) {
    std::string out = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    AppendHtmlEscaped(out, title);
    out += "</title>\n<style>\npre.sps { font-family: 'Courier New', monospace; }\n";
    for (int ordinal = 0; ordinal < kTokenKindCount; ++ordinal) {
        auto kind = static_cast<TokenKind>(ordinal);
        if (const TSynHighlighterAttributes* attribute = highlighter.AttributeFor(kind)) {
            out += "pre.sps ." + std::string(TokenKindName(kind)) + " { " +
                   AttributeCss(*attribute) + " }\n";
        }
    }
    out += "</style>\n</head>\n<body>\n<pre class=\"sps\">";
    highlighter.ResetLineState();
    ForEachLine(text, [&](int index, std::string_view line) {
        if (index > 0) {
            out += '\n';
        }
        for (highlighter.BeginLine(line, index); !highlighter.AtLineEnd();
             highlighter.NextToken()) {
            out += "<span class=\"";
            out += TokenKindName(highlighter.GetTokenKind());
            out += "\">";
            AppendHtmlEscaped(out, highlighter.TokenText());
            out += "</span>";
        }
    });
    out += "</pre>\n</body>\n</html>\n";
    return out;
}

std::array<std::size_t, kTokenKindCount> CountTokens(TSynSPSSHighlighter& highlighter,
                                                     std::string_view text) {
    std::array<std::size_t, kTokenKindCount> counts{};
    HighlightText(highlighter, text, [&counts](const HighlightToken& token) {
        ++counts[static_cast<std::size_t>(token.kind)];
    });
    return counts;
}

} // namespace qs
