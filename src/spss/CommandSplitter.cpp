// Command boundaries of syntax in interactive mode.
#include "spss/CommandSplitter.h"

#include <algorithm>
#include <cctype>

namespace qs {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\r';
}

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string_view SkipBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

// The next word of `s` (letters, digits, _ $ # @ . and bytes of other scripts); `s` moves
// past it.
std::string_view TakeWord(std::string_view& s) {
    s = SkipBlanks(s);
    std::size_t n = 0;
    while (n < s.size()) {
        const auto c = static_cast<unsigned char>(s[n]);
        if (!(std::isalnum(c) || c == '_' || c == '$' || c == '#' || c == '@' || c >= 0x80)) {
            break;
        }
        ++n;
    }
    const std::string_view word = s.substr(0, n);
    s.remove_prefix(n);
    return word;
}

// A line's text after the +, - or . that may stand in its first column.
std::string_view CommandStart(std::string_view line) {
    if (!line.empty() && (line.front() == '+' || line.front() == '-' || line.front() == '.')) {
        line.remove_prefix(1);
    }
    return SkipBlanks(line);
}

bool IsCommentCommand(std::string_view firstLine) {
    std::string_view rest = CommandStart(firstLine);
    if (!rest.empty() && rest.front() == '*') {
        return true;
    }
    const std::string_view word = TakeWord(rest);
    return word.size() >= 4 && SameLetters(word, std::string_view("COMMENT").substr(0, word.size()));
}

bool IsBeginData(std::string_view firstLine) {
    std::string_view rest = CommandStart(firstLine);
    return SameLetters(TakeWord(rest), "BEGIN") && SameLetters(TakeWord(rest), "DATA");
}

// "END DATA" from the first column with one space between the words (PSPP takes no other
// spelling), then an optional period.
bool IsEndData(std::string_view line) {
    if (line.size() < 8 || !SameLetters(line.substr(0, 8), "END DATA")) {
        return false;
    }
    std::string_view rest = SkipBlanks(line.substr(8));
    if (!rest.empty() && rest.front() == '.') {
        rest = SkipBlanks(rest.substr(1));
    }
    return rest.empty();
}

// The last character of a line's code, blanks and /* */ comments not counted (a comment
// left open ends with the line); 0 when the line holds no code. Inside quotes "/*" and
// periods are text.
char LastCodeChar(std::string_view line) {
    char last = 0;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
            last = c;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '*') {
            const std::size_t close = line.find("*/", i + 2);
            if (close == std::string_view::npos) {
                break;
            }
            i = close + 1;
        } else if (!IsBlank(c)) {
            quote = (c == '\'' || c == '"') ? c : 0;
            last = c;
        }
    }
    return last;
}

char LastChar(std::string_view line) {
    while (!line.empty() && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    return line.empty() ? 0 : line.back();
}

} // namespace

std::vector<SyntaxCommand> SplitCommands(std::string_view text) {
    std::vector<SyntaxCommand> commands;
    SyntaxCommand current;
    bool open = false;
    bool inData = false;
    bool comment = false;
    const auto close = [&] {
        if (open) {
            commands.push_back(std::move(current));
        }
        current = {};
        open = inData = comment = false;
    };
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) {
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        }
        ++lineNo;

        if (inData) {
            current.text += '\n';
            current.text += line;
            current.lastLine = lineNo;
            if (IsEndData(line)) {
                // Without its period the command goes on, as any other would.
                inData = false;
                if (LastChar(line) == '.') {
                    close();
                }
            }
            continue;
        }
        const char lastCode = LastCodeChar(line);
        const char last = LastChar(line);
        if (last == 0 || (lastCode == 0 && !comment)) {
            close(); // blank, or only /* */ comments
            continue;
        }
        if (open && (line.front() == '+' || line.front() == '-' || line.front() == '.')) {
            close();
        }
        if (!open) {
            open = true;
            current.firstLine = lineNo;
            comment = IsCommentCommand(line);
            inData = IsBeginData(line);
        } else {
            current.text += '\n';
        }
        current.text += line;
        current.lastLine = lineNo;
        if (!inData && (comment ? last : lastCode) == '.') {
            close();
        }
    }
    close();
    return commands;
}

std::optional<CommandSpan> CommandsTouching(const std::vector<SyntaxCommand>& commands,
                                            std::size_t first, std::size_t last) {
    if (commands.empty()) {
        return std::nullopt;
    }
    const auto from = std::find_if(commands.begin(), commands.end(),
                                   [first](const SyntaxCommand& c) { return c.lastLine >= first; });
    std::size_t a = static_cast<std::size_t>(from - commands.begin());
    if (from == commands.end()) {
        a = commands.size() - 1; // past the last command: that one
    }
    std::size_t b = a;
    while (b + 1 < commands.size() && commands[b + 1].firstLine <= last) {
        ++b;
    }
    const std::size_t next = b + 1 < commands.size() ? commands[b + 1].firstLine : 0;
    return CommandSpan{commands[a].firstLine, commands[b].lastLine, next};
}

} // namespace qs
