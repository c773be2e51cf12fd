// A case-insensitive hash table from words to flag bits: the highlighter looks up a whole
// word with one probe, whatever the number of words stored. The hash is seeded per
// process, as the variable names of a data file join the words and could otherwise be
// chosen to share one probe run.
#pragma once

#include "platform/NameHash.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class WordTable {
public:
    WordTable();

    void Clear();
    // Adds `word` (case ignored for ASCII letters); bits of repeated words are combined.
    void Add(std::string_view word, std::uint32_t bits);
    std::uint32_t Find(std::string_view word) const { return Find(word, Hash(word)); }
    // With the word's hash already known, e.g. to look it up in several tables (all tables
    // of a process hash alike).
    std::uint32_t Find(std::string_view word, std::uint64_t hash) const {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.bits == 0) {
                return 0;
            }
            if (slot.hash == hash && Matches(slot, word)) {
                return slot.bits;
            }
        }
    }

    // The most slots a look-up of a stored word looks at: small unless words cluster.
    std::size_t LongestProbe() const;

    static unsigned char Fold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }
    std::uint64_t Hash(std::string_view word) const { return FoldedHash(word, m_keys); }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t offset = 0; // into m_pool, which holds the words folded
        std::uint32_t length = 0;
        std::uint32_t bits = 0; // 0: empty slot
    };
    bool Matches(const Slot& slot, std::string_view word) const {
        if (slot.length != word.size()) {
            return false;
        }
        const char* stored = m_pool.data() + slot.offset;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (static_cast<char>(Fold(static_cast<unsigned char>(word[i]))) != stored[i]) {
                return false;
            }
        }
        return true;
    }
    void Grow();

    std::vector<Slot> m_slots;
    std::string m_pool;
    std::size_t m_count = 0;
    HashKeys m_keys = ProcessHashKeys();
};

} // namespace qs
