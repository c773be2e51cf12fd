// The word rule exactly as designed: every prefix is classified by binary search in the
// sorted lists and a search of Variables from the start, the look-ahead goes character by
// character. Slow, and only for checking that the highlighter's quick word rule gives the
// same tokens (tests and the fuzzer).
#pragma once

#include "highlight/SynHighlighterSPSS.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace qs::test {

struct WordRuleResult {
    size_t end; // one past the token
    TokenKind kind;
    LineState state;
};

inline WordRuleResult ReferenceWordRule(const TSynSPSSHighlighter& hl, std::string_view line,
                                        size_t start) {
    auto at = [&](size_t p) { return p < line.size() ? line[p] : '\0'; };
    auto letterOrDigit = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    };
    auto isPhrase = [&](char c) {
        return letterOrDigit(c) || c == '#' || c == '$' || c == '-' || c == '/' || c == '@' ||
               c == '_';
    };
    auto isWord = [&](char c) { return isPhrase(c) || c == '.'; };
    auto in = [&](ElementList list, const std::string& w) {
        const auto& v = hl.List(list);
        return std::binary_search(v.begin(), v.end(), w, [](const auto& a, const auto& b) {
            return CompareTextNoCase(a, b) < 0;
        });
    };
    auto isVariable = [&](const std::string& w) {
        return std::any_of(hl.Variables().begin(), hl.Variables().end(),
                           [&](const auto& v) { return CompareTextNoCase(v, w) == 0; });
    };
    auto backTo = [&](size_t r, bool eq, bool slash) {
        for (size_t p = r + 1; p-- > 0;) {
            if ((eq && at(p) == '=') || (slash && at(p) == '/')) {
                return at(p);
            }
        }
        return '\0';
    };

    LineState state = LineState::Normal;
    TokenKind kind = TokenKind::Unknown;
    std::string w;
    bool m = false;
    const size_t none = std::string::npos;
    size_t p = none;
    size_t r = start;
    while (isWord(at(r))) {
        state = LineState::Normal;
        w += at(r);
        const bool C = in(ElementList::Commands, w), S = in(ElementList::Subcommands, w),
                   K = in(ElementList::Keywords, w), F = in(ElementList::Functions, w),
                   O = in(ElementList::Operators, w);
        kind = in(ElementList::ExecuteCommands, w) ? TokenKind::Execute
               : isVariable(w)                     ? TokenKind::Variable
                                                   : TokenKind::Unknown;
        m = m || in(ElementList::MultiWordStarters, w);
        if (m) {
            for (size_t i = 1; at(r + i) == ' '; ++i) {
                std::string t2 = w + " ";
                for (size_t j = 1; isPhrase(at(r + i + j)); ++j) {
                    t2 += at(r + i + j);
                    if (!in(ElementList::TwoWordCommands, t2)) {
                        p = none;
                        kind = TokenKind::Unknown;
                        continue;
                    }
                    p = r + i + j;
                    for (size_t k = 1; at(r + i + j + k) == ' '; ++k) {
                        std::string t3 = t2 + " ";
                        for (size_t n = 1; isPhrase(at(r + i + j + k + n)); ++n) {
                            t3 += at(r + i + j + k + n);
                            p = in(ElementList::ThreeWordCommands, t3) ? r + i + j + k + n
                                                                       : r + i + j;
                        }
                    }
                }
            }
        }
        if (p != none) {
            kind = TokenKind::Command;
            r = p;
        } else {
            // The class code sequence C, S, K, F, O, CK, CS, SK, CF, SF, KF, OK, CSK, CKF,
            // CSF, SKF; the last one whose letters are all present.
            std::string code;
            const std::pair<const char*, bool> sequence[] = {{"C", C},
                                                             {"S", S},
                                                             {"K", K},
                                                             {"F", F},
                                                             {"O", O},
                                                             {"CK", C && K},
                                                             {"CS", C && S},
                                                             {"SK", S && K},
                                                             {"CF", C && F},
                                                             {"SF", S && F},
                                                             {"KF", K && F},
                                                             {"OK", O && K},
                                                             {"CSK", C && S && K},
                                                             {"CKF", C && K && F},
                                                             {"CSF", C && S && F},
                                                             {"SKF", S && K && F}};
            for (const auto& [name, present] : sequence) {
                if (present) {
                    code = name;
                }
            }
            const bool hasC = code.find('C') != none, hasS = code.find('S') != none,
                       hasK = code.find('K') != none, hasF = code.find('F') != none;
            if (code == "C") {
                kind = TokenKind::Command;
                if (CompareTextNoCase(w, "comment") == 0) {
                    state = LineState::InComment;
                }
            } else if (code == "S") {
                kind = TokenKind::Subcommand;
            } else if (code == "K") {
                kind = TokenKind::Keyword;
            } else if (code == "F") {
                kind = TokenKind::Function;
            } else if (code == "O" || code == "OK") {
                kind = TokenKind::Operator;
            } else if (hasC) {
                kind = TokenKind::Command;
            } else if (code == "SKF") {
                kind = kind == TokenKind::Unknown ? TokenKind::Keyword : kind;
            } else if (hasS) {
                kind = TokenKind::Subcommand;
            } else if (hasK) {
                kind = TokenKind::Keyword;
            }
            if (code.size() > 1) {
                // Which look-backs apply: '/' needs S, '=' needs K, both for SK-codes.
                char found = backTo(r, hasK, hasS && code != "SF");
                if (code == "SF" || code == "CF" || code == "KF") {
                    found = '\0';
                }
                if (found == '=') {
                    kind = TokenKind::Keyword;
                } else if (found == '/') {
                    kind = TokenKind::Subcommand;
                }
                if (hasF && at(r + 1) == '(') {
                    kind = TokenKind::Function;
                }
            }
        }
        if (kind != TokenKind::Unknown && at(r + 1) == '.') {
            return {r + 1, kind, state};
        }
        ++r;
    }
    return {r, kind, state};
}

} // namespace qs::test
