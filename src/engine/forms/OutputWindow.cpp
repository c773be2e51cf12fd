// The engine's Output window: batched insertion of PSPP's output, find bar, Save As.
#include "engine/forms/OutputWindow.h"
#include "engine/forms/OutputViewer.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTreeWidget>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace qs {

namespace {

// Long enough to gather a burst of small terminal reads into one insertion, short enough
// that the first line of a command's output shows without a noticeable wait.
constexpr int kBatchIntervalMs = 40;
// About 50 MB of listing text at the widths PSPP prints.
constexpr int kDefaultMaxLines = 200000;
// One insertion of this many characters (about 1,700 table lines) takes well under 10 ms;
// a larger backlog goes in over several turns of the event loop.
constexpr qsizetype kMaxBatchChars = 128 * 1024;

// The platform's bindings for `key`, with `habit` first when the platform lacks it.
QList<QKeySequence> Shortcuts(QKeySequence::StandardKey key, const QKeySequence& habit) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (!habit.isEmpty() && !keys.contains(habit)) {
        keys.prepend(habit);
    }
    return keys;
}

} // namespace

OutputWindow::OutputWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(tr("Output - Quillstone Engine"));
    CreateClientArea();
    CreateActions();
    statusBar();
    resize(900, 600);

    m_batchTimer.setSingleShot(true);
    connect(&m_batchTimer, &QTimer::timeout, this, [this] {
        InsertBatch(kMaxBatchChars);
        if (m_pendingStart < m_pending.size()) {
            // The rest goes in after the loop has had a turn.
            m_batchTimer.start(0);
        }
    });
}

void OutputWindow::CreateClientArea() {
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tabs = new QTabWidget(client);
    tabs->setDocumentMode(true);
    viewer = new OutputViewer(tabs);
    tabs->addTab(viewer, tr("Output"));
    connect(viewer, &OutputViewer::LineActivated, this, &OutputWindow::LineActivated);
    memOutput = new QPlainTextEdit(tabs);
    tabs->addTab(memOutput, tr("Text"));
    memOutput->setReadOnly(true);
    memOutput->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    memOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Nothing here is ever undone, and an undo stack would grow with every batch.
    memOutput->setUndoRedoEnabled(false);
    // A long session of big listings would otherwise hold all of it: the window keeps the
    // newest lines only.
    bool set = false;
    const int lines = qEnvironmentVariableIntValue("QUILLSTONE_OUTPUT_LINES", &set);
    m_maxLines = set && lines > 0 ? lines : kDefaultMaxLines;
    memOutput->setMaximumBlockCount(m_maxLines);
    layout->addWidget(tabs);

    FindBar = new QWidget(client);
    auto* barLayout = new QHBoxLayout(FindBar);
    barLayout->setContentsMargins(6, 3, 6, 3);
    auto* label = new QLabel(tr("Find:"), FindBar);
    edtFind = new QLineEdit(FindBar);
    edtFind->setClearButtonEnabled(true);
    edtFind->setToolTip(tr("Enter: next, Shift+Enter: previous, Esc: close"));
    label->setBuddy(edtFind);
    edtFind->installEventFilter(this);
    barLayout->addWidget(label);
    barLayout->addWidget(edtFind, 1);
    FindBar->hide();
    layout->addWidget(FindBar);

    setCentralWidget(client);
}

void OutputWindow::CreateActions() {
    QMenu* mnuFile = menuBar()->addMenu(tr("&File"));
    actSaveAs = mnuFile->addAction(tr("Save &As..."), this, &OutputWindow::actSaveAsExecute);
    actSaveAs->setShortcuts(
        Shortcuts(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    actExport = mnuFile->addAction(tr("&Export..."), this, [this] { actExportExecute(false); });
    actExportSelection = mnuFile->addAction(tr("Export &Selection..."), this,
                                            [this] { actExportExecute(true); });
    actExportSelection->setEnabled(false);
    connect(viewer->tvOutline, &QTreeWidget::itemSelectionChanged, this, [this] {
        int start = 0, end = 0;
        actExportSelection->setEnabled(viewer->SelectedRange(&start, &end));
    });
    mnuFile->addSeparator();
    actClose = mnuFile->addAction(tr("&Close"), this, &QWidget::close);
    actClose->setShortcuts(Shortcuts(QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_W)));

    QMenu* mnuEdit = menuBar()->addMenu(tr("&Edit"));
    // In the Output tab a selection is copied as it is; without one, the item selected in
    // the outline (a table as HTML and as cells, a chart as an image).
    actCopy = mnuEdit->addAction(tr("&Copy"), this, [this] {
        if (!ViewerShown()) {
            memOutput->copy();
        } else if (viewer->txtView->textCursor().hasSelection()) {
            viewer->txtView->copy();
        } else {
            viewer->CopySelectedItem();
        }
    });
    actCopy->setShortcuts(QKeySequence::Copy);
    actCopy->setShortcutContext(Qt::WindowShortcut);
    actSelectAll = mnuEdit->addAction(tr("Select &All"), this, [this] {
        if (ViewerShown()) {
            viewer->txtView->selectAll();
        } else {
            memOutput->selectAll();
        }
    });
    actSelectAll->setShortcuts(QKeySequence::SelectAll);
    mnuEdit->addSeparator();
    actFind = mnuEdit->addAction(tr("&Find..."), this, &OutputWindow::actFindExecute);
    actFind->setShortcuts(Shortcuts(QKeySequence::Find, QKeySequence(Qt::CTRL | Qt::Key_F)));
    actFindNext = mnuEdit->addAction(tr("Find &Next"), this, [this] { FindFromBar(false); });
    actFindNext->setShortcuts(Shortcuts(QKeySequence::FindNext, QKeySequence(Qt::Key_F3)));
    actFindPrevious = mnuEdit->addAction(tr("Find &Previous"), this, [this] { FindFromBar(true); });
    actFindPrevious->setShortcuts(
        Shortcuts(QKeySequence::FindPrevious, QKeySequence(Qt::SHIFT | Qt::Key_F3)));
    mnuEdit->addSeparator();
    actClear = mnuEdit->addAction(tr("C&lear"), this, &OutputWindow::actClearExecute);
}

bool OutputWindow::ViewerShown() const {
    return tabs->currentWidget() == viewer;
}

void OutputWindow::BeginRun(const QString& title) {
    viewer->BeginRun(title);
}

void OutputWindow::AppendItems(const engine::OutputItems& items) {
    viewer->AppendItems(items);
}

bool OutputWindow::ExportTo(const QString& path, QString* error, bool selection) {
    viewer->FlushItems();
    QTextDocument* document = viewer->txtView->document();
    const auto fail = [&](const QString& why) {
        if (error) {
            *error = tr("The output could not be exported to \"%1\": %2.")
                         .arg(QDir::toNativeSeparators(path), why);
        }
        return false;
    };
    // The selection as a document of its own, holding the images it shows.
    QTextDocument part;
    if (selection) {
        int start = 0, end = 0;
        if (!viewer->SelectedRange(&start, &end)) {
            return fail(tr("nothing is selected in the outline"));
        }
        QTextCursor range(document);
        range.setPosition(start);
        range.setPosition(end, QTextCursor::KeepAnchor);
        const QString html = QTextDocumentFragment(range).toHtml();
        static const QRegularExpression chart(R"re(src="(chart:\d+)")re");
        for (auto match = chart.globalMatch(html); match.hasNext();) {
            const QUrl name(match.next().captured(1));
            part.addResource(QTextDocument::ImageResource, name,
                             document->resource(QTextDocument::ImageResource, name));
        }
        part.setDefaultStyleSheet(document->defaultStyleSheet());
        part.setHtml(html);
        document = &part;
    }
    if (path.endsWith(".pdf", Qt::CaseInsensitive)) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return fail(file.errorString());
        }
        {
            QPdfWriter pdf(&file);
            pdf.setTitle(windowTitle());
            pdf.setPageSize(QPageSize(QPageSize::A4));
            document->print(&pdf);
        }
        return file.commit() || fail(file.errorString());
    }
    // Charts are the document's own images, named by their item: written out beside the
    // page, in a folder of its own.
    const QFileInfo info(path);
    const QString folderName = info.completeBaseName() + "_files";
    QString html = document->toHtml();
    QDir folder(info.absolutePath());
    bool madeFolder = false;
    static const QRegularExpression image(R"re(src="(chart:(\d+))")re");
    QString out;
    qsizetype last = 0;
    for (auto match = image.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        const QImage picture =
            document->resource(QTextDocument::ImageResource, QUrl(m.captured(1))).value<QImage>();
        QString src = m.captured(0);
        if (!picture.isNull()) {
            if (!madeFolder && !folder.mkpath(folderName)) {
                return fail(tr("the folder %1 cannot be made").arg(folderName));
            }
            madeFolder = true;
            const QString name = "chart-" + m.captured(2) + ".png";
            if (!picture.save(folder.filePath(folderName + "/" + name), "PNG")) {
                return fail(tr("the chart %1 cannot be written").arg(name));
            }
            src = "src=\"" + folderName + "/" + name + "\"";
        }
        out += QStringView(html).mid(last, m.capturedStart() - last);
        out += src;
        last = m.capturedEnd();
    }
    out += QStringView(html).mid(last);
    const QByteArray bytes = out.toUtf8();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        return true;
    }
    return fail(file.errorString());
}

void OutputWindow::AppendOutput(const QString& text) {
    // A terminal ends lines with CR LF, and the pair may be split between two reads.
    QString chunk = text;
    if (m_pendingCr) {
        if (!chunk.startsWith(u'\n')) {
            chunk.prepend(u'\n');
        }
        m_pendingCr = false;
    }
    if (chunk.endsWith(u'\r')) {
        chunk.chop(1);
        m_pendingCr = true;
    }
    if (chunk.contains(u'\r')) {
        chunk.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        chunk.replace(u'\r', u'\n');
    }
    if (chunk.isEmpty()) {
        return;
    }
    m_pending += chunk;
    // Never restarted by a later chunk, so that a steady stream still shows.
    if (!m_batchTimer.isActive()) {
        m_batchTimer.start(kBatchIntervalMs);
    }
}

void OutputWindow::FlushOutput() {
    m_batchTimer.stop();
    InsertBatch(m_pending.size());
}

void OutputWindow::InsertBatch(qsizetype limit) {
    const qsizetype available = m_pending.size() - m_pendingStart;
    if (available <= 0) {
        return;
    }
    qsizetype count = available;
    if (count > limit) {
        const qsizetype lineEnd = m_pending.lastIndexOf(u'\n', m_pendingStart + limit - 1);
        count = lineEnd >= m_pendingStart ? lineEnd + 1 - m_pendingStart : limit;
        if (m_pending.at(m_pendingStart + count - 1).isHighSurrogate()) {
            --count;
        }
    }

    QScrollBar* bar = memOutput->verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    QTextCursor end(memOutput->document());
    end.movePosition(QTextCursor::End);
    end.insertText(m_pending.sliced(m_pendingStart, count));
    if (!m_trimmed && memOutput->document()->blockCount() >= m_maxLines) {
        m_trimmed = true;
        statusBar()->showMessage(
            tr("Older output is dropped: this window keeps the last %1 lines").arg(m_maxLines));
    }
    if (atBottom) {
        bar->setValue(bar->maximum());
    }

    m_pendingStart += count;
    if (m_pendingStart == m_pending.size()) {
        m_pending.clear();
        m_pendingStart = 0;
    } else if (m_pendingStart > m_pending.size() / 2) {
        m_pending.remove(0, m_pendingStart);
        m_pendingStart = 0;
    }
}

QString OutputWindow::OutputText() {
    FlushOutput();
    // The raw text keeps no-break spaces that the plain-text export would turn into blanks.
    QString text = memOutput->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

bool OutputWindow::SaveOutputTo(const QString& path, QString* error) {
    const QByteArray bytes = OutputText().toUtf8();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        return true;
    }
    if (error) {
        *error = tr("The output could not be saved to \"%1\": %2.")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return false;
}

bool OutputWindow::FindText(const QString& text, bool backwards) {
    if (text.isEmpty()) {
        return false;
    }
    // Search everything received, not only what the last batch showed.
    FlushOutput();
    if (ViewerShown()) {
        const bool found = viewer->FindText(text, backwards);
        if (found) {
            statusBar()->clearMessage();
        } else {
            statusBar()->showMessage(tr("Not found: %1").arg(text));
        }
        return found;
    }
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    const QTextDocument* document = memOutput->document();
    QTextCursor found = document->find(text, memOutput->textCursor(), flags);
    if (found.isNull()) {
        found = document->find(text, backwards ? document->characterCount() : 0, flags);
    }
    if (found.isNull()) {
        statusBar()->showMessage(tr("Not found: %1").arg(text));
        return false;
    }
    memOutput->setTextCursor(found);
    statusBar()->clearMessage();
    return true;
}

void OutputWindow::FindFromBar(bool backwards) {
    if (edtFind->text().isEmpty()) {
        actFindExecute();
        return;
    }
    FindText(edtFind->text(), backwards);
}

void OutputWindow::actFindExecute() {
    FindBar->show();
    edtFind->selectAll();
    edtFind->setFocus();
}

void OutputWindow::actClearExecute() {
    // What is still queued belongs to the output being cleared.
    m_batchTimer.stop();
    m_pending.clear();
    m_pendingStart = 0;
    m_pendingCr = false;
    memOutput->clear();
    viewer->Clear();
    statusBar()->clearMessage();
}

void OutputWindow::actExportExecute(bool selection) {
    if (m_saveFolder.isEmpty()) {
        m_saveFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    QString filter;
    const QString path = QFileDialog::getSaveFileName(
        this, selection ? tr("Export Selection") : tr("Export Output"),
        QDir(m_saveFolder).filePath(tr("output.html")),
        tr("HTML files (*.html);;PDF files (*.pdf)"), &filter);
    if (path.isEmpty()) {
        return;
    }
    m_saveFolder = QFileInfo(path).absolutePath();
    QString error;
    if (!ExportTo(path, &error, selection)) {
        QMessageBox::warning(this, tr("Warning"), error);
    }
}

void OutputWindow::actSaveAsExecute() {
    if (m_saveFolder.isEmpty()) {
        m_saveFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Output As"),
                                                      QDir(m_saveFolder).filePath(tr("output.txt")),
                                                      tr("Text files (*.txt);;HTML files (*.html);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    m_saveFolder = QFileInfo(path).absolutePath();
    QString error;
    const bool html = path.endsWith(".html", Qt::CaseInsensitive) ||
                      path.endsWith(".htm", Qt::CaseInsensitive);
    if (!(html ? ExportTo(path, &error) : SaveOutputTo(path, &error))) {
        QMessageBox::warning(this, tr("Warning"), error);
    }
}

bool OutputWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtFind && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            FindFromBar(key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            FindBar->hide();
            tabs->currentWidget()->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void OutputWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    emit closed();
}

} // namespace qs
