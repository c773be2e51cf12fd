// Tests of the HTML export, token counts, and the quillstone-highlight tool's command line.
#include "HighlightTestUtil.h"
#include "highlight/HtmlExport.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace qs {
namespace {

using test::MakeElements;

TEST(HtmlExport, AttributeCssFollowsColoursAndStyle) {
    TSynHighlighterAttributes plain("x");
    EXPECT_EQ(AttributeCss(plain), "");
    TSynHighlighterAttributes all("y", 0x0080FF, 0xFFFFFF,
                                  fsBold | fsItalic | fsUnderline | fsStrikeOut);
    EXPECT_EQ(AttributeCss(all), "color:#ff8000;background-color:#ffffff;font-weight:bold;"
                                 "font-style:italic;text-decoration:underline line-through");
}

TEST(HtmlExport, EveryTokenIsASpanAndTextIsEscaped) {
    TSynSPSSHighlighter hl(MakeElements({{ElementList::Commands, "GET"}}));
    std::string page = ExportHtml(hl, "GET \"a<b&c\".\r\n\nx", "t<1>");
    EXPECT_NE(page.find("<title>t&lt;1&gt;</title>"), std::string::npos);
    EXPECT_NE(page.find("pre.sps .Command { color:#000000;font-weight:bold }"), std::string::npos);
    EXPECT_NE(page.find("<pre class=\"sps\"><span class=\"Command\">GET</span>"
                        "<span class=\"Space\"> </span>"
                        "<span class=\"StringLiteral\">&quot;a&lt;b&amp;c&quot;</span>"
                        "<span class=\"Unknown\">.</span>\n\n"
                        "<span class=\"Unknown\">x</span></pre>"),
              std::string::npos)
        << page;
}

TEST(HtmlExport, CountTokensPerKind) {
    TSynSPSSHighlighter hl(MakeElements({{ElementList::Commands, "GET"}}));
    auto counts = CountTokens(hl, "GET x.\n* c\nmore.\n");
    EXPECT_EQ(counts[static_cast<size_t>(TokenKind::Command)], 1u);
    EXPECT_EQ(counts[static_cast<size_t>(TokenKind::Comment)], 2u);
    EXPECT_EQ(counts[static_cast<size_t>(TokenKind::Unknown)], 1u);
    EXPECT_EQ(counts[static_cast<size_t>(TokenKind::Space)], 1u);
    EXPECT_EQ(counts[static_cast<size_t>(TokenKind::LineEnd)], 0u);
}

struct RunResult {
    int exitCode;
    std::string output;
};

// Runs the tool with stderr folded into the output.
RunResult RunTool(const std::string& arguments, const std::filesystem::path& input = {}) {
    test::TempDir dir;
    RunResult result{-1, {}};
    result.exitCode = test::RunProgram("quillstone-highlight", arguments, {dir / "out", {}, input});
    result.output = test::ReadFileBytes(dir / "out");
    return result;
}

// A name outside every code page: on Windows the argument and the file's name must both
// reach the system as UTF-16.
const std::string kLanguage = "Ünïcødé \xF0\x9F\x93\x8A.txt";

class HighlightTool : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteFileBytes(m_dir / "in.sps", "GET x.\r\n* note\r\nmore.\r\n");
        test::WriteFileBytes(m_dir.path() / PathFromUtf8(kLanguage), "[1 Commands]\nGET\n");
        test::WriteFileBytes(m_dir / "vars.txt", "x\r\n\r\n y \n");
    }
    std::string Path(const std::string& name) const {
        return test::ShellQuoted(test::Utf8Path(m_dir.path()) + "/" + name);
    }
    test::TempDir m_dir;
};

TEST_F(HighlightTool, TokensWithLanguageAndVariables) {
    RunResult r = RunTool("--language " + Path(kLanguage) + " --variables " + Path("vars.txt") +
                          " " + Path("in.sps"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "1\t0\tCommand\tGET\n1\t3\tSpace\t \n1\t4\tVariable\tx\n"
                        "1\t5\tUnknown\t.\n2\t0\tComment\t* note\n3\t0\tComment\tmore.\n");
}

TEST_F(HighlightTool, ReadsStandardInputAndCounts) {
    RunResult r = RunTool("--language " + Path(kLanguage) + " --format count -", m_dir / "in.sps");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("Comment\t2\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Command\t1\n"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("LineEnd"), std::string::npos);
}

TEST_F(HighlightTool, HtmlIsOnePage) {
    RunResult r = RunTool("--language " + Path(kLanguage) + " --format html " + Path("in.sps"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.output.starts_with("<!DOCTYPE html>")) << r.output;
    EXPECT_NE(r.output.find("<span class=\"Command\">GET</span>"), std::string::npos);
}

struct ToolError {
    const char* name;
    std::string arguments;
    int exitCode;
    const char* message;
};

class HighlightToolErrors : public HighlightTool,
                            public ::testing::WithParamInterface<ToolError> {};

TEST_P(HighlightToolErrors, ExitNonZeroWithMessage) {
    std::string arguments = GetParam().arguments;
    for (size_t at; (at = arguments.find("DIR/")) != std::string::npos;) {
        arguments.replace(at, 4, m_dir.path().string() + "/");
    }
    RunResult r = RunTool(arguments);
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.output;
    EXPECT_NE(r.output.find(GetParam().message), std::string::npos) << r.output;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HighlightToolErrors,
    ::testing::Values(
        ToolError{"MissingInput", "DIR/none.sps", 1, "input: cannot open"},
        ToolError{"MissingLanguage", "--language DIR/none.dll DIR/in.sps", 1,
                  "language definition: cannot open"},
        ToolError{"LanguageNotADefinition", "--language DIR/in.sps DIR/in.sps", 1,
                  "is not a language definition"},
        ToolError{"MissingVariables", "--variables DIR/none.txt DIR/in.sps", 1,
                  "variables: cannot open"},
        ToolError{"UnknownFormat", "--format xml DIR/in.sps", 2, "unknown format 'xml'"},
        ToolError{"UnknownOption", "--colour DIR/in.sps", 2, "unknown option --colour"},
        ToolError{"OptionWithoutValue", "DIR/in.sps --language", 2, "--language needs a value"},
        ToolError{"TwoInputs", "DIR/in.sps DIR/in.sps", 2, "more than one input file"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
