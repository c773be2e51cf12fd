// Fuzzes the command splitter: any bytes split into commands in order, each a run of whole
// lines inside the text, and a split started at a command goes on as the whole split does.
#include "spss/CommandSplitter.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

std::vector<qs::CommandLines> Split(qs::CommandSplitter splitter) {
    std::vector<qs::CommandLines> commands;
    while (auto command = splitter.Next()) {
        commands.push_back(*command);
    }
    return commands;
}

bool Same(const qs::CommandLines& a, const qs::CommandLines& b) {
    return a.firstLine == b.firstLine && a.lastLine == b.lastLine && a.begin == b.begin &&
           a.end == b.end && a.unfinished == b.unfinished;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto mode = (data[0] & 1) != 0 ? qs::SyntaxMode::Batch : qs::SyntaxMode::Interactive;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<qs::CommandLines> commands = Split(qs::CommandSplitter(text, mode));
    std::size_t after = 0; // where the previous command ended
    std::size_t line = 0;
    for (const qs::CommandLines& command : commands) {
        const bool lineStart = command.begin == 0 || text[command.begin - 1] == '\n';
        if (command.begin < after || command.begin > command.end || command.end > text.size() ||
            !lineStart || command.firstLine <= line || command.lastLine < command.firstLine) {
            std::abort();
        }
        after = command.end;
        line = command.lastLine;
    }
    // Started again at a few of the commands, the split gives the same rest.
    const std::size_t step = commands.size() / 4 + 1;
    for (std::size_t i = 0; i < commands.size(); i += step) {
        const std::vector<qs::CommandLines> rest =
            Split(qs::CommandSplitter(text, commands[i], mode));
        if (rest.size() != commands.size() - i) {
            std::abort();
        }
        for (std::size_t k = 0; k < rest.size(); ++k) {
            if (!Same(rest[k], commands[i + k])) {
                std::abort();
            }
        }
    }
    return 0;
}
