// quillstone-highlight: highlights a syntax file as the editor does and prints the tokens,
// a count per token kind, or a standalone HTML page.
#include "about/ProgramSwitches.h"
#include "highlight/HighlightText.h"
#include "highlight/HtmlExport.h"
#include "highlight/LanguageElements.h"
#include "highlight/SynHighlighterSPSS.h"
#include "platform/ConsoleProgram.h"
#include "platform/FileDescriptor.h"
#include "platform/FilePath.h"
#include "platform/memory/Arena.h"

#ifdef QS_HIGHLIGHT_WITH_REGISTRY
#include "highlight/HighlighterStyles.h"
#endif

#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "Usage: quillstone-highlight [--language FILE] [--variables FILE] "
                               "[--format tokens|html|count] [FILE|-]\n";
constexpr const char* kDescription =
    "Highlights a syntax file (standard input for - or none) as the editor does.\n"
    "\n"
    "  --language FILE   the language definition to use instead of the one beside\n"
    "                    the program\n"
    "  --variables FILE  variable names, one a line, highlighted as variables\n"
    "  --format tokens   print one token a line (the default)\n"
    "  --format count    print how many tokens of each kind there are\n"
    "  --format html     print a standalone HTML page in the stored styles\n";

struct Options {
    std::optional<std::string> language;
    std::optional<std::string> variables;
    std::string format = "tokens";
    std::string input = "-";
};

int Fail(const std::string& message, int code = 1) {
    std::cerr << "quillstone-highlight: " << message << '\n';
    return code;
}

// Gives an error message, or nothing when the arguments are fine.
std::optional<std::string> ParseArguments(int argc, char** argv, Options& options) {
    bool haveInput = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--language" || arg == "--variables" || arg == "--format") {
            if (i + 1 >= argc) {
                return arg + " needs a value";
            }
            std::string v = argv[++i];
            if (arg == "--language") {
                options.language = v;
            } else if (arg == "--variables") {
                options.variables = v;
            } else {
                options.format = v;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (haveInput) {
            return "more than one input file";
        } else {
            options.input = arg;
            haveInput = true;
        }
    }
    if (options.format != "tokens" && options.format != "html" && options.format != "count") {
        return "unknown format '" + options.format + "' (use tokens, html or count)";
    }
    return std::nullopt;
}

// A whole input file. Its size is known beforehand for a plain file, so it is read in one
// pass into a buffer of that size that nothing fills first: growing a string on large
// inputs costs copies, zero-filling and page faults that take as long as highlighting.
// The arena places large buffers on huge pages, which cuts the page faults further.
class InputText {
public:
    bool Read(const std::string& path, std::string& error) {
        const bool standardInput = path == "-";
        const int fd = standardInput ? 0 : qs::OpenForReading(path.c_str());
        if (fd < 0) {
            error = "cannot open '" + path + "': " + std::strerror(errno);
            return false;
        }
        std::size_t capacity = std::size_t{1} << 16;
        if (const std::int64_t size = qs::RegularFileSize(fd); size > 0) {
            capacity = static_cast<std::size_t>(size) + 1; // +1: the end shows at once
        }
        m_data = static_cast<char*>(m_arena.Allocate(capacity, 1));
        bool ok = true;
        for (;;) {
            if (m_size == capacity) { // the file grew, or a pipe goes on
                auto* larger = static_cast<char*>(m_arena.Allocate(capacity * 2, 1));
                std::memcpy(larger, m_data, m_size);
                m_data = larger;
                capacity *= 2;
            }
            const std::int64_t n = qs::ReadSome(fd, m_data + m_size, capacity - m_size);
            if (n == 0) {
                break;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                error = "cannot read '" + path + "': " + std::strerror(errno);
                ok = false;
                break;
            }
            m_size += static_cast<std::size_t>(n);
        }
        if (!standardInput) {
            qs::CloseFile(fd);
        }
        return ok;
    }
    std::string_view View() const { return {m_data, m_size}; }

private:
    qs::Arena m_arena;
    char* m_data = nullptr;
    std::size_t m_size = 0;
};

std::vector<std::string> VariableNames(std::string_view text) {
    std::vector<std::string> names;
    qs::ForEachLine(text, [&names](int, std::string_view line) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        if (!line.empty()) {
            names.emplace_back(line);
        }
    });
    return names;
}

void LoadStoredStyles(qs::TSynSPSSHighlighter& highlighter) {
#ifdef QS_HIGHLIGHT_WITH_REGISTRY
    try {
        qs::LoadStyles(highlighter, qs::RootKey::CurrentUser, qs::kHighlighterStyleKey);
    } catch (const std::exception& e) {
        std::cerr << "quillstone-highlight: styles not read from the registry (" << e.what()
                  << "); using the defaults\n";
    }
#else
    (void)highlighter;
#endif
}

} // namespace

int main(int argc, char** argv) {
    qs::PrepareConsoleProgram(argc, argv);
    if (const auto code = qs::AnswerInfoSwitch(argc, argv, qs::ThisProgram(),
                                               std::string(kUsage) + kDescription, std::cout)) {
        return *code;
    }
    Options options;
    if (auto error = ParseArguments(argc, argv, options)) {
        std::cerr << "quillstone-highlight: " << *error << '\n' << kUsage;
        return 2;
    }

    qs::LanguageElements elements;
    if (options.language) {
        std::string error;
        auto read = qs::ReadLanguageDefinition(qs::PathFromUtf8(*options.language), &error);
        if (!read) {
            return Fail("language definition: " + error);
        }
        elements = *read;
    } else {
        elements = qs::LoadLanguageElements(std::cerr);
    }

    std::vector<std::string> variables;
    if (options.variables) {
        std::string error;
        InputText text;
        if (!text.Read(*options.variables, error)) {
            return Fail("variables: " + error);
        }
        variables = VariableNames(text.View());
    }

    std::string error;
    InputText inputText;
    if (!inputText.Read(options.input, error)) {
        return Fail("input: " + error);
    }
    const std::string_view input = inputText.View();

    qs::TSynSPSSHighlighter highlighter(elements);
    highlighter.SetVariables(variables);
    if (options.format == "tokens") {
        // Written as the tokens come, so that the output of a large file is never held whole.
        std::string out;
        qs::HighlightText(highlighter, input, [&out](const qs::HighlightToken& token) {
            qs::AppendToken(out, token);
            if (out.size() >= (std::size_t{1} << 20)) {
                std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
                out.clear();
            }
        });
        std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    } else if (options.format == "count") {
        auto counts = qs::CountTokens(highlighter, input);
        for (int ordinal = 0; ordinal < qs::kTokenKindCount; ++ordinal) {
            auto kind = static_cast<qs::TokenKind>(ordinal);
            if (kind != qs::TokenKind::LineEnd) {
                std::cout << qs::TokenKindName(kind) << '\t' << counts[ordinal] << '\n';
            }
        }
    } else {
        LoadStoredStyles(highlighter);
        std::string title = options.input == "-" ? "SPSS syntax" : options.input;
        std::cout << qs::ExportHtml(highlighter, input, title);
    }
    std::cout.flush();
    if (!std::cout) {
        return Fail("cannot write the output");
    }
    return 0;
}
