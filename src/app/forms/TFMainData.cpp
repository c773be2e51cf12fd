// The main window's data file and run commands.
#include "app/forms/TFMain.h"
#include "ui/TSyntaxEditor.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QTreeWidget>

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

void TFMain::LoadDataFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        ui::Dialogs().Warning(this, "The selected file does not exist.");
        return;
    }
    try {
        m_appObject->DataFileName = path.toStdString();
        SetStatus("Datafile opened", 0);
        SetStatus(path, 1);
        m_appObject->OpenDataFile(path.toStdString());
        LoadObjectTree(path);
        UpdateCommandStates();
    } catch (const std::exception&) {
        ui::Dialogs().Warning(this,
                              "An unknown error occurred during the loading of the SPSS file.");
    }
}

void TFMain::RefreshDataFileObjects() {
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(m_refreshing);
    const std::string path = m_appObject->GetActiveDataFilePath();
    m_appObject->DataFileName = path;
    if (!path.empty()) {
        LoadObjectTree(QString::fromStdString(path));
    }
    SetStatus("Datafile opened", 0);
    SetStatus(QString::fromStdString(path), 1);
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
    LoadObjectTree(QString());
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

void TFMain::RunText(const std::string& syntax) {
    WaitCursor wait;
    m_appObject->RunSyntax(syntax);
    SetStatus("Syntax executed", 0);
    if (m_autoRefresh) {
        RefreshDataFileObjects();
    }
}

void TFMain::actRunExecute() {
    const std::string selection = SynEdit->SelectedText();
    if (!selection.empty()) {
        RunText(selection);
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
