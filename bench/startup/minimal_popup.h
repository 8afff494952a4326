// The window of both minimal programs: one class and one popup of kestrelpane's size, and
// a message loop.
#pragma once

#include <windows.h>

inline LRESULT CALLBACK MinimalPopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Not shown yet; null on failure. The class and the window are both called name.
inline HWND CreateMinimalPopup(HINSTANCE instance, const wchar_t* name, DWORD style) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = MinimalPopupProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(RGB(33, 39, 50));
  wc.lpszClassName = name;
  RegisterClassW(&wc);
  return CreateWindowExW(WS_EX_APPWINDOW, name, name, style, CW_USEDEFAULT, 0, 994, 628, nullptr, nullptr, instance,
                         nullptr);
}

inline int RunMinimalLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return static_cast<int>(msg.wParam);
}
