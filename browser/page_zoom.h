// The zoom the page is drawn at, from the window's scale. Portable, so it is tested natively.
#pragma once

// The optical zoom, in percent, for a window at `dpi`: what MulDiv(dpi, 100, 96) gives
// (nearest, halves away from zero), so 125 at 120 DPI. Under the control's DPI-aware flag
// the zoom is the one the user sees, which already holds the display's scale. A dpi of 0
// or less (no answer from the system) gives 100.
int PageZoomPercent(int dpi);
