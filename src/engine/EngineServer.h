// The engine's end of the user's socket: one engine per user (a lock in the private
// folder decides), only the user's own processes get in, requests arrive as lines.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <sys/types.h>

namespace qs::engine {

class EngineServer : public QObject {
    Q_OBJECT
public:
    enum class Claim { Serving, OtherEngineRuns, Failed };

    explicit EngineServer(QObject* parent = nullptr);
    ~EngineServer() override;

    // Takes the user's engine lock and listens on `socketPath` (its folder already
    // checked); a socket file left by an engine that crashed is replaced.
    Claim Listen(const std::string& socketPath, std::string* error);
    // Sends one reply line (LF included); with `thenClose` the connection ends after it.
    void Reply(std::uint64_t client, std::string line, bool thenClose = false);
    void Close(std::uint64_t client);
    // Reads what every connection has sent so far, in the order the connections were made.
    void ReadAll();
    // While held, nothing more is read from `client` (its requests wait their turn).
    void Hold(std::uint64_t client, bool hold);
    // The process at the other end of `client` (0 when it has gone).
    pid_t PeerPid(std::uint64_t client) const;
    // Stops listening and removes the socket file.
    void Shutdown();

signals:
    void RequestArrived(quint64 client, const QByteArray& line);
    void ClientGone(quint64 client);

private:
    void RefuseOneForLackOfDescriptors();
    struct Client {
        int fd = -1;
        std::string in;
        std::string out;
        std::size_t sent = 0; // of `out`, already sent
        bool closeAfterWrite = false;
        bool held = false;
        pid_t pid = 0;
        std::unique_ptr<QSocketNotifier> reader;
        std::unique_ptr<QSocketNotifier> writer;
    };

    void Accept();
    void Read(std::uint64_t id);
    void Write(std::uint64_t id);
    void Drop(std::uint64_t id, bool announce);
    // Reading goes on while the client takes its replies and is not held.
    static bool MayRead(const Client& client);
    void UpdateReading(Client& client);

    int m_listenFd = -1;
    int m_lockFd = -1;
    // Kept free for the moment the process runs out of descriptors: closed, it lets one
    // waiting connection in to be told so and closed, instead of waking us again and again.
    int m_spareFd = -1;
    std::string m_socketPath;
    std::unique_ptr<QSocketNotifier> m_acceptor;
    std::map<std::uint64_t, std::unique_ptr<Client>> m_clients;
    std::uint64_t m_nextId = 1;
};

} // namespace qs::engine
