// The main window's document: open, write, the document commands and their prompts, and
// the editing commands.
#include "app/forms/RecentFilesMenu.h"
#include "app/forms/TFMain.h"
#include "highlight/HighlighterStyles.h"
#include "highlight/SynHighlighterSPSS.h"
#include "highlight/forms/SPSSHighlighterStyleDialog.h"
#include "settings/forms/TfrmEnvironment.h"
#include "platform/FilePath.h"
#include "ui/NativeFileName.h"
#include "ui/TSyntaxEditor.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QCloseEvent>

#include <filesystem>

namespace qs {

namespace {

constexpr const char* kSaveQuestion = "Do you want to save your changes?";

} // namespace

std::string TFMain::NativePath(const QString& path) {
    return ui::NativeFileName(path);
}

QString TFMain::DisplayPath(const std::string& path) {
    return ui::DisplayFileName(path);
}

QString MissingFileMessage(const std::string& path) {
    QString text = "The selected file does not exist.";
    if (!path.empty()) {
        text += "\r\n" + TFMain::DisplayPath(path);
    }
    return text;
}

bool TFMain::OpenSyntaxFile(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(PathFromUtf8(path), ec)) {
        ui::Dialogs().Warning(this, MissingFileMessage(path));
        return false;
    }
    // Taken before reading, so that a change made while the file is read is noticed too.
    const FileStamp stamp = StampOf(path);
    // The document takes the file's name only once its text has been read: a file that
    // cannot be read must not be named over an empty editor, or a save would empty it.
    const StreamResult read = StreamSyntaxFile(
        path, [this](std::uint64_t size) { SynEdit->BeginLoad(size); },
        [this](std::string_view piece) { SynEdit->AppendLoaded(piece); });
    SynEdit->EndLoad();
    if (!read.ok) {
        SynEdit->Clear();
        m_appObject->FileName.clear();
        m_diskStamp = {};
        m_modified = false;
        ui::Dialogs().Warning(this,
                              "An unknown error occurred during the loading of the SPSS file.\r\n" +
                                  QString::fromStdString(read.error));
        UpdateCommandStates();
        return false;
    }
    m_appObject->FileName = path;
    m_diskStamp = stamp;
    SetCaption(DisplayPath(path));
    SetStatus("Syntaxfile opened", 0);
    m_modified = false;
    if (m_recentFiles != nullptr) {
        m_recentFiles->Add(path);
    }
    m_encoding = read.encoding;
    UpdateCommandStates();
    return true;
}

bool TFMain::WriteSyntaxFile() {
    return WriteSyntaxFileTo(m_appObject->FileName);
}

bool TFMain::MayOverwrite(const std::string& path) {
    if (path != m_appObject->FileName || !m_diskStamp.exists) {
        return true; // a file chosen in Save As is overwritten without a question
    }
    const FileStamp now = StampOf(path);
    if (!now.exists || now == m_diskStamp) {
        return true;
    }
    return ui::Dialogs().WarningYesNo(
        this, "The file " + DisplayPath(path) +
                  " has been changed on disk since it was opened or saved here.\r\n"
                  "Do you want to overwrite it?");
}

bool TFMain::WriteSyntaxFileTo(const std::string& path) {
    // Blanks the user left at the end of the line being edited are not part of the text.
    SynEdit->TrimEditedLine();
    const EncodeResult encoded = EncodeSyntaxFile(SynEdit->Text(), m_encoding);
    if (!encoded.ok) {
        ui::Dialogs().Error(this, QString::fromStdString("The file was not saved: the text " +
                                                         encoded.error + "."));
        return false;
    }
    if (!MayOverwrite(path)) {
        return false;
    }
    const FileResult written = SaveFileContents(path, encoded.bytes);
    if (!written.ok) {
        ui::Dialogs().Error(
            this, QString::fromStdString("The file was not saved. " + written.error + "."));
        return false;
    }
    m_appObject->FileName = path;
    m_diskStamp = StampOf(path);
    SetCaption(DisplayPath(path));
    m_modified = false;
    if (m_recentFiles != nullptr) {
        m_recentFiles->Add(path);
    }
    return true;
}

TFMain::SaveOutcome TFMain::SaveAs() {
    std::string path;
    while (path.empty()) {
        const std::optional<QString> file = ui::Dialogs().ChooseSaveFile(
            this, "Save syntax file", m_syntaxFolder, "SPSS syntax file (*.sps)");
        if (!file) {
            return SaveOutcome::Cancelled;
        }
        path = WithSyntaxExtension(NativePath(*file));
        // The dialog asked nothing about the name with the extension the user did not type.
        std::error_code ec;
        if (path != NativePath(*file) && std::filesystem::exists(PathFromUtf8(path), ec) &&
            !ui::Dialogs().WarningYesNo(
                this, DisplayPath(path) + " already exists.\nDo you want to replace it?")) {
            path.clear();
        }
    }
    if (!WriteSyntaxFileTo(path)) {
        return SaveOutcome::Failed;
    }
    SetStatus("Syntax saved", 0);
    return SaveOutcome::Saved;
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
    // A cancel in the dialog is the way to drop the changes; a write that failed keeps
    // them, with the name and caption they had.
    if (m_modified && SaveAs() == SaveOutcome::Failed) {
        UpdateCommandStates();
        return;
    }
    setWindowTitle("Quillstone - Untitled");
    SynEdit->Clear();
    m_appObject->FileName.clear();
    m_diskStamp = {};
    m_encoding = TextEncoding::Utf8;
    SetStatus("Syntaxfile closed", 0);
    m_modified = false;
    UpdateCommandStates();
}

void TFMain::mnuExitClick() {
    if (m_modified && ui::Dialogs().Confirm(this, kSaveQuestion) &&
        SaveAs() != SaveOutcome::Saved) {
        // Yes means keep the changes: a cancelled or failed save keeps the program open.
        UpdateCommandStates();
        return;
    }
    m_modified = false;
    m_destroyed = true;
    StoreWindowState();
    QApplication::exit(0);
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (m_modified && !m_destroyed) {
        // Asked here rather than while the window is destroyed, so that a cancelled save
        // can still keep the window and its text.
        if (ui::Dialogs().Confirm(this, kSaveQuestion) && SaveAs() != SaveOutcome::Saved) {
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
    StoreWindowState();
    event->accept();
}

void TFMain::FormDestroy() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    // The window cannot stay any more: a save that was cancelled or failed asks again,
    // until the text is written or the user answers No.
    while (m_modified && QApplication::instance() != nullptr &&
           ui::Dialogs().Confirm(nullptr, kSaveQuestion)) {
        if (SaveAs() == SaveOutcome::Saved) {
            break;
        }
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

void TFMain::actStyleExecute() {
    SPSSHighlighterStyleDialog->ShowDialog();
    // Stored after Cancel too, so that the store always holds every attribute.
    SaveStyles(*m_highlighter, RootKey::CurrentUser, m_appObject->RegistryKey + "Style",
               m_registry);
    SynEdit->RefreshStyles();
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
