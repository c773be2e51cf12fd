// quillstone-highlight: highlights a syntax file as the editor does and prints the tokens,
// a count per token kind, or a standalone HTML page.
#include "highlight/HighlightText.h"
#include "highlight/HtmlExport.h"
#include "highlight/LanguageElements.h"
#include "highlight/SynHighlighterSPSS.h"

#ifdef QS_HIGHLIGHT_WITH_REGISTRY
#include "highlight/HighlighterStyles.h"
#endif

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: quillstone-highlight [--language FILE] [--variables FILE] "
                               "[--format tokens|html|count] [FILE|-]\n";

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

std::optional<std::string> ReadAll(const std::string& path, std::string& error) {
    std::ostringstream content;
    if (path == "-") {
        content << std::cin.rdbuf();
        return content.str();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return std::nullopt;
    }
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> VariableNames(const std::string& text) {
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
    Options options;
    if (auto error = ParseArguments(argc, argv, options)) {
        std::cerr << "quillstone-highlight: " << *error << '\n' << kUsage;
        return 2;
    }

    qs::LanguageElements elements;
    if (options.language) {
        std::string error;
        auto read = qs::ReadLanguageDefinition(*options.language, &error);
        if (!read) {
            return Fail("language definition: " + error);
        }
        elements = *read;
    } else {
        elements = qs::LoadLanguageElements(qs::DefaultLanguageDefinitionPath(), std::cerr);
    }

    std::vector<std::string> variables;
    if (options.variables) {
        std::string error;
        auto text = ReadAll(*options.variables, error);
        if (!text) {
            return Fail("variables: " + error);
        }
        variables = VariableNames(*text);
    }

    std::string error;
    auto input = ReadAll(options.input, error);
    if (!input) {
        return Fail("input: " + error);
    }

    qs::TSynSPSSHighlighter highlighter(elements);
    highlighter.SetVariables(variables);
    if (options.format == "tokens") {
        std::cout << qs::FormatTokens(qs::CollectTokens(highlighter, *input));
    } else if (options.format == "count") {
        auto counts = qs::CountTokens(highlighter, *input);
        for (int ordinal = 0; ordinal < qs::kTokenKindCount; ++ordinal) {
            auto kind = static_cast<qs::TokenKind>(ordinal);
            if (kind != qs::TokenKind::LineEnd) {
                std::cout << qs::TokenKindName(kind) << '\t' << counts[ordinal] << '\n';
            }
        }
    } else {
        LoadStoredStyles(highlighter);
        std::string title = options.input == "-" ? "SPSS syntax" : options.input;
        std::cout << qs::ExportHtml(highlighter, *input, title);
    }
    std::cout.flush();
    if (!std::cout) {
        return Fail("cannot write the output");
    }
    return 0;
}
