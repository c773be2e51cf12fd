// Name comparison without regard to case, and the general number text of label values.
#include "datafile/LocaleText.h"

#include "datafile/RowName.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct CompareCase {
    const char* name;
    const char* a;
    const char* b;
    int expected;
};

class TextCompare : public ::testing::TestWithParam<CompareCase> {};

TEST_P(TextCompare, IgnoresCaseAndIsAntisymmetric) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(CompareTextUserLocale(c.a, c.b), c.expected);
    EXPECT_EQ(CompareTextUserLocale(c.b, c.a), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(Names, TextCompare,
                         ::testing::Values(CompareCase{"AsciiCase", "AGE", "age", 0},
                                           CompareCase{"MixedCase", "Age", "aGE", 0},
                                           CompareCase{"Order", "age", "SEX", -1},
                                           CompareCase{"Prefix", "age2", "AGE", 1},
                                           CompareCase{"Empty", "", "a", -1},
                                           CompareCase{"Umlaut", "\xC3\x84RGER", "\xC3\xA4rger", 0},
                                           CompareCase{"Cyrillic", "\xD0\x98\xD0\x9C\xD0\xAF",
                                                       "\xD0\xB8\xD0\xBC\xD1\x8F", 0},
                                           CompareCase{"InvalidBytesDiffer", "\xC4", "\xE4", -1},
                                           CompareCase{"AccentDiffers", "e", "\xC3\xA9", -1},
                                           CompareCase{"AsciiDifferenceBeforeUmlaut",
                                                       "ab\xC3\xA4", "AC", -1},
                                           CompareCase{"UmlautTailsFoldEqual", "AB\xC3\x84",
                                                       "ab\xC3\xA4", 0},
                                           CompareCase{"UmlautTailLonger", "ab", "AB\xC3\xA4", -1}),
                         test::RowName());

struct FloatCase {
    const char* name;
    double value;
    const char* text;
};

class FloatText : public ::testing::TestWithParam<FloatCase> {};

TEST_P(FloatText, ShortestGeneralFormWithFifteenDigits) {
    EXPECT_EQ(FloatToText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FloatText,
    ::testing::Values(FloatCase{"One", 1, "1"}, FloatCase{"Half", 2.5, "2.5"},
                      FloatCase{"Negative", -3, "-3"}, FloatCase{"Zero", 0, "0"},
                      FloatCase{"Tenth", 0.1, "0.1"},
                      FloatCase{"Third", 1.0 / 3, "0.333333333333333"},
                      FloatCase{"FifteenDigits", 1e14, "100000000000000"},
                      FloatCase{"SixteenDigits", 1e15, "1E15"},
                      FloatCase{"Large", 123456789012345678.0, "1.23456789012346E17"},
                      FloatCase{"SmallFixed", 0.00001, "0.00001"},
                      FloatCase{"SmallScientific", 1.5e-7, "1.5E-7"},
                      FloatCase{"RoundsUp", 0.99999999999999999, "1"},
                      FloatCase{"NegativeFraction", -0.125, "-0.125"},
                      FloatCase{"NegativeZero", -0.0, "0"},
                      FloatCase{"LargestFixedInteger", 999999999999999.0, "999999999999999"},
                      FloatCase{"NegativeLargeInteger", -123456789012345.0, "-123456789012345"},
                      FloatCase{"IntegerAboveFifteenDigits", 1234567890123456.0,
                                "1.23456789012346E15"},
                      FloatCase{"JustBelowInteger", 2.9999999, "2.9999999"}),
    test::RowName());

} // namespace
} // namespace qs
