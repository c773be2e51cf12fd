// Values in a decoded case record (see SavCaseDecoder.h): numbers as host doubles at
// their slot, strings as the file's bytes, very long strings in pieces.
#pragma once

#include "platform/spssio/SavDictionary.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qs::spssio {

inline double recordNumber(const SavDictionary& dict, const std::uint8_t* record, int variable)
{
    double v;
    std::memcpy(&v, record + 8 * dict.variables[static_cast<std::size_t>(variable)].slot, 8);
    return v;
}

// A string value's bytes in the file's encoding, as wide as the variable; scratch holds
// a very long string pieced together from its segments.
inline std::string_view recordBytesOf(const SavDictionary& dict, const std::uint8_t* record,
                                      int variable, std::string& scratch)
{
    const SavVariable& v = dict.variables[static_cast<std::size_t>(variable)];
    const auto width = static_cast<std::size_t>(v.width);
    const char* at = reinterpret_cast<const char*>(record + 8 * v.slot);
    if (v.firstSegment < 0) {
        // A damaged dictionary may give a string fewer continuation slots than its width
        // needs: what they do not hold reads as blanks.
        const auto room = static_cast<std::size_t>(v.slotCount) * 8;
        if (width <= room)
            return {at, width};
        scratch.assign(at, room);
        scratch.resize(width, ' ');
        return scratch;
    }
    scratch.clear();
    for (int k = 0; k < v.segmentCount; ++k) {
        const SavSegment& s = dict.segments[static_cast<std::size_t>(v.firstSegment + k)];
        scratch.append(reinterpret_cast<const char*>(record + 8 * s.slot), static_cast<std::size_t>(s.bytes));
    }
    scratch.resize(width, ' ');
    return scratch;
}

} // namespace qs::spssio
