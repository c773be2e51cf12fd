// "--version" and "--help": answered only as the whole first argument, so that a mode
// switch or a file name given first is never taken for one.
#include "about/ProgramSwitches.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qs {
namespace {

constexpr ProgramIdentity kProgram{"quillstone-test", "7.8.9"};
constexpr const char* kHelp = "Usage: quillstone-test FILE\n\n";

struct SwitchCase {
    const char* name;
    std::vector<const char*> arguments; // after the program name
    std::optional<int> exitCode;
    const char* output;
};

class AnswerInfoSwitchTest : public testing::TestWithParam<SwitchCase> {};

TEST_P(AnswerInfoSwitchTest, AnswersOnlyTheWholeFirstArgument) {
    std::vector<const char*> argv{"quillstone-test"};
    argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    std::ostringstream out;
    EXPECT_EQ(AnswerInfoSwitch(static_cast<int>(argv.size()), argv.data(), kProgram, kHelp, out),
              GetParam().exitCode);
    EXPECT_EQ(out.str(), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramSwitches, AnswerInfoSwitchTest,
    testing::Values(
        SwitchCase{"VersionPrintsNameVersionAndLicence", {"--version"}, 0,
                   "quillstone-test 7.8.9\n"
                   "Copyright (C) 2026 Marrowgate\n"
                   "License GPLv3+: GNU GPL version 3 or later "
                   "<https://gnu.org/licenses/gpl.html>.\n"
                   "This is free software: you are free to change and redistribute it.\n"
                   "There is NO WARRANTY, to the extent permitted by law.\n"},
        SwitchCase{"HelpAddsTheTwoSwitches", {"--help", "ignored"}, 0,
                   "Usage: quillstone-test FILE\n\n"
                   "  --help        show this help and exit\n"
                   "  --version     show the version and exit\n"},
        SwitchCase{"NoArguments", {}, std::nullopt, ""},
        SwitchCase{"ModeSwitchFirst", {"/REOPEN", "--help"}, std::nullopt, ""},
        SwitchCase{"OtherLetterCase", {"--Version"}, std::nullopt, ""},
        SwitchCase{"LongerArgument", {"--help.sps"}, std::nullopt, ""},
        SwitchCase{"SingleDash", {"-version"}, std::nullopt, ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ProgramSwitches, FailedOutputGivesExitCodeOne) {
    const char* argv[] = {"quillstone-test", "--version"};
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(AnswerInfoSwitch(2, argv, kProgram, kHelp, out), 1);
}

} // namespace
} // namespace qs
