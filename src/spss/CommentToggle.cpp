// Comment toggling over the commands that the splitter finds.
#include "spss/CommentToggle.h"

#include "spss/CommandSplitter.h"

#include <algorithm>

namespace qs {

namespace {

constexpr std::string_view kOpen = "* ";
constexpr std::string_view kClose = " *.";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t FirstNonBlank(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    return i;
}

std::string Commented(std::string_view line) {
    std::size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1])) {
        --end;
    }
    if (end == 0) {
        return std::string(line);
    }
    std::string out(kOpen);
    out += line;
    if (line[end - 1] != '.' || line.ends_with(kClose)) {
        out += kClose;
    }
    return out;
}

std::string Uncommented(std::string_view line) {
    const std::size_t star = FirstNonBlank(line);
    if (star == line.size() || line[star] != '*') {
        return std::string(line);
    }
    std::string out(line.substr(0, star));
    std::string_view rest = line.substr(star + 1);
    if (!rest.empty() && rest.front() == ' ') {
        rest.remove_prefix(1);
    }
    if (rest.ends_with(kClose)) {
        rest.remove_suffix(kClose.size());
    }
    out += rest;
    return out;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t lf = text.find('\n', start);
        std::string_view line = text.substr(start, lf == std::string_view::npos ? lf : lf - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (lf == std::string_view::npos) {
            return lines;
        }
        start = lf + 1;
    }
}

} // namespace

std::optional<CommentToggle> ToggleCommentCommands(std::string_view text, std::size_t first,
                                                   std::size_t last) {
    const std::optional<CommandSpan> span = CommandsTouching(text, first, last);
    if (!span) {
        return std::nullopt;
    }
    const std::vector<std::string_view> lines = Lines(text);
    // Every command the span holds, to see whether all are `*` comments.
    bool allComments = true;
    CommandLines start;
    start.firstLine = span->firstLine;
    start.begin = static_cast<std::size_t>(lines[span->firstLine - 1].data() - text.data());
    CommandSplitter splitter(text, start);
    while (const std::optional<CommandLines> command = splitter.Next()) {
        if (command->firstLine > span->lastLine) {
            break;
        }
        const std::string_view head = lines[command->firstLine - 1];
        const std::size_t at = FirstNonBlank(head);
        allComments = allComments && at < head.size() && head[at] == '*';
    }
    CommentToggle toggle;
    toggle.commented = !allComments;
    if (!allComments) {
        toggle.firstLine = span->firstLine;
        toggle.lastLine = span->lastLine;
        for (std::size_t n = span->firstLine; n <= span->lastLine; ++n) {
            toggle.lines.push_back(Commented(lines[n - 1]));
        }
        return toggle;
    }
    // A commented command is a comment a line, so the caret touches one line of it. The
    // comments around are taken out in thought, and of them the lines of the commands the
    // caret or selection touches then come out: the command commented as a whole.
    const auto starred = [&lines](std::size_t n) {
        const std::size_t at = FirstNonBlank(lines[n - 1]);
        return at < lines[n - 1].size() && lines[n - 1][at] == '*';
    };
    const auto blank = [&lines](std::size_t n) {
        return FirstNonBlank(lines[n - 1]) == lines[n - 1].size();
    };
    std::size_t lo = span->firstLine;
    std::size_t hi = span->lastLine;
    while (lo > 1 && (starred(lo - 1) || blank(lo - 1))) {
        --lo;
    }
    while (hi < lines.size() && (starred(hi + 1) || blank(hi + 1))) {
        ++hi;
    }
    while (blank(lo)) {
        ++lo;
    }
    while (blank(hi)) {
        --hi;
    }
    std::vector<std::string> plain;
    std::string joined;
    for (std::size_t n = lo; n <= hi; ++n) {
        plain.push_back(Uncommented(lines[n - 1]));
        joined += plain.back() + "\n";
    }
    const std::size_t from = std::clamp(first, lo, hi) - lo + 1;
    const std::size_t to = std::clamp(std::max(first, last), lo, hi) - lo + 1;
    const std::optional<CommandSpan> original = CommandsTouching(joined, from, to);
    toggle.firstLine = original ? lo + original->firstLine - 1 : span->firstLine;
    toggle.lastLine = original ? lo + original->lastLine - 1 : span->lastLine;
    for (std::size_t n = toggle.firstLine; n <= toggle.lastLine; ++n) {
        toggle.lines.push_back(plain[n - lo]);
    }
    return toggle;
}

} // namespace qs
