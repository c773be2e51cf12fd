#include "ui/TSyntaxEditor.h"

#include "app/EditorPosition.h"
#include "highlight/SynHighlighterSPSS.h"
#include "ui/EditorKeys.h"
#include "ui/TSpssLexer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>

#include <algorithm>
#include <cstring>

namespace qs {

namespace {

using SB = QsciScintillaBase;
constexpr int kBookmarkMargin = 1;
constexpr int kTabWidth = 8;
constexpr int kBlockIndent = 2;
constexpr int kMeasuredRuns = 1 << 16; // entries of the width cache (the default is 1024)

// The editor control's own accessibility object counts the characters from the start of
// the text up to the caret after every screen update, which makes typing at the end of a
// huge file slow. While no assistive technology listens, a plain one stands in for it.
QAccessibleInterface* PlainEditorAccessible(const QString& key, QObject* object) {
    if (QAccessible::isActive() || key != "qs::TSyntaxEditor" || !object->isWidgetType()) {
        return nullptr;
    }
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
}

// Keys held with Ctrl or Alt are commands, never text: Ctrl+= must not type "=".
bool TypesNothing(const QKeyEvent& e) {
    const Qt::KeyboardModifiers mods = e.modifiers();
#ifdef Q_OS_WIN
    // There AltGr arrives as Ctrl+Alt, and it types the third character of a key.
    if ((mods & Qt::ControlModifier) && (mods & Qt::AltModifier) && !e.text().isEmpty() &&
        e.text().at(0).isPrint()) {
        return false;
    }
#endif
    return (mods & (Qt::ControlModifier | Qt::AltModifier)) != 0;
}

// Ctrl+Space: bound to nothing in the keystroke table, so it is free for the request.
bool IsCompletionRequest(const QKeyEvent& e) {
    return e.key() == Qt::Key_Space &&
           (e.modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

} // namespace

TSyntaxEditor::TSyntaxEditor(QWidget* parent) : QsciScintilla(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(PlainEditorAccessible);
        return true;
    }();
    (void)installed;
    Configure();
    // Changes are noticed just before they happen; the report follows once the change is
    // done: at the end of the key or mouse event that made it, or from the event loop.
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
                if (position < m_columnMark.pos) {
                    m_columnMark.line = -1; // text before the counted column changes
                }
                if (!m_loading) {
                    DropMarksOfEdit(position, type, length);
                }
                if (m_loading || m_programEdit ||
                    (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) == 0) {
                    return;
                }
                m_editedLine = SendScintilla(SCI_LINEFROMPOSITION, position);
                if (!m_changePending) {
                    m_changePending = true;
                    QMetaObject::invokeMethod(this, &TSyntaxEditor::FlushChanges,
                                              Qt::QueuedConnection);
                }
            });
    // QScintilla's own handler of this notice counts the caret's column from the start of
    // its line on every caret move (for cursorPositionChanged and the indentation guide,
    // neither used here): on a line of megabytes that alone takes most of a frame.
    disconnect(this, SIGNAL(SCN_UPDATEUI(int)), this, SLOT(handleUpdateUI(int)));
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { UpdateUi(); });
    // The control has selected a word by its own classes; the highlighter's words win.
    connect(this, &QsciScintillaBase::SCN_DOUBLECLICK, this,
            [this](int position, int, int) { SelectWordAt(position); });
    // The gutter's digits grow and shrink with the text.
    connect(this, &QsciScintillaBase::SCN_ZOOM, this, [this] {
        m_numberDigits = 0;
        FitLineNumbers();
    });
}

TSyntaxEditor::~TSyntaxEditor() {
    setLexer(nullptr);
}

void TSyntaxEditor::Configure() {
    setUtf8(true);
    setEolMode(EolWindows);
    setFont(TSpssLexer::EditorFont());
    setAutoIndent(true);
    setIndentationsUseTabs(false);
    setTabWidth(kTabWidth);
    setIndentationWidth(kBlockIndent);
    setBackspaceUnindents(true);
    setBraceMatching(SloppyBraceMatch);
    setWrapMode(WrapNone);
    // Line numbers in the gutter, bookmarks beside them.
    QFont gutter = TSpssLexer::EditorFont();
    gutter.setPointSizeF(gutter.pointSizeF() * 0.85);
    setMarginsFont(gutter);
    setMarginType(0, NumberMargin);
    setMarginLineNumbers(0, true);
    FitLineNumbers();
    setMarginType(kBookmarkMargin, SymbolMargin);
    setMarginWidth(kBookmarkMargin, 14);
    setMarginMarkerMask(kBookmarkMargin, 0xFFF); // bookmarks 0-9, message marks 10 and 11
    setMarginSensitivity(kBookmarkMargin, false);
    for (int n = 0; n < 10; ++n) {
        SendScintilla(SCI_MARKERDEFINE, n, SC_MARK_CHARACTER + '0' + n);
        SendScintilla(SCI_MARKERSETFORE, n, QColor(Qt::white));
        SendScintilla(SCI_MARKERSETBACK, n, QColor(0, 0, 128));
    }
    ConfigureLineMarks();
    ConfigureLiveChecks();
    // The caret may go past the end of a line, as in column selections.
    SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, SCVS_USERACCESSIBLE | SCVS_RECTANGULARSELECTION);
    // Measuring every line's width would make opening a huge file slow.
    SendScintilla(SCI_SETSCROLLWIDTH, 2000);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 0);
    // The keystroke table below is the whole set: Scintilla's own defaults differ from it.
    SendScintilla(SCI_CLEARALLCMDKEYS);
    // Only the notices sent before a change: the editor control's handling of the others
    // costs time in proportion to the position in the text, far too slow for huge files.
    SendScintilla(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE);
    // The caret line's layout gets a cache slot of its own: with the one slot all lines
    // share, every repaint, even a caret blink, laid a long caret line out afresh.
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    // Widths of short runs of text are measured once: a long line repeats its names and
    // words, and measuring text with the font is what makes laying a line out slow.
    SendScintilla(SCI_SETPOSITIONCACHE, kMeasuredRuns);
    ConfigureCompletion();
    ShowCaretLine();
}

void TSyntaxEditor::ShowCaretLine() {
    if (!m_gutter) {
        // A sample of the styles shows their colours as they are.
        SendScintilla(SCI_SETCARETLINEVISIBLE, 0L);
        return;
    }
    // Drawn translucently, so that the styles' own backgrounds still show on the line: dark
    // over a light background, light over a dark one.
    const QColor paper =
        m_lexer ? m_lexer->paper(static_cast<int>(TokenKind::Space)) : QColor(Qt::white);
    const bool light = paper.lightness() >= 128;
    SendScintilla(SCI_SETCARETLINEVISIBLE, 1L);
    SendScintilla(SCI_SETCARETLINEBACK, light ? QColor(Qt::black) : QColor(Qt::white));
    SendScintilla(SCI_SETCARETLINEBACKALPHA, light ? 20L : 36L);
    // What is drawn over the text follows its paper: the caret, the selection, the gutter,
    // the area past the last line.
    setCaretForegroundColor(light ? QColor(Qt::black) : QColor(0xF0, 0xF0, 0xF0));
    setSelectionBackgroundColor(light ? palette().highlight().color() : QColor(0x26, 0x4F, 0x78));
    setSelectionForegroundColor(light ? palette().highlightedText().color() : QColor(Qt::white));
    setMarginsBackgroundColor(light ? palette().button().color() : paper.lighter(130));
    setMarginsForegroundColor(light ? palette().buttonText().color() : QColor(0xB0, 0xB0, 0xB0));
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, paper);
}

void TSyntaxEditor::UpdateUi() {
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    if (caret != m_caret) {
        m_caret = caret;
        TrimLineIfLeft();
        emit CaretMoved();
    }
    if (braceMatching() == NoBraceMatch) {
        return;
    }
    long brace = -1;
    long match = -1;
    findMatchingBrace(brace, match, braceMatching());
    if (brace >= 0 && match < 0) {
        SendScintilla(SCI_BRACEBADLIGHT, brace);
    } else {
        SendScintilla(SCI_BRACEHIGHLIGHT, brace, match);
    }
}

void TSyntaxEditor::FlushChanges() {
    if (m_changePending) {
        m_changePending = false;
        FitLineNumbers();
        emit UserChanged();
    }
}

void TSyntaxEditor::FitLineNumbers() {
    if (!m_gutter) {
        SendScintilla(SCI_SETMARGINWIDTHN, 0, 0L);
        return;
    }
    int digits = 4; // room for the usual file without resizing while typing
    for (long lines = SendScintilla(SCI_GETLINECOUNT); lines >= 10000; lines /= 10) {
        ++digits;
    }
    if (digits == m_numberDigits) {
        return;
    }
    m_numberDigits = digits;
    // Measured in the gutter's own font, with a digit to spare for the padding.
    const std::string sample(static_cast<std::size_t>(digits + 1), '9');
    SendScintilla(SCI_SETMARGINWIDTHN, 0,
                  SendScintilla(SCI_TEXTWIDTH, STYLE_LINENUMBER, sample.c_str()));
}

void TSyntaxEditor::SetHighlighter(TSynSPSSHighlighter* highlighter) {
    setLexer(nullptr);
    m_lexer.reset();
    m_highlighter = highlighter;
    RebuildCompletion();
    if (highlighter != nullptr) {
        m_lexer = std::make_unique<TSpssLexer>(*highlighter);
        m_lexer->setDefaultFont(TSpssLexer::EditorFont());
        setLexer(m_lexer.get());
    }
    SendScintilla(SCI_CLEARALLCMDKEYS);
    PlainListFont();
    m_numberDigits = 0; // the lexer brings the gutter's font
    FitLineNumbers();
    ShowCaretLine();
}

void TSyntaxEditor::SetSampleView() {
    m_gutter = false;
    FitLineNumbers();
    setMarginWidth(kBookmarkMargin, 0);
    ShowCaretLine();
    SendScintilla(SCI_SETHSCROLLBAR, 0L);
    setReadOnly(true);
}

void TSyntaxEditor::RefreshStyles() {
    if (m_lexer) {
        m_lexer->ReloadStyles();
        setLexer(nullptr);
        setLexer(m_lexer.get());
        SendScintilla(SCI_CLEARALLCMDKEYS);
        PlainListFont();
    }
    m_numberDigits = 0; // the gutter's font may have changed
    FitLineNumbers();
    ShowCaretLine();
}

void TSyntaxEditor::Restyle() {
    SendScintilla(SCI_STARTSTYLING, 0);
    viewport()->update();
}

void TSyntaxEditor::LoadText(std::string_view utf8) {
    BeginLoad(utf8.size());
    AppendLoaded(utf8);
    EndLoad();
}

void TSyntaxEditor::BeginLoad(std::uint64_t sizeHint) {
    m_loading = true;
    // The program's own text goes into a read-only view too.
    m_readOnlyAfterLoad = isReadOnly();
    setReadOnly(false);
    // No undo record of the loaded text, and room for all of it and for the edits to come:
    // growing the buffer later would hold a second copy of a huge file for a moment.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    ClearLineMarks(); // marks of deleted lines would gather on the first
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(sizeHint + sizeHint / 8 + 65536));
}

void TSyntaxEditor::AppendLoaded(std::string_view piece) {
    // Appended with its length, so that NUL bytes in a file are kept.
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(piece.size()), piece.data());
}

void TSyntaxEditor::EndLoad() {
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    SendScintilla(SCI_GOTOPOS, 0);
    m_editedLine = -1;
    m_changePending = false;
    m_loading = false;
    setReadOnly(m_readOnlyAfterLoad);
    FitLineNumbers();
}

void TSyntaxEditor::Clear() {
    LoadText({});
}

std::string TSyntaxEditor::Text() const {
    auto* self = const_cast<TSyntaxEditor*>(this);
    const long length = self->SendScintilla(SCI_GETLENGTH);
    const char* bytes = reinterpret_cast<const char*>(self->SendScintilla(SCI_GETCHARACTERPOINTER));
    return bytes != nullptr ? std::string(bytes, static_cast<std::size_t>(length)) : std::string();
}

std::string TSyntaxEditor::SelectedText() const {
    auto* self = const_cast<TSyntaxEditor*>(this);
    const long from = self->SendScintilla(SCI_GETSELECTIONSTART);
    const long to = self->SendScintilla(SCI_GETSELECTIONEND);
    if (self->SendScintilla(SCI_GETSELECTIONS) > 1 ||
        self->SendScintilla(SCI_SELECTIONISRECTANGLE)) {
        return self->selectedText().toStdString();
    }
    const char* bytes =
        reinterpret_cast<const char*>(self->SendScintilla(SCI_GETRANGEPOINTER, from, to - from));
    return bytes != nullptr ? std::string(bytes, static_cast<std::size_t>(to - from))
                            : std::string();
}

bool TSyntaxEditor::IsEmpty() const {
    return const_cast<TSyntaxEditor*>(this)->SendScintilla(SCI_GETLENGTH) == 0;
}

bool TSyntaxEditor::HasSelection() const {
    return hasSelectedText();
}

long TSyntaxEditor::LineCount() const {
    auto* self = const_cast<TSyntaxEditor*>(this);
    const long lines = self->SendScintilla(SCI_GETLINECOUNT);
    const long lastStart = self->SendScintilla(SCI_POSITIONFROMLINE, lines - 1);
    return self->SendScintilla(SCI_GETLENGTH) > lastStart ? lines : lines - 1;
}

bool TSyntaxEditor::CanUndo() const {
    return isUndoAvailable();
}

bool TSyntaxEditor::CanRedo() const {
    return isRedoAvailable();
}

void TSyntaxEditor::ClearSelection() {
    if (hasSelectedText()) {
        removeSelectedText();
    }
}

long TSyntaxEditor::PositionFromPoint(const QPoint& point) const {
    return const_cast<TSyntaxEditor*>(this)->SendScintilla(SCI_POSITIONFROMPOINT, point.x(),
                                                           point.y());
}

std::string_view TSyntaxEditor::Range(long from, long to) {
    if (to <= from) {
        return {};
    }
    // The document's own bytes: no copy, and the gap moves only when it lies inside.
    const char* bytes =
        reinterpret_cast<const char*>(SendScintilla(SCI_GETRANGEPOINTER, from, to - from));
    return bytes != nullptr ? std::string_view(bytes, static_cast<std::size_t>(to - from))
                            : std::string_view();
}

std::pair<long, long> TSyntaxEditor::CaretLineColumn() {
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    ColumnMark& mark = m_columnMark;
    if (mark.line != line || mark.lineStart != lineStart) {
        mark = {line, lineStart, lineStart, 0};
    }
    const int tabs = tabWidth();
    if (pos >= mark.pos) {
        mark.column = ColumnAfter(Range(mark.pos, pos), mark.column, tabs);
    } else if (const std::string_view back = Range(pos, mark.pos);
               back.empty() || std::memchr(back.data(), '\t', back.size()) == nullptr) {
        mark.column -= ColumnAfter(back, 0, tabs); // without tabs, characters count alike
    } else {
        mark.column = ColumnAfter(Range(lineStart, pos), 0, tabs);
    }
    mark.pos = pos;
    return {line, mark.column + SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE,
                                              SendScintilla(SCI_GETMAINSELECTION))};
}

long TSyntaxEditor::DocumentLines() const {
    return const_cast<TSyntaxEditor*>(this)->SendScintilla(SCI_GETLINECOUNT);
}

void TSyntaxEditor::GotoLine(long line) {
    line = std::clamp(line, 0L, DocumentLines() - 1);
    const long shown = std::max<long>(1, SendScintilla(SCI_LINESONSCREEN));
    const long first =
        SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE));
    const bool wasShown = line >= first && line < first + shown;
    SendScintilla(SCI_GOTOLINE, line);
    if (!wasShown) {
        SendScintilla(SCI_SETFIRSTVISIBLELINE,
                      std::max(0L, SendScintilla(SCI_VISIBLEFROMDOCLINE, line) - shown / 2));
    }
}

long TSyntaxEditor::BookmarkLine(int number) const {
    if (number < 0 || number > 9) {
        return -1;
    }
    return const_cast<TSyntaxEditor*>(this)->SendScintilla(SCI_MARKERNEXT, 0, 1 << number);
}

void TSyntaxEditor::ToggleBookmark(int number) {
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long existing = BookmarkLine(number);
    SendScintilla(SCI_MARKERDELETEALL, number);
    if (existing != line) {
        SendScintilla(SCI_MARKERADD, line, number);
        m_bookmarkColumns[number] = SendScintilla(SCI_GETCOLUMN, pos);
    }
}

void TSyntaxEditor::GotoBookmark(int number) {
    const long line = BookmarkLine(number);
    if (line >= 0) {
        SendScintilla(SCI_GOTOPOS, SendScintilla(SCI_FINDCOLUMN, line, m_bookmarkColumns[number]));
    }
}

bool TSyntaxEditor::event(QEvent* e) {
    // The editor's own keys win over the window's shortcuts for the same key (Del, Ctrl+C
    // ...), except Ctrl+N, which stays the window's New.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        EditorCommand command;
        if ((FindEditorCommand(key->keyCombination(), command) &&
             command != EditorCommand::ecInsertLine) ||
            IsCompletionRequest(*key)) {
            e->accept();
            return true;
        }
        // Other command keys type nothing here, so the window's shortcuts (zoom, comment)
        // get them; the control itself would claim those its own key map binds.
        if (TypesNothing(*key)) {
            e->ignore();
            return false;
        }
    }
    return QsciScintilla::event(e);
}

void TSyntaxEditor::keyPressEvent(QKeyEvent* e) {
    const bool couldUndo = CanUndo();
    const bool couldRedo = CanRedo();
    const bool listWasOpen = CompletionActive();
    if (IsCompletionRequest(*e)) {
        ShowCompletion(CompletionTrigger::Request);
        e->accept();
        return;
    }
    if (CompletionKey(*e)) {
        e->accept();
    } else if (RunBinding(e->keyCombination())) {
        e->accept();
    } else if (TypesNothing(*e)) {
        e->ignore(); // a command key the table does not bind: not text
    } else if (TypeIntoLongLine(*e)) {
        e->accept();
    } else {
        QsciScintilla::keyPressEvent(e);
    }
    FlushChanges();
    TrimLineIfLeft();
    // Typing (or deleting within) a word keeps the list in step with it.
    const bool typed = !e->text().isEmpty() && e->text().at(0).isPrint() && !TypesNothing(*e);
    if (typed || (listWasOpen && e->key() == Qt::Key_Backspace)) {
        ShowCompletion(CompletionTrigger::Typing);
    }
    if (CanUndo() != couldUndo || CanRedo() != couldRedo) {
        emit UndoStateChanged();
    }
}

// The control places the caret right after inserting a typed character, laying the whole
// line out, and only styles the new text when it paints: the layout is then made a second
// time. On a line of megabytes each layout takes a frame or more, so there the text goes in,
// the line is styled, and only then is the caret placed, which leaves the paint nothing to
// redo. Everything else typing does stays with the control.
bool TSyntaxEditor::TypeIntoLongLine(const QKeyEvent& e) {
    const QString text = e.text();
    // Text that breaks the line would leave the new line unstyled below the restyled one.
    if (text.isEmpty() || !text.at(0).isPrint() || text.contains(QChar('\n')) ||
        text.contains(QChar('\r')) || SendScintilla(SCI_GETOVERTYPE) != 0) {
        return false;
    }
    long line = 0;
    long lineStart = 0;
    if (!AtLongLine(line, lineStart)) {
        return false;
    }
    EditLongLine(line, lineStart, SendScintilla(SCI_GETCURRENTPOS), 0, text.toUtf8());
    emit SCN_CHARADDED(static_cast<int>(text.toUcs4().value(0)));
    return true;
}

// Erasing takes the same steps, for the same reason: the control places the caret before
// the line's styles change, and lays the line out again for them.
bool TSyntaxEditor::EraseInLongLine(bool back) {
    long line = 0;
    long lineStart = 0;
    if (!AtLongLine(line, lineStart)) {
        return false;
    }
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    long from = caret;
    long to = caret;
    if (back) {
        // Within the indentation Backspace unindents; at the line's start it joins lines.
        if (caret <= SendScintilla(SCI_GETLINEINDENTPOSITION, line)) {
            return false;
        }
        from = SendScintilla(SCI_POSITIONBEFORE, caret);
    } else {
        if (caret >= SendScintilla(SCI_GETLINEENDPOSITION, line)) {
            return false; // joins lines
        }
        to = SendScintilla(SCI_POSITIONAFTER, caret);
    }
    EditLongLine(line, lineStart, from, to - from, QByteArray());
    return true;
}

// A line break at the end of a long line leaves the line's text and styles as they were,
// but the control counts the line as unstyled from there. Styling its new line end here,
// before the paint, spares the paint a change of styles, which makes it start over.
void TSyntaxEditor::BreakLine() {
    long line = 0;
    long lineStart = 0;
    bool styledAtEnd = false;
    if (AtLongLine(line, lineStart) &&
        SendScintilla(SCI_GETCURRENTPOS) == SendScintilla(SCI_GETLINEENDPOSITION, line)) {
        StyleUpTo(lineStart);
        styledAtEnd =
            SendScintilla(SCI_GETENDSTYLED) >= SendScintilla(SCI_POSITIONFROMLINE, line + 1);
    }
    SendScintilla(SCI_NEWLINE);
    if (styledAtEnd) {
        // The lexer knows the line as kept: it styles only the new line end.
        m_lexer->styleText(static_cast<int>(lineStart),
                           static_cast<int>(SendScintilla(SCI_POSITIONFROMLINE, line + 1)));
    }
}

bool TSyntaxEditor::AtLongLine(long& line, long& lineStart) {
    if (!m_lexer || SendScintilla(SCI_GETSELECTIONS) != 1 ||
        SendScintilla(SCI_GETSELECTIONSTART) != SendScintilla(SCI_GETSELECTIONEND) ||
        SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0UL) != 0 ||
        SendScintilla(SCI_GETREADONLY) != 0) {
        return false;
    }
    line = SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETCURRENTPOS));
    lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    return SendScintilla(SCI_GETLINEENDPOSITION, line) - lineStart >= TSpssLexer::kLongLine;
}

void TSyntaxEditor::EditLongLine(long line, long lineStart, long pos, long erase,
                                 const QByteArray& insert) {
    StyleUpTo(lineStart);
    const long endStyled = SendScintilla(SCI_GETENDSTYLED);
    const bool lineStyled = endStyled >= SendScintilla(SCI_POSITIONFROMLINE, line + 1) &&
                            endStyled > lineStart;
    const long stateBefore = SendScintilla(SCI_GETLINESTATE, line);
    if (erase > 0) {
        SendScintilla(SCI_DELETERANGE, pos, erase);
    } else {
        SendScintilla(SCI_ADDTEXT, static_cast<unsigned long>(insert.size()), insert.constData());
    }
    // The lexer styles only the stretch the edit can change, where it can tell.
    const long nextLine = SendScintilla(SCI_POSITIONFROMLINE, line + 1);
    m_lexer->styleText(static_cast<int>(lineStart), static_cast<int>(nextLine));
    // The lines below were styled from this line's end state; while it stands, so do they.
    if (lineStyled && SendScintilla(SCI_GETLINESTATE, line) == stateBefore) {
        SendScintilla(SCI_STARTSTYLING,
                      static_cast<unsigned long>(endStyled + insert.size() - erase));
    }
    SendScintilla(SCI_SCROLLCARET);
    SendScintilla(SCI_CHOOSECARETX);
    // As after any key, the caret shows at once and blinks from there.
    const long period = SendScintilla(SCI_GETCARETPERIOD);
    SendScintilla(SCI_SETCARETPERIOD, period + 1);
    SendScintilla(SCI_SETCARETPERIOD, period);
}

void TSyntaxEditor::StyleUpTo(long pos) {
    if (SendScintilla(SCI_GETENDSTYLED) < pos) {
        SendScintilla(SCI_COLOURISE, SendScintilla(SCI_GETENDSTYLED), pos);
    }
}

void TSyntaxEditor::inputMethodEvent(QInputMethodEvent* e) {
    QsciScintilla::inputMethodEvent(e);
    FlushChanges();
}

void TSyntaxEditor::dropEvent(QDropEvent* e) {
    QsciScintilla::dropEvent(e);
    FlushChanges();
}

void TSyntaxEditor::mouseReleaseEvent(QMouseEvent* e) {
    QsciScintilla::mouseReleaseEvent(e);
    FlushChanges();
    TrimLineIfLeft();
}

void TSyntaxEditor::focusInEvent(QFocusEvent* e) {
    QsciScintilla::focusInEvent(e);
    // Entering the editor counts; getting the focus back with the window, after a box or a
    // menu, does not: the status a command has just written must stay.
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) {
        emit FocusEntered();
    }
}

void TSyntaxEditor::TrimLineIfLeft() {
    if (m_editedLine < 0 || m_loading) {
        return;
    }
    const long caretLine = SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETCURRENTPOS));
    if (caretLine == m_editedLine) {
        return;
    }
    const long line = m_editedLine;
    m_editedLine = -1;
    // Trailing blanks of a line the user edited go when the caret leaves it.
    TrimLine(line);
    m_editedLine = -1;
}

void TSyntaxEditor::TrimEditedLine() {
    if (m_editedLine < 0 || m_loading) {
        return;
    }
    const long line = m_editedLine;
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const long caretVirtual = SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0);
    const bool caretOnLine = !hasSelectedText() &&
                             SendScintilla(SCI_LINEFROMPOSITION, caret) == line;
    const long caretColumn = SendScintilla(SCI_GETCOLUMN, caret) + caretVirtual;
    m_programEdit = true;
    const long removed = TrimLine(line);
    m_programEdit = false;
    m_editedLine = -1;
    if (removed > 0 && caretOnLine) {
        // The caret stays where the user left it, in the space past the line's end.
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
        const long endColumn = SendScintilla(SCI_GETCOLUMN, end);
        if (caretColumn > endColumn) {
            SendScintilla(SCI_SETEMPTYSELECTION, end);
            SendScintilla(SCI_SETSELECTIONNCARETVIRTUALSPACE, 0, caretColumn - endColumn);
            SendScintilla(SCI_SETSELECTIONNANCHORVIRTUALSPACE, 0, caretColumn - endColumn);
        }
    }
}

long TSyntaxEditor::TrimLine(long line) {
    if (line >= SendScintilla(SCI_GETLINECOUNT)) {
        return 0;
    }
    const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
    long keep = end;
    while (keep > start) {
        const int c = static_cast<int>(SendScintilla(SCI_GETCHARAT, keep - 1));
        if (c != ' ' && c != '\t') {
            break;
        }
        --keep;
    }
    if (keep < end) {
        SendScintilla(SCI_DELETERANGE, keep, end - keep);
    }
    return end - keep;
}

void TSyntaxEditor::SmartTab() {
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long column = SendScintilla(SCI_GETCOLUMN, pos);
    long target = -1;
    // The next word start of the nearest line above that reaches past the caret.
    for (long above = line - 1; above >= 0 && target < 0; --above) {
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, above);
        long p = SendScintilla(SCI_FINDCOLUMN, above, column);
        if (SendScintilla(SCI_GETCOLUMN, end) <= column) {
            continue;
        }
        while (p < end && SendScintilla(SCI_GETCHARAT, p) != ' ' &&
               SendScintilla(SCI_GETCHARAT, p) != '\t') {
            ++p;
        }
        while (p < end && (SendScintilla(SCI_GETCHARAT, p) == ' ' ||
                           SendScintilla(SCI_GETCHARAT, p) == '\t')) {
            ++p;
        }
        if (p < end) {
            target = SendScintilla(SCI_GETCOLUMN, p);
        }
        break;
    }
    if (target <= column) {
        target = (column / kTabWidth + 1) * kTabWidth;
    }
    const std::string spaces(static_cast<std::size_t>(target - column), ' ');
    SendScintilla(SCI_REPLACESEL, spaces.c_str());
}

void TSyntaxEditor::MoveToPageEdge(bool top, bool extend) {
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const long column = SendScintilla(SCI_GETCOLUMN, pos);
    const long first =
        SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE));
    const long shown = std::max<long>(1, SendScintilla(SCI_LINESONSCREEN));
    const long last = std::min<long>(first + shown - 1, SendScintilla(SCI_GETLINECOUNT) - 1);
    const long target = SendScintilla(SCI_FINDCOLUMN, top ? first : last, column);
    if (extend) {
        SendScintilla(SCI_SETCURRENTPOS, target);
    } else {
        SendScintilla(SCI_SETEMPTYSELECTION, target);
    }
    SendScintilla(SCI_CHOOSECARETX);
}

} // namespace qs
