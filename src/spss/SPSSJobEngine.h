// The job engine: one worker thread that runs submitted jobs strictly one at a time,
// first in first out, against the single application reference that only it uses.
#pragma once

#include "spss/SPSSJobQueue.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// <windows.h> names a print spooler call AddJob (a macro); the job engine's member wins.
#ifdef AddJob
#undef AddJob
#endif

namespace qs {

class TSPSSJobEngine {
public:
    using TJobEvent = std::function<void(TSPSSJobEngine& Sender, std::unique_ptr<TSPSSJob>& Job)>;
    using TJobUnfinishedEvent = std::function<void(
        TSPSSJobEngine& Sender, std::unique_ptr<TSPSSJob>& Job, bool& Retry)>;
    using TErrorEvent = std::function<void(TSPSSJobEngine& Sender, const std::string& Message)>;

    // A suspended engine starts its worker on the first push (or Start), so that events
    // can be assigned before any job runs.
    explicit TSPSSJobEngine(bool CreateSuspended = true);
    // Ends in order: the job that is running completes, jobs still pending are freed
    // without running, then both queues are cleared. A derived engine must call Stop in
    // its own destructor, as the worker calls its overrides.
    virtual ~TSPSSJobEngine();
    TSPSSJobEngine(const TSPSSJobEngine&) = delete;
    TSPSSJobEngine& operator=(const TSPSSJobEngine&) = delete;

    // Takes the job over and wakes the worker; returns at once. After the worker has ended
    // (stopped, or ended by an escaped error) the job is refused and freed: false.
    bool AddJob(std::unique_ptr<TSPSSJob> Job);
    void Start();
    // Makes the worker leave its loop once nothing is runnable; Wait then joins it.
    void SetStopWhenIdle();
    void Wait();
    // Blocks until every job submitted so far has run, or the worker has ended: a question
    // to the engine asked afterwards then sees what those jobs did.
    void WaitIdle();
    // Lets the running job finish, drops the pending ones' turn and joins the worker.
    void Stop();
    // As Stop, but a job blocked in a call to the engine is woken at once and fails, so
    // that nothing waits for a run (the engine may go on with it).
    void Abort();
    // Frees the jobs that have not started; returns how many there were.
    std::size_t DropPending();
    // No job is running and none waits.
    bool Idle() const;
    bool Ended() const;

    // Events run on the worker thread; assign them before the worker starts.
    TJobEvent OnBeforeJob;
    TJobUnfinishedEvent OnJobUnfinished;
    TJobEvent OnJobDone;
    // Makes a new engine connection when a job finds the engine gone; the job then runs
    // once more on it. Unset: the job fails.
    std::function<std::unique_ptr<automation::ISpssApp>()> Reconnect;
    // Called on the worker with the new connection, before the job runs again.
    std::function<void(automation::ISpssApp& App)> OnReconnected;
    // An error that escaped the job protocol (from an event or a job's destructor); the
    // worker ends after it. The UI posts it to a message box on its own thread.
    TErrorEvent OnWorkerError;

    TSPSSJobQueue PendingJobs{this};
    // Unfinished jobs when no OnJobUnfinished is assigned; touched by the worker only
    // until it has ended.
    TSPSSJobQueue FailedJobs;
    // Set by the attach job; used by the worker alone.
    std::unique_ptr<automation::ISpssApp> SpssApp;

protected:
    virtual void Execute();
    virtual void DoBeforeJob(std::unique_ptr<TSPSSJob>& Job);
    virtual void DoJobUnfinished(std::unique_ptr<TSPSSJob>& Job);
    virtual void DoJobDone(std::unique_ptr<TSPSSJob>& Job);

private:
    friend class TSPSSJobQueue;
    void Wake();
    void StartLocked();
    void RunOne(std::unique_ptr<TSPSSJob> Job);
    void Settle(std::unique_ptr<TSPSSJob>& Job, bool Finished);
    void RunOnEngine(TSPSSJob& Job);
    void Renew(TSPSSJob& Job);

    // The worker sleeps on PendingJobs' lock, which also guards the flags below.
    std::condition_variable m_Wake;
    std::condition_variable m_Idle;
    bool m_Busy = false; // a job taken from the queue is running
    automation::ISpssApp* m_RunningApp = nullptr; // what the running job calls, for Abort
    bool m_Started = false;
    bool m_Stop = false;
    bool m_StopWhenIdle = false;
    bool m_Ended = false;
    std::thread m_Worker;
};

// The program-wide engine, made suspended on first use; it ends with the process, letting
// a running job finish and dropping the pending ones.
TSPSSJobEngine& JobEngine();

} // namespace qs
