// Word completion in the editor: the words to offer (the language's commands,
// subcommands, keywords and functions and the open data file's variable and set names),
// their ranking for what has been typed, and where completion may open at all.
#pragma once

#include "highlight/FoldedPool.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class TSynSPSSHighlighter;

enum class CompletionKind : std::uint8_t { Variable, Set, Command, Subcommand, Keyword, Function };

struct CompletionCandidate {
    std::string text; // as inserted: the language's spelling, or the data file's
    CompletionKind kind;
};

// Built once per data file load (or language change); ranking is then a binary search
// for the prefix matches and one scan of the folded pool for the others.
class CompletionIndex {
public:
    // Words that fold alike are offered once; the first kind in CompletionKind order wins,
    // so that a variable named like a keyword keeps the data file's spelling.
    void Build(std::vector<CompletionCandidate> candidates);

    // Candidates for the typed text, best first: those that begin with it (case ignored),
    // then those that hold it elsewhere; in each group the data file's names before the
    // language's words, each in alphabetical order, so a word equal to the typed text leads
    // its kind. At most `limit` entries.
    std::vector<std::size_t> Rank(std::string_view typed, std::size_t limit) const;

    std::size_t Count() const { return m_entries.size(); }
    std::string_view Text(std::size_t entry) const { return m_entries[entry].text; }
    CompletionKind Kind(std::size_t entry) const { return m_entries[entry].kind; }

private:
    std::vector<CompletionCandidate> m_entries; // sorted by folded text
    FoldedPool m_pool;                          // the folded texts in the same order
};

// The language's words as candidates: commands (also of two and three words) in the
// letter case the language definition lists them.
std::vector<CompletionCandidate> LanguageCandidates(const TSynSPSSHighlighter& highlighter);
// Variables as the data file spells them; sets with the dollar sign syntax needs.
void AddDataFileCandidates(std::vector<CompletionCandidate>& candidates,
                           const std::vector<std::string>& variables,
                           const std::vector<std::string>& sets);

// Where the word being typed begins: the start of the run of name characters (letters,
// digits, _ . @ # $ and any byte of a multi-byte character) that ends at `caret`, without
// a trailing period, which ends a command.
std::size_t CompletionWordStart(std::string_view line, std::size_t caret);
// Whether completion may open with the caret at byte `caret` of `line`: not inside a
// string or a comment, as the highlighter sees the line coming in with `lineState`.
bool CompletionAllowed(TSynSPSSHighlighter& highlighter, std::string_view line,
                       std::size_t caret, int lineState);

} // namespace qs
