// Case-insensitive search for texts beyond ASCII: the editor control folds case in ASCII
// only, so "über" would miss "ÜBER". This search folds each character as Unicode does.
#pragma once

#include "app/find/SearchReplace.h"

#include <optional>

namespace qs {

// True when `search` needs the folded search under `options` (no match case, not ASCII).
bool NeedsFoldedSearch(const QString& search, unsigned options);

// The first match of `search` in [from, to) going forwards, or, when from > to, the last
// match in [to, from) going backwards; byte positions. The document must not change while
// a search runs, because it reads the control's text in place.
std::optional<TSearchScope> FindFolded(QsciScintilla& editor, const QString& search, long from,
                                       long to, bool wholeWord);

} // namespace qs
