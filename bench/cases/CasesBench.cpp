// Measures the case reader on large files: the time to the first 50 rows (dictionary
// included), to build the index in its thread, of jumps to the last case and to random
// cases once the index is there, of the CSV export in process; then the process's peak
// memory. Usage: qs_bench_cases FILE...
#include "datafile/CsvExport.h"
#include "platform/spssio/CaseReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool Measure(const std::string& path) {
    const auto start = Clock::now();
    std::string message;
    const auto reader = qs::spssio::CaseReader::open(path, message);
    qs::spssio::CaseBlock block;
    if (!reader || !reader->read(0, 50, block)) {
        std::printf("  %s: %s\n", path.c_str(), reader ? reader->error().c_str() : message.c_str());
        return false;
    }
    const double firstRows = Since(start);

    const auto indexStart = Clock::now();
    reader->startIndexing();
    reader->waitForIndex();
    const double index = Since(indexStart);
    const qs::spssio::IndexProgress progress = reader->indexProgress();
    const std::int64_t count = reader->caseCount();

    // Each jump starts from the first case, so that none goes on from where the last stopped.
    double lastJump = 0, randomJump = 0;
    std::mt19937_64 random(1);
    for (int i = 0; i < 20; ++i) {
        const std::int64_t target =
            i < 5 ? count - 1 : std::int64_t(random() % std::uint64_t(count));
        reader->read(0, 1, block);
        const auto jumpStart = Clock::now();
        if (!reader->read(target, 1, block) || block.count != 1) {
            std::printf("  jump to case %lld failed: %s\n", static_cast<long long>(target + 1),
                        reader->error().c_str());
            return false;
        }
        (i < 5 ? lastJump : randomJump) = std::max(i < 5 ? lastJump : randomJump, Since(jumpStart));
    }

    const auto csvStart = Clock::now();
    std::uint64_t bytes = 0;
    const bool csv = qs::WriteCsv(
        *reader, {},
        [&bytes](std::string_view text) {
            bytes += text.size();
            return true;
        },
        message);
    const double csvMs = Since(csvStart);

    const auto fileMb = double(std::filesystem::file_size(path)) / 1e6;
    std::printf("  %s: %.0f MB, %lld cases\n", std::filesystem::path(path).filename().c_str(),
                fileMb, static_cast<long long>(count));
    std::printf("    first 50 rows (dictionary included) %9.1f ms\n", firstRows);
    std::printf("    index built in its thread           %9.1f ms (%zu-case steps%s)\n", index,
                static_cast<std::size_t>(reader->indexStep()),
                progress.error.empty() ? "" : (", " + progress.error).c_str());
    std::printf("    jump to the last case, worst of 5   %9.2f ms\n", lastJump);
    std::printf("    jump to a random case, worst of 15  %9.2f ms\n", randomJump);
    std::printf("    CSV in process                      %9.1f ms (%.0f MB of CSV%s)\n", csvMs,
                double(bytes) / 1e6, csv ? "" : (", " + message).c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        ok = Measure(argv[i]) && ok;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  peak memory of all the above          %9.1f MB\n",
                double(usage.ru_maxrss) / 1024.0);
    return ok ? 0 : 1;
}
