// Measures what the UI thread pays to submit a job, and how soon a sleeping worker starts
// the job once it is pushed. Medians and 99th percentiles over many rounds.
#include "spss/SPSSJobEngine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class StampJob : public qs::TSPSSJob {
public:
    explicit StampJob(std::atomic<Clock::rep>* started) : m_Started(started) {}

protected:
    void Execute(std::unique_ptr<qs::automation::ISpssApp>&) override {
        if (m_Started != nullptr) {
            m_Started->store(Clock::now().time_since_epoch().count(), std::memory_order_release);
        }
        Finished = true;
    }

private:
    std::atomic<Clock::rep>* m_Started;
};

void Report(const char* what, std::vector<double> micros, double target) {
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double p99 = micros[micros.size() * 99 / 100];
    std::printf("%-34s median %8.2f us   p99 %8.2f us   (target < %.0f us, %zu rounds) %s\n", what,
                median, p99, target, micros.size(), median < target ? "ok" : "OVER");
}

} // namespace

int main() {
    constexpr int kRounds = 2000;
    {
        // Submission while the worker sleeps between jobs: the UI thread's cost alone.
        qs::TSPSSJobEngine engine(false);
        std::vector<double> cost;
        cost.reserve(kRounds);
        for (int i = 0; i < kRounds; ++i) {
            auto job = std::make_unique<StampJob>(nullptr);
            const auto t0 = Clock::now();
            engine.AddJob(std::move(job));
            const auto t1 = Clock::now();
            cost.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            if (i % 16 == 15) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        Report("AddJob on the calling thread", cost, 5);
    }
    {
        qs::TSPSSJobEngine engine(false);
        std::atomic<Clock::rep> started{0};
        std::vector<double> latency;
        latency.reserve(kRounds);
        for (int i = 0; i < kRounds; ++i) {
            // Long enough for the worker to be asleep again.
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            started.store(0, std::memory_order_relaxed);
            const auto t0 = Clock::now();
            engine.AddJob(std::make_unique<StampJob>(&started));
            Clock::rep stamp = 0;
            while ((stamp = started.load(std::memory_order_acquire)) == 0) {
                std::this_thread::yield();
            }
            const auto t1 = Clock::time_point(Clock::duration(stamp));
            latency.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        }
        Report("Wake-up: push to job start", latency, 200);
    }
    return 0;
}
