// The hash table behind the highlighter's word look-ups.
#include "highlight/WordTable.h"

#include <algorithm>

namespace qs {

namespace {
constexpr std::size_t kInitialSlots = 1024;
}

WordTable::WordTable() {
    Clear();
}

void WordTable::Clear() {
    m_slots.assign(kInitialSlots, Slot{});
    m_pool.clear();
    m_count = 0;
}

void WordTable::Add(std::string_view word, std::uint32_t bits) {
    if (bits == 0) {
        return;
    }
    const std::uint64_t hash = Hash(word);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = hash & mask;
    for (; m_slots[i].bits != 0; i = (i + 1) & mask) {
        if (m_slots[i].hash == hash && Matches(m_slots[i], word)) {
            m_slots[i].bits |= bits;
            return;
        }
    }
    Slot& slot = m_slots[i];
    slot.hash = hash;
    slot.offset = static_cast<std::uint32_t>(m_pool.size());
    slot.length = static_cast<std::uint32_t>(word.size());
    slot.bits = bits;
    for (char c : word) {
        m_pool += static_cast<char>(Fold(static_cast<unsigned char>(c)));
    }
    // At most half full, so that probe runs stay short.
    if (2 * ++m_count > m_slots.size()) {
        Grow();
    }
}

std::size_t WordTable::LongestProbe() const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t longest = 0;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].bits != 0) {
            longest = std::max(longest, ((i - m_slots[i].hash) & mask) + 1);
        }
    }
    return longest;
}

void WordTable::Grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.size() * 2, Slot{});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.bits != 0) {
            std::size_t i = slot.hash & mask;
            while (m_slots[i].bits != 0) {
                i = (i + 1) & mask;
            }
            m_slots[i] = slot;
        }
    }
}

} // namespace qs
