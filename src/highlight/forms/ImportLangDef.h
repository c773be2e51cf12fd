// The Import Language Definition File dialog: the user picks a new "lngpck.dll", which is
// copied into the user's configuration folder (Windows: the program's folder) and read at
// the program's next start.
#pragma once

#include <QDialog>

#include <filesystem>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace qs {

class TfrmImportLanguageDef : public QDialog {
    Q_OBJECT
public:
    // `programFolder` receives the file; empty: the folder of UserLanguageDefinitionPath,
    // made when missing.
    explicit TfrmImportLanguageDef(QWidget* parent = nullptr,
                                   std::filesystem::path programFolder = {});

    QLabel* Label1 = nullptr;
    QLineEdit* edtLanguageFile = nullptr;
    QToolButton* edtLanguageFileButton = nullptr; // the field's browse button
    QPushButton* btnImport = nullptr;
    QPushButton* btnCancel = nullptr;

    void edtLanguageFileButtonClick();
    void btnImportClick();
    void btnCancelClick();

    // Where the open dialog starts.
    const QString& OpenDialogFolder() const { return m_openDialogFolder; }

private:
    void BuildControls();
    void FormCreate();

    std::filesystem::path m_programFolder;
    bool m_makeFolder = false;
    QString m_openDialogFolder;
};

} // namespace qs
