#include "engine/PsppHtmlItems.h"
#include "platform/HtmlText.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qs::engine {
namespace {

using Kind = OutputItem::Kind;

const std::string kRecorded = test::ReadFileBytes(std::string(QS_FIXTURES_DIR) + "/pspp/items.html");

OutputItems ReadInPieces(std::size_t piece) {
    PsppHtmlItems reader;
    reader.SetBatchFile("items.sps");
    OutputItems all;
    for (std::size_t at = 0; at < kRecorded.size(); at += piece) {
        for (OutputItem& item : reader.Feed(std::string_view(kRecorded).substr(at, piece))) {
            all.push_back(std::move(item));
        }
    }
    return all;
}

// PSPP's recorded output gives the same items whatever the pieces it arrives in.
TEST(PsppHtmlItems, RecordedOutputGivesItsItemsInAnyPieces) {
    const OutputItems whole = ReadInPieces(kRecorded.size());
    struct Expected {
        Kind kind;
        std::string title;
    };
    const std::vector<Expected> expected{
        {Kind::Table, "Statistics"},
        {Kind::Table, "Ex <&> label"},
        {Kind::Chart, "chart: Ex <&> label"},
        {Kind::Message, "7: error: FREQUENCIES: nothing is not a variable name."},
        {Kind::Text, "plain text"},
        {Kind::Message, "9: note: SHOW: N is 4."},
        {Kind::Syntax, "SET PRINTBACK=ON."},
        {Kind::Syntax, "ECHO 'a <b> & c'."},
        {Kind::Text, "a <b> & c"},
    };
    ASSERT_EQ(whole.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(whole[i].kind, expected[i].kind) << i;
        EXPECT_EQ(whole[i].title, expected[i].title) << i;
    }
    EXPECT_EQ(whole[2].image, "items-1.png");
    EXPECT_EQ(whole[3].severity, OutputItem::Severity::Error);
    EXPECT_EQ(whole[3].line, 7u);
    EXPECT_EQ(whole[5].severity, OutputItem::Severity::Note);
    EXPECT_EQ(whole[0].html.rfind("<table>", 0), 0u);
    EXPECT_NE(whole[0].html.find(">Valid<"), std::string::npos);
    EXPECT_EQ(whole[0].html.substr(whole[0].html.size() - 8), "</table>");

    for (const std::size_t piece : {1, 7, 4096}) {
        const OutputItems pieces = ReadInPieces(piece);
        ASSERT_EQ(pieces.size(), whole.size()) << piece;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(pieces[i].title, whole[i].title) << piece << " " << i;
            EXPECT_EQ(pieces[i].html, whole[i].html) << piece << " " << i;
            EXPECT_EQ(pieces[i].image, whole[i].image) << piece << " " << i;
        }
    }
}

// Message lines are named as the editor numbers them: the run's own lines and those of the
// file its text was included from move by where the text starts; other files' stay.
TEST(PsppHtmlItems, MessagesAreNamedByTheDocumentsLines) {
    struct Row {
        std::string title, placed;
        std::size_t line;
    };
    const std::vector<Row> rows{
        {"1: error: FREQUENCIES: x is not a variable name.",
         "28: error: FREQUENCIES: x is not a variable name.", 28},
        {"/r/S1.TMP:3.5-3.9: warning: LIST: odd.", "30: warning: LIST: odd.", 30},
        {"/home/u/other.sps:3: error: GET: no file.", "/home/u/other.sps:3: error: GET: no file.", 0},
        {"error: no line named.", "error: no line named.", 0},
    };
    OutputItems items;
    for (const Row& row : rows) {
        items.push_back({OutputItem::Kind::Message, row.title});
    }
    PlaceMessages(items, {28, "/r/S1.TMP"});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(items[i].title, rows[i].placed);
        EXPECT_EQ(items[i].line, rows[i].line) << rows[i].title;
    }
}

// PSPP reports a syntax error before it prints the command back; the message goes after
// the command it names, abbreviated or not, and stays where it is otherwise.
TEST(PsppHtmlItems, SyntaxErrorsFollowTheCommandTheyName) {
    struct Row {
        const char *message, *syntax;
        bool follows;
    };
    const Row rows[] = {
        {"7: error: FREQUENCIES: nothere is not a variable name.", "FREQUENCIES nothere.", true},
        {"7.6-7.12: error: FREQUENCIES: nothere is not a variable name.", "freq\n  nothere.", true},
        {"3: error: DATA LIST: odd.", "data   list list /x.", true},
        {"7: warning: FREQUENCIES: no valid cases.", "DESCRIPTIVES x.", false},
        {"7: error: FREQUENCIES: x.", "FR x.", false},
        {"error: no command named.", "LIST.", false},
    };
    for (const Row& row : rows) {
        PsppHtmlItems reader;
        const OutputItems items = reader.Feed("<body>\n<p>" + HtmlEscaped(row.message, true) +
                                              "</p>\n<pre class=\"syntax\">" +
                                              HtmlEscaped(row.syntax, false) + "</pre>\n<p>x</p>\n");
        ASSERT_EQ(items.size(), 3u) << row.message;
        EXPECT_EQ(items[0].kind, row.follows ? Kind::Syntax : Kind::Message) << row.message;
        EXPECT_EQ(items[1].kind, row.follows ? Kind::Message : Kind::Syntax) << row.message;
    }
}

// A table too large to keep (a LIST of a whole dataset) comes as its caption alone, and
// printed-back inline data as its first lines; what follows is read as ever.
TEST(PsppHtmlItems, TooLargeElementsArePassedOnInShort) {
    struct Row {
        std::string open, repeated, close;
        Kind kind;
        std::size_t limit;
        std::string title;
    };
    const std::vector<Row> rows{
        {"<table>\n<caption style='x'>Data List</caption>\n<tbody>\n",
         "<tr>\n<td style='text-align: right'>12345.00</td>\n</tr>\n", "</tbody>\n</table>\n",
         Kind::Table, kMaxTableBytes, "Data List"},
        {"<pre class=\"syntax\">BEGIN DATA.", "<br>1 2 &amp; 3", "<br>END DATA.</pre>\n", Kind::Syntax,
         kMaxTextBytes, "BEGIN DATA.\n1 2 & 3\n1 2 & 3"},
    };
    for (const Row& row : rows) {
        std::string html = "<body>\n" + row.open;
        while (html.size() < row.limit + row.limit / 2) {
            html += row.repeated;
        }
        html += row.close + "<p>after</p>\n";
        PsppHtmlItems reader;
        OutputItems items;
        for (std::size_t at = 0; at < html.size(); at += 4096) {
            for (OutputItem& item : reader.Feed(std::string_view(html).substr(at, 4096))) {
                items.push_back(std::move(item));
            }
        }
        ASSERT_EQ(items.size(), 2u) << row.open;
        EXPECT_EQ(items[0].kind, row.kind);
        EXPECT_EQ(items[0].title.substr(0, row.title.size()), row.title);
        EXPECT_LT(items[0].title.size(), row.limit);
        EXPECT_LT(items[0].html.size(), row.limit);
        EXPECT_EQ(items[1].title, "after");
    }
}

} // namespace
} // namespace qs::engine
