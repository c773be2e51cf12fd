// The main window's place on the screen and the editor's zoom, kept between runs in the
// "Window" subkey of the settings key.
#pragma once

#include "platform/registry/Registry.h"

#include <optional>
#include <vector>

namespace qs {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct WindowState {
    std::optional<ScreenRect> geometry; // the window's area when neither maximized nor minimized
    bool maximized = false;
    int zoom = 0; // points added to the editor's font sizes
};

inline constexpr int kMinZoom = -10; // the editor control's own limits
inline constexpr int kMaxZoom = 20;

// Reads without writing defaults back: a missing, partial or unreadable value keeps its
// default (no geometry, not maximized, no zoom).
WindowState ReadWindowState(TRegistry& reg);
// Both raise the registry's error when the values cannot be written.
void WriteWindowGeometry(TRegistry& reg, const ScreenRect& normal, bool maximized);
void WriteEditorZoom(TRegistry& reg, int zoom);

// Where a window saved at `saved` goes, given the work areas of the screens (the primary
// first). It stays where it was when its top edge and enough of it lie on one screen, made
// no larger than that screen; otherwise (a screen unplugged, a smaller desktop) it is
// centred on the primary screen, made no larger than it.
ScreenRect FitToScreens(const ScreenRect& saved, const std::vector<ScreenRect>& screens);

// Where a window started from one at `from` goes, so that it does not hide that one: a step
// down and to the right of `from`, or of `last` (the place given to the window started
// before) when that lies further on; back at the top left of the screen when the step would
// leave it.
ScreenRect Cascade(const ScreenRect& from, const std::optional<ScreenRect>& last,
                   const std::vector<ScreenRect>& screens);

} // namespace qs
