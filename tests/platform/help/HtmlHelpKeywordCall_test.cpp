// The wide arguments of an HTML Help keyword lookup, made from UTF-8 names and keywords.
#include "platform/help/HtmlHelpKeywordCall.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct CallCase {
    const char* label;
    std::string keyword, file;         // UTF-8
    std::wstring wideKeyword, wideFile; // written independently of the UTF-8 form
};

class HtmlHelpCall : public testing::TestWithParam<CallCase> {};

TEST_P(HtmlHelpCall, CarriesTheNameAndKeywordAsUtf16) {
    const HtmlHelpKeywordCall call(GetParam().keyword, GetParam().file);
    EXPECT_EQ(call.File(), GetParam().wideFile);
    EXPECT_EQ(call.Link().cbStruct, static_cast<int>(sizeof(HhAkLinkW)));
    EXPECT_EQ(std::wstring(call.Link().pszKeywords), GetParam().wideKeyword);
}

INSTANTIATE_TEST_SUITE_P(
    HtmlHelp, HtmlHelpCall,
    testing::Values(CallCase{"NonAsciiFolder", "ÄNDERN", "C:\\Users\\José\\spss.chm",
                             L"\u00c4NDERN", L"C:\\Users\\Jos\u00e9\\spss.chm"},
                    CallCase{"BeyondBmp", "数据", "D:\\\xF0\x9F\x93\x8A\\help.chm",
                             L"\u6570\u636e", L"D:\\\U0001F4CA\\help.chm"},
                    CallCase{"EmptyKeywordOpensTheIndex", "", "C:\\help.chm", L"", L"C:\\help.chm"}),
    [](const auto& row) { return std::string(row.param.label); });

} // namespace
} // namespace qs
