// Where a maximised window goes on a monitor whose taskbar hides itself. Portable, so it is
// tested natively; the shell is asked in app_bar_win.cpp.
#pragma once

#include "ui/skin_geometry.h"

namespace skin {

// What a maximised window leaves free at a monitor edge that holds an auto-hide bar: the
// bar comes up when the pointer reaches that edge, and a captionless window covering the
// whole monitor counts as full screen, which keeps the bar down for good.
inline constexpr int kAutoHideMargin = 2;

// The maximised window's rectangle: the work area, with each monitor edge in autoHideEdges
// (EDGE_* bits) kept kAutoHideMargin pixels free, unless the work area keeps more already.
Rect MaximizeRect(const Rect& monitor, const Rect& workArea, unsigned autoHideEdges);

}  // namespace skin
