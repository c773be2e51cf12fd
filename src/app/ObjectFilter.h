// The filter of the object tree: which of the data file's objects hold the typed text in
// their name or their label, case ignored. Built once per load of the tree; a key then
// costs one scan of the folded names and labels.
#pragma once

#include "highlight/FoldedPool.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace qs {

class ObjectFilter {
public:
    void Clear() { m_pool.Clear(); }
    // Objects are numbered in the order they are added.
    void Add(std::string_view name, std::string_view label);
    std::size_t Count() const { return m_pool.Count(); }
    // One flag per object, 1 where it is kept; empty text keeps every object.
    std::vector<std::uint8_t> Matches(std::string_view typed) const;

private:
    FoldedPool m_pool;
};

} // namespace qs
