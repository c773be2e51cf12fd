// The main window's settings, recent files and window modes, driven without a person.
#include "app/forms/RecentFilesMenu.h"
#include "app/forms/TFMain.h"
#include "app/forms/WindowModes.h"
#include "highlight/SynHighlighterSPSS.h"
#include "highlight/forms/FSPSSHighlighterStyledialog.h"
#include "highlight/forms/SPSSHighlighterStyleDialog.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qs {
namespace {

QStringList ReopenCaptions(const TFMain& window) {
    QStringList captions;
    for (const QAction* action : window.mnuReopen->actions()) {
        captions << action->text();
    }
    return captions;
}

TEST(MainWindow, FreshUserHasPersonalFoldersAutoRefreshAndNoReopen) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store);
    EXPECT_EQ(window.windowTitle().toStdString(), "Quillstone - ");
    EXPECT_TRUE(window.AutoRefresh());
    EXPECT_FALSE(window.SyntaxDialogFolder().isEmpty());
    EXPECT_EQ(window.SyntaxDialogFolder(), window.DataDialogFolder());
    EXPECT_FALSE(window.mnuReopen->menuAction()->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(MainWindow, OpenedFilesEnterTheReopenMenuAndPickingStartsAProcess) {
    test::TempRegistry reg;
    test::TempDir files;
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store);
    std::vector<std::vector<std::string>> started;
    window.SetProgramLauncher(
        [&](const std::vector<std::string>& args) { started.push_back(args); });
    const std::string a = (files / "a.sps").string();
    const std::string b = (files / "b b.sps").string();
    test::WriteFileBytes(a, "GET FILE='x.sav'.\r\n");
    test::WriteFileBytes(b, "");
    ASSERT_TRUE(window.OpenSyntaxFile(QString::fromStdString(a)));
    ASSERT_TRUE(window.OpenSyntaxFile(QString::fromStdString(b)));
    EXPECT_EQ(window.windowTitle(), QString::fromStdString("Quillstone - " + b));
    EXPECT_TRUE(window.mnuReopen->menuAction()->isEnabled());
    EXPECT_EQ(ReopenCaptions(window), QStringList({QString::fromStdString("&1\t" + b),
                                                   QString::fromStdString("&2\t" + a)}));

    window.mnuReopen->actions().at(1)->trigger();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], (std::vector<std::string>{"/REOPEN", a}));
    EXPECT_EQ(ReopenCaptions(window).size(), 2); // the entry stays where it is
}

TEST(MainWindow, OpeningTheFileMenuShowsWhatOtherProcessesStored) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store);
    TRegistry other(reg.store);
    AddToStoredRecentFiles(other, "/elsewhere/x.sps");
    EXPECT_TRUE(ReopenCaptions(window).isEmpty());
    emit window.mnuFile->aboutToShow();
    EXPECT_EQ(ReopenCaptions(window), QStringList{"&1\t/elsewhere/x.sps"});
    EXPECT_TRUE(window.mnuReopen->menuAction()->isEnabled());
}

TEST(MainWindow, ClosingStoresTheListAndLaterAddsStillReachTheRegistry) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    test::TempDir files;
    const std::string a = (files / "a.sps").string();
    test::WriteFileBytes(a, "");
    {
        TFMain window(reg.store);
        window.OpenSyntaxFile(QString::fromStdString(a));
        window.close();
        EXPECT_TRUE(window.RecentFiles().Released());
        window.RecentFiles().Add("/saved/while/closing.sps");
    }
    TRegistry registry(reg.store);
    TRecentFiles list;
    list.Load(registry);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"/saved/while/closing.sps", a}));
}

TEST(WindowModes, ReopenWithoutAFileWarnsAndLeavesAnEmptyCaption) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    const std::pair<std::vector<std::string>, QString> rows[] = {
        {{"/REOPEN"}, ""}, {{"/REOPEN", "/no/such/file.sps"}, "\r\n/no/such/file.sps"}};
    for (const auto& [args, named] : rows) {
        dialogs.messages.clear();
        auto window = CreateMainWindowForMode(TStartMode::Reopen, args, reg.store);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->windowTitle(), "Quillstone - ");
        EXPECT_EQ(dialogs.messages,
                  QStringList{"warning: The selected file does not exist." + named});
    }
}

TEST(WindowModes, NewDocumentIsUntitled) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    auto window = CreateMainWindowForMode(TStartMode::NewDocument, {"/New"}, reg.store);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Quillstone - Untitled");
}

TEST(WindowModes, OpenAsksForAFileAndCancelEndsWithoutAWindow) {
    test::TempRegistry reg;
    reg.Put("Software\\Marrowgate\\Quillstone", "SyntaxFilePath",
            RegistryValue::FromString("/syntax/folder"));
    test::ScriptedDialogs dialogs;
    EXPECT_EQ(CreateMainWindowForMode(TStartMode::Open, {"/Open"}, reg.store), nullptr);
    EXPECT_EQ(dialogs.titles, QStringList{"Open syntax file"});
    EXPECT_EQ(dialogs.startFolders, QStringList{"/syntax/folder"});

    test::TempDir files;
    const std::string a = (files / "a.sps").string();
    test::WriteFileBytes(a, "");
    dialogs.answers = {QString::fromStdString(a)};
    auto window = CreateMainWindowForMode(TStartMode::Open, {"/Open"}, reg.store);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QString::fromStdString("Quillstone - " + a));
    EXPECT_FALSE(window->isVisible());
}

TEST(MainWindow, EnvironmentCommandReloadsTheSettings) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store);
    EXPECT_TRUE(window.AutoRefresh());
    // Another process (or the dialog) changes the settings; the reload picks them up.
    reg.Put("Software\\Marrowgate\\Quillstone", "RefreshDataObjects",
            RegistryValue::FromInteger(1));
    reg.Put("Software\\Marrowgate\\Quillstone", "DataFilePath", RegistryValue::FromString("/d"));
    window.LoadSettings();
    EXPECT_FALSE(window.AutoRefresh());
    EXPECT_EQ(window.DataDialogFolder(), "/d");
}

// The object name of the modal dialog that `command` opens, closed as soon as it shows.
QString ModalDialogOf(QAction* command) {
    QString name;
    QObject guard; // cancels the close when no dialog ran
    QTimer::singleShot(0, &guard, [&name] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            name = modal->objectName();
            modal->close();
        }
    });
    command->trigger();
    return name;
}

TEST(MainWindow, AboutAndLanguageImportOpenTheirDialogs) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store);
    EXPECT_TRUE(window.mnuAbout->isEnabled());
    EXPECT_TRUE(window.mnuLoadLanguageDef->isVisible());
    EXPECT_EQ(ModalDialogOf(window.mnuAbout), "frmAbout");
    EXPECT_EQ(ModalDialogOf(window.mnuLoadLanguageDef), "frmImportLanguageDef");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

const std::string kStyleKey = "Software\\Marrowgate\\Quillstone\\Style";

TEST(MainWindowStyles, FreshUserGetsTheDefaultsWithNavySymbols) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store);
    EXPECT_EQ(window.SynSPSSHighlighter().SymbolAttri().Foreground(), 0x800000u);
    EXPECT_EQ(window.SynSPSSHighlighter().CommentAttri().Foreground(), 0xFF0000u);
    EXPECT_FALSE(reg.store->KeyExists(RootKey::CurrentUser, kStyleKey)); // nothing written
    EXPECT_TRUE(window.actStyle->isEnabled());
}

TEST(MainWindowStyles, StoredStylesAreLoadedAtCreation) {
    test::TempRegistry reg;
    reg.Put(kStyleKey + "\\Comment", "Foreground", RegistryValue::FromInteger(0x008080));
    reg.Put(kStyleKey + "\\Comment", "Style", RegistryValue::FromInteger(fsUnderline));
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store);
    EXPECT_EQ(window.SynSPSSHighlighter().CommentAttri().Foreground(), 0x008080u);
    EXPECT_EQ(window.SynSPSSHighlighter().CommentAttri().Style(), fsUnderline);
    const auto comment = static_cast<unsigned long>(TokenKind::Comment);
    // The editor shows them from the start.
    EXPECT_EQ(window.SynEdit->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, comment),
              0x008080);
    EXPECT_EQ(window.SynEdit->SendScintilla(QsciScintillaBase::SCI_STYLEGETITALIC, comment), 0);
    EXPECT_EQ(window.SynEdit->SendScintilla(QsciScintillaBase::SCI_STYLEGETUNDERLINE, comment), 1);
    // The store stops at the missing "Number": the rest keep their defaults.
    EXPECT_EQ(window.SynSPSSHighlighter().SymbolAttri().Foreground(), 0x800000u);
}

// "Style..." with the dialog answered by a script: defaults, a comment colour, then the
// given button.
void UseStyleDialog(TFMain& window, bool confirm) {
    window.SPSSHighlighterStyleDialog->SetDialogRunner([confirm](TSyntaxColorDlg& dialog) {
        dialog.btnSetDefault->click();
        dialog.Highlighter()->CommentAttri().SetForeground(0x000080);
        (confirm ? dialog.btnOk : dialog.btnCancel)->click();
        return dialog.result();
    });
    window.actStyle->trigger();
}

TEST(MainWindowStyles, CancelChangesNothingButStoresAllFourteen) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store);
    UseStyleDialog(window, false);
    EXPECT_EQ(window.SynSPSSHighlighter().CommentAttri().Foreground(), 0xFF0000u);
    EXPECT_EQ(window.SynSPSSHighlighter().SPSSCommandAttri().Background(), clNone);
    EXPECT_EQ(reg.store->SubKeys(RootKey::CurrentUser, kStyleKey).size(), 14u);
    EXPECT_EQ(reg.Value(kStyleKey + "\\Symbol", "Foreground"),
              RegistryValue::FromInteger(0x800000));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(MainWindowStyles, ConfirmedStylesReachTheEditorAndComeBackAfterARestart) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    {
        TFMain window(reg.store);
        UseStyleDialog(window, true);
        EXPECT_EQ(window.SynSPSSHighlighter().CommentAttri().Foreground(), 0x000080u);
        EXPECT_EQ(window.SynEdit->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE,
                                                static_cast<unsigned long>(TokenKind::Comment)),
                  0x000080);
    }
    TFMain restarted(reg.store);
    EXPECT_EQ(restarted.SynSPSSHighlighter().CommentAttri().Foreground(), 0x000080u);
    EXPECT_EQ(restarted.SynSPSSHighlighter().SPSSCommandAttri().Background(), 0xFFFFFFu);
}

} // namespace
} // namespace qs
