// Case-insensitive substring search over many short texts at once: the texts are kept
// folded to capitals in one block of memory, so a search is one scan over contiguous
// bytes rather than a comparison per text (tens of thousands of variable names per key).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// Capitals for ASCII letters and for the Latin-1 letters in UTF-8 (a two-byte sequence
// stays two bytes), appended to out. Line feeds and unit separators become blanks: the
// pool uses them to keep entries apart.
void AppendFolded(std::string& out, std::string_view text);
std::string Folded(std::string_view text);

class FoldedPool {
public:
    // Between the parts of one entry (e.g. a name and its label): a search never matches
    // across it.
    static constexpr char kPartSeparator = '\x1F';

    void Clear();
    void Reserve(std::size_t entries, std::size_t bytes);
    // Adds one entry made of parts, each folded; returns its number.
    std::size_t Add(std::string_view part) { return Add(&part, 1); }
    std::size_t Add(const std::string_view* parts, std::size_t count);
    std::size_t Count() const { return m_starts.size(); }
    // An entry as stored: folded, its parts apart by kPartSeparator.
    std::string_view Entry(std::size_t entry) const {
        const std::size_t end = entry + 1 < m_starts.size() ? m_starts[entry + 1] : m_pool.size();
        return std::string_view(m_pool).substr(m_starts[entry], end - m_starts[entry] - 1);
    }

    // Calls found(entry, atStart) once for every entry that holds `foldedNeedle`, in entry
    // order; atStart when the entry's first part begins with it. An empty needle matches
    // every entry at its start. found returns false to stop the search.
    template <typename Found> void ForEachMatch(std::string_view foldedNeedle, Found&& found) const {
        const std::string_view pool(m_pool);
        std::size_t from = 0;
        while (from < pool.size()) {
            const std::size_t hit =
                foldedNeedle.empty() ? from : pool.find(foldedNeedle, from);
            if (hit == std::string_view::npos) {
                return;
            }
            const auto next = std::upper_bound(m_starts.begin(), m_starts.end(),
                                               static_cast<std::uint32_t>(hit));
            const std::size_t entry = static_cast<std::size_t>(next - m_starts.begin()) - 1;
            if (!found(entry, hit == m_starts[entry])) {
                return;
            }
            from = next == m_starts.end() ? pool.size() : *next;
        }
    }

private:
    std::string m_pool;                 // folded entries, each ended by a line feed
    std::vector<std::uint32_t> m_starts; // where each entry begins in m_pool
};

} // namespace qs
