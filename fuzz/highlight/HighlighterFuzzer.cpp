// Fuzzes the SPSS highlighter: for any bytes, every line's scan ends, its tokens cover the
// line exactly and in order, a line scanned again from its stored state gives the same
// tokens, and every word token equals what the word rule as designed gives. Each line sits in a
// buffer of exactly its size, so AddressSanitizer reports any read past the line's end.
#include "ReferenceWordRule.h"
#include "highlight/HighlightText.h"
#include "highlight/LanguageElements.h"
#include "highlight/SynHighlighterSPSS.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using qs::TokenKind;

struct Token {
    size_t start;
    std::string text;
    TokenKind kind;
    bool operator==(const Token&) const = default;
};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::vector<Token> ScanLine(qs::TSynSPSSHighlighter& hl, std::string_view line, int state) {
    // An exact-size heap copy: one byte beyond is outside the allocation.
    std::unique_ptr<char[]> buffer(new char[line.size() == 0 ? 1 : line.size()]);
    std::copy(line.begin(), line.end(), buffer.get());
    std::string_view exact(buffer.get(), line.size());

    std::vector<Token> tokens;
    hl.SetLineState(state);
    size_t expectedStart = 0;
    size_t steps = 0;
    int stateBefore = state;
    for (hl.BeginLine(exact, 0); !hl.AtLineEnd(); hl.NextToken()) {
        Check(++steps <= line.size()); // every token takes at least one character
        Check(static_cast<size_t>(hl.TokenStart()) == expectedStart);
        std::string_view text = hl.TokenText();
        Check(!text.empty());
        Check(text.data() == exact.data() + expectedStart);
        Check(hl.TokenKindOrdinal() >= 0 && hl.TokenKindOrdinal() < qs::kTokenKindCount);
        Check(hl.TokenAttributes() != nullptr);
        const char first = exact[expectedStart];
        if (stateBefore == 0 &&
            ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '@')) {
            qs::test::WordRuleResult expected =
                qs::test::ReferenceWordRule(hl, exact, expectedStart);
            Check(expected.end == expectedStart + text.size());
            Check(expected.kind == hl.GetTokenKind());
            Check(static_cast<int>(expected.state) == hl.GetLineState());
        }
        stateBefore = hl.GetLineState();
        tokens.push_back({expectedStart, std::string(text), hl.GetTokenKind()});
        expectedStart += text.size();
    }
    Check(expectedStart == line.size());
    Check(static_cast<size_t>(hl.TokenStart()) == line.size());
    Check(hl.TokenText().empty());
    Check(hl.GetLineState() == 0 || hl.GetLineState() == 1);
    return tokens;
}

qs::TSynSPSSHighlighter& Highlighter() {
    static qs::TSynSPSSHighlighter highlighter(qs::BuiltinLanguageElements());
    return highlighter;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    qs::TSynSPSSHighlighter& hl = Highlighter();

    // The first line names the variables, so that variable look-ups get fuzzed too.
    std::vector<std::string> variables;
    size_t firstBreak = input.find('\n');
    if (firstBreak != std::string_view::npos) {
        std::string_view names = input.substr(0, firstBreak);
        for (size_t pos = 0; pos < names.size();) {
            size_t blank = names.find(' ', pos);
            size_t end = blank == std::string_view::npos ? names.size() : blank;
            variables.emplace_back(names.substr(pos, end - pos));
            pos = end + 1;
        }
    }
    hl.SetVariables(variables);

    // The text as an editor gives it, line by line with the state carried over; each line
    // scanned a second time from the state it started with must give the same tokens.
    int state = 0;
    qs::ForEachLine(input, [&](int, std::string_view line) {
        std::vector<Token> first = ScanLine(hl, line, state);
        int after = hl.GetLineState();
        Check(ScanLine(hl, line, state) == first);
        Check(hl.GetLineState() == after);
        state = after;
    });
    // The whole input as one line, line breaks and all, from both states.
    ScanLine(hl, input, 0);
    ScanLine(hl, input, 1);
    return 0;
}
