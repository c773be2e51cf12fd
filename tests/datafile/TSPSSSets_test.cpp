// The variable set and multiple-response set parsers on definition texts as data files
// hold them and the I/O library returns them.
#include "datafile/RowName.h"
#include "datafile/TSPSSVL.h"

#include <gtest/gtest.h>

#include <vector>

namespace qs {
namespace {

using Names = std::vector<std::string>;

Names Members(const TSPSSVarList& list) {
    Names names;
    for (const TSPSSVariable* var : list) {
        names.push_back(var->Name);
    }
    return names;
}

// A reader whose dictionary holds the given variables, as if a file had been opened.
class SetParser : public ::testing::Test {
protected:
    void AddVariables(const Names& names) {
        for (const std::string& name : names) {
            file.Variables().Add()->Name = name;
        }
        file.Variables().RebuildIndexes();
    }
    TSPSSDatafile file;
};

struct MRCase {
    const char* name;
    const char* text;
    const char* setName;
    bool dichotomy;
    const char* counted; // nullptr: the integer -1
    const char* label;
    Names members;
};

class MRSetLine : public SetParser, public ::testing::WithParamInterface<MRCase> {};

TEST_P(MRSetLine, GivesNameTypeCountedValueLabelAndMembers) {
    AddVariables({"Age", "AGE2", "AGE3", "V1", "V2", "V3", "q2", "q3", "bool1", "bool2"});
    const MRCase& c = GetParam();
    file.ParseMRSets(c.text);
    ASSERT_EQ(file.MRSets().Count(), 1);
    const TSPSSMRMDSet& set = file.MRSets()[0];
    EXPECT_EQ(set.Name, c.setName);
    EXPECT_EQ(set.IsDichotomy, c.dichotomy);
    if (c.counted == nullptr) {
        EXPECT_EQ(set.CountedValue, TVariant(std::int32_t{-1}));
    } else {
        EXPECT_EQ(set.CountedValue, TVariant(std::string(c.counted)));
    }
    EXPECT_EQ(set.Label, c.label);
    EXPECT_EQ(Members(set.VarList), c.members);
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, MRSetLine,
    ::testing::Values(
        MRCase{"DichotomyNoLabel", "$V=D1 1 0  v1 v2 v3\n", "V", true, "1", "", {"V1", "V2", "V3"}},
        MRCase{"CategoriesWithLabel",
               "$ages=C 8 the ages age age2 age3\n",
               "ages",
               false,
               nullptr,
               "the ages",
               {"Age", "AGE2", "AGE3"}},
        MRCase{"DichotomyWithLabel",
               "$mymrset=D1 1 24 My multiple response set bool1 bool2\n",
               "mymrset",
               true,
               "1",
               "My multiple response set",
               {"bool1", "bool2"}},
        MRCase{
            "LongCountedValue", "$d=D3 yes 4 Test v1 v2", "d", true, "yes", "Test", {"V1", "V2"}},
        MRCase{"CountedValueEndsAtCode8", "$d=D2 ab\x08 2 xy v3", "d", true, "ab", "xy", {"V3"}},
        MRCase{"UnknownMembersSkipped",
               "$s=C 1 x v3 nosuch  v1 ",
               "s",
               false,
               nullptr,
               "x",
               {"V3", "V1"}},
        MRCase{
            "FirstCharacterDroppedWhateverItIs", "#set=C 0 v1", "set", false, nullptr, "", {"V1"}},
        MRCase{"DigitWordAfterLabelDropped",
               "$x=C 3 abc 5 v1 v2",
               "x",
               false,
               nullptr,
               "abc",
               {"V1", "V2"}},
        MRCase{
            "CarriageReturnTrimmed", "$c=C 1 L q2 q3\r\n", "c", false, nullptr, "L", {"q2", "q3"}},
        MRCase{"ExtendedSetIsDichotomy",
               "$counted=E 1 1 1 0  q2 q3\n",
               "counted",
               true,
               "1",
               "",
               {"q2", "q3"}},
        MRCase{
            "ExtendedSetWithLabel", "$e=E 11 2 10 5 Label q3\n", "e", true, "10", "Label", {"q3"}}),
    test::RowName());

TEST_F(SetParser, MRTextWithoutFinalLineFeedKeepsItsLastSetAndSkipsBlankLines) {
    AddVariables({"a", "b"});
    file.ParseMRSets("$one=C 1 A a\n\n$two=D1 1 0  b");
    ASSERT_EQ(file.MRSets().Count(), 2);
    EXPECT_EQ(file.MRSets()[0].Name, "one");
    EXPECT_EQ(file.MRSets()[1].Name, "two");
    EXPECT_EQ(Members(file.MRSets()[1].VarList), Names{"b"});
}

TEST_F(SetParser, NonNumericLabelLengthFailsWithConversionError) {
    AddVariables({"a"});
    EXPECT_THROW(file.ParseMRSets("$x=C abc label a\n"), EConvertError);
}

// A set naming thousands of variables on one line keeps every member in order.
TEST_F(SetParser, SetsWithThousandsOfMembersKeepThemAll) {
    Names names;
    std::string members;
    for (int i = 0; i < 5000; ++i) {
        names.push_back("v" + std::to_string(i));
        members += " " + names.back() + (i % 1000 == 0 ? " unknown" : "");
    }
    AddVariables(names);
    file.ParseVariableSets("ALL=" + members + "\n");
    file.ParseMRSets("$all=C 3 All" + members + "\n");
    ASSERT_EQ(file.VariableSets().Count(), 1);
    ASSERT_EQ(file.MRSets().Count(), 1);
    EXPECT_EQ(Members(file.VariableSets()[0].VarList), names);
    EXPECT_EQ(Members(file.MRSets()[0].VarList), names);
    EXPECT_EQ(file.MRSets()[0].Label, "All");
}

struct VarSetCase {
    const char* name;
    const char* text;
    std::vector<std::pair<std::string, Names>> sets;
};

class VariableSetText : public SetParser, public ::testing::WithParamInterface<VarSetCase> {};

TEST_P(VariableSetText, GivesSetsInOrderWithKnownMembers) {
    AddVariables({"gender", "minority", "educ", "salbegin", "salary", "age", "sex"});
    file.ParseVariableSets(GetParam().text);
    ASSERT_EQ(file.VariableSets().Count(), std::int32_t(GetParam().sets.size()));
    for (std::size_t i = 0; i < GetParam().sets.size(); ++i) {
        const TSPSSVariableSet& set = file.VariableSets()[std::int32_t(i)];
        EXPECT_EQ(set.Name, GetParam().sets[i].first);
        EXPECT_EQ(Members(set.VarList), GetParam().sets[i].second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VariableSetText,
    ::testing::Values(
        VarSetCase{
            "TwoSets",
            "DEMOGR= gender minority educ\nSALARY= salbegin salary\n",
            {{"DEMOGR", {"gender", "minority", "educ"}}, {"SALARY", {"salbegin", "salary"}}}},
        VarSetCase{
            "NoSpaceAfterEqualsLosesFirst", "Demographics=age sex\n", {{"Demographics", {"sex"}}}},
        VarSetCase{"CrLfAsLf", "Demographics= age sex\r\n", {{"Demographics", {"age", "sex"}}}},
        VarSetCase{"LastLineWithoutLineFeedNotRead", "A= age\nB= sex", {{"A", {"age"}}}},
        VarSetCase{
            "UnknownAndEmptyTokensSkipped", "S= AGE nosuch  sex \n", {{"S", {"age", "sex"}}}},
        VarSetCase{"SetNameWithSpaces", "  My Set = age\n", {{"My Set", {"age"}}}},
        VarSetCase{"LineWithoutEqualsSkipped", "age sex\nS= age\n", {{"S", {"age"}}}}),
    test::RowName());

} // namespace
} // namespace qs
