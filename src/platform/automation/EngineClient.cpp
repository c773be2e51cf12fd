// Requests to quillstone-engine over the user's AF_UNIX socket, one line each way.
#include "platform/automation/EngineClient.h"
#include "platform/automation/EngineMessages.h"

#include "platform/automation/JsonLine.h"
#include "platform/shell/Shell.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qs::automation {
namespace {

using Clock = std::chrono::steady_clock;

std::string Errno(int err) {
    return std::strerror(err);
}

// Nothing listens: the socket file is missing or nobody accepts on it.
class ENobodyListens : public std::exception {};
// The engine accepted but did not reply before the caller's deadline.
class ENoReplyInTime : public std::exception {};

// While a reply without a deadline is awaited, the engine is asked this often, on a
// connection of its own, whether it still answers at all: a run may take hours, but an
// engine that is suspended or hung must not hold its caller for ever.
constexpr std::chrono::milliseconds kLivenessInterval{5000};

// Whether the engine at `socketPath` answers a greeting within kPromptReplyTimeout. An
// engine that cannot be reached is no verdict: its closing ends the waiting call anyway.
bool EngineAnswers(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) {
        return true;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return true;
    }
    bool answered = true;
    static constexpr char kHello[] = "{\"op\":\"hello\",\"v\":1}\n";
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, kHello, sizeof kHello - 1, MSG_NOSIGNAL) > 0) {
        const auto deadline = Clock::now() + kPromptReplyTimeout;
        pollfd p{fd, POLLIN, 0};
        int ready = 0;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
            if (ready >= 0 || errno != EINTR) {
                break;
            }
        }
        answered = ready != 0;
    }
    ::close(fd);
    return answered;
}

// One connection; calls from documents and the application share it in order.
class Connection {
public:
    Connection(int fd, std::string socketPath)
        : m_fd(fd), m_socket(fd), m_socketPath(std::move(socketPath)) {}
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Sends `request` and returns the reply's fields; raises EAutomationError for an
    // error reply or a broken connection. A deadline applies only to waiting for the reply.
    // Lines marked "more" that come first are handed to `piece` (the request asked for them).
    JsonObject Call(const JsonObject& request, std::optional<Clock::time_point> deadline = {},
                    const std::function<void(const JsonObject&)>& piece = {}) {
        const std::string line = EncodeJsonLine(request) + '\n';
        if (line.size() > kMaxLineBytes) {
            throw EAutomationError("the request is larger than the engine accepts (" +
                                   std::to_string(kMaxLineBytes / (1024 * 1024)) + " MiB)");
        }
        std::lock_guard lock(m_mutex);
        if (m_fd < 0) {
            throw EConnectionLost("the connection to quillstone-engine is closed");
        }
        Send(line);
        std::optional<JsonObject> reply;
        for (;;) {
            std::string error;
            reply = DecodeJsonLine(ReadLine(deadline), &error);
            if (!reply) {
                Close();
                throw EAutomationError("quillstone-engine sent a malformed reply: " + error);
            }
            if (!piece || JsonBool(*reply, "more") != true) {
                break;
            }
            piece(*reply);
        }
        if (JsonBool(*reply, "ok") != true) {
            throw EAutomationError(
                JsonString(*reply, "error").value_or("quillstone-engine failed"));
        }
        return *reply;
    }

    // Wakes a call blocked on the socket from another thread; the descriptor stays
    // open until the owner closes it.
    void Interrupt() {
        const int fd = m_socket.load();
        if (fd >= 0) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }

private:
    [[noreturn]] void Broken(const std::string& why) {
        Close();
        throw EAutomationError("the connection to quillstone-engine was lost: " + why);
    }

    void Send(const std::string& line) {
        std::size_t done = 0;
        while (done < line.size()) {
            const ssize_t n = ::send(m_fd, line.data() + done, line.size() - done, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                // Unsent: the engine got nothing of this request.
                const int err = errno;
                Close();
                throw EConnectionLost("the connection to quillstone-engine was lost: " +
                                      Errno(err));
            }
            done += static_cast<std::size_t>(n);
        }
    }

    std::string ReadLine(std::optional<Clock::time_point> deadline) {
        for (;;) {
            if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
                std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return line;
            }
            if (m_buffer.size() >= kMaxLineBytes) {
                Broken("the reply is too long");
            }
            pollfd p{m_fd, POLLIN, 0};
            const auto left =
                deadline ? std::chrono::duration_cast<std::chrono::milliseconds>(*deadline -
                                                                                 Clock::now())
                         : kLivenessInterval;
            const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready == 0 && deadline) {
                Close();
                throw ENoReplyInTime();
            }
            if (ready == 0) {
                if (EngineAnswers(m_socketPath)) {
                    continue; // busy with a long run, but there
                }
                Close();
                throw EAutomationError(
                    std::string(kEngineProgramName) + " stopped answering while a request " +
                    "waited (it is suspended or hung), so the editor no longer waits for it. " +
                    "Continued, the engine still carries the request out; or end the engine.");
            }
            char chunk[65536];
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                Broken(Errno(errno));
            }
            if (n == 0) {
                Broken("quillstone-engine closed the connection");
            }
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }

    void Close() {
        if (m_fd >= 0) {
            m_socket = -1;
            ::close(m_fd);
            m_fd = -1;
        }
    }

    std::mutex m_mutex;
    int m_fd;
    std::atomic<int> m_socket; // m_fd, for Interrupt from another thread
    std::string m_socketPath;  // where to ask whether the engine still answers
    std::string m_buffer;
};

using ConnectionPtr = std::shared_ptr<Connection>;

// A request the engine answers at once, run or no run: a silent engine (stopped, hung)
// becomes an error instead of a wait without end.
JsonObject CallSoon(Connection& connection, const JsonObject& request) {
    try {
        return connection.Call(request, Clock::now() + kPromptReplyTimeout);
    } catch (const ENoReplyInTime&) {
        throw EAutomationError(std::string(kEngineProgramName) + " did not answer within " +
                               std::to_string(kPromptReplyTimeout.count() / 1000) + " s");
    }
}

class EngineDocument : public ISpssDocument {
public:
    EngineDocument(ConnectionPtr connection, std::int64_t kind)
        : m_connection(std::move(connection)), m_kind(kind) {}

    void SetVisible(bool visible) override {
        CallSoon(*m_connection, {{"op", "set_visible"}, {"kind", m_kind}, {"visible", visible}});
    }
    void SetWindowState(std::int32_t state) override {
        CallSoon(*m_connection, {{"op", "set_window_state"},
                                 {"kind", m_kind},
                                 {"state", static_cast<std::int64_t>(state)}});
    }
    std::string GetBannerText() override {
        return Value(CallSoon(*m_connection, {{"op", "banner_text"}, {"kind", m_kind}}));
    }
    std::string GetDocumentPath() override {
        return Value(CallSoon(*m_connection, {{"op", "document_path"}, {"kind", m_kind}}));
    }
    void SaveAs(const std::string& path) override {
        m_connection->Call({{"op", "save_as"}, {"kind", m_kind}, {"path", path}});
    }
    std::string SaveDictionaryCopy() override {
        return Value(m_connection->Call({{"op", "save_dictionary"}, {"kind", m_kind}}));
    }

private:
    static std::string Value(const JsonObject& reply) {
        auto value = JsonString(reply, "value");
        if (!value) {
            throw EAutomationError("quillstone-engine sent a reply without a value");
        }
        return *value;
    }

    ConnectionPtr m_connection;
    std::int64_t m_kind;
};

class EngineDocuments : public ISpssDocuments {
public:
    explicit EngineDocuments(ConnectionPtr connection) : m_connection(std::move(connection)) {}

    std::unique_ptr<ISpssDocument> GetDataDoc(std::int32_t index) override {
        // The engine holds one active dataset; only its index exists.
        if (index != 0) {
            throw EAutomationError("there is no data document " + std::to_string(index));
        }
        return std::make_unique<EngineDocument>(m_connection, 0);
    }

private:
    ConnectionPtr m_connection;
};

class EngineApp : public ISpssApp {
public:
    explicit EngineApp(ConnectionPtr connection) : m_connection(std::move(connection)) {}

    void ExecuteCommands(const std::string& commands, bool wait) override {
        m_connection->Call({{"op", "execute"}, {"text", commands}, {"wait", wait}});
    }
    std::optional<std::vector<EngineMessage>> ExecuteCommandsReporting(
        const std::string& commands, const RunPlace& place = {}) override {
        JsonObject request{{"op", "execute"}, {"text", commands}, {"wait", true}, {"messages", true}};
        if (place.firstLine != 1) {
            request.emplace("line", place.firstLine);
        }
        if (!place.textFile.empty()) {
            request.emplace("text_file", place.textFile);
        }
        const JsonObject reply = m_connection->Call(request);
        const auto messages = JsonString(reply, "messages");
        if (!messages) {
            return std::nullopt; // an engine from before messages were sent
        }
        return DecodeEngineMessages(*messages);
    }
    std::unique_ptr<ISpssDocuments> Documents() override {
        return std::make_unique<EngineDocuments>(m_connection);
    }
    std::unique_ptr<ISpssDocument> GetOutputDoc() override {
        return std::make_unique<EngineDocument>(m_connection, 1);
    }
    std::unique_ptr<ISpssDocument> GetDesignerDoc() override {
        return std::make_unique<EngineDocument>(m_connection, 2);
    }
    bool GuardsPendingTransformations() const override { return true; }

    bool StopRuns() override {
        CallSoon(*m_connection, {{"op", "cancel"}});
        return true;
    }
    void Note(const std::string& text) override {
        CallSoon(*m_connection, {{"op", "note"}, {"text", text}});
    }
    void Interrupt() override { m_connection->Interrupt(); }
    ReportedRun ExecuteReported(const std::string& commands, const std::string& folder,
                                bool items) {
        JsonObject request{{"op", "execute"},
                           {"text", commands},
                           {"wait", true},
                           {"report", true},
                           {"pieces", true},
                           {"items", items}};
        if (!folder.empty()) {
            request.emplace("folder", folder);
        }
        ReportedRun run;
        const JsonObject reply = m_connection->Call(request, {}, [&](const JsonObject& piece) {
            run.output += JsonString(piece, "output").value_or("");
            run.html += JsonString(piece, "html").value_or("");
        });
        run.output += JsonString(reply, "output").value_or("");
        run.html += JsonString(reply, "html").value_or("");
        const std::string charts = JsonString(reply, "charts").value_or("");
        for (std::size_t start = 0, end; (end = charts.find('\n', start)) != std::string::npos;
             start = end + 1) {
            run.charts.push_back(charts.substr(start, end - start));
        }
        run.errors = JsonInt(reply, "errors").value_or(0);
        run.warnings = JsonInt(reply, "warnings").value_or(0);
        return run;
    }

private:
    ConnectionPtr m_connection;
};

// Connects and greets; ENobodyListens when no engine is there (yet).
std::unique_ptr<ISpssApp> TryConnect(const std::string& socketPath,
                                     std::optional<Clock::time_point> deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        throw EAutomationError("the engine socket path is too long: " + socketPath);
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw EAutomationError("cannot create a socket: " + Errno(errno));
    }
    auto connection = std::make_shared<Connection>(fd, socketPath);
    int rc;
    while ((rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address)) != 0 &&
           errno == EINTR) {
    }
    if (rc != 0) {
        const int err = errno;
        if (err == ENOENT || err == ECONNREFUSED) {
            throw ENobodyListens();
        }
        throw EAutomationError("cannot connect to " + socketPath + ": " + Errno(err));
    }
    // Whoever bound the socket must be this user, or it could read everything we send.
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid()) {
        throw EAutomationError("the process listening on " + socketPath +
                               " belongs to another user");
    }
    const JsonObject hello = connection->Call({{"op", "hello"}, {"v", kProtocolVersion}}, deadline);
    if (JsonInt(hello, "v") != kProtocolVersion) {
        throw EAutomationError("quillstone-engine speaks another protocol version");
    }
    return std::make_unique<EngineApp>(std::move(connection));
}

std::string SocketPathOrThrow() {
    SocketPathResult where = EngineSocketPath(false);
    if (!where.error.empty()) {
        throw EAutomationError("refusing the engine socket: " + where.error);
    }
    return where.path;
}

} // namespace

SocketPathResult EngineSocketPath(bool createFolder) {
    PrivateFolderResult folder = PrivateRunFolder(createFolder);
    if (!folder.error.empty()) {
        return {{}, std::move(folder.error)};
    }
    return {folder.path + "/engine.sock", {}};
}

std::unique_ptr<ISpssApp> ConnectEngine(const std::string& socketPath) {
    try {
        return TryConnect(socketPath, std::nullopt);
    } catch (const ENobodyListens&) {
        throw EAutomationError(kOperationUnavailable);
    }
}

std::unique_ptr<ISpssApp> CreateEngine(const EngineLaunch& launch) {
    const std::filesystem::path folder =
        launch.programFolder.empty() ? std::filesystem::path(ProgramFilePath()).parent_path()
                                     : launch.programFolder;
    const std::string program = (folder / kEngineProgramName).string();
    if (::access(program.c_str(), X_OK) != 0) {
        throw EAutomationError(std::string(kEngineProgramName) + " was not found at " + program);
    }
    const StartResult started = StartProgram(program, {});
    if (!started.ok) {
        throw EAutomationError("cannot start " + program + ": " + started.error);
    }
    const auto deadline = Clock::now() + launch.timeout;
    for (;;) {
        try {
            return TryConnect(SocketPathOrThrow(), deadline);
        } catch (const ENobodyListens&) {
        } catch (const ENoReplyInTime&) {
        }
        if (Clock::now() >= deadline) {
            const auto seconds =
                std::chrono::duration_cast<std::chrono::duration<double>>(launch.timeout).count();
            char text[32];
            std::snprintf(text, sizeof text, "%g", seconds);
            throw EAutomationError(std::string(kEngineProgramName) + " did not answer within " +
                                   text + " s");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

ReportedRun ExecuteReported(ISpssApp& app, const std::string& commands,
                            const std::string& folder, bool items) {
    auto* engine = dynamic_cast<EngineApp*>(&app);
    if (!engine) {
        throw EAutomationError("this engine does not report the output of a run");
    }
    return engine->ExecuteReported(commands, folder, items);
}

std::unique_ptr<ISpssApp> GetActiveSpssApp(Binding) {
    return ConnectEngine(SocketPathOrThrow());
}

std::unique_ptr<ISpssApp> CoSPSSApplication::Create() {
    return CreateEngine(EngineLaunch{});
}

} // namespace qs::automation
