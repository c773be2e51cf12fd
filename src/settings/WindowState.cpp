#include "settings/WindowState.h"

#include "settings/Environment.h"

#include <algorithm>

namespace qs {

namespace {

const std::string kWindowKey = std::string(kSettingsKey) + "Window";

// How much of a window must show for the user to reach its title bar and drag it back.
constexpr int kGripWidth = 120;
constexpr int kGripHeight = 60;
constexpr int kLargestSide = 100000; // anything larger was not written by us

std::optional<std::int32_t> ReadOptionalInteger(TRegistry& reg, const std::string& name) {
    try {
        if (reg.ValueExists(name)) {
            return reg.ReadInteger(name);
        }
    } catch (const ERegistryException&) {
    }
    return std::nullopt;
}

bool Shows(const ScreenRect& w, const ScreenRect& s) {
    const int overlapWidth =
        std::min(w.left + w.width, s.left + s.width) - std::max(w.left, s.left);
    const bool topOnScreen = w.top >= s.top && w.top <= s.top + s.height - kGripHeight;
    return topOnScreen && overlapWidth >= std::min(w.width, kGripWidth);
}

ScreenRect ShrinkInto(const ScreenRect& w, const ScreenRect& s) {
    ScreenRect r = w;
    r.width = std::min(w.width, s.width);
    r.height = std::min(w.height, s.height);
    if (r.width != w.width) {
        r.left = s.left;
    }
    if (r.height != w.height) {
        r.top = s.top;
    }
    return r;
}

void OpenWindowKey(TRegistry& reg) {
    reg.CloseKey();
    if (!reg.OpenKey(kWindowKey, true)) {
        throw ERegistryException("Failed to create key " + kWindowKey);
    }
}

} // namespace

WindowState ReadWindowState(TRegistry& reg) {
    WindowState state;
    reg.CloseKey();
    if (!reg.OpenKeyReadOnly(kWindowKey)) {
        return state;
    }
    const auto left = ReadOptionalInteger(reg, "Left");
    const auto top = ReadOptionalInteger(reg, "Top");
    const auto width = ReadOptionalInteger(reg, "Width");
    const auto height = ReadOptionalInteger(reg, "Height");
    if (left && top && width && height && *width > 0 && *height > 0 && *width < kLargestSide &&
        *height < kLargestSide) {
        state.geometry = ScreenRect{*left, *top, *width, *height};
    }
    state.maximized = ReadOptionalInteger(reg, "Maximized").value_or(0) != 0;
    state.zoom = std::clamp<int>(ReadOptionalInteger(reg, "Zoom").value_or(0), kMinZoom, kMaxZoom);
    reg.CloseKey();
    return state;
}

void WriteWindowGeometry(TRegistry& reg, const ScreenRect& normal, bool maximized) {
    OpenWindowKey(reg);
    reg.WriteInteger("Left", normal.left);
    reg.WriteInteger("Top", normal.top);
    reg.WriteInteger("Width", normal.width);
    reg.WriteInteger("Height", normal.height);
    reg.WriteInteger("Maximized", maximized ? 1 : 0);
    reg.CloseKey();
}

void WriteEditorZoom(TRegistry& reg, int zoom) {
    OpenWindowKey(reg);
    reg.WriteInteger("Zoom", zoom);
    reg.CloseKey();
}

ScreenRect FitToScreens(const ScreenRect& saved, const std::vector<ScreenRect>& screens) {
    if (screens.empty()) {
        return saved;
    }
    for (const ScreenRect& screen : screens) {
        if (Shows(saved, screen)) {
            return ShrinkInto(saved, screen);
        }
    }
    const ScreenRect& primary = screens.front();
    ScreenRect r = ShrinkInto(saved, primary);
    r.left = primary.left + (primary.width - r.width) / 2;
    r.top = primary.top + (primary.height - r.height) / 2;
    return r;
}

ScreenRect Cascade(const ScreenRect& from, const std::optional<ScreenRect>& last,
                   const std::vector<ScreenRect>& screens) {
    constexpr int kStep = 32; // about a title bar's height
    ScreenRect r = from;
    // Only a place an earlier step gave counts: one on the diagonal below `from`.
    if (last && last->left > from.left && last->left - from.left == last->top - from.top) {
        r.left = last->left;
        r.top = last->top;
    }
    r.left += kStep;
    r.top += kStep;
    for (const ScreenRect& area : screens) {
        const bool holdsFrom = from.left >= area.left && from.top >= area.top &&
                               from.left < area.left + area.width &&
                               from.top < area.top + area.height;
        if (holdsFrom && (r.left + r.width > area.left + area.width ||
                          r.top + r.height > area.top + area.height)) {
            r.left = area.left;
            r.top = area.top;
        }
    }
    return r;
}

} // namespace qs
