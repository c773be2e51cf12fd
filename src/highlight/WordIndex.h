// A case-insensitive word index for the highlighter: a trie whose edges live in one
// open-addressing hash table, so that a word read one character at a time is looked up
// with one probe per character, whatever the number of words stored. Edges are hashed
// with a per-process seed, so that no word list can put them all on one probe run.
#pragma once

#include "platform/NameHash.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace qs {

class WordIndex {
public:
    using Node = std::uint32_t;
    static constexpr Node kRoot = 0;
    static constexpr Node kNone = 0xFFFFFFFF;

    WordIndex();

    void Clear();
    // Adds `word` (case ignored for ASCII letters) with the given flag bits; bits of
    // repeated words are combined.
    void Add(std::string_view word, std::uint32_t bits);

    // The node reached from `node` by character `c`; kNone when no stored word goes on so.
    Node Step(Node node, unsigned char c) const {
        if (node == kNone) {
            return kNone;
        }
        std::uint64_t key = Key(node, Fold(c));
        for (std::size_t slot = Hash(key);; slot = (slot + 1) & m_mask) {
            std::uint64_t found = m_keys[slot];
            if (found == key) {
                return m_children[slot];
            }
            if (found == kEmpty) {
                return kNone;
            }
        }
    }
    // The flag bits of the word that ends at `node` (0 if none ends there).
    std::uint32_t Bits(Node node) const { return node == kNone ? 0 : m_bits[node]; }
    // The flag bits of a whole word.
    std::uint32_t Find(std::string_view word) const;

    static unsigned char Fold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

    // The most slots a step along a stored edge looks at: small unless edges cluster.
    std::size_t LongestProbe() const;

private:
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
    static std::uint64_t Key(Node node, unsigned char c) { return (std::uint64_t{node} << 8) | c; }
    std::size_t Hash(std::uint64_t key) const {
        return static_cast<std::size_t>(KeyHash(key, m_hashKeys) >> m_shift);
    }
    void Grow();
    void Insert(std::uint64_t key, Node child);

    std::vector<std::uint32_t> m_bits;
    std::vector<std::uint64_t> m_keys;
    std::vector<Node> m_children;
    std::size_t m_mask = 0;
    int m_shift = 64;
    std::size_t m_edges = 0;
    HashKeys m_hashKeys = ProcessHashKeys();
};

} // namespace qs
