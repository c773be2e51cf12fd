// The Import Language Definition File dialog driven through its handlers, with a
// scripted open dialog and temporary program folders.
#include "highlight/forms/ImportLangDef.h"
#include "platform/shell/Shell.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace qs {
namespace {

namespace fs = std::filesystem;

const std::string kDefinition = "[1 Commands]\nFREQUENCIES,DESCRIPTIVES\n";
const QString kNotValid = "information: The file you selected is not a valid Language Definition File";
const QString kImported = "information: The Language Definition file has been imported "
                          "succesfully.\r\nPlease restart te application.";

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

struct ImportDialog : testing::Test {
    test::TempDir chosen;
    test::TempDir program;
    test::ScriptedDialogs dialogs;
    TfrmImportLanguageDef form{nullptr, program.path()};

    fs::path Definition(const std::string& name = "lngpck.dll") {
        test::WriteFileBytes(chosen / name, kDefinition);
        return chosen / name;
    }
    void Choose(const fs::path& path) {
        dialogs.answers.push_back(Q(path));
        form.edtLanguageFileButton->click();
    }
};

TEST_F(ImportDialog, CaptionsAndStartState) {
    EXPECT_EQ(form.windowTitle(), "Import Language Definition File");
    EXPECT_EQ(form.size(), QSize(329, 167));
    EXPECT_TRUE(form.Label1->wordWrap());
    EXPECT_EQ(form.Label1->text(),
              "If you obtained a new version of the SPSS language definition file, you can "
              "browse for that file and import the new definition");
    EXPECT_TRUE(form.edtLanguageFile->isReadOnly());
    EXPECT_TRUE(form.edtLanguageFile->alignment().testFlag(Qt::AlignRight));
    EXPECT_TRUE(form.edtLanguageFile->text().isEmpty());
    EXPECT_EQ(form.btnImport->text(), "&Import");
    EXPECT_FALSE(form.btnImport->isEnabled());
    EXPECT_EQ(form.btnCancel->text(), "&Cancel");
}

TEST_F(ImportDialog, TheOpenDialogStartsInTheDocumentsFolderWithTheNamePreset) {
    const QString documents = form.OpenDialogFolder();
    EXPECT_EQ(documents, QString::fromStdString(GetPersonalFolder()));
    form.edtLanguageFileButton->click(); // cancelled
    EXPECT_EQ(dialogs.startFolders, QStringList{documents + "/lngpck.dll"});
    EXPECT_TRUE(form.edtLanguageFile->text().isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ImportDialog, ARightFileFillsTheFieldAndEnablesImport) {
    Choose(Definition());
    EXPECT_EQ(form.edtLanguageFile->text(), Q(chosen / "lngpck.dll"));
    EXPECT_TRUE(form.btnImport->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

struct RejectedCase {
    const char* name;
    const char* fileName;
    std::string bytes;
};

class RejectedFiles : public ImportDialog, public testing::WithParamInterface<RejectedCase> {};

TEST_P(RejectedFiles, AreNotValidAndChangeNothing) {
    Choose(Definition()); // an earlier, good choice stays
    fs::create_directories((chosen / GetParam().fileName).parent_path());
    test::WriteFileBytes(chosen / GetParam().fileName, GetParam().bytes);
    Choose(chosen / GetParam().fileName);
    EXPECT_EQ(dialogs.messages, QStringList{kNotValid});
    EXPECT_EQ(form.edtLanguageFile->text(), Q(chosen / "lngpck.dll"));
    EXPECT_TRUE(form.btnImport->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    ImportLangDef, RejectedFiles,
    testing::Values(RejectedCase{"Capitals", "LNGPCK.DLL", kDefinition},
                    RejectedCase{"OtherName", "language.dll", kDefinition},
                    RejectedCase{"NotADefinition", "binary/lngpck.dll", std::string("MZ\0\0", 4)},
                    RejectedCase{"NoCommands", "empty/lngpck.dll", "[1 Commands]\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ImportDialog, ARejectedFirstChoiceLeavesImportDisabled) {
    test::WriteFileBytes(chosen / "LNGPCK.DLL", kDefinition);
    Choose(chosen / "LNGPCK.DLL");
    EXPECT_EQ(dialogs.messages, QStringList{kNotValid});
    EXPECT_TRUE(form.edtLanguageFile->text().isEmpty());
    EXPECT_FALSE(form.btnImport->isEnabled());
}

TEST_F(ImportDialog, ImportCopiesTheFileSaysSoAndCloses) {
    test::WriteFileBytes(program / "lngpck.dll", "old");
    Choose(Definition());
    form.btnImport->click();
    EXPECT_EQ(test::ReadFileBytes(program / "lngpck.dll"), kDefinition);
    EXPECT_EQ(dialogs.messages, QStringList{kImported});
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(ImportDialog, AFileEmptiedAfterItWasChosenIsNotImported) {
    Choose(Definition());
    test::WriteFileBytes(chosen / "lngpck.dll", "[1 Commands]\n");
    form.btnImport->click();
    EXPECT_EQ(dialogs.messages, QStringList{kNotValid});
    EXPECT_FALSE(fs::exists(program / "lngpck.dll"));
    EXPECT_NE(form.result(), QDialog::Accepted);
}

TEST_F(ImportDialog, WithoutAFolderTheImportGoesToTheUsersConfigurationFolder) {
    test::ScopedEnv env("XDG_CONFIG_HOME", (chosen / "config").string());
    TfrmImportLanguageDef standard;
    dialogs.answers.push_back(Q(Definition()));
    standard.edtLanguageFileButton->click();
    standard.btnImport->click();
    EXPECT_EQ(test::ReadFileBytes(chosen / "config" / "quillstone" / "lngpck.dll"), kDefinition);
}

TEST_F(ImportDialog, CancelAfterAValidChoiceCopiesNothing) {
    Choose(Definition());
    form.btnCancel->click();
    EXPECT_FALSE(fs::exists(program / "lngpck.dll"));
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST_F(ImportDialog, AFileGoneBeforeImportClosesSilently) {
    Choose(Definition());
    fs::remove(chosen / "lngpck.dll");
    form.btnImport->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(fs::exists(program / "lngpck.dll"));
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST_F(ImportDialog, AFailedCopyIsReportedAndTheDialogStaysOpen) {
    fs::create_directory(program / "lngpck.dll");
    form.show();
    Choose(Definition());
    form.btnImport->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(
        "warning: The Language Definition file could not be copied to " + Q(program / "lngpck.dll")))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(fs::is_directory(program / "lngpck.dll"));
}

} // namespace
} // namespace qs
