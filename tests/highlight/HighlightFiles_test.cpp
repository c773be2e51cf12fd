// Highlights the .sps files under data/ with the default vocabulary and compares the tokens
// with the .tokens file beside each (variables from a .vars file when there is one). On a
// mismatch the actual tokens are written beside as .tokens.actual for review. Every file
// also checks that styling line by line from stored states, and with CR LF or CR line
// ends, gives the same tokens.
#include "highlight/HighlightText.h"
#include "highlight/LanguageElements.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qs {
namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = QS_HIGHLIGHT_DATA_DIR;

std::vector<std::string> SyntaxFiles() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kDataDir)) {
        if (entry.path().extension() == ".sps") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Highlighted {
    std::string text;
    std::unique_ptr<TSynSPSSHighlighter> highlighter;
};

Highlighted Load(const std::string& name) {
    Highlighted h;
    h.text = test::ReadFileBytes(kDataDir / (name + ".sps"));
    h.highlighter = std::make_unique<TSynSPSSHighlighter>(BuiltinLanguageElements());
    fs::path vars = kDataDir / (name + ".vars");
    if (fs::exists(vars)) {
        const std::string content = test::ReadFileBytes(vars);
        std::vector<std::string> names;
        for (std::string_view line : SplitLines(content)) {
            names.emplace_back(line);
        }
        h.highlighter->SetVariables(names);
    }
    return h;
}

std::string Replace(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    for (char c : text) {
        if (std::string_view(&c, 1) == from) {
            out += to;
        } else {
            out += c;
        }
    }
    return out;
}

class HighlightFile : public ::testing::TestWithParam<std::string> {};

TEST_P(HighlightFile, MatchesExpectedTokens) {
    Highlighted h = Load(GetParam());
    ASSERT_FALSE(h.text.empty());
    std::string actual = FormatTokens(CollectTokens(*h.highlighter, h.text));
    fs::path expectedPath = kDataDir / (GetParam() + ".tokens");
    fs::path actualPath = kDataDir / (GetParam() + ".tokens.actual");
    std::string expected = test::ReadFileBytes(expectedPath);
    if (actual != expected) {
        test::WriteFileBytes(actualPath, actual);
        ADD_FAILURE() << "tokens differ; see " << actualPath;
    } else {
        fs::remove(actualPath);
    }
}

TEST_P(HighlightFile, LineByLineEqualsWholeText) {
    Highlighted h = Load(GetParam());
    std::vector<std::string_view> lines = SplitLines(h.text);
    std::vector<int> stateBefore;
    h.highlighter->ResetLineState();
    for (size_t i = 0; i < lines.size(); ++i) {
        stateBefore.push_back(h.highlighter->GetLineState());
        for (h.highlighter->BeginLine(lines[i], static_cast<int>(i)); !h.highlighter->AtLineEnd();
             h.highlighter->NextToken()) {
        }
    }
    std::vector<HighlightToken> whole = CollectTokens(*h.highlighter, h.text);
    // Each line again on its own, from a fresh highlighter given only the stored state,
    // as an editor redraws a single line.
    std::vector<HighlightToken> single;
    for (size_t i = 0; i < lines.size(); ++i) {
        TSynSPSSHighlighter fresh(BuiltinLanguageElements());
        fresh.SetVariables(h.highlighter->Variables());
        fresh.SetLineState(stateBefore[i]);
        for (fresh.BeginLine(lines[i], static_cast<int>(i)); !fresh.AtLineEnd();
             fresh.NextToken()) {
            single.push_back(
                {static_cast<int>(i), fresh.TokenStart(), fresh.GetTokenKind(), fresh.TokenText()});
        }
    }
    EXPECT_EQ(FormatTokens(single), FormatTokens(whole));
}

TEST_P(HighlightFile, LineEndsDoNotChangeTokens) {
    Highlighted h = Load(GetParam());
    std::string lf = FormatTokens(CollectTokens(*h.highlighter, h.text));
    EXPECT_EQ(FormatTokens(CollectTokens(*h.highlighter, Replace(h.text, "\n", "\r\n"))), lf);
    EXPECT_EQ(FormatTokens(CollectTokens(*h.highlighter, Replace(h.text, "\n", "\r"))), lf);
}

INSTANTIATE_TEST_SUITE_P(Data, HighlightFile, ::testing::ValuesIn(SyntaxFiles()),
                         [](const auto& row) { return row.param; });

TEST(SplitLines, BreaksAtCrLfLfAndCr) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string_view>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), (std::vector<std::string_view>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\r\n"), (std::vector<std::string_view>{"", ""}));
    EXPECT_TRUE(SplitLines("").empty());
}

} // namespace
} // namespace qs
