#include "engine/EngineProtocol.h"
#include "platform/automation/EngineClient.h"
#include "platform/automation/JsonLine.h"

#include <gtest/gtest.h>

namespace qs::engine {
namespace {

struct BadCase {
    const char* name;
    const char* line;
    const char* error; // a part of the error
};

class BadRequestTest : public testing::TestWithParam<BadCase> {};

TEST_P(BadRequestTest, NamesTheProblem) {
    const ParsedRequest parsed = ParseEngineRequest(GetParam().line);
    EXPECT_FALSE(parsed.request);
    EXPECT_NE(parsed.error.find(GetParam().error), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, BadRequestTest,
    testing::Values(BadCase{"NotJson", "execute x", "malformed request"},
                    BadCase{"Nested", R"({"op":{"a":1}})", "malformed request"},
                    BadCase{"NoOp", R"({"text":"x"})", "no operation"},
                    BadCase{"UnknownOp", R"({"op":"format_disk"})", "unknown operation"},
                    BadCase{"ExecuteWithoutWait", R"({"op":"execute","text":"x."})", "\"wait\""},
                    BadCase{"ExecuteTextNotString", R"({"op":"execute","text":1,"wait":true})",
                            "\"text\""},
                    BadCase{"KindMissing", R"({"op":"banner_text"})", "\"kind\""},
                    BadCase{"KindOutOfRange", R"({"op":"banner_text","kind":7})", "kind 7"},
                    BadCase{"PathOfOutput", R"({"op":"document_path","kind":1})", "kind 0"},
                    BadCase{"SaveAsEmptyPath", R"({"op":"save_as","kind":0,"path":""})", "\"path\""},
                    BadCase{"SaveAsNulInPath",
                            R"({"op":"save_as","kind":0,"path":"/a.sav\u0000.txt"})", "NUL"},
                    BadCase{"SaveAsLineBreak", R"({"op":"save_as","kind":0,"path":"/a\nb"})",
                            "line break"},
                    BadCase{"TextNotUtf8", "{\"op\":\"execute\",\"text\":\"caf\xE9.\",\"wait\":true}",
                            "\"text\" is not UTF-8 (byte 4)"},
                    BadCase{"PathNotUtf8", "{\"op\":\"save_as\",\"kind\":0,\"path\":\"/caf\xE9.sav\"}",
                            "\"path\" is not UTF-8"},
                    BadCase{"DictionaryOfOutput", R"({"op":"save_dictionary","kind":1})",
                            "kind 0"},
                    BadCase{"NoteWithoutText", R"({"op":"note"})", "\"text\""},
                    BadCase{"VisibleNotBool", R"({"op":"set_visible","kind":1,"visible":1})",
                            "\"visible\""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(EngineProtocol, ReadsEveryFieldOfAGoodRequest) {
    const auto execute =
        ParseEngineRequest(R"({"op":"execute","text":"LIST.\r","wait":false,"report":true,"new":1})");
    ASSERT_TRUE(execute.request) << execute.error;
    EXPECT_EQ(execute.request->op, EngineOp::Execute);
    EXPECT_EQ(execute.request->text, "LIST.\r");
    EXPECT_FALSE(execute.request->wait);
    EXPECT_TRUE(execute.request->report);

    const auto save = ParseEngineRequest(R"({"op":"save_as","kind":0,"path":"/a b.sav"})");
    ASSERT_TRUE(save.request);
    EXPECT_EQ(save.request->path, "/a b.sav");
    const auto state = ParseEngineRequest(R"({"op":"set_window_state","kind":2,"state":-1})");
    ASSERT_TRUE(state.request);
    EXPECT_EQ(state.request->kind, 2);
    EXPECT_EQ(state.request->state, -1);

    // Window operations, cancel, note and the path are answered at once; the rest keep
    // their turn.
    for (const char* line : {R"({"op":"cancel"})", R"({"op":"note","text":"hi"})",
                             R"({"op":"banner_text","kind":1})",
                             R"({"op":"document_path","kind":0})"}) {
        const auto now = ParseEngineRequest(line);
        ASSERT_TRUE(now.request) << now.error;
        EXPECT_TRUE(AnsweredAtOnce(now.request->op)) << line;
    }
    for (const char* line : {R"({"op":"save_dictionary","kind":0})",
                             R"({"op":"execute","text":"x.","wait":false})"}) {
        const auto queued = ParseEngineRequest(line);
        ASSERT_TRUE(queued.request) << queued.error;
        EXPECT_FALSE(AnsweredAtOnce(queued.request->op)) << line;
    }
}

struct ReplyCase {
    const char* name;
    const char* request;
    const char* reply;
};

class RunReplyTest : public testing::TestWithParam<ReplyCase> {};

// Each client gets the fields it asked for and no others.
TEST_P(RunReplyTest, CarriesWhatWasAskedFor) {
    const auto parsed = ParseEngineRequest(GetParam().request);
    ASSERT_TRUE(parsed.request) << parsed.error;
    EXPECT_EQ(RunReply(*parsed.request, {"out\n", 1, 0, "error\t2\t\terror: x\n"}),
              std::string(GetParam().reply) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Replies, RunReplyTest,
    testing::Values(
        ReplyCase{"WaitOnly", R"({"op":"execute","text":"x.","wait":true})", R"({"ok":true})"},
        ReplyCase{"Report", R"({"op":"execute","text":"x.","wait":true,"report":true})",
                  R"({"errors":1,"ok":true,"output":"out\n","warnings":0})"},
        ReplyCase{"Messages", R"({"op":"execute","text":"x.","wait":false,"messages":true})",
                  R"({"messages":"error\t2\t\terror: x\n","ok":true})"}),
    [](const auto& row) { return std::string(row.param.name); });

// Output beyond one reply line: in pieces that join up to all of it when asked for,
// else cut with a note; every line stays under the limit either way.
TEST(EngineProtocol, LongOutputComesInPiecesOrIsCutWithANote) {
    std::string output;
    for (int i = 0; output.size() < 3 * kReplyPieceBytes; ++i) {
        output += "row " + std::to_string(i) + " caf\xC3\xA9\x1f\n";
    }
    for (const bool pieces : {true, false}) {
        EngineRequest request;
        request.op = EngineOp::Execute;
        request.report = true;
        request.pieces = pieces;
        const std::string lines = RunReply(request, {output, 0, 0, ""});
        std::string joined;
        int count = 0;
        for (std::size_t start = 0, nl; (nl = lines.find('\n', start)) != std::string::npos;
             start = nl + 1, ++count) {
            ASSERT_LT(nl - start, automation::kMaxLineBytes);
            const auto reply = automation::DecodeJsonLine(lines.substr(start, nl - start), nullptr);
            ASSERT_TRUE(reply);
            EXPECT_EQ(automation::JsonBool(*reply, "more").value_or(false), nl + 1 < lines.size());
            joined += automation::JsonString(*reply, "output").value_or("");
        }
        if (pieces) {
            EXPECT_EQ(count, 4);
            EXPECT_EQ(joined, output);
        } else {
            EXPECT_EQ(count, 1);
            EXPECT_EQ(joined.compare(0, 50, output, 0, 50), 0);
            EXPECT_NE(joined.find("cut the output here"), std::string::npos);
        }
    }
}

} // namespace
} // namespace qs::engine
