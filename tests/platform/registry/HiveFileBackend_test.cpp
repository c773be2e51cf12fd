// The hive file shared by several processes: atomic changes, damage kept aside, and a
// store that cannot be written leaving the old file whole.
#include "platform/registry/HiveFileBackend.h"
#include "platform/registry/Registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qs {
namespace {

namespace fs = std::filesystem;

// Runs `body` in a child process; its exit code is the result (0 = all held).
int InChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = body();
        } catch (...) {
            code = 98;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files.push_back(entry.path().filename());
    }
    return files;
}

TEST(HiveFile, EveryReadSeesOtherWritersChanges) {
    test::TempDir dir;
    const std::string path = (dir / "sub" / "registry.reg").string(); // folder made on demand
    TRegistry a(std::make_shared<HiveFileBackend>(path));
    TRegistry b(std::make_shared<HiveFileBackend>(path));
    ASSERT_TRUE(a.OpenKey("\\K", true));
    ASSERT_TRUE(b.OpenKey("\\k", false));
    a.WriteString("v", "one");
    EXPECT_EQ(b.ReadString("v"), "one");
    b.WriteString("v", "two");
    EXPECT_EQ(a.ReadString("v"), "two");
    EXPECT_EQ(InChild([&] {
                  TRegistry c(std::make_shared<HiveFileBackend>(path));
                  return c.OpenKey("\\K", false) && c.ReadString("V") == "two" ? 0 : 1;
              }),
              0);
}

TEST(HiveFile, EightProcessesWritingAtOnceLoseNothing) {
    test::TempDir dir;
    const std::string path = (dir / "registry.reg").string();
    constexpr int kProcesses = 8;
    constexpr int kValues = 250; // each write is synced: enough interleaving, in seconds
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int code = 0;
            try {
                TRegistry reg(std::make_shared<HiveFileBackend>(path));
                if (!reg.OpenKey("\\Software\\Load\\P" + std::to_string(p), true)) {
                    _exit(2);
                }
                for (int i = 0; i < kValues; ++i) {
                    reg.WriteInteger("v" + std::to_string(i), p * kValues + i);
                }
            } catch (...) {
                code = 3;
            }
            _exit(code);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const HiveParseResult parsed = ParseHive(test::ReadFileBytes(path));
    ASSERT_TRUE(parsed.hive) << parsed.error;
    int found = 0;
    for (int p = 0; p < kProcesses; ++p) {
        const HiveKey* key =
            parsed.hive->Find(RootKey::CurrentUser, "Software\\Load\\P" + std::to_string(p));
        ASSERT_NE(key, nullptr);
        for (int i = 0; i < kValues; ++i) {
            const auto it = key->values.find("v" + std::to_string(i));
            found += it != key->values.end() && it->second.number == p * kValues + i;
        }
    }
    EXPECT_EQ(found, kProcesses * kValues);
    // No temporary file is left behind.
    for (const fs::path& name : FilesIn(dir.path())) {
        EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock") << name;
    }
}

struct BatchCase {
    const char* name;
    const char* lastValueName;
    bool written;
};

class HiveFileBatch : public testing::TestWithParam<BatchCase> {};

// A batch is one change of the file: its keys and values all arrive, or none does.
TEST_P(HiveFileBatch, WritesAllOrNothing) {
    test::TempDir dir;
    HiveFileBackend store((dir / "registry.reg").string());
    ASSERT_TRUE(store.CreateKey(RootKey::CurrentUser, "Old"));
    const std::vector<RegistryWrite> batch = {
        {"S\\A", "Background", RegistryValue::FromInteger(7)},
        {"S\\B", "Text", RegistryValue::FromString("b")},
        {"S\\B", GetParam().lastValueName, RegistryValue::FromInteger(-1)},
    };
    EXPECT_EQ(store.WriteValues(RootKey::CurrentUser, batch), GetParam().written);
    HiveFileBackend reader((dir / "registry.reg").string());
    EXPECT_EQ(reader.KeyExists(RootKey::CurrentUser, "S\\A"), GetParam().written);
    EXPECT_EQ(store.KeyExists(RootKey::CurrentUser, "S"), GetParam().written);
    if (GetParam().written) {
        EXPECT_EQ(reader.ReadValue(RootKey::CurrentUser, "S\\A", "Background"),
                  RegistryValue::FromInteger(7));
        EXPECT_EQ(reader.ReadValue(RootKey::CurrentUser, "S\\B", GetParam().lastValueName),
                  RegistryValue::FromInteger(-1));
    }
    EXPECT_TRUE(reader.KeyExists(RootKey::CurrentUser, "Old"));
}

INSTANTIATE_TEST_SUITE_P(Rows, HiveFileBatch,
                         testing::Values(BatchCase{"Valid", "Style", true},
                                         BatchCase{"OneBadName", "bad\x01name", false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(HiveFile, DamagedFileIsKeptAsideAndAnEmptyHiveStarts) {
    test::TempDir dir;
    const fs::path path = dir / "registry.reg";
    const std::string damaged = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x";
    test::WriteFileBytes(path, damaged);
    TRegistry reg(std::make_shared<HiveFileBackend>(path.string()));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(reg.KeyExists("\\A"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("could not be read"), std::string::npos) << said;

    fs::path backup;
    for (const fs::path& name : FilesIn(dir.path())) {
        if (name.string().find(".damaged-") != std::string::npos) {
            backup = dir.path() / name;
        }
    }
    ASSERT_FALSE(backup.empty());
    EXPECT_EQ(test::ReadFileBytes(backup), damaged);
    EXPECT_NE(said.find(backup.string()), std::string::npos);

    ASSERT_TRUE(reg.OpenKey("\\B", true));
    reg.WriteString("y", "z");
    EXPECT_EQ(test::ReadFileBytes(backup), damaged); // the backup is never touched again
    EXPECT_NE(test::ReadFileBytes(path).find("\"y\"=\"z\""), std::string::npos);
}

TEST(HiveFile, ReadOnlyFolderGivesTheRegistryErrorAndKeepsTheFile) {
    test::TempDir dir;
    const fs::path folder = dir / "ro";
    fs::create_directory(folder);
    const fs::path path = folder / "registry.reg";
    {
        TRegistry reg(std::make_shared<HiveFileBackend>(path.string()));
        ASSERT_TRUE(reg.OpenKey("\\K", true));
        reg.WriteString("kept", "yes");
    }
    const std::string before = test::ReadFileBytes(path);
    chmod(dir.path().c_str(), 0755);
    chmod(folder.c_str(), 0555);
    chmod(path.c_str(), 0644);
    const int result = InChild([&] {
        // Root may write anywhere: act as an ordinary user for this test.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            return 10;
        }
        TRegistry reg(std::make_shared<HiveFileBackend>(path.string()));
        if (!reg.OpenKey("\\K", true) || reg.ReadString("kept") != "yes") {
            return 11;
        }
        try {
            reg.WriteString("new", "value");
        } catch (const ERegistryException& e) {
            return std::string(e.what()) == "Failed to set data for 'new'" ? 0 : 12;
        }
        return 13;
    });
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(test::ReadFileBytes(path), before);
}

TEST(HiveFile, FullDiskGivesTheRegistryErrorAndKeepsTheFile) {
    test::TempDir dir;
    const fs::path path = dir / "registry.reg";
    TRegistry(std::make_shared<HiveFileBackend>(path.string())).CreateKey("\\K");
    const std::string before = test::ReadFileBytes(path);
    const int result = InChild([&] {
        // A file size limit makes every write past it fail as a full disk would.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        TRegistry reg(std::make_shared<HiveFileBackend>(path.string()));
        reg.OpenKey("\\K", false);
        try {
            reg.WriteString("big", std::string(100000, 'x'));
        } catch (const ERegistryException& e) {
            return std::string(e.what()) == "Failed to set data for 'big'" ? 0 : 1;
        }
        return 2;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(FilesIn(dir.path()).size(), 2u); // the hive and its lock file, no temporary
}

} // namespace
} // namespace qs
