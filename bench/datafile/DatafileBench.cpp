// Measures reading a data file dictionary in-process: the I/O layer alone, the whole
// TSPSSDatafile open with a walk over what the object tree shows (variables and
// multiple-response sets), and the JSON printing of quillstone-dict; or the open of two
// files side by side with the ratio of their times.
// Usage: qs_bench_datafile [RUNS] FILE...
//        qs_bench_datafile --versus RUNS FILE OTHER_FILE
#include "datafile/DictPrinter.h"
#include "datafile/TSPSSVL.h"
#include "platform/spssio/SavDictionary.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

template <typename F> double BestMilliseconds(int runs, F&& run) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        run();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// What filling the object tree reads from the model: every variable's name and label
// and every multiple-response set with its members. The sum keeps the walk from
// being optimised away.
std::size_t WalkModel(const qs::TSPSSDatafile& file) {
    std::size_t bytes = 0;
    for (const auto& var : file.Variables()) {
        bytes += var->Name.size() + var->Label.size() + std::size_t(var->ValueLabels.Count());
    }
    for (const auto& set : file.MRSets()) {
        bytes += set->Name.size() + set->Label.size();
        for (const qs::TSPSSVariable* var : set->VarList) {
            bytes += var->Name.size();
        }
    }
    return bytes;
}

double OpenMilliseconds(const std::string& path, int runs, std::size_t& variables) {
    return BestMilliseconds(runs, [&] {
        qs::TSPSSDatafile file;
        file.SetFilename(path);
        file.Open();
        WalkModel(file);
        variables = std::size_t(file.Variables().Count());
        file.Close();
    });
}

std::string Name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// Two files that should open equally fast, e.g. names crafted to collide against names
// without any relation.
void Versus(const std::string& path, const std::string& other, int runs) {
    std::size_t variables = 0;
    std::size_t otherVariables = 0;
    const double time = OpenMilliseconds(path, runs, variables);
    const double otherTime = OpenMilliseconds(other, runs, otherVariables);
    std::printf("  TSPSSDatafile open + walk + close, best of %d:\n", runs);
    std::printf("    %-28s %7zu variables %10.2f ms\n", Name(path).c_str(), variables, time);
    std::printf("    %-28s %7zu variables %10.2f ms\n", Name(other).c_str(), otherVariables,
                otherTime);
    std::printf("    ratio: %.2f\n", time / otherTime);
}

void Measure(const std::string& path, int runs) {
    std::size_t variables = 0;
    std::size_t sets = 0;
    std::size_t walked = 0;
    const double layer = BestMilliseconds(runs, [&] {
        qs::spssio::SavDictionary dict;
        if (qs::spssio::readSavFile(path.c_str(), dict) != 0) {
            throw std::runtime_error("the I/O layer cannot read " + path);
        }
        variables = dict.variables.size();
    });
    const double model = BestMilliseconds(runs, [&] {
        qs::TSPSSDatafile file;
        file.SetFilename(path);
        file.Open();
        walked = WalkModel(file);
        sets = std::size_t(file.MRSets().Count());
        file.Close();
    });
    std::size_t jsonBytes = 0;
    const double json = BestMilliseconds(runs, [&] {
        qs::TSPSSDatafile file;
        file.SetFilename(path);
        file.Open();
        jsonBytes = qs::DictionaryJson(file).size();
        file.Close();
    });
    std::printf("%s: %zu variables, %zu MR sets (walked %zu bytes)\n", path.c_str(), variables,
                sets, walked);
    std::printf("  I/O layer dictionary read:              %8.2f ms\n", layer);
    std::printf("  TSPSSDatafile open + walk + close:      %8.2f ms\n", model);
    std::printf("  the same + JSON text (%zu bytes): %8.2f ms\n", jsonBytes, json);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--versus") {
        try {
            Versus(argv[3], argv[4], std::max(1, std::stoi(argv[2])));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }
    int first = 1;
    int runs = 5;
    if (argc > 1 && std::all_of(argv[1], argv[1] + std::char_traits<char>::length(argv[1]),
                                [](char c) { return c >= '0' && c <= '9'; })) {
        runs = std::max(1, std::stoi(argv[1]));
        first = 2;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: qs_bench_datafile [RUNS] FILE...\n"
                             "       qs_bench_datafile --versus RUNS FILE OTHER_FILE\n");
        return 2;
    }
    try {
        for (int i = first; i < argc; ++i) {
            Measure(argv[i], runs);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
