// Where one command of syntax ends and the next begins, shared by the editor (to run the
// command under the caret) and the engine host (to follow what a run did). This header is
// the one place that states the rules.
#pragma once

#include "spss/SyntaxSegmenter.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// The rules are PSPP 1.6.2's for a syntax file it reads with INSERT ... SYNTAX=INTERACTIVE
// (the way the engine host runs every batch) or SYNTAX=BATCH (INCLUDE, and INSERT's default).
// A cut is right when running the commands one by one, each as a file of its own, does what
// running the whole text does.
//
// Lines end at LF or CR LF; a lone CR is a blank inside its line. Blanks are space, tab, VT,
// FF, CR and the Unicode spaces (a no-break space among them). A first line starting "#!"
// belongs to no command.
// Strings ('..', "..", x'..', u'..') run to their closing quote, a doubled quote staying
// inside, or, left open, to the end of the line; /* runs to */ or to the end of the line.
// A period or /* inside them is text:   ECHO 'one.      is not ended there.
//
// A command ends
//  - at a period with nothing but blanks and comments after it on its line:
//        FREQ x. /* n */
//  - before an empty line, or a line of blanks and comments that starts with a blank; a line
//    that is only a comment starting in the first column does not end it:
//        LIST                 one command of three lines; with the comment
//        /* comment */        indented, LIST ends above it
//        /FORMAT=NUMBERED.
//  - before a line with +, - or . in its first column; a + followed by a string continues
//    the command instead:   ECHO 'a'  /  + 'b'.    is one command that prints ab
//  - in batch mode, also before any line with something other than a blank in its first
//    column;
//  - at the end of the text.
//
// The first word of every line (after such a sign), even inside a command that has not yet
// ended, may open a construct that ends by rules of its own:
//        DATA LIST LIST /x        no period: BEGIN DATA opens inline data all the same, and
//        BEGIN DATA.              the four lines are one command
//        1
//        END DATA.
//  - * or COMM[ENT] opens a comment: it ends at a line whose last non-blank is a period, or
//    before an empty or all-blank line or a line starting + - or . (in batch mode: before a
//    line with a non-blank first column); quotes and /* in it are text.
//  - DOC[UMENT] runs, across empty lines, to a line whose last non-blank is a period.
//  - FIL[E] LAB[EL] followed by unquoted text takes the rest of its line as text; a period
//    that is the line's last non-blank ends the command.
//  - DEFINE name (...) takes every line up to !ENDDEFINE (outside quotes and comments) as
//    its body, periods and empty lines included.
//  - DO REP[EAT] takes the lines after its head as its body, up to the line whose first
//    words are END REP[EAT] (DO REPEAT and END REPEAT lines within counted), then the
//    END REPEAT command, whatever blank lines come before it:
//        DO REPEAT s = 'a' 'b'. / ECHO s. / END REPEAT.    is one command.
//  - BEG[IN] DAT[A] with nothing but a period after it on its line opens inline data, which
//    ends at a line that is END DATA from the first column, with one blank (tab, no-break
//    space...) between the words and nothing but blanks and at most one period after them.
//    Without that period the command goes on by the rules above.
// PSPP also reads past the end of some commands, and those commands take in what it reads:
//  - MATR[IX] alone runs through the command that starts END MATR[IX];
//  - MATR[IX] DAT[A] takes in the command after it, its BEGIN DATA ... END DATA.
// (A procedure placed between DATA LIST and its BEGIN DATA also reads the data, which the
// splitter cannot see: those two are cut apart, and run apart they differ.)
//
// A command's lines run from the line of its first word (or comment) to the line of its
// last; lines of blanks and comments between commands belong to none.
//
// Speed: one pass, linear in the length of the text; no look-ahead passes the next word.
// Every cut leaves the splitter in the same state, so a splitter started at the first line
// of any command it gave goes on exactly as a split of the whole text does.
// After an edit, split again from the command the edit touched (or the one before it) and
// stop at the first command past the edit that starts where an old one did.

// Where a command stands in the text that was split.
struct CommandLines {
    std::size_t firstLine = 0; // 1-based
    std::size_t lastLine = 0;
    std::size_t begin = 0;   // byte offset of its first line's start
    std::size_t end = 0;     // byte offset of its last line's end, before the line break
    bool unfinished = false; // the text ended inside its DO REPEAT, DEFINE, data or MATRIX
};

struct SyntaxCommand : CommandLines {
    std::string text; // the command's lines joined by LF
};

// Commands one at a time, from the start of the text or from the first line of a command an
// earlier split of the same text gave.
class CommandSplitter {
public:
    explicit CommandSplitter(std::string_view text, SyntaxMode mode = SyntaxMode::Interactive);
    CommandSplitter(std::string_view text, const CommandLines& from,
                    SyntaxMode mode = SyntaxMode::Interactive);

    // The next command; nullopt after the last.
    std::optional<CommandLines> Next();

private:
    enum class State : unsigned char {
        General,
        Comment,
        Document,
        FileLabel,
        RepeatHead,
        RepeatGap,
        RepeatBody,
        DefineHead,
        DefineParams,
        DefineBody,
        DataHead,
        Data,
    };
    using Cursor = SyntaxSegmenter::Cursor;
    using Segment = SyntaxSegmenter::Segment;

    bool Waiting() const;
    void Step();
    void StepGeneral();
    void StepHead();
    void StepLine();
    void TakeLine(std::size_t lineEnd);
    void NextCommentLine();
    void NewLine();
    void Mark();
    void Boundary();
    void Cut();

    std::string_view m_text;
    SyntaxSegmenter m_seg;
    Cursor m_cur;
    State m_state = State::General;
    std::size_t m_line = 1;
    std::size_t m_lineStart = 0;
    int m_nest = 0;           // open parentheses of DEFINE, open DO REPEATs of a body
    bool m_firstLine = false; // a comment's first line, which holds its * or COMMENT
    bool m_dataNext = false;  // BEGIN DATA's head has a line end still to come
    // The command as PSPP's segmenter counts it: how many tokens, and the first two words.
    std::size_t m_words = 0;
    std::string_view m_word[2];
    // Where PSPP reads on past the end of a command.
    bool m_repeatTail = false; // empty commands may stand between a body and END REPEAT
    bool m_matrix = false;     // inside MATRIX, up to END MATRIX
    bool m_wantData = false;   // MATRIX DATA, before its BEGIN DATA
    std::optional<CommandLines> m_open;
    std::size_t m_lastLineStart = 0;
    std::optional<CommandLines> m_ready;
    bool m_done = false;
};

// Every command of `text`, with its text.
std::vector<SyntaxCommand> SplitCommands(std::string_view text,
                                         SyntaxMode mode = SyntaxMode::Interactive);

// The whole commands that lines first..last (1-based) of `text` touch, and where the
// command after them starts. The text is split only as far as that.
struct CommandSpan {
    std::size_t firstLine = 0;
    std::size_t lastLine = 0;
    std::size_t nextLine = 0; // first line of the following command; 0 when none follows
};

// Lines that touch no command (blank lines between commands) stand for the command after
// them, or at the end of the text for the one before them; nullopt when there is none.
std::optional<CommandSpan> CommandsTouching(std::string_view text, std::size_t first,
                                            std::size_t last);

} // namespace qs
