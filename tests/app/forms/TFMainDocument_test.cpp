// The main window's document life cycle, command states, prompts and run commands,
// driven through its handlers with the questions answered by the test.
#include "app/forms/TFMain.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TApplication.h"
#include "ui/TSyntaxEditor.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace qs {
namespace {

class RecordingApp : public TQuillstone {
public:
    std::vector<std::string>& runs;
    std::vector<std::string>& opened;
    int& newData;
    // The data file query's answer; it arrives as the worker's would, posted.
    std::function<TDataFileQuery()> query;
    int queries = 0;
    RecordingApp(std::vector<std::string>& r, std::vector<std::string>& o, int& n)
        : runs(r), opened(o), newData(n) {}
    bool RunSyntax(const std::string& syntax, TSPSSSyntaxJob::MessagesHandler, long = 0) override {
        runs.push_back(syntax);
        return true;
    }
    bool RefreshDataFile(TSPSSDataFileJob::ResultHandler onResult) override {
        ++queries;
        onResult(query ? query() : TDataFileQuery{});
        return true;
    }
    void NewDataFile() override { ++newData; }
    void OpenDataFile(const std::string& path) override { opened.push_back(path); }
};

class MainWindowDocument : public ::testing::Test {
protected:
    std::unique_ptr<TFMain> Make(const std::vector<std::string>& args = {}) {
        auto app = std::make_unique<RecordingApp>(runs, opened, newData);
        appObject = app.get();
        auto window = std::make_unique<TFMain>(reg.store, std::move(app), args);
        window->SetProgramLauncher(
            [this](const std::vector<std::string>& a) { started.push_back(a); });
        return window;
    }
    // Typing, as far as the editor can tell.
    static void Type(TFMain& w, const char* text) {
        w.SynEdit->SendScintilla(QsciScintilla::SCI_REPLACESEL, text);
        w.SynEdit->FlushChanges();
    }
    std::string File(const std::string& name, const std::string& bytes) {
        const auto path = files / name;
        test::WriteFileBytes(path, bytes);
        return path.string();
    }

    test::TempRegistry reg;
    test::TempDir files;
    test::ScriptedDialogs dialogs;
    std::vector<std::string> runs, opened;
    std::vector<std::vector<std::string>> started;
    int newData = 0;
    RecordingApp* appObject = nullptr;
};

TEST_F(MainWindowDocument, EmptyEditorDisablesRunFindAndPrintUntilTheFirstCharacter) {
    auto w = Make();
    EXPECT_FALSE(w->mnuRun->menuAction()->isEnabled());
    EXPECT_FALSE(w->actRun->isEnabled());
    EXPECT_FALSE(w->actFind->isEnabled());
    EXPECT_FALSE(w->mnuPrint->isEnabled());
    EXPECT_TRUE(w->actPrint->isEnabled()); // the button stays
    EXPECT_FALSE(w->actSave->isEnabled());
    EXPECT_FALSE(w->mnuSaveAs->isEnabled());
    EXPECT_FALSE(w->mnuClose->isEnabled());
    Type(*w, "x");
    EXPECT_TRUE(w->Modified());
    for (QAction* a : {w->mnuRun->menuAction(), w->actRun, w->actFind, w->mnuPrint, w->actSave,
                       w->mnuSaveAs, w->mnuClose, w->actUndo}) {
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    }
    w->actUndoExecute();
    EXPECT_TRUE(w->actRedo->isEnabled());
    EXPECT_FALSE(w->actRun->isEnabled());
}

TEST_F(MainWindowDocument, UndoAndRedoFollowTheEditorsOwnKeys) {
    auto w = Make();
    w->SynEdit->LoadText("LIST.\r\nFREQ a.\r\n");
    const auto press = [&](QKeyCombination key) {
        QKeyEvent event(QEvent::KeyPress, key.key(), key.keyboardModifiers());
        QApplication::sendEvent(w->SynEdit, &event);
    };
    press(Qt::ControlModifier | Qt::Key_Y); // delete the line
    EXPECT_TRUE(w->actUndo->isEnabled());
    EXPECT_FALSE(w->actRedo->isEnabled());
    press(Qt::AltModifier | Qt::Key_Backspace); // undo
    EXPECT_FALSE(w->actUndo->isEnabled());
    EXPECT_TRUE(w->actRedo->isEnabled());
    press(Qt::AltModifier | Qt::ShiftModifier | Qt::Key_Backspace); // redo
    EXPECT_TRUE(w->actUndo->isEnabled());
    EXPECT_FALSE(w->actRedo->isEnabled());
    press(Qt::ControlModifier | Qt::Key_Z);
    EXPECT_TRUE(w->actRedo->isEnabled());
}

TEST_F(MainWindowDocument, OpeningIsNoChangeAndAnUnchangedDocumentCannotBeClosedOrSavedAs) {
    const std::string path = File("job.sps", "GET FILE='x.sav'.\r\nLIST.\r\n");
    auto w = Make();
    ASSERT_TRUE(w->OpenSyntaxFile(path));
    EXPECT_FALSE(w->Modified());
    EXPECT_EQ(w->Status(0), "Syntaxfile opened");
    EXPECT_EQ(w->windowTitle(), QString::fromStdString("Quillstone - " + path));
    EXPECT_FALSE(w->mnuClose->isEnabled());
    EXPECT_FALSE(w->mnuSaveAs->isEnabled());
    EXPECT_EQ(w->SynEdit->LineCount(), 2);
    EXPECT_FALSE(w->SynEdit->CanUndo()); // loading is not an edit
}

TEST_F(MainWindowDocument, SaveOfAnUntitledDocumentAsksForANameAndCancelWritesNothing) {
    auto w = Make();
    Type(*w, "LIST.");
    w->actSaveExecute();
    EXPECT_EQ(dialogs.titles, QStringList{"Save syntax file"});
    EXPECT_TRUE(w->Modified());
    EXPECT_TRUE(w->FileName().isEmpty());

    const std::string target = File("existing.sps", "old contents\r\n");
    dialogs.answers = {QString::fromStdString(target)};
    w->actSaveExecute(); // an existing file is overwritten without a question
    EXPECT_EQ(test::ReadFileBytes(target), "LIST.\r\n");
    EXPECT_FALSE(w->Modified());
    EXPECT_EQ(w->Status(0), "Syntax saved");
    EXPECT_EQ(w->windowTitle(), QString::fromStdString("Quillstone - " + target));
    EXPECT_FALSE(w->actSave->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowDocument, ANameWithoutExtensionGetsTheSyntaxOneAndAsksBeforeReplacing) {
    auto w = Make();
    Type(*w, "LIST.");
    const std::string typed = (files / "pilot").string();
    dialogs.answers = {QString::fromStdString(typed)};
    w->mnuSaveAsClick();
    EXPECT_EQ(test::ReadFileBytes(typed + ".sps"), "LIST.\r\n");
    EXPECT_FALSE(std::filesystem::exists(typed));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Now pilot.sps exists: No goes back to the dialog, Yes replaces it.
    Type(*w, "\nFREQ x.");
    dialogs.replies = {false, true};
    dialogs.answers = {QString::fromStdString(typed), QString::fromStdString(typed)};
    w->mnuSaveAsClick();
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.titles.count("Save syntax file"), 3);
    EXPECT_EQ(test::ReadFileBytes(typed + ".sps"), "LIST.\r\nFREQ x.\r\n");
}

TEST_F(MainWindowDocument, EditingAndSavingKeepsEveryOtherByte) {
    const std::string path = File("latin.sps", "* caf\xE9.\nLIST\r\n  /x.");
    auto w = Make();
    ASSERT_TRUE(w->OpenSyntaxFile(path));
    EXPECT_EQ(w->Encoding(), TextEncoding::SingleByte);
    w->SynEdit->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    Type(*w, " \xE2\x82\xAC");
    w->actSaveExecute();
    EXPECT_EQ(test::ReadFileBytes(path), "* caf\xE9.\r\nLIST\r\n  /x. \x80\r\n");
}

TEST_F(MainWindowDocument, AFailedWriteKeepsTheTextTheNameAndTheCaptionWhateverTheCommand) {
    const std::string path = File("kept.sps", "LIST.\r\n");
    const std::string unwritable = (files / "no-such-folder" / "a.sps").string();
    auto w = Make();
    ASSERT_TRUE(w->OpenSyntaxFile(path));
    Type(*w, "COMPUTE x = 1.\n");
    const auto expectKept = [&](const char* command) {
        SCOPED_TRACE(command);
        ASSERT_FALSE(dialogs.messages.isEmpty());
        EXPECT_TRUE(dialogs.messages.last().startsWith("error: The file was not saved."));
        EXPECT_TRUE(w->Modified());
        EXPECT_EQ(w->SynEdit->Text(), "COMPUTE x = 1.\nLIST.\r\n");
        EXPECT_EQ(w->FileName(), QString::fromStdString(path));
        EXPECT_EQ(w->windowTitle(), QString::fromStdString("Quillstone - " + path));
        EXPECT_EQ(test::ReadFileBytes(path), "LIST.\r\n");
    };
    dialogs.answers = {QString::fromStdString(unwritable)};
    w->mnuSaveAsClick();
    expectKept("Save As");
    dialogs.answers = {QString::fromStdString(unwritable)};
    w->mnuCloseClick();
    expectKept("Close");
    dialogs.replies = {true};
    dialogs.answers = {QString::fromStdString(unwritable)};
    w->mnuExitClick();
    expectKept("Exit");
    dialogs.replies = {true};
    dialogs.answers = {QString::fromStdString(unwritable)};
    EXPECT_FALSE(w->close());
    expectKept("close box");

    // While the window is destroyed it cannot stay: a failed save asks again.
    dialogs.messages.clear();
    dialogs.replies = {true, true};
    const std::string target = (files / "rescued.sps").string();
    dialogs.answers = {QString::fromStdString(unwritable), QString::fromStdString(target)};
    w->FormDestroy();
    EXPECT_EQ(dialogs.messages.count("confirm: Do you want to save your changes?"), 2);
    EXPECT_EQ(test::ReadFileBytes(target), "COMPUTE x = 1.\r\nLIST.\r\n");
}

TEST_F(MainWindowDocument, TextTheFilesCodePageCannotHoldIsNotWrittenAndStaysChanged) {
    const std::string path = File("latin.sps", "* caf\xE9.\r\n");
    auto w = Make();
    ASSERT_TRUE(w->OpenSyntaxFile(path));
    Type(*w, "\xE2\x88\x9A"); // a square root sign: not in Windows-1252
    w->actSaveExecute();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("error: The file was not saved: the text line 1"));
    EXPECT_TRUE(w->Modified());
    EXPECT_EQ(test::ReadFileBytes(path), "* caf\xE9.\r\n");
}

TEST_F(MainWindowDocument, AFileChangedOnDiskIsOverwrittenOnlyAfterAQuestion) {
    const std::string path = File("shared.sps", "LIST.\r\n");
    auto first = Make();
    auto second = Make();
    ASSERT_TRUE(first->OpenSyntaxFile(path));
    ASSERT_TRUE(second->OpenSyntaxFile(path));
    Type(*second, "* second window.\n");
    second->actSaveExecute();
    ASSERT_TRUE(dialogs.messages.isEmpty()); // nobody else had written it
    Type(*first, "* first window.\n");
    first->actSaveExecute(); // answered No
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QString::fromStdString(
        "warning: The file " + path + " has been changed on disk since it was opened")));
    EXPECT_EQ(test::ReadFileBytes(path), "* second window.\r\nLIST.\r\n");
    EXPECT_TRUE(first->Modified());
    dialogs.replies = {true};
    first->actSaveExecute();
    EXPECT_EQ(test::ReadFileBytes(path), "* first window.\r\nLIST.\r\n");
    EXPECT_FALSE(first->Modified());
    Type(*first, "x");
    first->actSaveExecute(); // its own last save: no question
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(MainWindowDocument, SavingDropsTheBlanksAtTheEndOfTheLineBeingTypedAndKeepsTheCaret) {
    auto w = Make();
    Type(*w, "LIST   ");
    dialogs.answers = {QString::fromStdString((files / "t.sps").string())};
    w->actSaveExecute();
    EXPECT_EQ(test::ReadFileBytes(files / "t.sps"), "LIST\r\n");
    EXPECT_FALSE(w->Modified());
    const long caret = w->SynEdit->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
    EXPECT_EQ(caret + w->SynEdit->SendScintilla(
                          QsciScintilla::SCI_GETSELECTIONNCARETVIRTUALSPACE, 0),
              7);
    QApplication::processEvents();
    EXPECT_FALSE(w->Modified()); // the trim is no edit of the user's
}

TEST_F(MainWindowDocument, AFailedRefreshKeepsTheTreeAndSaysWhyWithoutABox) {
    auto w = Make();
    auto* group = new QTreeWidgetItem(QStringList{"Variables"});
    group->addChild(new QTreeWidgetItem(QStringList{"age"}));
    w->tlObjectTree->addTopLevelItem(group);
    appObject->query = [] { return TDataFileQuery{"", "", "TEMPORARY is in effect"}; };
    Type(*w, "LIST.");
    w->SynEdit->selectAll();
    w->actRun->trigger();
    QApplication::processEvents();
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_EQ(appObject->queries, 1);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(w->Status(0), "Data file objects not refreshed: TEMPORARY is in effect");
    EXPECT_EQ(w->tlObjectTree->topLevelItem(0)->childCount(), 1);
}

TEST_F(MainWindowDocument, CloseOnAChangedDocumentOffersSaveAsAndCancelDropsTheChanges) {
    auto w = Make();
    Type(*w, "x");
    w->mnuCloseClick();
    EXPECT_EQ(dialogs.titles, QStringList{"Save syntax file"});
    EXPECT_TRUE(w->SynEdit->IsEmpty());
    EXPECT_EQ(w->windowTitle(), "Quillstone - Untitled");
    EXPECT_EQ(w->Status(0), "Syntaxfile closed");
    EXPECT_FALSE(w->Modified());
}

TEST_F(MainWindowDocument, ExitAsksOnceAndACancelledSaveKeepsTheProgramOpen) {
    auto w = Make();
    Type(*w, "x");
    dialogs.replies = {true}; // Yes, then the Save As dialog is cancelled
    w->mnuExitClick();
    EXPECT_EQ(dialogs.messages, QStringList{"confirm: Do you want to save your changes?"});
    EXPECT_TRUE(w->Modified()); // nothing lost: the window stays

    dialogs.messages.clear();
    dialogs.replies = {false}; // No: the changes go
    w->mnuExitClick();
    EXPECT_EQ(dialogs.messages, QStringList{"confirm: Do you want to save your changes?"});
    EXPECT_FALSE(w->Modified());
    w.reset(); // no second question while the window goes
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(MainWindowDocument, TheCloseBoxAsksBeforeTheWindowGoes) {
    auto w = Make();
    Type(*w, "x");
    dialogs.replies = {true};
    EXPECT_FALSE(w->close()); // Yes, Save As cancelled: the window stays
    const std::string target = (files / "kept.sps").string();
    dialogs.replies = {true};
    dialogs.answers = {QString::fromStdString(target)};
    EXPECT_TRUE(w->close());
    EXPECT_EQ(test::ReadFileBytes(target), "x\r\n");
}

TEST_F(MainWindowDocument, RunSelectionRunsExactlyTheSelection) {
    auto w = Make();
    Type(*w, "FREQ a.\nDESC b.");
    w->SynEdit->SendScintilla(QsciScintilla::SCI_SETSEL, 0, 7);
    w->actRunExecute();
    EXPECT_EQ(runs, std::vector<std::string>{"FREQ a."});
    QApplication::processEvents();
    EXPECT_EQ(w->Status(0), "Datafile opened"); // the automatic refresh ran after it

    runs.clear();
    w->SynEdit->SendScintilla(QsciScintilla::SCI_SETEMPTYSELECTION, 0);
    w->SetStatus("before", 0);
    w->actRunExecute(); // the question is answered No
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(w->Status(0), "before");
    EXPECT_EQ(dialogs.messages.last(),
              "information: Nothing is selected.\r\nDo you want to run the complete syntax?");
    dialogs.replies = {true};
    w->actRunExecute();
    EXPECT_EQ(runs, std::vector<std::string>{"FREQ a.\r\nDESC b.\r\n"});
    w->mnuAllClick();
    EXPECT_EQ(runs.back(), "FREQ a.\r\nDESC b.\r\n");
    w->SynEdit->SendScintilla(QsciScintilla::SCI_SETSEL, 0, 10); // across a bare LF
    w->actRunExecute();
    EXPECT_EQ(runs.back(), "FREQ a.\r\nDE");
}

TEST_F(MainWindowDocument, StartArgumentsOpenDataFilesByExtensionAndEverythingElseAsSyntax) {
    const std::string sav = File("SURVEY.SAV", "not read here");
    auto w = Make({sav});
    EXPECT_EQ(opened, std::vector<std::string>{sav});
    EXPECT_EQ(w->Status(1), QString::fromStdString(sav));
    EXPECT_EQ(w->DataFileName(), QString::fromStdString(sav));
    const std::string zsav = File("x.zsav", "z");
    Make({zsav});
    EXPECT_EQ(opened.back(), zsav);
    dialogs.messages.clear(); // neither is a real data file

    std::filesystem::create_directories(files / "my.saved");
    std::filesystem::create_directories(files / "open");
    for (const std::string& name : {std::string("UPPER.SPS"), std::string("my.saved/job.sps"),
                                    std::string("notes.txt"), std::string("caf\xE9.sps")}) {
        const std::string sps = File(name, "LIST.\r\n");
        auto syntax = Make({sps});
        EXPECT_EQ(syntax->SynEdit->Text(), "LIST.\r\n") << name;
        Type(*syntax, "* edited.\n");
        syntax->actSaveExecute(); // back to the very same name, bytes and all
        EXPECT_EQ(test::ReadFileBytes(sps), "* edited.\r\nLIST.\r\n") << name;
    }
    EXPECT_EQ(opened.size(), 2u);
    ASSERT_TRUE(dialogs.messages.isEmpty());

    const std::string folder = (files / "open").string();
    auto none = Make({folder});
    EXPECT_TRUE(none->FileName().isEmpty());
    EXPECT_EQ(dialogs.messages,
              QStringList{QString::fromStdString(
                  "warning: The selected file does not exist.\r\n" + folder)});
}

TEST_F(MainWindowDocument, NewDataAsksAndOnlyOkReplacesTheDataFile) {
    auto w = Make();
    auto* group = new QTreeWidgetItem(QStringList{"Variables"});
    group->addChild(new QTreeWidgetItem(QStringList{"age"}));
    w->tlObjectTree->addTopLevelItem(group);
    w->SetStatus("/data/x.sav", 1);
    w->mnuNewDataClick(); // Cancel
    EXPECT_EQ(newData, 0);
    EXPECT_EQ(w->tlObjectTree->topLevelItem(0)->childCount(), 1);
    dialogs.replies = {true};
    w->mnuNewDataClick();
    EXPECT_EQ(newData, 1);
    EXPECT_EQ(w->Status(0), "New Datafile opened");
    EXPECT_EQ(w->Status(1), "");
    ASSERT_EQ(w->tlObjectTree->topLevelItemCount(), 1); // one empty "Variables" node
    EXPECT_EQ(w->tlObjectTree->topLevelItem(0)->childCount(), 0);
}

TEST_F(MainWindowDocument, RefreshWithoutDataEmptiesTheTreeAndThePanel) {
    auto w = Make();
    auto* group = new QTreeWidgetItem(QStringList{"Variables"});
    group->addChild(new QTreeWidgetItem(QStringList{"age"}));
    w->tlObjectTree->addTopLevelItem(group);
    w->SetStatus("/old.sav", 1);
    w->RefreshDataFileObjects();
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(w->Status(0), "Datafile opened");
    EXPECT_EQ(w->Status(1), "");
    ASSERT_EQ(w->tlObjectTree->topLevelItemCount(), 1);
    EXPECT_EQ(w->tlObjectTree->topLevelItem(0)->childCount(), 0);
}

TEST_F(MainWindowDocument, OurBoxesRefreshAsTheyCloseAndABoxOfARefreshStartsNoChain) {
    auto w = Make();
    const int& refreshes = appObject->queries;
    w->show();
    QApplication::setActiveWindow(w.get());
    EXPECT_EQ(refreshes, 1); // the first showing
    QApplication::setActiveWindow(nullptr); // another program, and back
    QApplication::setActiveWindow(w.get());
    EXPECT_EQ(refreshes, 1);

    // A command's box closes, then the command writes its status: the refresh came
    // between the two, and no later activation undoes the status.
    QDialog box(w.get());
    box.show();
    box.hide();
    EXPECT_EQ(refreshes, 2);
    w->SetStatus("Text not found", 0);
    QApplication::setActiveWindow(&box);
    QApplication::setActiveWindow(w.get());
    EXPECT_EQ(w->Status(0), "Text not found");

    // A failing refresh says so in the status bar, so no box of its own starts a chain.
    appObject->query = [] { return TDataFileQuery{"", "", "broken data file"}; };
    box.show();
    box.hide();
    QApplication::processEvents();
    EXPECT_EQ(refreshes, 3);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

TEST_F(MainWindowDocument, NewAndOpenStartAnotherProcess) {
    auto w = Make();
    w->actNewExecute();
    w->actOpenExecute();
    EXPECT_EQ(started, (std::vector<std::vector<std::string>>{{"/NEW"}, {"/OPEN"}}));
}

} // namespace
} // namespace qs
