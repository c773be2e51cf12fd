// A blocking reader on a thread of its own: the editor's jobs keep their one connection, and
// this one may wait for hours.
#include "platform/automation/EngineWatch.h"

#include "platform/automation/EngineClient.h"
#include "platform/automation/JsonLine.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace qs::automation {
namespace {

// How often to look for an engine when none answers.
constexpr std::chrono::seconds kRetry{2};

bool SendAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

EngineWatch::EngineWatch(std::function<void(std::int64_t line)> onLine)
    : m_onLine(std::move(onLine)), m_thread([this] { Run(); }) {}

EngineWatch::~EngineWatch() {
    m_stop = true;
    if (const int fd = m_fd.load(); fd >= 0) {
        ::shutdown(fd, SHUT_RDWR); // wakes the blocked read
    }
    m_wake.notify_all();
    m_thread.join();
}

void EngineWatch::Pause() {
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, kRetry, [this] { return m_stop.load(); });
}

void EngineWatch::Run() {
    while (!m_stop) {
        const SocketPathResult where = EngineSocketPath(false);
        if (!where.error.empty() || !Watch(where.path)) {
            Pause();
            continue;
        }
        Pause(); // the engine ended: a new one may come
    }
}

bool EngineWatch::Watch(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    m_fd = fd;
    ucred peer{};
    socklen_t size = sizeof peer;
    // Only the user's own engine may tell the editor where to go.
    bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
              ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
              peer.uid == ::getuid() && !m_stop &&
              SendAll(fd, "{\"op\":\"hello\",\"v\":1}\n{\"op\":\"watch\"}\n");
    std::string buffer;
    bool greeted = false;
    char chunk[4096];
    while (ok && !m_stop) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            break;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; ok && (end = buffer.find('\n')) != std::string::npos;) {
            const auto reply = DecodeJsonLine(std::string_view(buffer).substr(0, end), nullptr);
            buffer.erase(0, end + 1);
            if (!reply || JsonBool(*reply, "ok") != true) {
                ok = false; // an engine that does not know the request: nothing to wait for
            } else if (!greeted) {
                greeted = true;
            } else {
                const std::string value = JsonString(*reply, "value").value_or("");
                if (value.rfind("line\t", 0) == 0) {
                    m_onLine(std::atoll(value.c_str() + 5));
                }
                ok = SendAll(fd, "{\"op\":\"watch\"}\n");
            }
        }
    }
    m_fd = -1;
    ::close(fd);
    return greeted;
}

} // namespace qs::automation
