// Builds small system files byte by byte in either byte order, for tests that
// need exact or deliberately broken records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qs::spssio::test {

// One 8-byte slot of a case record: a number, or eight bytes of a string.
struct Slot {
    bool numeric = true;
    double number = 0;
    std::string bytes;
    static Slot num(double v) { return {true, v, {}}; }
    static Slot str(std::string eight) { return {false, 0, std::move(eight)}; }
};
using Record = std::vector<Slot>;

class SavBuilder {
public:
    explicit SavBuilder(bool bigEndian = false) : m_big(bigEndian) {}

    SavBuilder& header(std::int32_t cases = 1, std::int32_t weightSlot = 0,
                       std::string magic = "$FL2", std::int32_t compression = 1,
                       const std::string& fileLabel = "file label");
    SavBuilder& numeric(const std::string& shortName, const std::string& label = {},
                        std::int32_t missingFormat = 0, std::vector<double> missing = {});
    // A string variable of width 1..255 with its continuation records.
    SavBuilder& string(const std::string& shortName, int width, const std::string& label = {},
                       std::vector<std::string> missing = {});
    // Type 3 + 4: values are 8 raw bytes (use number() for doubles).
    SavBuilder& valueLabels(const std::vector<std::pair<std::string, std::string>>& labels,
                            const std::vector<std::int32_t>& slots);
    SavBuilder& extension(std::int32_t subtype, std::int32_t size, std::int32_t count,
                          const std::string& payload);
    SavBuilder& text(std::int32_t subtype, const std::string& payload)
    {
        return extension(subtype, 1, static_cast<std::int32_t>(payload.size()), payload);
    }
    SavBuilder& end();

    SavBuilder& i32(std::int32_t v);
    SavBuilder& f64(double v);
    SavBuilder& raw(const std::string& bytes);
    std::string i32Bytes(std::int32_t v) const;
    std::string number(double v) const; // 8 bytes in the file's order

    // Case data as a writer stores it: slot by slot, or bytecode-compressed with bias 100
    // (small integers, system-missing and blank strings as codes, the rest as literals).
    std::string plainData(const std::vector<Record>& cases) const;
    std::string bytecodeData(const std::vector<Record>& cases) const;
    // A .zsav's data after what is built so far: the zlib header, the bytecode stream in
    // blocks of blockSize inflated bytes, and the block index.
    std::string zlibData(const std::string& bytecode, std::size_t blockSize) const;

    const std::string& bytes() const { return m_bytes; }
    std::size_t size() const { return m_bytes.size(); }

private:
    std::string padded(const std::string& s, std::size_t n) const;
    bool m_big;
    std::string m_bytes;
};

} // namespace qs::spssio::test
