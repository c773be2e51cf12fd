// The main window's data file and run commands.
#include "app/forms/TFMain.h"
#include "spss/SPSSConnection.h"
#include "ui/TApplication.h"
#include "ui/TSyntaxEditor.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QTreeWidget>

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
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
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
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(m_refreshing);
    try {
        const std::string path = m_appObject->GetActiveDataFilePath();
        m_appObject->DataFileName = path;
        // A data document never saved has no file to read: no objects, and no error.
        if (path == kUntitledDataFile) {
            LoadObjectTree(std::string());
        } else if (!path.empty()) {
            LoadObjectTree(path);
        }
        SetStatus("Datafile opened", 0);
        SetStatus(DisplayPath(path), 1);
    } catch (const ui::EAbort&) {
        throw;
    } catch (const std::exception& e) {
        // Reported while the guard still stands, so that closing the box starts no new
        // refresh; the command that asked for the refresh ends here, quietly.
        ui::Dialogs().Error(this, QString::fromUtf8(e.what()));
        throw ui::EAbort();
    }
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
    SubmitRun(syntax, firstLine);
    SetStatus("Syntax executed", 0);
    if (m_autoRefresh) {
        RefreshDataFileObjects();
    }
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
