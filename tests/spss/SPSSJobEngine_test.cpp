// The job queue and the worker: order, wake-up, the fate of failed jobs, the events and
// an orderly end. Every wait is bounded so a lost wake-up fails instead of hanging.
#include "spss/SPSSJobEngine.h"
#include "RecordingApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <future>
#include <numeric>
#include <mutex>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace qs {
namespace {

using namespace std::chrono_literals;
using AppRef = std::unique_ptr<automation::ISpssApp>;

constexpr auto kPatience = 20s;

// Counts events and lets the test wait for a number of them.
class Signal {
public:
    void Add() {
        {
            std::lock_guard lock(m_Lock);
            ++m_Count;
        }
        m_Changed.notify_all();
    }
    bool WaitFor(int count) {
        std::unique_lock lock(m_Lock);
        return m_Changed.wait_for(lock, kPatience, [&] { return m_Count >= count; });
    }

private:
    std::mutex m_Lock;
    std::condition_variable m_Changed;
    int m_Count = 0;
};

// A job that runs a function; what it throws is the test's choice.
class FnJob : public TSPSSJob {
public:
    explicit FnJob(std::function<void()> fn) : m_Fn(std::move(fn)) {}

protected:
    void Execute(AppRef&) override {
        m_Fn();
        Finished = true;
    }

private:
    std::function<void()> m_Fn;
};

std::unique_ptr<TSPSSJob> Job(std::function<void()> fn) {
    return std::make_unique<FnJob>(std::move(fn));
}

// 'S' while the thread sleeps in the kernel, 'R' while it runs or waits for a processor.
char ThreadState(long tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const auto close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
}

TEST(JobEngine, RunsJobsInSubmissionOrderAndSleepsUntilWoken) {
    // Declared before the engine: the worker may still touch them until it is joined.
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    std::vector<int> order; // written by the worker only
    Signal ran;
    std::atomic<long> workerTid{0};
    TSPSSJobEngine engine;
    engine.AddJob(Job([&] {
        workerTid = static_cast<long>(::syscall(SYS_gettid));
        opened.wait();
    }));
    for (int i = 0; i < 100; ++i) {
        engine.AddJob(Job([&, i] {
            order.push_back(i);
            ran.Add();
        }));
    }
    gate.set_value();
    ASSERT_TRUE(ran.WaitFor(100));
    std::vector<int> expected(100);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);

    // Idle, the worker blocks in the kernel instead of spinning.
    char state = '?';
    for (auto until = std::chrono::steady_clock::now() + kPatience;
         state != 'S' && std::chrono::steady_clock::now() < until;) {
        std::this_thread::sleep_for(1ms);
        state = ThreadState(workerTid);
    }
    EXPECT_EQ(state, 'S');

    // One push wakes it.
    engine.AddJob(Job([&] { ran.Add(); }));
    EXPECT_TRUE(ran.WaitFor(101));
}

TEST(JobEngine, WaitIdleReturnsOnlyAfterEveryJobSubmittedBeforeItHasRun) {
    std::atomic<int> done{0};
    TSPSSJobEngine engine;
    engine.AddJob(Job([&] {
        std::this_thread::sleep_for(100ms); // still running when the wait begins
        ++done;
    }));
    for (int i = 0; i < 20; ++i) {
        engine.AddJob(Job([&] { ++done; }));
    }
    engine.WaitIdle();
    EXPECT_EQ(done.load(), 21);

    // A stopped engine runs nothing more, so waiting for it must not hang.
    engine.Stop();
    engine.AddJob(Job([&] { ++done; }));
    engine.WaitIdle();
    EXPECT_EQ(done.load(), 21);
}

TEST(JobEngine, ConcurrentProducersEachJobRunsOnceInProducerOrder) {
    constexpr int kProducers = 4;
    constexpr int kPerProducer = 10000;
    std::vector<std::vector<int>> seen(kProducers); // written by the worker only
    {
        TSPSSJobEngine engine;
        std::vector<std::thread> producers;
        for (int p = 0; p < kProducers; ++p) {
            producers.emplace_back([&engine, &seen, p] {
                for (int i = 0; i < kPerProducer; ++i) {
                    engine.AddJob(Job([&seen, p, i] { seen[p].push_back(i); }));
                }
            });
        }
        for (auto& t : producers) {
            t.join();
        }
        engine.SetStopWhenIdle();
        engine.Wait();
        EXPECT_EQ(engine.FailedJobs.Count(), 0u);
    }
    for (int p = 0; p < kProducers; ++p) {
        ASSERT_EQ(seen[p].size(), static_cast<std::size_t>(kPerProducer)) << "producer " << p;
        for (int i = 0; i < kPerProducer; ++i) {
            ASSERT_EQ(seen[p][i], i) << "producer " << p;
        }
    }
}

TEST(JobEngine, FailedJobKeepsItsMessageInFailedJobsAndNextJobRuns) {
    Signal ran;
    TSPSSJobEngine engine;
    engine.AddJob(Job([] { throw ESPSSJobError("Engine said no"); }));
    engine.AddJob(std::make_unique<TSPSSSyntaxJob>("NEW FILE.")); // no engine attached
    engine.AddJob(Job([&] { ran.Add(); }));
    engine.SetStopWhenIdle();
    engine.Wait();
    EXPECT_TRUE(ran.WaitFor(1));
    ASSERT_EQ(engine.FailedJobs.Count(), 2u);
    const auto first = engine.FailedJobs.Pop();
    const auto second = engine.FailedJobs.Pop();
    EXPECT_FALSE(first->Finished);
    EXPECT_EQ(first->ErrorMessage, "Engine said no");
    EXPECT_EQ(second->ErrorMessage, "This job can not be executed because SPSS is not loaded");
}

TEST(JobEngine, EventsSeeEveryJobAndRetryRunsItAgainAtTheTail) {
    std::vector<std::string> events; // worker only until Wait
    int attempts = 0;
    std::promise<void> gate;
    TSPSSJobEngine engine;
    engine.OnBeforeJob = [&](TSPSSJobEngine&, std::unique_ptr<TSPSSJob>&) {
        events.push_back("before");
    };
    engine.OnJobDone = [&](TSPSSJobEngine&, std::unique_ptr<TSPSSJob>&) {
        events.push_back("done");
    };
    engine.OnJobUnfinished = [&](TSPSSJobEngine&, std::unique_ptr<TSPSSJob>&, bool& retry) {
        events.push_back("unfinished");
        retry = true;
    };
    // Holds the worker until both jobs are queued, so the retry goes behind the second.
    engine.AddJob(Job([&] { gate.get_future().wait(); }));
    engine.AddJob(Job([&] {
        if (++attempts == 1) {
            throw ESPSSJobError("Busy");
        }
        events.push_back("flaky");
    }));
    engine.AddJob(Job([&] { events.push_back("second"); }));
    engine.SetStopWhenIdle();
    gate.set_value();
    engine.Wait();
    EXPECT_EQ(events, (std::vector<std::string>{"before", "done", "before", "unfinished", "before", "second", "done",
                                                "before", "flaky", "done"}));
    EXPECT_EQ(engine.FailedJobs.Count(), 0u);
}

TEST(JobEngine, EscapedErrorIsReportedOnceAndEndsWorker) {
    std::vector<std::string> errors;
    TSPSSJobEngine engine;
    engine.OnJobDone = [](TSPSSJobEngine&, std::unique_ptr<TSPSSJob>&) {
        throw std::runtime_error("Handler broke");
    };
    engine.OnWorkerError = [&](TSPSSJobEngine&, const std::string& message) {
        errors.push_back(message);
    };
    engine.AddJob(Job([] {}));
    engine.Wait();
    EXPECT_EQ(errors, std::vector<std::string>{"Handler broke"});
    EXPECT_TRUE(engine.Ended());
    EXPECT_FALSE(engine.AddJob(Job([] {})));
}

// Counts its runs and its destruction, to see which jobs an ending engine drops.
class CountedJob : public TSPSSJob {
public:
    CountedJob(std::atomic<int>& runs, std::atomic<int>& freed) : m_Runs(runs), m_Freed(freed) {}
    ~CountedJob() override { ++m_Freed; }

protected:
    void Execute(AppRef&) override {
        ++m_Runs;
        Finished = true;
    }

private:
    std::atomic<int>& m_Runs;
    std::atomic<int>& m_Freed;
};

TEST(JobEngine, StoppingFinishesRunningJobAndFreesPendingOnesUnrun) {
    std::atomic<int> runs{0};
    std::atomic<int> freed{0};
    bool runningJobCompleted = false;
    std::promise<void> queued;
    {
        TSPSSJobEngine engine;
        engine.AddJob(Job([&] {
            queued.get_future().wait();
            engine.Stop(); // from the worker: ends the loop after this job
            runningJobCompleted = true;
        }));
        for (int i = 0; i < 3; ++i) {
            engine.AddJob(std::make_unique<CountedJob>(runs, freed));
        }
        queued.set_value();
        engine.Wait();
        EXPECT_TRUE(engine.Ended());
        EXPECT_EQ(engine.PendingJobs.Count(), 3u);
    }
    EXPECT_TRUE(runningJobCompleted);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(freed, 3);
}

// Looks at its queue while being freed by Clear.
class ProbeJob : public TSPSSJob {
public:
    ProbeJob(TSPSSJobQueue& queue, std::vector<std::size_t>& counts, int& pops)
        : m_Queue(queue), m_Counts(counts), m_Pops(pops) {}
    ~ProbeJob() override {
        m_Counts.push_back(m_Queue.Count());
        m_Pops += m_Queue.Pop() != nullptr;
    }

protected:
    void Execute(AppRef&) override {}

private:
    TSPSSJobQueue& m_Queue;
    std::vector<std::size_t>& m_Counts;
    int& m_Pops;
};

TEST(JobQueue, ClearFreesEveryJobAndHidesThemMeanwhile) {
    TSPSSJobQueue queue;
    std::vector<std::size_t> counts;
    int pops = 0;
    for (int i = 0; i < 3; ++i) {
        queue.Push(std::make_unique<ProbeJob>(queue, counts, pops));
    }
    queue.Clear();
    EXPECT_EQ(counts, (std::vector<std::size_t>{0, 0, 0}));
    EXPECT_EQ(pops, 0);
    EXPECT_FALSE(queue.Clearing());
    EXPECT_EQ(queue.Count(), 0u);
}

} // namespace
} // namespace qs

namespace qs {
namespace {

// What the engine connection does with a syntax job: runs it, or finds the engine gone.
enum class Conn { Works, Lost, Missing };

struct ReconnectRow {
    const char* name;
    Conn first;                      // the connection the job meets
    std::optional<Conn> replacement; // what Reconnect gives; nullopt: it cannot start one
    bool finished;
    int reconnects;
};
void PrintTo(const ReconnectRow& row, std::ostream* os) {
    *os << row.name;
}

class JobEngineReconnect : public testing::TestWithParam<ReconnectRow> {};

AppRef Connection(Conn kind, test::TCallLog& log, const std::string& name) {
    if (kind == Conn::Missing) {
        return nullptr;
    }
    auto app = std::make_unique<test::TRecordingApp>(log);
    app->OnExecute = [kind, &log, name](const std::string&) {
        log.Calls.push_back("on " + name);
        if (kind == Conn::Lost) {
            throw automation::EConnectionLost("the connection to quillstone-engine was lost");
        }
    };
    return app;
}

TEST_P(JobEngineReconnect, AJobThatFindsTheEngineGoneRunsOnceMoreOnANewOne) {
    const ReconnectRow& row = GetParam();
    test::TCallLog log;
    Signal settled;
    std::string error;
    int reconnects = 0;
    int noted = 0;
    bool finished = false;
    TSPSSJobEngine engine;
    engine.SpssApp = Connection(row.first, log, "first");
    engine.Reconnect = [&]() -> AppRef {
        ++reconnects;
        if (!row.replacement) {
            throw automation::EAutomationError("cannot start quillstone-engine");
        }
        return Connection(*row.replacement, log, "new");
    };
    engine.OnReconnected = [&](automation::ISpssApp&) { ++noted; };
    engine.OnJobDone = [&](auto&, auto&) {
        finished = true;
        settled.Add();
    };
    engine.OnJobUnfinished = [&](auto&, auto& job, bool&) {
        error = job->ErrorMessage;
        settled.Add();
    };
    engine.AddJob(std::make_unique<TSPSSSyntaxJob>("LIST."));
    ASSERT_TRUE(settled.WaitFor(1));
    engine.Stop();
    EXPECT_EQ(finished, row.finished) << error;
    EXPECT_EQ(reconnects, row.reconnects);
    EXPECT_EQ(noted, row.replacement ? row.reconnects : 0);
    if (!row.finished) {
        EXPECT_FALSE(error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Roads, JobEngineReconnect,
    testing::Values(ReconnectRow{"EngineThere", Conn::Works, Conn::Works, true, 0},
                    ReconnectRow{"GoneThenNew", Conn::Lost, Conn::Works, true, 1},
                    ReconnectRow{"NeverAttached", Conn::Missing, Conn::Works, true, 1},
                    ReconnectRow{"NoNewEngine", Conn::Lost, std::nullopt, false, 1},
                    ReconnectRow{"LostTwiceTriesOnce", Conn::Lost, Conn::Lost, false, 1}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
