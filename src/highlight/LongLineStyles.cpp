#include "highlight/LongLineStyles.h"

#include <algorithm>
#include <optional>

namespace qs {

namespace {

// The style of bytes not yet styled: no token kind has it, so they always count as changed.
constexpr char kUnstyled = 0x7F;

} // namespace

int LongLineStyles::Style(TSynSPSSHighlighter& highlighter, std::string_view line, int lineNumber,
                          int startState) {
    m_styles.assign(line.size(), static_cast<char>(TokenKind::LineEnd));
    m_points.assign(1, TSynSPSSHighlighter::StartPoint(startState));
    std::size_t nextPoint = m_spacing;
    for (highlighter.ResumeLine(line, lineNumber, m_points.front()); !highlighter.AtLineEnd();
         highlighter.NextToken()) {
        const auto start = static_cast<std::size_t>(highlighter.TokenStart());
        const std::size_t end = start + highlighter.TokenText().size();
        std::fill(m_styles.begin() + static_cast<std::ptrdiff_t>(start),
                  m_styles.begin() + static_cast<std::ptrdiff_t>(end),
                  static_cast<char>(highlighter.TokenKindOrdinal()));
        if (end >= nextPoint) {
            m_points.push_back(highlighter.PointAfterToken());
            nextPoint = end + m_spacing;
        }
    }
    m_endState = highlighter.GetLineState();
    m_changedFrom = 0;
    m_changedTo = m_scanned = line.size();
    return m_endState;
}

bool LongLineStyles::RestyleAfterEdit(TSynSPSSHighlighter& highlighter, std::string_view line,
                                      int lineNumber, std::size_t pos, std::string_view removed,
                                      std::size_t inserted) {
    const std::size_t oldLength = m_styles.size();
    const std::size_t removedEnd = pos + removed.size();
    const auto unbounded = [](std::string_view bytes) {
        return bytes.find_first_of("'\r\n") != std::string_view::npos;
    };
    if (m_points.empty() || removedEnd > oldLength ||
        line.size() != oldLength - removed.size() + inserted || unbounded(removed) ||
        unbounded(line.substr(pos, inserted))) {
        Clear();
        return false;
    }
    const std::string_view added = line.substr(pos, inserted);

    // Points whose tokens read nothing at or past the edit still hold; the scan goes on from
    // the last of them. Points after it move with the text behind it. (A mark that went with
    // the removed bytes does no harm there: a point is met again only where the marks
    // before it compare as before, and only that comparison matters to the scan.)
    std::size_t keep = 0;
    while (keep + 1 < m_points.size() && m_points[keep + 1].pos <= pos &&
           m_points[keep + 1].reach <= pos) {
        ++keep;
    }
    const auto shift =
        static_cast<std::ptrdiff_t>(inserted) - static_cast<std::ptrdiff_t>(removed.size());
    const auto moved = [&](std::ptrdiff_t mark) {
        return mark >= static_cast<std::ptrdiff_t>(removedEnd) ? mark + shift : mark;
    };
    std::vector<ScanPoint> later;
    for (std::size_t i = keep + 1; i < m_points.size(); ++i) {
        ScanPoint point = m_points[i];
        if (point.pos >= removedEnd) {
            point.pos = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(point.pos) + shift);
            point.reach =
                static_cast<std::size_t>(static_cast<std::ptrdiff_t>(point.reach) + shift);
            point.lastEquals = moved(point.lastEquals);
            point.lastSlash = moved(point.lastSlash);
            later.push_back(point);
        }
    }
    m_points.resize(keep + 1);
    m_styles.replace(pos, removed.size(), inserted, kUnstyled);
    m_changedFrom = line.size();
    m_changedTo = 0;

    // A star starts a comment only with no content before it on the line: the scan behind
    // the edit can be taken over only if the edit changes no star's content before it.
    std::optional<bool> contentKept;
    const auto contentHolds = [&] {
        if (!contentKept) {
            contentKept = (TSynSPSSHighlighter::FirstContent(added) == added.size() &&
                           TSynSPSSHighlighter::FirstContent(removed) == removed.size()) ||
                          TSynSPSSHighlighter::FirstContent(line.substr(0, pos)) < pos;
        }
        return *contentKept;
    };
    std::size_t next = 0; // the first of `later` not yet passed
    std::size_t nextPoint = m_points.back().pos + m_spacing;
    std::optional<ScanPoint> met;
    std::size_t end = m_points.back().pos;
    for (highlighter.ResumeLine(line, lineNumber, m_points.back()); !highlighter.AtLineEnd();
         highlighter.NextToken()) {
        const auto start = static_cast<std::size_t>(highlighter.TokenStart());
        end = start + highlighter.TokenText().size();
        Paint(start, end, static_cast<char>(highlighter.TokenKindOrdinal()));
        if (end >= pos + inserted) {
            while (next < later.size() && later[next].pos < end) {
                ++next;
            }
            // A star looks back at the byte before it, which the insert may have changed.
            if (next < later.size() && later[next].pos == end &&
                (end == line.size() || line[end] != '*') && contentHolds()) {
                const ScanPoint here = highlighter.PointAfterToken();
                if (here.ScansOnAs(later[next])) {
                    met = here;
                    break;
                }
            }
        }
        if (end >= nextPoint) {
            m_points.push_back(highlighter.PointAfterToken());
            nextPoint = end + m_spacing;
        }
    }
    m_scanned = end - m_points[keep].pos;
    if (met) {
        // From here on the line scans as before: its styles, its points and its end state.
        for (std::size_t i = next; i < later.size(); ++i) {
            later[i].reach = std::max(later[i].reach, met->reach);
            m_points.push_back(later[i]);
        }
    } else {
        m_endState = highlighter.GetLineState();
    }
    if (m_changedFrom > m_changedTo) {
        m_changedFrom = m_changedTo = pos;
    }
    return true;
}

void LongLineStyles::Clear() {
    m_styles = std::string(); // a long line's worth: give the memory back
    m_points = std::vector<ScanPoint>();
    m_endState = 0;
    m_changedFrom = m_changedTo = m_scanned = 0;
}

void LongLineStyles::Paint(std::size_t from, std::size_t to, char style) {
    const auto begin = m_styles.begin() + static_cast<std::ptrdiff_t>(from);
    auto last = m_styles.begin() + static_cast<std::ptrdiff_t>(to);
    const auto first = std::find_if(begin, last, [style](char c) { return c != style; });
    if (first == last) {
        return;
    }
    while (*(last - 1) == style) {
        --last;
    }
    std::fill(first, last, style);
    m_changedFrom = std::min(m_changedFrom, static_cast<std::size_t>(first - m_styles.begin()));
    m_changedTo = std::max(m_changedTo, static_cast<std::size_t>(last - m_styles.begin()));
}

} // namespace qs
