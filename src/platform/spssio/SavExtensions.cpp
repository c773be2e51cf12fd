// Keeps the payloads of the type-7 records the dictionary needs. A record whose
// element size or count is not the one its subtype defines is skipped, as are
// subtypes we do not use.
#include "platform/spssio/SavRaw.h"

#include <cstring>

namespace qs::spssio {

namespace {

void appendText(std::string& to, const std::uint8_t* data, std::int32_t count, char separator)
{
    if (!to.empty() && to.back() != separator)
        to.push_back(separator);
    to.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
}

} // namespace

void keepExtension(std::int32_t subtype, std::int32_t size, std::int32_t count,
                   const std::uint8_t* data, const SavInput& in, RawDictionary& raw)
{
    const bool text = size == 1 && count > 0;
    switch (subtype) {
    case 3:
        if (size == 4 && count == 8) {
            raw.hasMachineInfo = true;
            for (int i = 0; i < 8; ++i)
                raw.machineInfo[i] = in.decode32(data + 4 * i);
        }
        break;
    case 4:
        if (size == 8 && count == 3) {
            raw.hasFloatInfo = true;
            for (int i = 0; i < 3; ++i)
                raw.floatInfo[i] = in.decode64(data + 8 * i);
        }
        break;
    case 5:
        if (text)
            appendText(raw.variableSets, data, count, '\n');
        break;
    case 7:
        if (text)
            appendText(raw.mrSets, data, count, '\n');
        break;
    case 19:
        if (text)
            appendText(raw.mrSetsExt, data, count, '\n');
        break;
    case 10:
        if (text)
            raw.textInfo.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
        break;
    case 11:
        if (size == 4) {
            raw.displayParams.clear();
            raw.displayParams.reserve(static_cast<std::size_t>(count));
            for (std::int32_t i = 0; i < count; ++i)
                raw.displayParams.push_back(in.decode32(data + 4 * i));
        }
        break;
    case 13:
        if (text)
            appendText(raw.longNames, data, count, '\t');
        break;
    case 14:
        if (text)
            appendText(raw.veryLongStrings, data, count, '\t');
        break;
    case 16:
        if (size == 8 && count == 2) {
            std::int64_t n;
            std::uint64_t bits;
            std::memcpy(&bits, data + 8, 8);
            if (raw.bigEndian)
                bits = __builtin_bswap64(bits);
            std::memcpy(&n, &bits, 8);
            raw.cases64 = n;
        }
        break;
    case 20:
        if (text)
            raw.encoding.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
        break;
    case 21:
        if (text)
            raw.longLabels.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
        break;
    case 22:
        if (text)
            raw.longMissing.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
        break;
    default: break;
    }
}

} // namespace qs::spssio
