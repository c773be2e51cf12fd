// The per-case table of an open data file: one row of four entries per case, rows
// numbered from 1, each entry heading a chain of value nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace qs {

// A value node: a tag, the link to the next node, then the value. A tag with the top bit
// set marks a string node, whose string is released with the node.
struct TVarValueNode {
    std::uint16_t Tag = 0;
    TVarValueNode* Next = nullptr;
};

constexpr std::uint16_t kStringValueTag = 0x8000;

struct VarValueStringRec : TVarValueNode {
    std::string Value;
};

struct VarValueNumberRec : TVarValueNode {
    double Value = 0;
};

// Makes value nodes that the table can free; the string tag bit is set or cleared here.
VarValueStringRec* NewStringValueNode(std::uint16_t tag, std::string value);
VarValueNumberRec* NewNumberValueNode(std::uint16_t tag, double value);

struct TIndex {
    TVarValueNode* Head;
    std::int32_t CaseNumber;
};

class TSPSSHashTable {
public:
    explicit TSPSSHashTable(std::int32_t rows);
    TSPSSHashTable(const TSPSSHashTable&) = delete;
    TSPSSHashTable& operator=(const TSPSSHashTable&) = delete;
    virtual ~TSPSSHashTable();

    static constexpr std::int32_t kEntriesPerRow = 4;

    virtual void ClearMemory(void* block, std::size_t size);
    // The first of row n's four entries; rows are 1 .. RowCount().
    virtual TIndex* Row(std::int32_t n);

    std::int32_t RowCount() const { return FSlotCount / kEntriesPerRow; }
    std::int32_t SlotCount() const { return FSlotCount; }

    void SetRowCount(std::int32_t n);
    void NumberRows(std::int32_t first);
    void FreeRow(std::int32_t n);
    void RemoveRow(std::int32_t n);

private:
    // Rows live in pages made on first access: sizing and numbering the table of a file
    // with millions of cases touches no row, and most rows are never used. A page not
    // made yet has empty chains and case numbers First + row - 1 for its first
    // NumberedRows rows, 0 for the rest, as its made rows would.
    static constexpr std::int32_t kRowsPerPage = 1024;
    struct Page {
        std::unique_ptr<TIndex[]> Entries;
        std::int32_t First = 0;
        std::int32_t NumberedRows = 0;
    };

    static void FreeChain(TVarValueNode* head);
    TIndex* Entries(std::size_t page);
    // Frees the chains of rows from..to (1-based, highest first) in made pages.
    void FreeChains(std::int32_t from, std::int32_t to);

    std::vector<Page> FPages;
    std::int32_t FSlotCount = 0;
};

} // namespace qs
