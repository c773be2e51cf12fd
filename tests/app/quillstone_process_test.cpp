// The program as a user's machine runs it: registration modes end without a window and
// report failures through the exit code and stderr.
#include "platform/registry/Hive.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace qs {
namespace {

struct ProcessRun {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

ProcessRun RunQuillstone(const std::vector<std::string>& args, const std::string& hive) {
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    const std::string program = std::string(QS_BIN_DIR) + "/quillstone";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        setenv("QUILLSTONE_REGISTRY", hive.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    ProcessRun run;
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) {
        run.output.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

std::string VersionsHive() {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (const char* v : {"10", "10.0", "11.0", "11.5", "9.0", "12.0", "1"}) {
        text += std::string("[HKEY_CURRENT_USER\\Software\\SPSS\\SPSS for Windows\\") + v + "]\n\n";
    }
    return text;
}

TEST(QuillstoneProcess, InstallTwiceThenUninstallTwice) {
    test::TempDir dir;
    const std::string hive = (dir / "registry.reg").string();
    test::WriteFileBytes(hive, VersionsHive());

    const ProcessRun install = RunQuillstone({"/INSTALL"}, hive);
    EXPECT_EQ(install.exitCode, 0);
    EXPECT_EQ(install.output, "");
    const std::string once = test::ReadFileBytes(hive);
    const HiveParseResult parsed = ParseHive(once);
    ASSERT_TRUE(parsed.hive) << parsed.error;
    const std::string launch = "Software\\SPSS\\SPSS for Windows\\11.5\\OtherApps\\Quill Stone "
                               "Open\\Launch";
    const HiveKey* key = parsed.hive->Find(RootKey::CurrentUser, launch);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.at("").text, "\"" + std::string(QS_BIN_DIR) + "/quillstone\" /Open");
    EXPECT_EQ(parsed.hive->Find(RootKey::CurrentUser, "Software\\SPSS\\SPSS for Windows\\12.0")
                  ->subkeys.size(),
              0u);

    EXPECT_EQ(RunQuillstone({"/install"}, hive).exitCode, 0);
    EXPECT_EQ(test::ReadFileBytes(hive), once);

    const ProcessRun uninstall = RunQuillstone({"/UNINSTALL"}, hive);
    EXPECT_EQ(uninstall.exitCode, 0);
    EXPECT_EQ(uninstall.output, "");
    EXPECT_EQ(test::ReadFileBytes(hive).find("OtherApps\\Quill Stone"), std::string::npos);
    const ProcessRun again = RunQuillstone({"/UNINSTALL"}, hive);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.output, "");
}

TEST(QuillstoneProcess, FailedInstallExitsNonZeroWithTheRegistryError) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "not-a-folder", "x");
    const ProcessRun run =
        RunQuillstone({"/INSTALL"}, (dir / "not-a-folder" / "registry.reg").string());
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("Failed to create key"), std::string::npos) << run.output;
}

} // namespace
} // namespace qs
