// Buffered input over a file or memory; see SavInput.h.
#include "platform/spssio/SavInput.h"

#include "platform/spssio/spssio.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <new>
#include <unistd.h>

namespace qs::spssio {

namespace {
constexpr std::uint64_t kFirstBlock = 1024 * 1024;
// No real dictionary comes near this; a claim beyond it is treated as lack of memory.
constexpr std::uint64_t kMaxDictionary = std::uint64_t(1) << 30;
} // namespace

SavInput::SavInput(const std::uint8_t* data, std::size_t size) : m_mem(data), m_size(size) {}

SavInput::SavInput(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}

bool SavInput::load(std::uint64_t end)
{
    if (end > kMaxDictionary) {
        m_error = SPSS_NO_MEMORY;
        return false;
    }
    if (end <= m_loaded)
        return true;
    // Grow fourfold so that a large dictionary is read in a few calls and copied little.
    std::uint64_t want = std::max({end, m_loaded * 4, kFirstBlock});
    want = std::min({want, m_size, kMaxDictionary});
    std::unique_ptr<std::uint8_t[]> buf(new (std::nothrow) std::uint8_t[want]);
    if (!buf) {
        m_error = SPSS_NO_MEMORY;
        return false;
    }
    if (m_loaded > 0)
        std::memcpy(buf.get(), m_buf.get(), m_loaded);
    m_buf = std::move(buf);
    while (m_loaded < want) {
        const ssize_t n = ::pread(m_fd, m_buf.get() + m_loaded, want - m_loaded,
                                  static_cast<off_t>(m_loaded));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = SPSS_FILE_RERROR; // the file shrank or cannot be read
            return end <= m_loaded;
        }
        m_loaded += static_cast<std::uint64_t>(n);
    }
    return true;
}

const std::uint8_t* SavInput::take(std::uint64_t n)
{
    if (n > m_size - m_pos) {
        m_error = SPSS_FILE_RERROR;
        return nullptr;
    }
    const std::uint64_t at = m_pos;
    if (m_mem) {
        // The same bound as for buffered reading, so that both give the same result.
        if (at + n > kMaxDictionary) {
            m_error = SPSS_NO_MEMORY;
            return nullptr;
        }
        m_pos += n;
        return m_mem + at;
    }
    if (!load(at + n))
        return nullptr;
    m_pos += n;
    return m_buf.get() + at;
}

bool SavInput::int32(std::int32_t& v)
{
    const std::uint8_t* p = take(4);
    if (!p)
        return false;
    v = decode32(p);
    return true;
}

bool SavInput::float64(double& v)
{
    const std::uint8_t* p = take(8);
    if (!p)
        return false;
    v = decode64(p);
    return true;
}

bool SavInput::bytes(std::uint64_t n, std::string& out)
{
    const std::uint8_t* p = take(n);
    if (!p)
        return false;
    out.assign(reinterpret_cast<const char*>(p), n);
    return true;
}

std::int32_t SavInput::decode32(const std::uint8_t* p) const
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    if (m_swap)
        v = __builtin_bswap32(v);
    return static_cast<std::int32_t>(v);
}

double SavInput::decode64(const std::uint8_t* p) const
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    if (m_swap)
        v = __builtin_bswap64(v);
    return std::bit_cast<double>(v);
}

} // namespace qs::spssio
