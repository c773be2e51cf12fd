#include "ui/TSpssLexer.h"

#include "highlight/SynHighlighterSPSS.h"

#include <Qsci/qsciscintilla.h>

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <string_view>

namespace qs {

namespace {

QColor FromTColor(TColor color, QColor fallback) {
    if (color == clNone) {
        return fallback;
    }
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

} // namespace

TSpssLexer::TSpssLexer(TSynSPSSHighlighter& highlighter, QObject* parent)
    : QsciLexerCustom(parent), m_highlighter(highlighter) {}

QFont TSpssLexer::EditorFont() {
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    // 13 pixels high; the editor control takes sizes in points only.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
    font.setPointSizeF(13.0 * 72.0 / dpi);
    return font;
}

QString TSpssLexer::description(int style) const {
    if (style < 0 || style >= kTokenKindCount) {
        return {};
    }
    const auto* attr =
        const_cast<TSynSPSSHighlighter&>(m_highlighter).AttributeFor(static_cast<TokenKind>(style));
    return attr != nullptr ? QString::fromStdString(attr->Name()) : QString("Line end");
}

QColor TSpssLexer::Paper() const {
    // The whitespace's paper is the text's: a style without its own takes it.
    return FromTColor(const_cast<TSynSPSSHighlighter&>(m_highlighter).SpaceAttri().Background(),
                      Qt::white);
}

QColor TSpssLexer::defaultColor(int style) const {
    const auto* attr = style >= 0 && style < kTokenKindCount
                           ? const_cast<TSynSPSSHighlighter&>(m_highlighter)
                                 .AttributeFor(static_cast<TokenKind>(style))
                           : nullptr;
    // Without a colour of its own, text stays readable on a dark paper too.
    const QColor own = Paper().lightness() >= 128 ? QColor(Qt::black) : QColor(0xDC, 0xDC, 0xDC);
    return attr != nullptr ? FromTColor(attr->Foreground(), own) : own;
}

QColor TSpssLexer::defaultPaper(int style) const {
    const auto* attr = style >= 0 && style < kTokenKindCount
                           ? const_cast<TSynSPSSHighlighter&>(m_highlighter)
                                 .AttributeFor(static_cast<TokenKind>(style))
                           : nullptr;
    return attr != nullptr ? FromTColor(attr->Background(), Paper()) : Paper();
}

QFont TSpssLexer::defaultFont(int style) const {
    QFont font = EditorFont();
    const auto* attr = style >= 0 && style < kTokenKindCount
                           ? const_cast<TSynSPSSHighlighter&>(m_highlighter)
                                 .AttributeFor(static_cast<TokenKind>(style))
                           : nullptr;
    if (attr != nullptr) {
        font.setBold(attr->Style() & fsBold);
        font.setItalic(attr->Style() & fsItalic);
        font.setUnderline(attr->Style() & fsUnderline);
        font.setStrikeOut(attr->Style() & fsStrikeOut);
    }
    return font;
}

void TSpssLexer::ReloadStyles() {
    for (int style = 0; style < kTokenKindCount; ++style) {
        setColor(defaultColor(style), style);
        setPaper(defaultPaper(style), style);
        setFont(defaultFont(style), style);
    }
}

void TSpssLexer::styleText(int start, int end) {
    QsciScintilla* ed = editor();
    if (ed == nullptr || end <= start) {
        return;
    }
    m_stylesAhead = 0;
    const auto send = [ed](unsigned int message, unsigned long w = 0, long l = 0) {
        return ed->SendScintilla(message, w, l);
    };
    const long firstLine = send(QsciScintilla::SCI_LINEFROMPOSITION, start);
    const long lastLine = send(QsciScintilla::SCI_LINEFROMPOSITION, end - 1);
    int state =
        firstLine > 0 ? static_cast<int>(send(QsciScintilla::SCI_GETLINESTATE, firstLine - 1)) : 0;
    // Styled in batches of lines, so that a jump to the end of a huge file needs no style
    // buffer as large as the file.
    constexpr long kBatchBytes = 1 << 18;
    long line = firstLine;
    while (line <= lastLine) {
        if (line == m_longLine && StyleKeptLine(line, state)) {
            state = m_long.EndState();
            ++line;
            continue;
        }
        const long from = send(QsciScintilla::SCI_POSITIONFROMLINE, line);
        long stopLine = line;
        while (stopLine < lastLine && stopLine + 1 != m_longLine &&
               send(QsciScintilla::SCI_POSITIONFROMLINE, stopLine + 1) - from < kBatchBytes) {
            ++stopLine;
        }
        const long stop = send(QsciScintilla::SCI_POSITIONFROMLINE, stopLine + 1) > from
                              ? send(QsciScintilla::SCI_POSITIONFROMLINE, stopLine + 1)
                              : send(QsciScintilla::SCI_GETLENGTH);
        // Direct access to the document's bytes: no copy of the range.
        const char* text = reinterpret_cast<const char*>(
            send(QsciScintilla::SCI_GETRANGEPOINTER, from, stop - from));
        if (text == nullptr) {
            return;
        }
        m_styles.assign(static_cast<std::size_t>(stop - from),
                        static_cast<char>(TokenKind::LineEnd));
        for (; line <= stopLine; ++line) {
            const long lineStart = send(QsciScintilla::SCI_POSITIONFROMLINE, line);
            const long lineEnd = send(QsciScintilla::SCI_GETLINEENDPOSITION, line);
            const std::string_view lineText(text + (lineStart - from), lineEnd - lineStart);
            if (line == m_longLine) {
                m_longLine = -1; // kept no more, unless it is still long
            }
            if (lineEnd - lineStart >= kLongLine) {
                // Kept with its scan points, so that typing into it styles only a stretch.
                m_long.Style(m_highlighter, lineText, static_cast<int>(line), state);
                std::copy(m_long.Styles().begin(), m_long.Styles().end(),
                          m_styles.begin() + (lineStart - from));
                m_longLine = line;
                m_longStart = lineStart;
                m_longStartState = state;
                m_longStamp = m_stamp;
                m_longGeneration = m_highlighter.Generation();
            } else {
                m_highlighter.SetLineState(state);
                for (m_highlighter.BeginLine(lineText, static_cast<int>(line));
                     !m_highlighter.AtLineEnd(); m_highlighter.NextToken()) {
                    const long at = lineStart - from + m_highlighter.TokenStart();
                    std::fill_n(m_styles.begin() + at, m_highlighter.TokenText().size(),
                                static_cast<char>(m_highlighter.TokenKindOrdinal()));
                }
            }
            // The line end takes the style of the line's last character: the control keeps
            // a line's layout only while those two styles agree, and laying a long line out
            // again on every repaint is what made typing on it slow.
            if (lineEnd > lineStart) {
                const long next =
                    line == stopLine ? stop : send(QsciScintilla::SCI_POSITIONFROMLINE, line + 1);
                std::fill(m_styles.begin() + (lineEnd - from), m_styles.begin() + (next - from),
                          m_styles[static_cast<std::size_t>(lineEnd - from - 1)]);
            }
            state = m_highlighter.GetLineState();
            send(QsciScintilla::SCI_SETLINESTATE, line, state);
        }
        send(QsciScintilla::SCI_STARTSTYLING, from);
        ed->SendScintilla(QsciScintilla::SCI_SETSTYLINGEX, stop - from, m_styles.data());
    }
    if (m_styles.capacity() > 2 * kBatchBytes) {
        m_styles = std::string(); // a long line made it large: give the memory back
    }
    m_lineAhead = std::string();
}

void TSpssLexer::setEditor(QsciScintilla* editor) {
    if (QsciScintilla* old = this->editor()) {
        disconnect(old, &QsciScintillaBase::SCN_MODIFIED, this, nullptr);
    }
    QsciLexerCustom::setEditor(editor);
    m_long.Clear();
    m_longLine = -1;
    if (editor == nullptr) {
        return;
    }
    // Every change counts (the editor asks only for notices before inserts and deletes): a
    // kept line is used again only if the one change since is the key's own. A change after
    // the line's text, such as a line break at its end, leaves it as it is.
    connect(editor, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
                SettleInsertAtEnd();
                const bool insert = (type & QsciScintilla::SC_MOD_BEFOREINSERT) != 0;
                // The bytes about to go, while they are still there: a kept line can be styled
                // again around them only if they hold no quote or line break.
                m_removed.clear();
                bool breaksOnly = false; // line breaks only, followed by another line end
                if (!insert && m_longLine >= 0 && length <= kMaxRemoved &&
                    this->editor() != nullptr) {
                    // With the byte after them, if any. (The copy the control gives holds a
                    // NUL after the bytes asked for.)
                    const long docLength =
                        this->editor()->SendScintilla(QsciScintilla::SCI_GETLENGTH);
                    const bool atEnd = position + length >= docLength;
                    const QByteArray bytes =
                        this->editor()->bytes(position, position + length + (atEnd ? 0 : 1));
                    m_removed.assign(bytes.constData(), static_cast<std::size_t>(length));
                    breaksOnly = length > 0 &&
                                 m_removed.find_first_not_of("\r\n") == std::string::npos &&
                                 (atEnd || bytes[length] == '\r' || bytes[length] == '\n');
                }
                // Line breaks taken out right after the kept line's text, before another line
                // end, leave the text as it is; so does an insert there that starts with a line
                // break, which shows once it is in.
                const bool inStep = m_longStamp == m_stamp;
                const long textEnd = TextEnd();
                if (inStep && (position > textEnd || (position == textEnd && breaksOnly))) {
                    ++m_longStamp;
                }
                m_insertAtEnd = inStep && insert && position == textEnd && length > 0;
                ++m_stamp;
                m_lastChange = {type & (QsciScintilla::SC_MOD_BEFOREINSERT |
                                        QsciScintilla::SC_MOD_BEFOREDELETE),
                                position, length};
                // Only an undo's or redo's: the editor's own deletes on a long line style it
                // right after, without a copy of the line.
                const bool replayed = (type & (QsciScintilla::SC_PERFORMED_UNDO |
                                               QsciScintilla::SC_PERFORMED_REDO)) != 0;
                if (!insert && replayed && inStep && m_longStamp + 1 == m_stamp) {
                    StyleBeforeDelete(position, length);
                }
            });
}

long TSpssLexer::TextEnd() const {
    return m_longStart + static_cast<long>(m_long.Styles().size());
}

void TSpssLexer::SettleInsertAtEnd() {
    if (!m_insertAtEnd) {
        return;
    }
    m_insertAtEnd = false;
    const int next =
        editor() != nullptr && m_longStamp + 1 == m_stamp
            ? static_cast<int>(editor()->SendScintilla(QsciScintilla::SCI_GETCHARAT, TextEnd()))
            : 0;
    if (next == '\r' || next == '\n') {
        ++m_longStamp;
    }
}

void TSpssLexer::StyleBeforeDelete(long position, long length) {
    QsciScintilla* ed = editor();
    const long lineStart = m_longStart;
    const long lineEnd = TextEnd();
    if (ed == nullptr || m_longLine < 0 || m_stylesAhead >= kMaxStylesAhead ||
        position < lineStart || position + length > lineEnd ||
        static_cast<long>(m_removed.size()) != length ||
        m_longGeneration != m_highlighter.Generation()) {
        return;
    }
    const auto send = [ed](unsigned int message, unsigned long w = 0, long l = 0) {
        return ed->SendScintilla(message, w, l);
    };
    // Styling sets the styled part's end after what it styles: the lines above must be
    // styled, and from the state the line was styled in.
    const long line = m_longLine;
    if (send(QsciScintilla::SCI_GETENDSTYLED) < lineStart ||
        (line > 0 ? send(QsciScintilla::SCI_GETLINESTATE, line - 1) : 0) != m_longStartState) {
        return;
    }
    const auto pos = static_cast<std::size_t>(position - lineStart);
    const auto gone = static_cast<std::size_t>(length);
    if (m_aheadStamp == m_longStamp &&
        m_lineAhead.size() == static_cast<std::size_t>(lineEnd - lineStart)) {
        m_lineAhead.erase(pos, gone); // the line as the delete before left it: an undo's run
    } else {
        // (Asking for the range moves the control's gap out of it: not on every delete.)
        const char* text = reinterpret_cast<const char*>(
            send(QsciScintilla::SCI_GETRANGEPOINTER, lineStart, lineEnd - lineStart));
        if (text == nullptr) {
            return;
        }
        m_lineAhead.assign(text, pos);
        m_lineAhead.append(text + pos + gone,
                           static_cast<std::size_t>(lineEnd - lineStart) - pos - gone);
    }
    if (!m_long.RestyleAfterEdit(m_highlighter, m_lineAhead, static_cast<int>(line), pos, m_removed,
                                 0)) {
        m_longLine = -1;
        return;
    }
    ++m_stylesAhead;
    m_longStamp = m_stamp;
    m_aheadStamp = m_stamp;
    // The changed styles go where their bytes stand now: those after the deleted ones are
    // further on by its length. What the deleted bytes get does not matter.
    const std::string& styles = m_long.Styles();
    const std::size_t from = m_long.ChangedFrom();
    const std::size_t to = m_long.ChangedTo();
    if (from < to) {
        const std::size_t oldFrom = from < pos ? from : from + gone;
        const std::size_t oldTo = to <= pos ? to : to + gone;
        m_styles.assign(oldTo - oldFrom, 0);
        for (std::size_t at = oldFrom; at < oldTo; ++at) {
            if (at < pos || at >= pos + gone) {
                m_styles[at - oldFrom] = styles[at < pos ? at : at - gone];
            }
        }
        send(QsciScintilla::SCI_STARTSTYLING, lineStart + static_cast<long>(oldFrom));
        ed->SendScintilla(QsciScintilla::SCI_SETSTYLINGEX, m_styles.size(), m_styles.data());
    }
    StyleLineEnd(line, lineEnd);
}

void TSpssLexer::StyleLineEnd(long line, long lineEnd) {
    QsciScintilla* ed = editor();
    const long next = ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line + 1) > lineEnd
                          ? ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line + 1)
                          : ed->SendScintilla(QsciScintilla::SCI_GETLENGTH);
    const std::string& styles = m_long.Styles();
    m_styles.assign(static_cast<std::size_t>(next - lineEnd), styles.empty() ? 0 : styles.back());
    ed->SendScintilla(QsciScintilla::SCI_STARTSTYLING, lineEnd);
    ed->SendScintilla(QsciScintilla::SCI_SETSTYLINGEX, m_styles.size(), m_styles.data());
    ed->SendScintilla(QsciScintilla::SCI_SETLINESTATE, line, m_long.EndState());
}

bool TSpssLexer::StyleKeptLine(long line, int startState) {
    SettleInsertAtEnd();
    QsciScintilla* ed = editor();
    if (ed == nullptr || line != m_longLine || startState != m_longStartState ||
        m_longGeneration != m_highlighter.Generation()) {
        return false;
    }
    const auto send = [ed](unsigned int message, unsigned long w = 0, long l = 0) {
        return ed->SendScintilla(message, w, l);
    };
    const long lineStart = send(QsciScintilla::SCI_POSITIONFROMLINE, line);
    const long lineEnd = send(QsciScintilla::SCI_GETLINEENDPOSITION, line);
    const std::string& styles = m_long.Styles();
    if (lineStart != m_longStart) {
        return false;
    }
    if (m_longStamp != m_stamp) {
        // One insert or delete inside the line since it was styled: only around it.
        const bool insert = m_lastChange.type == QsciScintilla::SC_MOD_BEFOREINSERT;
        const bool erase = m_lastChange.type == QsciScintilla::SC_MOD_BEFOREDELETE &&
                           static_cast<long>(m_removed.size()) == m_lastChange.length;
        const char* text = reinterpret_cast<const char*>(
            send(QsciScintilla::SCI_GETRANGEPOINTER, lineStart, lineEnd - lineStart));
        if (m_longStamp + 1 != m_stamp || (!insert && !erase) || text == nullptr ||
            m_lastChange.pos < lineStart ||
            !m_long.RestyleAfterEdit(m_highlighter, std::string_view(text, lineEnd - lineStart),
                                     static_cast<int>(line), m_lastChange.pos - lineStart,
                                     erase ? std::string_view(m_removed) : std::string_view(),
                                     insert ? m_lastChange.length : 0)) {
            m_longLine = -1;
            m_long.Clear();
            return false;
        }
        // Only the styles that changed go to the control.
        const std::size_t from = m_long.ChangedFrom();
        m_styles.assign(styles, from, m_long.ChangedTo() - from);
        send(QsciScintilla::SCI_STARTSTYLING, lineStart + static_cast<long>(from));
        ed->SendScintilla(QsciScintilla::SCI_SETSTYLINGEX, m_styles.size(), m_styles.data());
        m_longStamp = m_stamp;
    } else if (lineEnd - lineStart != static_cast<long>(styles.size())) {
        return false;
    }
    // The line end, which a line break put in after the line may have left unstyled, takes
    // the last character's style, as in a whole styling; the line then counts as styled.
    StyleLineEnd(line, lineEnd);
    return true;
}

} // namespace qs
