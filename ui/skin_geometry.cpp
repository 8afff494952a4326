// Skin geometry: see skin_geometry.h.
#include "ui/skin_geometry.h"

namespace skin {

namespace {

// The bitmap's stretchable column and the width of its fixed right piece.
constexpr int kStretchColumn = 750;
constexpr int kRightPieceWidth = kCaptionBitmapWidth - kStretchColumn;

struct GripDef {
  unsigned edges;
  GripCursor cursor;
};

// Order matters: the last match wins, so corners come after the edges.
constexpr GripDef kGrips[] = {
    {EDGE_LEFT, GripCursor::SizeWE},
    {EDGE_RIGHT, GripCursor::SizeWE},
    {EDGE_TOP, GripCursor::SizeNS},
    {EDGE_BOTTOM, GripCursor::SizeNS},
    {EDGE_LEFT | EDGE_TOP, GripCursor::SizeNWSE},
    {EDGE_RIGHT | EDGE_BOTTOM, GripCursor::SizeNWSE},
    {EDGE_TOP | EDGE_RIGHT, GripCursor::SizeNESW},
    {EDGE_LEFT | EDGE_BOTTOM, GripCursor::SizeNESW},
};

bool InStrip(unsigned edge, Point p, int width, int height, int borderX, int borderY) {
  switch (edge) {
    case EDGE_LEFT: return p.x < borderX;
    case EDGE_TOP: return p.y < borderY;
    case EDGE_RIGHT: return p.x >= width - (2 * borderX + 1);
    case EDGE_BOTTOM: return p.y >= height - (2 * borderY + 1);
  }
  return false;
}

}  // namespace

std::vector<CaptionSpan> CaptionSpans(int clientWidth) {
  const int w = clientWidth;
  if (w <= 0) return {};
  if (w < kCaptionBitmapWidth) {
    // Narrow: the left of the bitmap goes; its last column falls on x = W, off the client.
    return {{1, kCaptionBitmapWidth - w, w, w}};
  }
  std::vector<CaptionSpan> spans;
  spans.push_back({1, 0, kStretchColumn, kStretchColumn});
  const int stretchEnd = w - kRightPieceWidth - 1;  // inclusive
  const int stretchStart = kStretchColumn + 1;
  if (stretchEnd >= stretchStart) spans.push_back({stretchStart, kStretchColumn, stretchEnd - stretchStart + 1, 1});
  // Drawn last: at W = 850 it starts at 749 and overwrites two columns of the left piece.
  spans.push_back({w - kRightPieceWidth - 1, kStretchColumn, kRightPieceWidth, kRightPieceWidth});
  return spans;
}

Rect CaptionButtonRect(int clientWidth, int index) {
  return {clientWidth - kCaptionButtonWidth * (index + 1), 1, clientWidth - kCaptionButtonWidth * index,
          1 + kCaptionButtonHeight};
}

Rect TitleRect(int clientWidth) { return {37, 0, clientWidth - 185, 25}; }

Rect BrowserRect(int clientWidth, int clientHeight) { return {1, 26, clientWidth - 1, clientHeight - 2}; }

Rect RegionRect(int clientWidth, int clientHeight, int border) {
  return {0, 0, clientWidth + border + 1, clientHeight + border + 1};
}

Rect CaptionRect(int captionWidth, int captionHeight, int borderX, int borderY) {
  return {borderX, borderY, borderX + captionWidth, borderY + captionHeight};
}

Grip GripAt(Point client, int width, int height, int borderX, int borderY) {
  Grip found;
  if (!Rect{0, 0, width, height}.Contains(client.x, client.y)) return found;
  for (const GripDef& g : kGrips) {
    bool inside = true;
    for (unsigned edge : {EDGE_LEFT, EDGE_TOP, EDGE_RIGHT, EDGE_BOTTOM}) {
      if ((g.edges & edge) && !InStrip(edge, client, width, height, borderX, borderY)) inside = false;
    }
    if (inside) found = {g.edges, g.cursor};
  }
  return found;
}

Rect DragStep(const Rect& window, unsigned edges, Point cur, Point last, int minWidth, int minHeight) {
  const int dx = cur.x - last.x;
  const int dy = cur.y - last.y;
  Rect r = window;
  // An edge held at the minimum waits for the pointer to come back out to it, so edge
  // and pointer stay together. The width is left alone by vertical steps.
  if (edges & EDGE_LEFT) {
    if (r.Width() > minWidth || (cur.x <= r.left && dx < 0)) {
      r.left += dx;
      if (r.Width() < minWidth) r.left = r.right - minWidth;
    }
  }
  if (edges & EDGE_RIGHT) {
    if (r.Width() > minWidth || (cur.x >= r.right && dx > 0)) {
      r.right += dx;
      if (r.Width() < minWidth) r.right = r.left + minWidth;
    }
  }
  if (edges & EDGE_TOP) {
    if (r.Height() > minHeight || (cur.y <= r.top && dy < 0)) {
      r.top += dy;
      if (r.Height() < minHeight) r.top = r.bottom - minHeight;
    }
  }
  if (edges & EDGE_BOTTOM) {
    if (r.Height() > minHeight || (cur.y >= r.bottom && dy > 0)) {
      r.bottom += dy;
      if (r.Height() < minHeight) r.bottom = r.top + minHeight;
    }
  }
  return r;
}

Rect ToggleMaximize(MaximizeState& state, const Rect& window, const Rect& workArea) {
  if (state.maximized) {
    state.maximized = false;
    return state.restoreRect;
  }
  state.restoreRect = window;
  state.maximized = true;
  return workArea;
}

}  // namespace skin
