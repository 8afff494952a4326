// The skinned window's geometry as pure functions: caption tiling, button and text
// rectangles, the region, the resize grips and the edge-drag step.
// Portable, so it is tested natively; the Win32 glue in skin_frame.h calls it.
#pragma once

#include <vector>

#include "ui/skin_sizes.h"

namespace skin {

// {left, top, right, bottom}; right and bottom exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

struct Point {
  int x = 0, y = 0;
};

// The one rounding rule for every metric: value * dpi / 96 to the nearest pixel, halves
// away from zero. A dpi of 0 or less (no answer from the system) counts as 96.
int Scale(int value, int dpi);

// The window's metrics at a dpi. Neighbours are placed from each other (the page starts
// where the caption ends, the second tab where the first ends), so rounding never leaves a
// gap or an overlap between them.
struct Metrics {
  int width, height;          // at start
  int minWidth, minHeight;    // the smallest track size
  int border;                 // the grips and the region's corner
  int edge;                   // the frame line round the caption and the page
  int buttonWidth, buttonHeight;
  int captionHeight;          // the strip below the top line; the drag area's height
  int captionBitmapWidth, captionBitmapHeight, stretchColumn;
  int tabLeft, tabWidth;      // the two tabs side by side from tabLeft
  int iconX, iconSize;
  int titleLeft, titleRightGap;
  int fontHeight;             // LOGFONT height of the title font
  int artworkPercent;         // which drawn set to load: 100, 150 or 200
};
Metrics MetricsAt(int dpi);

// The resource id of a bitmap in the set drawn for the dpi: the 100 % set keeps its ids,
// the 150 % set is id + 1000, the 200 % set id + 2000.
unsigned ArtworkId(unsigned baseId, int dpi);

// One copy from the caption bitmap: source columns [srcX, srcX + srcWidth) land on
// destination columns [destX, destX + destWidth), 30 rows from y = 1. destWidth differs
// from srcWidth only for the one repeated column, which is stretched.
struct CaptionSpan {
  int destX, srcX, destWidth, srcWidth;
  friend bool operator==(const CaptionSpan& a, const CaptionSpan& b) {
    return a.destX == b.destX && a.srcX == b.srcX && a.destWidth == b.destWidth && a.srcWidth == b.srcWidth;
  }
};

// The copies that tile the caption bitmap across a client width, in drawing order
// (later ones overwrite earlier ones). W >= 850: left 750 columns, column 750 repeated
// from x = 751 through W - 101, right 100 columns ending at W - 2. W < 850: the bitmap
// without its leftmost 850 - W columns from x = 1. Nothing for W <= 0.
// At other dpis every figure is that dpi's (the bitmap is the set drawn for it).
std::vector<CaptionSpan> CaptionSpans(int clientWidth, int dpi = kBaseDpi);

// Caption button i counted from the right edge (0 close, 1 maximise, 2 minimise, 3 pin):
// {W - 28(i+1), 1, W - 28i, 26}.
Rect CaptionButtonRect(int clientWidth, int index, int dpi = kBaseDpi);

// Where the title is drawn in VIP mode: {37, 0, W - 185, 25}.
Rect TitleRect(int clientWidth, int dpi = kBaseDpi);

// The caption's two tab buttons, side by side from the left (0 the list, 1 the player):
// {40 + 95i, 0, 135 + 95i, 25}.
Rect TabRect(int index, int dpi = kBaseDpi);

// Where the window starts: its size at the dpi, cut to the work area (never below the
// minimum), the top-left where the system placed it and moved back inside the work area,
// so that at a large scale the caption buttons can be reached.
Rect StartRect(Point placed, const Rect& workArea, int dpi);

// The page below the caption: {1, 26, W - 1, H - 2}.
Rect BrowserRect(int clientWidth, int clientHeight, int dpi = kBaseDpi);

// The rounded window region's bounds: {0, 0, W + border + 1, H + border + 1}.
Rect RegionRect(int clientWidth, int clientHeight, int border);

// The caption drag area: {borderX, borderY, borderX + captionWidth, borderY + captionHeight}.
Rect CaptionRect(int captionWidth, int captionHeight, int borderX, int borderY);

enum Edge : unsigned { EDGE_LEFT = 1, EDGE_TOP = 2, EDGE_RIGHT = 4, EDGE_BOTTOM = 8 };

enum class GripCursor { None, SizeWE, SizeNS, SizeNWSE, SizeNESW };

struct Grip {
  unsigned edges = 0;  // 0: the point is on no grip
  GripCursor cursor = GripCursor::None;
};

// The grip under a client point of a W x H window. The eight grips (left, right, top,
// bottom, left+top, right+bottom, top+right, left+bottom) are tested in that order and the
// last that contains the point wins, so corners beat edges. Strips: x < borderX,
// x >= W - (2 borderX + 1), y < borderY, y >= H - (2 borderY + 1), within {0, 0, W, H}.
Grip GripAt(Point client, int width, int height, int borderX, int borderY);

// One step of an edge drag. window is the window rectangle in screen coordinates, cur
// the pointer now, last the pointer at the previous step. Each latched edge follows the
// pointer by the step; at the minimum size it stops, and moves again only once the
// pointer is back at or beyond that edge and moving outwards. Vertical steps never
// change the width. Returns the new window rectangle (== window when nothing moves).
Rect DragStep(const Rect& window, unsigned edges, Point cur, Point last, int minWidth, int minHeight);

}  // namespace skin
