// The modeless dialog base and notification reflection.
#include "framework/dialog.h"

#include <utility>

namespace fw {

namespace {

// The dialog being created on this thread: its first messages (WM_SETFONT before
// WM_INITDIALOG) arrive before CreateDialogParamW returns and carry no creation parameter,
// and a dialog keeps its object in DWLP_USER, so WindowThunk cannot serve it.
thread_local Dialog* creating = nullptr;

// Messages whose dialog-procedure result is the answer itself rather than a flag.
bool ReturnsDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ReflectNotifications(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = nullptr;
  switch (message) {
    case WM_COMMAND:
      child = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      if (lParam) child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
      break;
    case WM_DRAWITEM:
      if (wParam && lParam) child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY) child = reinterpret_cast<HWND>(lParam);
      break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      child = reinterpret_cast<HWND>(lParam);
      break;
    default:
      return false;
  }
  if (!child || !IsWindow(child)) return false;
  result = SendMessageW(child, OCM_BASE + message, wParam, lParam);
  return true;
}

Dialog::~Dialog() {
  if (window) ::DestroyWindow(window);
}

HWND Dialog::Create(HINSTANCE instance, UINT templateId, HWND parent, LPARAM initParam) {
  creating = this;
  HWND made = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, DialogProc, initParam);
  creating = nullptr;
  return made;
}

BOOL Dialog::DestroyWindow() { return window ? ::DestroyWindow(window) : FALSE; }

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self && creating) {
    self = std::exchange(creating, nullptr);
    self->window = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return FALSE;

  LRESULT result = 0;
  const bool handled = self->ProcessWindowMessage(message, wParam, lParam, result);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->window = nullptr;
  }
  if (!handled) return FALSE;
  if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace fw
