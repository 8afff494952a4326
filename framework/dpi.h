// The display scale a window is drawn at, and artwork brought to it. The calls that answer
// per window came with Windows 10, so they are looked up, not linked.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace fw {

// The window's dots per inch: its monitor's when the process is per-monitor aware, else the
// system's. 96 when nothing answers.
int WindowDpi(HWND window);

// A bitmap resource at width x height: as stored when it is that size, else resampled with
// the system's averaging filter (not pixel dropping). Null on failure.
HBITMAP LoadBitmapAt(HINSTANCE module, UINT bitmapId, int width, int height);

// An image strip of `frames` frames of frameWidth x frameHeight from such a bitmap.
HIMAGELIST LoadImageStripAt(HINSTANCE module, UINT bitmapId, int frameWidth, int frameHeight, int frames);

}  // namespace fw
