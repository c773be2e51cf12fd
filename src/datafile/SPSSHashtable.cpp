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

TSPSSHashTable::TSPSSHashTable(std::int32_t rows) {
    // A negative count (an unknown case count) makes an empty table, not a bad size.
    SetRowCount(rows > 0 ? rows : 0);
}

TSPSSHashTable::~TSPSSHashTable() {
    // Removing the last row until none is left frees every chain from the highest row
    // down; done at once, so that rows never made are not made now.
    FreeChains(RowCount(), 1);
}

void TSPSSHashTable::ClearMemory(void* block, std::size_t size) {
    std::memset(block, 0, size);
}

TIndex* TSPSSHashTable::Entries(std::size_t page) {
    Page& p = FPages[page];
    if (!p.Entries) {
        constexpr std::size_t count = std::size_t(kRowsPerPage) * kEntriesPerRow;
        p.Entries = std::make_unique_for_overwrite<TIndex[]>(count);
        ClearMemory(p.Entries.get(), count * sizeof(TIndex));
        const auto firstRow = static_cast<std::int32_t>(page) * kRowsPerPage + 1;
        for (std::int32_t i = 0; i < p.NumberedRows; ++i) {
            for (int k = 0; k < kEntriesPerRow; ++k) {
                p.Entries[std::size_t(i) * kEntriesPerRow + k].CaseNumber = p.First + firstRow + i - 1;
            }
        }
    }
    return p.Entries.get();
}

TIndex* TSPSSHashTable::Row(std::int32_t n) {
    if (n < 1 || n > RowCount()) {
        throw std::runtime_error("Hashtable out of bounds: it contains only " +
                                 std::to_string(RowCount()) + " cases");
    }
    const auto row = static_cast<std::size_t>(n - 1);
    return Entries(row / kRowsPerPage) + (row % kRowsPerPage) * kEntriesPerRow;
}

void TSPSSHashTable::FreeChains(std::int32_t from, std::int32_t to) {
    for (std::int32_t row = from; row >= to && row >= 1; --row) {
        const auto index = static_cast<std::size_t>(row - 1);
        Page& page = FPages[index / kRowsPerPage];
        if (!page.Entries) {
            row = static_cast<std::int32_t>(index / kRowsPerPage) * kRowsPerPage + 1; // skip it
            continue;
        }
        TIndex* entries = page.Entries.get() + (index % kRowsPerPage) * kEntriesPerRow;
        for (int k = 0; k < kEntriesPerRow; ++k) {
            FreeChain(entries[k].Head);
            entries[k].Head = nullptr;
        }
    }
}

void TSPSSHashTable::SetRowCount(std::int32_t n) {
    if (n < 0) {
        n = 0;
    }
    if (n == RowCount()) {
        return;
    }
    if (n > INT32_MAX / kEntriesPerRow) {
        throw std::bad_alloc(); // more entries than the slot count can tell
    }
    const std::int32_t old = RowCount();
    if (n < old) {
        // Rows above n are freed from the highest down. FreeRow would also move the
        // rows above each one up a place, but those are freed already and dropped:
        // the moves change nothing that stays, and made shrinking quadratic.
        FreeChains(old, n + 1);
    }
    const std::size_t pages = (static_cast<std::size_t>(n) + kRowsPerPage - 1) / kRowsPerPage;
    FPages.resize(pages);
    if (n < old && n % kRowsPerPage != 0) {
        // The kept part of the last page; its dropped rows come back empty and unnumbered.
        Page& last = FPages.back();
        const std::int32_t kept = n % kRowsPerPage;
        last.NumberedRows = std::min(last.NumberedRows, kept);
        if (last.Entries) {
            for (std::size_t i = std::size_t(kept) * kEntriesPerRow;
                 i < std::size_t(kRowsPerPage) * kEntriesPerRow; ++i) {
                last.Entries[i] = TIndex{nullptr, 0};
            }
        }
    }
    FSlotCount = kEntriesPerRow * n;
}

void TSPSSHashTable::NumberRows(std::int32_t first) {
    const std::int32_t rows = RowCount();
    for (std::size_t page = 0; page < FPages.size(); ++page) {
        Page& p = FPages[page];
        const auto firstRow = static_cast<std::int32_t>(page) * kRowsPerPage + 1;
        const std::int32_t count = std::min(kRowsPerPage, rows - firstRow + 1);
        p.First = first;
        p.NumberedRows = count;
        if (p.Entries) {
            for (std::int32_t i = 0; i < count; ++i) {
                for (int k = 0; k < kEntriesPerRow; ++k) {
                    p.Entries[std::size_t(i) * kEntriesPerRow + k].CaseNumber = first + firstRow + i - 1;
                }
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

void TSPSSHashTable::FreeRow(std::int32_t n) {
    TIndex* row = Row(n);
    for (int k = 0; k < kEntriesPerRow; ++k) {
        FreeChain(row[k].Head);
        row[k].Head = nullptr;
    }
    // Later rows move up one place, entry by entry; the last row is left with empty chains.
    for (std::int32_t r = n + 1; r <= RowCount(); ++r) {
        TIndex* to = Row(r - 1);
        TIndex* from = Row(r);
        for (int k = 0; k < kEntriesPerRow; ++k) {
            to[k] = from[k];
            from[k].Head = nullptr;
        }
    }
}

void TSPSSHashTable::RemoveRow(std::int32_t n) {
    FreeRow(n);
    SetRowCount(RowCount() - 1);
}

} // namespace qs
