// The application object over a real job engine and the recording double of the
// statistics engine: which jobs each request gives, in order, and what the window says
// when a job fails.
#include "app/TQuillstone.h"
#include "app/forms/TFMain.h"
#include "app/forms/WindowModes.h"
#include "spss/SPSSJobEngine.h"
#include "support/FakeSpssApp.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QAction>
#include <QApplication>

#include <gtest/gtest.h>

namespace qs {
namespace {

class ApplicationObject : public ::testing::Test {
protected:
    std::unique_ptr<TQuillstone> Make() {
        TSPSSAppFactory factory;
        factory.GetActive = [this]() -> std::unique_ptr<automation::ISpssApp> {
            throw automation::EAutomationError(automation::kOperationUnavailable);
        };
        factory.Create = [this] { return std::make_unique<test::FakeSpssApp>(state); };
        return std::make_unique<TQuillstone>(engine, factory, TSPSSUiHooks{});
    }
    // Lets the worker run everything submitted so far, then ends it.
    void RunAll() {
        engine.SetStopWhenIdle();
        engine.Wait();
    }

    std::shared_ptr<test::FakeSpssState> state = std::make_shared<test::FakeSpssState>();
    TSPSSJobEngine engine{true};
};

TEST_F(ApplicationObject, EachRequestGivesItsJobsInOrderAndQuotesInPathsAreDoubled) {
    auto app = Make();
    app->OpenDataFile("/data/it's here.sav");
    app->NewDataFile();
    app->RunSyntax("FREQ a.");
    RunAll();
    const std::vector<std::string> show{"Documents()", "GetDataDoc(0)", "SetVisible(true)",
                                        "SetWindowState(0)", "GetBannerText()"};
    std::vector<std::string> expected = show; // attach, then the first show job
    expected.push_back("ExecuteCommands(GET FILE='/data/it''s here.sav'., true)");
    expected.insert(expected.end(), show.begin(), show.end());
    expected.push_back("ExecuteCommands(NEW FILE., true)");
    expected.insert(expected.end(), show.begin(), show.end());
    expected.push_back("ExecuteCommands(FREQ a., true)");
    EXPECT_EQ(state->Log(), expected);
    EXPECT_EQ(engine.FailedJobs.Count(), 0);
}

TEST_F(ApplicationObject, AJobThatFailsIsNamedInTheStatusBarAndKept) {
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain* shown = nullptr;
    ConnectEngineToWindow(engine, [&] { return shown; });
    state->FailCall("ExecuteCommands", "Unknown command LIST2");
    TFMain window(reg.store, Make());
    shown = &window;
    window.SynEdit->SendScintilla(QsciScintilla::SCI_SETTEXT, "LIST2.");
    window.UpdateCommandStates();
    window.mnuAll->trigger(); // no engine answers the refresh: it ends quietly
    EXPECT_EQ(window.Status(0), "Syntax executed");
    RunAll();
    QApplication::processEvents();
    EXPECT_EQ(window.Status(0), "Run failed: Unknown command LIST2");
    EXPECT_EQ(engine.FailedJobs.Count(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

} // namespace
} // namespace qs
