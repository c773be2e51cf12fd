#include "spss/SPSSJobEngine.h"

#include "platform/automation/Apartment.h"

#include <chrono>
#include <exception>
#include <stdexcept>

namespace qs {

TSPSSJobEngine::TSPSSJobEngine(bool CreateSuspended) {
    if (!CreateSuspended) {
        Start();
    }
}

TSPSSJobEngine::~TSPSSJobEngine() {
    Stop();
    PendingJobs.Clear();
    FailedJobs.Clear();
}

void TSPSSJobEngine::StartLocked() {
    // Once stopped, the engine starts no worker that nobody would join.
    if (!m_Started && !m_Stop) {
        m_Started = true;
        m_Worker = std::thread([this] { Execute(); });
    }
}

void TSPSSJobEngine::Start() {
    std::lock_guard lock(PendingJobs.m_Lock);
    StartLocked();
}

void TSPSSJobEngine::Wake() {
    {
        std::lock_guard lock(PendingJobs.m_Lock);
        StartLocked();
    }
    m_Wake.notify_one();
}

bool TSPSSJobEngine::AddJob(std::unique_ptr<TSPSSJob> Job) {
    {
        std::lock_guard lock(PendingJobs.m_Lock);
        if (m_Ended || m_Stop) {
            return false;
        }
    }
    PendingJobs.Push(std::move(Job));
    return true;
}

void TSPSSJobEngine::SetStopWhenIdle() {
    {
        std::lock_guard lock(PendingJobs.m_Lock);
        m_StopWhenIdle = true;
    }
    m_Wake.notify_one();
}

void TSPSSJobEngine::Wait() {
    if (m_Worker.joinable() && m_Worker.get_id() != std::this_thread::get_id()) {
        m_Worker.join();
    }
}

void TSPSSJobEngine::Stop() {
    {
        std::lock_guard lock(PendingJobs.m_Lock);
        m_Stop = true;
    }
    m_Wake.notify_one();
    m_Idle.notify_all();
    Wait();
}

void TSPSSJobEngine::Abort() {
    {
        std::lock_guard lock(PendingJobs.m_Lock);
        m_Stop = true;
        if (m_RunningApp != nullptr) {
            m_RunningApp->Interrupt();
        }
    }
    m_Wake.notify_one();
    m_Idle.notify_all();
    Wait();
}

std::size_t TSPSSJobEngine::DropPending() {
    const std::size_t count = PendingJobs.Count();
    PendingJobs.Clear();
    m_Idle.notify_all();
    return count;
}

bool TSPSSJobEngine::Idle() const {
    std::lock_guard lock(PendingJobs.m_Lock);
    return !m_Busy && PendingJobs.m_Items.empty();
}

void TSPSSJobEngine::WaitIdle() {
    if (m_Worker.joinable() && m_Worker.get_id() == std::this_thread::get_id()) {
        return; // a job asking would wait for itself
    }
    std::unique_lock lock(PendingJobs.m_Lock);
    // Pending jobs of a stopped or never started worker will not run: nothing to wait for.
    // The queue can also be emptied by Pop or Clear, which do not signal: look again now
    // and then.
    const auto idle = [this] {
        return m_Ended || m_Stop || !m_Started || (!m_Busy && PendingJobs.m_Items.empty());
    };
    while (!m_Idle.wait_for(lock, std::chrono::milliseconds(50), idle)) {
    }
}

bool TSPSSJobEngine::Ended() const {
    std::lock_guard lock(PendingJobs.m_Lock);
    return m_Ended;
}

void TSPSSJobEngine::Execute() {
    // The worker's engine reference lives in the multithreaded apartment; it is released
    // before the thread leaves it.
    automation::ThreadApartment apartment(automation::ThreadApartment::Kind::Multi);
    try {
        if (!apartment.Usable()) {
            throw std::runtime_error("The job worker cannot reach the engine's automation");
        }
        for (;;) {
            std::unique_ptr<TSPSSJob> job;
            {
                std::unique_lock lock(PendingJobs.m_Lock);
                const auto runnable = [this] {
                    return !PendingJobs.m_Clearing && !PendingJobs.m_Items.empty();
                };
                // Sleeps without using the processor until a push, a stop or an idle stop.
                m_Wake.wait(lock, [&] { return m_Stop || m_StopWhenIdle || runnable(); });
                if (m_Stop || !runnable()) {
                    break;
                }
                job = std::move(PendingJobs.m_Items.front());
                PendingJobs.m_Items.pop_front();
                m_Busy = true;
            }
            RunOne(std::move(job));
            {
                std::lock_guard lock(PendingJobs.m_Lock);
                m_Busy = false;
            }
            m_Idle.notify_all();
        }
    } catch (const std::exception& e) {
        if (OnWorkerError) {
            OnWorkerError(*this, e.what());
        }
    } catch (...) {
        if (OnWorkerError) {
            OnWorkerError(*this, "Unknown error");
        }
    }
    SpssApp.reset();
    {
        std::lock_guard lock(PendingJobs.m_Lock);
        m_Ended = true;
        m_Busy = false;
    }
    m_Idle.notify_all();
}

void TSPSSJobEngine::RunOne(std::unique_ptr<TSPSSJob> Job) {
    bool finished = false;
    try {
        DoBeforeJob(Job);
        if (Job) {
            RunOnEngine(*Job);
            if (!Job->Finished && Job->ConnectionLost) {
                Renew(*Job);
            }
            finished = Job->Finished;
        }
    } catch (...) {
        // The job is settled even when an event or the job let an error escape.
        Settle(Job, finished);
        throw;
    }
    Settle(Job, finished);
}

void TSPSSJobEngine::RunOnEngine(TSPSSJob& Job) {
    {
        std::lock_guard lock(PendingJobs.m_Lock);
        m_RunningApp = SpssApp.get();
    }
    struct Clear {
        TSPSSJobEngine& engine;
        ~Clear() {
            std::lock_guard lock(engine.PendingJobs.m_Lock);
            engine.m_RunningApp = nullptr;
        }
    } clear{*this};
    Job.Run(SpssApp);
}

void TSPSSJobEngine::Renew(TSPSSJob& Job) {
    {
        std::lock_guard lock(PendingJobs.m_Lock);
        if (!Reconnect || m_Stop) {
            return;
        }
    }
    // Once per job: a second loss is reported like any other failure.
    try {
        std::unique_ptr<automation::ISpssApp> app = Reconnect();
        if (!app) {
            return;
        }
        SpssApp = std::move(app);
        if (OnReconnected) {
            OnReconnected(*SpssApp);
        }
    } catch (const automation::EAutomationError& e) {
        Job.ErrorMessage += std::string("; no new engine could be started: ") + e.what();
        return;
    }
    Job.ErrorMessage.clear();
    RunOnEngine(Job);
}

void TSPSSJobEngine::Settle(std::unique_ptr<TSPSSJob>& Job, bool Finished) {
    if (Finished && Job) {
        DoJobDone(Job);
        Job.reset();
    } else if (Job) {
        DoJobUnfinished(Job);
    }
}

void TSPSSJobEngine::DoBeforeJob(std::unique_ptr<TSPSSJob>& Job) {
    if (OnBeforeJob) {
        OnBeforeJob(*this, Job);
    }
}

void TSPSSJobEngine::DoJobDone(std::unique_ptr<TSPSSJob>& Job) {
    if (OnJobDone) {
        OnJobDone(*this, Job);
    }
}

void TSPSSJobEngine::DoJobUnfinished(std::unique_ptr<TSPSSJob>& Job) {
    if (!OnJobUnfinished) {
        FailedJobs.Push(std::move(Job));
        return;
    }
    bool retry = false;
    OnJobUnfinished(*this, Job, retry);
    if (!retry) {
        // A handler that keeps the job moves it out of Job; what it leaves is freed.
        Job.reset();
        return;
    }
    // Back to the tail under the queue's lock, so the worker cannot see it half put.
    PendingJobs.Push(std::move(Job));
}

TSPSSJobEngine& JobEngine() {
    static TSPSSJobEngine engine(true);
    return engine;
}

} // namespace qs
