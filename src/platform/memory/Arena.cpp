// Blocks grow geometrically; the large ones are mapped on huge-page boundaries and
// offered to the kernel's transparent huge pages, which turns thousands of page
// faults on first touch into a handful.
#include "platform/memory/Arena.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace qs {

namespace {
// A preprocessor switch, not a constant: aligned_alloc is missing where no sanitizer is
// (MinGW's C library).
#if defined(__SANITIZE_ADDRESS__)
#define QS_ARENA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QS_ARENA_SANITIZED 1
#endif
#endif
constexpr std::size_t kFirstBlock = 16 * 1024;
constexpr std::size_t kHugePage = 2 * 1024 * 1024;
constexpr std::size_t kLargestStep = 32 * kHugePage;

std::atomic<std::size_t> g_reserved{0};
std::atomic<std::size_t> g_peak{0};

void CountReserved(std::size_t bytes)
{
    const std::size_t now = g_reserved.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    std::size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

#if defined(__linux__)
// A mapping of size bytes (a multiple of kHugePage) that starts on a huge-page boundary.
char* MapAligned(std::size_t size)
{
    const std::size_t span = size + kHugePage;
    void* p = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        ::munmap(p, aligned - start);
    const std::uintptr_t tail = start + span - (aligned + size);
    if (tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE); // advice only
#endif
    return reinterpret_cast<char*>(aligned);
}

void Unmap(char* data, std::size_t size)
{
    ::munmap(data, size);
}
#else
// Elsewhere large blocks come from the heap like small ones.
char* MapAligned(std::size_t)
{
    return nullptr;
}

void Unmap(char*, std::size_t) {}
#endif
} // namespace

std::size_t Arena::ProcessReserved()
{
    return g_reserved.load(std::memory_order_relaxed);
}

std::size_t Arena::ProcessPeak()
{
    return g_peak.load(std::memory_order_relaxed);
}

void Arena::ResetPeak()
{
    g_peak.store(ProcessReserved(), std::memory_order_relaxed);
}

Arena::Arena(Arena&& other) noexcept
    : m_blocks(std::move(other.m_blocks)), m_next(other.m_next), m_end(other.m_end),
      m_used(other.m_used), m_reserved(other.m_reserved)
{
    other.m_blocks.clear();
    other.m_next = other.m_end = nullptr;
    other.m_used = other.m_reserved = 0;
}

Arena& Arena::operator=(Arena&& other) noexcept
{
    if (this != &other) {
        Clear();
        m_blocks = std::move(other.m_blocks);
        m_next = other.m_next;
        m_end = other.m_end;
        m_used = other.m_used;
        m_reserved = other.m_reserved;
        other.m_blocks.clear();
        other.m_next = other.m_end = nullptr;
        other.m_used = other.m_reserved = 0;
    }
    return *this;
}

Arena::~Arena()
{
    Clear();
}

void Arena::Clear() noexcept
{
    for (const Block& b : m_blocks) {
        if (b.mapped)
            Unmap(b.data, b.size);
        else
            std::free(b.data);
    }
    g_reserved.fetch_sub(m_reserved, std::memory_order_relaxed);
    m_blocks.clear();
    m_next = m_end = nullptr;
    m_used = m_reserved = 0;
}

void Arena::AddBlock(std::size_t atLeast)
{
    const std::size_t last = m_blocks.empty() ? 0 : m_blocks.back().size;
    std::size_t size = std::max({atLeast, kFirstBlock, std::min(2 * last, kLargestStep)});
    m_blocks.reserve(m_blocks.size() + 1);
    Block block{nullptr, size, false};
    if (size >= kHugePage) {
        block.size = (size + kHugePage - 1) & ~(kHugePage - 1);
        if (block.size < size) // wrapped
            throw std::bad_alloc();
        block.data = MapAligned(block.size);
        block.mapped = block.data != nullptr;
    }
    if (!block.data) {
        block.size = size;
        block.data = static_cast<char*>(std::malloc(size));
        if (!block.data)
            throw std::bad_alloc();
    }
    m_blocks.push_back(block);
    m_next = block.data;
    m_end = block.data + block.size;
    m_reserved += block.size;
    CountReserved(block.size);
}

void* Arena::Allocate(std::size_t bytes, std::size_t align)
{
#ifdef QS_ARENA_SANITIZED
    {
        // One heap block per request, so that the sanitizer sees reads past any of them.
        if (bytes > SIZE_MAX / 2)
            throw std::bad_alloc();
        const std::size_t a = std::max(align, sizeof(void*));
        void* p = std::aligned_alloc(a, (std::max<std::size_t>(bytes, 1) + a - 1) / a * a);
        if (!p)
            throw std::bad_alloc();
        try {
            m_blocks.push_back({static_cast<char*>(p), bytes, false});
        } catch (...) {
            std::free(p);
            throw;
        }
        m_used += bytes;
        m_reserved += bytes;
        CountReserved(bytes);
        return p;
    }
#endif
    const auto alignUp = [align](std::uintptr_t at) {
        return (at + align - 1) & ~(std::uintptr_t(align) - 1);
    };
    const auto end = reinterpret_cast<std::uintptr_t>(m_end);
    std::uintptr_t at = alignUp(reinterpret_cast<std::uintptr_t>(m_next));
    if (m_next == nullptr || at > end || bytes > end - at) {
        if (bytes > SIZE_MAX / 2)
            throw std::bad_alloc();
        AddBlock(bytes + align);
        at = alignUp(reinterpret_cast<std::uintptr_t>(m_next));
    }
    m_next = reinterpret_cast<char*>(at + bytes);
    m_used += bytes;
    return reinterpret_cast<void*>(at);
}

std::string_view Arena::Copy(std::string_view text)
{
    if (text.empty())
        return {};
    char* p = static_cast<char*>(Allocate(text.size(), 1));
    std::memcpy(p, text.data(), text.size());
    return {p, text.size()};
}

} // namespace qs
