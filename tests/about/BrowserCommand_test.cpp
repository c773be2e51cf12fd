// The browser's command line: where it comes from in the file associations, how it
// splits into program and parameters, and how a link is opened with it.
#include "about/BrowserCommand.h"
#include "platform/registry/Registry.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

#include <vector>

namespace qs {
namespace {

struct SplitCase {
    const char* name;
    const char* commandLine;
    const char* program;
    const char* parameters;
};

class SplitBrowserCommand : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitBrowserCommand, GivesProgramAndParameters) {
    const BrowserCommand command = SplitBrowserCommandLine(GetParam().commandLine);
    EXPECT_EQ(command.program, GetParam().program);
    EXPECT_EQ(command.parameters, GetParam().parameters);
}

INSTANTIATE_TEST_SUITE_P(
    BrowserCommand, SplitBrowserCommand,
    testing::Values(
        SplitCase{"QuotedPathAndQuotedPlaceholder",
                  R"("C:\Program Files\Web\browser.exe" "%1")", R"(C:\Program Files\Web\browser.exe)",
                  ""},
        SplitCase{"PlaceholderBeforeOtherOptions", R"(C:\Web\browser.exe -nohome %1 -new)",
                  R"(C:\Web\browser.exe)", "-nohome  -new"},
        SplitCase{"PlaceholderRunsToTheNextBlank", R"(C:\Web\b.exe -url=%1,x -k)",
                  R"(C:\Web\b.exe)", "-url= -k"},
        SplitCase{"ExtensionInAnyCase", R"("C:\Web\Browser.ExE" -osint -url "%1")",
                  R"(C:\Web\Browser.ExE)", "-osint -url"},
        SplitCase{"BatchFile", R"(C:\tools\open.BAT %1)", R"(C:\tools\open.BAT)", ""},
        SplitCase{"ComFile", R"(c:\dos\view.com)", R"(c:\dos\view.com)", ""},
        // Searching backwards finds the program's extension, not one in its folder name.
        SplitCase{"LastExtensionWins", R"("C:\apps.exe\web\b.exe" %1)", R"(C:\apps.exe\web\b.exe)",
                  ""},
        SplitCase{"NoExtensionOneWord", "a.e", "a.e", ""},
        SplitCase{"Empty", "", "", ""},
        // Without a known extension the first word (a quoted path is one) is the program.
        SplitCase{"NoExtensionQuoted", R"("/usr/bin/web browser" --new-window "%1")",
                  "/usr/bin/web browser", "--new-window"},
        SplitCase{"NoExtensionUnquoted", "/usr/bin/browser %1", "/usr/bin/browser", ""},
        SplitCase{"NoExtensionOnlyAPlaceholder", R"("%1" %*)", "", ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(BrowserCommand, TheAddressComesFirstThenABlankThenTheParameters) {
    EXPECT_EQ(BrowserParameters("https://q.example/", {"b.exe", "-new"}), "https://q.example/ -new");
    EXPECT_EQ(BrowserParameters("https://q.example/", {"b.exe", ""}), "https://q.example/ ");
}

struct Started {
    std::vector<std::pair<std::string, std::string>> calls;
    bool succeed = true;
    ProgramStarter Starter() {
        return [this](const std::string& program, const std::string& parameters) {
            calls.emplace_back(program, parameters);
            return succeed;
        };
    }
};

TEST(OpenInBrowser, StartsTheProgramWithTheAddressAlone) {
    Started started;
    OpenInBrowser("https://quillstone.example.org/", R"("C:\Web\b.exe" "%1")", started.Starter());
    ASSERT_EQ(started.calls.size(), 1u);
    EXPECT_EQ(started.calls[0].first, R"(C:\Web\b.exe)");
    EXPECT_EQ(started.calls[0].second, "https://quillstone.example.org/ ");
}

TEST(OpenInBrowser, NoProgramRaisesTheFindErrorWithoutStartingAnything) {
    Started started;
    try {
        OpenInBrowser("https://q.example/", "", started.Starter());
        FAIL() << "no error";
    } catch (const EWeblink& e) {
        EXPECT_STREQ(e.what(), "Weblink error\rFailed to find path for the webbrowser");
    }
    EXPECT_TRUE(started.calls.empty());
}

TEST(OpenInBrowser, AProgramThatDoesNotStartRaisesTheLaunchError) {
    Started started;
    started.succeed = false;
    try {
        OpenInBrowser("https://q.example/", R"(C:\Web\b.exe)", started.Starter());
        FAIL() << "no error";
    } catch (const EWeblink& e) {
        EXPECT_STREQ(e.what(), "Weblink error\rFailed to launch the internet browser");
    }
}

class BrowserAssociations : public testing::Test {
protected:
    void Put(const std::string& key, const std::string& value) {
        reg.store->CreateKey(RootKey::ClassesRoot, key);
        reg.store->WriteValue(RootKey::ClassesRoot, key, "", RegistryValue::FromString(value));
    }
    std::string Find() {
        TRegistry registry(reg.store);
        return FindBrowserCommandLine(registry);
    }
    test::TempRegistry reg;
};

TEST_F(BrowserAssociations, NoneGivesEmptyText) {
    EXPECT_EQ(Find(), "");
}

TEST_F(BrowserAssociations, TheFileTypeOfTheExtensionGivesTheCommand) {
    Put(".htm", "WebPage");
    Put("WebPage\\shell\\open\\command", "web.exe %1");
    Put(".htm\\shell\\open\\command", "own.exe %1"); // the file type comes first
    EXPECT_EQ(Find(), "web.exe %1");
}

TEST_F(BrowserAssociations, TheExtensionKeysOwnCommandWhenTheFileTypeHasNone) {
    Put(".HTM", "NoSuchType");
    Put(".HTM\\shell\\open\\command", "own.exe %1");
    EXPECT_EQ(Find(), "own.exe %1");
}

TEST_F(BrowserAssociations, ExtensionsAreTriedInTheirOrder) {
    Put(".HTML", "");
    Put(".SHTM", "Late");
    Put("Late\\shell\\open\\command", "late.exe");
    Put(".SHTML", "Early");
    Put("Early\\shell\\open\\command", "early.exe");
    EXPECT_EQ(Find(), "early.exe");
}

TEST_F(BrowserAssociations, TheUsersOwnSettingsAreNotConsulted) {
    reg.Put(".HTM\\shell\\open\\command", "", RegistryValue::FromString("user.exe"));
    EXPECT_EQ(Find(), "");
}

} // namespace
} // namespace qs
