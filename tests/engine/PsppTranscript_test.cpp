#include "engine/PsppTranscript.h"

#include <gtest/gtest.h>

namespace qs::engine {
namespace {

const std::string kInsert1 = "INSERT FILE='/run/q/b.sps'.";
const std::string kEcho1 = "ECHO 'QS-1'.";
const std::string kInsert2 = "INSERT FILE='/run/q/b.sps' X.";
const std::string kEcho2 = "ECHO 'QS-2'.";

// Two batches as PSPP's terminal shows them: greeting, echoed lines, output, the first
// marker's output at the start of the second batch, prompts.
const std::string kGreeting = "PSPP is free software...\r\nGNU pspp 1.6.2\r\nPSPP> ";
const std::string kBatch1 = kInsert1 + "\r\n Data List\r\n\u2502x\u2502\r\n\r\n"
                            "/run/q/b.sps:7: error: FREQUENCIES: z is not a variable name.\r\n"
                            "PSPP> " + kEcho1 + "\r\n\r\n   Table\r\n"
                            "/run/q/b.sps:9.3-9.5: warning: odd.\r\nPSPP> ";
const std::string kBatch2 = kInsert2 + "\r\n\r\nQS-1\r\n"
                            "error: An error occurred while opening `/x.sav'.\r\n"
                            "other.sps:3: note: elsewhere.\r\nPSPP> " + kEcho2 + "\r\n\r\nPSPP> ";

struct Played {
    std::string out1, out2;
    bool done1 = false, done2 = false;
    std::vector<PsppMessage> messages1, messages2;
};

// Feeds the stream in pieces of `chunk` bytes.
Played Play(std::size_t chunk, const MessagePlace& place = {}) {
    PsppTranscript transcript;
    Played run;
    const auto feed = [&](const std::string& bytes, std::string& out) {
        for (std::size_t i = 0; i < bytes.size(); i += chunk) {
            out += transcript.Feed(std::string_view(bytes).substr(i, chunk));
        }
    };
    std::string greeting;
    feed(kGreeting, greeting);
    EXPECT_EQ(greeting, "");
    EXPECT_TRUE(transcript.AtPrompt());
    transcript.BeginBatch({kInsert1, kEcho1}, "QS-1", "/run/q/b.sps", {}, place);
    feed(kBatch1, run.out1);
    run.done1 = transcript.BatchDone();
    run.messages1 = transcript.Messages();
    transcript.BeginBatch({kInsert2, kEcho2}, "QS-2", "/run/q/b.sps", {}, place);
    feed(kBatch2, run.out2);
    run.done2 = transcript.BatchDone();
    run.messages2 = transcript.Messages();
    return run;
}

TEST(PsppTranscript, KeepsOnlyOutputAndEndsAtThePromptAfterTheMarker) {
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{5}, std::size_t{4096}}) {
        SCOPED_TRACE(chunk);
        const Played run = Play(chunk);
        EXPECT_EQ(run.out1, " Data List\n\u2502x\u2502\n\n7: error: FREQUENCIES: z is not a "
                            "variable name.\n\n   Table\n9.3-9.5: warning: odd.\n");
        EXPECT_EQ(run.out2, "error: An error occurred while opening `/x.sav'.\n"
                            "other.sps:3: note: elsewhere.\n\n");
        EXPECT_TRUE(run.done1);
        EXPECT_TRUE(run.done2);
    }
}

TEST(PsppTranscript, NotDoneUntilThePromptAfterTheMarker) {
    PsppTranscript transcript;
    transcript.Feed("PSPP> ");
    transcript.BeginBatch({kInsert1, kEcho1}, "QS-1", "/run/q/b.sps");
    // The prompt before the marker's echo is not the end.
    transcript.Feed(kInsert1 + "\r\nout\r\nPSPP> ");
    EXPECT_FALSE(transcript.BatchDone());
    transcript.Feed(kEcho1 + "\r\nlast\r\nPSP");
    EXPECT_FALSE(transcript.BatchDone());
    transcript.Feed("P> ");
    EXPECT_TRUE(transcript.BatchDone());
}

TEST(PsppTranscript, ReadsMessagesWithTheirLinesInTheBatch) {
    const Played run = Play(4096);
    ASSERT_EQ(run.messages1.size(), 2u);
    EXPECT_EQ(run.messages1[0].severity, PsppMessage::Severity::Error);
    EXPECT_EQ(run.messages1[0].line, 7u);
    EXPECT_EQ(run.messages1[1].severity, PsppMessage::Severity::Warning);
    EXPECT_EQ(run.messages1[1].line, 9u);
    ASSERT_EQ(run.messages2.size(), 2u);
    EXPECT_EQ(run.messages2[0].line, 0u); // no place named
    EXPECT_EQ(run.messages2[1].severity, PsppMessage::Severity::Note);
    EXPECT_EQ(run.messages2[1].line, 3u); // a line of another file, named
    EXPECT_EQ(run.messages2[1].file, "other.sps");
    EXPECT_EQ(run.messages2[1].text.substr(run.messages2[1].bodyStart), "note: elsewhere.");
}

// Sent from line 28 of the editor's text, the batch's lines 7 and 9 read as 34 and 36; the
// messages keep their line in the batch, and another file's lines stay as they are.
TEST(PsppTranscript, NamesTheLinesAsTheEditorsDocumentDoes) {
    const Played run = Play(5, {28, {}});
    EXPECT_EQ(run.out1, " Data List\n\u2502x\u2502\n\n34: error: FREQUENCIES: z is not a "
                        "variable name.\n\n   Table\n36: warning: odd.\n");
    EXPECT_EQ(run.out2, "error: An error occurred while opening `/x.sav'.\n"
                        "other.sps:3: note: elsewhere.\n\n");
    ASSERT_EQ(run.messages1.size(), 2u);
    EXPECT_EQ(run.messages1[0].line, 7u);
    EXPECT_EQ(run.messages1[0].text, "34: error: FREQUENCIES: z is not a variable name.");
    EXPECT_EQ(run.messages1[0].text.substr(run.messages1[0].bodyStart), "error: FREQUENCIES: z is not a variable name.");
}

TEST(PsppTranscript, OrdinaryTextIsNoMessage) {
    PsppMessage message;
    for (const char* line : {"Mean error: 3", "Reading free-form data", "x: errors: 2",
                             "abc:def: error: not a place"}) {
        EXPECT_FALSE(ParsePsppMessage(line, message)) << line;
    }
}

} // namespace
} // namespace qs::engine
