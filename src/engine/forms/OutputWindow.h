// The engine's Output window: PSPP's output as read-only fixed-pitch text that the user can
// search, copy and save. Output arrives in bursts from a terminal, so it is buffered and
// inserted in bounded batches that never hold up the event loop for long.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>

class QAction;
class QLineEdit;
class QPlainTextEdit;

namespace qs {

class OutputWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit OutputWindow(QWidget* parent = nullptr);

    // Queues text in any chunking (a chunk may end mid-line or between CR and LF); it is
    // shown by the next batch.
    void AppendOutput(const QString& text);
    // Inserts everything queued now, in one go.
    void FlushOutput();
    // The whole output with LF line ends, queued text included.
    QString OutputText();
    // Writes the output as UTF-8 with LF line ends, replacing the file only once all of it
    // is written; on failure `*error` (if given) says why, naming the file.
    bool SaveOutputTo(const QString& path, QString* error);
    // Searches from the selection for `text`, wrapping around; false (with "Not found: ..."
    // in the status bar) when the output does not contain it.
    bool FindText(const QString& text, bool backwards);

    // Handlers.
    void actSaveAsExecute();
    void actFindExecute();
    void actClearExecute();

    QPlainTextEdit* memOutput = nullptr;
    QWidget* FindBar = nullptr;
    QLineEdit* edtFind = nullptr;
    QAction *actSaveAs = nullptr, *actClose = nullptr, *actCopy = nullptr;
    QAction *actSelectAll = nullptr, *actFind = nullptr, *actFindNext = nullptr;
    QAction *actFindPrevious = nullptr, *actClear = nullptr;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateClientArea();
    // Inserts up to `limit` characters of the queue, cut after a line end when one is near.
    void InsertBatch(qsizetype limit);
    void FindFromBar(bool backwards);

    QString m_pending; // output not yet shown, from m_pendingStart on
    qsizetype m_pendingStart = 0;
    bool m_pendingCr = false; // the last chunk ended with CR: its LF may follow
    int m_maxLines = 0;       // the most lines kept (QUILLSTONE_OUTPUT_LINES)
    bool m_trimmed = false;   // older lines have been dropped, and the user told
    QTimer m_batchTimer;
    QString m_saveFolder;
};

} // namespace qs
