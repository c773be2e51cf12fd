// The live checks in the editor: after each change by the user, the command around the
// caret is checked again and its marks, a squiggle of their own colour, set anew.
#include "ui/LiveChecks.h"
#include "ui/TSyntaxEditor.h"

#include "spss/CommandSplitter.h"

namespace qs {

namespace {

using SB = QsciScintillaBase;

constexpr int kLiveIndicator = 10; // beside the engine's error and warning marks
// How far a command is looked for around the caret: a longer one is left unchecked.
constexpr long kMostLines = 200;

// Whether a command ends on this line (its last non-blank a period) or the line is blank:
// either way the next line may start one.
bool EndsCommand(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r' ||
                             line.back() == '\n')) {
        line.remove_suffix(1);
    }
    return line.empty() || line.back() == '.';
}

} // namespace

void TSyntaxEditor::ConfigureLiveChecks() {
    SendScintilla(SCI_INDICSETSTYLE, kLiveIndicator, SB::INDIC_SQUIGGLE);
    // Violet: not the engine's red, nor its orange.
    SendScintilla(SCI_INDICSETFORE, kLiveIndicator, 0xB0408C); // BGR
    connect(this, &TSyntaxEditor::UserChanged, this, &TSyntaxEditor::CheckCommandAtCaret);
}

std::string TSyntaxEditor::LineBytes(long line) const {
    auto* self = const_cast<TSyntaxEditor*>(this); // the control's calls are not const
    const long start = self->SendScintilla(SCI_POSITIONFROMLINE, line);
    const long end = self->SendScintilla(SCI_GETLINEENDPOSITION, line);
    if (end <= start) {
        return {};
    }
    const char* bytes =
        reinterpret_cast<const char*>(self->SendScintilla(SCI_GETRANGEPOINTER, start, end - start));
    return std::string(bytes, static_cast<std::size_t>(end - start));
}

void TSyntaxEditor::CheckCommandAtCaret() {
    if (!m_liveChecks || !m_highlighter) {
        return;
    }
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    const long caret = SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETCURRENTPOS));
    long first = caret;
    while (first > 0 && caret - first < kMostLines && !EndsCommand(LineBytes(first - 1))) {
        --first;
    }
    long last = caret;
    while (last + 1 < lines && last - caret < kMostLines && !EndsCommand(LineBytes(last))) {
        ++last;
    }
    std::vector<std::string> text;
    std::string joined;
    for (long line = first; line <= last; ++line) {
        text.push_back(LineBytes(line));
        joined += text.back() + '\n';
    }
    // The lines as PSPP cuts them; the command the caret is in.
    std::optional<CommandLines> command;
    CommandSplitter splitter(joined);
    while (const auto next = splitter.Next()) {
        if (static_cast<long>(next->lastLine) >= caret - first + 1) {
            if (static_cast<long>(next->firstLine) <= caret - first + 1) {
                command = next;
            }
            break;
        }
    }
    const auto clear = [&](long from, long to) {
        const long start = SendScintilla(SCI_POSITIONFROMLINE, from);
        SendScintilla(SCI_SETINDICATORCURRENT, kLiveIndicator);
        SendScintilla(SCI_INDICATORCLEARRANGE, start,
                      SendScintilla(SCI_GETLINEENDPOSITION, to) - start);
    };
    // Too long to tell where it starts, or inline data and macro bodies, which are no syntax.
    const bool lost = (caret - first >= kMostLines && first > 0) || !command ||
                      command->unfinished;
    const std::string head = command ? text[command->firstLine - 1].substr(0, 40) : std::string();
    const auto opens = [&](const char* word) {
        std::string upper;
        for (const char c : head) {
            upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return upper.find(word) != std::string::npos;
    };
    if (lost || opens("BEGIN DATA") || opens("DEFINE")) {
        clear(caret, caret);
        return;
    }
    const long from = first + static_cast<long>(command->firstLine) - 1;
    const long to = first + static_cast<long>(command->lastLine) - 1;
    std::vector<std::string_view> commandLines;
    for (long line = from; line <= to; ++line) {
        commandLines.emplace_back(text[static_cast<std::size_t>(line - first)]);
    }
    const int state = from > 0 ? static_cast<int>(SendScintilla(SCI_GETLINESTATE, from - 1)) : 0;
    const std::vector<LiveMark> marks = CheckCommand(*m_highlighter, commandLines, state);
    clear(from, to);
    SendScintilla(SCI_SETINDICATORCURRENT, kLiveIndicator);
    for (const LiveMark& mark : marks) {
        m_liveMessages.push_back(QString::fromStdString(mark.message));
        const long at = SendScintilla(SCI_POSITIONFROMLINE, from + static_cast<long>(mark.line)) +
                        static_cast<long>(mark.start);
        SendScintilla(SCI_SETINDICATORVALUE, static_cast<long>(m_liveMessages.size()));
        SendScintilla(SCI_INDICATORFILLRANGE, at, static_cast<long>(mark.end - mark.start));
    }
    if (marks.empty() && m_liveMessages.size() > 4096) {
        m_liveMessages.clear(); // the values of marks still shown elsewhere say nothing then
    }
}

QString TSyntaxEditor::LiveMessageAt(long position) const {
    const long value = SendScintilla(SCI_INDICATORVALUEAT, kLiveIndicator, position);
    if ((SendScintilla(SCI_INDICATORALLONFOR, position) & (1L << kLiveIndicator)) == 0 ||
        value <= 0 || value > static_cast<long>(m_liveMessages.size())) {
        return {};
    }
    return m_liveMessages[static_cast<std::size_t>(value - 1)];
}

} // namespace qs
