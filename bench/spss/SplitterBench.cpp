// The command splitter on a generated 20 MB syntax file: the whole text at once (what Run >
// Current command pays today), the caret at its end, and a split again after an edit from the
// command the edit touched, as checks while typing will do it.
#include "spss/CommandSplitter.h"

#include "../highlight/SyntaxGenerator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// The generator's mix, with the constructs it lacks: DO REPEAT bodies and inline data.
std::string Syntax(std::size_t bytes) {
    const std::vector<std::string> variables = qs::bench::GenerateVariables(2000, 7);
    std::string text;
    for (unsigned seed = 1; text.size() < bytes; ++seed) {
        text += qs::bench::GenerateSyntax(256 << 10, variables, seed);
        text += "DO REPEAT v = a b c.\n  COMPUTE v = v + 1.\nEND REPEAT.\n";
        text += "DATA LIST LIST /x y.\nBEGIN DATA\n";
        for (int i = 0; i < 200; ++i) {
            text += std::to_string(i) + " " + std::to_string(2 * i) + "\n";
        }
        text += "END DATA.\n";
    }
    return text;
}

std::vector<qs::CommandLines> SplitAll(qs::CommandSplitter splitter) {
    std::vector<qs::CommandLines> commands;
    while (auto command = splitter.Next()) {
        commands.push_back(*command);
    }
    return commands;
}

} // namespace

int main() {
    std::string text = Syntax(20u << 20);
    const double megabytes = static_cast<double>(text.size()) / (1 << 20);

    double best = 1e9;
    std::vector<qs::CommandLines> commands;
    for (int round = 0; round < 5; ++round) {
        const auto t0 = Clock::now();
        commands = SplitAll(qs::CommandSplitter(text));
        best = std::min(best, Millis(t0));
    }
    std::printf("split %.1f MB into %zu commands      %8.1f ms  (%.0f MB/s, best of 5)\n",
                megabytes, commands.size(), best, megabytes / best * 1000);

    auto t0 = Clock::now();
    const std::size_t withText = qs::SplitCommands(text).size();
    std::printf("the same with each command's text     %8.1f ms  (%zu commands)\n", Millis(t0),
                withText);

    t0 = Clock::now();
    const auto span =
        qs::CommandsTouching(text, commands.back().lastLine, commands.back().lastLine);
    std::printf("command at a caret on the last line   %8.1f ms  (lines %zu-%zu)\n", Millis(t0),
                span ? span->firstLine : 0, span ? span->lastLine : 0);

    // An edit: a quote typed over a blank inside a command. The split goes again from that
    // command and stops at the first command past the edit that starts where one did before.
    std::mt19937 rng(11);
    std::vector<double> micros;
    std::size_t longest = 0;
    for (int edit = 0; edit < 2000; ++edit) {
        const std::size_t i =
            std::uniform_int_distribution<std::size_t>(0, commands.size() - 2)(rng);
        const qs::CommandLines& touched = commands[i];
        const std::size_t at = text.find(' ', touched.begin);
        if (at == std::string::npos || at >= touched.end) {
            continue;
        }
        text[at] = '\'';
        const auto e0 = Clock::now();
        qs::CommandSplitter splitter(text, touched);
        std::size_t next = i + 1;
        std::size_t resplit = 0;
        while (auto command = splitter.Next()) {
            ++resplit;
            while (next < commands.size() && commands[next].begin < command->begin) {
                ++next;
            }
            if (command->begin > at && next < commands.size() &&
                commands[next].begin == command->begin) {
                break;
            }
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - e0).count());
        longest = std::max(longest, resplit);
        text[at] = ' ';
    }
    std::sort(micros.begin(), micros.end());
    std::printf("split again after an edit             median %.1f us, p99 %.1f us, max %.1f us "
                "(%zu edits, at most %zu commands read)\n",
                micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back(),
                micros.size(), longest);
    return 0;
}
