// Our ActiveX host: a child window that creates a control and keeps it in place as a small
// OLE container, and passes the page's document-host questions to its owner.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <mshtmhst.h>

namespace fw {

class AxSite;

// The host's window class.
inline constexpr wchar_t kAxWinClass[] = L"AtlAxWin71";

// Sent to a host window: the answer is the host's IUnknown (the control's site), borrowed:
// no reference is added, valid while the window lives.
UINT AxGetHostMessage();

// Offers a queued message (lParam: MSG*) to the control's accelerator translation;
// nonzero when the control consumed it.
inline constexpr UINT WM_FORWARDMSG = 0x037F;

// Registers the host window class and message. Safe to call again.
[[nodiscard]] bool AxWinInit();

// The owner's handle on a host window.
class AxWindow {
 public:
  AxWindow() = default;
  AxWindow(const AxWindow&) = delete;
  AxWindow& operator=(const AxWindow&) = delete;

  [[nodiscard]] HWND Create(HWND parent, const RECT& rect, DWORD style, DWORD exStyle = 0, UINT id = 0);
  void Destroy();
  HWND Handle() const { return window; }

  // clsidText: "{…}" or a ProgID. The control's IUnknown comes back with one reference.
  [[nodiscard]] HRESULT CreateControlEx(const wchar_t* clsidText, IUnknown** control);
  // Who answers the page's document-host questions; held until the window goes. What it
  // leaves open (no handler, or a null answer) the host answers as the control's default.
  [[nodiscard]] HRESULT SetUIHandler(IDocHostUIHandler* handler);
  // UI-activates the control, which takes the focus; nothing without one.
  void UIActivate();

 private:
  AxSite* Site() const;  // the window's container object, or null

  HWND window = nullptr;
};

}  // namespace fw
