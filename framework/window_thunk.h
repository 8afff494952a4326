// The one window procedure of our own window classes: the object passes itself as the
// creation parameter and gets every message from WM_NCCREATE to WM_NCDESTROY.
#pragma once

#include <windows.h>

namespace fw {

// T registers its class with WindowThunk<T>::Procedure, creates the window with `this` as
// lpParam and makes this struct a friend. It provides
//   LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM);          // WM_NCCREATE .. WM_NCDESTROY
//   static LRESULT Unattached(HWND, UINT, WPARAM, LPARAM);      // before WM_NCCREATE
// (a top-level window gets WM_GETMINMAXINFO before WM_NCCREATE). The object is already
// let go of when its HandleMessage sees WM_NCDESTROY, so it may be destroyed from there.
// Registered now or before: a class is registered on every use, so a failure is tried again
// rather than remembered for the life of the process.
[[nodiscard]] inline bool RegisterWindowClass(const WNDCLASSEXW& windowClass) {
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

template <class T>
struct WindowThunk {
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return self ? self->HandleMessage(window, message, wParam, lParam)
                : T::Unattached(window, message, wParam, lParam);
  }
};

}  // namespace fw
