// Tests of what a new SPSS highlighter is set up with: attributes, their enumeration,
// token kinds, fixed texts, word lists and Variables, and copying styles.
#include "HighlightTestUtil.h"
#include "highlight/SynHighlighterSPSS.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

using test::MakeElements;

struct AttributeRow {
    TokenKind kind;
    const char* name;
    TColor foreground;
    TFontStyles style;
};

TEST(HighlighterSetup, AttributesPerKindHaveNamesAndDefaults) {
    const AttributeRow rows[] = {
        {TokenKind::Unknown, "Unknown", clNone, 0},
        {TokenKind::Comment, "Comment", 0xFF0000, fsItalic},
        {TokenKind::Number, "Number", 0x0000FF, 0},
        {TokenKind::Space, "Space", clNone, 0},
        {TokenKind::StringLiteral, "String", 0x0000FF, 0},
        {TokenKind::Symbol, "Symbol", 0xFF0000, 0},
        {TokenKind::Operator, "SPSS operator", 0x800080, 0},
        {TokenKind::Macro, "SPSS macro", 0x000000, fsBold},
        {TokenKind::Execute, "SPSS execute command", 0x000000, fsBold},
        {TokenKind::SystemScratchVariable, "SPSS system variable", 0x008000, 0},
        {TokenKind::Subcommand, "SPSS subcommand", 0x0000FF, fsBold},
        {TokenKind::Variable, "SPSS variable", 0x008000, 0},
        {TokenKind::Command, "SPSS command", 0x000000, fsBold},
        {TokenKind::Function, "SPSS function", 0x808000, 0},
        {TokenKind::Keyword, "SPSS keywords", 0x00FF00, fsItalic},
    };
    TSynSPSSHighlighter hl(MakeElements({}));
    for (const AttributeRow& row : rows) {
        TSynHighlighterAttributes* attribute = hl.AttributeFor(row.kind);
        ASSERT_NE(attribute, nullptr) << row.name;
        EXPECT_EQ(attribute->Name(), row.name);
        EXPECT_EQ(attribute->Foreground(), row.foreground) << row.name;
        EXPECT_EQ(attribute->Background(), clNone) << row.name;
        EXPECT_EQ(attribute->Style(), row.style) << row.name;
    }
    EXPECT_EQ(hl.AttributeFor(TokenKind::LineEnd), nullptr);
    EXPECT_EQ(&hl.SPSSSytemScratchVariableAttri(),
              hl.AttributeFor(TokenKind::SystemScratchVariable));
}

TEST(HighlighterSetup, RegisteredAttributesEnumerateSortedWithoutUnknown) {
    TSynSPSSHighlighter hl(MakeElements({}));
    std::vector<std::string> names;
    for (int i = 0; i < hl.AttrCount(); ++i) {
        names.push_back(hl.Attribute(i)->Name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Comment", "Number", "Space", "SPSS command",
                                               "SPSS execute command", "SPSS function",
                                               "SPSS keywords", "SPSS macro", "SPSS operator",
                                               "SPSS subcommand", "SPSS system variable",
                                               "SPSS variable", "String", "Symbol"}));
    EXPECT_EQ(hl.Attribute(14), nullptr);
    EXPECT_EQ(hl.AttributeByName("unknown"), nullptr);
}

TEST(HighlighterSetup, TokenKindOrdinalsAndNames) {
    const std::vector<std::string> names = {"Comment",
                                            "StringLiteral",
                                            "LineEnd",
                                            "Number",
                                            "Space",
                                            "Symbol",
                                            "Macro",
                                            "Command",
                                            "Variable",
                                            "Function",
                                            "Operator",
                                            "Execute",
                                            "SystemScratchVariable",
                                            "Subcommand",
                                            "Keyword",
                                            "Unknown"};
    for (int i = 0; i < kTokenKindCount; ++i) {
        EXPECT_EQ(TokenKindName(static_cast<TokenKind>(i)), names[static_cast<size_t>(i)]);
    }
}

TEST(HighlighterSetup, FixedTexts) {
    TSynSPSSHighlighter hl(MakeElements({}));
    EXPECT_EQ(TSynSPSSHighlighter::LanguageName(), "SPSS Syntax Files");
    EXPECT_EQ(hl.DefaultFilter(), "SPSS Syntax Files (*.sps)|*.sps");
    std::string_view sample = TSynSPSSHighlighter::SampleSource();
    EXPECT_EQ(sample.size(), 217u);
    EXPECT_TRUE(sample.starts_with("* Comment.\r\n/* Another comment*/\r\n"));
    EXPECT_TRUE(sample.ends_with("COMPUTE MyVar=1000 + MAX(TestVar).\r\nexecute.\r\n"));
}

TEST(HighlighterSetup, DefaultAttributesForRoles) {
    TSynSPSSHighlighter hl(MakeElements({}));
    EXPECT_EQ(hl.DefaultAttributesFor(0), &hl.CommentAttri());
    EXPECT_EQ(hl.DefaultAttributesFor(3), &hl.StringAttri());
    EXPECT_EQ(hl.DefaultAttributesFor(4), &hl.SpaceAttri());
    EXPECT_EQ(hl.DefaultAttributesFor(5), &hl.SymbolAttri());
    for (int role : {-1, 1, 2, 6, 100}) {
        EXPECT_EQ(hl.DefaultAttributesFor(role), nullptr) << role;
    }
}

TEST(HighlighterSetup, WordCharacters) {
    const auto& set = TSynSPSSHighlighter::WordCharacters();
    std::string members;
    for (int c = 0; c < 128; ++c) {
        if (set[static_cast<size_t>(c)]) {
            members += static_cast<char>(c);
        }
    }
    EXPECT_EQ(members, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(set.count(), 63u + (0xD6 - 0xC0 + 1) + (0xF6 - 0xD8 + 1) + (0xFF - 0xF8 + 1));
    EXPECT_FALSE(set[0xD7]);
    EXPECT_FALSE(set[0xF7]);
    EXPECT_FALSE(set[0xBF]);
}

TEST(HighlighterSetup, ListsAreSortedIgnoringCaseAndKeepDuplicates) {
    TSynSPSSHighlighter hl(MakeElements({{ElementList::Keywords, "beta,ALPHA,Gamma,alpha"}}));
    EXPECT_EQ(hl.List(ElementList::Keywords),
              (std::vector<std::string>{"ALPHA", "alpha", "beta", "Gamma"}));
    EXPECT_TRUE(hl.List(ElementList::Commands).empty());
}

TEST(HighlighterSetup, EmptyListsLeaveOnlyVariables) {
    TSynSPSSHighlighter hl(MakeElements({}));
    hl.SetVariables({"x"});
    EXPECT_EQ(test::LineTokens(hl, "GET x EXECUTE"),
              "[GET]Unknown [ ]Space [x]Variable [ ]Space [EXECUTE]Unknown");
}

TEST(HighlighterSetup, VariablesAreReplacedByACopy) {
    TSynSPSSHighlighter hl(MakeElements({}));
    std::vector<std::string> names = {"a", "b"};
    hl.SetVariables(names);
    names.push_back("c");
    EXPECT_EQ(hl.Variables(), (std::vector<std::string>{"a", "b"}));
    hl.SetVariables({"c"});
    EXPECT_EQ(test::LineTokens(hl, "a c"), "[a]Unknown [ ]Space [c]Variable");
}

TEST(HighlighterSetup, CopyStylesFromTakesColoursOnly) {
    TSynSPSSHighlighter source(MakeElements({{ElementList::Commands, "GET"}}));
    TSynSPSSHighlighter target(MakeElements({}));
    source.SetVariables({"v"});
    source.SPSSCommandAttri().SetForeground(0x123456);
    source.SPSSCommandAttri().SetBackground(0xFFFFFF);
    source.SymbolAttri().SetStyle(fsUnderline | fsStrikeOut);
    source.UnknownAttri().SetForeground(0x111111);
    target.CopyStylesFrom(&source);
    EXPECT_EQ(target.SPSSCommandAttri().Foreground(), 0x123456u);
    EXPECT_EQ(target.SPSSCommandAttri().Background(), 0xFFFFFFu);
    EXPECT_EQ(target.SymbolAttri().Style(), fsUnderline | fsStrikeOut);
    EXPECT_EQ(target.UnknownAttri().Foreground(), clNone);
    EXPECT_EQ(target.SPSSCommandAttri().Name(), "SPSS command");
    EXPECT_TRUE(target.Variables().empty());
    EXPECT_TRUE(target.List(ElementList::Commands).empty());
}

TEST(HighlighterSetup, CopyStylesFromOtherHighlighterKindDoesNothing) {
    struct OtherHighlighter : TSynCustomHighlighter {};
    OtherHighlighter other;
    TSynSPSSHighlighter target(MakeElements({}));
    target.CopyStylesFrom(&other);
    target.CopyStylesFrom(nullptr);
    EXPECT_EQ(target.CommentAttri().Foreground(), 0xFF0000u);
}

TEST(HighlighterSetup, AttributeChangesNotifyListenersOnce) {
    TSynSPSSHighlighter hl(MakeElements({}));
    int calls = 0;
    int id = hl.AddChangeListener([&] { ++calls; });
    hl.CommentAttri().SetForeground(0x00FF00);
    hl.CommentAttri().SetForeground(0x00FF00); // unchanged: no redraw
    hl.UnknownAttri().SetStyle(fsBold);
    hl.NumberAttri().SetStyle(0xF0); // only unknown bits: no change
    EXPECT_EQ(calls, 2);
    hl.RemoveChangeListener(id);
    hl.CommentAttri().SetForeground(0);
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace qs
