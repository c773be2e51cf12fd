// Measures the highlighter with variable names crafted so that an unseeded FNV-1a gives
// them all the same low bits, against random names of the same length: the word table
// must not pile them onto one probe run. Prints both speeds and their ratio.
// Usage: qs_bench_highlight_names OUTDIR [KILOBYTES] [VARIABLES]
#include "SyntaxGenerator.h"
#include "support/CollidingNames.h"

#include "highlight/HighlightText.h"
#include "highlight/LanguageElements.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;
constexpr std::size_t kNameLength = 8;
// The table holds about 2^17 slots for 60,000 names; more shared bits keep the names
// on one run at any size up to 2^20.
constexpr int kSharedBits = 20;

struct Timing {
    double setSeconds = 0;
    double seconds = 0;
    std::size_t variableTokens = 0;
};

Timing Measure(const std::vector<std::string>& variables, const std::string& text) {
    Timing timing;
    qs::TSynSPSSHighlighter highlighter(qs::BuiltinLanguageElements());
    timing.setSeconds = 1e300;
    timing.seconds = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        const auto setStart = Clock::now();
        highlighter.SetVariables(variables);
        timing.setSeconds = std::min(
            timing.setSeconds, std::chrono::duration<double>(Clock::now() - setStart).count());
    }
    for (int i = 0; i < kRuns; ++i) {
        std::size_t variableTokens = 0;
        const auto start = Clock::now();
        qs::HighlightText(highlighter, text, [&](const qs::HighlightToken& token) {
            variableTokens += token.kind == qs::TokenKind::Variable;
        });
        timing.seconds =
            std::min(timing.seconds, std::chrono::duration<double>(Clock::now() - start).count());
        timing.variableTokens = variableTokens;
    }
    return timing;
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qs_bench_highlight_names OUTDIR [KILOBYTES] [VARIABLES]\n");
        return 2;
    }
    const std::filesystem::path outDir = argv[1];
    const std::size_t kilobytes = argc > 2 ? std::stoul(argv[2]) : 1200;
    const std::size_t count = argc > 3 ? std::stoul(argv[3]) : 60000;

    const std::vector<std::string> crafted =
        qs::test::FnvCollidingNames(count, kNameLength, kSharedBits, qs::test::kFnv1a64, 7);
    const std::vector<std::string> random = qs::test::RandomNames(count, kNameLength, 7);
    // The same seed picks the same positions, so both texts differ only in the names.
    const std::string craftedText = qs::bench::GenerateSyntax(kilobytes << 10, crafted, 3);
    const std::string randomText = qs::bench::GenerateSyntax(kilobytes << 10, random, 3);
    std::filesystem::create_directories(outDir);
    Write(outDir / "crafted-names.sps", craftedText);
    Write(outDir / "random-names.sps", randomText);

    const Timing slow = Measure(crafted, craftedText);
    const Timing fast = Measure(random, randomText);
    const double mb = static_cast<double>(craftedText.size()) / (1 << 20);
    std::printf("names crafted to collide vs random names: %zu variables of %zu bytes, %.2f MB "
                "of syntax each, best of %d\n",
                count, kNameLength, mb, kRuns);
    for (const auto& [label, t] : {std::pair{"crafted", slow}, std::pair{"random ", fast}}) {
        std::printf("  %s: names set in %8.2f ms, tokenizing %8.2f ms (%.1f MB/s, %zu variable "
                    "tokens)\n",
                    label, t.setSeconds * 1e3, t.seconds * 1e3, mb / t.seconds, t.variableTokens);
    }
    std::printf("  ratio crafted / random: tokenizing %.2f, setting the names %.2f\n",
                slow.seconds / fast.seconds, slow.setSeconds / fast.setSeconds);
    return 0;
}
