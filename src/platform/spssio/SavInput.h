// Sequential, bounds-checked access to the start of a system file: reads the
// file through a window of a megabyte or more (never byte by byte, never far past
// what the dictionary needs) and decodes integers and doubles in the file's byte order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <memory>

namespace qs::spssio {

class SavInput {
public:
    SavInput(const std::uint8_t* data, std::size_t size); // bytes in memory
    SavInput(int fd, std::uint64_t size);                 // an open file

    // Pointer to the next n bytes and advance; nullptr when they are not there
    // (then error() tells why). Valid until the next call of take().
    const std::uint8_t* take(std::uint64_t n);
    bool skip(std::uint64_t n) { return take(n) != nullptr || n == 0; }
    bool int32(std::int32_t& v);
    bool float64(double& v);

    std::uint64_t position() const { return m_pos; }
    std::uint64_t remaining() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos == m_size; }
    int error() const { return m_error; } // SPSS_* code of the last failure
    void setBigEndian(bool big) { m_swap = big; }

    std::int32_t decode32(const std::uint8_t* p) const;
    double decode64(const std::uint8_t* p) const;

private:
    // Makes the n bytes at file offset at the start of the window.
    bool fill(std::uint64_t at, std::uint64_t n);

    const std::uint8_t* m_mem = nullptr;
    int m_fd = -1;
    std::unique_ptr<std::uint8_t[]> m_buf; // file bytes [m_base, m_loaded)
    std::uint64_t m_capacity = 0;
    std::uint64_t m_base = 0;
    std::uint64_t m_loaded = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_pos = 0;
    int m_error = 0;
    bool m_swap = false;
};

} // namespace qs::spssio
