// Cuts the variable table at the columns its header row marks, so that a bar inside a
// label does not split it.
#include "engine/VariableTable.h"

#include <cstddef>

namespace qs::engine {
namespace {

// Code points of a line as byte ranges, so columns count characters, not bytes.
std::vector<std::size_t> CharStarts(std::string_view line) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) {
            starts.push_back(i);
        }
    }
    return starts;
}

bool IsBar(std::string_view ch) {
    return ch == "|" || ch == "\u2502";
}

std::string_view CharAt(std::string_view line, const std::vector<std::size_t>& starts,
                        std::size_t index) {
    const std::size_t end = index + 1 < starts.size() ? starts[index + 1] : line.size();
    return line.substr(starts[index], end - starts[index]);
}

std::string Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return std::string(s);
}

// The cells of `line` between the bar columns of the header.
std::vector<std::string> Cells(std::string_view line, const std::vector<std::size_t>& bars) {
    const auto starts = CharStarts(line);
    std::vector<std::string> cells;
    for (std::size_t i = 0; i + 1 < bars.size(); ++i) {
        const std::size_t from = bars[i] + 1;
        const std::size_t to = bars[i + 1];
        if (to > starts.size()) {
            break;
        }
        const std::size_t begin = from < starts.size() ? starts[from] : line.size();
        const std::size_t end = to < starts.size() ? starts[to] : line.size();
        cells.push_back(Trim(line.substr(begin, end - begin)));
    }
    return cells;
}

} // namespace

std::vector<DatasetVariable> ParseVariableTable(std::string_view output) {
    std::vector<DatasetVariable> variables;
    std::vector<std::size_t> bars;
    std::size_t pos = 0;
    while (pos < output.size()) {
        std::size_t end = output.find('\n', pos);
        if (end == std::string_view::npos) {
            end = output.size();
        }
        std::string_view line = output.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const auto starts = CharStarts(line);
        if (starts.empty() || !IsBar(CharAt(line, starts, 0))) {
            // A rule or the end of the table.
            continue;
        }
        if (bars.empty()) {
            for (std::size_t i = 0; i < starts.size(); ++i) {
                if (IsBar(CharAt(line, starts, i))) {
                    bars.push_back(i);
                }
            }
            const auto header = Cells(line, bars);
            if (header.size() < 2 || header[0] != "Name" || header[1] != "Position") {
                bars.clear();
            }
            continue;
        }
        const auto cells = Cells(line, bars);
        if (cells.empty()) {
            continue;
        }
        const std::string label = cells.size() > 2 ? cells[2] : std::string();
        if (cells[0].empty() && (cells.size() < 2 || cells[1].empty())) {
            if (!variables.empty() && !label.empty()) {
                variables.back().label += ' ' + label;
            }
            continue;
        }
        variables.push_back({cells[0], label});
    }
    return variables;
}

} // namespace qs::engine
