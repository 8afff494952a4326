// The caption's sizes at 96 DPI, one source for the window and the artwork: the window
// scales them (skin_geometry.cpp) and res/draw_artwork.py reads this file to draw to them.
// Keep each one a line of the shape `inline constexpr int kName = number;`: the script parses it.
#pragma once

namespace skin {

inline constexpr int kBaseDpi = 96;
// The caption strip below the window's top line: the tabs, the title and the page's top.
inline constexpr int kCaptionHeight = 25;
// The caption background bitmap, and its column that is repeated to fill a wide caption.
inline constexpr int kCaptionBitmapWidth = 850;
inline constexpr int kCaptionBitmapHeight = 30;
inline constexpr int kStretchColumn = 750;
inline constexpr int kCaptionButtonWidth = 28;
inline constexpr int kCaptionButtonHeight = 25;
// The tabs, side by side from kTabLeft.
inline constexpr int kTabLeft = 40;
inline constexpr int kTabWidth = 95;

}  // namespace skin
