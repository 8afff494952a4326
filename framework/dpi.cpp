// Display scale: see dpi.h.
#include "framework/dpi.h"

namespace fw {

namespace {

template <class Function>
Function Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

SetDialogDpiChangeBehaviorFn setDialogDpiChangeBehavior =
    Lookup<SetDialogDpiChangeBehaviorFn>(GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior");

void DisableDialogDpiBehaviors(HWND dialog) {
  if (setDialogDpiChangeBehavior && dialog) setDialogDpiChangeBehavior(dialog, kDdcDisableAll, kDdcDisableAll);
}

int MonitorDpi(HMONITOR monitor) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int type, UINT* x, UINT* y);
  // Nothing has loaded shcore by then, so it is loaded here: from the system folder only,
  // never a copy beside the program.
  static const auto getDpiForMonitor = Lookup<GetDpiForMonitorFn>(
      LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor");
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  UINT x = 0, y = 0;
  if (!getDpiForMonitor || !monitor || FAILED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y))) return 0;
  return static_cast<int>(x);
}

int WindowDpi(HWND window) {
  static const auto getDpiForWindow =
      Lookup<UINT(WINAPI*)(HWND)>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  if (window) {
    if (const int dpi = MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST))) return dpi;
  }
  int dpi = 0;
  if (HDC screen = GetDC(nullptr)) {
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : 96;
}

HBITMAP LoadBitmapAt(HINSTANCE module, UINT bitmapId, int width, int height) {
  auto* stored =
      static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info = {};
  if (!stored || !GetObjectW(stored, sizeof(info), &info) || (info.bmWidth == width && info.bmHeight == height)) {
    return stored;
  }
  HBITMAP sized = nullptr;
  if (HDC screen = GetDC(nullptr)) {
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    sized = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    if (sized && from && to) {
      HGDIOBJ oldFrom = SelectObject(from, stored);
      HGDIOBJ oldTo = SelectObject(to, sized);
      SetStretchBltMode(to, HALFTONE);
      SetBrushOrgEx(to, 0, 0, nullptr);
      StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
      SelectObject(from, oldFrom);
      SelectObject(to, oldTo);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    ReleaseDC(nullptr, screen);
  }
  DeleteObject(stored);
  return sized;
}

HIMAGELIST LoadImageStripAt(HINSTANCE module, UINT bitmapId, int frameWidth, int frameHeight, int frames) {
  HBITMAP strip = LoadBitmapAt(module, bitmapId, frameWidth * frames, frameHeight);
  if (!strip) return nullptr;
  HIMAGELIST images = ImageList_Create(frameWidth, frameHeight, ILC_COLOR24, frames, 1);
  if (images && ImageList_Add(images, strip, nullptr) < 0) {
    ImageList_Destroy(images);
    images = nullptr;
  }
  DeleteObject(strip);
  return images;
}

}  // namespace fw
