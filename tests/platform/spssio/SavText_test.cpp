// The reader's cuts at the interface's limits: counted in bytes of the file's encoding,
// never inside one of its characters, and recoded afterwards.
#include "platform/spssio/SavText.h"

#include <gtest/gtest.h>

namespace qs::spssio::test {
namespace {

struct CutRow {
    const char* name;
    const char* encoding;
    std::string raw;
    std::size_t maxBytes;
    std::string cut;        // the kept prefix, recoded
    std::size_t wholeBytes; // bytes of the whole text's recoding that stand for it
};

class RecoderCut : public ::testing::TestWithParam<CutRow> {};

TEST_P(RecoderCut, KeepsWholeCharactersOfTheFile)
{
    const CutRow& row = GetParam();
#ifdef _WIN32
    if (std::string_view(row.encoding) == "windows-1258") {
        GTEST_SKIP() << "Windows' code page 1258 keeps a letter and its accent apart";
    }
#endif
    Recoder recode(row.encoding);
    EXPECT_EQ(recode.cut(row.raw, row.maxBytes), row.cut);
    EXPECT_EQ(recode.recodedPrefix(row.raw, recode(row.raw), row.maxBytes), row.wholeBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, RecoderCut,
    ::testing::Values(
        CutRow{"SingleByteCountsFileBytes", "windows-1252", "\xe9\xe9\xe9", 2, "\xc3\xa9\xc3\xa9",
               4},
        CutRow{"ShortTextStaysWhole", "windows-1252", "\xe9\xe9", 2, "\xc3\xa9\xc3\xa9", 4},
        CutRow{"Utf8NeverSplitsACharacter", "UTF-8", "a\xc3\xa9", 2, "a", 1},
        CutRow{"Utf8InvalidByteIsOneCharacter", "UTF-8", "\x80\x80\x80", 2,
               "\xef\xbf\xbd\xef\xbf\xbd", 6},
        CutRow{"ShiftJisNeverSplitsACharacter", "Shift_JIS", "a\x82\xa0\x82\xa0", 4,
               "a\xe3\x81\x82", 4},
        // 0xEC is a combining accent that the converter joins to the letter before it.
        CutRow{"ComposedCharacterIsKeptOrDropped", "windows-1258", "xa\xec", 2, "xa", 1}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs::spssio::test
