// What commands do to the active dataset besides their output.
#include "spss/CommandEffects.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

// Transformations that write files, procedures that run them, and the rest.
TEST(CommandEffects, TellsWhichCommandsWriteFilesAndWhichRunThem) {
    const std::pair<const char*, PassEffect> rows[] = {
        {"WRITE OUTFILE='w.txt' /x.", PassEffect::WritesFiles},
        {"print outfile='p.txt' /x.", PassEffect::WritesFiles},
        {"XSAVE OUTFILE='x.sav'.", PassEffect::WritesFiles},
        {"WRITE FORMATS x (F8.2).", PassEffect::None},
        {"PRINT FORMATS x (F8.2).", PassEffect::None},
        {"EXE.", PassEffect::RunsPass},
        {"freq x.", PassEffect::RunsPass},
        {"SAVE OUTFILE='s.sav'.", PassEffect::RunsPass},
        {"COMPUTE y = x.", PassEffect::None},
        {"TEMP.", PassEffect::Temporary},
        {"T-TEST /GROUPS=g(1,2) /VARIABLES=x.", PassEffect::RunsPass},
        {"ECHO 'EXECUTE'.", PassEffect::None},
    };
    for (const auto& [command, effect] : rows) {
        EXPECT_EQ(PassEffectOf(command), effect) << command;
    }
}

// Only procedures that report, and commands about the output, keep the Data window's copy.
TEST(CommandEffects, TellsWhichCommandsLeaveTheCasesAlone) {
    const std::pair<const char*, bool> rows[] = {
        {"FREQUENCIES x.", true},
        {"freq x /STATISTICS=ALL.", true},
        {"T-TEST /GROUPS=g(1,2) /VARIABLES=x.", true},
        {"ECHO 'SAVE'.", true},
        {"* COMPUTE x = 1.", true},
        {"DESCRIPTIVES x /SAVE.", false},
        {"REGRESSION /DEPENDENT=y /METHOD=ENTER x /SAV PRED.", false},
        {"COMPUTE y = x.", false},
        {"SORT CASES BY x.", false},
        {"FR x.", false}, // too short for PSPP to take as FREQUENCIES
        {"mymacro.", false},
        {"!freq x.", false},
    };
    for (const auto& [command, alone] : rows) {
        EXPECT_EQ(LeavesCasesAlone(command), alone) << command;
    }
}

// What waits for a procedure, from the syntax sent; a run that failed clears nothing.
TEST(CommandEffects, PendingTransformationsFollowTheSyntaxSent) {
    struct Step {
        const char* text;
        bool ran;
        const char* why; // nullptr: the dictionary may be copied
    };
    const Step steps[] = {
        {"COMPUTE y = 1.", true, nullptr},
        {"WRITE OUTFILE='w.txt' /y.", true, kFileWritesPending},
        {"LIST.", false, kFileWritesPending},
        {"EXECUTE.", true, nullptr},
        {"TEMPORARY.\nSELECT IF y > 1.\nWRITE OUTFILE='w.txt' /y.", true, kTemporaryPending},
        {"FREQUENCIES y.\nXSAVE OUTFILE='x.sav'.", true, kFileWritesPending},
        {"SAVE OUTFILE='s.sav'.", true, nullptr},
    };
    TPendingTransformations pending;
    for (const Step& step : steps) {
        pending.Note(step.text, step.ran);
        EXPECT_EQ(pending.Why(), step.why ? step.why : "") << step.text;
    }
}

} // namespace
} // namespace qs
