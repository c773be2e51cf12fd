// Running the command at the caret, and the engine's messages at the lines they name.
#include "app/forms/TFMain.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <gtest/gtest.h>

namespace qs {
namespace {

using M = automation::EngineMessage;

// Keeps what was run and the handler of its messages, for the test to answer.
class RunRecordingApp : public TQuillstone {
public:
    std::vector<std::string> runs;
    TSPSSSyntaxJob::MessagesHandler handler;
    bool RunSyntax(const std::string& syntax, TSPSSSyntaxJob::MessagesHandler onMessages,
                   long = 0) override {
        runs.push_back(syntax);
        handler = std::move(onMessages);
        return accept;
    }
    bool RefreshDataFile(TSPSSDataFileJob::ResultHandler) override { return true; }
    std::string StopRuns() override {
        ++stops;
        return "Run stopped";
    }
    bool Busy() const override { return busy; }
    bool accept = true;
    bool busy = false;
    int stops = 0;
};

// Lines (0-based): 0 GET, 1-2 FREQ, 3 blank, 4 LIST, 5 blank, 6 DESC.
constexpr const char* kScript = "GET FILE='a.sav'.\nFREQ\n  x.\n\nLIST.\n\nDESC y.\n";

class MainWindowRun : public ::testing::Test {
protected:
    void SetUp() override {
        auto app = std::make_unique<RunRecordingApp>();
        recording = app.get();
        window = std::make_unique<TFMain>(reg.store, std::move(app));
        window->SynEdit->LoadText(kScript);
        window->UpdateCommandStates();
    }
    long CaretLine() const {
        int line = 0, index = 0;
        window->SynEdit->getCursorPosition(&line, &index);
        return line;
    }
    // The engine's answer to the last run, as it arrives from the worker.
    void Answer(std::optional<std::vector<M>> messages) {
        recording->handler(std::move(messages));
        QApplication::processEvents();
    }

    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    RunRecordingApp* recording = nullptr;
    std::unique_ptr<TFMain> window;
};

TEST_F(MainWindowRun, CurrentCommandRunsAndStepsToTheNext) {
    window->SynEdit->setCursorPosition(2, 1);
    window->actRunCommand->trigger();
    window->actRunCommand->trigger();
    window->actRunCommand->trigger();
    EXPECT_EQ(recording->runs, (std::vector<std::string>{"FREQ\r\n  x.", "LIST.", "DESC y."}));
    EXPECT_EQ(CaretLine(), 7); // no command after the last: the end of the text
}

// The control ends a line at a lone CR, and the run sends it as a line break: so does the split.
TEST_F(MainWindowRun, LoneCrEndsTheLineOfACommand) {
    window->SynEdit->LoadText("FREQ x.\rLIST.\r");
    window->SynEdit->setCursorPosition(0, 0);
    window->actRunCommand->trigger();
    EXPECT_EQ(recording->runs, (std::vector<std::string>{"FREQ x."}));
    EXPECT_EQ(CaretLine(), 1);
}

TEST_F(MainWindowRun, SelectionRunsEveryCommandItTouches) {
    window->SynEdit->setSelection(2, 2, 4, 2);
    window->actRunCommand->trigger();
    EXPECT_EQ(recording->runs, (std::vector<std::string>{"FREQ\r\n  x.\r\n\r\nLIST."}));
    EXPECT_EQ(CaretLine(), 6);
}

// The run starts on editor line 1: its line 2 is editor line 2; other files' lines and
// messages without a line are counted but marked nowhere.
TEST_F(MainWindowRun, MessagesMarkTheEditorLinesTheyName) {
    window->SynEdit->setCursorPosition(1, 0);
    window->actRunCommand->trigger();
    Answer(std::vector<M>{{M::Severity::Error, "", 2, "error: FREQUENCIES: x unknown"},
                          {M::Severity::Warning, "", 1, "warning: w"},
                          {M::Severity::Error, "/other.sps", 1, "error: elsewhere"},
                          {M::Severity::Error, "", 0, "error: no place"}});
    EXPECT_EQ(window->SynEdit->MarkedLines(), (std::vector<long>{1, 2}));
    EXPECT_EQ(window->SynEdit->LineMarkMessage(2), "error: FREQUENCIES: x unknown");
    EXPECT_EQ(window->Status(3), "3 errors, 1 warning in the last run");

    Answer(std::nullopt); // an engine that cannot tell
    EXPECT_EQ(window->Status(3), "");
}

TEST_F(MainWindowRun, F8StepsThroughMarksAndAnEditRemovesOne) {
    window->mnuAll->trigger();
    Answer(std::vector<M>{{M::Severity::Error, "", 2, "error: a"},
                          {M::Severity::Error, "", 5, "error: b"}});
    window->SynEdit->setCursorPosition(0, 0);
    std::vector<long> visited;
    for (QAction* action : {window->actNextError, window->actNextError, window->actNextError,
                            window->actPrevError}) {
        action->trigger();
        visited.push_back(CaretLine());
    }
    EXPECT_EQ(visited, (std::vector<long>{1, 4, 1, 4}));

    window->SynEdit->SendScintilla(QsciScintilla::SCI_REPLACESEL, "X");
    EXPECT_EQ(window->SynEdit->MarkedLines(), (std::vector<long>{1}));
}

} // namespace
} // namespace qs

namespace qs {
namespace {

TEST_F(MainWindowRun, StopAndTheRunClockFollowTheEngine) {
    auto* clock = window->findChild<QLabel*>("RunPanel");
    ASSERT_NE(clock, nullptr);
    recording->busy = true;
    window->mnuAllClick();
    EXPECT_EQ(window->Status(0), "Syntax executed");
    EXPECT_TRUE(window->actStop->isEnabled());
    EXPECT_FALSE(clock->isHidden());
    EXPECT_TRUE(clock->text().startsWith("Running 0:0")) << clock->text().toStdString();

    window->actStop->trigger();
    EXPECT_EQ(recording->stops, 1);
    EXPECT_EQ(window->Status(0), "Run stopped");
    recording->busy = false;
    QElapsedTimer waited;
    waited.start();
    while (window->actStop->isEnabled() && waited.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_FALSE(window->actStop->isEnabled());
    EXPECT_TRUE(clock->isHidden());
}

TEST_F(MainWindowRun, ARunTheJobEngineRefusesIsNotReportedAsExecuted) {
    recording->accept = false;
    window->mnuAllClick();
    EXPECT_EQ(recording->runs.size(), 1u);
    EXPECT_TRUE(window->Status(0).startsWith("Syntax not executed")) << window->Status(0).toStdString();
}

} // namespace
} // namespace qs
