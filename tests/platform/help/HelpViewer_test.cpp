// The desktop's help and document viewer: what the user hears when there is none.
#include "platform/help/HelpViewer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qs {
namespace {

class DesktopViewer : public ::testing::Test {
protected:
    void SetUp() override {
        saved = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", tools.path().c_str(), 1);
        test::WriteFileBytes(document, "%PDF");
    }
    void TearDown() override { setenv("PATH", saved.c_str(), 1); }
    void Tool(const std::string& name, const std::string& script) {
        test::WriteFileBytes(tools / name, "#!/bin/sh\n" + script);
        std::filesystem::permissions(tools / name, std::filesystem::perms::owner_all);
    }
    std::string NoViewer() const {
        return "There is no program on this system to show this file:\n" + document;
    }

    test::TempDir tools;
    test::TempDir files;
    std::string document = (files / "manual.pdf").string();
    std::shared_ptr<HelpViewer> viewer = CreateHelpViewer();
    std::string saved;
};

TEST_F(DesktopViewer, AMissingFileIsReported) {
    const std::string missing = (files / "gone.chm").string();
    const HelpResult r = viewer->ShowHelpKeyword("FREQUENCIES", missing);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "This file does not exist:\n" + missing);
}

TEST_F(DesktopViewer, WithoutTheDesktopsOpenerThereIsNoViewer) {
    const HelpResult r = viewer->OpenDocument(document, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, NoViewer());
}

TEST_F(DesktopViewer, AKindWithoutADefaultProgramHasNoViewer) {
    // The opener would leave a mark; it must not be started at all.
    Tool("xdg-open", "touch \"" + (files / "opened").string() + "\"\n");
    Tool("xdg-mime", "[ \"$2\" = filetype ] && echo application/pdf\nexit 0\n");
    const HelpResult r = viewer->OpenDocument(document, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, NoViewer());
    const HelpResult help = viewer->ShowHelpKeyword("", document);
    EXPECT_EQ(help.error, NoViewer());
    EXPECT_FALSE(std::filesystem::exists(files / "opened"));
}

} // namespace
} // namespace qs
