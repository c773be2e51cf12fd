#include "app/ObjectFilter.h"

namespace qs {

void ObjectFilter::Add(std::string_view name, std::string_view label) {
    const std::string_view parts[] = {name, label};
    m_pool.Add(parts, 2);
}

std::vector<std::uint8_t> ObjectFilter::Matches(std::string_view typed) const {
    std::vector<std::uint8_t> keep(m_pool.Count(), 0);
    m_pool.ForEachMatch(Folded(typed), [&](std::size_t entry, bool) {
        keep[entry] = 1;
        return true;
    });
    return keep;
}

} // namespace qs
