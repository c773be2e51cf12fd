// The engine host in this process against a real PSPP: output, faults of PSPP and of
// clients, many clients, bad requests, the data document and who may connect.
#include "engine/EngineHost.h"
#include "engine/EngineServer.h"
#include "engine/PsppSession.h"
#include "engine/forms/CaseGridView.h"
#include "engine/forms/DataWindow.h"
#include "engine/forms/OutputViewer.h"
#include "engine/forms/OutputWindow.h"
#include "platform/automation/EngineClient.h"
#include "platform/shell/Shell.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QTreeWidget>
#include <QPlainTextEdit>
#include "engine/forms/DataViewModels.h"
#include "platform/spssio/CaseReader.h"
#include <QApplication>
#include <QEventLoop>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qs::engine {
namespace {

using automation::EAutomationError;

// Runs `work` on another thread while this one serves the engine's event loop.
template <typename F>
auto OffThread(F work) -> decltype(work()) {
    auto future = std::async(std::launch::async, std::move(work));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the engine did not answer within 60 s";
            std::abort(); // the future's thread cannot be left behind
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return future.get();
}

// A protocol client that speaks raw lines, for requests the editor would never send.
class RawClient {
public:
    explicit RawClient(const std::string& path) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(m_fd); }
    bool Connected() const { return m_connected; }
    void Send(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) {
                return; // the engine closed; the next read says so
            }
            done += static_cast<std::size_t>(n);
        }
    }
    // The next line, or "<closed>" when the engine ended the connection.
    std::string ReadLine() {
        for (;;) {
            if (const auto nl = m_in.find('\n'); nl != std::string::npos) {
                std::string line = m_in.substr(0, nl);
                m_in.erase(0, nl + 1);
                return line;
            }
            char buffer[4096];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return "<closed>";
            }
            m_in.append(buffer, static_cast<std::size_t>(n));
        }
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    std::string m_in;
};

class EngineHostTest : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (m_runtime / "cache").c_str(), 1);
        const auto where = automation::EngineSocketPath(true);
        ASSERT_TRUE(where.error.empty()) << where.error;
        m_socket = where.path;
        std::string error;
        ASSERT_EQ(m_server.Listen(m_socket, &error), EngineServer::Claim::Serving) << error;
    }

    void StartHost(const std::string& program) {
        m_session = std::make_unique<PsppSession>(
            program, std::filesystem::path(m_socket).parent_path().string());
        m_host = std::make_unique<EngineHost>(m_server, *m_session, m_output, m_data);
        m_data.show();
        m_session->Start();
    }
    void StartHost() {
        const std::string pspp = QStandardPaths::findExecutable("pspp").toStdString();
        ASSERT_FALSE(pspp.empty()) << "pspp is needed (make deps installs it)";
        StartHost(pspp);
    }

    automation::ReportedRun Run(const std::string& syntax) {
        return OffThread([&] {
            auto app = automation::ConnectEngine(m_socket);
            return automation::ExecuteReported(*app, syntax);
        });
    }
    // The error text of `call` on a fresh connection, "" when it succeeds.
    std::string ErrorOf(std::function<void(automation::ISpssApp&)> call) {
        return OffThread([&]() -> std::string {
            try {
                auto app = automation::ConnectEngine(m_socket);
                call(*app);
                return {};
            } catch (const EAutomationError& e) {
                return e.what();
            }
        });
    }

    test::TempDir m_runtime;
    test::TempDir m_files;
    std::string m_socket;
    EngineServer m_server;
    OutputWindow m_output;
    DataWindow m_data;
    std::unique_ptr<PsppSession> m_session;
    std::unique_ptr<EngineHost> m_host;
};

TEST_F(EngineHostTest, SyntaxErrorsReachTheOutputWindowAndServingGoesOn) {
    StartHost();
    const auto bad = Run("DATA LIST FREE /x.\nBEGIN DATA\n1\nEND DATA.\nFREQUENCIES z.\n");
    EXPECT_EQ(bad.errors, 1);
    EXPECT_NE(bad.output.find("5: error: FREQUENCIES"), std::string::npos) << bad.output;
    EXPECT_TRUE(m_output.OutputText().contains("5: error: FREQUENCIES"));

    const auto good = Run("ECHO 'still here'.");
    EXPECT_EQ(good.errors, 0);
    EXPECT_EQ(good.output, "\nstill here\n");
}

// The private folder is held open: once it is moved and another folder takes its name,
// the syntax still goes through the folder that was checked, and nothing is written or
// removed in the new one. PSPP's journal is a private empty file there.
TEST_F(EngineHostTest, TheHeldFolderIsUsedEvenWhenItsNameIsTaken) {
    StartHost();
    const std::filesystem::path folder = std::filesystem::path(m_socket).parent_path();
    const std::filesystem::path moved = folder.string() + ".moved";
    const std::string batch = "batch-" + std::to_string(::getpid()) + ".sps";
    const std::string output = OffThread([&] {
        auto app = automation::ConnectEngine(m_socket);
        automation::ExecuteReported(*app, "ECHO 'before'.");
        std::filesystem::rename(folder, moved);
        std::filesystem::create_directory(folder);
        ::chmod(folder.c_str(), 0700);
        ::mkfifo((folder / batch).c_str(), 0600); // the name the batch file had
        return automation::ExecuteReported(*app, "ECHO 'after'.").output;
    });
    EXPECT_EQ(output, "\nafter\n");
    EXPECT_TRUE(std::filesystem::is_fifo(folder / batch));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
    struct stat journal {};
    ASSERT_EQ(::stat((moved / "pspp.jnl").c_str(), &journal), 0);
    EXPECT_EQ(journal.st_mode & 0777, 0600u);
    EXPECT_EQ(journal.st_size, 0);
    std::filesystem::remove(folder / batch);
    std::filesystem::remove(folder);
    std::filesystem::rename(moved, folder);
}

// A run's tables and charts reach the Output tab as they are made, each chart read before
// its file goes; messages come with their line.
TEST_F(EngineHostTest, TablesAndChartsOfARunShowInTheOutputTab) {
    StartHost();
    Run("DATA LIST FREE /x.\nBEGIN DATA\n1 2 2 3 3 3 4\nEND DATA.\n"
        "FREQUENCIES x /HISTOGRAM.\nFREQUENCIES nothing.\n");
    m_output.viewer->FlushItems();
    std::vector<engine::OutputItem::Kind> kinds;
    for (int i = 0; i < m_output.viewer->ItemCount(); ++i) {
        kinds.push_back(m_output.viewer->ItemKind(i));
    }
    using Kind = engine::OutputItem::Kind;
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Table, Kind::Table, Kind::Chart, Kind::Message}));
    EXPECT_TRUE(m_output.viewer->TableText(1).contains("Frequency"));
    const QString page = m_output.viewer->txtView->toPlainText();
    EXPECT_TRUE(page.contains("6: error: FREQUENCIES")) << page.toStdString();
    const QImage chart = m_output.viewer->txtView->document()
                             ->resource(QTextDocument::ImageResource, QUrl("chart:2"))
                             .value<QImage>();
    EXPECT_FALSE(chart.isNull());
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(m_socket).parent_path())) {
        EXPECT_NE(entry.path().extension(), ".png") << entry.path();
    }
    // Each command heads its output, but in a long script, whose commands PSPP would print
    // back at a cost; the next run has its headings again.
    const auto headed = [&](const char* command) {
        m_output.viewer->FlushItems();
        return m_output.viewer->tvOutline->findItems(command, Qt::MatchExactly | Qt::MatchRecursive)
            .size();
    };
    EXPECT_EQ(headed("FREQUENCIES x /HISTOGRAM."), 1);
    std::string longScript;
    while (longScript.size() <= PsppSession::kPrintbackBytes) {
        longScript += "COMPUTE y = x * 2.\n";
    }
    Run(longScript + "DESCRIPTIVES y.\n");
    EXPECT_EQ(headed("DESCRIPTIVES y."), 0);
    Run("DESCRIPTIVES x.\n");
    EXPECT_EQ(headed("DESCRIPTIVES x."), 1);
}

// A click on a message asks the editor that sent the run, waiting on a watch connection of
// the same process, to show the line.
TEST_F(EngineHostTest, AClickedMessageLineGoesToTheEditorThatSentTheRun) {
    StartHost();
    RawClient watcher(m_socket);
    watcher.Send("{\"op\":\"hello\",\"v\":1}\n{\"op\":\"watch\"}\n");
    Run("FREQUENCIES nothing.");
    emit m_output.LineActivated(7);
    const auto lines = OffThread([&] {
        std::string hello = watcher.ReadLine();
        return std::pair(hello, watcher.ReadLine());
    });
    EXPECT_EQ(lines.first, R"({"ok":true,"v":1})");
    EXPECT_EQ(lines.second, R"({"ok":true,"value":"line\t7"})");
    EXPECT_TRUE(m_output.statusBar()->currentMessage().contains("shown in the editor"));
    emit m_output.LineActivated(8); // nobody waits now: the window says so itself
    EXPECT_TRUE(m_output.statusBar()->currentMessage().contains("line 8 of the syntax"));
}

// Lines count in the text sent; an included file's lines come with its name.
TEST_F(EngineHostTest, MessagesComeWithTheLinesTheyName) {
    StartHost();
    const std::string included = (m_files / "inc.sps").string();
    test::WriteFileBytes(included, "\nDESCRIPTIVES nosuch.\n");
    const auto messages = OffThread([&] {
        return automation::ConnectEngine(m_socket)->ExecuteCommandsReporting(
            "DATA LIST FREE /x.\nBEGIN DATA\n1\nEND DATA.\nFREQUENCIES z.\nINCLUDE FILE='" +
            included + "'.\n");
    });
    ASSERT_TRUE(messages.has_value());
    std::vector<std::tuple<automation::EngineMessage::Severity, std::string, std::int64_t>> places;
    for (const auto& message : *messages) {
        places.emplace_back(message.severity, message.file, message.line);
    }
    using S = automation::EngineMessage::Severity;
    EXPECT_EQ(places, (decltype(places){{S::Error, "", 5}, {S::Error, included, 2}}));
    EXPECT_TRUE((*messages)[0].text.starts_with("error: FREQUENCIES")) << (*messages)[0].text;

    // Sent from line 28 of the editor's text: both tabs name line 32, the reply still 5.
    const auto placed = OffThread([&] {
        return automation::ConnectEngine(m_socket)->ExecuteCommandsReporting(
            "\n\n\n\nFREQUENCIES z.\n", {28, {}});
    });
    ASSERT_TRUE(placed.has_value());
    ASSERT_EQ(placed->size(), 1u);
    EXPECT_EQ((*placed)[0].line, 5);
    m_output.FlushOutput();
    EXPECT_TRUE(m_output.memOutput->toPlainText().contains("\n32: error: FREQUENCIES"))
        << m_output.memOutput->toPlainText().toStdString();
    m_output.viewer->FlushItems();
    EXPECT_TRUE(m_output.viewer->txtView->toPlainText().contains("32: error: FREQUENCIES"));
}

TEST_F(EngineHostTest, KilledPsppFailsTheRunningRequestAndIsRestarted) {
    StartHost();
    Run("DATA LIST FREE /x.\nBEGIN DATA\n1\nEND DATA.");
    auto running = std::async(std::launch::async, [&]() -> std::string {
        try {
            automation::ConnectEngine(m_socket)->ExecuteCommands("HOST COMMAND=['sleep 30'].", true);
            return "no error";
        } catch (const EAutomationError& e) {
            return e.what();
        }
    });
    const pid_t first = OffThread([&] {
        while (!m_session->Busy()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return m_session->Pid();
    });
    ASSERT_GT(first, 0);
    ::kill(first, SIGKILL);
    const std::string error = OffThread([&] { return running.get(); });
    EXPECT_NE(error.find("PSPP ended unexpectedly (killed by signal 9"), std::string::npos) << error;
    EXPECT_TRUE(m_output.OutputText().contains("a new PSPP session has been started"));

    const auto next = Run("ECHO 'again'.");
    EXPECT_EQ(next.output, "\nagain\n");
    EXPECT_NE(m_session->Pid(), first);
    // The new PSPP's items come through too, after its own document's start.
    m_output.viewer->FlushItems();
    EXPECT_TRUE(m_output.viewer->txtView->toPlainText().endsWith("again"))
        << m_output.viewer->txtView->toPlainText().toStdString();
}

TEST_F(EngineHostTest, FinishAgainAndAgainIsNoCrash) {
    StartHost();
    for (int i = 0; i < 4; ++i) {
        Run("FINISH.");
    }
    EXPECT_EQ(Run("ECHO 'still here'.").output, "\nstill here\n");
}

TEST_F(EngineHostTest, AnIncludedFifoIsNotReadAgainByTheEngine) {
    StartHost();
    m_data.hide(); // no batches of the engine's own between the test's
    const std::string fifo = (m_files / "commands").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // PSPP reads what this writer sends once; the engine, following the INCLUDE for the
    // data document's name, must not wait on the FIFO for a second writer.
    auto writer = std::async(std::launch::async, [&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        const std::string text = "ECHO 'from the fifo'.\n";
        const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::close(fd);
        return ok;
    });
    const auto run = Run("INCLUDE FILE='" + fifo + "'.");
    EXPECT_TRUE(writer.get());
    EXPECT_NE(run.output.find("from the fifo"), std::string::npos) << run.output;
    EXPECT_EQ(Run("ECHO 'next'.").output, "\nnext\n");

    // A FIFO where the next batch file goes is replaced, never written through; the
    // batch file is gone after its run.
    const auto batch = std::filesystem::path(m_socket).parent_path() /
                       ("batch-" + std::to_string(::getpid()) + ".sps");
    ASSERT_EQ(::mkfifo(batch.c_str(), 0600), 0);
    EXPECT_EQ(Run("ECHO 'past the fifo'.").output, "\npast the fifo\n");
    EXPECT_FALSE(std::filesystem::exists(batch));
}

TEST_F(EngineHostTest, ARunThatLeavesABlockOpenFailsUntilTheBlockEnds) {
    StartHost();
    Run("DATA LIST FREE /x.\nBEGIN DATA\n1 2\nEND DATA.");
    EXPECT_NE(ErrorOf([](auto& app) { app.ExecuteCommands("DO IF x > 1.\nCOMPUTE y = 1.", true); })
                  .find("This run leaves its DO IF open"),
              std::string::npos);
    EXPECT_NE(ErrorOf([](auto& app) { app.ExecuteCommands("LIST.", true); })
                  .find("An earlier run left a block open"),
              std::string::npos);
    EXPECT_NE(Run("END IF.\nLIST.").output.find("2.00"), std::string::npos);
}

TEST_F(EngineHostTest, ClientLeavingMidRequestDisturbsNobody) {
    StartHost();
    OffThread([&] {
        RawClient leaver(m_socket);
        leaver.Send("{\"op\":\"hello\",\"v\":1}\n");
        leaver.ReadLine();
        leaver.Send("{\"op\":\"execute\",\"text\":\"HOST COMMAND=['sleep 1'].\",\"wait\":true}\n"
                    "{\"op\":\"execute\",\"text\":\"ECHO 'never'.\",\"wait\":true}\n");
        return 0; // closes with both requests open
    });
    const auto next = Run("ECHO 'next client'.");
    EXPECT_EQ(next.output, "\nnext client\n");
    EXPECT_FALSE(m_output.OutputText().contains("never"));
}

TEST_F(EngineHostTest, FiftyClientsAreServedInArrivalOrder) {
    StartHost();
    constexpr int kClients = 50;
    const auto replies = OffThread([&] {
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = 0; i < kClients; ++i) {
            clients.push_back(std::make_unique<RawClient>(m_socket));
            clients.back()->Send("{\"op\":\"hello\",\"v\":1}\n");
        }
        for (auto& client : clients) {
            client->ReadLine();
        }
        for (int i = 0; i < kClients; ++i) {
            clients[i]->Send("{\"op\":\"execute\",\"report\":true,\"wait\":true,\"text\":\"ECHO 'client " +
                             std::to_string(i) + "'.\"}\n");
        }
        std::vector<std::string> lines;
        for (auto& client : clients) {
            lines.push_back(client->ReadLine());
        }
        return lines;
    });
    const QStringList shown = m_output.OutputText().split('\n');
    qsizetype previous = -1;
    for (int i = 0; i < kClients; ++i) {
        const std::string mine = "client " + std::to_string(i);
        EXPECT_NE(replies[i].find(mine + "\\n"), std::string::npos) << replies[i];
        const qsizetype at = shown.indexOf(QString::fromStdString(mine));
        EXPECT_GT(at, previous) << mine;
        previous = at;
    }
}

TEST_F(EngineHostTest, BadRequestsGetErrorRepliesNeverACrash) {
    StartHost();
    const auto lines = OffThread([&] {
        std::vector<std::string> got;
        RawClient early(m_socket);
        early.Send("{\"op\":\"execute\",\"text\":\"x\",\"wait\":true}\n");
        got.push_back(early.ReadLine());
        got.push_back(early.ReadLine());
        RawClient future(m_socket);
        future.Send("{\"op\":\"hello\",\"v\":2}\n");
        got.push_back(future.ReadLine());
        RawClient client(m_socket);
        client.Send("{\"op\":\"hello\",\"v\":1}\n");
        client.ReadLine();
        client.Send("{not json\n{\"op\":\"banner_text\",\"kind\":1}\n");
        got.push_back(client.ReadLine());
        got.push_back(client.ReadLine());
        client.Send(std::string(automation::kMaxLineBytes + 10, 'x'));
        got.push_back(client.ReadLine());
        got.push_back(client.ReadLine());
        return got;
    });
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_NE(lines[0].find("the first request must be"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "<closed>");
    EXPECT_NE(lines[2].find("protocol version 2 is not supported"), std::string::npos);
    EXPECT_NE(lines[3].find("malformed request"), std::string::npos) << lines[3];
    EXPECT_EQ(lines[4], "{\"ok\":true,\"value\":\"Output - Quillstone Engine\"}");
    EXPECT_EQ(lines[5], "{\"ok\":false,\"error\":\"request too large\"}");
    EXPECT_EQ(lines[6], "<closed>");
    EXPECT_EQ(Run("ECHO 'served'.").output, "\nserved\n");
}

TEST_F(EngineHostTest, DataDocumentFollowsGetFileSaveAsAndNewData) {
    // The cases' copies live in the user's cache on disk. A killed engine's copy goes at the
    // next start; one of an engine that still runs stays.
    const std::filesystem::path cases = PrivateCacheFolder("cases", true).path;
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ::waitpid(gone, nullptr, 0);
    const auto left = cases / ("cases-" + std::to_string(gone) + "-1.sav");
    const auto alive = cases / ("cases-" + std::to_string(::getppid()) + "-1.sav");
    for (const auto& file : {left, alive}) {
        std::ofstream(file) << "copy";
    }
    StartHost();
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_TRUE(std::filesystem::exists(alive));
    std::filesystem::remove(alive);
    const std::string saved = (m_files / "it's data.sav").string();
    const std::string made = (m_files / "made.sav").string();
    const auto document = [&](std::function<std::string(automation::ISpssDocument&)> call) {
        return OffThread([&] {
            auto app = automation::ConnectEngine(m_socket);
            return call(*app->Documents()->GetDataDoc(0));
        });
    };
    const auto path = [&] { return document([](auto& doc) { return doc.GetDocumentPath(); }); };

    EXPECT_NE(ErrorOf([&](auto& app) { app.Documents()->GetDataDoc(0)->SaveAs(made); }).find("SAVE"),
              std::string::npos);
    Run("DATA LIST FREE /age income.\nBEGIN DATA\n1 2\nEND DATA.\n"
        "VARIABLE LABELS income 'Yearly income'.");
    EXPECT_EQ(path(), "");
    document([&](auto& doc) {
        doc.SaveAs(made);
        return std::string();
    });
    EXPECT_EQ(path(), made);
    EXPECT_TRUE(std::filesystem::exists(made));

    Run("NEW FILE.");
    EXPECT_EQ(path(), "");
    std::filesystem::copy_file(made, saved);
    Run("get\n  '" + (m_files / "it''s data.sav").string() + "'.");
    EXPECT_EQ(path(), saved);
    Run("GET FILE='" + (m_files / "missing.sav").string() + "'.");
    EXPECT_EQ(path(), saved);
    // PSPP warns about a file that states no encoding, and still opens it.
    const std::string unmarked = QS_FIXTURES_DIR "/sav/bdd__weighted.sav";
    Run("GET FILE='" + unmarked + "'.");
    EXPECT_EQ(path(), std::filesystem::path(unmarked).lexically_normal().string());
    Run("GET FILE='" + (m_files / "it''s data.sav").string() + "'.");
    EXPECT_EQ(path(), saved);

    // The Data window shows the file and, once the engine is idle, its variables.
    EXPECT_EQ(m_data.windowTitle(), "it's data.sav - Data - Quillstone Engine");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (m_data.grdVariables->model()->rowCount() != 2 &&
           std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const auto* model = m_data.grdVariables->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(1, 0).data().toString(), "income");

    // Then its cases, from a private copy: the user's file is read by nobody but PSPP, and
    // written by nobody. A TEMPORARY waiting for its procedure is left alone.
    const auto savedBytes = test::ReadFileBytes(saved);
    const auto savedTime = std::filesystem::last_write_time(saved);
    // Shown once the Variable View has the copy's dictionary, or a note says why not.
    const auto casesShown = [&](int rows) {
        const auto shown = [&] {
            return m_data.tblCases->model()->rowCount() == rows &&
                   (m_data.grdVariables->model()->columnCount() == 8) == (rows > 0);
        };
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!shown() && std::chrono::steady_clock::now() < until) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return shown();
    };
    ASSERT_TRUE(casesShown(1));
    EXPECT_EQ(m_data.tblCases->model()->index(0, 1).data().toString(), "2.00");
    // The Variable View: name, type, width, decimals, label...
    EXPECT_EQ(m_data.grdVariables->model()->index(1, 4).data().toString(), "Yearly income");
    Run("TEMPORARY.\nCOMPUTE age = 99.");
    ASSERT_TRUE(casesShown(0));
    EXPECT_TRUE(m_data.lblStatus->text().contains("TEMPORARY")) << m_data.lblStatus->text().toStdString();
    Run("LIST.\nCOMPUTE income = income * 10.");
    ASSERT_TRUE(casesShown(1));
    EXPECT_EQ(m_data.tblCases->model()->index(0, 0).data().toString(), "1.00"); // not 99
    EXPECT_EQ(m_data.tblCases->model()->index(0, 1).data().toString(), "20.00");
    EXPECT_EQ(test::ReadFileBytes(saved), savedBytes);
    EXPECT_EQ(std::filesystem::last_write_time(saved), savedTime);

    // A copy that would leave too little room on the disk is not made.
    ::setenv("QUILLSTONE_CASES_KEEP_FREE_MB", "1000000000", 1);
    Run("COMPUTE age = age + 0.");
    ASSERT_TRUE(casesShown(0));
    EXPECT_TRUE(m_data.lblStatus->text().contains("MB are kept free")) << m_data.lblStatus->text().toStdString();
    ::unsetenv("QUILLSTONE_CASES_KEEP_FREE_MB");
    Run("EXECUTE.");
    ASSERT_TRUE(casesShown(1));

    // A pending WRITE writes its file when a procedure of the user's runs, not when the Data
    // View wants the cases.
    const auto written = m_files / "written.txt";
    Run("WRITE OUTFILE='" + written.string() + "' /age.");
    ASSERT_TRUE(casesShown(0));
    EXPECT_TRUE(m_data.lblStatus->text().contains("WRITE")) << m_data.lblStatus->text().toStdString();
    EXPECT_FALSE(std::filesystem::exists(written));
    Run("EXECUTE.");
    ASSERT_TRUE(casesShown(1));
    EXPECT_TRUE(std::filesystem::exists(written));
    // A run that only reports keeps the copy; one that may change the cases makes another.
    const auto copyAfter = [&](const std::string& syntax, std::chrono::milliseconds wait) {
        const spssio::CaseReader* before = m_data.casesModel->Reader();
        Run(syntax);
        const auto until = std::chrono::steady_clock::now() + wait;
        while (m_data.casesModel->Reader() == before && std::chrono::steady_clock::now() < until) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return m_data.casesModel->Reader() != before;
    };
    EXPECT_FALSE(copyAfter("FREQUENCIES age.", std::chrono::milliseconds(1500)));
    EXPECT_TRUE(copyAfter("SORT CASES BY age.", std::chrono::seconds(20)));
    const auto copies = [&] {
        return std::distance(std::filesystem::directory_iterator(cases), {});
    };
    EXPECT_EQ(copies(), 1);
    m_host.reset();
    EXPECT_EQ(copies(), 0);
}

TEST_F(EngineHostTest, DictionaryCopyLeavesTheDatasetAndTheUsersTemporaryAlone) {
    StartHost();
    const auto copy = [&] {
        return OffThread([&]() -> std::string {
            auto app = automation::ConnectEngine(m_socket);
            try {
                return app->Documents()->GetDataDoc(0)->SaveDictionaryCopy();
            } catch (const EAutomationError& e) {
                return std::string("error: ") + e.what();
            }
        });
    };
    EXPECT_EQ(copy(), ""); // no dataset yet

    Run("DATA LIST FREE /x.\nBEGIN DATA\n1 2 3 4 5 6\nEND DATA.");
    const std::string file = copy();
    ASSERT_EQ(std::filesystem::path(file).parent_path(), std::filesystem::path(m_socket).parent_path());
    EXPECT_GT(std::filesystem::file_size(file), 0u);
    std::filesystem::remove(file);
    EXPECT_NE(Run("LIST.").output.find("6.00"), std::string::npos); // every case kept

    // The user's TEMPORARY waits for its procedure: nothing runs, and it still applies.
    Run("TEMPORARY.\nSELECT IF x > 4.");
    EXPECT_NE(copy().find("TEMPORARY command is in effect"), std::string::npos);
    const std::string listed = Run("LIST.").output;
    EXPECT_EQ(listed.find("1.00"), std::string::npos) << listed;
    EXPECT_NE(listed.find("5.00"), std::string::npos) << listed;

    // A pending WRITE keeps its file unwritten until the user's own procedure.
    const auto written = m_files / "written.txt";
    Run("WRITE OUTFILE='" + written.string() + "' /x.");
    EXPECT_NE(copy().find("(WRITE, PRINT, XSAVE) wait"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(written));
    Run("EXECUTE.");
    EXPECT_TRUE(std::filesystem::exists(written));
    std::filesystem::remove(copy());

    // A window operation is answered while a run goes on.
    auto running = std::async(std::launch::async, [&] {
        auto app = automation::ConnectEngine(m_socket);
        return automation::ExecuteReported(*app, "HOST COMMAND=['sleep 3'].");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf([](auto& app) { app.GetOutputDoc()->GetBannerText(); }), "");
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    while (running.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    running.get();
}

TEST_F(EngineHostTest, MissingPsppIsOneClearSentenceEverywhere) {
    StartHost("");
    const std::string error = ErrorOf([](auto& app) { app.ExecuteCommands("LIST.", true); });
    EXPECT_EQ(error, "GNU PSPP is not installed: no program named pspp was found on the search "
                     "path, so syntax cannot run (install the package pspp).");
    EXPECT_TRUE(m_output.OutputText().contains(QString::fromStdString(error)));
    EXPECT_EQ(ErrorOf([](auto& app) { app.GetOutputDoc()->SetVisible(true); }), "");
}

TEST_F(EngineHostTest, WindowsFollowTheDocumentsAndClosingBothEndsTheEngine) {
    StartHost("");
    bool ended = false;
    QObject::connect(m_host.get(), &EngineHost::AllWindowsClosed, [&] { ended = true; });
    const auto titles = OffThread([&] {
        auto app = automation::ConnectEngine(m_socket);
        app->GetDesignerDoc()->SetVisible(true); // shares the Output window
        app->GetOutputDoc()->SetWindowState(2);
        app->Documents()->GetDataDoc(0)->SetVisible(false);
        return app->GetOutputDoc()->GetBannerText() + "|" +
               app->Documents()->GetDataDoc(0)->GetBannerText();
    });
    EXPECT_EQ(titles, "Output - Quillstone Engine|Untitled - Data - Quillstone Engine");
    EXPECT_TRUE(m_output.isVisible());
    EXPECT_TRUE(m_output.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(m_data.isVisible());

    m_data.show();
    m_data.close();
    QApplication::processEvents();
    EXPECT_FALSE(ended); // the Output window is still open
    m_output.close();
    QApplication::processEvents();
    EXPECT_TRUE(ended);
}

TEST_F(EngineHostTest, OnlyTheUserGetsIn) {
    struct stat folder {}, socket {};
    ASSERT_EQ(::stat(std::filesystem::path(m_socket).parent_path().c_str(), &folder), 0);
    ASSERT_EQ(::stat(m_socket.c_str(), &socket), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(socket.st_mode & 0777, 0600u);
    if (::getuid() != 0) {
        GTEST_SKIP() << "trying another user's connection needs root to change the user";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(2);
        }
        RawClient other(m_socket);
        ::_exit(other.Connected() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another user connected";
}

} // namespace
} // namespace qs::engine
