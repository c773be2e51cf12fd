// The per-case table: sizing, numbering and freeing of its rows.
#include "datafile/SPSSHashtable.h"

#include <cstring>

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
    const std::int32_t count = rows > 0 ? rows : 0;
    FSlotCount = kEntriesPerRow * count;
    FEntries.resize(static_cast<std::size_t>(FSlotCount));
    if (!FEntries.empty()) {
        ClearMemory(FEntries.data(), FEntries.size() * sizeof(TIndex));
    }
}

TSPSSHashTable::~TSPSSHashTable() {
    while (RowCount() > 0) {
        RemoveRow(RowCount());
    }
}

void TSPSSHashTable::ClearMemory(void* block, std::size_t size) {
    std::memset(block, 0, size);
}

TIndex* TSPSSHashTable::Row(std::int32_t n) {
    if (n < 1 || n > RowCount()) {
        throw std::runtime_error("Hashtable out of bounds: it contains only " +
                                 std::to_string(RowCount()) + " cases");
    }
    return &FEntries[static_cast<std::size_t>(n - 1) * kEntriesPerRow];
}

void TSPSSHashTable::SetRowCount(std::int32_t n) {
    if (n < 0) {
        n = 0;
    }
    if (n == RowCount()) {
        return;
    }
    for (std::int32_t row = RowCount(); row > n; --row) {
        FreeRow(row);
    }
    const std::size_t oldSize = FEntries.size();
    FEntries.resize(static_cast<std::size_t>(n) * kEntriesPerRow);
    for (std::size_t i = oldSize; i < FEntries.size(); ++i) {
        FEntries[i].Head = nullptr;
    }
    FSlotCount = kEntriesPerRow * n;
}

void TSPSSHashTable::NumberRows(std::int32_t first) {
    for (std::int32_t r = 1; r <= RowCount(); ++r) {
        TIndex* row = Row(r);
        for (int k = 0; k < kEntriesPerRow; ++k) {
            row[k].CaseNumber = first + r - 1;
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
    // Later rows move up one place; the last row is left with empty chains.
    const std::size_t from = static_cast<std::size_t>(n) * kEntriesPerRow;
    for (std::size_t i = from; i < FEntries.size(); ++i) {
        FEntries[i - kEntriesPerRow] = FEntries[i];
        FEntries[i].Head = nullptr;
    }
}

void TSPSSHashTable::RemoveRow(std::int32_t n) {
    FreeRow(n);
    SetRowCount(RowCount() - 1);
}

} // namespace qs
