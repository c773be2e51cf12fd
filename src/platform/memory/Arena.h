// A region allocator for large dictionaries: texts and small records are placed one
// after another in big blocks and released all at once, so that tens of thousands of
// labels cost a few allocations and the pages they touch, not one heap block each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <new>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qs {

class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    // Moving keeps every block where it is: views and pointers stay valid.
    Arena(Arena&& other) noexcept;
    Arena& operator=(Arena&& other) noexcept;
    ~Arena();

    // bytes of storage aligned to align (a power of two); throws std::bad_alloc.
    void* Allocate(std::size_t bytes, std::size_t align = alignof(std::max_align_t));
    // A copy of text that lives as long as the arena; empty text costs nothing.
    std::string_view Copy(std::string_view text);
    // Constructs a T that the arena never destroys: only for trivially destructible T.
    template <class T, class... Args> T* New(Args&&... args)
    {
        static_assert(std::is_trivially_destructible_v<T>, "the arena runs no destructors");
        return ::new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
    }

    // Releases every block.
    void Clear() noexcept;
    // Bytes handed out so far, and bytes reserved from the system.
    std::size_t Used() const { return m_used; }
    std::size_t Reserved() const { return m_reserved; }
    // Bytes all arenas of the process hold from the system, and the most they held
    // since ResetPeak: what checks that reading a file stays within its memory bound.
    static std::size_t ProcessReserved();
    static std::size_t ProcessPeak();
    static void ResetPeak();

private:
    struct Block {
        char* data;
        std::size_t size;
        bool mapped; // from mmap (large blocks), else from the heap
    };
    void AddBlock(std::size_t atLeast);

    std::vector<Block> m_blocks;
    char* m_next = nullptr;
    char* m_end = nullptr;
    std::size_t m_used = 0;
    std::size_t m_reserved = 0;
};

// A growable array of trivially copyable items in an arena; it does not own its memory,
// so it is moved and copied freely and grows only through the arena it is given.
template <class T> class ArenaVector {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    T& operator[](std::size_t i) { return m_data[i]; }
    const T& operator[](std::size_t i) const { return m_data[i]; }
    T* begin() { return m_data; }
    T* end() { return m_data + m_size; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_size; }

    void reserve(Arena& arena, std::size_t count)
    {
        if (count <= m_capacity)
            return;
        if (count > SIZE_MAX / sizeof(T))
            throw std::bad_alloc();
        T* data = static_cast<T*>(arena.Allocate(count * sizeof(T), alignof(T)));
        if (m_size > 0)
            std::memcpy(static_cast<void*>(data), m_data, m_size * sizeof(T));
        m_data = data;
        m_capacity = count;
    }
    void push_back(Arena& arena, const T& item)
    {
        if (m_size == m_capacity)
            reserve(arena, m_capacity < 4 ? 4 : 2 * m_capacity);
        m_data[m_size++] = item;
    }

private:
    T* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Standard containers placed in an arena: what they give back is kept until the
// arena is cleared, which suits tables that only grow while a file is read.
class ArenaResource : public std::pmr::memory_resource {
public:
    explicit ArenaResource(Arena& arena) : m_arena(arena) {}

private:
    void* do_allocate(std::size_t bytes, std::size_t align) override
    {
        return m_arena.Allocate(bytes, align);
    }
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    Arena& m_arena;
};

} // namespace qs
