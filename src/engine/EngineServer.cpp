// Non-blocking AF_UNIX serving on the Qt event loop; requests are handed on whole.
#include "engine/EngineServer.h"
#include "platform/automation/EngineClient.h"

#include <QTimer>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qs::engine {
namespace {

// A client that sends requests without reading the replies is read no further once this
// much waits for it: the engine's memory stays bounded by what it sends, not by what the
// client sends.
constexpr std::size_t kMaxUnsentBytes = 4u * 1024u * 1024u;

} // namespace

EngineServer::EngineServer(QObject* parent) : QObject(parent) {}

EngineServer::~EngineServer() {
    Shutdown();
}

EngineServer::Claim EngineServer::Listen(const std::string& socketPath, std::string* error) {
    const auto fail = [&](const std::string& why) {
        *error = why;
        return Claim::Failed;
    };
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        return fail("the socket path is too long: " + socketPath);
    }
    // The lock, not the socket file, says whether an engine serves: a crash releases it.
    const std::string lockPath =
        std::filesystem::path(socketPath).parent_path().string() + "/engine.lock";
    // Through the folder's own handle, and only a private file of ours: a link or a file
    // of someone else's at the name is refused, not written.
    const int folder = ::open(std::filesystem::path(socketPath).parent_path().c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    m_lockFd = folder < 0 ? -1
                          : ::openat(folder, "engine.lock",
                                     O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    const int openError = errno;
    if (folder >= 0) {
        ::close(folder);
    }
    if (m_lockFd < 0) {
        return fail("cannot open " + lockPath + ": " + std::strerror(openError));
    }
    struct stat st {};
    if (::fstat(m_lockFd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
        st.st_nlink != 1 || (st.st_mode & 077) != 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
        return fail(lockPath + " is not a private file of this user's");
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(m_lockFd);
        m_lockFd = -1;
        if (err == EWOULDBLOCK) {
            return Claim::OtherEngineRuns;
        }
        return fail("cannot lock " + lockPath + ": " + std::strerror(err));
    }
    // Who serves, for the user's own tools.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(m_lockFd, 0) != 0 || ::pwrite(m_lockFd, pid.data(), pid.size(), 0) < 0) {
        return fail("cannot write " + lockPath + ": " + std::strerror(errno));
    }
    ::unlink(socketPath.c_str());
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        return fail(std::string("cannot create a socket: ") + std::strerror(errno));
    }
    // The folder is the user's alone; the mode of the file is a second fence.
    if (::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(socketPath.c_str(), 0600) != 0 || ::listen(m_listenFd, SOMAXCONN) != 0) {
        return fail("cannot listen on " + socketPath + ": " + std::strerror(errno));
    }
    m_socketPath = socketPath;
    m_spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    m_acceptor = std::make_unique<QSocketNotifier>(m_listenFd, QSocketNotifier::Read);
    connect(m_acceptor.get(), &QSocketNotifier::activated, this, &EngineServer::Accept);
    return Claim::Serving;
}

void EngineServer::Shutdown() {
    m_acceptor.reset();
    while (!m_clients.empty()) {
        Drop(m_clients.begin()->first, false);
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        ::unlink(m_socketPath.c_str());
    }
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
    if (m_spareFd >= 0) {
        ::close(m_spareFd);
        m_spareFd = -1;
    }
}

void EngineServer::Accept() {
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
            RefuseOneForLackOfDescriptors();
            return;
        }
        if (fd < 0) {
            return; // EAGAIN, or a connection that went away before we took it
        }
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid()) {
            ::close(fd);
            continue;
        }
        const std::uint64_t id = m_nextId++;
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->pid = peer.pid;
        client->reader = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(client->reader.get(), &QSocketNotifier::activated, this, [this, id] { Read(id); });
        m_clients.emplace(id, std::move(client));
    }
}

void EngineServer::RefuseOneForLackOfDescriptors() {
    if (m_spareFd >= 0) {
        ::close(m_spareFd);
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            static constexpr char kReply[] =
                "{\"ok\":false,\"error\":\"quillstone-engine has too many connections open; "
                "try again later\"}\n";
            [[maybe_unused]] const auto n = ::send(fd, kReply, sizeof kReply - 1, MSG_NOSIGNAL);
            ::close(fd);
        }
        m_spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (m_spareFd >= 0) {
            return;
        }
    }
    // No spare to give up: stop listening for a moment rather than spin on the backlog.
    m_acceptor->setEnabled(false);
    QTimer::singleShot(200, this, [this] {
        if (m_acceptor) {
            m_acceptor->setEnabled(true);
        }
    });
}

void EngineServer::Read(std::uint64_t id) {
    const auto it = m_clients.find(id);
    if (it == m_clients.end()) {
        return;
    }
    Client& client = *it->second;
    char buffer[65536];
    for (;;) {
        if (!MayRead(client)) {
            UpdateReading(client);
            return;
        }
        const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            break;
        }
        if (n <= 0) {
            Drop(id, true);
            return;
        }
        client.in.append(buffer, static_cast<std::size_t>(n));
        std::size_t start = 0;
        for (std::size_t nl; (nl = client.in.find('\n', start)) != std::string::npos;
             start = nl + 1) {
            emit RequestArrived(id, QByteArray(client.in.data() + start,
                                               static_cast<qsizetype>(nl - start)));
            if (!m_clients.count(id)) {
                return; // the request ended the connection
            }
        }
        client.in.erase(0, start);
        if (client.in.size() >= automation::kMaxLineBytes) {
            client.in.clear();
            client.reader->setEnabled(false);
            Reply(id, "{\"ok\":false,\"error\":\"request too large\"}\n", true);
            return;
        }
    }
}

void EngineServer::Reply(std::uint64_t client, std::string line, bool thenClose) {
    const auto it = m_clients.find(client);
    if (it == m_clients.end()) {
        return; // it went away while its request ran
    }
    if (it->second->sent == it->second->out.size()) {
        it->second->sent = 0;
        it->second->out = std::move(line); // a long reply is not copied again
    } else {
        it->second->out += line;
    }
    it->second->closeAfterWrite = it->second->closeAfterWrite || thenClose;
    Write(client);
}

void EngineServer::ReadAll() {
    std::vector<std::uint64_t> ids;
    for (const auto& [id, client] : m_clients) {
        if (!client->closeAfterWrite) { // refused already: nothing more is read from it
            ids.push_back(id);
        }
    }
    for (const std::uint64_t id : ids) {
        Read(id);
    }
}

pid_t EngineServer::PeerPid(std::uint64_t id) const {
    const auto it = m_clients.find(id);
    return it == m_clients.end() ? 0 : it->second->pid;
}

void EngineServer::Hold(std::uint64_t id, bool hold) {
    const auto it = m_clients.find(id);
    if (it == m_clients.end() || it->second->held == hold) {
        return;
    }
    it->second->held = hold;
    UpdateReading(*it->second);
}

bool EngineServer::MayRead(const Client& client) {
    return !client.held && !client.closeAfterWrite &&
           client.out.size() - client.sent < kMaxUnsentBytes;
}

void EngineServer::UpdateReading(Client& client) {
    // Level-triggered: what waits in the socket wakes the reader again once enabled.
    if (client.reader) {
        client.reader->setEnabled(MayRead(client));
    }
}

void EngineServer::Close(std::uint64_t client) {
    Drop(client, false);
}

void EngineServer::Write(std::uint64_t id) {
    const auto it = m_clients.find(id);
    if (it == m_clients.end()) {
        return;
    }
    Client& client = *it->second;
    while (client.sent < client.out.size()) {
        const ssize_t n = ::send(client.fd, client.out.data() + client.sent,
                                 client.out.size() - client.sent, MSG_NOSIGNAL);
        if (n > 0) {
            client.sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            // What went is dropped now and then, not after every send: a long reply
            // would be moved down again and again.
            if (client.sent > kMaxUnsentBytes / 4 && client.sent * 2 > client.out.size()) {
                client.out.erase(0, client.sent);
                client.sent = 0;
            }
            if (!client.writer) {
                client.writer = std::make_unique<QSocketNotifier>(client.fd, QSocketNotifier::Write);
                connect(client.writer.get(), &QSocketNotifier::activated, this,
                        [this, id] { Write(id); });
            }
            client.writer->setEnabled(true);
            return;
        }
        Drop(id, true);
        return;
    }
    client.out.clear();
    client.sent = 0;
    if (client.writer) {
        client.writer->setEnabled(false);
    }
    if (client.closeAfterWrite) {
        Drop(id, true);
        return;
    }
    // The client has taken its replies: the memory they held goes back, and it is heard again.
    if (client.out.capacity() > kMaxUnsentBytes) {
        std::string().swap(client.out);
        ::malloc_trim(0);
    }
    UpdateReading(client);
}

void EngineServer::Drop(std::uint64_t id, bool announce) {
    const auto it = m_clients.find(id);
    if (it == m_clients.end()) {
        return;
    }
    std::unique_ptr<Client> client = std::move(it->second);
    m_clients.erase(it);
    // The notifiers may be the ones whose signal runs now: let the loop delete them.
    for (auto* notifier : {client->reader.release(), client->writer.release()}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    ::close(client->fd);
    if (announce) {
        emit ClientGone(id);
    }
}

} // namespace qs::engine
