// The program-wide find state: the last options, texts and histories of the find and
// replace dialogs, kept in memory for the rest of the run and never saved.
#pragma once

#include <string>
#include <vector>

namespace qs {

struct TFindState {
    bool Backwards = false;
    bool MatchCase = false;
    bool FromCaret = false;
    bool SelectionOnly = false;
    bool WholeWords = false;
    std::string FindText;       // UTF-8
    std::string FindHistory;    // most recent first, joined by CR LF
    std::string ReplaceWith;    // may be empty
    std::string ReplaceHistory; // joined by CR LF
};

// The one state of this process.
TFindState& FindState();

// Option bits of a search-and-replace call on the editor control.
enum TSearchOption : unsigned {
    soMatchCase = 1,
    soWholeWord = 2,
    soBackwards = 4,
    soEntireScope = 8,
    soSelectedOnly = 16,
    soReplace = 32,
    soReplaceAll = 64,
    soPrompt = 128,
};

inline constexpr std::size_t kHistoryLimit = 10;

// The options for a search with `state`'s flags in the given direction; a replace always
// replaces every match (with a prompt, which only a confirmation handler would honour).
unsigned SearchOptions(const TFindState& state, bool replace, bool backwards,
                       bool continueFromCaret) noexcept;

// A history text split at its line breaks (CR LF, LF or CR); empty lines are dropped.
std::vector<std::string> SplitHistory(const std::string& text);
// The first `limit` items joined by CR LF.
std::string JoinHistory(const std::vector<std::string>& items, std::size_t limit = kHistoryLimit);

} // namespace qs
