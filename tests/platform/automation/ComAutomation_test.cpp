// The engine's automation through COM, under Wine, against the test server
// (TestSpssServer.cpp), registered for this suite only. Jobs run on a job engine as the
// editor runs them; the server's log shows what arrived.
#include "app/SyntaxFile.h"
#include "platform/WinText.h"
#include "platform/automation/Apartment.h"
#include "platform/automation/Automation.h"
#include "spss/EAbort.h"
#include "spss/SPSSConnection.h"
#include "spss/SPSSJobEngine.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <regex>
#include <thread>

namespace qs {
namespace {

using automation::EAutomationError;
namespace fs = std::filesystem;

struct Record {
    std::string member, value;
};

test::TempDir* g_dir = nullptr;

int Server(const std::string& arguments) {
    return test::RunProgram("TestSpssServer", arguments, {*g_dir / "server.out", {}, {}});
}

std::vector<Record> Log() {
    const std::string text = test::ReadFileBytes(*g_dir / "log");
    std::vector<Record> records;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t tab = text.find('\t', at), end = text.find('\n', tab);
        const std::size_t size = std::stoul(text.substr(tab + 1, end - tab - 1));
        records.push_back({text.substr(at, tab - at), text.substr(end + 1, size)});
        at = end + 1 + size + 1;
    }
    return records;
}

std::vector<std::string> Members() {
    std::vector<std::string> members;
    for (const Record& record : Log()) {
        members.push_back(record.member);
    }
    return members;
}

bool Has(const std::string& member) {
    const std::vector<std::string> members = Members();
    return std::find(members.begin(), members.end(), member) != members.end();
}

// A job engine as the editor's, attached to a new server; Run waits for one job and
// gives its error message ("" when it finished).
class Jobs {
public:
    explicit Jobs(bool attach = true) {
        m_engine.OnJobUnfinished = [this](TSPSSJobEngine&, std::unique_ptr<TSPSSJob>& job,
                                          bool& retry) {
            retry = false;
            m_message = job->ErrorMessage.empty() ? "unfinished" : job->ErrorMessage;
        };
        if (attach) {
            // Wine's activation of a local server, under load, now and then fails its
            // first call ("RPC call failed.", "Unknown interface."); once more is enough.
            std::string failed;
            for (int attempt = 0; attempt < 3; ++attempt) {
                failed = Run(std::make_unique<TSPSSAttachJob>(TSPSSAppFactory{
                    {}, [] { return automation::CoSPSSApplication::Create(); }}));
                if (failed != "RPC call failed." && failed != "Unknown interface.") {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
            }
            EXPECT_EQ(failed, "");
        }
    }
    std::string Run(std::unique_ptr<TSPSSJob> job) {
        m_message.clear();
        m_engine.AddJob(std::move(job));
        m_engine.WaitIdle();
        return m_message;
    }
    TSPSSJobEngine m_engine{true};

private:
    std::string m_message;
};

class ComAutomation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_dir = new test::TempDir;
        Server("/unregserver"); // what a broken run may have left
        ASSERT_EQ(Server("/regserver " + test::ShellQuoted(g_dir->path().string())), 0);
        // The include files and dictionary copies go to a temporary folder whose name is
        // beyond the code page and holds a quote.
        fs::create_directories(Temp());
        const std::wstring temp = Temp().wstring() + L"\\";
        ::SetEnvironmentVariableW(L"TMP", temp.c_str());
        ::SetEnvironmentVariableW(L"TEMP", temp.c_str());
    }
    static void TearDownTestSuite() {
        ::SetEnvironmentVariableW(L"TMP", nullptr);
        ::SetEnvironmentVariableW(L"TEMP", nullptr);
        EXPECT_EQ(Server("/unregserver"), 0);
        delete g_dir;
        g_dir = nullptr;
    }
    void SetUp() override {
        // A server whose last object went a moment ago still has its class registered
        // until it ends: a new client could reach it as it goes, so each test starts
        // after every server of the ones before has ended.
        for (int i = 0; i < 200 && ServersRunning() > 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_EQ(ServersRunning(), 0);
        for (const char* name : {"log", "mode", "docpath", "quit", "ready"}) {
            fs::remove(*g_dir / name);
        }
    }
    static int ServersRunning() {
        const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) {
            return 0;
        }
        int count = 0;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
             more = ::Process32NextW(snapshot, &entry)) {
            count += _wcsicmp(entry.szExeFile, L"TestSpssServer.exe") == 0 ? 1 : 0;
        }
        ::CloseHandle(snapshot);
        return count;
    }
    static fs::path Temp() { return g_dir->path() / L"Jos\u00e9's temp"; }
    static std::string TempName() { return Narrow(Temp().wstring() + L"\\"); }
    static void Mode(const std::string& mode) { test::WriteFileBytes(*g_dir / "mode", mode); }
};

// Lines of "COMPUTE" up to `size` characters, the last line without a line break.
std::string TextOf(std::size_t size) {
    std::string text;
    while (text.size() < size) {
        text += text.size() % 3 == 0 ? "COMPUTE v = 1.\r\n" : "LIST.\n";
    }
    text.resize(size);
    text.back() = '.';
    return text;
}

TEST_F(ComAutomation, SyntaxArrivesDirectlyUpTo768CharactersAndThroughAnIncludeFileAbove) {
    struct Row {
        const char* name;
        std::string text;
        bool include;
    };
    const Row rows[] = {{"mixed line ends, direct", "DESCRIPTIVES x.\nLIST.\r\nSHOW N.\r", false},
                        {"beyond ASCII, direct", "TITLE 'Caf\u00e9 \u00fc \u20ac'.", false},
                        {"768 characters, direct", TextOf(768), false},
                        {"769 characters, include file", TextOf(769), true}};
    Jobs jobs;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(*g_dir / "log");
        EXPECT_EQ(jobs.Run(std::make_unique<TSPSSSyntaxJob>(row.text)), "");
        const std::vector<Record> log = Log();
        ASSERT_EQ(log.size(), row.include ? 2u : 1u);
        EXPECT_EQ(log[0].member, "ExecuteCommands@21");
        if (!row.include) {
            EXPECT_EQ(log[0].value, row.text);
            continue;
        }
        const std::string name = log[1].member.substr(std::string("Include:").size());
        EXPECT_EQ(name.rfind(TempName(), 0), 0u) << name;
        EXPECT_EQ(log[0].value, "INCLUDE FILE=\"" + name + "\".\r");
        EXPECT_EQ(log[1].value, NormaliseLineEnds(row.text));
        EXPECT_FALSE(fs::exists(fs::path(Widen(name)))) << "the include file stays behind";
    }
    fs::remove(*g_dir / "log");
    EXPECT_EQ(jobs.Run(std::make_unique<TSPSSSyntaxJob>(" \r\n\t")), "");
    EXPECT_TRUE(Log().empty()) << "a blank text is sent";
}

TEST_F(ComAutomation, FailuresBecomeTheJobsMessages) {
    const std::string refused = "The test engine refused the call";
    struct Row {
        const char* name;
        const char* mode;
        std::function<std::unique_ptr<TSPSSJob>()> job;
        std::function<bool(const std::string&)> expected;
    };
    const auto syntax = [] { return std::make_unique<TSPSSSyntaxJob>("LIST."); };
    std::string title;
    const auto show = [&] {
        TSPSSUiHooks hooks;
        hooks.BringWindowToFront = [&](const std::string& banner) { title = banner; };
        return std::make_unique<TSPSSShowHideDocument>(true, 0, 0, hooks);
    };
    const Row rows[] = {
        // Wine does not carry the error object across processes: the result code's text.
        {"early-bound call refused", "fail ExecuteCommands@21", syntax,
         [&](const std::string& m) { return m == refused || m == "Automation error 0x80040201"; }},
        {"call by name refused", "fail Visible", show,
         [&](const std::string& m) { return m == refused; }},
        {"document accessor refused", "fail OutputDoc@19",
         [] { return std::make_unique<TSPSSShowHideDocument>(true, 1, -1); },
         [&](const std::string& m) { return m == refused || m == "Automation error 0x80040201"; }},
        {"all well", "", show, [](const std::string& m) { return m.empty(); }},
    };
    Jobs jobs;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Mode(row.mode);
        const std::string message = jobs.Run(row.job());
        EXPECT_TRUE(row.expected(message)) << message;
    }
    std::vector<std::string> calls;
    for (const Record& record : Log()) {
        calls.push_back(record.member + (record.value.empty() ? "" : "(" + record.value + ")"));
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"ExecuteCommands@21(LIST.)", "Documents@7",
                                               "GetDataDoc@13(0)", "Visible(true)", "OutputDoc@19",
                                               "Documents@7", "GetDataDoc@13(0)", "Visible(true)",
                                               "WindowState(0 by reference)", "GetBannerText"}));
    EXPECT_EQ(title, "Test engine data \u00e9");
    EXPECT_EQ(Jobs(false).Run(syntax()), "This job can not be executed because SPSS is not loaded");
}

TEST_F(ComAutomation, AServerThatDiesFailsItsJobAndTheWorkerGoesOnWithANewOne) {
    Jobs jobs;
    jobs.m_engine.Reconnect = [] { return automation::CoSPSSApplication::Create(); };
    Mode("die ExecuteCommands@21");
    EXPECT_NE(jobs.Run(std::make_unique<TSPSSSyntaxJob>("LIST.")), "");
    Mode("");
    // The next job finds the server gone before its call, so it runs on a new one.
    EXPECT_EQ(jobs.Run(std::make_unique<TSPSSSyntaxJob>("SHOW N.")), "");
    EXPECT_FALSE(jobs.m_engine.Ended());
    EXPECT_EQ(Log().back().value, "SHOW N.");
}

TEST_F(ComAutomation, AHangingServerThatIsEndedFailsItsJobAndTheWorkerGoesOn) {
    Jobs jobs;
    Mode("hang ExecuteCommands@21");
    jobs.m_engine.AddJob(std::make_unique<TSPSSSyntaxJob>("LIST."));
    for (int i = 0; i < 600 && !Has("ExecuteCommands@21"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    test::WriteFileBytes(*g_dir / "quit", ""); // the server ends, its call unanswered
    Mode("");
    // The hung job fails once the server is gone; the next one finds no server.
    EXPECT_EQ(jobs.Run(std::make_unique<TSPSSSyntaxJob>("SHOW N.")), "RPC server unavailable.");
    EXPECT_FALSE(jobs.m_engine.Ended());
    fs::remove(*g_dir / "quit");
}

TEST_F(ComAutomation, DataFileQueryGetsADictionaryCopyAndNeverWritesTheUsersFile) {
    const fs::path user = *g_dir / "user's data.sav";
    test::WriteFileBytes(user, "the user's own bytes");
    test::WriteFileBytes(*g_dir / "docpath", test::Utf8Path(user));
    Jobs jobs;
    for (const bool saved : {true, false}) {
        SCOPED_TRACE(saved ? "the engine saves the copy" : "the engine's SAVE fails");
        fs::remove(*g_dir / "log");
        Mode(saved ? "" : "fail SaveOutfile");
        TDataFileQuery result;
        EXPECT_EQ(jobs.Run(std::make_unique<TSPSSDataFileJob>(
                      nullptr, 0, [&](TDataFileQuery answer) { result = std::move(answer); })),
                  "");
        EXPECT_EQ(result.Error, "");
        EXPECT_EQ(result.Path, test::Utf8Path(user));
        const std::vector<Record> log = Log();
        ASSERT_GE(log.size(), 4u);
        const std::string copy = log[3].value; // Documents, GetDataDoc, the SAVE, its file
        EXPECT_EQ(copy.rfind(TempName(), 0), 0u) << copy;
        EXPECT_EQ(log[2].value, "TEMPORARY.\r\nSELECT IF 0.\r\nSAVE OUTFILE='" +
                                    std::regex_replace(copy, std::regex("'"), "''") + "'.\r\n");
        EXPECT_EQ(result.DictionaryFile, saved ? copy : "");
        EXPECT_EQ(test::ReadFileBytes(fs::path(Widen(copy))), saved ? "dictionary" : "");
        EXPECT_EQ(fs::exists(fs::path(Widen(copy))), saved);
        fs::remove(fs::path(Widen(copy)));
        // A failed SAVE's selection must not reach the user's next procedure.
        EXPECT_EQ(log[4].value == "EXECUTE.\r\n", !saved) << log[4].value;
    }
    EXPECT_EQ(test::ReadFileBytes(user), "the user's own bytes");
    EXPECT_FALSE(Has("SaveAs"));
}

TEST_F(ComAutomation, WithoutARunningEngineTheConnectionIsOperationUnavailable) {
    for (const bool registered : {true, false}) {
        SCOPED_TRACE(registered ? "registered, not running" : "not registered");
        if (!registered) {
            ASSERT_EQ(Server("/unregserver"), 0);
        }
        try {
            automation::EnsureSingleThreadApartment(); // as the main thread's query does
            automation::GetActiveSpssApp();
            ADD_FAILURE() << "connected";
        } catch (const EAutomationError& e) {
            EXPECT_STREQ(e.what(), automation::kOperationUnavailable);
        }
        std::string path = "before";
        EXPECT_THROW(GetActiveDataFilePath(path, DefaultActiveDataFileHooks({})), EAbort);
        EXPECT_EQ(path, "before");
    }
    ASSERT_EQ(Server("/regserver " + test::ShellQuoted(g_dir->path().string())), 0);
}

// The active engine in the running object table, as the main thread's query finds it.
class ActiveServer {
public:
    ActiveServer() {
        fs::remove(*g_dir / "ready");
        std::wstring line = L"\"" + fs::path(QS_BIN_DIR "/TestSpssServer.exe").wstring() +
                            L"\" /active \"" + g_dir->path().wstring() + L"\"";
        STARTUPINFOW start{};
        start.cb = sizeof start;
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                         &m_process);
        for (int i = 0; i < 600 && !fs::exists(*g_dir / "ready"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~ActiveServer() {
        test::WriteFileBytes(*g_dir / "quit", "");
        if (::WaitForSingleObject(m_process.hProcess, 30000) != WAIT_OBJECT_0) {
            ::TerminateProcess(m_process.hProcess, 0);
        }
        fs::remove(*g_dir / "quit");
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }

private:
    PROCESS_INFORMATION m_process{};
};

TEST_F(ComAutomation, TheMainThreadAsksTheActiveEngineByName) {
    test::WriteFileBytes(*g_dir / "docpath", "C:\\data\\survey.sav");
    ActiveServer server;
    std::string path;
    std::vector<std::string> shown;
    GetActiveDataFilePath(
        path, DefaultActiveDataFileHooks([&](const std::string& text) { shown.push_back(text); }));
    EXPECT_EQ(path, "C:\\data\\survey.sav");
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(Members(), (std::vector<std::string>{"Documents", "GetDataDoc", "GetDocumentPath",
                                                   "GetDocumentPath"}));
}

TEST_F(ComAutomation, QuillstoneRunExitsWithTheRunsOutcome) {
    struct Row {
        const char* mode;
        int exitCode;
        const char* error;
    };
    const Row rows[] = {{"", 0, ""},
                        {"fail ExecuteCommands@21", 1, "quillstone-run: "},
                        {"die ExecuteCommands@21", 1, "quillstone-run: "}};
    const fs::path file = *g_dir / "run.sps";
    test::WriteFileBytes(file, "GET FILE='a.sav'.\r\nLIST.\r\n");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        Mode(row.mode);
        fs::remove(*g_dir / "log");
        EXPECT_EQ(test::RunProgram("quillstone-run", test::ShellQuoted(file.string()),
                                   {*g_dir / "out", *g_dir / "err", {}}),
                  row.exitCode);
        EXPECT_EQ(test::ReadFileBytes(*g_dir / "err").substr(0, std::strlen(row.error)), row.error);
        ASSERT_FALSE(Log().empty());
        EXPECT_EQ(Log()[0].value, "GET FILE='a.sav'.\r\nLIST.\r\n");
    }
}

} // namespace
} // namespace qs
