// Search and replace on a real editor control: where a search starts and ends, the
// options, replacing, undo, confirmation and a large document.
#include "app/find/SearchReplace.h"

#include "EditorText.h"
#include "app/find/FindState.h"

#include <gtest/gtest.h>

#include <deque>

namespace qs {
namespace {

constexpr unsigned kAll = soReplace | soReplaceAll;
// Characters: c0 a1 t2 _3 C4 a5 t6 _7 s8 c9 a10 t11 _12 c13 a14 t15
const char* const kCats = "cat Cat scat cat";

struct FindRow {
    const char* name;
    const char* search;
    unsigned options;
    int anchor, caret; // the selection before
    int expectedCount;
    int expectedAnchor, expectedCaret;
};

class FindTest : public ::testing::TestWithParam<FindRow> {};

TEST_P(FindTest, SelectsTheMatchWithTheCaretOnTheSearchSide) {
    const FindRow& row = GetParam();
    test::EditorText text;
    text.Load(kCats);
    text.Select(row.anchor, row.caret);
    EXPECT_EQ(SearchReplace(text.editor, row.search, "", row.options), row.expectedCount);
    EXPECT_EQ(text.Anchor(), row.expectedAnchor);
    EXPECT_EQ(text.Caret(), row.expectedCaret);
    EXPECT_EQ(text.editor.text(), kCats);
}

INSTANTIATE_TEST_SUITE_P(
    SearchReplace, FindTest,
    ::testing::Values(
        FindRow{"EmptySearchFindsNothing", "", soEntireScope, 2, 2, 0, 2, 2},
        FindRow{"ForwardFromCaretIgnoresCase", "cat", 0, 1, 1, 1, 4, 7},
        FindRow{"MatchCase", "cat", soMatchCase, 1, 1, 1, 9, 12},
        FindRow{"WholeWordAndCase", "cat", soMatchCase | soWholeWord, 1, 1, 1, 13, 16},
        FindRow{"EntireScopeStartsAtTheBeginning", "cat", soEntireScope, 10, 10, 1, 0, 3},
        FindRow{"EntireScopeBackwardsStartsAtTheEnd", "cat", soEntireScope | soBackwards, 0, 0, 1,
                16, 13},
        FindRow{"BackwardsFindsAMatchEndingAtTheCaret", "cat", soBackwards, 12, 12, 1, 12, 9},
        FindRow{"ForwardStartsPastTheSelectedMatch", "cat", 0, 0, 3, 1, 4, 7},
        FindRow{"BackwardsStartsBeforeTheSelectedMatch", "cat", soBackwards, 16, 13, 1, 12, 9},
        FindRow{"NothingAfterTheLastMatch", "cat", 0, 13, 16, 0, 13, 16},
        FindRow{"SelectedOnlyStaysInTheSelection", "cat",
                soSelectedOnly | soEntireScope | soWholeWord | soMatchCase, 4, 12, 0, 4, 12},
        FindRow{"SelectedOnlyFindsInTheSelection", "Cat",
                soSelectedOnly | soEntireScope | soMatchCase, 4, 12, 1, 4, 7},
        FindRow{"SelectedOnlyFromTheCaretAtTheSelectionsBegin", "cat", soSelectedOnly | soMatchCase,
                13, 4, 1, 9, 12},
        FindRow{"SelectedOnlyFromTheCaretAtTheSelectionsEnd", "cat", soSelectedOnly, 4, 12, 0, 4,
                12},
        FindRow{"SelectedOnlyWithoutSelectionSearchesAll", "cat",
                soSelectedOnly | soEntireScope | soWholeWord | soMatchCase, 6, 6, 1, 0, 3},
        FindRow{"UnknownText", "dog", soEntireScope, 5, 5, 0, 5, 5}),
    [](const auto& row) { return std::string(row.param.name); });

struct ReplaceRow {
    const char* name;
    const char* search;
    const char* replace;
    unsigned options;
    int anchor, caret;
    int expectedCount;
    const char* expectedText;
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceRow> {};

TEST_P(ReplaceTest, ReplacesInTheScopeAsOneUndoStep) {
    const ReplaceRow& row = GetParam();
    test::EditorText text;
    text.Load(kCats);
    text.Select(row.anchor, row.caret);
    EXPECT_EQ(SearchReplace(text.editor, row.search, row.replace, row.options), row.expectedCount);
    EXPECT_EQ(text.editor.text(), row.expectedText);
    if (row.expectedCount > 0) {
        text.editor.undo();
        EXPECT_EQ(text.editor.text(), kCats);
        EXPECT_FALSE(text.editor.isUndoAvailable());
    }
}

INSTANTIATE_TEST_SUITE_P(
    SearchReplace, ReplaceTest,
    ::testing::Values(
        ReplaceRow{"EveryMatch", "cat", "dog", kAll | soEntireScope, 10, 10, 4, "dog dog sdog dog"},
        ReplaceRow{"WholeWordsWithCase", "cat", "dog",
                   kAll | soEntireScope | soWholeWord | soMatchCase, 0, 0, 2, "dog Cat scat dog"},
        ReplaceRow{"ForwardFromCaret", "cat", "dog", kAll, 8, 8, 2, "cat Cat sdog dog"},
        ReplaceRow{"BackwardsFromCaret", "cat", "dog", kAll | soBackwards, 8, 8, 2,
                   "dog dog scat cat"},
        ReplaceRow{"ReplacementHoldsTheSearchText", "cat", "catcat", kAll | soEntireScope, 0, 0, 4,
                   "catcat catcat scatcat catcat"},
        ReplaceRow{"BackwardsReplacementHoldsTheSearchText", "cat", "cat cat",
                   kAll | soEntireScope | soBackwards, 0, 0, 4, "cat cat cat cat scat cat cat cat"},
        ReplaceRow{"WithNothing", "cat", "", kAll | soEntireScope | soWholeWord | soMatchCase, 0, 0,
                   2, " Cat scat "},
        ReplaceRow{"SelectionScopeFollowsTheGrowingText", "cat", "lion",
                   kAll | soEntireScope | soSelectedOnly, 0, 7, 2, "lion lion scat cat"},
        ReplaceRow{"OnlyTheFirstWithoutReplaceAll", "cat", "dog", soReplace | soEntireScope, 9, 9,
                   1, "dog Cat scat cat"},
        ReplaceRow{"PromptWithoutHandlerReplaces", "cat", "dog", kAll | soPrompt | soEntireScope, 0,
                   0, 4, "dog dog sdog dog"},
        ReplaceRow{"NothingMatches", "dog", "cat", kAll | soEntireScope, 0, 0, 0, kCats}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SearchReplace, SelectionScopeStaysSelectedAfterReplacing) {
    test::EditorText text;
    text.Load(kCats);
    text.Select(0, 7);
    SearchReplace(text.editor, "cat", "lion", kAll | soEntireScope | soSelectedOnly);
    EXPECT_EQ(text.Anchor(), 0);
    EXPECT_EQ(text.Caret(), 9);
}

TEST(SearchReplace, PositionsAreCharactersEvenWhereBytesDiffer) {
    test::EditorText text;
    text.Load("Überprüfung über ÜBER");
    EXPECT_EQ(SearchReplace(text.editor, "über", "", soEntireScope | soWholeWord), 1);
    EXPECT_EQ(text.editor.selectedText(), "über");
    EXPECT_EQ(SearchReplace(text.editor, "über", "", soWholeWord), 1);
    EXPECT_EQ(text.editor.selectedText(), "ÜBER");
    EXPECT_EQ(text.Caret(), 21);
    EXPECT_EQ(SearchReplace(text.editor, "über", "ü", kAll | soEntireScope), 3);
    EXPECT_EQ(text.editor.text(), "üprüfung ü ü");
}

TEST(SearchReplace, CaseIsFoldedBeyondAsciiInBothDirections) {
    test::EditorText text;
    text.Load("ÄBC äbc Äbcd");
    EXPECT_EQ(SearchReplace(text.editor, "äbc", "", soEntireScope | soBackwards | soWholeWord), 1);
    EXPECT_EQ(text.Anchor(), 7);
    EXPECT_EQ(text.Caret(), 4);
    EXPECT_EQ(SearchReplace(text.editor, "äbc", "", soBackwards), 1);
    EXPECT_EQ(text.editor.selectedText(), "ÄBC");
    EXPECT_EQ(SearchReplace(text.editor, "ÄBC", "", soMatchCase), 0);
    EXPECT_EQ(SearchReplace(text.editor, "äbc", "x", kAll | soEntireScope), 3);
    EXPECT_EQ(text.editor.text(), "x x xd");
}

TEST(SearchReplace, BookmarksStayOnTheirLines) {
    struct Row {
        const char* search;
        const char* replace;
        std::vector<std::pair<int, int>> expected; // line, marker mask
    };
    const Row rows[] = {
        {"x", "yy", {{1, 1 << 2}, {3, 1 << 5}}},
        {"x\n", "x\n\n", {{2, 1 << 2}, {6, 1 << 5}}},
        {"x\n", "x ", {{0, 1 << 2 | 1 << 5}}},
    };
    for (const Row& row : rows) {
        test::EditorText text;
        text.Load("a x\nb x\nc x\nd x\n");
        text.editor.SendScintilla(QsciScintillaBase::SCI_MARKERADD, 1UL, 2L);
        text.editor.SendScintilla(QsciScintillaBase::SCI_MARKERADD, 3UL, 5L);
        ASSERT_EQ(SearchReplace(text.editor, row.search, row.replace, kAll | soEntireScope), 4);
        std::vector<std::pair<int, int>> marked;
        for (int line = 0; line < text.editor.lines(); ++line) {
            if (const int mask = int(text.editor.markersAtLine(line))) {
                marked.emplace_back(line, mask);
            }
        }
        EXPECT_EQ(marked, row.expected) << row.search << " > " << row.replace;
    }
}

TEST(SearchReplace, ConfirmationDecidesEachMatch) {
    struct Row {
        std::deque<TReplaceAnswer> answers;
        int expectedCount;
        const char* expectedText;
        int expectedQuestions;
    };
    using A = TReplaceAnswer;
    const Row rows[] = {
        {{A::Yes, A::No, A::YesToAll}, 3, "dog Cat dog dog", 3},
        {{A::No, A::Cancel}, 0, "cat Cat cat cat", 2},
        {{A::No, A::No, A::No, A::No}, 0, "cat Cat cat cat", 4},
    };
    for (const Row& row : rows) {
        test::EditorText text;
        text.Load("cat Cat cat cat");
        std::deque<A> answers = row.answers;
        QStringList asked;
        const TReplaceConfirmation confirm = [&](const QString& found, const QString& with) {
            asked << found + ">" + with;
            EXPECT_EQ(text.editor.selectedText(), found);
            const A answer = answers.front();
            answers.pop_front();
            return answer;
        };
        EXPECT_EQ(
            SearchReplace(text.editor, "cat", "dog", kAll | soPrompt | soEntireScope, confirm),
            row.expectedCount);
        EXPECT_EQ(text.editor.text(), row.expectedText);
        EXPECT_EQ(asked.size(), row.expectedQuestions);
        EXPECT_EQ(asked.value(1), "Cat>dog"); // the match as written in the text
    }
}

TEST(SearchReplace, ExplicitScopeTakesThePlaceOfTheSelection) {
    test::EditorText text;
    text.Load(kCats);
    text.Select(4, 7); // a match found earlier inside the scope below
    const TSearchScope scope{text.Byte(4), text.Byte(12)};
    EXPECT_EQ(SearchReplace(text.editor, "cat", "", soSelectedOnly, {}, scope), 1);
    EXPECT_EQ(text.Anchor(), 9);
    EXPECT_EQ(SearchReplace(text.editor, "cat", "", soSelectedOnly, {}, scope), 0);
}

TEST(SearchReplace, LargeDocumentIsReplacedInOnePass) {
    constexpr int kLines = 100000;
    QString source;
    source.reserve(kLines * 24);
    for (int i = 0; i < kLines; ++i) {
        source += QStringLiteral("compute x = x + %1.\n").arg(i % 10);
    }
    test::EditorText text;
    text.Load(source);
    const long before = text.editor.length();
    EXPECT_EQ(SearchReplace(text.editor, "x", "xx", kAll | soEntireScope | soWholeWord),
              2 * kLines);
    EXPECT_EQ(text.editor.length(), before + 2 * kLines);
    EXPECT_EQ(text.editor.text(kLines - 1), "compute xx = xx + 9.\n");
    EXPECT_EQ(SearchReplace(text.editor, "compute", "", soEntireScope | soBackwards), 1);
    EXPECT_EQ(
        text.editor.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                  text.editor.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)),
        kLines - 1);
    text.editor.undo();
    EXPECT_EQ(text.editor.text(), source);
}

} // namespace
} // namespace qs
