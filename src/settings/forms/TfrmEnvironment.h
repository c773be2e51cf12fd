// The Environment dialog: the folders the file dialogs open in and whether the data file
// objects refresh by themselves after syntax runs.
#pragma once

#include "settings/RegSettings.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace qs {

class TfrmEnvironment : public QDialog {
    Q_OBJECT
public:
    // `loadSettings` is the main window's settings reload, run after OK has stored.
    TfrmEnvironment(QWidget* parent, std::function<void()> loadSettings,
                    std::shared_ptr<RegistryBackend> registry = DefaultRegistryBackend());
    ~TfrmEnvironment() override;

    QLineEdit* edtSyntaxFilesPath = nullptr;
    QLineEdit* edtDatafilespath = nullptr;
    QCheckBox* chkRefreshDataObjects = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QToolButton* btnSyntaxFilesPath = nullptr; // the fields' browse buttons
    QToolButton* btnDatafilespath = nullptr;

    void btnOkClick();
    void btnCancelClick();
    void edtSyntaxFilesPathButtonClick();
    void edtDatafilespathButtonClick();

private:
    void FormCreate();
    void BuildControls();

    std::unique_ptr<TRegistrySettings> Settings;
    std::function<void()> m_loadSettings;
    QString m_syntaxPickerFolder; // where each folder picker starts
    QString m_dataPickerFolder;
};

} // namespace qs
