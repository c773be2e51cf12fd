// Dataset effects of typed syntax.
#include "engine/SyntaxCommands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <utility>
#include <vector>

namespace qs::engine {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

// Reads the command's words left to right: names, then what follows them.
class Words {
public:
    // A + - or . in the first column only marks where the command starts.
    explicit Words(std::string_view text) : m_rest(text) {
        if (!m_rest.empty() && (m_rest[0] == '+' || m_rest[0] == '-' || m_rest[0] == '.')) {
            m_rest.remove_prefix(1);
        }
    }

    // The next word in capitals, or "" when the next thing is not a word.
    std::string Next() {
        m_rest = TrimLeft(SkipLineEnds(m_rest));
        std::string word;
        while (!m_rest.empty()) {
            const auto c = static_cast<unsigned char>(m_rest.front());
            if (!(std::isalnum(c) || c == '_' || c == '$' || c == '#' || c == '@' || c >= 0x80)) {
                break;
            }
            word += Upper(m_rest.front());
            m_rest.remove_prefix(1);
        }
        return word;
    }
    // Consumes `c` when it comes next.
    bool Take(char c) {
        m_rest = TrimLeft(SkipLineEnds(m_rest));
        if (!m_rest.empty() && m_rest.front() == c) {
            m_rest.remove_prefix(1);
            return true;
        }
        return false;
    }
    // A quoted string next, either quote, a doubled quote standing for one.
    std::optional<std::string> Quoted() {
        m_rest = TrimLeft(SkipLineEnds(m_rest));
        if (m_rest.empty() || (m_rest.front() != '\'' && m_rest.front() != '"')) {
            return std::nullopt;
        }
        const char quote = m_rest.front();
        std::string value;
        for (std::size_t i = 1; i < m_rest.size(); ++i) {
            if (m_rest[i] == '\n' || m_rest[i] == '\r') {
                break;
            }
            if (m_rest[i] != quote) {
                value += m_rest[i];
            } else if (i + 1 < m_rest.size() && m_rest[i + 1] == quote) {
                value += quote;
                ++i;
            } else {
                m_rest.remove_prefix(i + 1);
                return value;
            }
        }
        return std::nullopt;
    }
    std::string_view Rest() const { return m_rest; }

private:
    static std::string_view SkipLineEnds(std::string_view s) {
        while (!s.empty() && (IsBlank(s.front()) || s.front() == '\n' || s.front() == '\r')) {
            s.remove_prefix(1);
        }
        return s;
    }

    std::string_view m_rest;
};

// A command word may be shortened to its first three letters.
bool Matches(const std::string& word, std::string_view keyword) {
    if (word.size() > keyword.size() || word.empty()) {
        return false;
    }
    if (word.size() < 3 && word.size() != keyword.size()) {
        return false;
    }
    return keyword.substr(0, word.size()) == word;
}

// `[FILE [=]] 'path'`, the file part of GET FILE, INCLUDE and INSERT.
std::optional<std::string> FileOperand(Words& words) {
    if (auto path = words.Quoted()) {
        return path;
    }
    if (!Matches(words.Next(), "FILE")) {
        return std::nullopt;
    }
    words.Take('=');
    return words.Quoted();
}

// INSERT's SYNTAX subcommand; INCLUDE, and INSERT without it, read by the batch rules.
SyntaxMode InsertSyntax(Words& words) {
    SyntaxMode mode = SyntaxMode::Batch;
    for (;;) {
        if (words.Quoted() || words.Take('=') || words.Take('/')) {
            continue;
        }
        const std::string word = words.Next();
        if (word.empty()) {
            return mode;
        }
        if (Matches(word, "SYNTAX")) {
            words.Take('=');
            mode = Matches(words.Next(), "INTERACTIVE") ? SyntaxMode::Interactive
                                                        : SyntaxMode::Batch;
        }
    }
}

bool ContainsWord(std::string_view text, std::string_view upperWord) {
    std::string upper;
    upper.reserve(text.size());
    for (const char c : text) {
        upper += Upper(c);
    }
    return upper.find(upperWord) != std::string::npos;
}

} // namespace

// The editor sends CR LF; a lone CR, which it shows as a line break too, becomes one.
std::string BatchFileText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    if (!out.empty() && out.back() != '\n') {
        out += '\n';
    }
    return out;
}

DatasetChange DatasetChangeOf(std::string_view command) {
    using Kind = DatasetChange::Kind;
    Words words(command);
    const std::string first = words.Next();
    if (first.empty()) {
        return {};
    }
    if (Matches(first, "GET")) {
        Words peek = words;
        const std::string second = peek.Next();
        if (second.empty() || Matches(second, "FILE")) {
            if (auto path = FileOperand(words)) {
                return {Kind::Opened, std::move(*path)};
            }
        }
        // GET DATA, GET SAS, a file handle name...: a dataset no file we know stands for.
        return {Kind::Replaced, {}};
    }
    if (Matches(first, "INCLUDE") || Matches(first, "INSERT")) {
        if (auto path = FileOperand(words)) {
            DatasetChange change{Kind::Included, std::move(*path)};
            if (Matches(first, "INSERT")) {
                change.syntax = InsertSyntax(words);
            }
            return change;
        }
        return {};
    }
    if (Matches(first, "IMPORT")) {
        return {Kind::Replaced, {}};
    }
    if (Matches(first, "AGGREGATE")) {
        // Only OUTFILE=* without added variables puts the aggregate in the place of the data.
        std::string rest(command);
        std::erase_if(rest, [](char c) { return IsBlank(c) || c == '\n' || c == '\r'; });
        if (ContainsWord(rest, "OUTFILE=*") && !ContainsWord(rest, "ADDVARIABLES")) {
            return {Kind::Replaced, {}};
        }
        return {};
    }
    static constexpr std::array<std::array<std::string_view, 2>, 9> kTwoWords{{
        {"NEW", "FILE"},
        {"DATA", "LIST"},
        {"INPUT", "PROGRAM"},
        {"MATRIX", "DATA"},
        {"ADD", "FILES"},
        {"MATCH", "FILES"},
        {"FILE", "TYPE"},
        {"DATASET", "ACTIVATE"},
        {"UPDATE", ""},
    }};
    const std::string second = words.Next();
    for (const auto& [a, b] : kTwoWords) {
        if (Matches(first, a) && (b.empty() || Matches(second, b))) {
            return {Kind::Replaced, {}};
        }
    }
    return {};
}

std::string OpenBlockOf(std::string_view text) {
    // Each block's first words, and the words that end it.
    static constexpr std::pair<std::string_view, std::string_view> kBlocks[] = {
        {"DO IF", "END IF"},
        {"LOOP", "END LOOP"},
        {"DO REPEAT", "END REPEAT"},
        {"INPUT PROGRAM", "END INPUT PROGRAM"}};
    std::vector<std::string_view> open;
    for (const SyntaxCommand& command : SplitCommands(text)) {
        Words words(command.text);
        std::string start = words.Next();
        for (int i = 0; i < 2; ++i) {
            start += " " + words.Next();
        }
        const auto is = [&](std::string_view block) {
            return start.starts_with(block) &&
                   (start.size() == block.size() || start[block.size()] == ' ');
        };
        for (const auto& [begin, end] : kBlocks) {
            if (is(end)) {
                if (!open.empty() && open.back() == begin) {
                    open.pop_back();
                }
            } else if (is(begin) && (begin != "DO REPEAT" || command.unfinished)) {
                // A DO REPEAT is one command with its END REPEAT, unless the text ends first.
                open.push_back(begin);
            }
        }
    }
    return open.empty() ? std::string() : std::string(open.back());
}

} // namespace qs::engine
