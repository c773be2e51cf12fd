// Command boundaries of syntax: PSPP's segments, gathered into the commands that run alike
// alone and in the whole text.
#include "spss/CommandSplitter.h"

#include <utility>

namespace qs {

using Seg = SyntaxSegmenter;

CommandSplitter::CommandSplitter(std::string_view text, SyntaxMode mode)
    : m_text(text), m_seg(text, mode) {
    if (text.size() >= 2 && text[0] == '#' && text[1] == '!') {
        m_cur = {m_seg.LineText(0).size(), false, true};
    }
}

CommandSplitter::CommandSplitter(std::string_view text, const CommandLines& from, SyntaxMode mode)
    : CommandSplitter(text, mode) {
    if (from.begin > 0) {
        m_cur = {from.begin, true, true};
        m_line = from.firstLine;
        m_lineStart = from.begin;
    }
}

std::optional<CommandLines> CommandSplitter::Next() {
    while (!m_ready && !m_done) {
        Step();
    }
    std::optional<CommandLines> ready = std::move(m_ready);
    m_ready.reset();
    return ready;
}

void CommandSplitter::Step() {
    if (m_cur.pos >= m_text.size()) {
        if (m_open && Waiting()) {
            m_open->unfinished = true;
        }
        Cut();
        m_done = true;
        return;
    }
    switch (m_state) {
    case State::General:
        StepGeneral();
        return;
    case State::Comment:
    case State::Document:
    case State::RepeatBody:
    case State::DefineBody:
    case State::Data:
        StepLine();
        return;
    default:
        StepHead();
        return;
    }
}

// Whether the text ends before what a command waits for: an END REPEAT, !ENDDEFINE,
// END DATA, END MATRIX, or MATRIX DATA's data.
bool CommandSplitter::Waiting() const {
    switch (m_state) {
    case State::General:
    case State::Comment:
    case State::Document:
    case State::FileLabel:
        return m_matrix || m_wantData;
    default:
        return true;
    }
}

void CommandSplitter::StepGeneral() {
    using Kind = Segment::Kind;
    using O = Segment::Opens;
    const Segment s = m_seg.Next(m_cur);
    switch (s.kind) {
    case Kind::LineEnd:
        NewLine();
        return;
    case Kind::Blank:
        return;
    case Kind::EndCommand:
        Mark();
        Boundary();
        return;
    case Kind::Separate:
    case Kind::StartCommand:
        Boundary();
        return;
    case Kind::Token:
        break;
    }
    if (s.opens == O::Comment) {
        // A comment is no token: it does not settle what a MATRIX DATA waits for.
        m_cur.pos = s.begin;
        Mark();
        m_state = State::Comment;
        m_firstLine = true;
        return;
    }
    State next = State::General;
    switch (s.opens) {
    case O::Document:
        next = State::Document;
        m_cur.pos = s.begin;
        break;
    case O::Define:
        next = State::DefineHead;
        m_cur.startOfCommand = true; // PSPP keeps it for the name
        break;
    case O::File:
        next = Seg::Abbreviates(m_seg.NextWord(s.end, nullptr), "LABEL") ? State::FileLabel : next;
        break;
    case O::Do:
        next =
            Seg::Abbreviates(m_seg.NextWord(s.end, nullptr), "REPEAT") ? State::RepeatHead : next;
        break;
    case O::Begin:
        next = m_seg.OpensData(s.begin, s.end, m_dataNext) ? State::DataHead : next;
        break;
    default:
        break;
    }
    m_wantData = false; // the command after MATRIX DATA has started
    Mark();
    if (m_words < 2) {
        m_word[m_words] = s.word ? m_text.substr(s.begin, s.end - s.begin) : std::string_view();
    }
    ++m_words;
    m_state = next;
}

// The head of DEFINE, DO REPEAT or BEGIN DATA, and the word LABEL: PSPP reads them as it reads
// any command, but only to find where the construct's body starts.
void CommandSplitter::StepHead() {
    using Kind = Segment::Kind;
    const Segment s = m_seg.Next(m_cur);
    const bool token = s.kind == Kind::Token || s.kind == Kind::EndCommand;
    const bool end =
        s.kind == Kind::EndCommand || s.kind == Kind::Separate || s.kind == Kind::StartCommand;
    if (s.kind == Kind::LineEnd) {
        NewLine();
    }
    if (token) {
        Mark();
    }
    if (s.opens == Segment::Opens::Comment) {
        // Read as one segment, up to a final period or the line end; no more lines.
        const std::string_view line = m_seg.LineText(s.begin);
        const bool period = Seg::LastNonBlank(line) == '.';
        m_cur.pos = period ? s.begin + line.find_last_of('.') : s.begin + line.size();
        m_cur.startOfCommand = !period;
        return;
    }
    switch (m_state) {
    case State::RepeatHead:
        if (s.kind == Kind::Separate) {
            m_state = State::RepeatGap;
        } else if (s.kind == Kind::EndCommand || s.kind == Kind::StartCommand) {
            m_state = State::RepeatBody;
            m_nest = 1;
        }
        return;
    case State::RepeatGap:
        if (s.kind == Kind::LineEnd) {
            m_state = State::RepeatBody;
            m_nest = 1;
        }
        return;
    case State::DefineHead:
    case State::DefineParams:
        if (end) {
            m_state = State::General; // no body: PSPP reports the DEFINE as malformed
            Boundary();
        } else if (s.kind == Kind::Token && s.Is(m_text, '(')) {
            m_nest = m_state == State::DefineHead ? 1 : m_nest + 1;
            m_state = State::DefineParams;
        } else if (m_state == State::DefineParams && s.kind == Kind::Token && s.Is(m_text, ')') &&
                   --m_nest == 0) {
            m_state = State::DefineBody;
            m_cur.startOfCommand = false;
        }
        return;
    case State::DataHead:
        if (s.kind == Kind::LineEnd) {
            m_state = m_dataNext ? State::DataHead : State::Data;
            m_dataNext = false;
        }
        return;
    default: // FileLabel: the word LABEL
        if (s.kind == Kind::Token && s.word) {
            const std::size_t text = m_seg.SkipBlanks(s.end, true);
            const bool unquoted = text < m_text.size() && m_text[text] != '\'' &&
                                  m_text[text] != '"' && m_text[text] != '\n';
            m_state = State::General;
            if (unquoted) {
                // The rest of the line is the label; a final period ends the command.
                const std::size_t lineEnd = m_seg.LineEnd(s.end);
                const std::string_view label = m_text.substr(s.end, lineEnd - s.end);
                m_cur.pos = lineEnd;
                if (Seg::LastNonBlank(label) == '.') {
                    m_cur.startOfCommand = true;
                    Boundary();
                }
            }
        } else if (end) {
            m_state = State::General;
            Boundary();
        }
        return;
    }
}

// The constructs that PSPP reads a line at a time, from where the reading stands to the end
// of the line.
void CommandSplitter::StepLine() {
    const std::size_t pos = m_cur.pos;
    const std::string_view line = m_seg.LineText(pos);
    const std::size_t lineEnd = m_seg.LineEnd(pos);
    switch (m_state) {
    case State::Comment:
    case State::Document: {
        const char32_t last = Seg::LastNonBlank(line);
        if (m_state == State::Comment && !m_firstLine && last == 0) {
            m_state = State::General; // a blank line ends a comment
            m_cur = {lineEnd, false, true};
            Boundary();
            return;
        }
        m_firstLine = false;
        Mark();
        if (last == '.') {
            m_state = State::General;
            m_cur = {lineEnd, false, true};
            Boundary();
            return;
        }
        TakeLine(lineEnd);
        if (m_state == State::Comment) {
            NextCommentLine();
        }
        return;
    }
    case State::RepeatBody: {
        if (line.empty() || line == "\r") {
            TakeLine(lineEnd);
            return;
        }
        // DO REPEAT and END REPEAT lines nest; the line that closes the outermost ends the
        // body, and is read again as the start of a command.
        std::size_t after = pos + ((line[0] == '+' || line[0] == '-') ? 1 : 0);
        const std::string_view first = m_seg.NextWord(after, &after);
        const int step = Seg::SameLetters(first, "DO")    ? 1
                         : Seg::SameLetters(first, "END") ? -1
                                                          : 0;
        if (step != 0 && Seg::Abbreviates(m_seg.NextWord(after, nullptr), "REPEAT")) {
            m_nest += step;
        }
        if (m_nest == 0) {
            m_state = State::General;
            m_cur = {pos, true, true};
            m_repeatTail = true;
            m_words = 0;
            return;
        }
        break;
    }
    case State::DefineBody:
        if (const auto end = Seg::FindEndDefine(line)) {
            m_state = State::General;
            m_cur = {pos + *end, false, false};
            return;
        }
        break;
    default: // Data
        if (Seg::IsEndData(line)) {
            m_state = State::General;
            m_cur = {pos, true, true};
            return;
        }
        break;
    }
    if (!line.empty()) {
        Mark();
    }
    TakeLine(lineEnd);
}

// On to the start of the next line.
void CommandSplitter::TakeLine(std::size_t lineEnd) {
    m_cur.pos = lineEnd;
    if (lineEnd < m_text.size()) {
        ++m_cur.pos;
        NewLine();
    }
}

// At the start of the line after a line of a comment: whether the comment goes on.
void CommandSplitter::NextCommentLine() {
    if (m_cur.pos >= m_text.size()) {
        return;
    }
    const char first = m_text[m_cur.pos];
    const bool sign = first == '+' || first == '-' || first == '.';
    const bool batchStart = m_seg.Mode() == SyntaxMode::Batch && !m_seg.BlankAt(m_cur.pos);
    if (sign || batchStart) {
        if (!sign) {
            Boundary(); // the comment is a command of its own; the line starts the next
        }
        m_state = State::General;
        m_cur = {m_cur.pos, true, true};
    }
}

void CommandSplitter::NewLine() {
    ++m_line;
    m_lineStart = m_cur.pos;
}

void CommandSplitter::Mark() {
    if (!m_open) {
        m_open = CommandLines{m_line, m_line, m_lineStart, 0, false};
    }
    m_open->lastLine = m_line;
    m_lastLineStart = m_lineStart;
}

// The segmenter's command ends here; so does ours, unless PSPP reads on past it.
void CommandSplitter::Boundary() {
    const std::size_t words = std::exchange(m_words, 0);
    const std::string_view first = words > 0 ? m_word[0] : std::string_view();
    const std::string_view second = words > 1 ? m_word[1] : std::string_view();
    if (m_repeatTail) {
        if (words == 0) {
            return; // DO REPEAT skips empty commands before its END REPEAT
        }
        m_repeatTail = false;
    }
    if (m_matrix) {
        if (Seg::SameLetters(first, "END") && Seg::Abbreviates(second, "MATRIX")) {
            m_matrix = false;
            Cut();
        }
        return;
    }
    if (m_wantData) {
        return; // MATRIX DATA skips empty commands before its BEGIN DATA
    }
    if (words == 1 && Seg::Abbreviates(first, "MATRIX")) {
        m_matrix = true;
    } else if (Seg::Abbreviates(first, "MATRIX") && Seg::Abbreviates(second, "DATA")) {
        m_wantData = true;
    } else {
        Cut();
    }
}

void CommandSplitter::Cut() {
    if (!m_open) {
        return;
    }
    m_open->end = m_lastLineStart + m_seg.LineText(m_lastLineStart).size();
    m_ready = std::move(m_open);
    m_open.reset();
}

std::vector<SyntaxCommand> SplitCommands(std::string_view text, SyntaxMode mode) {
    std::vector<SyntaxCommand> commands;
    CommandSplitter splitter(text, mode);
    const SyntaxSegmenter reader(text, mode);
    while (const std::optional<CommandLines> lines = splitter.Next()) {
        SyntaxCommand command{*lines, {}};
        for (std::size_t pos = lines->begin;;) {
            command.text += reader.LineText(pos);
            const std::size_t lineEnd = reader.LineEnd(pos);
            if (lineEnd >= lines->end) {
                break;
            }
            command.text += '\n';
            pos = lineEnd + 1;
        }
        commands.push_back(std::move(command));
    }
    return commands;
}

std::optional<CommandSpan> CommandsTouching(std::string_view text, std::size_t first,
                                            std::size_t last) {
    CommandSplitter splitter(text);
    std::optional<CommandLines> from;
    std::optional<CommandLines> command;
    while ((command = splitter.Next())) {
        from = command;
        if (command->lastLine >= first) {
            break;
        }
    }
    if (!from) {
        return std::nullopt;
    }
    // Past the last command the selection stands for that one.
    CommandSpan span{from->firstLine, from->lastLine, 0};
    while ((command = splitter.Next()) && command->firstLine <= last) {
        span.lastLine = command->lastLine;
    }
    span.nextLine = command ? command->firstLine : 0;
    return span;
}

} // namespace qs
