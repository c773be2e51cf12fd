#include "highlight/forms/ImportLangDef.h"

#include "highlight/LanguageDefinitionImport.h"
#include "highlight/LanguageElements.h"
#include "platform/FilePath.h"
#include "platform/shell/Shell.h"
#include "ui/NativeFileName.h"
#include "ui/UserDialogs.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace qs {

namespace fs = std::filesystem;

namespace {

fs::path NativePath(const QString& path) {
    return PathFromUtf8(ui::NativeFileName(path));
}

} // namespace

TfrmImportLanguageDef::TfrmImportLanguageDef(QWidget* parent, fs::path programFolder)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_programFolder(programFolder.empty() ? UserLanguageDefinitionPath().parent_path()
                                            : programFolder),
      m_makeFolder(programFolder.empty()) {
    BuildControls();
    FormCreate();
}

void TfrmImportLanguageDef::BuildControls() {
    setObjectName("frmImportLanguageDef");
    setWindowTitle("Import Language Definition File");
    setFixedSize(329, 167);

    Label1 = new QLabel("If you obtained a new version of the SPSS language definition file, "
                        "you can browse for that file and import the new definition");
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);

    edtLanguageFile = new QLineEdit;
    edtLanguageFile->setObjectName("edtLanguageFile");
    edtLanguageFile->setReadOnly(true);
    edtLanguageFile->setAlignment(Qt::AlignRight);
    edtLanguageFileButton = new QToolButton;
    edtLanguageFileButton->setObjectName("edtLanguageFileButton");
    edtLanguageFileButton->setText("...");
    edtLanguageFileButton->setToolTip("Browse");
    auto* field = new QHBoxLayout;
    field->setSpacing(2);
    field->addWidget(edtLanguageFile);
    field->addWidget(edtLanguageFileButton);

    btnImport = new QPushButton("&Import");
    btnImport->setObjectName("btnImport");
    btnImport->setEnabled(false);
    btnCancel = new QPushButton("&Cancel");
    btnCancel->setObjectName("btnCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnImport);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(field);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(edtLanguageFileButton, &QToolButton::clicked, this,
            &TfrmImportLanguageDef::edtLanguageFileButtonClick);
    connect(btnImport, &QPushButton::clicked, this, &TfrmImportLanguageDef::btnImportClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmImportLanguageDef::btnCancelClick);
}

void TfrmImportLanguageDef::FormCreate() {
    m_openDialogFolder = ui::DisplayFileName(GetPersonalFolder());
}

void TfrmImportLanguageDef::edtLanguageFileButtonClick() {
    // The open dialog comes with "lngpck.dll" already filled in.
    const QString preset = m_openDialogFolder.isEmpty()
                               ? QString(kLanguageDefinitionFileName)
                               : m_openDialogFolder + "/" + kLanguageDefinitionFileName;
    const auto file = ui::Dialogs().ChooseOpenFile(
        this, "Open", preset, "Quillstone Language Definitionfile (lngpck.dll)");
    if (!file) {
        return;
    }
    m_openDialogFolder = QFileInfo(*file).absolutePath();
    if (!IsLanguageDefinitionFile(NativePath(*file))) {
        ui::Dialogs().Information(this,
                                  "The file you selected is not a valid Language Definition File");
        return;
    }
    edtLanguageFile->setText(*file);
    btnImport->setEnabled(true);
}

void TfrmImportLanguageDef::btnImportClick() {
    const fs::path source = NativePath(edtLanguageFile->text());
    std::error_code ec;
    if (edtLanguageFile->text().isEmpty() || !fs::exists(source, ec)) {
        reject(); // the file went away since it was chosen
        return;
    }
    if (!IsLanguageDefinitionFile(source)) {
        // It changed since it was chosen.
        ui::Dialogs().Information(this,
                                  "The file you selected is not a valid Language Definition File");
        return;
    }
    if (m_makeFolder) {
        fs::create_directories(m_programFolder, ec); // a failure shows in the copy's message
    }
    const ImportResult result = ImportLanguageDefinition(source, m_programFolder);
    if (!result.ok) {
        // Stay open: the user may free the target or choose another file.
        ui::Dialogs().Warning(this, ui::DisplayFileName(result.error));
        return;
    }
    ui::Dialogs().Information(this, "The Language Definition file has been imported succesfully."
                                    "\r\nPlease restart te application.");
    accept();
}

void TfrmImportLanguageDef::btnCancelClick() {
    reject();
}

} // namespace qs
