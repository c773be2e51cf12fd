// The dictionary model: name lookup without regard to case, index rebuilding, variable
// lists and clearing.
#include "datafile/RowName.h"
#include "datafile/TSPSSVL.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

class Model : public ::testing::Test {
protected:
    TSPSSVariable* AddVariable(const std::string& name) {
        TSPSSVariable* var = file.Variables().Add();
        var->Name = name;
        return var;
    }
    TSPSSDatafile file;
};

struct LookupCase {
    const char* name;
    const char* query;
    int expectedIndex; // -1: none
};

class NameLookup : public Model, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(NameLookup, FindsByNameIgnoringCase) {
    for (const char* name : {"Age", "sex", "income", "AGE2", "\xC3\x84rger"}) {
        AddVariable(name);
    }
    file.Variables().RebuildIndexes();
    TSPSSVariable* var = file.Variables().FindByName(GetParam().query);
    if (GetParam().expectedIndex < 0) {
        EXPECT_EQ(var, nullptr);
    } else {
        ASSERT_NE(var, nullptr);
        EXPECT_EQ(var->Index(), GetParam().expectedIndex);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Queries, NameLookup,
    ::testing::Values(LookupCase{"Lower", "age", 0}, LookupCase{"Upper", "AGE", 0},
                      LookupCase{"Stored", "Age", 0}, LookupCase{"Last", "INCOME", 2},
                      LookupCase{"NonAscii", "\xC3\xA4RGER", 4}, LookupCase{"Prefix", "ag", -1},
                      LookupCase{"Empty", "", -1}),
    test::RowName());

TEST_F(Model, LookupMissRebuildsIndexesAndFindsLaterVariables) {
    AddVariable("age");
    file.Variables().RebuildIndexes();
    TSPSSVariable* added = AddVariable("weight");
    EXPECT_EQ(file.Variables().FindByName("WEIGHT"), added);
    EXPECT_NE(file.Variables().NameIndex().Find("weight"), nullptr);
}

TEST_F(Model, LookupMissOnCurrentIndexesKeepsThem) {
    AddVariable("age");
    file.Variables().RebuildIndexes();
    const TVarNameAVLTree* names = &file.Variables().NameIndex();
    EXPECT_EQ(file.Variables().FindByName("nosuch"), nullptr);
    EXPECT_EQ(&file.Variables().NameIndex(), names);
    EXPECT_NE(file.Variables().FindByName("AGE"), nullptr);
}

TEST_F(Model, NamesEqualIgnoringCaseKeepTheEarlierItem) {
    TSPSSVariable* first = AddVariable("age");
    AddVariable("AGE");
    EXPECT_EQ(file.Variables().FindByName("Age"), first);
    EXPECT_EQ(file.Variables().FindByName("AGE"), first);
}

TEST_F(Model, IDIndexMapsVarIDToPosition) {
    for (const char* name : {"a", "b", "c"}) {
        AddVariable(name);
    }
    file.Variables().RebuildIndexes();
    for (const auto& var : file.Variables()) {
        EXPECT_EQ(var->VarID, var->ID() & 0xFFFF);
        const auto* node = static_cast<const TVarIDAVLNode*>(file.Variables().IDIndex().Root());
        while (node != nullptr && node->Key() != var->VarID) {
            node = static_cast<const TVarIDAVLNode*>(node->Key() > var->VarID ? node->LeftNode()
                                                                              : node->RightNode());
        }
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->FIndex, var->Index());
    }
}

TEST_F(Model, VarListAddRaisesForAnUnknownName) {
    AddVariable("age");
    TSPSSVariableSet* set = file.VariableSets().Add("S");
    set->VarList.Add("AGE");
    ASSERT_EQ(set->VarList.Count(), 1);
    EXPECT_EQ(set->VarList[0].Name, "age");
    try {
        set->VarList.Add("nosuch");
        FAIL() << "no exception";
    } catch (const ESPSSDataFileException& e) {
        EXPECT_STREQ(e.what(), "Variablename nosuch is not valid");
        EXPECT_EQ(e.ErrorCode(), 0);
    }
}

TEST_F(Model, ClearEmptiesVariablesIndexesAndWeight) {
    file.Variables().WeightVariable = AddVariable("w");
    file.Variables().RebuildIndexes();
    file.Variables().Clear();
    EXPECT_EQ(file.Variables().Count(), 0);
    EXPECT_EQ(file.Variables().WeightVariable, nullptr);
    EXPECT_EQ(file.Variables().NameIndex().Root(), nullptr);
    EXPECT_EQ(file.Variables().IDIndex().Root(), nullptr);
    EXPECT_EQ(file.Variables().FindByName("w"), nullptr);
    EXPECT_EQ(AddVariable("x")->Index(), 0);
}

} // namespace
} // namespace qs
