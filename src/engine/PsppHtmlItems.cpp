// PSPP's HTML driver writes one element per output item straight inside <body>: <table>
// for tables, <img> for charts, <p> for texts and messages, <pre class="syntax"> for
// printed-back syntax. Items are cut at those elements' ends, so the bytes may come in
// any pieces.
#include "engine/PsppHtmlItems.h"

#include "engine/PsppTranscript.h"
#include "platform/HtmlText.h"
#include "platform/Utf8.h"

#include <cctype>
#include <cstdlib>

namespace qs::engine {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The value of attribute `name` in the tag `tag`, entities decoded; empty when absent.
// PSPP does not escape `<`, `>` or `&` in attribute values, so only the quote ends one.
std::string Attribute(std::string_view tag, std::string_view name) {
    const std::string key = " " + std::string(name) + "=\"";
    const std::size_t at = tag.find(key);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::size_t start = at + key.size();
    const std::size_t end = tag.find('"', start);
    return std::string(tag.substr(start, end == std::string_view::npos ? end : end - start));
}

void AppendEntity(std::string& out, std::string_view entity) {
    if (entity == "lt") {
        out += '<';
    } else if (entity == "gt") {
        out += '>';
    } else if (entity == "amp") {
        out += '&';
    } else if (entity == "quot") {
        out += '"';
    } else if (entity == "apos") {
        out += '\'';
    } else if (entity == "nbsp") {
        AppendUtf8(out, 0xA0);
    } else if (entity.size() > 1 && entity[0] == '#') {
        const bool hex = entity[1] == 'x' || entity[1] == 'X';
        const std::string digits(entity.substr(hex ? 2 : 1));
        char* end = nullptr;
        const unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (!digits.empty() && *end == '\0' && cp > 0 && cp <= 0x10FFFF &&
            (cp < 0xD800 || cp > 0xDFFF)) {
            AppendUtf8(out, static_cast<char32_t>(cp));
        } else {
            out += "&" + std::string(entity) + ";";
        }
    } else {
        out += "&" + std::string(entity) + ";";
    }
}

} // namespace

std::string HtmlToText(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    for (std::size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c == '<') {
            const std::size_t end = html.find('>', i);
            if (end == std::string_view::npos) {
                break;
            }
            const std::string_view tag = html.substr(i, end + 1 - i);
            if (StartsWith(tag, "<br")) {
                out += '\n';
            }
            i = end + 1;
        } else if (c == '&') {
            const std::size_t end = html.find(';', i);
            if (end == std::string_view::npos || end - i > 10) {
                out += c;
                ++i;
                continue;
            }
            AppendEntity(out, html.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

void PlaceMessages(OutputItems& items, const MessagePlace& place) {
    for (OutputItem& item : items) {
        PsppMessage message;
        if (item.kind != OutputItem::Kind::Message || !ParsePsppMessage(item.title, message)) {
            continue;
        }
        if (const std::size_t line = PlaceMessage(message, place); line != 0) {
            item.line = line;
            item.title = std::move(message.text);
        }
    }
}

std::string ItemsHtml(const OutputItems& items) {
    std::string html;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const OutputItem& item = items[i];
        switch (item.kind) {
        case OutputItem::Kind::Table:
            html += item.html.empty() ? "<p class=\"note\">" + HtmlEscaped(item.title, true) +
                                            ": the table is too large to show here.</p>\n"
                                      : item.html + "\n";
            break;
        case OutputItem::Kind::Chart:
            html += "<p><img src=\"" + HtmlEscaped(item.image.substr(item.image.rfind('/') + 1), false) +
                    "\" alt=\"" + HtmlEscaped(item.title, false) + "\"></p>\n";
            break;
        case OutputItem::Kind::Syntax:
            // A command heads its output by its first line; one that printed nothing is left out.
            if (i + 1 < items.size() && items[i + 1].kind != OutputItem::Kind::Syntax) {
                html += "<h3 class=\"command\">" +
                        HtmlEscaped(item.title.substr(0, item.title.find('\n')), false) + "</h3>\n";
            }
            break;
        case OutputItem::Kind::Message: {
            static constexpr const char* kClass[] = {"", "error", "warning", "note"};
            html += std::string("<p class=\"") + kClass[static_cast<int>(item.severity)] + "\">" +
                    HtmlEscaped(item.title, true) + "</p>\n";
            break;
        }
        case OutputItem::Kind::Text:
            html += "<p>" + HtmlEscaped(item.title, true) + "</p>\n";
            break;
        }
    }
    return html;
}

OutputItem PsppHtmlItems::TextItem(std::string text, OutputItem::Kind kind) const {
    OutputItem item;
    item.kind = kind;
    if (kind == OutputItem::Kind::Text && !m_batchPrefix.empty() &&
        StartsWith(text, m_batchPrefix)) {
        text.erase(0, m_batchPrefix.size());
    }
    PsppMessage message;
    if (kind == OutputItem::Kind::Text && text.find('\n') == std::string::npos &&
        ParsePsppMessage(text, message)) {
        item.kind = OutputItem::Kind::Message;
        item.severity = message.severity == PsppMessage::Severity::Error     ? OutputItem::Severity::Error
                        : message.severity == PsppMessage::Severity::Warning ? OutputItem::Severity::Warning
                                                                             : OutputItem::Severity::Note;
        item.line = message.file.empty() ? message.line : 0;
    }
    item.title = std::move(text);
    return item;
}

bool PsppHtmlItems::TakeItem(OutputItems& items) {
    if (m_skipping) {
        // Only the end of the element matters; the bytes before it are not kept.
        const std::size_t end = m_buffer.find(m_skipCloser, m_start);
        if (end == std::string::npos) {
            m_start = m_buffer.size() - std::min(m_buffer.size(), m_skipCloser.size() - 1);
            return false;
        }
        m_start = end + m_skipCloser.size();
        items.push_back(std::move(*m_skipping));
        m_skipping.reset();
        return true;
    }
    const std::string_view rest = std::string_view(m_buffer).substr(m_start);
    const std::size_t open = rest.find('<');
    if (open == std::string_view::npos) {
        m_start = m_buffer.size(); // blanks between items
        return false;
    }
    const std::string_view from = rest.substr(open);
    // The element's end, and how to read it.
    if (open > 0) {
        m_start += open; // blanks between items
        m_scan = 0;
    }
    const auto complete = [&](std::string_view closer) -> std::size_t {
        const std::size_t end = from.find(closer, m_scan);
        if (end == std::string_view::npos) {
            m_scan = from.size() > closer.size() ? from.size() - closer.size() : 0;
            return end;
        }
        return end + closer.size();
    };
    std::size_t length = std::string_view::npos;
    if (!m_inBody) {
        length = complete("<body>");
        if (length == std::string_view::npos) {
            // Nothing before the body matters; keep only what may begin its tag.
            m_start += from.size() > 5 ? from.size() - 5 : 0;
            m_scan = 0;
            return false;
        }
        m_inBody = true;
    } else if (StartsWith(from, "<table")) {
        length = complete("</table>");
        if (length == std::string_view::npos && from.size() > kMaxTableBytes) {
            OutputItem item;
            item.kind = OutputItem::Kind::Table;
            const std::size_t caption = from.find("<caption");
            const std::size_t captionEnd = from.find("</caption>");
            if (caption != std::string_view::npos && captionEnd != std::string_view::npos) {
                const std::size_t textStart = from.find('>', caption) + 1;
                item.title = HtmlToText(from.substr(textStart, captionEnd - textStart));
            }
            m_skipping = std::move(item);
            m_skipCloser = "</table>";
            m_start = m_buffer.size() - 7;
            m_scan = 0;
            return true;
        }
        if (length != std::string_view::npos) {
            const std::string_view table = from.substr(0, length);
            OutputItem item;
            item.kind = OutputItem::Kind::Table;
            item.html = std::string(table);
            const std::size_t caption = table.find("<caption");
            const std::size_t captionEnd = table.find("</caption>");
            if (caption != std::string_view::npos && captionEnd != std::string_view::npos) {
                const std::size_t textStart = table.find('>', caption) + 1;
                item.title = HtmlToText(table.substr(textStart, captionEnd - textStart));
            }
            items.push_back(std::move(item));
        }
    } else if (StartsWith(from, "<img")) {
        // The alt text may hold '>': the tag ends at the quote that closes its last value.
        const std::size_t alt = from.find(" alt=\"");
        const std::size_t quote =
            alt == std::string_view::npos ? from.find('"', from.find(" src=\"") + 6)
                                          : from.find('"', alt + 6);
        const std::size_t close = quote == std::string_view::npos ? quote : from.find('>', quote);
        if (close != std::string_view::npos) {
            length = close + 1;
            const std::string_view tag = from.substr(0, length);
            OutputItem item;
            item.kind = OutputItem::Kind::Chart;
            item.image = Attribute(tag, "src");
            item.title = Attribute(tag, "alt");
            items.push_back(std::move(item));
        }
    } else if (StartsWith(from, "<pre") || StartsWith(from, "<p>") || StartsWith(from, "<p ")) {
        const bool pre = StartsWith(from, "<pre");
        const std::string_view closer = pre ? "</pre>" : "</p>";
        const std::size_t body = from.find('>') + 1;
        const OutputItem::Kind kind = pre && from.substr(0, body).find("syntax") != std::string_view::npos
                                          ? OutputItem::Kind::Syntax
                                          : OutputItem::Kind::Text;
        length = complete(closer);
        if (length != std::string_view::npos) {
            items.push_back(TextItem(HtmlToText(from.substr(body, length - closer.size() - body)), kind));
        } else if (from.size() > kMaxTextBytes) {
            // Printed-back inline data may run to megabytes: its first lines stand for it.
            std::string text = HtmlToText(from.substr(body, kMaxTextBytes));
            text.resize(std::min(text.size(), text.rfind('\n')));
            m_skipping = TextItem(text + "\n...", kind);
            m_skipCloser = closer;
            m_start = m_buffer.size() - (closer.size() - 1);
            m_scan = 0;
            return true;
        }
    } else if (StartsWith(from, "</body>")) {
        length = 7;
        m_inBody = false;
    } else {
        // Anything else (headings, comments): passed over whole when it has an end tag.
        const std::size_t close = from.find('>');
        if (close != std::string_view::npos) {
            length = close + 1;
        }
    }
    if (length == std::string_view::npos) {
        return false;
    }
    m_start += length;
    m_scan = 0;
    return true;
}

namespace {

// The command a message names ("error: FREQUENCIES: ..."), upper case; empty when none.
std::string MessageCommand(const std::string& text) {
    PsppMessage message;
    if (!ParsePsppMessage(text, message)) {
        return {};
    }
    const std::string_view body = std::string_view(text).substr(message.bodyStart);
    const std::size_t severityEnd = body.find(": ");
    const std::size_t nameEnd = severityEnd == std::string_view::npos ? severityEnd
                                                                       : body.find(": ", severityEnd + 2);
    if (nameEnd == std::string_view::npos) {
        return {};
    }
    std::string name(body.substr(severityEnd + 2, nameEnd - severityEnd - 2));
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

// Whether the printed-back command is the one named, abbreviated as PSPP allows (each word
// to its first three letters at least).
bool IsCommand(const std::string& syntax, const std::string& name) {
    std::size_t at = 0;
    std::size_t nameAt = 0;
    while (nameAt < name.size()) {
        while (at < syntax.size() && std::isspace(static_cast<unsigned char>(syntax[at]))) {
            ++at;
        }
        const std::size_t nameEnd = std::min(name.find(' ', nameAt), name.size());
        std::size_t length = 0;
        while (at + length < syntax.size() && std::isalpha(static_cast<unsigned char>(syntax[at + length]))) {
            ++length;
        }
        if (length == 0 || length > nameEnd - nameAt ||
            length < std::min<std::size_t>(3, nameEnd - nameAt)) {
            return false;
        }
        for (std::size_t i = 0; i < length; ++i) {
            if (std::toupper(static_cast<unsigned char>(syntax[at + i])) != name[nameAt + i]) {
                return false;
            }
        }
        at += length;
        nameAt = nameEnd + 1;
    }
    return !name.empty();
}

} // namespace

OutputItems PsppHtmlItems::Feed(std::string_view bytes) {
    m_buffer.append(bytes);
    OutputItems taken;
    while (TakeItem(taken)) {
    }
    // PSPP reports a command's syntax errors before it prints the command back: messages
    // wait for the next item, and follow it when it is the command they name.
    OutputItems items;
    for (OutputItem& item : taken) {
        if (item.kind == OutputItem::Kind::Message) {
            m_heldMessages.push_back(std::move(item));
            continue;
        }
        const bool after = item.kind == OutputItem::Kind::Syntax && !m_heldMessages.empty() &&
                           IsCommand(item.title, MessageCommand(m_heldMessages.front().title));
        if (after) {
            items.push_back(std::move(item));
        }
        for (OutputItem& message : m_heldMessages) {
            items.push_back(std::move(message));
        }
        m_heldMessages.clear();
        if (!after) {
            items.push_back(std::move(item));
        }
    }
    // What was read goes, now and then rather than after every item.
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    } else if (m_start > 65536 && m_start * 2 > m_buffer.size()) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
    return items;
}

} // namespace qs::engine
