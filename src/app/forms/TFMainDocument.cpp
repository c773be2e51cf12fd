// The main window's document: open, write, the document commands and their prompts, and
// the editing commands.
#include "app/forms/RecentFilesMenu.h"
#include "app/forms/TFMain.h"
#include "settings/forms/TfrmEnvironment.h"
#include "ui/TSyntaxEditor.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>

namespace qs {

namespace {

constexpr const char* kSaveQuestion = "Do you want to save your changes?";

} // namespace

bool TFMain::OpenSyntaxFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        ui::Dialogs().Warning(this, "The selected file does not exist.");
        return false;
    }
    // The document takes the file's name only once its text has been read: a file that
    // cannot be read must not be named over an empty editor, or a save would empty it.
    const StreamResult read = StreamSyntaxFile(
        path.toStdString(), [this](std::uint64_t size) { SynEdit->BeginLoad(size); },
        [this](std::string_view piece) { SynEdit->AppendLoaded(piece); });
    SynEdit->EndLoad();
    if (!read.ok) {
        SynEdit->Clear();
        m_appObject->FileName.clear();
        m_modified = false;
        ui::Dialogs().Warning(this,
                              "An unknown error occurred during the loading of the SPSS file.");
        UpdateCommandStates();
        return false;
    }
    m_appObject->FileName = path.toStdString();
    SetCaption(path);
    SetStatus("Syntaxfile opened", 0);
    m_modified = false;
    if (m_recentFiles != nullptr) {
        m_recentFiles->Add(path.toStdString());
    }
    m_encoding = read.encoding;
    UpdateCommandStates();
    return true;
}

bool TFMain::WriteSyntaxFile() {
    const EncodeResult encoded = EncodeSyntaxFile(SynEdit->Text(), m_encoding);
    if (!encoded.ok) {
        ui::Dialogs().Error(this, QString::fromStdString("The file was not saved: the text " +
                                                         encoded.error + "."));
        return false;
    }
    const FileResult written = SaveFileContents(m_appObject->FileName, encoded.bytes);
    if (!written.ok) {
        ui::Dialogs().Error(
            this, QString::fromStdString("The file was not saved. " + written.error + "."));
        return false;
    }
    m_modified = false;
    if (m_recentFiles != nullptr) {
        m_recentFiles->Add(m_appObject->FileName);
    }
    return true;
}

bool TFMain::SaveAs() {
    const std::optional<QString> file = ui::Dialogs().ChooseSaveFile(
        this, "Save syntax file", m_syntaxFolder, "SPSS syntax file (*.sps)");
    if (!file) {
        return false;
    }
    m_appObject->FileName = file->toStdString();
    SetCaption(*file);
    if (!WriteSyntaxFile()) {
        return false;
    }
    SetStatus("Syntax saved", 0);
    return true;
}

void TFMain::actNewExecute() {
    m_launcher({"/NEW"});
}

void TFMain::actOpenExecute() {
    m_launcher({"/OPEN"});
}

void TFMain::actSaveExecute() {
    if (!m_appObject->FileName.empty()) {
        if (WriteSyntaxFile()) {
            SetStatus("Syntax saved", 0);
        }
    } else {
        SaveAs();
    }
    UpdateCommandStates();
}

void TFMain::mnuSaveAsClick() {
    SaveAs();
    UpdateCommandStates();
}

void TFMain::mnuCloseClick() {
    if (m_modified) {
        SaveAs(); // a cancel here is the way to drop the changes
    }
    setWindowTitle("Quillstone - Untitled");
    SynEdit->Clear();
    m_appObject->FileName.clear();
    m_encoding = TextEncoding::Utf8;
    SetStatus("Syntaxfile closed", 0);
    m_modified = false;
    UpdateCommandStates();
}

void TFMain::mnuExitClick() {
    if (m_modified && ui::Dialogs().Confirm(this, kSaveQuestion) && !SaveAs()) {
        // Yes means keep the changes: a cancelled or failed save keeps the program open.
        UpdateCommandStates();
        return;
    }
    m_modified = false;
    m_destroyed = true;
    QApplication::exit(0);
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (m_modified && !m_destroyed) {
        // Asked here rather than while the window is destroyed, so that a cancelled save
        // can still keep the window and its text.
        if (ui::Dialogs().Confirm(this, kSaveQuestion) && !SaveAs()) {
            event->ignore();
            UpdateCommandStates();
            return;
        }
        m_modified = false;
    }
    if (m_recentFiles != nullptr && !m_recentFiles->Released()) {
        m_recentFiles->Store();
        m_recentFiles->Release();
    }
    event->accept();
}

void TFMain::FormDestroy() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    if (m_modified && QApplication::instance() != nullptr &&
        ui::Dialogs().Confirm(nullptr, kSaveQuestion)) {
        SaveAs();
    }
    m_modified = false;
}

void TFMain::mnuEnvironmentClick() {
    {
        TfrmEnvironment dialog(
            this, [this] { LoadSettings(); }, m_registry);
        dialog.exec();
    }
    LoadSettings();
}

void TFMain::SynEditChange() {
    m_modified = true;
    UpdateCommandStates();
    SetStatus(QString(), 0);
}

void TFMain::SynEditEnter() {
    actPaste->setEnabled(m_clipboardHasText);
    SetStatus("F1 = Context sensitive help", 0);
}

void TFMain::actUndoExecute() {
    if (SynEdit->CanUndo()) {
        SynEdit->undo();
    }
    UpdateCommandStates();
}

void TFMain::actRedoExecute() {
    if (SynEdit->CanRedo()) {
        SynEdit->redo();
    }
    UpdateCommandStates();
}

void TFMain::actCutExecute() {
    SynEdit->cut();
}

void TFMain::actCopyExecute() {
    SynEdit->copy();
}

void TFMain::actPasteExecute() {
    SynEdit->paste();
    UpdateCommandStates();
}

void TFMain::actDeleteExecute() {
    SynEdit->ClearSelection();
    UpdateCommandStates();
}

} // namespace qs
