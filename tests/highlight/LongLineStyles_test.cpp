// Restyling a long line after typed text must give exactly what a scan of the whole line
// gives, and name every byte whose style changed (the editor is sent only those).
#include "HighlightTestUtil.h"
#include "highlight/LongLineStyles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace qs {
namespace {

struct Scan {
    std::string styles;
    int endState = 0;
};

Scan WholeScan(TSynSPSSHighlighter& hl, std::string_view line, int startState) {
    Scan scan{std::string(line.size(), '?'), 0};
    hl.SetLineState(startState);
    for (hl.BeginLine(line, 0); !hl.AtLineEnd(); hl.NextToken()) {
        for (std::size_t i = 0; i < hl.TokenText().size(); ++i) {
            scan.styles[static_cast<std::size_t>(hl.TokenStart()) + i] =
                static_cast<char>(hl.TokenKindOrdinal());
        }
    }
    scan.endState = hl.GetLineState();
    return scan;
}

LanguageElements SmallVocabulary() {
    using EL = ElementList;
    return test::MakeElements({
        {EL::Commands, "GET,COMMENT,LIST,VAR,DO,CS,CK"},
        {EL::Subcommands, "FILE,CS,SK,MISSING"},
        {EL::Keywords, "ALL,CK,SK,BY"},
        {EL::Functions, "MEAN,SK"},
        {EL::Operators, "AND,EQ"},
        {EL::ExecuteCommands, "EXECUTE"},
        {EL::SystemVariables, "SYSMIS"},
        {EL::MultiWordStarters, "VAR,DO,ADD"},
        {EL::TwoWordCommands, R"("VAR LABELS","DO IF","ADD VALUE")"},
        {EL::ThreeWordCommands, R"("ADD VALUE LABELS")"},
    });
}

// Points every 8 bytes on lines of a few hundred, so that every kind of token meets points,
// inserts and look-aheads across them.
TEST(LongLineStyles, TypedAndErasedTextGivesTheStylesOfAWholeScan) {
    TSynSPSSHighlighter hl(SmallVocabulary());
    hl.SetVariables({"x", "mean", "v1"});
    const std::vector<std::string> pieces = {
        "GET",   "COMMENT", "LIST", "VAR", "LABELS", "DO",      "IF",  "ADD", "VALUE", "x",   "v1",
        "mean",  "SK",      "CK",   "ALL", "BY",     "EQ",      "AND", "a",   "1",     "2.5", " ",
        " ",     "  ",      "\t",   ".",   ".",      "=",       "/",   "*",   "/*",    "(",   ")",
        "\"s\"", "\"",      "'q'",  "'",   "#t",     "$sysmis", "!m",  "-",   "@",     "."};
    std::vector<std::string> typed;
    for (const std::string& piece : pieces) {
        if (piece.find('\'') == std::string::npos) {
            typed.push_back(piece);
        }
    }
    std::mt19937 rng(7);
    const auto pick = [&rng](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    // A quarter of the lines hold no content (letters, digits 1 to 9) until text is typed.
    const std::vector<std::string> bare = {" ", "  ", "=", "/", "*",    "/*",
                                           ".", "(",  ")", "-", "\"\"", "0"};
    for (int round = 0; round < 2000; ++round) {
        const std::vector<std::string>& from = round % 4 == 0 ? bare : pieces;
        std::string line;
        for (std::size_t n = 10 + pick(80); n > 0; --n) {
            line += from[pick(from.size())];
        }
        const int startState = static_cast<int>(pick(2));
        LongLineStyles kept(round % 2 == 0 ? 8 : 1);
        kept.Style(hl, line, 0, startState);
        // Replaces `count` bytes at `pos` by `add` and checks the restyled line.
        const auto edit = [&](std::size_t pos, std::size_t count, const std::string& add) {
            const std::string removed = line.substr(pos, count);
            std::string before = kept.Styles();
            before.replace(pos, count, add.size(), '\x7f');
            line.replace(pos, count, add);
            if (removed.find('\'') != std::string::npos) {
                ASSERT_FALSE(kept.RestyleAfterEdit(hl, line, 0, pos, removed, add.size()));
                kept.Style(hl, line, 0, startState);
                return;
            }
            ASSERT_TRUE(kept.RestyleAfterEdit(hl, line, 0, pos, removed, add.size()));
            const Scan scan = WholeScan(hl, line, startState);
            ASSERT_EQ(kept.Styles(), scan.styles)
                << "'" << removed << "' to '" << add << "' at " << pos << " of '" << line << "'";
            ASSERT_EQ(kept.EndState(), scan.endState) << line;
            for (std::size_t b = 0; b < line.size(); ++b) {
                if (before[b] != scan.styles[b]) {
                    ASSERT_TRUE(b >= kept.ChangedFrom() && b < kept.ChangedTo())
                        << b << " outside the change in '" << line << "'";
                }
            }
        };
        for (int run = 0; run < 6 && !HasFatalFailure(); ++run) {
            // A piece typed key by key or put in whole; or bytes erased key by key or at once.
            const std::string& piece = typed[pick(typed.size())];
            std::size_t pos = pick(3) == 0 ? line.size() : pick(line.size() + 1);
            const bool whole = pick(4) == 0;
            if (pick(3) == 0) {
                const std::size_t count = std::min(pos, 1 + pick(4));
                if (whole) {
                    edit(pos - count, count, "");
                }
                for (std::size_t i = 0; i < count && !whole && !HasFatalFailure(); ++i) {
                    edit(--pos, 1, ""); // Backspace
                }
                continue;
            }
            for (std::size_t i = 0; i < piece.size() && !HasFatalFailure();
                 i += whole ? piece.size() : 1) {
                const std::string add = whole ? piece : piece.substr(i, 1);
                edit(pos, 0, add);
                pos += add.size();
            }
        }
    }
}

// Keys whose edit changes tokens before it: with a point after every token, each of these
// restarts or stops the scan at the one point where that would go wrong.
TEST(LongLineStyles, KeysThatChangeTheTokensBeforeThem) {
    TSynSPSSHighlighter hl(SmallVocabulary());
    struct Edit {
        std::size_t pos;
        const char* text;
        std::size_t erase = 0; // bytes taken from pos instead
    };
    struct Row {
        const char* line;
        std::vector<Edit> edits;
    };
    const Row rows[] = {
        {"GET x. VAR LAB", {{14, "E"}, {15, "L"}, {16, "S"}}},    // two words make a command
        {"ADD VALUE LABEL", {{15, "S"}}},                         // and three
        {"aaaa bbbb R LABEL cccc dddd", {{10, "VA"}, {19, "S"}}}, // looked ahead from new text
        {"x = aaaa bbbb CS cccc CS", {{1, " /"}}},                // a first '/' before an '='
        {"  * note. x", {{0, "a"}}},                              // content before a star
        {"a = * note. b", {{0, "", 1}}},                          // and none any more
        {"x = 1 /* c. d", {{7, "y"}}},                            // between '/' and '*'
        {"VAR LABELS x", {{9, "", 1}}},                           // a command no more
    };
    for (const Row& row : rows) {
        std::string line = row.line;
        LongLineStyles kept(1);
        kept.Style(hl, line, 0, 0);
        for (const Edit& edit : row.edits) {
            const std::string removed = line.substr(edit.pos, edit.erase);
            line.replace(edit.pos, edit.erase, edit.text);
            ASSERT_TRUE(
                kept.RestyleAfterEdit(hl, line, 0, edit.pos, removed, std::strlen(edit.text)));
            EXPECT_EQ(kept.Styles(), WholeScan(hl, line, 0).styles) << line;
        }
    }
}

// What makes it worth keeping: on a long line a key is scanned within a few points of it.
TEST(LongLineStyles, ScansOnlyAroundTheTypedText) {
    TSynSPSSHighlighter hl;
    struct Row {
        const char* piece;
        double at; // where the keys go, as a share of the line
        const char* keys;
    };
    // (The first '/' or '=' of a line changes how words after it read, up to the line's end:
    // the rows' lines have them before the keys do.)
    for (const Row& row :
         {Row{"COMPUTE v1 = v2 + 1. ", 1.0, " FREQUENCIES v1 /x = 2."},
          Row{"COMPUTE v1 = v2 + 1. /x ", 0.5, "/ab = c."},
          Row{"plain words w1 ", 0.3, "xyz ab. c"}, Row{"x = 'a b' + 2 /s. ", 0.7, "/abc ="}}) {
        std::string line;
        while (line.size() < 100000) {
            line += row.piece;
        }
        LongLineStyles kept;
        kept.Style(hl, line, 0, 0);
        auto pos = static_cast<std::size_t>(static_cast<double>(line.size()) * row.at);
        for (const char* key = row.keys; *key != '\0'; ++key, ++pos) {
            line.insert(pos, 1, *key);
            ASSERT_TRUE(kept.RestyleAfterEdit(hl, line, 0, pos, {}, 1));
            EXPECT_LE(kept.Scanned(), 3 * 4096) << row.piece << " + " << *key;
            ASSERT_EQ(kept.Styles(), WholeScan(hl, line, 0).styles) << row.piece << " + " << *key;
        }
    }
}

TEST(LongLineStyles, LeavesToAWholeScanWhatItCannotBound) {
    TSynSPSSHighlighter hl(SmallVocabulary());
    const std::string line = "COMMENT a. b. c";
    struct Insert {
        std::string_view text;
        std::size_t pos;
        std::size_t lineGrowth; // what the line grew by, when it does not fit the insert
    };
    for (const Insert& insert : {Insert{"'", 3, 1}, Insert{"a'", 3, 2}, Insert{"\n", 3, 1},
                                 Insert{"\r", 15, 1}, Insert{"x", 20, 1}, Insert{"x", 3, 2}}) {
        LongLineStyles kept(4);
        kept.Style(hl, line, 0, 0);
        std::string now = line;
        now.insert(std::min(insert.pos, now.size()), insert.text);
        now.resize(line.size() + insert.lineGrowth, ' ');
        EXPECT_FALSE(kept.RestyleAfterEdit(hl, now, 0, insert.pos, {}, insert.text.size()))
            << insert.text << " at " << insert.pos;
        EXPECT_TRUE(kept.Styles().empty()); // nothing kept to go wrong later
    }
}

} // namespace
} // namespace qs
