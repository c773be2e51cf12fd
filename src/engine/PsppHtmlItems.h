// Reads PSPP's HTML output as it streams in: the tables, charts, texts, syntax and
// messages of its body, each as one item once the whole of it has arrived.
#pragma once

#include "engine/OutputItem.h"
#include "engine/PsppTranscript.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qs::engine {

class PsppHtmlItems {
public:
    // `batchFile` is the prefix PSPP puts before the line numbers of the batch's own file
    // in messages; it is removed, so that lines read as lines of the text sent.
    void SetBatchFile(std::string batchFile) { m_batchPrefix = std::move(batchFile) + ":"; }

    // Feeds bytes of the HTML in any chunking; returns the items they complete, in order,
    // but for messages: those wait for the next item, which they follow when it is the
    // command they are about.
    OutputItems Feed(std::string_view bytes);

private:
    // The item at the start of the buffer, once complete; false when more bytes are needed.
    bool TakeItem(OutputItems& items);
    OutputItem TextItem(std::string text, OutputItem::Kind kind) const;

    std::string m_buffer;
    std::size_t m_start = 0; // where the unread part of m_buffer begins
    // Within the element that begins at m_start: where to look for its end next, so that
    // a long element is not searched again from its start with every piece.
    std::size_t m_scan = 0;
    // A table past the size kept: its caption, while the rest of it is passed over.
    std::optional<OutputItem> m_skipping;
    std::string_view m_skipCloser; // the end tag of the element passed over
    bool m_inBody = false;
    std::string m_batchPrefix;
    OutputItems m_heldMessages; // until the item after them has come
};

// Tables larger than this are passed on without their HTML.
inline constexpr std::size_t kMaxTableBytes = 4u * 1024u * 1024u;
// Texts and printed-back syntax longer than this keep their start only.
inline constexpr std::size_t kMaxTextBytes = 64u * 1024u;

// The items as an HTML fragment for a page of their own: tables as PSPP wrote them, charts
// as <img> of the image file's name (without its folder), texts and messages as paragraphs
// (messages with their severity as class).
std::string ItemsHtml(const OutputItems& items);

// Names the lines of messages as the editor's document numbers them.
void PlaceMessages(OutputItems& items, const MessagePlace& place);

// HTML text with PSPP's escapes decoded and <br> as LF; other tags are dropped.
std::string HtmlToText(std::string_view html);

} // namespace qs::engine
