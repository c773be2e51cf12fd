// The per-case table of an open data file: one row of four entries per case, rows
// numbered from 1, each entry heading a chain of value nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>

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
    std::int64_t CaseNumber; // a file may hold more than 2^31 cases
};

class TSPSSHashTable {
public:
    explicit TSPSSHashTable(std::int64_t rows);
    TSPSSHashTable(const TSPSSHashTable&) = delete;
    TSPSSHashTable& operator=(const TSPSSHashTable&) = delete;
    virtual ~TSPSSHashTable();

    static constexpr std::int32_t kEntriesPerRow = 4;

    virtual void ClearMemory(void* block, std::size_t size);
    // The first of row n's four entries; rows are 1 .. RowCount().
    virtual TIndex* Row(std::int64_t n);

    std::int64_t RowCount() const { return FRowCount; }
    std::int64_t SlotCount() const { return kEntriesPerRow * FRowCount; }

    // Raises std::bad_alloc for more rows than the slot count can tell.
    void SetRowCount(std::int64_t n);
    void NumberRows(std::int64_t first);
    void FreeRow(std::int64_t n);
    void RemoveRow(std::int64_t n);

private:
    // Rows live in pages made on first access, and only made pages take memory: sizing
    // and numbering the table of a file that claims billions of cases touches no row,
    // and most rows are never used. A page not made yet has empty chains, and case
    // numbers FFirst + row - 1 for rows up to FNumberedRows, 0 above, as its made rows
    // would have: only NumberRows numbers rows, and it numbers all of them at once.
    static constexpr std::int64_t kRowsPerPage = 1024;
    using Page = std::unique_ptr<TIndex[]>;

    static void FreeChain(TVarValueNode* head);
    TIndex* Entries(std::int64_t page);
    // Frees the chains of the made rows from..to (1-based).
    void FreeChains(std::int64_t from, std::int64_t to);

    std::unordered_map<std::int64_t, Page> FPages; // made pages by number, from 0
    std::int64_t FRowCount = 0;
    std::int64_t FFirst = 0;
    std::int64_t FNumberedRows = 0;
};

} // namespace qs
