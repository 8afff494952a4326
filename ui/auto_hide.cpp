// Maximising beside auto-hide bars: see auto_hide.h.
#include "ui/auto_hide.h"

#include <algorithm>

namespace skin {

Rect MaximizeRect(const Rect& monitor, const Rect& workArea, unsigned autoHideEdges) {
  Rect r = workArea;
  if (autoHideEdges & EDGE_LEFT) r.left = std::max(r.left, monitor.left + kAutoHideMargin);
  if (autoHideEdges & EDGE_TOP) r.top = std::max(r.top, monitor.top + kAutoHideMargin);
  if (autoHideEdges & EDGE_RIGHT) r.right = std::min(r.right, monitor.right - kAutoHideMargin);
  if (autoHideEdges & EDGE_BOTTOM) r.bottom = std::min(r.bottom, monitor.bottom - kAutoHideMargin);
  return r;
}

}  // namespace skin
