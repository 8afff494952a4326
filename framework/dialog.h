// A modeless dialog made from a dialog template, and the message maps that window
// classes use: each handler gets the message, both parameters and a handled flag that is
// true on entry; a handler that clears the flag passes the message on.
#pragma once

#include <windows.h>

#include <cstddef>

namespace fw {

template <class T>
using MessageHandler = LRESULT (T::*)(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

// One row of a message map. WM_COMMAND rows also match the control id range and the
// notification code (kAnyCode matches every code).
template <class T>
struct MessageEntry {
  UINT message;
  MessageHandler<T> handler;
  UINT firstId = 0;
  UINT lastId = 0xFFFF;
  int code = -1;
};
inline constexpr int kAnyCode = -1;

template <class T>
constexpr MessageEntry<T> OnMessage(UINT message, MessageHandler<T> handler) {
  return {message, handler};
}
template <class T>
constexpr MessageEntry<T> OnCommand(UINT firstId, UINT lastId, int code, MessageHandler<T> handler) {
  return {WM_COMMAND, handler, firstId, lastId, code};
}

// Offers the message to every matching row in order until one leaves its flag set.
template <class T, std::size_t N>
bool DispatchMap(T* self, const MessageEntry<T> (&map)[N], UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  for (const MessageEntry<T>& entry : map) {
    if (entry.message != message) continue;
    if (message == WM_COMMAND) {
      const UINT id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id < entry.firstId || id > entry.lastId) continue;
      if (entry.code != kAnyCode && entry.code != code) continue;
    }
    BOOL handled = TRUE;
    const LRESULT r = (self->*entry.handler)(message, wParam, lParam, handled);
    if (handled) {
      result = r;
      return true;
    }
  }
  return false;
}

// Sends control notifications back to the child that sent them (as OCM_BASE + message),
// so controls can handle their own. True when a child was found.
bool ReflectNotifications(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
inline constexpr UINT OCM_BASE = WM_USER + 0x1C00;

// The modeless dialog. Messages reach ProcessWindowMessage; what it leaves goes to the
// dialog manager's default processing. The ActiveX host is a child window of its own
// (ax_host.h), so this base needs no hosting of its own.
class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Null on failure. initParam reaches WM_INITDIALOG as its lParam.
  [[nodiscard]] HWND Create(HINSTANCE instance, UINT templateId, HWND parent = nullptr, LPARAM initParam = 0);
  BOOL DestroyWindow();
  HWND Handle() const { return window; }

 protected:
  // True when handled, with result set.
  virtual bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window = nullptr;
};

}  // namespace fw
