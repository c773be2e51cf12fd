// The window's place and zoom between runs: what is stored, and where a stored place
// that no screen shows any more ends up.
#include "settings/WindowState.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

const std::string kWindowKey = "Software\\Marrowgate\\Quillstone\\Window";

struct FitRow {
    const char* name;
    ScreenRect saved;
    std::vector<ScreenRect> screens; // the primary first
    ScreenRect expected;
};

void PrintTo(const FitRow& row, std::ostream* os) {
    *os << row.name;
}

class FitToScreen : public ::testing::TestWithParam<FitRow> {};

TEST_P(FitToScreen, KeepsWhatShowsAndCentresWhatDoesNot) {
    EXPECT_EQ(FitToScreens(GetParam().saved, GetParam().screens), GetParam().expected);
}

const ScreenRect kMain{0, 0, 1280, 800};
const ScreenRect kLeft{-1920, 0, 1920, 1080};

INSTANTIATE_TEST_SUITE_P(
    Rows, FitToScreen,
    ::testing::Values(
        FitRow{"OnTheScreen", {100, 80, 782, 496}, {kMain}, {100, 80, 782, 496}},
        FitRow{"PartlyOffButTitleReachable", {1100, 700, 782, 496}, {kMain}, {1100, 700, 782, 496}},
        FitRow{"OnAScreenLeftOfThePrimary",
               {-1800, 50, 800, 600},
               {kMain, kLeft},
               {-1800, 50, 800, 600}},
        FitRow{"ThatScreenUnplugged", {-1800, 50, 800, 600}, {kMain}, {240, 100, 800, 600}},
        FitRow{"TitleAboveTheScreen", {100, -300, 782, 496}, {kMain}, {249, 152, 782, 496}},
        FitRow{"BelowTheScreen", {100, 790, 782, 496}, {kMain}, {249, 152, 782, 496}},
        FitRow{"LargerThanTheScreen", {0, 0, 2560, 1440}, {kMain}, {0, 0, 1280, 800}},
        FitRow{"LargerAndOffScreen", {5000, 0, 2560, 1440}, {kMain}, {0, 0, 1280, 800}},
        FitRow{"NoScreensKnown", {5000, 0, 782, 496}, {}, {5000, 0, 782, 496}}),
    [](const testing::TestParamInfo<FitRow>& row) { return std::string(row.param.name); });

TEST(WindowState, CascadeStepsDownRightFromTheLastStepAndBackToTheCornerAtTheEdge) {
    const ScreenRect from{100, 80, 782, 496};
    const ScreenRect step{132, 112, 782, 496};
    EXPECT_EQ(Cascade(from, std::nullopt, {kMain}), step);
    EXPECT_EQ(Cascade(from, step, {kMain}), (ScreenRect{164, 144, 782, 496}));
    EXPECT_EQ(Cascade(from, ScreenRect{400, 90, 782, 496}, {kMain}), step); // no step's place
    EXPECT_EQ(Cascade({480, 290, 782, 496}, std::nullopt, {kMain}), (ScreenRect{0, 0, 782, 496}));
}

TEST(WindowState, WrittenValuesReadBackAndBadOnesKeepTheDefaults) {
    test::TempRegistry reg;
    TRegistry registry(reg.store);
    const WindowState fresh = ReadWindowState(registry);
    EXPECT_FALSE(fresh.geometry);
    EXPECT_FALSE(fresh.maximized);
    EXPECT_EQ(fresh.zoom, 0);
    EXPECT_FALSE(reg.store->KeyExists(RootKey::CurrentUser, kWindowKey)); // reading wrote nothing

    WriteWindowGeometry(registry, {-20, 30, 900, 600}, true);
    WriteEditorZoom(registry, 3);
    const WindowState stored = ReadWindowState(registry);
    EXPECT_EQ(stored.geometry, (ScreenRect{-20, 30, 900, 600}));
    EXPECT_TRUE(stored.maximized);
    EXPECT_EQ(stored.zoom, 3);

    reg.Put(kWindowKey, "Width", RegistryValue::FromString("wide"));
    reg.Put(kWindowKey, "Zoom", RegistryValue::FromInteger(999));
    const WindowState spoilt = ReadWindowState(registry);
    EXPECT_FALSE(spoilt.geometry);
    EXPECT_EQ(spoilt.zoom, kMaxZoom);
    reg.Put(kWindowKey, "Width", RegistryValue::FromInteger(0));
    EXPECT_FALSE(ReadWindowState(registry).geometry);
}

} // namespace
} // namespace qs
