// The display scale a window is drawn at, and artwork brought to it. The calls that answer
// per window came with Windows 10, so they are looked up, not linked.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace fw {

// The window's dots per inch: its monitor's when the process is per-monitor aware, else the
// system's. Windows 8.1 has no answer per window, so its monitor answers; 96 when nothing does.
int WindowDpi(HWND window);

// The monitor's effective dots per inch (shcore, Windows 8.1 and later); 0 without an answer.
int MonitorDpi(HMONITOR monitor);

// Turns the dialog manager's own DPI behaviours off for a dialog, so that its owner's layout
// alone decides: under per-monitor v2 it would answer WM_GETDPISCALEDSIZE from the dialog
// font and re-lay out the children, and the suggested rectangle would drift each time the
// window crosses monitors. Windows 10 1703 and later; nothing before.
void DisableDialogDpiBehaviors(HWND dialog);

// user32's SetDialogDpiChangeBehavior, looked up at start; null where the system has none
// (a test puts a recording double here).
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND dialog, int mask, int values);
extern SetDialogDpiChangeBehaviorFn setDialogDpiChangeBehavior;
inline constexpr int kDdcDisableAll = 0x0001;  // DDC_DISABLE_ALL

// A bitmap resource at width x height: as stored when it is that size, else resampled with
// the system's averaging filter (not pixel dropping). Null on failure.
HBITMAP LoadBitmapAt(HINSTANCE module, UINT bitmapId, int width, int height);

// An image strip of `frames` frames of frameWidth x frameHeight from such a bitmap.
HIMAGELIST LoadImageStripAt(HINSTANCE module, UINT bitmapId, int frameWidth, int frameHeight, int frames);

}  // namespace fw
