// The main window's data file and run commands.
#include "app/forms/TFMain.h"
#include "platform/FilePath.h"
#include "spss/SPSSConnection.h"
#include "ui/TApplication.h"
#include "ui/TSyntaxEditor.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>

namespace qs {

namespace {

constexpr const char* kReplaceDataQuestion =
    "Are you sure you want to replace the current datafile? Unsaved changes will be lost.";

// The hourglass for the life of a command, restored however the command ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void TFMain::LoadDataFile(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(PathFromUtf8(path), ec)) {
        ui::Dialogs().Warning(this, MissingFileMessage(path));
        return;
    }
    try {
        m_appObject->DataFileName = path;
        SetStatus("Datafile opened", 0);
        SetStatus(DisplayPath(path), 1);
        m_appObject->OpenDataFile(path);
        LoadObjectTree(path);
        UpdateCommandStates();
    } catch (const ui::EAbort&) {
        throw;
    } catch (const std::exception& e) {
        ui::Dialogs().Warning(
            this, "An unknown error occurred during the loading of the SPSS file.\r\n" +
                      DisplayPath(path) + ": " + QString::fromUtf8(e.what()));
    }
}

void TFMain::RefreshDataFileObjects() {
    // The query waits behind the runs already sent, on the job worker; its answer comes
    // back to this thread, where the window may have gone in the meantime.
    auto window = std::make_shared<QPointer<TFMain>>(this);
    m_statusAtRefresh = Status(0);
    m_appObject->RefreshDataFile([window](TDataFileQuery result) {
        QMetaObject::invokeMethod(
            qApp,
            [window, result = std::move(result)] {
                if (*window) {
                    (*window)->ApplyDataFileQuery(result);
                } else if (!result.DictionaryFile.empty()) {
                    RemoveFile(result.DictionaryFile);
                }
            },
            Qt::QueuedConnection);
    });
}

void TFMain::ApplyDataFileQuery(const TDataFileQuery& result) {
    struct Remove {
        const std::string& file;
        ~Remove() {
            if (!file.empty()) {
                RemoveFile(file);
            }
        }
    } remove{result.DictionaryFile};
    // A command's own word, written since the refresh was asked for (a run that failed),
    // stays.
    const bool statusFree = Status(0) == m_statusAtRefresh;
    if (!result.Error.empty()) {
        // The tree keeps what it showed.
        if (statusFree) {
            SetStatus("Data file objects not refreshed: " + QString::fromStdString(result.Error),
                      0);
        }
        return;
    }
    m_appObject->DataFileName = result.Path;
    try {
        // The engine's private copy, never the document's own file: a dataset that was
        // never saved still has its variables.
        LoadObjectTree(result.DictionaryFile);
    } catch (const std::exception& e) {
        SetStatus("Data file objects not refreshed: " + QString::fromUtf8(e.what()), 0);
        return;
    }
    if (statusFree) {
        SetStatus("Datafile opened", 0);
    }
    SetStatus(DisplayPath(result.Path), 1);
}

void TFMain::actRefreshDatafileExecute() {
    RefreshDataFileObjects();
}

void TFMain::mnuNewDataClick() {
    if (!ui::Dialogs().InformationOkCancel(this, kReplaceDataQuestion)) {
        return;
    }
    m_appObject->NewDataFile();
    SetStatus("New Datafile opened", 0);
    SetStatus(QString(), 1);
    m_appObject->DataFileName.clear();
    UpdateCommandStates();
    LoadObjectTree(std::string());
}

void TFMain::mnuOpenDataClick() {
    const std::optional<QString> file =
        ui::Dialogs().ChooseOpenFile(this, "Open data file", m_dataFolder, "SPSS Datafile (*.sav)");
    if (!file) {
        SetStatus(QString(), 0);
    } else if (ui::Dialogs().InformationOkCancel(this, kReplaceDataQuestion)) {
        LoadDataFile(*file);
    }
    UpdateCommandStates();
}

void TFMain::RunText(const std::string& syntax, long firstLine) {
    WaitCursor wait;
    if (!SubmitRun(syntax, firstLine)) {
        SetStatus("Syntax not executed: the job engine has ended; start Quillstone again", 0);
        return;
    }
    SetStatus("Syntax executed", 0);
    StartRunClock();
    if (m_autoRefresh) {
        RefreshDataFileObjects();
    }
}

void TFMain::actStopExecute() {
    SetStatus(QString::fromStdString(m_appObject->StopRuns()), 0);
    // The refresh that waited behind the run went with it; what the run changed before it
    // stopped still shows.
    if (m_autoRefresh) {
        RefreshDataFileObjects();
    }
    UpdateRunClock();
}

void TFMain::StartRunClock() {
    if (!m_runTimer->isActive()) {
        m_runClock.start();
        m_runTimer->start();
    }
    UpdateRunClock();
}

void TFMain::UpdateRunClock() {
    const bool busy = m_appObject->Busy();
    actStop->setEnabled(busy);
    if (!busy) {
        m_runTimer->stop();
        m_runPanel->clear();
        m_runPanel->hide();
        return;
    }
    const qint64 seconds = m_runClock.elapsed() / 1000;
    m_runPanel->setText(QString("Running %1:%2")
                            .arg(seconds / 60)
                            .arg(seconds % 60, 2, 10, QChar('0')));
    m_runPanel->show();
}

void TFMain::actRunExecute() {
    const std::string selection = SynEdit->SelectedText();
    if (!selection.empty()) {
        int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
        SynEdit->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
        RunText(CrLfLineEnds(selection), lineFrom);
    } else if (ui::Dialogs().InformationYesNo(
                   this, "Nothing is selected.\r\nDo you want to run the complete syntax?")) {
        RunText(NormaliseLineEnds(SynEdit->Text()));
    }
}

void TFMain::mnuAllClick() {
    RunText(NormaliseLineEnds(SynEdit->Text()));
    UpdateCommandStates();
}

} // namespace qs
