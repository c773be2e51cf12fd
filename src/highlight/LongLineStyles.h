// The styles of one long line, with the points where its scan stood every few KiB. After
// a key types or erases text, only the stretch the edit can change is scanned again: from
// the last point whose tokens read nothing at or past the edit, to the first point after it
// where the scan stands as it stood before. A key on a line of megabytes then costs a few
// KiB of scanning instead of the whole line.
#pragma once

#include "highlight/SynHighlighterSPSS.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class LongLineStyles {
public:
    explicit LongLineStyles(std::size_t spacing = 4096) : m_spacing(spacing) {}

    // Styles the whole of `line` from `startState` (one style per byte: the token kinds'
    // ordinals) and keeps the points; gives the state the line ends in.
    int Style(TSynSPSSHighlighter& highlighter, std::string_view line, int lineNumber,
              int startState);
    // After the bytes `removed` at `pos` of the line last styled gave way to `inserted` new
    // ones (`line` is the line as it is now): styles again what that can have changed.
    // False, with nothing kept, when the line does not fit what was kept, or the bytes gone
    // or new hold a single quote (a comment ends at a period only when no quote follows
    // anywhere on the line) or a line break.
    bool RestyleAfterEdit(TSynSPSSHighlighter& highlighter, std::string_view line, int lineNumber,
                          std::size_t pos, std::string_view removed, std::size_t inserted);
    void Clear();

    const std::string& Styles() const { return m_styles; }
    int EndState() const { return m_endState; }
    // The bytes whose style the last RestyleAfterEdit changed: [ChangedFrom, ChangedTo).
    std::size_t ChangedFrom() const { return m_changedFrom; }
    std::size_t ChangedTo() const { return m_changedTo; }
    // How many bytes the last RestyleAfterEdit scanned.
    std::size_t Scanned() const { return m_scanned; }

private:
    void Paint(std::size_t from, std::size_t to, char style);

    std::size_t m_spacing;
    std::string m_styles;
    std::vector<ScanPoint> m_points; // by position; the first is the line's start
    int m_endState = 0;
    std::size_t m_changedFrom = 0;
    std::size_t m_changedTo = 0;
    std::size_t m_scanned = 0;
};

} // namespace qs
