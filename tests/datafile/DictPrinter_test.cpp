// The dictionary printer: text printed to a stream in pieces equals the text made whole.
#include "datafile/DictPrinter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qs {
namespace {

// Enough variables for several pieces of output, with texts that need escaping.
void FillLargeModel(TSPSSDatafile& file) {
    for (int i = 0; i < 6000; ++i) {
        TSPSSVariable* var = file.Variables().Add();
        var->Name = "v" + std::to_string(i);
        var->Label = "Label \"" + std::to_string(i) + "\" with \xC3\xA4 and a tab\t" +
                     std::string(200, 'x');
        var->IsNumeric = true;
        var->PrintType = 5;
        var->PrintWidth = 8;
        var->PrintDecimals = 2;
        TSPSSValueLabel* label = var->ValueLabels.Add();
        label->Value = std::string("1");
        label->Label = "one\\";
    }
    file.Variables().RebuildIndexes();
    TSPSSMRMDSet* set = file.MRSets().Add("set");
    set->CountedValue = std::int32_t{-1};
    set->VarList.Add("v1");
}

TEST(DictPrinter, PrintingInPiecesGivesTheWholeText) {
    TSPSSDatafile file;
    FillLargeModel(file);
    const std::string json = DictionaryJson(file);
    const std::string text = DictionaryText(file);
    ASSERT_GT(json.size(), std::size_t(2) << 20) << "the text must span several pieces";
    std::ostringstream printedJson;
    std::ostringstream printedText;
    PrintDictionaryJson(file, printedJson);
    PrintDictionaryText(file, printedText);
    EXPECT_EQ(printedJson.str(), json);
    EXPECT_EQ(printedText.str(), text);
    EXPECT_NE(json.find("\"Label \\\"5999\\\" with \xC3\xA4 and a tab\\t"), std::string::npos);
    EXPECT_NE(json.find("[\"1\", \"one\\\\\"]"), std::string::npos);
}

} // namespace
} // namespace qs
