// The per-case table: sizing, numbering and freeing of its rows.
#include "datafile/SPSSHashtable.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace qs {

VarValueStringRec* NewStringValueNode(std::uint16_t tag, std::string value) {
    auto* node = new VarValueStringRec;
    node->Tag = tag | kStringValueTag;
    node->Value = std::move(value);
    return node;
}

VarValueNumberRec* NewNumberValueNode(std::uint16_t tag, double value) {
    auto* node = new VarValueNumberRec;
    node->Tag = tag & ~kStringValueTag;
    node->Value = value;
    return node;
}

TSPSSHashTable::TSPSSHashTable(std::int64_t rows) {
    // A negative count (an unknown case count) makes an empty table, not a bad size.
    SetRowCount(rows > 0 ? rows : 0);
}

TSPSSHashTable::~TSPSSHashTable() {
    FreeChains(1, RowCount());
}

void TSPSSHashTable::ClearMemory(void* block, std::size_t size) {
    std::memset(block, 0, size);
}

TIndex* TSPSSHashTable::Entries(std::int64_t page) {
    Page& entries = FPages[page];
    if (!entries) {
        constexpr std::size_t count = std::size_t(kRowsPerPage) * kEntriesPerRow;
        entries = std::make_unique_for_overwrite<TIndex[]>(count);
        ClearMemory(entries.get(), count * sizeof(TIndex));
        const std::int64_t firstRow = page * kRowsPerPage + 1;
        const std::int64_t numbered =
            std::clamp<std::int64_t>(FNumberedRows - firstRow + 1, 0, kRowsPerPage);
        for (std::int64_t i = 0; i < numbered; ++i) {
            for (int k = 0; k < kEntriesPerRow; ++k) {
                entries[std::size_t(i) * kEntriesPerRow + k].CaseNumber = FFirst + firstRow + i - 1;
            }
        }
    }
    return entries.get();
}

TIndex* TSPSSHashTable::Row(std::int64_t n) {
    if (n < 1 || n > RowCount()) {
        throw std::runtime_error("Hashtable out of bounds: it contains only " +
                                 std::to_string(RowCount()) + " cases");
    }
    const std::int64_t row = n - 1;
    return Entries(row / kRowsPerPage) + (row % kRowsPerPage) * kEntriesPerRow;
}

void TSPSSHashTable::FreeChains(std::int64_t from, std::int64_t to) {
    // Only made pages hold chains: a table of a billion rows has few of them.
    for (auto& [page, entries] : FPages) {
        const std::int64_t first = std::max(from, page * kRowsPerPage + 1);
        const std::int64_t last = std::min(to, (page + 1) * kRowsPerPage);
        for (std::int64_t row = first; row <= last; ++row) {
            TIndex* at = entries.get() + ((row - 1) % kRowsPerPage) * kEntriesPerRow;
            for (int k = 0; k < kEntriesPerRow; ++k) {
                FreeChain(at[k].Head);
                at[k].Head = nullptr;
            }
        }
    }
}

void TSPSSHashTable::SetRowCount(std::int64_t n) {
    if (n < 0) {
        n = 0;
    }
    if (n == RowCount()) {
        return;
    }
    if (n > INT64_MAX / kEntriesPerRow) {
        throw std::bad_alloc(); // more entries than the slot count can tell
    }
    if (n < RowCount()) {
        // Rows above n are freed. FreeRow would also move the rows above each one up a
        // place, but those are freed already and dropped: the moves change nothing
        // that stays, and made shrinking quadratic.
        FreeChains(n + 1, RowCount());
        const std::int64_t pages = (n + kRowsPerPage - 1) / kRowsPerPage;
        std::erase_if(FPages, [pages](const auto& page) { return page.first >= pages; });
        if (const auto last = FPages.find(pages - 1);
            n % kRowsPerPage != 0 && last != FPages.end()) {
            // The kept part of the last page; its dropped rows come back empty and unnumbered.
            for (std::size_t i = std::size_t(n % kRowsPerPage) * kEntriesPerRow;
                 i < std::size_t(kRowsPerPage) * kEntriesPerRow; ++i) {
                last->second[i] = TIndex{nullptr, 0};
            }
        }
        FNumberedRows = std::min(FNumberedRows, n);
    }
    FRowCount = n;
}

void TSPSSHashTable::NumberRows(std::int64_t first) {
    FFirst = first;
    FNumberedRows = RowCount();
    for (auto& [page, entries] : FPages) {
        const std::int64_t firstRow = page * kRowsPerPage + 1;
        const std::int64_t count = std::min(kRowsPerPage, RowCount() - firstRow + 1);
        for (std::int64_t i = 0; i < count; ++i) {
            for (int k = 0; k < kEntriesPerRow; ++k) {
                entries[std::size_t(i) * kEntriesPerRow + k].CaseNumber = first + firstRow + i - 1;
            }
        }
    }
}

void TSPSSHashTable::FreeChain(TVarValueNode* head) {
    while (head != nullptr) {
        TVarValueNode* next = head->Next;
        if ((head->Tag & kStringValueTag) != 0) {
            delete static_cast<VarValueStringRec*>(head);
        } else {
            delete static_cast<VarValueNumberRec*>(head);
        }
        head = next;
    }
}

void TSPSSHashTable::FreeRow(std::int64_t n) {
    TIndex* row = Row(n);
    for (int k = 0; k < kEntriesPerRow; ++k) {
        FreeChain(row[k].Head);
        row[k].Head = nullptr;
    }
    // Later rows move up one place, entry by entry; the last row is left with empty chains.
    for (std::int64_t r = n + 1; r <= RowCount(); ++r) {
        TIndex* to = Row(r - 1);
        TIndex* from = Row(r);
        for (int k = 0; k < kEntriesPerRow; ++k) {
            to[k] = from[k];
            from[k].Head = nullptr;
        }
    }
}

void TSPSSHashTable::RemoveRow(std::int64_t n) {
    FreeRow(n);
    SetRowCount(RowCount() - 1);
}

} // namespace qs
