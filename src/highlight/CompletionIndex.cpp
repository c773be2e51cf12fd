#include "highlight/CompletionIndex.h"

#include "highlight/SynHighlighterSPSS.h"

#include <algorithm>
#include <numeric>

namespace qs {

void CompletionIndex::Build(std::vector<CompletionCandidate> candidates) {
    std::vector<std::string> keys;
    keys.reserve(candidates.size());
    for (const CompletionCandidate& candidate : candidates) {
        keys.push_back(Folded(candidate.text));
    }
    std::vector<std::size_t> order(candidates.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (keys[a] != keys[b]) {
            return keys[a] < keys[b];
        }
        return candidates[a].kind < candidates[b].kind;
    });
    m_entries.clear();
    m_entries.reserve(candidates.size());
    m_pool.Clear();
    std::size_t bytes = 0;
    for (const std::string& key : keys) {
        bytes += key.size();
    }
    m_pool.Reserve(candidates.size(), bytes);
    const std::string* previous = nullptr;
    for (const std::size_t i : order) {
        if (keys[i].empty() || (previous != nullptr && *previous == keys[i])) {
            continue;
        }
        previous = &keys[i];
        m_pool.Add(keys[i]);
        m_entries.push_back(std::move(candidates[i]));
    }
}

std::vector<std::size_t> CompletionIndex::Rank(std::string_view typed, std::size_t limit) const {
    const std::string needle = Folded(typed);
    // Within each group the data file's names lead: they are what a user types most.
    const auto dataFirst = [this, limit](std::vector<std::size_t>& group) {
        std::stable_partition(group.begin(), group.end(), [this](std::size_t entry) {
            return m_entries[entry].kind == CompletionKind::Variable ||
                   m_entries[entry].kind == CompletionKind::Set;
        });
        if (group.size() > limit) {
            group.resize(limit);
        }
    };
    // Prefix matches form one run of the sorted entries.
    std::size_t lo = 0;
    std::size_t hi = m_entries.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (m_pool.Entry(mid) < needle) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    std::vector<std::size_t> ranked;
    for (std::size_t i = lo;
         i < m_entries.size() && m_pool.Entry(i).substr(0, needle.size()) == needle; ++i) {
        ranked.push_back(i);
    }
    dataFirst(ranked);
    if (needle.empty() || ranked.size() >= limit) {
        return ranked;
    }
    std::vector<std::size_t> inside;
    m_pool.ForEachMatch(needle, [&](std::size_t entry, bool atStart) {
        if (!atStart) {
            inside.push_back(entry);
        }
        return true;
    });
    dataFirst(inside);
    inside.resize(std::min(inside.size(), limit - ranked.size()));
    ranked.insert(ranked.end(), inside.begin(), inside.end());
    return ranked;
}

std::vector<CompletionCandidate> LanguageCandidates(const TSynSPSSHighlighter& highlighter) {
    static constexpr std::pair<ElementList, CompletionKind> kLists[] = {
        {ElementList::Commands, CompletionKind::Command},
        {ElementList::TwoWordCommands, CompletionKind::Command},
        {ElementList::ThreeWordCommands, CompletionKind::Command},
        {ElementList::Subcommands, CompletionKind::Subcommand},
        {ElementList::Keywords, CompletionKind::Keyword},
        {ElementList::Functions, CompletionKind::Function},
    };
    std::vector<CompletionCandidate> candidates;
    for (const auto& [list, kind] : kLists) {
        for (const std::string& word : highlighter.List(list)) {
            candidates.push_back({word, kind});
        }
    }
    return candidates;
}

void AddDataFileCandidates(std::vector<CompletionCandidate>& candidates,
                           const std::vector<std::string>& variables,
                           const std::vector<std::string>& sets) {
    candidates.reserve(candidates.size() + variables.size() + sets.size());
    for (const std::string& name : variables) {
        candidates.push_back({name, CompletionKind::Variable});
    }
    for (const std::string& name : sets) {
        candidates.push_back({name.starts_with('$') ? name : '$' + name, CompletionKind::Set});
    }
}

std::size_t CompletionWordStart(std::string_view line, std::size_t caret) {
    caret = std::min(caret, line.size());
    if (caret > 0 && line[caret - 1] == '.') {
        return caret;
    }
    std::size_t start = caret;
    while (start > 0) {
        const auto c = static_cast<unsigned char>(line[start - 1]);
        const bool name = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 'a' && c <= 'z') || c >= 0x80 || c == '_' || c == '.' ||
                          c == '@' || c == '#' || c == '$';
        if (!name) {
            break;
        }
        --start;
    }
    // A period before the word ends the previous command, it does not start this word.
    while (start < caret && line[start] == '.') {
        ++start;
    }
    return start;
}

bool CompletionAllowed(TSynSPSSHighlighter& highlighter, std::string_view line,
                       std::size_t caret, int lineState) {
    caret = std::min(caret, line.size());
    if (caret == 0) {
        return lineState != static_cast<int>(LineState::InComment);
    }
    highlighter.SetLineState(lineState);
    highlighter.BeginLine(line, 0);
    while (!highlighter.AtLineEnd()) {
        const std::size_t start = static_cast<std::size_t>(highlighter.TokenStart());
        const std::string_view token = highlighter.TokenText();
        if (start + token.size() >= caret) {
            switch (highlighter.GetTokenKind()) {
            case TokenKind::Comment:
                return false;
            case TokenKind::StringLiteral:
                // Right after a closing quote the caret is outside the string.
                return start + token.size() == caret && token.size() >= 2 &&
                       token.back() == token.front();
            default:
                return true;
            }
        }
        highlighter.NextToken();
    }
    return true;
}

} // namespace qs
