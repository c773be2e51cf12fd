// The editor's ear for the engine: a connection of its own that waits for the engine to ask
// the editor to show a line (the user clicked a message in the engine's Output window).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace qs::automation {

class EngineWatch {
public:
    // `onLine` gets the 1-based document line, on the watch's own thread. The watch waits
    // for an engine to appear, and for a new one when one ends.
    explicit EngineWatch(std::function<void(std::int64_t line)> onLine);
    ~EngineWatch();
    EngineWatch(const EngineWatch&) = delete;
    EngineWatch& operator=(const EngineWatch&) = delete;

private:
    void Run();
    // One connection's life: false when it could not be made.
    bool Watch(const std::string& socketPath);
    void Pause();

    std::function<void(std::int64_t)> m_onLine;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_fd{-1};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

} // namespace qs::automation
