#include "spss/SPSSJobQueue.h"

#include "spss/SPSSJobEngine.h"

namespace qs {

void TSPSSJobQueue::Push(std::unique_ptr<TSPSSJob> Job) {
    {
        std::lock_guard lock(m_Lock);
        m_Items.push_back(std::move(Job));
    }
    // The job is in the queue before the signal, and the worker tests the queue under
    // the same lock before it sleeps, so no wake-up is lost.
    if (Engine != nullptr) {
        Engine->Wake();
    }
}

std::unique_ptr<TSPSSJob> TSPSSJobQueue::Pop() {
    std::lock_guard lock(m_Lock);
    if (m_Clearing || m_Items.empty()) {
        return nullptr;
    }
    std::unique_ptr<TSPSSJob> job = std::move(m_Items.front());
    m_Items.pop_front();
    return job;
}

std::size_t TSPSSJobQueue::Count() const {
    std::lock_guard lock(m_Lock);
    return m_Clearing ? 0 : m_Items.size();
}

bool TSPSSJobQueue::Clearing() const {
    std::lock_guard lock(m_Lock);
    return m_Clearing;
}

void TSPSSJobQueue::Clear() {
    {
        std::lock_guard lock(m_Lock);
        m_Clearing = true;
    }
    struct TUnset {
        TSPSSJobQueue& Queue;
        ~TUnset() {
            std::lock_guard lock(Queue.m_Lock);
            Queue.m_Clearing = false;
        }
    } unset{*this};
    // Jobs are freed outside the lock: a job's destructor may take its time.
    for (;;) {
        std::unique_ptr<TSPSSJob> job;
        {
            std::lock_guard lock(m_Lock);
            if (m_Items.empty()) {
                break;
            }
            job = std::move(m_Items.front());
            m_Items.pop_front();
        }
    }
}

} // namespace qs
