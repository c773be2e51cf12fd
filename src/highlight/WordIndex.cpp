// The hashed trie behind the highlighter's word look-ups.
#include "highlight/WordIndex.h"

#include <algorithm>

namespace qs {

namespace {
constexpr int kInitialBits = 10;
}

WordIndex::WordIndex() {
    Clear();
}

void WordIndex::Clear() {
    m_bits.assign(1, 0);
    m_keys.assign(std::size_t{1} << kInitialBits, kEmpty);
    m_children.assign(m_keys.size(), kNone);
    m_mask = m_keys.size() - 1;
    m_shift = 64 - kInitialBits;
    m_edges = 0;
}

void WordIndex::Add(std::string_view word, std::uint32_t bits) {
    Node node = kRoot;
    for (char ch : word) {
        Node next = Step(node, static_cast<unsigned char>(ch));
        if (next == kNone) {
            next = static_cast<Node>(m_bits.size());
            m_bits.push_back(0);
            // Keep the table at most half full so that probes stay short.
            if (2 * (m_edges + 1) > m_keys.size()) {
                Grow();
            }
            Insert(Key(node, Fold(static_cast<unsigned char>(ch))), next);
            ++m_edges;
        }
        node = next;
    }
    m_bits[node] |= bits;
}

std::uint32_t WordIndex::Find(std::string_view word) const {
    Node node = kRoot;
    for (char ch : word) {
        node = Step(node, static_cast<unsigned char>(ch));
    }
    return Bits(node);
}

std::size_t WordIndex::LongestProbe() const {
    std::size_t longest = 0;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] != kEmpty) {
            longest = std::max(longest, ((i - Hash(m_keys[i])) & m_mask) + 1);
        }
    }
    return longest;
}

void WordIndex::Insert(std::uint64_t key, Node child) {
    std::size_t slot = Hash(key);
    while (m_keys[slot] != kEmpty) {
        slot = (slot + 1) & m_mask;
    }
    m_keys[slot] = key;
    m_children[slot] = child;
}

void WordIndex::Grow() {
    std::vector<std::uint64_t> keys = std::move(m_keys);
    std::vector<Node> children = std::move(m_children);
    m_keys.assign(keys.size() * 2, kEmpty);
    m_children.assign(keys.size() * 2, kNone);
    m_mask = m_keys.size() - 1;
    --m_shift;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != kEmpty) {
            Insert(keys[i], children[i]);
        }
    }
}

} // namespace qs
