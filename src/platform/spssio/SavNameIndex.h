// Case-insensitive (ASCII) lookup of variable names to positions in a table the
// caller keeps: open addressing over 8-byte slots, no node or key copy per name.
// A dictionary of tens of thousands of names is indexed several times while it is
// read, and a node-based map spent most of that time allocating and chasing nodes.
// The hash is seeded per process, as a file's names could otherwise be chosen to share
// one probe run and make every insert walk all of them.
#pragma once

#include "platform/NameHash.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qs::spssio {

inline bool sameFoldedName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

class NameIndex {
public:
    // Room for count names without growing.
    void reserve(std::size_t count)
    {
        std::size_t size = 16;
        while (size < 2 * count)
            size *= 2;
        if (size > m_slots.size())
            rehash(size);
    }
    void clear() { m_slots.clear(), m_count = 0; }

    // Adds position for name unless an equal name (ignoring case) is there already;
    // keyOf(position) gives the name of a position. Returns whether it was added.
    template <class KeyOf> bool insert(std::string_view name, std::int32_t position, KeyOf&& keyOf)
    {
        if (2 * (m_count + 1) > m_slots.size())
            rehash(m_slots.empty() ? 16 : 2 * m_slots.size());
        const std::uint32_t h = hash(name);
        for (std::size_t i = h & (m_slots.size() - 1);; i = (i + 1) & (m_slots.size() - 1)) {
            Slot& s = m_slots[i];
            if (s.position < 0) {
                s = {h, position};
                ++m_count;
                return true;
            }
            if (s.hash == h && sameFoldedName(keyOf(s.position), name))
                return false;
        }
    }

    // The position of name (ignoring case), or -1.
    template <class KeyOf> std::int32_t find(std::string_view name, KeyOf&& keyOf) const
    {
        if (m_slots.empty())
            return -1;
        const std::uint32_t h = hash(name);
        for (std::size_t i = h & (m_slots.size() - 1);; i = (i + 1) & (m_slots.size() - 1)) {
            const Slot& s = m_slots[i];
            if (s.position < 0)
                return -1;
            if (s.hash == h && sameFoldedName(keyOf(s.position), name))
                return s.position;
        }
    }

    // The most slots a lookup of a stored name looks at: small unless names cluster.
    std::size_t longestProbe() const
    {
        std::size_t longest = 0;
        for (std::size_t i = 0; i < m_slots.size(); ++i)
            if (m_slots[i].position >= 0)
                longest = std::max(longest, ((i - m_slots[i].hash) & (m_slots.size() - 1)) + 1);
        return longest;
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::int32_t position = -1;
    };
    // The low half of the hash: the slot from its low bits, and a quick check before
    // names are compared.
    std::uint32_t hash(std::string_view name) const
    {
        return static_cast<std::uint32_t>(FoldedHash(name, m_keys));
    }
    void rehash(std::size_t size)
    {
        std::vector<Slot> old(size);
        old.swap(m_slots);
        for (const Slot& s : old) {
            if (s.position < 0)
                continue;
            std::size_t i = s.hash & (size - 1);
            while (m_slots[i].position >= 0)
                i = (i + 1) & (size - 1);
            m_slots[i] = s;
        }
    }

    std::vector<Slot> m_slots; // a power of two in size, at most half full
    std::size_t m_count = 0;
    HashKeys m_keys = ProcessHashKeys();
};

} // namespace qs::spssio
