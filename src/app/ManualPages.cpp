// Finding a command's page in PSPP's manual.
#include "app/ManualPages.h"

#include "spss/CommandSplitter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

namespace qs {

namespace {

constexpr std::size_t kShortest = 3; // letters a shortened word keeps, as PSPP accepts

std::string Upper(std::string_view word) {
    std::string out(word);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::vector<std::string> Words(std::string_view name) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < name.size()) {
        const std::size_t end = std::min(name.find(' ', i), name.size());
        if (end > i) {
            words.push_back(Upper(name.substr(i, end - i)));
        }
        i = end + 1;
    }
    return words;
}

// Whether the typed words can stand for the command's words.
bool Shortens(const std::vector<std::string>& typed, const std::vector<std::string>& full) {
    if (typed.size() != full.size()) {
        return false;
    }
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const std::string& t = typed[i];
        const bool whole = t == full[i];
        if (!whole && (t.size() < kShortest || !full[i].starts_with(t))) {
            return false;
        }
    }
    return true;
}

bool NameCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) != 0 || u >= 0x80 || c == '_' || c == '-' || c == '$' || c == '#' ||
           c == '@';
}

} // namespace

std::string ManualPageName(std::string_view command) {
    std::string page;
    for (const char c : command) {
        if (c == ' ') {
            page += '-';
        } else if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            page += c;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "_%04x", static_cast<unsigned char>(c));
            page += code;
        }
    }
    return page + ".html";
}

std::vector<std::string> CommandHeadAt(std::string_view text, std::size_t line) {
    const std::optional<CommandSpan> span = CommandsTouching(text, line, line);
    if (!span) {
        return {};
    }
    std::size_t start = 0;
    for (std::size_t n = 1; n < span->firstLine && start != std::string_view::npos; ++n) {
        start = text.find('\n', start);
        start = start == std::string_view::npos ? start : start + 1;
    }
    if (start == std::string_view::npos) {
        return {};
    }
    const std::string_view head = text.substr(start, text.find('\n', start) - start);
    std::size_t i = head.find_first_not_of(" \t\r");
    if (i != std::string_view::npos && (head[i] == '+' || head[i] == '-' || head[i] == '.')) {
        i = head.find_first_not_of(" \t\r", i + 1);
    }
    if (i != std::string_view::npos && head[i] == '*') {
        return {"COMMENT"};
    }
    std::vector<std::string> words;
    while (i != std::string_view::npos && i < head.size() && words.size() < 3) {
        std::size_t end = i;
        while (end < head.size() && NameCharacter(head[end])) {
            ++end;
        }
        if (end == i) {
            break; // a slash, an equals sign, a quote: the name has ended
        }
        words.emplace_back(head.substr(i, end - i));
        i = head.find_first_not_of(" \t\r", end);
    }
    return words;
}

std::string ManualPageFor(const std::vector<std::string>& head, const ManualVocabulary& words,
                          const std::function<bool(const std::string&)>& hasPage) {
    const std::vector<std::string>* lists[] = {&words.commands, &words.twoWordCommands,
                                               &words.threeWordCommands};
    for (std::size_t n = std::min<std::size_t>(head.size(), 3); n > 0; --n) {
        std::vector<std::string> typed;
        std::string name;
        for (std::size_t i = 0; i < n; ++i) {
            typed.push_back(Upper(head[i]));
            name += (i > 0 ? " " : "") + typed.back();
        }
        std::vector<std::string> names{name};
        std::vector<std::string> longer;
        for (const std::string& command : *lists[n - 1]) {
            if (Shortens(typed, Words(command))) {
                longer.push_back(Upper(command));
            }
        }
        std::stable_sort(longer.begin(), longer.end(),
                         [](const std::string& a, const std::string& b) {
                             return a.size() > b.size();
                         });
        names.insert(names.end(), longer.begin(), longer.end());
        for (const std::string& candidate : names) {
            const std::string page = ManualPageName(candidate);
            if (hasPage(page)) {
                return page;
            }
        }
    }
    return {};
}

} // namespace qs
