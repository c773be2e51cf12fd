// The requests quillstone-engine understands (see PROTOCOL.md), checked field by field,
// and the reply lines it sends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qs::engine {

enum class EngineOp {
    Hello,
    Execute,
    DocumentPath,
    SaveAs,
    SaveDictionary,
    SetVisible,
    SetWindowState,
    BannerText,
    Cancel,
    Note,
    Watch
};

// Operations answered at once, even while a batch runs: they touch no dataset (the data
// document's path is the one the runs done so far left).
bool AnsweredAtOnce(EngineOp op);

struct EngineRequest {
    EngineOp op = EngineOp::Hello;
    std::int64_t version = 0; // hello
    std::string text;         // execute, note
    bool wait = false;        // execute
    bool report = false;      // execute: reply with the run's output and message counts
    bool messages = false;    // execute: reply with the run's messages and their lines
    std::string folder;       // execute: what relative file names mean for this run
    bool pieces = false;      // execute: long output may come in several reply lines
    bool items = false;       // execute: reply with the run's items as HTML and its charts
    std::int64_t line = 1;    // execute: the editor's line of the text's first line
    std::string textFile;     // execute: a file holding the text, included by it
    std::int64_t kind = 0;    // document operations
    std::string path;         // save_as
    bool visible = false;     // set_visible
    std::int64_t state = 0;   // set_window_state
};

// `request` when the line is a well-formed request, else `error` says what is wrong.
struct ParsedRequest {
    std::optional<EngineRequest> request;
    std::string error;
};
ParsedRequest ParseEngineRequest(std::string_view line);

// Reply lines, each ended by LF.
std::string OkReply();
std::string ValueReply(const std::string& value);
std::string ErrorReply(const std::string& error);
std::string HelloReply(std::int64_t version);
struct RunReport {
    std::string_view output; // the run's, not copied: it may be tens of megabytes
    std::int64_t errors = 0;
    std::int64_t warnings = 0;
    std::string messages; // EncodeEngineMessages
    std::string_view html; // the items as an HTML fragment (ItemsHtml)
    std::string charts;    // the chart files the client takes over, one per line
};
// The most output one reply line carries: escaped (control characters take six bytes)
// it stays well under the line limit.
inline constexpr std::size_t kReplyPieceBytes = 2u * 1024u * 1024u;
// The most of the message list a reply carries; later messages are left out.
inline constexpr std::size_t kReplyMessageBytes = 1024u * 1024u;

// The reply to an execute that waited, with what `request` asked for of the report: one
// line, or with `pieces` the output's earlier parts first, each a line of its own with
// "more":true. Without `pieces` output too long for one line is cut with a note.
std::string RunReply(const EngineRequest& request, const RunReport& report);

} // namespace qs::engine
