// Search and replace on the editor control, with Scintilla's own search so that a 20 MB
// document is searched in one pass. Positions are the control's byte positions.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QsciScintilla;

namespace qs {

enum class TReplaceAnswer { Yes, No, Cancel, YesToAll };

// Asked before each replacement while the prompt option is set; the match is selected.
using TReplaceConfirmation =
    std::function<TReplaceAnswer(const QString& found, const QString& replacement)>;

// A range of byte positions, begin <= end.
struct TSearchScope {
    long begin = 0;
    long end = 0;
    bool operator==(const TSearchScope&) const = default;
};

// Searches `editor` for `search` with the TSearchOption bits in `options` and returns the
// number of matches found (a plain search stops at the first and selects it) or replaced.
// An empty search text finds nothing. The selected-only option limits the search to
// `selectionScope` when given, else to the selection when there is one. The entire-scope
// option starts at the scope's begin (its end when backwards); otherwise the search starts
// at the caret, past the current selection when that is not the scope. Replacing every
// match is one undo step.
int SearchReplace(QsciScintilla& editor, const QString& search, const QString& replace,
                  unsigned options, const TReplaceConfirmation& confirm = {},
                  std::optional<TSearchScope> selectionScope = std::nullopt);

// The current selection in byte positions.
TSearchScope SelectionRange(QsciScintilla& editor);

} // namespace qs
