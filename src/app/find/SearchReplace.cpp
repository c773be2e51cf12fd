// Search and replace: matches are found on the unchanged text (by the control's target
// search, or the folded search beyond ASCII), then replaced in one edit of the span they
// cover. One edit keeps replace all linear and its undo a single step: the control's
// change notification costs time in proportion to the position of every edit.
#include "app/find/SearchReplace.h"

#include "app/find/FindState.h"
#include "app/find/FoldedSearch.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <vector>

namespace qs {
namespace {

using Sci = QsciScintillaBase;

QByteArray Bytes(const QsciScintilla& editor, const QString& text) {
    return editor.isUtf8() ? text.toUtf8() : text.toLatin1();
}

long Send(QsciScintilla& editor, unsigned msg, unsigned long wParam = 0, long lParam = 0) {
    return editor.SendScintilla(msg, wParam, lParam);
}

struct TSearch {
    QsciScintilla& editor;
    QString text;
    QByteArray bytes;
    bool folded;
    bool wholeWord;

    // The first match in [from, to) forwards or, when from > to, the last one backwards.
    std::optional<TSearchScope> In(long from, long to) const {
        if (folded) {
            return FindFolded(editor, text, from, to, wholeWord);
        }
        Send(editor, Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
        if (editor.SendScintilla(Sci::SCI_SEARCHINTARGET, static_cast<unsigned long>(bytes.size()),
                                 bytes.constData()) < 0) {
            return std::nullopt;
        }
        return TSearchScope{Send(editor, Sci::SCI_GETTARGETSTART),
                            Send(editor, Sci::SCI_GETTARGETEND)};
    }
};

void SelectMatch(QsciScintilla& editor, const TSearchScope& match, bool backwards) {
    Send(editor, Sci::SCI_ENSUREVISIBLEENFORCEPOLICY,
         static_cast<unsigned long>(Send(editor, Sci::SCI_LINEFROMPOSITION, match.begin)));
    if (backwards) {
        Send(editor, Sci::SCI_SETSEL, match.end, match.begin);
    } else {
        Send(editor, Sci::SCI_SETSEL, match.begin, match.end);
    }
}

// The matches to replace from `pos` to the scope's far end, in ascending order.
std::vector<TSearchScope> CollectMatches(const TSearch& search, const TSearchScope& scope, long pos,
                                         bool backwards, bool all,
                                         const TReplaceConfirmation* confirm,
                                         const QString& replacement) {
    std::vector<TSearchScope> matches;
    while (const auto match = search.In(pos, backwards ? scope.begin : scope.end)) {
        pos = backwards ? match->begin : match->end;
        if (confirm) {
            SelectMatch(search.editor, *match, backwards);
            const TReplaceAnswer answer = (*confirm)(search.editor.selectedText(), replacement);
            if (answer == TReplaceAnswer::Cancel) {
                break;
            }
            if (answer == TReplaceAnswer::No) {
                continue;
            }
            if (answer == TReplaceAnswer::YesToAll) {
                confirm = nullptr;
            }
        }
        matches.push_back(*match);
        if (!all) {
            break;
        }
    }
    if (backwards) {
        std::reverse(matches.begin(), matches.end());
    }
    return matches;
}

struct TMarkedLine {
    long start; // the line's first position before the edit
    long mask;
};

// The markers (bookmarks) of the lines in [begin, end]: the edit removes the lines after
// the first and merges their markers into it. The first line is always listed.
std::vector<TMarkedLine> MarkersIn(QsciScintilla& editor, long begin, long end) {
    const auto marks = [&](long line) {
        return TMarkedLine{
            Send(editor, Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)),
            Send(editor, Sci::SCI_MARKERGET, static_cast<unsigned long>(line))};
    };
    const long last = Send(editor, Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end));
    long line = Send(editor, Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(begin));
    std::vector<TMarkedLine> marked{marks(line)};
    while ((line = Send(editor, Sci::SCI_MARKERNEXT, static_cast<unsigned long>(line + 1), -1)) >=
               0 &&
           line <= last) {
        marked.push_back(marks(line));
    }
    return marked;
}

// Replaces `matches` (ascending, not overlapping) in one edit; returns the length change.
long ReplaceSpan(QsciScintilla& editor, const std::vector<TSearchScope>& matches,
                 const QByteArray& replacement) {
    const long begin = matches.front().begin;
    const long end = matches.back().end;
    std::vector<TMarkedLine> marked = MarkersIn(editor, begin, end);
    const char* text =
        static_cast<const char*>(editor.SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));

    QByteArray span;
    span.reserve(end - begin + long(matches.size()) * replacement.size());
    long copied = begin;
    std::size_t next = 0; // the first marked line not yet moved
    for (const TSearchScope& match : matches) {
        // A line that starts before this match moves by the change so far; one whose start
        // falls inside it lands at the replacement.
        for (; next < marked.size() && marked[next].start < match.end; ++next) {
            const long shift = span.size() - (copied - begin);
            marked[next].start = std::min(marked[next].start, match.begin) + shift;
        }
        span.append(text + copied, match.begin - copied);
        span.append(replacement);
        copied = match.end;
    }
    const long delta = span.size() - (copied - begin);
    for (; next < marked.size(); ++next) {
        marked[next].start += delta;
    }
    span.append(text + copied, end - copied);

    Send(editor, Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(begin), end);
    editor.SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(span.size()),
                         span.constData());

    for (const TMarkedLine& line : marked) {
        const long moved =
            Send(editor, Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(line.start));
        Send(editor, Sci::SCI_MARKERDELETE, static_cast<unsigned long>(moved), -1);
    }
    for (const TMarkedLine& line : marked) {
        const long moved =
            Send(editor, Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(line.start));
        Send(editor, Sci::SCI_MARKERADDSET, static_cast<unsigned long>(moved), line.mask);
    }
    return delta;
}

} // namespace

TSearchScope SelectionRange(QsciScintilla& editor) {
    return {Send(editor, Sci::SCI_GETSELECTIONSTART), Send(editor, Sci::SCI_GETSELECTIONEND)};
}

int SearchReplace(QsciScintilla& editor, const QString& search, const QString& replace,
                  unsigned options, const TReplaceConfirmation& confirm,
                  std::optional<TSearchScope> selectionScope) {
    const TSearch finder{editor, search, Bytes(editor, search), NeedsFoldedSearch(search, options),
                         (options & soWholeWord) != 0};
    if (finder.bytes.isEmpty()) {
        return 0;
    }
    const bool backwards = options & soBackwards;
    const long length = Send(editor, Sci::SCI_GETTEXTLENGTH);
    const TSearchScope selection = SelectionRange(editor);

    TSearchScope scope{0, length};
    bool selectionIsScope = false;
    if (options & soSelectedOnly) {
        if (selectionScope) {
            scope.begin = std::clamp(selectionScope->begin, 0L, length);
            scope.end = std::clamp(selectionScope->end, scope.begin, length);
        } else if (selection.begin < selection.end) {
            scope = selection;
            selectionIsScope = true;
        }
    }

    long start = 0;
    if (options & soEntireScope) {
        start = backwards ? scope.end : scope.begin;
    } else if (selectionIsScope) {
        start = Send(editor, Sci::SCI_GETCURRENTPOS);
    } else {
        // Past the selection, so that the match found last is not found again.
        start = backwards ? selection.begin : selection.end;
    }
    start = std::clamp(start, scope.begin, scope.end);

    unsigned long flags = 0;
    if (options & soMatchCase) {
        flags |= Sci::SCFIND_MATCHCASE;
    }
    if (options & soWholeWord) {
        flags |= Sci::SCFIND_WHOLEWORD;
    }
    Send(editor, Sci::SCI_SETSEARCHFLAGS, flags);

    if (!(options & (soReplace | soReplaceAll))) {
        const auto match = finder.In(start, backwards ? scope.begin : scope.end);
        if (!match) {
            return 0;
        }
        SelectMatch(editor, *match, backwards);
        return 1;
    }

    const bool ask = (options & soPrompt) && confirm;
    const std::vector<TSearchScope> matches =
        CollectMatches(finder, scope, start, backwards, (options & soReplaceAll) != 0,
                       ask ? &confirm : nullptr, replace);
    if (matches.empty()) {
        return 0;
    }
    editor.beginUndoAction();
    const long delta = ReplaceSpan(editor, matches, Bytes(editor, replace));
    editor.endUndoAction();
    if (selectionIsScope) {
        Send(editor, Sci::SCI_SETSEL, scope.begin, scope.end + delta);
    } else {
        Send(editor, Sci::SCI_GOTOPOS,
             backwards ? matches.front().begin : matches.back().end + delta);
    }
    return int(matches.size());
}

} // namespace qs
