// The per-case table: bounds, resizing, numbering and row removal with value chains.
#include "datafile/SPSSHashtable.h"

#include "datafile/RowName.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct BoundsCase {
    const char* name;
    std::int32_t rows;
    std::int32_t row;
};

class HashtableBounds : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(HashtableBounds, RowOutsideOneToCountRaisesWithRowCount) {
    TSPSSHashTable table(GetParam().rows);
    try {
        table.Row(GetParam().row);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Hashtable out of bounds: it contains only " +
                                             std::to_string(GetParam().rows) + " cases");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, HashtableBounds,
                         ::testing::Values(BoundsCase{"Zero", 3, 0}, BoundsCase{"PastEnd", 3, 4},
                                           BoundsCase{"Negative", 1, -1},
                                           BoundsCase{"EmptyTable", 0, 1}),
                         test::RowName());

TEST(Hashtable, NewTableIsZeroFilledWithFourSlotsPerRow) {
    TSPSSHashTable table(2);
    EXPECT_EQ(table.SlotCount(), 8);
    for (std::int32_t r = 1; r <= 2; ++r) {
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(table.Row(r)[k].Head, nullptr);
            EXPECT_EQ(table.Row(r)[k].CaseNumber, 0);
        }
    }
}

TEST(Hashtable, GrowingKeepsOldChainsAndCaseNumbers) {
    TSPSSHashTable table(2);
    table.NumberRows(10);
    VarValueNumberRec* node = NewNumberValueNode(1, 2.5);
    table.Row(2)[3].Head = node;
    table.SetRowCount(2);
    EXPECT_EQ(table.Row(2)[3].Head, node);
    table.SetRowCount(5);
    EXPECT_EQ(table.SlotCount(), 20);
    EXPECT_EQ(table.Row(2)[3].Head, node);
    EXPECT_EQ(table.Row(1)[0].CaseNumber, 10);
    EXPECT_EQ(table.Row(2)[1].CaseNumber, 11);
    EXPECT_EQ(table.Row(5)[0].Head, nullptr);
    table.NumberRows(1);
    EXPECT_EQ(table.Row(5)[2].CaseNumber, 5);
}

TEST(Hashtable, FreeRowMovesLaterRowsUpAndEmptiesTheLast) {
    TSPSSHashTable table(3);
    table.NumberRows(1);
    table.Row(1)[0].Head = NewStringValueNode(1, "first");
    VarValueStringRec* second = NewStringValueNode(2, "second");
    second->Next = NewNumberValueNode(3, 1.0);
    table.Row(2)[1].Head = second;
    VarValueNumberRec* third = NewNumberValueNode(4, 3.0);
    table.Row(3)[2].Head = third;

    table.FreeRow(2);
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_NE(table.Row(1)[0].Head, nullptr);
    EXPECT_EQ(table.Row(2)[1].Head, nullptr);
    EXPECT_EQ(table.Row(2)[2].Head, third);
    EXPECT_EQ(table.Row(2)[2].CaseNumber, 3) << "entries move whole, case number included";
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(table.Row(3)[k].Head, nullptr);
    }

    table.RemoveRow(1);
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Row(1)[2].Head, third);
    table.SetRowCount(0);
    EXPECT_EQ(table.SlotCount(), 0);
}

TEST(Hashtable, ShrinkingFreesTheUpperRowsAndKeepsTheLowerOnes) {
    TSPSSHashTable table(50000);
    table.NumberRows(1);
    VarValueNumberRec* kept = NewNumberValueNode(2, 1.5);
    table.Row(2)[1].Head = kept;
    table.Row(3)[0].Head = NewStringValueNode(1, "dropped");
    table.Row(50000)[3].Head = NewNumberValueNode(1, 2.0);
    table.SetRowCount(2);
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Row(2)[1].Head, kept);
    EXPECT_EQ(table.Row(2)[1].CaseNumber, 2);
    EXPECT_EQ(table.Row(1)[0].CaseNumber, 1);
    table.SetRowCount(4);
    EXPECT_EQ(table.Row(3)[0].Head, nullptr);
}

// Rows come in pages made on first use; these rows lie in pages made at different times.
TEST(Hashtable, RowsAcrossPagesKeepNumbersChainsAndMoves) {
    TSPSSHashTable table(1);
    table.SetRowCount(3000);
    table.NumberRows(5);
    EXPECT_EQ(table.Row(2500)[0].CaseNumber, 2504);
    VarValueNumberRec* node = NewNumberValueNode(1, 3.0);
    table.Row(1500)[2].Head = node;
    table.SetRowCount(1500);
    EXPECT_EQ(table.Row(1500)[2].Head, node);
    table.SetRowCount(2100);
    EXPECT_EQ(table.Row(1400)[1].CaseNumber, 1404) << "numbered before the shrink";
    EXPECT_EQ(table.Row(1600)[0].CaseNumber, 0) << "grown after the numbering";
    EXPECT_EQ(table.Row(1600)[0].Head, nullptr);
    EXPECT_EQ(table.Row(3)[3].CaseNumber, 7);
    table.RemoveRow(1024);
    EXPECT_EQ(table.RowCount(), 2099);
    EXPECT_EQ(table.Row(1024)[0].CaseNumber, 1029) << "row 1025 moved up across the page edge";
    EXPECT_EQ(table.Row(1499)[2].Head, node);
    EXPECT_EQ(table.Row(1500)[2].Head, nullptr);
}

TEST(Hashtable, ValueNodeFactoriesSetTheStringTagBit) {
    VarValueStringRec* text = NewStringValueNode(5, "x");
    VarValueNumberRec* number = NewNumberValueNode(0x8005, 1);
    EXPECT_EQ(text->Tag, 0x8005);
    EXPECT_EQ(number->Tag, 5);
    // The table frees both kinds through their tags.
    TSPSSHashTable table(1);
    text->Next = number;
    table.Row(1)[0].Head = text;
}

TEST(Hashtable, UnknownCaseCountMakesAnEmptyTable) {
    TSPSSHashTable table(-1);
    EXPECT_EQ(table.RowCount(), 0);
    table.SetRowCount(-1);
    EXPECT_EQ(table.SlotCount(), 0);
}

} // namespace
} // namespace qs
