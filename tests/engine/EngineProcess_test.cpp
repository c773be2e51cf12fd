// The engine as the editor meets it: started by the editor's own jobs, one per user,
// ended by a signal, found again after a crash, and its "run" mode for scripts.
#include "app/TQuillstone.h"
#include "app/forms/TFMain.h"
#include "platform/automation/EngineClient.h"
#include "spss/SPSSJobEngine.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qs {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

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
              const std::vector<std::string>& env = {}, const fs::path& folder = {}) {
    const fs::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
    const pid_t child = ::fork();
    if (child == 0) {
        for (const auto& pair : env) {
            ::putenv(const_cast<char*>(pair.c_str()));
        }
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            ::_exit(126);
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

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + " | ";
    }
    return text;
}

// An editor window with its own job engine, driving the real engine program.
struct EditorSession {
    EditorSession() {
        engine.OnJobDone = [this](auto&, auto&) { ++settled; };
        engine.OnJobUnfinished = [this](auto&, auto& job, bool&) {
            failures.push_back(job->ErrorMessage);
            ++settled;
        };
        engine.Reconnect = [] { return automation::CreateEngine({QS_BIN_DIR}); };
        engine.OnReconnected = [this](automation::ISpssApp&) { ++reconnects; };
        // The application object submits its first jobs, which start the worker: only
        // once the handlers above are in place.
        auto owned = std::make_unique<TQuillstone>(
            engine,
            TSPSSAppFactory{[] { return automation::GetActiveSpssApp(); },
                            [] { return automation::CreateEngine({QS_BIN_DIR}); }},
            TSPSSUiHooks{});
        appObject = owned.get();
        windowObject = std::make_unique<TFMain>(reg.store, std::move(owned));
        QObject::connect(Window().tlObjectTree->model(), &QAbstractItemModel::modelReset,
                         [this] { ++refreshes; });
    }
    ~EditorSession() { engine.Abort(); }
    // Runs `syntax` and waits until its job has settled.
    void Run(const std::string& syntax) {
        App().RunSyntax(syntax);
        ++expected;
        EXPECT_TRUE(WaitFor([&] { return settled == expected; }))
            << syntax << "\nsettled " << settled << " of " << expected << "; failures: "
            << Joined(failures);
    }
    // Refreshes as the window asks, answered once the runs before it are done.
    void Refresh() {
        const int before = refreshes;
        ++expected; // the query is a job too
        Window().RefreshDataFileObjects();
        EXPECT_TRUE(WaitFor([&] { return refreshes > before && settled == expected; }));
    }
    QStringList Variables() const {
        QStringList names;
        const QTreeWidgetItem* group = Window().tlObjectTree->topLevelItem(0);
        for (int i = 0; group != nullptr && i < group->childCount(); ++i) {
            names << group->child(i)->text(0);
        }
        return names;
    }

    TSPSSJobEngine engine{true};
    std::atomic<int> settled{0};
    std::atomic<int> reconnects{0};
    std::vector<std::string> failures;
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TQuillstone* appObject = nullptr;
    std::unique_ptr<TFMain> windowObject;
    TQuillstone& App() { return *appObject; }
    TFMain& Window() const { return *windowObject; }
    int expected = 2; // attach and show
    int refreshes = 0;
};

TEST_F(EngineProcess, EditorJobsRunSyntaxAndTheObjectTreeShowsTheResult) {
    EditorSession editor;
    TQuillstone& app = editor.App();
    const auto run = [&](const std::string& syntax) { editor.Run(syntax); };
    const auto refresh = [&] { editor.Refresh(); };
    const auto variables = [&] { return editor.Variables(); };
    std::vector<std::string>& failures = editor.failures;

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
    for (const auto& entry : fs::directory_iterator(m_folder)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("SPS")) << entry.path();
    }
    EXPECT_TRUE(failures.empty()) << failures.front();
}

struct StopRow {
    const char* name;
    std::string longRun;
    bool keepsData; // PSPP comes back from the interrupt with its dataset
};
void PrintTo(const StopRow& row, std::ostream* os) {
    *os << row.name;
}

class EngineStop : public EngineProcess, public testing::WithParamInterface<StopRow> {};

// The window keeps answering while a run goes on, Stop ends the run within seconds
// whatever PSPP is doing, and the next run works.
TEST_P(EngineStop, StopEndsTheRunAndTheNextRunWorks) {
    const StopRow& row = GetParam();
    EditorSession editor;
    editor.Run("DATA LIST FREE /x.\r\nBEGIN DATA\r\n1 2 3\r\nEND DATA.");
    editor.Window().SynEdit->LoadText(row.longRun);
    editor.Window().mnuAllClick(); // the refresh queues behind it
    ++editor.expected;           // the run's job; the refresh is dropped by Stop

    // An event-loop probe: no gap of the window's own events while the run goes on.
    auto last = Clock::now();
    auto longest = Clock::duration::zero();
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, Clock::now() - last);
        last = Clock::now();
    });
    probe.start(20);
    const auto until = Clock::now() + std::chrono::seconds(2);
    WaitFor([&] { return Clock::now() > until; });
    probe.stop();
    EXPECT_LT(longest, std::chrono::milliseconds(500));
    EXPECT_TRUE(editor.Window().actStop->isEnabled());
    EXPECT_EQ(editor.settled, editor.expected - 1); // still running

    const auto stopped = Clock::now();
    editor.Window().actStop->trigger();
    ++editor.expected; // the refresh that Stop queues in place of the dropped one
    EXPECT_TRUE(editor.Window().Status(0).startsWith("Run stopped")) << editor.Window().Status(0).toStdString();
    ASSERT_TRUE(WaitFor([&] { return editor.settled == editor.expected; }));
    EXPECT_LT(Clock::now() - stopped, std::chrono::seconds(10));
    ASSERT_FALSE(editor.failures.empty());
    // That refresh shows what the session holds now.
    const QStringList held = row.keepsData ? QStringList{"x"} : QStringList{};
    EXPECT_TRUE(WaitFor([&] { return editor.Variables() == held; }));
    EXPECT_NE(editor.failures.back().find(row.keepsData ? "The run was stopped" : "data it held are gone"),
              std::string::npos) << editor.failures.back();

    editor.Refresh();
    EXPECT_EQ(editor.Variables(), row.keepsData ? QStringList{"x"} : QStringList{});
    editor.Run("DATA LIST FREE /after.\r\nBEGIN DATA\r\n1\r\nEND DATA.");
    editor.Refresh();
    EXPECT_EQ(editor.Variables(), QStringList{"after"});
    EXPECT_TRUE(WaitFor([&] { return !editor.Window().actStop->isEnabled(); }));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, EngineStop,
    testing::Values(
        // PSPP gives up a child process it waits for, and keeps its data.
        StopRow{"HostCommand", "HOST COMMAND=['sleep 30'].\nLIST.\n", true},
        // A procedure does not look at the interrupt: PSPP is ended and started again.
        StopRow{"LongProcedure",
                "INPUT PROGRAM.\nLOOP #i = 1 TO 2000000000.\nCOMPUTE y = #i.\nEND CASE.\n"
                "END LOOP.\nEND FILE.\nEND INPUT PROGRAM.\nEXECUTE.\n",
                false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(EngineProcess, AJobFindsTheEngineGoneStartsANewOneAndRunsThere) {
    EditorSession editor;
    editor.Run("DATA LIST FREE /x.\r\nBEGIN DATA\r\n1\r\nEND DATA.");
    const pid_t first = EnginePid();
    ASSERT_GT(first, 0);
    ::kill(first, SIGTERM); // as when the user closes the engine's windows
    ASSERT_TRUE(WaitFor([&] { return ::kill(first, 0) != 0; }));

    editor.Run("DATA LIST FREE /y.\r\nBEGIN DATA\r\n1\r\nEND DATA.");
    EXPECT_TRUE(editor.failures.empty()) << editor.failures.front();
    EXPECT_EQ(editor.reconnects, 1);
    EXPECT_GT(EnginePid(), 0);
    EXPECT_NE(EnginePid(), first);
    editor.Refresh();
    EXPECT_EQ(editor.Variables(), QStringList{"y"});
}

TEST_F(EngineProcess, EndingTheEditorDoesNotWaitForTheRun) {
    auto editor = std::make_unique<EditorSession>();
    editor->App().RunSyntax("HOST COMMAND=['sleep 30'].");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_FALSE(editor->engine.Idle());
    const auto start = Clock::now();
    editor.reset(); // aborts the job engine
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
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

TEST_F(EngineProcess, RunReadsRelativeNamesInTheCallersFolder) {
    test::WriteFileBytes(m_tmp / "start.sps", "ECHO 'started'.\n");
    ASSERT_EQ(RunEngine({"run", "start.sps"}, m_files, {}, m_tmp.path()).status, 0); // elsewhere
    test::WriteFileBytes(m_files / "save.sps",
                         "DATA LIST FREE /x.\nBEGIN DATA\n7\nEND DATA.\nSAVE OUTFILE='out.sav'.\n");
    const Ran saved = RunEngine({"run", "save.sps"}, m_files, {}, m_files.path());
    EXPECT_EQ(saved.status, 0) << saved.out;
    EXPECT_TRUE(fs::exists(m_files / "out.sav"));
    EXPECT_FALSE(fs::exists(m_tmp / "out.sav"));
    test::WriteFileBytes(m_files / "get.sps", "GET FILE='out.sav'.\nLIST.\n");
    const Ran got = RunEngine({"run", "get.sps"}, m_files, {}, m_files.path());
    EXPECT_NE(got.out.find("7.00"), std::string::npos) << got.out << got.err;
}

// A Windows-1252 file gives the same label run directly as through INCLUDE, even under
// the C locale (the engine started from there), and no byte becomes U+FFFD.
TEST_F(EngineProcess, ALatin1FileRunsTheSameByEveryRoute) {
    test::WriteFileBytes(m_files / "latin1.sps", "DATA LIST FREE /v.\nBEGIN DATA\n1\nEND DATA.\n"
                                                 "VALUE LABELS v 1 'caf\xE9 cr\xE8me'.\n"
                                                 "DISPLAY DICTIONARY.\n");
    test::WriteFileBytes(m_files / "include.sps", "INCLUDE FILE='latin1.sps'.\n");
    for (const char* file : {"latin1.sps", "include.sps"}) {
        const Ran ran = RunEngine({"run", file}, m_files, {"LC_ALL=C", "LANG=C"}, m_files.path());
        EXPECT_EQ(ran.status, 0) << file << ran.err;
        EXPECT_NE(ran.out.find("caf\xC3\xA9 cr\xC3\xA8me"), std::string::npos) << file << ran.out;
        EXPECT_EQ(ran.out.find("\xEF\xBF\xBD"), std::string::npos) << file << ran.out;
    }
}

// Output longer than a reply line may be comes in pieces: "run" prints all of it.
TEST_F(EngineProcess, RunPrintsOutputLongerThanOneReply) {
    test::WriteFileBytes(m_files / "long.sps",
                         "INPUT PROGRAM.\nLOOP #i = 1 TO 300000.\nCOMPUTE x = #i.\nEND CASE.\n"
                         "END LOOP.\nEND FILE.\nEND INPUT PROGRAM.\nSTRING s (A60).\n"
                         "COMPUTE s = CONCAT('case ', STRING(x, F8.0), ' ', "
                         "'abcdefghijklmnopqrstuvwxyz0123456789abcdefghij').\nLIST.\n");
    const Ran ran = RunEngine({"run", "long.sps"}, m_files, {}, m_files.path());
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_GT(ran.out.size(), automation::kMaxLineBytes);
    for (const char* row : {"case        1 abc", "case   150000 abc", "case   300000 abc"}) {
        EXPECT_NE(ran.out.find(row), std::string::npos) << row;
    }
}

// "run --html" writes the run's tables and charts as a page with the images beside it,
// and the engine keeps no chart file of it.
TEST_F(EngineProcess, RunWritesItsTablesAndChartsAsAPage) {
    test::WriteFileBytes(m_files / "chart.sps",
                         "DATA LIST FREE /x.\nBEGIN DATA\n1 2 2 3 3 3 4\nEND DATA.\n"
                         "FREQUENCIES x /HISTOGRAM.\n");
    const Ran ran = RunEngine({"run", "--html", "page", "chart.sps"}, m_files, {}, m_files.path());
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_NE(ran.out.find("Frequency"), std::string::npos); // the text as ever
    const std::string page = test::ReadFileBytes(m_files / "page" / "index.html");
    EXPECT_NE(page.find("<caption"), std::string::npos) << page;
    // The command heads its output; the commands that printed nothing, and the engine's own,
    // are not there, nor printed back into the text.
    EXPECT_NE(page.find("<h3 class=\"command\">FREQUENCIES x /HISTOGRAM.</h3>"), std::string::npos);
    for (const char* absent : {"DATA LIST", "INSERT", "ECHO"}) {
        EXPECT_EQ(page.find(absent), std::string::npos) << absent;
        EXPECT_EQ(ran.out.find(absent), std::string::npos) << absent;
    }
    const std::size_t src = page.find("<img src=\"");
    ASSERT_NE(src, std::string::npos) << page;
    const std::string image = page.substr(src + 10, page.find('"', src + 10) - src - 10);
    EXPECT_EQ(test::ReadFileBytes(m_files / "page" / image).substr(1, 3), "PNG");
    for (const auto& entry : fs::directory_iterator(m_folder)) {
        EXPECT_NE(entry.path().extension(), ".png") << entry.path();
    }
}

// A suspended engine fails the data-file query and the path in seconds, not never; once
// continued it serves again.
TEST_F(EngineProcess, ASuspendedEngineFailsQueriesInSeconds) {
    ASSERT_EQ(RunEngine({"run", "/dev/null"}, m_files).status, 0); // starts the engine
    const pid_t engine = EnginePid();
    const auto errorOf = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const automation::EAutomationError& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    const std::pair<std::function<void(automation::ISpssDocument&)>, const char*> queries[] = {
        {[](automation::ISpssDocument& data) { data.SaveDictionaryCopy(); }, "stopped answering"},
        {[](automation::ISpssDocument& data) { data.GetDocumentPath(); }, "within 5 s"}};
    for (const auto& [query, says] : queries) {
        auto app = automation::GetActiveSpssApp();
        auto data = app->Documents()->GetDataDoc(0);
        ::kill(engine, SIGSTOP);
        const auto start = Clock::now();
        const std::string error = errorOf([&] { query(*data); });
        ::kill(engine, SIGCONT);
        EXPECT_NE(error.find(says), std::string::npos) << error;
        EXPECT_LT(Clock::now() - start, 15s);
    }
    EXPECT_EQ(RunEngine({"run", "/dev/null"}, m_files).status, 0);
}

// A client that sends requests without reading the replies is read no further once a few
// MB of replies wait for it, and is heard again when it reads them.
TEST_F(EngineProcess, AClientThatDoesNotReadItsRepliesIsReadNoFurther) {
    ASSERT_EQ(RunEngine({"run", "/dev/null"}, m_files).status, 0); // starts the engine
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s",
                  (m_folder / "engine.sock").c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string hello = "{\"op\":\"hello\",\"v\":1}\n";
    ASSERT_EQ(::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL), ssize_t(hello.size()));
    const auto readLines = [&](std::size_t want) {
        std::size_t lines = 0;
        char buffer[65536];
        for (pollfd p{fd, POLLIN, 0}; lines < want && ::poll(&p, 1, 10000) == 1;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            lines += static_cast<std::size_t>(std::count(buffer, buffer + n, '\n'));
        }
        return lines;
    };
    ASSERT_EQ(readLines(1), 1u);

    std::string flood;
    const std::string request = "{\"op\":\"banner_text\",\"kind\":1}\n";
    for (int i = 0; i < 4096; ++i) {
        flood += request;
    }
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    std::size_t sent = 0;
    bool stalled = false;
    for (const auto start = Clock::now();
         !stalled && sent < 64 * automation::kMaxLineBytes && Clock::now() - start < 60s;) {
        const ssize_t n = ::send(fd, flood.data() + sent % flood.size(),
                                 flood.size() - sent % flood.size(), MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else {
            pollfd p{fd, POLLOUT, 0};
            stalled = ::poll(&p, 1, 1500) == 0;
        }
    }
    EXPECT_TRUE(stalled) << sent << " bytes sent without a stall";
    EXPECT_LT(sent, automation::kMaxLineBytes) << "bytes read from the client";
    ::fcntl(fd, F_SETFL, 0);
    EXPECT_EQ(readLines(sent / request.size()), sent / request.size()); // heard again
    ::close(fd);
}

// The processor time a process has used, in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream stat(fs::path("/proc") / std::to_string(pid) / "stat");
    std::string field;
    long ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i) {
        if (i == 14 || i == 15) { // utime, stime (no blank in the engine's name)
            ticks += std::stol(field);
        }
    }
    return ticks;
}

TEST_F(EngineProcess, OutOfDescriptorsTheEngineRefusesCleanlyWithoutSpinning) {
    const pid_t engine = ::fork();
    if (engine == 0) {
        const rlimit few{64, 64};
        ::setrlimit(RLIMIT_NOFILE, &few);
        ::execl(kEngine.c_str(), kEngine.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_TRUE(WaitFor([&] { return EnginePid() == engine; }));
    const std::string socket = (m_folder / "engine.sock").string();
    const auto connectRaw = [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    };
    std::vector<int> held;
    for (int i = 0; i < 100; ++i) {
        held.push_back(connectRaw());
    }
    const int late = connectRaw();
    const std::string hello = "{\"op\":\"hello\",\"v\":1}\n";
    ::send(late, hello.data(), hello.size(), MSG_NOSIGNAL);
    pollfd p{late, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 5000), 1);
    char reply[512] = {};
    ASSERT_GT(::recv(late, reply, sizeof reply - 1, 0), 0);
    EXPECT_NE(std::string(reply).find("too many connections"), std::string::npos) << reply;

    const long before = CpuTicks(engine);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LT(CpuTicks(engine) - before, ::sysconf(_SC_CLK_TCK) / 5); // under 20 % of a core
    for (const int fd : held) {
        ::close(fd);
    }
    ::close(late);
    ::kill(engine, SIGTERM);
    int status = 0;
    ::waitpid(engine, &status, 0);
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
