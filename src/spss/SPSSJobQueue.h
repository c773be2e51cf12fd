// A first-in-first-out queue of jobs, safe to share between the UI thread and the worker.
// The queue of pending jobs wakes its engine's worker on every push.
#pragma once

#include "spss/SPSSBaseJobs.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

namespace qs {

class TSPSSJobEngine;

class TSPSSJobQueue {
public:
    explicit TSPSSJobQueue(TSPSSJobEngine* engine = nullptr) : Engine(engine) {}
    ~TSPSSJobQueue() { Clear(); }
    TSPSSJobQueue(const TSPSSJobQueue&) = delete;
    TSPSSJobQueue& operator=(const TSPSSJobQueue&) = delete;

    // Appends at the tail and, when the queue belongs to an engine, wakes its worker.
    void Push(std::unique_ptr<TSPSSJob> Job);
    // The oldest job; nothing while Clearing or when empty.
    std::unique_ptr<TSPSSJob> Pop();
    // 0 while Clearing.
    std::size_t Count() const;
    // Frees every job without running it.
    void Clear();
    bool Clearing() const;

    TSPSSJobEngine* const Engine;

private:
    friend class TSPSSJobEngine; // the worker sleeps on this queue's lock

    mutable std::mutex m_Lock;
    std::deque<std::unique_ptr<TSPSSJob>> m_Items;
    bool m_Clearing = false;
};

} // namespace qs
