// The host window: it makes its container object at WM_CREATE and lets it go at
// WM_NCDESTROY, and passes sizing, focus and forwarded keys on to it.
#include "framework/ax_host.h"

#include "framework/ax_site.h"
#include "framework/window_thunk.h"

namespace fw {
namespace {

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  AxSite* site = AxSite::From(window);
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new AxSite(window)));
      return 0;
    case WM_SIZE:
      if (site) site->Resize();
      break;
    case WM_SETFOCUS:
      if (site) site->Focus();
      return 0;
    case WM_ERASEBKGND:
      if (site && site->HasControl()) return 1;  // the control paints all of it
      break;
    case WM_FORWARDMSG:
      return site ? site->Forward(reinterpret_cast<MSG*>(lParam)) : 0;
    case WM_DESTROY:
      if (site) site->Teardown();
      break;
    case WM_NCDESTROY:
      if (site) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        site->Detach();
        site->Release();
      }
      break;
    default:
      if (site && message == AxGetHostMessage()) return reinterpret_cast<LRESULT>(site->Identity());
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

UINT AxGetHostMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_ATLGETHOST");
  return message;
}

bool AxWinInit() {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kAxWinClass;
  return RegisterWindowClass(windowClass) && AxGetHostMessage() != 0;
}

HWND AxWindow::Create(HWND parent, const RECT& rect, DWORD style, DWORD exStyle, UINT id) {
  if (window || !AxWinInit()) return nullptr;
  window = CreateWindowExW(exStyle, kAxWinClass, L"", style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  return window;
}

void AxWindow::Destroy() {
  if (window) DestroyWindow(window);
  window = nullptr;
}

AxSite* AxWindow::Site() const { return window ? AxSite::From(window) : nullptr; }

HRESULT AxWindow::CreateControlEx(const wchar_t* clsidText, IUnknown** control) {
  if (control) *control = nullptr;
  AxSite* site = Site();
  return site ? site->CreateControl(clsidText, control) : E_HANDLE;
}

HRESULT AxWindow::SetUIHandler(IDocHostUIHandler* handler) {
  AxSite* site = Site();
  if (!site) return E_HANDLE;
  site->SetHandler(handler);
  return S_OK;
}

void AxWindow::UIActivate() {
  if (AxSite* site = Site()) site->Focus();
}

}  // namespace fw
