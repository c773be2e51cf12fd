// Reading the language definition file, and the built-in fallback.
#include "highlight/LanguageElements.h"

#include "highlight/BuiltinVocabulary.h"
#include "highlight/CommaText.h"
#include "platform/FilePath.h"
#include "platform/shell/Shell.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

namespace qs {

namespace {

constexpr std::array<std::string_view, kElementListCount> kListNames = {
    "Commands",        "Functions",         "Subcommands", "Keywords",        "ThreeWordCommands",
    "TwoWordCommands", "MultiWordStarters", "Operators",   "ExecuteCommands", "SystemVariables",
};

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        auto la = static_cast<char>(a[i] >= 'A' && a[i] <= 'Z' ? a[i] + 32 : a[i]);
        auto lb = static_cast<char>(b[i] >= 'A' && b[i] <= 'Z' ? b[i] + 32 : b[i]);
        if (la != lb) {
            return false;
        }
    }
    return true;
}

// "[N ListName]" gives the list's index; anything else gives -1.
int ParseSectionHeader(std::string_view line) {
    if (line.size() < 5 || line.front() != '[' || line.back() != ']') {
        return -1;
    }
    std::string_view inner = line.substr(1, line.size() - 2);
    size_t blank = inner.find(' ');
    if (blank == std::string_view::npos) {
        return -1;
    }
    std::string_view number = inner.substr(0, blank);
    std::string_view name = Trim(inner.substr(blank + 1));
    int n = 0;
    for (char c : number) {
        if (c < '0' || c > '9' || n > 10) {
            return -1;
        }
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > static_cast<int>(kElementListCount) || !EqualNoCase(name, kListNames[n - 1])) {
        return -1;
    }
    return n - 1;
}

bool Fail(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
    return false;
}

} // namespace

std::string_view ElementListName(ElementList list) {
    return kListNames[static_cast<size_t>(list)];
}

std::optional<LanguageElements> ParseLanguageDefinition(std::string_view text, std::string* error) {
    if (text.find('\0') != std::string_view::npos) {
        Fail(error, "not a text file");
        return std::nullopt;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    LanguageElements elements;
    std::array<bool, kElementListCount> seen{};
    int current = -1;
    size_t lineNo = 0;
    while (!text.empty()) {
        size_t eol = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        ++lineNo;
        std::string_view trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            current = ParseSectionHeader(trimmed);
            if (current < 0) {
                Fail(error, "line " + std::to_string(lineNo) + ": unknown section " +
                                std::string(trimmed));
                return std::nullopt;
            }
            if (seen[current]) {
                Fail(error, "line " + std::to_string(lineNo) + ": section " + std::string(trimmed) +
                                " appears twice");
                return std::nullopt;
            }
            seen[current] = true;
            continue;
        }
        if (current < 0) {
            if (!trimmed.empty()) {
                Fail(error, "line " + std::to_string(lineNo) + ": text before the first section");
                return std::nullopt;
            }
            continue;
        }
        // A line break separates items like a blank does.
        std::string& target = elements.texts[current];
        if (!target.empty()) {
            target += '\n';
        }
        target += line;
    }
    bool any = false;
    for (bool s : seen) {
        any = any || s;
    }
    if (!any) {
        Fail(error, "no list sections");
        return std::nullopt;
    }
    // Sections alone would silence every command the editor knows.
    const auto commands = ParseCommaText(elements[ElementList::Commands]);
    if (std::all_of(commands.begin(), commands.end(), [](const auto& c) { return c.empty(); })) {
        Fail(error, "no commands");
        return std::nullopt;
    }
    return elements;
}

std::optional<LanguageElements> ReadLanguageDefinition(const std::filesystem::path& file,
                                                       std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        Fail(error, "cannot open " + Utf8FromPath(file));
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        Fail(error, "cannot read " + Utf8FromPath(file));
        return std::nullopt;
    }
    std::string why;
    auto elements = ParseLanguageDefinition(content.str(), &why);
    if (!elements) {
        Fail(error, Utf8FromPath(file) + " is not a language definition: " + why);
    }
    return elements;
}

const LanguageElements& BuiltinLanguageElements() {
    static const LanguageElements builtin = [] {
        auto parsed = ParseLanguageDefinition(BuiltinVocabularyText());
        return parsed ? *parsed : LanguageElements{};
    }();
    return builtin;
}

std::filesystem::path DefaultLanguageDefinitionPath() {
    const std::string program = ProgramFilePath();
    if (program.empty()) {
        return "lngpck.dll";
    }
    return PathFromUtf8(program).parent_path() / "lngpck.dll";
}

std::filesystem::path UserLanguageDefinitionPath() {
#ifdef _WIN32
    return DefaultLanguageDefinitionPath();
#else
    // Without a settings folder the installed file is the only one there is.
    const std::string config = UserConfigFolder();
    if (config.empty()) {
        return DefaultLanguageDefinitionPath();
    }
    return PathFromUtf8(config) / "quillstone" / "lngpck.dll";
#endif
}

LanguageElements LoadLanguageElements(const std::filesystem::path& file,
                                      std::ostream& diagnostics) {
    std::string error;
    if (auto elements = ReadLanguageDefinition(file, &error)) {
        return *elements;
    }
    diagnostics << "quillstone: " << error << "; using the built-in SPSS vocabulary\n";
    return BuiltinLanguageElements();
}

LanguageElements LoadLanguageElements(std::ostream& diagnostics) {
    const std::filesystem::path installed = DefaultLanguageDefinitionPath();
    const std::filesystem::path user = UserLanguageDefinitionPath();
    std::error_code ec;
    if (user != installed && std::filesystem::exists(user, ec)) {
        std::string error;
        if (auto elements = ReadLanguageDefinition(user, &error)) {
            return *elements;
        }
        diagnostics << "quillstone: " << error << "; using " << Utf8FromPath(installed) << '\n';
    }
    return LoadLanguageElements(installed, diagnostics);
}

LanguageElements GetLanguageElements() {
    static std::atomic<bool> reported{false};
    std::ostringstream diagnostics;
    LanguageElements elements = LoadLanguageElements(diagnostics);
    if (!diagnostics.str().empty() && !reported.exchange(true)) {
        std::cerr << diagnostics.str();
    }
    return elements;
}

void GetLanguageElements(std::string& commands, std::string& functions, std::string& subcommands,
                         std::string& keywords, std::string& threeWordCommands,
                         std::string& twoWordCommands, std::string& multiWordStarters,
                         std::string& operators, std::string& executeCommands,
                         std::string& systemVariables) {
    LanguageElements e = GetLanguageElements();
    commands = std::move(e[ElementList::Commands]);
    functions = std::move(e[ElementList::Functions]);
    subcommands = std::move(e[ElementList::Subcommands]);
    keywords = std::move(e[ElementList::Keywords]);
    threeWordCommands = std::move(e[ElementList::ThreeWordCommands]);
    twoWordCommands = std::move(e[ElementList::TwoWordCommands]);
    multiWordStarters = std::move(e[ElementList::MultiWordStarters]);
    operators = std::move(e[ElementList::Operators]);
    executeCommands = std::move(e[ElementList::ExecuteCommands]);
    systemVariables = std::move(e[ElementList::SystemVariables]);
}

} // namespace qs
