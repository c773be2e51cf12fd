// Commands' effects on the active dataset; see CommandEffects.h.
#include "spss/CommandEffects.h"
#include "spss/CommandSplitter.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace qs {

namespace {

// The command's words in capitals, with the hyphen inside a name (T-TEST). Strings are
// skipped, as a SAVE in ECHO 'SAVE' is no subcommand. Empty when the command starts with
// something other than a name (a macro's !name), and for a comment. At most `most` words:
// a command may carry megabytes of inline data.
std::vector<std::string> CommandWords(std::string_view text, bool& comment,
                                      std::size_t most = SIZE_MAX) {
    std::vector<std::string> words;
    text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t\r\n\f\v")));
    comment = !text.empty() && text.front() == '*';
    // A + - or . in the first column only marks where the command starts.
    const std::size_t start =
        !text.empty() && (text[0] == '+' || text[0] == '-' || text[0] == '.') ? 1 : 0;
    if (comment || start >= text.size() || !std::isalpha(static_cast<unsigned char>(text[start]))) {
        comment = comment || start >= text.size();
        return words;
    }
    std::string word;
    char quote = 0;
    for (std::size_t i = start; i <= text.size() && words.size() < most; ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (quote) {
            quote = c == quote ? 0 : quote;
            continue;
        }
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '_' || c == '$' || c == '#' || c == '@' || u >= 0x80 ||
            (c == '-' && !word.empty())) {
            word += static_cast<char>(std::toupper(u));
            continue;
        }
        if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
        if (c == '\'' || c == '"') {
            quote = c;
        }
    }
    return words;
}

// PSPP takes a command's words shortened to three letters or more.
bool Is(const std::string& word, std::string_view name) {
    return word.size() >= std::min<std::size_t>(3, name.size()) && word.size() <= name.size() &&
           name.substr(0, word.size()) == word;
}

bool IsOneOf(const std::string& word, std::initializer_list<std::string_view> names) {
    return std::any_of(names.begin(), names.end(), [&](std::string_view name) { return Is(word, name); });
}

} // namespace

PassEffect PassEffectOf(std::string_view command) {
    bool comment = false;
    const std::vector<std::string> words = CommandWords(command, comment, 2);
    if (words.empty()) {
        return PassEffect::None;
    }
    const std::string& first = words[0];
    const std::string second = words.size() > 1 ? words[1] : std::string();
    if (IsOneOf(first, {"WRITE", "PRINT"}) && !IsOneOf(second, {"FORMATS", "EJECT", "SPACE"})) {
        return PassEffect::WritesFiles; // PRINT without OUTFILE writes none: held back all the same
    }
    if (IsOneOf(first, {"XSAVE", "XEXPORT"})) {
        return PassEffect::WritesFiles;
    }
    if (Is(first, "TEMPORARY")) {
        return PassEffect::Temporary;
    }
    if (IsOneOf(first, {"EXECUTE", "LIST", "FREQUENCIES", "DESCRIPTIVES", "CROSSTABS", "MEANS",
                        "EXAMINE", "REGRESSION", "T-TEST", "ONEWAY", "CORRELATIONS", "NPAR",
                        "GRAPH", "AGGREGATE", "SORT", "SAVE", "EXPORT", "RANK", "FACTOR",
                        "RELIABILITY", "GLM", "LOGISTIC", "QUICK"})) {
        return PassEffect::RunsPass;
    }
    return PassEffect::None;
}

bool LeavesCasesAlone(std::string_view command) {
    bool comment = false;
    const std::vector<std::string> first = CommandWords(command, comment, 1);
    if (first.empty()) {
        return comment; // a macro's !name, or anything else unknown, may change them
    }
    if (!IsOneOf(first[0], {"FREQUENCIES", "DESCRIPTIVES", "CROSSTABS", "MEANS", "EXAMINE",
                            "LIST", "T-TEST", "ONEWAY", "CORRELATIONS", "NPAR", "GRAPH", "ECHO",
                            "TITLE", "SUBTITLE", "SHOW", "DISPLAY", "FACTOR", "RELIABILITY",
                            "EXECUTE", "REGRESSION", "GLM", "LOGISTIC", "ROC", "COMMENT"})) {
        return false;
    }
    // DESCRIPTIVES /SAVE, REGRESSION /SAVE and the like add variables.
    const std::vector<std::string> words = CommandWords(command, comment);
    return std::none_of(words.begin() + 1, words.end(),
                        [](const std::string& w) { return w.size() >= 3 && Is(w, "SAVE"); });
}

void TPendingTransformations::Note(std::string_view text, bool ran) {
    for (const SyntaxCommand& command : SplitCommands(text, SyntaxMode::Interactive)) {
        NoteCommand(command.text, ran);
    }
}

void TPendingTransformations::NoteCommand(std::string_view command, bool ran) {
    switch (PassEffectOf(command)) {
    case PassEffect::WritesFiles:
        m_fileWrites = true;
        break;
    case PassEffect::Temporary:
        m_temporary = true;
        break;
    case PassEffect::RunsPass:
        if (ran) {
            m_fileWrites = false;
            m_temporary = false;
        }
        break;
    case PassEffect::None:
        break;
    }
}

std::string TPendingTransformations::Why() const {
    return m_temporary ? kTemporaryPending : m_fileWrites ? kFileWritesPending : std::string();
}

} // namespace qs
