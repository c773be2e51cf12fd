#include "settings/forms/TfrmEnvironment.h"

#include "platform/shell/Shell.h"
#include "settings/Environment.h"
#include "ui/UserDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace qs {

TfrmEnvironment::TfrmEnvironment(QWidget* parent, std::function<void()> loadSettings,
                                 std::shared_ptr<RegistryBackend> registry)
    : QDialog(parent), Settings(std::make_unique<TRegistrySettings>(std::move(registry))),
      m_loadSettings(std::move(loadSettings)) {
    BuildControls();
    FormCreate();
}

TfrmEnvironment::~TfrmEnvironment() = default;

void TfrmEnvironment::BuildControls() {
    setObjectName("frmEnvironment");
    setWindowTitle("Environment");
    auto* pages = new QTabWidget(this);
    auto* general = new QWidget;
    auto* grid = new QGridLayout(general);

    const auto addFolderField = [&](int row, const char* label, QLineEdit*& edit,
                                    QToolButton*& button, const char* name) {
        auto* caption = new QLabel(label);
        edit = new QLineEdit;
        edit->setObjectName(name);
        edit->setMinimumWidth(280);
        caption->setBuddy(edit);
        button = new QToolButton;
        button->setText("...");
        button->setToolTip("Browse");
        auto* field = new QHBoxLayout;
        field->setSpacing(2);
        field->addWidget(edit);
        field->addWidget(button);
        grid->addWidget(caption, row, 0, 1, 2);
        grid->addLayout(field, row + 1, 0, 1, 2);
    };
    addFolderField(0, "Syntaxfiles path", edtSyntaxFilesPath, btnSyntaxFilesPath,
                   "edtSyntaxFilesPath");
    addFolderField(2, "Datafiles path", edtDatafilespath, btnDatafilespath, "edtDatafilespath");
    chkRefreshDataObjects = new QCheckBox("Automatically refresh datafile objects");
    chkRefreshDataObjects->setObjectName("chkRefreshDataObjects");
    grid->addWidget(chkRefreshDataObjects, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    pages->addTab(general, "General");

    btnOk = new QPushButton("&Ok");
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("&Cancel");
    btnCancel->setObjectName("btnCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &TfrmEnvironment::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmEnvironment::btnCancelClick);
    connect(btnSyntaxFilesPath, &QToolButton::clicked, this,
            &TfrmEnvironment::edtSyntaxFilesPathButtonClick);
    connect(btnDatafilespath, &QToolButton::clicked, this,
            &TfrmEnvironment::edtDatafilespathButtonClick);
}

void TfrmEnvironment::FormCreate() {
    Settings->SetBaseKey("Software\\Marrowgate\\Quillstone");
    std::vector<std::string> errors;
    const EnvironmentValues values = ReadEnvironment(*Settings, GetPersonalFolder(), errors);
    edtSyntaxFilesPath->setText(QString::fromStdString(values.syntaxFilesPath));
    edtDatafilespath->setText(QString::fromStdString(values.datafilesPath));
    m_syntaxPickerFolder = edtSyntaxFilesPath->text();
    m_dataPickerFolder = edtDatafilespath->text();
    chkRefreshDataObjects->setChecked(values.refreshDataObjects);
    for (const std::string& error : errors) {
        ui::Dialogs().Warning(parentWidget(), QString::fromStdString(error));
    }
}

void TfrmEnvironment::btnOkClick() {
    EnvironmentValues values;
    values.syntaxFilesPath = edtSyntaxFilesPath->text().toStdString();
    values.datafilesPath = edtDatafilespath->text().toStdString();
    values.refreshDataObjects = chkRefreshDataObjects->isChecked();
    try {
        WriteEnvironment(*Settings, values);
    } catch (const ERegistryException& e) {
        // Keep the dialog open so that nothing typed is lost.
        ui::Dialogs().Warning(this, QString::fromUtf8(e.what()));
        return;
    }
    accept();
    if (m_loadSettings) {
        m_loadSettings();
    }
}

void TfrmEnvironment::btnCancelClick() {
    reject();
}

void TfrmEnvironment::edtSyntaxFilesPathButtonClick() {
    if (auto folder = ui::Dialogs().ChooseFolder(this, "Browse for Syntaxfiles Folder",
                                                 m_syntaxPickerFolder)) {
        edtSyntaxFilesPath->setText(*folder);
        m_syntaxPickerFolder = *folder;
    }
}

void TfrmEnvironment::edtDatafilespathButtonClick() {
    if (auto folder =
            ui::Dialogs().ChooseFolder(this, "Browse for Datafiles Folder", m_dataPickerFolder)) {
        edtDatafilespath->setText(*folder);
        m_dataPickerFolder = *folder;
    }
}

} // namespace qs
