// Page zoom: see page_zoom.h.
#include "browser/page_zoom.h"

int PageZoomPercent(int dpi) {
  if (dpi <= 0) return 100;
  // In 64 bits, so that no dpi overflows on the way.
  return static_cast<int>((static_cast<long long>(dpi) * 100 + 48) / 96);
}
