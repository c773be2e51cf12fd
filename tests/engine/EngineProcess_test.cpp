// The engine as the editor meets it: started by the editor's own jobs, one per user,
// ended by a signal, found again after a crash, and its "run" mode for scripts.
#include "app/TQuillstone.h"
#include "app/forms/TFMain.h"
#include "platform/automation/EngineClient.h"
#include "spss/SPSSJobEngine.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qs {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const fs::path kEngine = fs::path(QS_BIN_DIR) / "quillstone-engine";

// Waits up to 30 s for `done`, letting the window's events run meanwhile.
bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

struct Ran {
    int status = -1;
    std::string out, err;
};

// Runs the engine program with `arguments` and extra `env` ("NAME=value"), no shell.
Ran RunEngine(const std::vector<std::string>& arguments, const test::TempDir& scratch,
              const std::vector<std::string>& env = {}) {
    const fs::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
    const pid_t child = ::fork();
    if (child == 0) {
        for (const auto& pair : env) {
            ::putenv(const_cast<char*>(pair.c_str()));
        }
        std::freopen(out.c_str(), "w", stdout);
        std::freopen(err.c_str(), "w", stderr);
        std::vector<char*> argv{const_cast<char*>(kEngine.c_str())};
        for (const auto& a : arguments) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(kEngine.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadFileBytes(out),
            test::ReadFileBytes(err)};
}

class EngineProcess : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1);
        ::setenv("TMPDIR", m_tmp.path().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        m_folder = m_runtime / "quillstone";
    }
    void TearDown() override {
        if (const pid_t pid = EnginePid(); pid > 0) {
            ::kill(pid, SIGTERM);
            WaitFor([&] { return ::kill(pid, 0) != 0; });
        }
        ::unsetenv("TMPDIR");
    }
    pid_t EnginePid() const {
        std::ifstream lock(m_folder / "engine.lock");
        pid_t pid = 0;
        lock >> pid;
        return pid;
    }

    test::TempDir m_runtime, m_tmp, m_files;
    fs::path m_folder;
};

TEST_F(EngineProcess, EditorJobsRunSyntaxAndTheObjectTreeShowsTheResult) {
    TSPSSJobEngine engine(true);
    std::atomic<int> settled{0};
    std::vector<std::string> failures;
    engine.OnJobDone = [&](auto&, auto&) { ++settled; };
    engine.OnJobUnfinished = [&](auto&, auto& job, bool&) {
        failures.push_back(job->ErrorMessage);
        ++settled;
    };
    TSPSSAppFactory factory{[] { return automation::GetActiveSpssApp(); },
                            [] { return automation::CreateEngine({QS_BIN_DIR}); }};
    auto owned = std::make_unique<TQuillstone>(engine, factory, TSPSSUiHooks{});
    TQuillstone& app = *owned;
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain window(reg.store, std::move(owned));
    int expected = 2; // attach and show
    int refreshes = 0;
    const auto run = [&](const std::string& syntax) {
        app.RunSyntax(syntax);
        ++expected;
        EXPECT_TRUE(WaitFor([&] { return settled == expected; })) << syntax;
    };

    // Refreshes as the window asks for them, answered once the runs before them are done.
    const auto refresh = [&] {
        const int before = refreshes;
        ++expected; // the query is a job too
        window.RefreshDataFileObjects();
        EXPECT_TRUE(WaitFor([&] { return refreshes > before && settled == expected; }));
    };
    QObject::connect(window.tlObjectTree->model(), &QAbstractItemModel::modelReset, [&] {
        ++refreshes;
    });
    const auto variables = [&] {
        QStringList names;
        const QTreeWidgetItem* group = window.tlObjectTree->topLevelItem(0);
        for (int i = 0; group != nullptr && i < group->childCount(); ++i) {
            names << group->child(i)->text(0);
        }
        return names;
    };

    // Data files written by the session itself, then left alone by every refresh: not one
    // byte of them changes, whatever the session did to its dataset since.
    const auto file = [&](const char* name) { return (m_files / name).string(); };
    run("DATA LIST FREE /x y.\r\nBEGIN DATA\r\n1 1 2 2 3 3 4 4 5 5 6 6\r\nEND DATA.\r\n"
        "SAVE OUTFILE='" + file("survey.sav") + "'.\r\nSAVE OUTFILE='" + file("a.sav") +
        "'.\r\nSAVE OUTFILE='" + file("x.sav") + "' /KEEP=x.\r\nSAVE OUTFILE='" + file("y.sav") +
        "' /KEEP=y.");
    ::chmod(file("y.sav").c_str(), 0444);
    const std::vector<std::string> kept{file("survey.sav"), file("a.sav"), file("x.sav"),
                                        file("y.sav")};
    std::vector<std::string> bytes;
    for (const auto& path : kept) {
        bytes.push_back(test::ReadFileBytes(path));
    }
    const std::vector<std::string> scripts{
        TQuillstone::GetFileCommand(file("survey.sav")) + "\r\nSELECT IF (x > 4).\r\n"
         "FREQUENCIES x.",
        // PSPP refuses the second GET and keeps a.sav's data.
        TQuillstone::GetFileCommand(file("a.sav")) + "\r\nGET FILE='" + file("x.sav") +
             "' /KEEP=zz.",
        "DEFINE !load ()\r\nGET FILE='" + file("y.sav") + "'.\r\n!ENDDEFINE.",
    };
    for (const std::string& script : scripts) {
        run(script);
        refresh();
        EXPECT_EQ(variables(), (QStringList{"x", "y"})) << script;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(test::ReadFileBytes(kept[i]), bytes[i]) << kept[i] << " after " << script;
        }
    }
    struct stat st {};
    ASSERT_EQ(::stat(file("y.sav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u); // its read-only bit stays

    // A dataset that no file holds still fills the tree.
    run("DATA LIST FREE /age income.\r\nBEGIN DATA\r\n31 2000\r\nEND DATA.");
    refresh();
    EXPECT_EQ(app.DataFileName, "Untitled");
    EXPECT_EQ(variables(), (QStringList{"age", "income"}));
    for (const auto& entry : fs::directory_iterator(m_folder)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("dict-")) << entry.path();
    }

    // A long text goes through an include file, which is gone after the run.
    const std::string big = (m_files / "big.sav").string();
    std::string syntax = "DATA LIST FREE /v1.\r\nBEGIN DATA\r\n1\r\nEND DATA.\r\n";
    for (int i = 2; syntax.size() < 10000; ++i) {
        syntax += "COMPUTE v" + std::to_string(i) + " = v1 * " + std::to_string(i) + ".\r\n";
    }
    syntax += "SAVE OUTFILE='" + big + "'.";
    run(syntax);
    EXPECT_TRUE(fs::exists(big));
    for (const auto& entry : fs::directory_iterator(m_tmp.path())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("SPSSGBA")) << entry.path();
    }
    EXPECT_TRUE(failures.empty()) << failures.front();
}

TEST_F(EngineProcess, OneEnginePerUserEndsOnSignalAndIsFoundAgainAfterACrash) {
    const fs::path good = m_files / "good.sps", bad = m_files / "bad.sps";
    test::WriteFileBytes(good, "DATA LIST FREE /x.\nBEGIN DATA\n1\n2\nEND DATA.\nLIST.\n");
    test::WriteFileBytes(bad, "FREQUENCIES nothing.\n");

    Ran first = RunEngine({"run", good.string()}, m_files); // starts the engine
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("2.00"), std::string::npos) << first.out;
    const pid_t engine = EnginePid();
    ASSERT_GT(engine, 0);

    Ran second = RunEngine({}, m_files); // a second engine leaves the work to the first
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(EnginePid(), engine);
    Ran error = RunEngine({"run", bad.string()}, m_files);
    EXPECT_EQ(error.status, 1);
    EXPECT_NE(error.out.find("error: FREQUENCIES"), std::string::npos) << error.out;

    // SIGTERM ends PSPP too and takes the socket away.
    std::string children;
    std::ifstream(fs::path("/proc") / std::to_string(engine) / "task" / std::to_string(engine) /
                  "children") >> children;
    const pid_t pspp = std::stoi(children);
    ::kill(engine, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return ::kill(engine, 0) != 0 && ::kill(pspp, 0) != 0; }));
    EXPECT_FALSE(fs::exists(m_folder / "engine.sock"));

    // A crash leaves the socket file; the next start replaces it.
    Ran again = RunEngine({"run", good.string()}, m_files);
    ASSERT_EQ(again.status, 0) << again.err;
    const pid_t restarted = EnginePid();
    ::kill(restarted, SIGKILL);
    EXPECT_TRUE(WaitFor([&] { return ::kill(restarted, 0) != 0; }));
    EXPECT_TRUE(fs::exists(m_folder / "engine.sock"));
    Ran afterCrash = RunEngine({"run", good.string()}, m_files);
    EXPECT_EQ(afterCrash.status, 0) << afterCrash.err;
}

TEST_F(EngineProcess, WithoutPsppEveryRunSaysSoInOneSentence) {
    const fs::path file = m_files / "any.sps";
    test::WriteFileBytes(file, "LIST.\n");
    Ran ran = RunEngine({"run", file.string()}, m_files, {"QUILLSTONE_PSPP=/nonexistent/pspp"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err, "quillstone-engine: GNU PSPP is not installed: no program named pspp was "
                       "found on the search path, so syntax cannot run (install the package "
                       "pspp).\n");
}

} // namespace
} // namespace qs
