// The recording double that other suites drive in place of the engine.
#include "support/FakeSpssApp.h"

#include <gtest/gtest.h>

namespace qs::test {
namespace {

using automation::EAutomationError;

TEST(FakeSpssApp, LogsEveryCallInOrderAndAnswersFromItsSettings) {
    auto state = std::make_shared<FakeSpssState>();
    state->documentPath = "/d/a.sav";
    state->banners[1] = "Output1";
    FakeSpssApp app(state);

    app.ExecuteCommands("GET FILE='x'.", true);
    auto data = app.Documents()->GetDataDoc(0);
    EXPECT_EQ(data->GetDocumentPath(), "/d/a.sav");
    data->SaveAs("/p");
    auto output = app.GetOutputDoc();
    output->SetVisible(true);
    output->SetWindowState(2);
    EXPECT_EQ(output->GetBannerText(), "Output1");
    EXPECT_EQ(app.GetDesignerDoc()->GetBannerText(), "");

    EXPECT_EQ(state->Log(),
              (std::vector<std::string>{"ExecuteCommands(GET FILE='x'., true)", "Documents()",
                                        "GetDataDoc(0)", "GetDocumentPath()", "SaveAs(/p)",
                                        "GetOutputDoc()", "SetVisible(true)", "SetWindowState(2)",
                                        "GetBannerText()", "GetDesignerDoc()", "GetBannerText()"}));
}

TEST(FakeSpssApp, FailsTheNamedCallWithItsTextAfterLoggingIt) {
    auto state = std::make_shared<FakeSpssState>();
    state->FailCall("SaveAs", "disk full");
    FakeSpssApp app(state);
    auto data = app.Documents()->GetDataDoc(0);
    EXPECT_NO_THROW(data->GetDocumentPath());
    try {
        data->SaveAs("/p");
        FAIL() << "SaveAs did not fail";
    } catch (const EAutomationError& e) {
        EXPECT_STREQ(e.what(), "disk full");
    }
    EXPECT_EQ(state->Log().back(), "SaveAs(/p)");
}

} // namespace
} // namespace qs::test
