// Reads what PSPP writes to its terminal: separates the output of a batch from the
// prompts and the echo of what the engine typed, tells when the batch is done, and
// counts the messages PSPP reported for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs::engine {

// The prompt PSPP shows when it waits for a new command.
inline constexpr std::string_view kPsppPrompt = "PSPP> ";

struct PsppMessage {
    enum class Severity { Error, Warning, Note };
    Severity severity = Severity::Error;
    std::size_t line = 0; // 1-based line in the batch's text or `file`; 0 when none named
    std::string text;     // the whole line as shown, e.g. "7: error: FREQUENCIES: ..."
    std::string file;     // the other file PSPP named ("inc.sps:3: ..."); empty: the batch
    std::size_t bodyStart = 0; // where `text` goes on after the location ("error: ...")
};

// Where a batch's syntax stands in the editor's document: its first line there, and the
// file (when given) that held the text for PSPP to read.
struct MessagePlace {
    std::int64_t firstLine = 1;
    std::string textFile;
    bool Moves() const { return firstLine != 1 || !textFile.empty(); }
};

// Numbers a message of the batch's text, or of `place.textFile`, as a line of the editor's
// document: `message.text` becomes "LINE: error: ...". Returns that line, or 0 (and leaves
// the message alone) when the message names no line of the text.
std::size_t PlaceMessage(PsppMessage& message, const MessagePlace& place);

// One message line of PSPP's ("FILE:LINE[.COL][-LINE[.COL]]: error: ...", "error: ...");
// `batchFile` is the prefix PSPP puts before the line numbers of the batch's own file.
// Returns false when `line` is not a message.
bool ParsePsppMessage(std::string_view line, PsppMessage& message);

class PsppTranscript {
public:
    // Starts a batch: `typedLines` are what the engine types for it (their echo is not
    // output), the last one being the marker command whose prompt ends the batch.
    // `markerOutput` is the text the marker prints (at the start of the next batch).
    // `batchFile` is the file the batch's text was written to; the prefix "FILE:" in
    // PSPP's messages is removed so that line numbers read as lines of the text sent.
    // `checkOutput`, when given, is what a command typed before the marker prints: it
    // shows only when the batch left no block open that takes in later commands.
    // `place` renumbers the messages' lines as the editor's document numbers them (the
    // messages keep `line` as a line of the text sent).
    void BeginBatch(std::vector<std::string> typedLines, std::string markerOutput,
                    std::string batchFile, std::string checkOutput = {}, MessagePlace place = {});

    // Feeds bytes from the terminal. Returns the output text they complete (LF line
    // ends), which may be empty.
    std::string Feed(std::string_view bytes);

    // True once PSPP has prompted after the marker: everything the batch printed has
    // been returned by Feed.
    bool BatchDone() const { return m_markerSeen && m_partial == kPsppPrompt; }
    // True when PSPP waits at its prompt and no batch is running (start-up).
    bool AtPrompt() const { return m_partial == kPsppPrompt; }
    // False when the batch's check output did not come: a DO IF, LOOP or the like is open.
    bool CheckSeen() const { return m_checkOutput.empty() || m_checkSeen; }

    const std::vector<PsppMessage>& Messages() const { return m_messages; }
    std::size_t ErrorCount() const;
    std::size_t WarningCount() const;

private:
    std::string Line(std::string line);

    std::vector<std::string> m_typed;
    std::string m_marker;
    std::string m_previousMarker;
    std::string m_batchPrefix;
    MessagePlace m_place;
    std::string m_partial;
    bool m_markerSeen = false;
    std::string m_checkOutput;
    bool m_checkSeen = false;
    bool m_heldBlank = false;
    bool m_started = false;
    std::vector<PsppMessage> m_messages;
};

} // namespace qs::engine
