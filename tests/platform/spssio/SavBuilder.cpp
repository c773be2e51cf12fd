// Synthetic system file writer; see SavBuilder.h.
#include "platform/spssio/SavBuilder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qs::spssio::test {

std::string SavBuilder::padded(const std::string& s, std::size_t n) const
{
    std::string out = s.substr(0, n);
    out.resize(n, ' ');
    return out;
}

std::string SavBuilder::i32Bytes(std::int32_t v) const
{
    std::uint32_t u = static_cast<std::uint32_t>(v);
    if (m_big)
        u = __builtin_bswap32(u);
    std::string out(4, '\0');
    std::memcpy(out.data(), &u, 4);
    return out;
}

std::string SavBuilder::number(double v) const
{
    std::uint64_t u = std::bit_cast<std::uint64_t>(v);
    if (m_big)
        u = __builtin_bswap64(u);
    std::string out(8, '\0');
    std::memcpy(out.data(), &u, 8);
    return out;
}

SavBuilder& SavBuilder::i32(std::int32_t v) { return raw(i32Bytes(v)); }
SavBuilder& SavBuilder::f64(double v) { return raw(number(v)); }

SavBuilder& SavBuilder::raw(const std::string& bytes)
{
    m_bytes += bytes;
    return *this;
}

SavBuilder& SavBuilder::header(std::int32_t cases, std::int32_t weightSlot, std::string magic,
                               std::int32_t compression, const std::string& fileLabel)
{
    raw(magic).raw(padded("@(#) SPSS DATA FILE Quillstone test writer", 60));
    i32(2).i32(-1).i32(compression).i32(weightSlot).i32(cases).f64(100.0);
    return raw("05 Mar 24").raw("13:45:01").raw(padded(fileLabel, 64)).raw(std::string(3, '\0'));
}

SavBuilder& SavBuilder::numeric(const std::string& shortName, const std::string& label,
                                std::int32_t missingFormat, std::vector<double> missing)
{
    i32(2).i32(0).i32(label.empty() ? 0 : 1).i32(missingFormat);
    i32(0x050802).i32(0x050802).raw(padded(shortName, 8));
    if (!label.empty())
        i32(static_cast<std::int32_t>(label.size())).raw(padded(label, (label.size() + 3) / 4 * 4));
    for (double v : missing)
        f64(v);
    return *this;
}

SavBuilder& SavBuilder::string(const std::string& shortName, int width, const std::string& label,
                               std::vector<std::string> missing)
{
    const std::int32_t format = 1 << 16 | std::min(width, 255) << 8;
    i32(2).i32(width).i32(label.empty() ? 0 : 1).i32(static_cast<std::int32_t>(missing.size()));
    i32(format).i32(format).raw(padded(shortName, 8));
    if (!label.empty())
        i32(static_cast<std::int32_t>(label.size())).raw(padded(label, (label.size() + 3) / 4 * 4));
    for (const std::string& v : missing)
        raw(padded(v, 8));
    for (int k = 1; k < (width + 7) / 8; ++k)
        i32(2).i32(-1).i32(0).i32(0).i32(0).i32(0).raw(std::string(8, ' '));
    return *this;
}

SavBuilder& SavBuilder::valueLabels(const std::vector<std::pair<std::string, std::string>>& labels,
                                    const std::vector<std::int32_t>& slots)
{
    i32(3).i32(static_cast<std::int32_t>(labels.size()));
    for (const auto& [value, label] : labels) {
        raw(padded(value, 8));
        m_bytes += static_cast<char>(label.size());
        raw(padded(label, (label.size() + 1 + 7) / 8 * 8 - 1));
    }
    i32(4).i32(static_cast<std::int32_t>(slots.size()));
    for (std::int32_t s : slots)
        i32(s);
    return *this;
}

SavBuilder& SavBuilder::extension(std::int32_t subtype, std::int32_t size, std::int32_t count,
                                  const std::string& payload)
{
    return i32(7).i32(subtype).i32(size).i32(count).raw(payload);
}

SavBuilder& SavBuilder::end() { return i32(999).i32(0); }

} // namespace qs::spssio::test
