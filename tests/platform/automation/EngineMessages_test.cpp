#include "platform/automation/EngineMessages.h"

#include <gtest/gtest.h>

namespace qs::automation {
namespace {

using S = EngineMessage::Severity;

TEST(EngineMessages, ComeBackAsSentWithSeparatorsInFieldsBlanked) {
    const std::vector<EngineMessage> sent{{S::Error, "", 7, "error: FREQUENCIES: x\ty"},
                                          {S::Warning, "/tmp/a\tb.sps", 0, "warning: w"},
                                          {S::Note, "", 3, "note: n"}};
    const std::vector<EngineMessage> got = DecodeEngineMessages(EncodeEngineMessages(sent));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].severity, S::Error);
    EXPECT_EQ(got[0].line, 7);
    EXPECT_EQ(got[0].text, "error: FREQUENCIES: x y");
    EXPECT_EQ(got[1].severity, S::Warning);
    EXPECT_EQ(got[1].file, "/tmp/a b.sps");
    EXPECT_EQ(got[2].severity, S::Note);
    EXPECT_EQ(got[2].line, 3);
}

TEST(EngineMessages, LinesThatDoNotReadAsMessagesAreSkipped) {
    const auto got = DecodeEngineMessages("fatal\t1\t\tnew kind\nerror\tx\t\tbad line\n"
                                          "error\t4\t\n" // too few fields
                                          "error\t5\t\terror: kept");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].line, 5);
    EXPECT_EQ(got[0].text, "error: kept");
}

} // namespace
} // namespace qs::automation
