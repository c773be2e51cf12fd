// Lines the engine reported messages for: a symbol in the bookmark margin, the line's
// code underlined and the messages as its tooltip, until the line is edited.
#include "ui/TSyntaxEditor.h"

#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>

namespace qs {
namespace {

using SB = QsciScintillaBase;
constexpr int kErrorMarker = 10; // after the ten bookmarks
constexpr int kWarningMarker = 11;
constexpr int kErrorIndicator = 8; // the first indicator left to applications
constexpr int kWarningIndicator = 9;

} // namespace

void TSyntaxEditor::ConfigureLineMarks() {
    const QColor error(200, 0, 0);
    const QColor warning(230, 140, 0);
    for (const auto& [marker, indicator, colour] :
         {std::tuple{kErrorMarker, kErrorIndicator, error},
          std::tuple{kWarningMarker, kWarningIndicator, warning}}) {
        SendScintilla(SCI_MARKERDEFINE, marker, SB::SC_MARK_CIRCLE);
        SendScintilla(SCI_MARKERSETFORE, marker, colour);
        SendScintilla(SCI_MARKERSETBACK, marker, colour);
        SendScintilla(SCI_INDICSETSTYLE, indicator, SB::INDIC_SQUIGGLE);
        SendScintilla(SCI_INDICSETFORE, indicator, colour);
    }
}

void TSyntaxEditor::AddLineMark(long line, MarkKind kind, const QString& message) {
    if (line < 0 || line >= SendScintilla(SCI_GETLINECOUNT)) {
        return;
    }
    const bool error = kind == MarkKind::Error;
    const int handle = static_cast<int>(
        SendScintilla(SCI_MARKERADD, line, error ? kErrorMarker : kWarningMarker));
    if (handle >= 0) {
        m_markMessages[handle] = message;
    }
    const long start = SendScintilla(SCI_GETLINEINDENTPOSITION, line);
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
    SendScintilla(SCI_SETINDICATORCURRENT, error ? kErrorIndicator : kWarningIndicator);
    SendScintilla(SCI_INDICATORFILLRANGE, start, std::max(1L, end - start));
}

void TSyntaxEditor::ClearLineMarks(long first, long last) {
    if (m_markMessages.empty()) {
        return;
    }
    for (auto it = m_markMessages.begin(); it != m_markMessages.end();) {
        const long line = SendScintilla(SCI_MARKERLINEFROMHANDLE, it->first);
        if (line < 0 || (line >= first && line <= last)) {
            SendScintilla(SCI_MARKERDELETEHANDLE, it->first);
            it = m_markMessages.erase(it);
        } else {
            ++it;
        }
    }
    const long lastLine = std::min(last, static_cast<long>(SendScintilla(SCI_GETLINECOUNT)) - 1);
    const long start = SendScintilla(SCI_POSITIONFROMLINE, std::max(0L, first));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, std::max(0L, lastLine));
    for (const int indicator : {kErrorIndicator, kWarningIndicator}) {
        SendScintilla(SCI_SETINDICATORCURRENT, indicator);
        SendScintilla(SCI_INDICATORCLEARRANGE, start, end - start);
    }
}

void TSyntaxEditor::ClearLineMarks() {
    ClearLineMarks(0, SendScintilla(SCI_GETLINECOUNT));
}

std::vector<long> TSyntaxEditor::MarkedLines() const {
    std::vector<long> lines;
    for (const auto& [handle, message] : m_markMessages) {
        lines.push_back(SendScintilla(SCI_MARKERLINEFROMHANDLE, handle));
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

QString TSyntaxEditor::LineMarkMessage(long line) const {
    QStringList messages;
    for (const auto& [handle, message] : m_markMessages) {
        if (SendScintilla(SCI_MARKERLINEFROMHANDLE, handle) == line) {
            messages << message;
        }
    }
    return messages.join('\n');
}

bool TSyntaxEditor::GotoLineMark(int direction) {
    const std::vector<long> lines = MarkedLines();
    if (lines.empty()) {
        return false;
    }
    const long caretLine = SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETCURRENTPOS));
    long target;
    if (direction > 0) {
        const auto next = std::upper_bound(lines.begin(), lines.end(), caretLine);
        target = next == lines.end() ? lines.front() : *next; // round the end
    } else {
        const auto next = std::lower_bound(lines.begin(), lines.end(), caretLine);
        target = next == lines.begin() ? lines.back() : *std::prev(next);
    }
    SendScintilla(SCI_ENSUREVISIBLE, target);
    SendScintilla(SCI_GOTOPOS, SendScintilla(SCI_GETLINEINDENTPOSITION, target));
    return true;
}

void TSyntaxEditor::DropMarksOfEdit(long position, int type, long length) {
    if (m_markMessages.empty() || (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) == 0) {
        return;
    }
    const long first = SendScintilla(SCI_LINEFROMPOSITION, position);
    const long last = (type & SC_MOD_BEFOREDELETE) != 0
                          ? SendScintilla(SCI_LINEFROMPOSITION, position + length)
                          : first;
    ClearLineMarks(first, last);
}

bool TSyntaxEditor::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::ToolTip && (!m_markMessages.empty() || !m_liveMessages.empty())) {
        const auto* help = static_cast<QHelpEvent*>(e);
        const long height = std::max(1L, static_cast<long>(SendScintilla(SCI_TEXTHEIGHT, 0)));
        const long line = SendScintilla(SCI_GETFIRSTVISIBLELINE) + help->pos().y() / height;
        const long position =
            SendScintilla(SCI_POSITIONFROMPOINTCLOSE, help->pos().x(), help->pos().y());
        QStringList texts;
        for (const QString& one : {LineMarkMessage(line),
                                   position >= 0 ? LiveMessageAt(position) : QString()}) {
            if (!one.isEmpty()) {
                texts << one;
            }
        }
        const QString text = texts.join('\n');
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QsciScintilla::viewportEvent(e);
}

} // namespace qs
