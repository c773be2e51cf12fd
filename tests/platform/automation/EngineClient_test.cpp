// The socket client of quillstone-engine against a small protocol server on a thread.
#include "platform/automation/EngineClient.h"
#include "platform/automation/EngineWatch.h"
#include "platform/automation/JsonLine.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qs::automation {
namespace {

int BoundSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    return fd;
}

// Serves one client at a time: answers "hello", then each op with its canned reply
// (default {"ok":true}); an op mapped to "close" drops the connection instead, one
// mapped to "silent" gets no reply.
class ProtocolServer {
public:
    ProtocolServer(const std::string& path, std::map<std::string, std::string> replies)
        : m_fd(BoundSocket(path)), m_replies(std::move(replies)) {
        ::listen(m_fd, 4);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ProtocolServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    std::vector<std::string> Requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    void Serve() {
        while (!m_stop) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 20) == 1) {
                const int client = ::accept(m_fd, nullptr, nullptr);
                Talk(client);
                ::close(client);
            }
        }
    }
    void Talk(int client) {
        std::string buffer;
        while (!m_stop) {
            pollfd p{client, POLLIN, 0};
            if (::poll(&p, 1, 20) != 1) {
                continue;
            }
            char chunk[65536];
            const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
            if (n <= 0) {
                return;
            }
            buffer.append(chunk, static_cast<std::size_t>(n));
            for (std::size_t end; (end = buffer.find('\n')) != std::string::npos;) {
                const std::string line = buffer.substr(0, end);
                buffer.erase(0, end + 1);
                const auto request = DecodeJsonLine(line);
                const std::string op = request ? JsonString(*request, "op").value_or("") : "";
                {
                    std::lock_guard lock(m_mutex);
                    m_requests.push_back(line);
                }
                std::string reply = op == "hello" ? "{\"ok\":true,\"v\":1}" : "{\"ok\":true}";
                if (const auto it = m_replies.find(op); it != m_replies.end()) {
                    reply = it->second;
                }
                if (reply == "close") {
                    return;
                }
                if (reply == "silent") {
                    continue;
                }
                reply += '\n';
                ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
        }
    }

    int m_fd;
    std::map<std::string, std::string> m_replies;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// Points the user's runtime folder at a private temporary one.
class EngineClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        m_oldRuntime = old ? std::optional<std::string>(old) : std::nullopt;
        ::setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1);
    }
    void TearDown() override {
        if (m_oldRuntime) {
            ::setenv("XDG_RUNTIME_DIR", m_oldRuntime->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }
    std::string SocketPath() {
        const SocketPathResult where = EngineSocketPath(true);
        EXPECT_EQ(where.error, "");
        return where.path;
    }
    static std::string ErrorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const EAutomationError& e) {
            return e.what();
        }
        return "(no error)";
    }

    test::TempDir m_runtime;
    std::optional<std::string> m_oldRuntime;
};

struct RoundTripRow {
    const char* name;
    std::function<std::string(ISpssApp&)> call;
    std::string request; // the line the server must receive
    std::string reply;
    std::string result; // what the call returns
};

class EngineClientRoundTrip : public EngineClientTest,
                              public ::testing::WithParamInterface<RoundTripRow> {};

TEST_P(EngineClientRoundTrip, SendsTheRequestAndReturnsTheReply) {
    const RoundTripRow& row = GetParam();
    const std::string op = JsonString(*DecodeJsonLine(row.request), "op").value();
    ProtocolServer server(SocketPath(), {{op, row.reply}});
    auto app = GetActiveSpssApp();
    EXPECT_EQ(row.call(*app), row.result);
    EXPECT_EQ(server.Requests(),
              (std::vector<std::string>{"{\"op\":\"hello\",\"v\":1}", row.request}));
}

INSTANTIATE_TEST_SUITE_P(
    Operations, EngineClientRoundTrip,
    ::testing::Values(
        RoundTripRow{"Execute",
                     [](ISpssApp& a) {
                         a.ExecuteCommands("GET FILE='x'.\nLIST.", true);
                         return std::string();
                     },
                     R"({"op":"execute","text":"GET FILE='x'.\nLIST.","wait":true})",
                     R"({"ok":true})", ""},
        RoundTripRow{"ExecuteFromLine28OfTheDocument",
                     [](ISpssApp& a) {
                         a.ExecuteCommandsReporting("INCLUDE FILE='/r/S1.TMP'.", {28, "/r/S1.TMP"});
                         return std::string();
                     },
                     R"({"line":28,"messages":true,"op":"execute","text":"INCLUDE FILE='/r/S1.TMP'.","text_file":"/r/S1.TMP","wait":true})",
                     R"({"ok":true,"messages":""})", ""},
        RoundTripRow{"DataDocumentPath",
                     [](ISpssApp& a) { return a.Documents()->GetDataDoc(0)->GetDocumentPath(); },
                     R"({"kind":0,"op":"document_path"})",
                     R"({"ok":true,"value":"/d/caf\u00e9.sav"})", "/d/caf\xc3\xa9.sav"},
        RoundTripRow{"SaveAs",
                     [](ISpssApp& a) {
                         a.Documents()->GetDataDoc(0)->SaveAs("/d/a \"b\".sav");
                         return std::string();
                     },
                     R"({"kind":0,"op":"save_as","path":"/d/a \"b\".sav"})", R"({"ok":true})", ""},
        RoundTripRow{"OutputVisible",
                     [](ISpssApp& a) {
                         a.GetOutputDoc()->SetVisible(false);
                         return std::string();
                     },
                     R"({"kind":1,"op":"set_visible","visible":false})", R"({"ok":true})", ""},
        RoundTripRow{"DesignerWindowState",
                     [](ISpssApp& a) {
                         a.GetDesignerDoc()->SetWindowState(3);
                         return std::string();
                     },
                     R"({"kind":2,"op":"set_window_state","state":3})", R"({"ok":true})", ""},
        RoundTripRow{"OutputBanner", [](ISpssApp& a) { return a.GetOutputDoc()->GetBannerText(); },
                     R"({"kind":1,"op":"banner_text"})", R"({"ok":true,"value":"Output1"})",
                     "Output1"}),
    [](const auto& row) { return std::string(row.param.name); });

// The editor's watch connection greets, asks to be told a line, and passes it on.
TEST_F(EngineClientTest, TheWatchPassesOnTheLineTheEngineNames) {
    ProtocolServer server(SocketPath(), {{"watch", R"({"ok":true,"value":"line\t42"})"}});
    std::promise<std::int64_t> first;
    std::atomic<bool> got{false};
    {
        EngineWatch watch([&](std::int64_t line) {
            if (!got.exchange(true)) {
                first.set_value(line);
            }
        });
        auto future = first.get_future();
        ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_EQ(future.get(), 42);
    }
    const auto requests = server.Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[1], R"({"op":"watch"})");
}

TEST_F(EngineClientTest, ErrorReplyTextReachesTheException) {
    ProtocolServer server(SocketPath(),
                          {{"save_as", R"({"ok":false,"error":"/d/a.sav is read-only"})"}});
    auto app = GetActiveSpssApp();
    EXPECT_EQ(ErrorOf([&] { app->Documents()->GetDataDoc(0)->SaveAs("/d/a.sav"); }),
              "/d/a.sav is read-only");
    // An error reply leaves the connection usable.
    EXPECT_NO_THROW(app->ExecuteCommands("LIST.", false));
}

TEST_F(EngineClientTest, BrokenConnectionSaysSo) {
    ProtocolServer server(SocketPath(), {{"execute", "close"}});
    auto app = GetActiveSpssApp();
    EXPECT_EQ(ErrorOf([&] { app->ExecuteCommands("LIST.", true); }),
              "the connection to quillstone-engine was lost: quillstone-engine closed the "
              "connection");
    EXPECT_EQ(ErrorOf([&] { app->ExecuteCommands("LIST.", true); }),
              "the connection to quillstone-engine is closed");
}

TEST_F(EngineClientTest, MalformedReplyIsAnError) {
    ProtocolServer server(SocketPath(), {{"banner_text", "{\"ok\":true,"}});
    auto app = GetActiveSpssApp();
    EXPECT_NE(ErrorOf([&] { app->GetOutputDoc()->GetBannerText(); }).find("malformed reply"),
              std::string::npos);
}

TEST_F(EngineClientTest, TooLargeRequestIsRefusedBeforeSending) {
    ProtocolServer server(SocketPath(), {});
    auto app = GetActiveSpssApp();
    const std::string huge(kMaxLineBytes, 'x');
    EXPECT_EQ(ErrorOf([&] { app->ExecuteCommands(huge, true); }),
              "the request is larger than the engine accepts (16 MiB)");
    app->ExecuteCommands("LIST.", true);
    EXPECT_EQ(server.Requests().size(), 2u); // hello and the small one
}

TEST_F(EngineClientTest, AWindowOperationOfASilentEngineFailsInTime) {
    ProtocolServer server(SocketPath(), {{"banner_text", "silent"}});
    auto app = GetActiveSpssApp();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf([&] { app->GetOutputDoc()->GetBannerText(); }),
              "quillstone-engine did not answer within 5 s");
    EXPECT_LT(std::chrono::steady_clock::now() - start, kPromptReplyTimeout * 2);
}

TEST_F(EngineClientTest, OperationUnavailableWhenNothingListens) {
    EXPECT_EQ(ErrorOf([] { GetActiveSpssApp(); }), kOperationUnavailable);
    // A socket file left behind by an engine that ended.
    ::close(BoundSocket(SocketPath()));
    EXPECT_EQ(ErrorOf([] { GetActiveSpssApp(); }), kOperationUnavailable);
}

TEST_F(EngineClientTest, FolderOpenToOthersIsRefused) {
    const std::string path = SocketPath();
    ::chmod((m_runtime / "quillstone").c_str(), 0755);
    EXPECT_EQ(EngineSocketPath(false).error,
              (m_runtime / "quillstone").string() + " is open to other users (mode is not 0700)");
    EXPECT_NE(ErrorOf([] { GetActiveSpssApp(); }).find("refusing"), std::string::npos);
}

TEST_F(EngineClientTest, WithoutARuntimeFolderTheSocketIsInTheUsersCacheMadePrivate) {
    ::unsetenv("XDG_RUNTIME_DIR");
    test::TempDir cache;
    ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    const mode_t old = ::umask(0177); // a mask that would leave 0600 folders
    const SocketPathResult made = EngineSocketPath(true);
    ::umask(old);
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(made.error, "");
    EXPECT_EQ(made.path, (cache / "quillstone" / "run" / "engine.sock").string());
    struct stat st {};
    ASSERT_EQ(::stat((cache / "quillstone" / "run").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(EngineClientTest, AFolderAboveThatOthersMayWriteIsRefused) {
    ::chmod(m_runtime.path().c_str(), 0777); // not sticky: anyone could rename ours
    EXPECT_EQ(EngineSocketPath(false).error, m_runtime.path().string() + " is open to other users");
    ::chmod(m_runtime.path().c_str(), 01777);
    EXPECT_EQ(EngineSocketPath(false).error, "");
    if (::getuid() == 0) { // another user's folder above: they could rename ours
        ::chmod(m_runtime.path().c_str(), 0700);
        ASSERT_EQ(::chown(m_runtime.path().c_str(), 4242, 4242), 0);
        EXPECT_EQ(EngineSocketPath(false).error,
                  m_runtime.path().string() + " belongs to another user");
        ASSERT_EQ(::chown(m_runtime.path().c_str(), 0, 0), 0);
    }
}

TEST_F(EngineClientTest, CreateNamesTheMissingProgram) {
    EXPECT_EQ(ErrorOf([] {
                  CreateEngine({"/nonexistent/bin", std::chrono::seconds(1)});
              }),
              "quillstone-engine was not found at /nonexistent/bin/quillstone-engine");
}

TEST_F(EngineClientTest, CreateGivesUpOnAnEngineThatNeverListens) {
    test::TempDir bin;
    test::WriteFileBytes(bin / "quillstone-engine", "#!/bin/sh\nexec sleep 2\n");
    ::chmod((bin / "quillstone-engine").c_str(), 0700);
    EXPECT_EQ(ErrorOf([&] {
                  CreateEngine({bin.path(), std::chrono::milliseconds(300)});
              }),
              "quillstone-engine did not answer within 0.3 s");
}

TEST_F(EngineClientTest, CreateGivesUpOnAnEngineThatNeverGreets) {
    test::TempDir bin;
    test::WriteFileBytes(bin / "quillstone-engine", "#!/bin/sh\nexit 0\n");
    ::chmod((bin / "quillstone-engine").c_str(), 0700);
    ProtocolServer server(SocketPath(), {{"hello", "silent"}});
    EXPECT_EQ(ErrorOf([&] {
                  CreateEngine({bin.path(), std::chrono::milliseconds(300)});
              }),
              "quillstone-engine did not answer within 0.3 s");
}

TEST_F(EngineClientTest, OtherProtocolVersionIsRefused) {
    ProtocolServer server(SocketPath(), {{"hello", R"({"ok":true,"v":2})"}});
    EXPECT_EQ(ErrorOf([] { GetActiveSpssApp(); }),
              "quillstone-engine speaks another protocol version");
}

TEST_F(EngineClientTest, CreateConnectsOnceTheEngineListens) {
    test::TempDir bin;
    const auto started = bin / "started";
    test::WriteFileBytes(bin / "quillstone-engine",
                         "#!/bin/sh\ntouch '" + started.string() + "'\n");
    ::chmod((bin / "quillstone-engine").c_str(), 0700);
    ProtocolServer server(SocketPath(), {});
    auto app = CreateEngine({bin.path(), std::chrono::seconds(10)});
    app->ExecuteCommands("LIST.", true);
    EXPECT_EQ(server.Requests().back(), R"({"op":"execute","text":"LIST.","wait":true})");
    for (int i = 0; i < 500 && !std::filesystem::exists(started); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(std::filesystem::exists(started));
}

} // namespace
} // namespace qs::automation
