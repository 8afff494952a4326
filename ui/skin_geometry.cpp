// Skin geometry: see skin_geometry.h.
#include "ui/skin_geometry.h"

#include <algorithm>

namespace skin {

namespace {

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

int Scale(int value, int dpi) {
  if (dpi <= 0) dpi = kBaseDpi;
  const long long scaled = static_cast<long long>(value) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + kBaseDpi / 2) / kBaseDpi : -((-scaled + kBaseDpi / 2) / kBaseDpi));
}

Metrics MetricsAt(int dpi) {
  auto s = [dpi](int value) { return Scale(value, dpi); };
  Metrics m{};
  m.width = s(994);
  m.height = s(628);
  m.minWidth = s(580);
  m.minHeight = s(500);
  m.border = s(2);
  m.edge = s(1);
  m.buttonWidth = s(kCaptionButtonWidth);
  m.buttonHeight = s(kCaptionButtonHeight);
  m.captionHeight = s(kCaptionHeight);
  m.captionBitmapWidth = s(kCaptionBitmapWidth);
  m.captionBitmapHeight = s(kCaptionBitmapHeight);
  m.stretchColumn = s(kStretchColumn);
  m.tabLeft = s(kTabLeft);
  m.tabWidth = s(kTabWidth);
  m.iconX = s(8);
  m.iconSize = s(24);
  m.titleLeft = s(37);
  m.titleRightGap = s(185);
  m.fontHeight = -s(13);
  // Between the drawn sets the larger one is shrunk: shrinking keeps lines sharp, growing
  // does not. Above 200 % nothing larger is drawn.
  const int percent = s(100);
  m.artworkPercent = percent <= 100 ? 100 : percent <= 150 ? 150 : 200;
  return m;
}

unsigned ArtworkId(unsigned baseId, int dpi) {
  return baseId + static_cast<unsigned>(MetricsAt(dpi).artworkPercent - 100) / 50 * 1000;
}

std::vector<CaptionSpan> CaptionSpans(int clientWidth, int dpi) {
  const Metrics m = MetricsAt(dpi);
  const int w = clientWidth, x0 = m.edge, bitmapWidth = m.captionBitmapWidth;
  const int rightPiece = bitmapWidth - m.stretchColumn;
  if (w <= 0) return {};
  if (w < bitmapWidth) {
    // Narrow: the left of the bitmap goes; its last column falls on x = W, off the client.
    return {{x0, bitmapWidth - w, w, w}};
  }
  std::vector<CaptionSpan> spans;
  spans.push_back({x0, 0, m.stretchColumn, m.stretchColumn});
  const int stretchEnd = w - rightPiece - x0;  // inclusive
  const int stretchStart = m.stretchColumn + x0;
  if (stretchEnd >= stretchStart) spans.push_back({stretchStart, m.stretchColumn, stretchEnd - stretchStart + 1, 1});
  // Drawn last: at W = 850 it starts at 749 and overwrites two columns of the left piece.
  spans.push_back({w - rightPiece - x0, m.stretchColumn, rightPiece, rightPiece});
  return spans;
}

Rect CaptionButtonRect(int clientWidth, int index, int dpi) {
  const Metrics m = MetricsAt(dpi);
  return {clientWidth - m.buttonWidth * (index + 1), m.edge, clientWidth - m.buttonWidth * index,
          m.edge + m.buttonHeight};
}

Rect TitleRect(int clientWidth, int dpi) {
  const Metrics m = MetricsAt(dpi);
  return {m.titleLeft, 0, clientWidth - m.titleRightGap, m.captionHeight};
}

Rect TabRect(int index, int dpi) {
  const Metrics m = MetricsAt(dpi);
  const int left = m.tabLeft + index * m.tabWidth;
  return {left, 0, left + m.tabWidth, m.captionHeight};
}

Rect StartRect(Point placed, const Rect& workArea, int dpi) {
  const Metrics m = MetricsAt(dpi);
  const int width = std::max(m.minWidth, std::min(m.width, workArea.Width()));
  const int height = std::max(m.minHeight, std::min(m.height, workArea.Height()));
  const int x = std::max(workArea.left, std::min(placed.x, workArea.right - width));
  const int y = std::max(workArea.top, std::min(placed.y, workArea.bottom - height));
  return {x, y, x + width, y + height};
}

Rect BrowserRect(int clientWidth, int clientHeight, int dpi) {
  const Metrics m = MetricsAt(dpi);
  return {m.edge, m.edge + m.captionHeight, clientWidth - m.edge, clientHeight - m.border};
}

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

}  // namespace skin
