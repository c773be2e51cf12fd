// Buffered input over a file or memory; see SavInput.h.
#include "platform/spssio/SavInput.h"

#include "platform/FileDescriptor.h"
#include "platform/spssio/spssio.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <new>

namespace qs::spssio {

namespace {
// Large enough that a dictionary of many megabytes takes a few reads, small enough
// to stay in the cache while it is parsed.
constexpr std::uint64_t kWindow = 1024 * 1024;
std::atomic<std::uint64_t> g_window{kWindow};
// No real dictionary comes near this; a claim beyond it is treated as lack of memory.
constexpr std::uint64_t kMaxDictionary = std::uint64_t(1) << 30;
} // namespace

void setReadWindow(std::size_t bytes)
{
    g_window.store(bytes > 0 ? bytes : kWindow, std::memory_order_relaxed);
}

SavInput::SavInput(const std::uint8_t* data, std::size_t size) : m_mem(data), m_size(size) {}

SavInput::SavInput(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}

bool SavInput::fill(std::uint64_t at, std::uint64_t n)
{
    // Bytes before at are done with: what is left of the window moves to its front.
    const std::uint64_t keep = m_loaded > at ? m_loaded - at : 0;
    if (n > m_capacity || !m_buf) {
        const std::uint64_t capacity =
            std::max({n, g_window.load(std::memory_order_relaxed), 2 * m_capacity});
        std::unique_ptr<std::uint8_t[]> buf(new (std::nothrow) std::uint8_t[capacity]);
        if (!buf) {
            m_error = SPSS_NO_MEMORY;
            return false;
        }
        if (keep > 0)
            std::memcpy(buf.get(), m_buf.get() + (at - m_base), keep);
        m_buf = std::move(buf);
        m_capacity = capacity;
    } else if (keep > 0) {
        std::memmove(m_buf.get(), m_buf.get() + (at - m_base), keep);
    }
    m_base = at;
    m_loaded = at + keep;
    const std::uint64_t want = std::min(m_size, m_base + m_capacity);
    while (m_loaded < want) {
        const std::int64_t got =
            ReadAt(m_fd, m_buf.get() + (m_loaded - m_base), want - m_loaded, m_loaded);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // the file shrank or cannot be read: enough may be there all the same
        m_loaded += static_cast<std::uint64_t>(got);
    }
    if (m_loaded < at + n) {
        m_error = SPSS_FILE_RERROR;
        return false;
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
    // The same bound for memory and files, so that both give the same result.
    if (at + n > kMaxDictionary) {
        m_error = SPSS_NO_MEMORY;
        return nullptr;
    }
    if (m_mem) {
        m_pos += n;
        return m_mem + at;
    }
    if ((at + n > m_loaded || !m_buf) && !fill(at, n))
        return nullptr;
    m_pos += n;
    return m_buf.get() + (at - m_base);
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
