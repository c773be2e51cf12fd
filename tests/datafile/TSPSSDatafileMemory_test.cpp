// What an open costs: files shaped to make the reader and the model expand as much as
// they can per byte (a label set shared by thousands of variables, nothing but variable
// records, a huge case count) stay within kOpenBytesPerFileByte x size + kOpenBaseBytes,
// counted as the most the process's heap (operator new) and arenas held during Open; the
// C interface's malloc'ed results, one variable's labels at a time, are not counted.
// Labels past the budget are left out, never the variables.
#include "datafile/RowName.h"
#include "datafile/TSPSSVL.h"
#include "platform/memory/Arena.h"
#include "platform/spssio/SavBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <malloc.h>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <malloc.h>
#define malloc_usable_size _msize // the C runtime's name for it
#endif

namespace {

std::atomic<std::size_t> g_heapLive{0};
std::atomic<std::size_t> g_heapPeak{0};

// Out of line, so that the compiler does not take the free for one of a new'ed block.
[[gnu::noinline]] void Release(void* p) noexcept {
    if (p != nullptr) {
        g_heapLive.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
        std::free(p);
    }
}

} // namespace

void* operator new(std::size_t bytes) {
    void* p = std::malloc(bytes != 0 ? bytes : 1);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t size = malloc_usable_size(p);
    const std::size_t now = g_heapLive.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t peak = g_heapPeak.load(std::memory_order_relaxed);
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
    return p;
}

void operator delete(void* p) noexcept {
    Release(p);
}

void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}

namespace qs {
namespace {

using spssio::test::SavBuilder;

// One set of 250 labels naming all of 8,000 variables: two million labels from 300 KB.
SavBuilder SharedLabelSet() {
    SavBuilder b;
    b.header();
    std::vector<std::int32_t> slots;
    for (int i = 0; i < 8000; ++i) {
        b.numeric("V" + std::to_string(i));
        slots.push_back(i + 1);
    }
    std::vector<std::pair<std::string, std::string>> labels;
    for (int k = 0; k < 250; ++k) {
        labels.emplace_back(b.number(k), "label " + std::to_string(k));
    }
    return b.valueLabels(labels, slots);
}

// 60,000 variables and nothing else: the most the model holds per record.
SavBuilder ManyVariables() {
    SavBuilder b;
    b.header();
    for (int i = 0; i < 60000; ++i) {
        b.numeric("V" + std::to_string(i));
    }
    return b;
}

// The header claims 600 million cases; there are none.
SavBuilder HugeCaseCount() {
    SavBuilder b;
    return b.header(600'000'000).numeric("A").numeric("B");
}

struct Shape {
    const char* name;
    std::function<SavBuilder()> make;
    int variables;
    bool labelsDropped;
};

class OpenMemory : public ::testing::TestWithParam<Shape> {};

TEST_P(OpenMemory, StaysWithinTheBoundAndKeepsEveryVariable) {
    test::TempDir dir;
    const std::string bytes = GetParam().make().end().bytes();
    test::WriteFileBytes(dir / "shaped.sav", bytes);
    TSPSSDatafile file;
    file.SetFilename((dir / "shaped.sav").string());

    const std::size_t heapBefore = g_heapLive.load();
    const std::size_t arenasBefore = Arena::ProcessReserved();
    g_heapPeak.store(heapBefore);
    Arena::ResetPeak();
    file.Open();
    const std::uint64_t used =
        (g_heapPeak.load() - heapBefore) + (Arena::ProcessPeak() - arenasBefore);

    const std::uint64_t bound = kOpenBytesPerFileByte * bytes.size() + kOpenBaseBytes;
    EXPECT_LE(used, bound) << bytes.size() << " bytes of file";
    EXPECT_EQ(file.Variables().Count(), GetParam().variables);
    EXPECT_EQ(file.FileInfo().DroppedValueLabels > 0, GetParam().labelsDropped);
    EXPECT_EQ(ValueLabelNotice(file).empty(), !GetParam().labelsDropped);
    file.Close();
}

INSTANTIATE_TEST_SUITE_P(Files, OpenMemory,
                         ::testing::Values(Shape{"SharedLabelSet", SharedLabelSet, 8000, true},
                                           Shape{"ManyVariables", ManyVariables, 60000, false},
                                           Shape{"HugeCaseCount", HugeCaseCount, 2, false}),
                         test::RowName());

} // namespace
} // namespace qs
