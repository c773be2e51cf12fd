// The Environment dialog driven through its handlers, with scripted folder pickers.
#include "settings/forms/TfrmEnvironment.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

namespace qs {
namespace {

const std::string kKey = "Software\\Marrowgate\\Quillstone";

TEST(EnvironmentDialog, CaptionsAndPage) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TfrmEnvironment form(nullptr, {}, reg.store);
    EXPECT_EQ(form.windowTitle(), "Environment");
    EXPECT_EQ(form.chkRefreshDataObjects->text(), "Automatically refresh datafile objects");
    EXPECT_EQ(form.btnOk->text(), "&Ok");
    EXPECT_EQ(form.btnCancel->text(), "&Cancel");
    auto* pages = form.findChild<QTabWidget*>();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->count(), 1);
    EXPECT_EQ(pages->tabText(0), "General");
}

TEST(EnvironmentDialog, CancelAfterFirstOpeningLeavesTheDefaultsStored) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    int reloads = 0;
    {
        TfrmEnvironment form(
            nullptr, [&] { ++reloads; }, reg.store);
        EXPECT_TRUE(form.chkRefreshDataObjects->isChecked());
        EXPECT_FALSE(form.edtSyntaxFilesPath->text().isEmpty()); // the personal folder
        form.btnCancel->click();
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(reg.Value(kKey, "SyntaxFilePath"), RegistryValue::FromString(""));
    EXPECT_EQ(reg.Value(kKey, "DataFilePath"), RegistryValue::FromString(""));
    EXPECT_EQ(reg.Value(kKey, "RefreshDataObjects"), RegistryValue::FromInteger(0));
}

TEST(EnvironmentDialog, BrowseReplacesTheFieldOnlyWhenConfirmed) {
    test::TempRegistry reg;
    reg.Put(kKey, "SyntaxFilePath", RegistryValue::FromString("/start/syntax"));
    reg.Put(kKey, "DataFilePath", RegistryValue::FromString("/start/data"));
    test::ScriptedDialogs dialogs;
    dialogs.answers = {"/picked/syntax", ""};
    TfrmEnvironment form(nullptr, {}, reg.store);
    form.btnSyntaxFilesPath->click();
    form.btnDatafilespath->click(); // cancelled
    EXPECT_EQ(form.edtSyntaxFilesPath->text(), "/picked/syntax");
    EXPECT_EQ(form.edtDatafilespath->text(), "/start/data");
    EXPECT_EQ(dialogs.titles,
              QStringList({"Browse for Syntaxfiles Folder", "Browse for Datafiles Folder"}));
    EXPECT_EQ(dialogs.startFolders, QStringList({"/start/syntax", "/start/data"}));
}

TEST(EnvironmentDialog, OkStoresTheFieldsAndReloadsTheWindowSettings) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    int reloads = 0;
    TfrmEnvironment form(
        nullptr, [&] { ++reloads; }, reg.store);
    form.edtSyntaxFilesPath->setText("/s");
    form.edtDatafilespath->setText("");
    form.chkRefreshDataObjects->setChecked(false);
    form.btnOk->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(reg.Value(kKey, "SyntaxFilePath"), RegistryValue::FromString("/s"));
    EXPECT_EQ(reg.Value(kKey, "DataFilePath"), RegistryValue::FromString(""));
    EXPECT_EQ(reg.Value(kKey, "RefreshDataObjects"), RegistryValue::FromInteger(1));
}

TEST(EnvironmentDialog, AFolderValueOfAnotherTypeIsReportedAndTheDialogStillOpens) {
    test::TempRegistry reg;
    reg.Put(kKey, "DataFilePath", RegistryValue::FromInteger(1));
    reg.Put(kKey, "RefreshDataObjects", RegistryValue::FromString("x"));
    test::ScriptedDialogs dialogs;
    TfrmEnvironment form(nullptr, {}, reg.store);
    EXPECT_EQ(dialogs.messages, QStringList{"warning: Invalid data type for 'DataFilePath'"});
    EXPECT_FALSE(form.edtDatafilespath->text().isEmpty());
    EXPECT_TRUE(form.chkRefreshDataObjects->isChecked());
    form.btnOk->click(); // OK repairs the value
    EXPECT_EQ(reg.Value(kKey, "RefreshDataObjects"), RegistryValue::FromInteger(0));
    EXPECT_EQ(reg.Value(kKey, "DataFilePath")->type, RegistryValue::Type::String);
}

} // namespace
} // namespace qs
