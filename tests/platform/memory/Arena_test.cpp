#include "platform/memory/Arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Pair {
    int a;
    double b;
};

TEST(Arena, CopiesStayIntactAcrossManyBlocksAndMoves)
{
    qs::Arena arena;
    std::vector<std::pair<std::string, std::string_view>> kept;
    // Enough text to pass the huge-page block size several times.
    for (int i = 0; i < 200000; ++i) {
        std::string text = "label " + std::to_string(i) + std::string(std::size_t(i % 90), 'x');
        kept.emplace_back(text, arena.Copy(text));
    }
    EXPECT_GT(arena.Reserved(), std::size_t(8) << 20);
    EXPECT_GE(arena.Reserved(), arena.Used());
    qs::Arena moved(std::move(arena));
    qs::Arena assigned;
    assigned.Copy("dropped on assignment");
    assigned = std::move(moved);
    for (const auto& [text, view] : kept)
        ASSERT_EQ(view, text);
    EXPECT_EQ(arena.Used(), 0u);
    EXPECT_TRUE(arena.Copy("").empty());
    EXPECT_EQ(arena.Used(), 0u) << "an empty text takes no room";
}

TEST(Arena, AllocationsAreAlignedAndDisjoint)
{
    qs::Arena arena;
    std::vector<std::pair<char*, std::size_t>> blocks;
    for (std::size_t i = 0; i < 5000; ++i) {
        const std::size_t align = std::size_t(1) << (i % 7);
        const std::size_t size = 1 + (i * 7919) % 3000;
        auto* p = static_cast<char*>(arena.Allocate(size, align));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % align, 0u);
        std::memset(p, int(i & 0xFF), size);
        blocks.emplace_back(p, size);
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto [p, size] = blocks[i];
        ASSERT_EQ(static_cast<unsigned char>(p[0]), i & 0xFF);
        ASSERT_EQ(static_cast<unsigned char>(p[size - 1]), i & 0xFF) << "overwritten later";
    }
    Pair* pair = arena.New<Pair>(Pair{3, 4.5});
    EXPECT_EQ(pair->a, 3);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pair) % alignof(Pair), 0u);
}

TEST(Arena, OneRequestLargerThanAnyBlock)
{
    qs::Arena arena;
    arena.Copy("small");
    const std::string big(std::size_t(70) << 20, 'b');
    const std::string_view copy = arena.Copy(big);
    EXPECT_EQ(copy.size(), big.size());
    EXPECT_EQ(copy.back(), 'b');
    EXPECT_THROW(arena.Allocate(SIZE_MAX - 8), std::bad_alloc);
    arena.Clear();
    EXPECT_EQ(arena.Reserved(), 0u);
    EXPECT_EQ(arena.Copy("after clear"), "after clear");
}

} // namespace
