// Starting programs with argument lists, and the personal documents folder.
#include "platform/shell/Shell.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace qs {
namespace {

std::string WaitForFile(const std::filesystem::path& path) {
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return test::ReadFileBytes(path);
}

TEST(StartProgram, ArgumentsArriveVerbatimWithoutAShell) {
    test::TempDir dir;
    const auto out = dir / "args.txt";
    const auto marker = dir / "injected";
    // The script only prints its arguments; if any reached a shell as text, the
    // substitution would create the marker file.
    const std::vector<std::string> args = {
        "-c",
        "printf '%s\\n' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0\"",
        out.string(),
        "/REOPEN",
        "C:\\a b\\\"quoted\".sps",
        "$(touch " + marker.string() + ")",
        "; x"};
    const StartResult r = StartProgram("/bin/sh", args);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(WaitForFile(out),
              "/REOPEN\nC:\\a b\\\"quoted\".sps\n$(touch " + marker.string() + ")\n; x\n");
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(StartProgram, MissingProgramIsReported) {
    const StartResult r = StartProgram("/nonexistent/quillstone", {"/NEW"});
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

// An executable file with `script` as its text.
void WriteScript(const std::filesystem::path& path, const std::string& script) {
    test::WriteFileBytes(path, script);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

TEST(FindProgram, TakesTheFirstExecutableAlongThePath) {
    test::TempDir a, b;
    test::WriteFileBytes(a / "tool", "not executable");
    WriteScript(b / "tool", "#!/bin/sh\n");
    const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (a.path().string() + "::" + b.path().string()).c_str(), 1);
    const std::string found = FindProgram("tool");
    const std::string missing = FindProgram("no-such-tool");
    const std::string withFolder = FindProgram("b/tool");
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(found, (b / "tool").string());
    EXPECT_EQ(missing, "");
    EXPECT_EQ(withFolder, "");
}

TEST(ReadProgramOutput, GivesStandardOutputOfASuccessfulRunOnly) {
    EXPECT_EQ(ReadProgramOutput("/bin/sh", {"-c", "printf 'a b\\n'; echo err >&2", "x"}),
              std::optional<std::string>("a b\n"));
    EXPECT_EQ(ReadProgramOutput("/bin/sh", {"-c", "echo partial; exit 3"}), std::nullopt);
    EXPECT_EQ(ReadProgramOutput("/nonexistent/tool", {}), std::nullopt);
}

TEST(ProgramFilePath, NamesThisTestProgram) {
    EXPECT_EQ(std::filesystem::path(ProgramFilePath()).filename(), "shell_test");
}

class PersonalFolder : public ::testing::Test {
protected:
    void SetUp() override {
        saveHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        saveConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
        setenv("HOME", home.path().c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        setenv("HOME", saveHome.c_str(), 1);
        if (!saveConfig.empty()) {
            setenv("XDG_CONFIG_HOME", saveConfig.c_str(), 1);
        }
    }
    test::TempDir home;
    std::string saveHome, saveConfig;
};

TEST_F(PersonalFolder, FollowsUserDirsThenDocumentsThenHome) {
    EXPECT_EQ(GetPersonalFolder(), home.path().string());
    std::filesystem::create_directory(home / "Documents");
    EXPECT_EQ(GetPersonalFolder(), (home / "Documents").string());
    std::filesystem::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    EXPECT_EQ(GetPersonalFolder(), (home / "Dokumente").string());
}

} // namespace
} // namespace qs
