// The engine's Output window: each run's tables, charts, texts and messages with an outline
// (the Output tab), and PSPP's output as read-only fixed-pitch text (the Text tab), both to
// search, copy and save. Text arrives in bursts from a terminal, so it is buffered and
// inserted in bounded batches that never hold up the event loop for long.
#pragma once

#include "engine/OutputItem.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace qs {

class OutputViewer;

class OutputWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit OutputWindow(QWidget* parent = nullptr);

    // Queues text in any chunking (a chunk may end mid-line or between CR and LF); it is
    // shown by the next batch.
    void AppendOutput(const QString& text);
    // Inserts everything queued now, in one go.
    void FlushOutput();
    // A run's items for the Output tab: BeginRun heads them, AppendItems adds them as they
    // come (chart files are read at once).
    void BeginRun(const QString& title);
    void AppendItems(const engine::OutputItems& items);
    // Writes the Output tab as HTML (its charts as PNG files in the folder NAME_files beside
    // it) or, for a name ending in .pdf, as PDF; on failure `*error` says why.
    // With `selection`, only the item or run selected in the outline.
    bool ExportTo(const QString& path, QString* error, bool selection = false);
    // The whole output with LF line ends, queued text included.
    QString OutputText();
    // Writes the output as UTF-8 with LF line ends, replacing the file only once all of it
    // is written; on failure `*error` (if given) says why, naming the file.
    bool SaveOutputTo(const QString& path, QString* error);
    // Searches the tab shown from its selection for `text`, wrapping around; false (with
    // "Not found: ..." in the status bar) when it does not contain it.
    bool FindText(const QString& text, bool backwards);

    // Handlers.
    void actSaveAsExecute();
    void actExportExecute(bool selection = false);
    void actFindExecute();
    void actClearExecute();

    QTabWidget* tabs = nullptr;
    OutputViewer* viewer = nullptr;
    QPlainTextEdit* memOutput = nullptr;
    QWidget* FindBar = nullptr;
    QLineEdit* edtFind = nullptr;
    QAction *actSaveAs = nullptr, *actExport = nullptr, *actExportSelection = nullptr;
    QAction *actClose = nullptr, *actCopy = nullptr;
    QAction *actSelectAll = nullptr, *actFind = nullptr, *actFindNext = nullptr;
    QAction *actFindPrevious = nullptr, *actClear = nullptr;

signals:
    void closed();
    // The user clicked a message naming line `line` (1-based) of the run's syntax.
    void LineActivated(int line);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateClientArea();
    // Inserts up to `limit` characters of the queue, cut after a line end when one is near.
    void InsertBatch(qsizetype limit);
    void FindFromBar(bool backwards);
    bool ViewerShown() const;

    QString m_pending; // output not yet shown, from m_pendingStart on
    qsizetype m_pendingStart = 0;
    bool m_pendingCr = false; // the last chunk ended with CR: its LF may follow
    int m_maxLines = 0;       // the most lines kept (QUILLSTONE_OUTPUT_LINES)
    bool m_trimmed = false;   // older lines have been dropped, and the user told
    QTimer m_batchTimer;
    QString m_saveFolder;
};

} // namespace qs
