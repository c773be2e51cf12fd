// The main window's Help menu, F1 and the manuals, with the registry and the viewers
// standing in for the statistics package and the desktop.
#include "app/HelpFiles.h"
#include "app/forms/ManualPane.h"
#include "app/forms/TFMain.h"
#include "platform/shell/Shell.h"
#include "support/RecordingHelpViewer.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QAction>
#include <QMenu>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace qs {
namespace {

constexpr const char* kNoVersion = "error: List index out of bounds (-1)";

class MainWindowHelp : public ::testing::Test {
protected:
    // Registers a version of the package installed in `folder`.
    void Register(const std::string& version, const std::string& folder) {
        reg.Put("Software\\SPSS\\SPSS for Windows\\" + version + "\\Setup", "Directory",
                RegistryValue::FromString(folder));
    }
    std::unique_ptr<TFMain> Make() {
        auto window = std::make_unique<TFMain>(reg.store);
        window->SetHelpViewer(viewer);
        return window;
    }
    QAction* Manual(TFMain& w, const char* action) { return w.findChild<QAction*>(action); }

    test::TempRegistry reg;
    test::TempDir spss;
    test::ScriptedDialogs dialogs;
    std::shared_ptr<test::RecordingHelpViewer> viewer =
        std::make_shared<test::RecordingHelpViewer>();
};

TEST_F(MainWindowHelp, MenuHoldsOwnHelpThenTheManualsInOrderThenAbout) {
    auto w = Make();
    QStringList entries;
    for (const QAction* action : w->mnuHelp->actions()) {
        entries << (action->isSeparator() ? QString("-") : action->text());
    }
    EXPECT_EQ(entries, (QStringList{"Quillstone Help", "-", "base, regression and advanced models",
                                    "Table", "Trends", "Categories", "Conjoint", "Map",
                                    "Missing Value Analysis", "-", "About"}));
    EXPECT_EQ(w->actQuillstoneHelp->iconText(), "Quillstone");
    EXPECT_EQ(w->actSearchWordHelp->shortcut(), QKeySequence("F1"));
}

TEST_F(MainWindowHelp, WithoutARegisteredVersionStartIsSilentAndAllManualsStay) {
    Register("9.0", spss.path().string()); // not a handled version
    auto w = Make();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    for (const TSpssManual& manual : kSpssManuals) {
        EXPECT_TRUE(Manual(*w, manual.action)->isVisible()) << manual.action;
    }
}

TEST_F(MainWindowHelp, OnlyManualsWhoseFilesExistAreShown) {
    test::WriteFileBytes(spss / "spssbase.pdf", "%PDF");
    test::WriteFileBytes(spss / "spssmva.pdf", "%PDF");
    Register("11.0", spss.path().string());
    auto w = Make();
    for (const TSpssManual& manual : kSpssManuals) {
        const bool expected =
            std::string(manual.file) == "spssbase.pdf" || std::string(manual.file) == "spssmva.pdf";
        EXPECT_EQ(Manual(*w, manual.action)->isVisible(), expected) << manual.action;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowHelp, EachManualOpensItsFileFromTheLastHandledVersion) {
    test::TempDir older;
    Register("10.0", older.path().string());
    Register("11.5", spss.path().string());
    Register("9.0", older.path().string());
    auto w = Make();
    for (const TSpssManual& manual : kSpssManuals) {
        viewer->calls.clear();
        Manual(*w, manual.action)->trigger();
        EXPECT_EQ(viewer->calls, std::vector<std::string>{"open " + (spss / manual.file).string()});
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowHelp, WithoutARegisteredVersionManualsAndF1ReportTheLookupError) {
    auto w = Make();
    w->actBase->trigger();
    w->actMissingValueAnalysis->trigger();
    w->actSearchWordHelp->trigger();
    EXPECT_EQ(dialogs.messages, (QStringList{kNoVersion, kNoVersion, kNoVersion}));
    EXPECT_TRUE(viewer->calls.empty());
}

TEST_F(MainWindowHelp, F1LooksUpTheWordAtTheCaretInThePackagesHelp) {
    Register("10.1", spss.path().string());
    auto w = Make();
    const std::string helpFile = (spss / "Help" / "main" / "master_help.chm").string();
    w->SynEdit->LoadText("FREQUENCIES   age.\r\n");
    w->SynEdit->setCursorPosition(0, 3);
    w->actSearchWordHelp->trigger();
    w->SynEdit->setCursorPosition(0, 12); // between the blanks
    w->actSearchWordHelp->trigger();
    EXPECT_EQ(viewer->calls, (std::vector<std::string>{"keyword FREQUENCIES in " + helpFile,
                                                       "keyword  in " + helpFile}));
}

TEST_F(MainWindowHelp, OwnHelpOpensBesideTheProgramWithoutThePackage) {
    auto w = Make();
    w->actQuillstoneHelp->trigger();
    EXPECT_EQ(viewer->calls,
              std::vector<std::string>{"keyword  in " + ProgramHelpFile(ProgramFilePath())});
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowHelp, AViewerThatCannotBeReachedIsReported) {
    Register("11.0", spss.path().string());
    auto w = Make();
    viewer->result = {false, "There is no program on this system to show x."};
    w->actTable->trigger();
    EXPECT_EQ(dialogs.messages,
              QStringList{"warning: There is no program on this system to show x."});
}

// A platform whose help is the language's HTML manual, shown in the help pane.
class ManualViewer final : public HelpViewer {
public:
    explicit ManualViewer(ManualLocation location) : m_location(std::move(location)) {}
    HelpResult ShowHelpKeyword(const std::string&, const std::string&) override { return {}; }
    HelpResult OpenDocument(const std::string&, std::uintptr_t) override { return {}; }
    std::optional<ManualLocation> Manual() const override { return m_location; }

private:
    ManualLocation m_location;
};

TEST_F(MainWindowHelp, WithTheManualF1OpensTheCommandsPageInThePaneOrSearchesTheIndex) {
    test::TempDir manual; // pages named as PSPP's manual names them
    test::WriteFileBytes(manual / "index.html", "<p>Contents</p>");
    test::WriteFileBytes(manual / "FREQUENCIES.html", "<a href=\"index.html\">Top</a>");
    test::WriteFileBytes(manual / "Command-Index.html", "<p>FLIP</p><p>FOO is not here</p>");
    auto w = Make();
    w->SetHelpViewer(std::make_shared<ManualViewer>(ManualLocation{manual.path().string(), {}}));
    w->SynEdit->LoadText("FRE age\n  /FORMAT=NOTABLE.\nFOO x.\n");
    w->SynEdit->setCursorPosition(1, 5); // a subcommand of the abbreviated command
    w->actSearchWordHelp->trigger();
    ASSERT_NE(w->HelpPane(), nullptr);
    EXPECT_EQ(w->HelpPane()->CurrentPage().toStdString(), (manual / "FREQUENCIES.html").string());
    w->SynEdit->setCursorPosition(2, 1);
    w->actSearchWordHelp->trigger();
    EXPECT_EQ(w->HelpPane()->CurrentPage().toStdString(), (manual / "Command-Index.html").string());
    EXPECT_EQ(w->HelpPane()->SelectedText(), "FOO");
    w->HelpPane()->Browser()->backward(); // the pane keeps its history
    EXPECT_EQ(w->HelpPane()->CurrentPage().toStdString(), (manual / "FREQUENCIES.html").string());
    w->actTable->trigger();
    EXPECT_EQ(w->HelpPane()->CurrentPage().toStdString(), (manual / "index.html").string());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(viewer->calls.empty());

    w->SetHelpViewer(std::make_shared<ManualViewer>(ManualLocation{{}, "Install pspp."}));
    w->actSearchWordHelp->trigger();
    EXPECT_EQ(w->HelpPane()->Browser()->toPlainText(), "Install pspp.");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

} // namespace
} // namespace qs
