// Measures how fast the highlighter tokenizes a large syntax file with many variables.
// Usage: qs_bench_highlight OUTDIR [MEGABYTES] [VARIABLES]
// Writes the generated input to OUTDIR (highlight-bench.sps, highlight-bench.vars) and
// prints the tokenizing speed, with a plain line-break scan for scale.
#include "SyntaxGenerator.h"

#include "highlight/HighlightText.h"
#include "highlight/LanguageElements.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

template <typename F> double BestSeconds(int runs, F&& run) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qs_bench_highlight OUTDIR [MEGABYTES] [VARIABLES]\n");
        return 2;
    }
    const std::filesystem::path outDir = argv[1];
    const std::size_t megabytes = argc > 2 ? std::stoul(argv[2]) : 20;
    const std::size_t variableCount = argc > 3 ? std::stoul(argv[3]) : 30000;

    std::vector<std::string> variables = qs::bench::GenerateVariables(variableCount, 1);
    std::string text = qs::bench::GenerateSyntax(megabytes << 20, variables, 2);
    std::filesystem::create_directories(outDir);
    std::string varsFile;
    for (const auto& name : variables) {
        varsFile += name + "\n";
    }
    Write(outDir / "highlight-bench.sps", text);
    Write(outDir / "highlight-bench.vars", varsFile);

    qs::TSynSPSSHighlighter highlighter(qs::BuiltinLanguageElements());
    auto setStart = Clock::now();
    highlighter.SetVariables(variables);
    double setSeconds = std::chrono::duration<double>(Clock::now() - setStart).count();

    std::size_t tokens = 0;
    std::size_t variableTokens = 0;
    double seconds = BestSeconds(5, [&] {
        tokens = 0;
        variableTokens = 0;
        qs::HighlightText(highlighter, text, [&](const qs::HighlightToken& token) {
            ++tokens;
            variableTokens += token.kind == qs::TokenKind::Variable;
        });
    });

    std::size_t lines = 0;
    double scanSeconds = BestSeconds(5, [&] {
        lines = 0;
        for (const char* p = text.data();
             (p = static_cast<const char*>(std::memchr(p, '\n', text.data() + text.size() - p)));
             ++p) {
            ++lines;
        }
    });

    const double mb = static_cast<double>(text.size()) / (1 << 20);
    std::printf("input: %.1f MB, %zu lines, %zu variables (set in %.1f ms)\n", mb, lines,
                variables.size(), setSeconds * 1e3);
    std::printf("tokenizing: %.1f MB/s (%zu tokens, %zu variables, best of 5: %.3f s)\n",
                mb / seconds, tokens, variableTokens, seconds);
    std::printf("line-break scan (memchr) for scale: %.0f MB/s\n", mb / scanSeconds);
    return 0;
}
