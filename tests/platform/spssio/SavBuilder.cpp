// Synthetic system file writer; see SavBuilder.h.
#include "platform/spssio/SavBuilder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <zlib.h>

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

std::string SavBuilder::plainData(const std::vector<Record>& cases) const
{
    std::string out;
    for (const Record& r : cases)
        for (const Slot& s : r)
            out += s.numeric ? number(s.number) : padded(s.bytes, 8);
    return out;
}

std::string SavBuilder::bytecodeData(const std::vector<Record>& cases) const
{
    std::string out, codes, literals;
    const auto flush = [&] {
        codes.resize(8, '\0');
        out += codes + literals;
        codes.clear();
        literals.clear();
    };
    for (const Record& r : cases)
        for (const Slot& s : r) {
            if (s.numeric && s.number == -1.7976931348623157e308) {
                codes += '\xff';
            } else if (s.numeric && s.number == static_cast<int>(s.number) && s.number >= -99 &&
                       s.number <= 151) {
                codes += static_cast<char>(static_cast<int>(s.number) + 100);
            } else if (!s.numeric && padded(s.bytes, 8) == std::string(8, ' ')) {
                codes += '\xfe';
            } else {
                codes += '\xfd';
                literals += s.numeric ? number(s.number) : padded(s.bytes, 8);
            }
            if (codes.size() == 8)
                flush();
        }
    codes += '\xfc'; // end of data
    flush();
    return out;
}

std::string SavBuilder::zlibData(const std::string& bytecode, std::size_t blockSize) const
{
    const auto i64 = [this](std::int64_t v) { return i32Bytes(m_big ? static_cast<std::int32_t>(v >> 32) : static_cast<std::int32_t>(v)) + i32Bytes(m_big ? static_cast<std::int32_t>(v) : static_cast<std::int32_t>(v >> 32)); };
    const std::int64_t headerAt = static_cast<std::int64_t>(m_bytes.size());
    std::string blocks, entries;
    std::int64_t plainAt = headerAt, fileAt = headerAt + 24;
    for (std::size_t at = 0; at < bytecode.size(); at += blockSize) {
        const std::size_t n = std::min(blockSize, bytecode.size() - at);
        uLongf size = compressBound(static_cast<uLong>(n));
        std::string packed(size, '\0');
        compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(bytecode.data() + at), static_cast<uLong>(n));
        packed.resize(size);
        entries += i64(plainAt) + i64(fileAt) + i32Bytes(static_cast<std::int32_t>(n)) +
                   i32Bytes(static_cast<std::int32_t>(size));
        blocks += packed;
        plainAt += static_cast<std::int64_t>(n);
        fileAt += static_cast<std::int64_t>(size);
    }
    const std::int64_t count = static_cast<std::int64_t>(entries.size() / 24);
    const std::string trailer = i64(-100) + i64(0) +
                                i32Bytes(static_cast<std::int32_t>(blockSize)) +
                                i32Bytes(static_cast<std::int32_t>(count)) + entries;
    return i64(headerAt) + i64(fileAt) + i64(static_cast<std::int64_t>(trailer.size())) + blocks +
           trailer;
}

} // namespace qs::spssio::test
