// The page's side of the main window: the hosted WebBrowser control and the small COM
// objects around it (the document-host answers, window.external, the drop target, the
// sink of the control's events), which
// share the host's one count: the window holds it, and so may the control and the page's
// script, which may let go only after the window is gone. What the page says reaches the
// window through PageHostCallback; the host makes no window of its own in the caption.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>

#include <string>

#include "browser/page_doc_host.h"
#include "browser/page_drop.h"
#include "browser/page_events.h"
#include "browser/page_external.h"
#include "browser/page_parts.h"
#include "framework/ax_host.h"
#include "framework/com_ptr.h"

inline constexpr wchar_t kWebBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

// How the host runs a command of the control: ExecWB, unless a test records it instead (Wine's
// control does not implement the zoom).
using BrowserCommandFn = HRESULT (*)(IWebBrowser2* browser, OLECMDID command, OLECMDEXECOPT options, VARIANT* in);
extern BrowserCommandFn browserCommand;

// What the page said through window.external, told to the page host's owner.
class PageHostCallback {
 public:
  // setVodClientNav with a list: every address stored so far.
  virtual void NavItemsSet(const NavUrls& stored) = 0;
  // setVodClientTab with a text: the section the page calls current, whatever it is.
  virtual void TabSelected(const std::wstring& section) = 0;

 protected:
  ~PageHostCallback() = default;
};

class PageHost : public PageLife {
 public:
  // Made with new and held through fw::ComPtr; the last Release deletes it.
  PageHost();
  PageHost(const PageHost&) = delete;
  PageHost& operator=(const PageHost&) = delete;

  // From the main window's WM_INITDIALOG: the host window at `place` and the control in
  // it; `owner` hears what the page says until DestroyBrowserHost. `control` is the
  // WebBrowser but for tests of a failed creation.
  void CreateBrowserHost(HWND mainWindow, const RECT& place, PageHostCallback* owner,
                         const wchar_t* control = kWebBrowserClsid);
  // From WM_SIZE (not for SIZE_MINIMIZED); a place turned inside out by a tiny window is empty.
  void ResizeBrowserHost(const RECT& place);
  // From WM_DESTROY: the control, its events, the owner and the window are let go. What the
  // page still holds keeps working without them (nothing is told, no page is called).
  void DestroyBrowserHost();
  HWND HostWindow() const { return host.Handle(); }

  // Navigate2 without reading from the cache; nothing without a control.
  void Navigate(const std::wstring& url);
  // The page drawn at the window's scale: `dpi` (from WM_DPICHANGED) zooms the current page
  // and every page to come. The control's own DPI-aware drawing follows the system's scale
  // only, not the monitor's.
  void ZoomToDpi(int dpi);
  // From the event sink: the document of `documentBrowser` is complete. The page's own (not a
  // frame's) is zoomed, and gets the keyboard when the window is active and the focus is not
  // already in the page, so typing reaches it without a click.
  void DocumentComplete(IDispatch* documentBrowser);
  // Calls a global function of the page's script.
  [[nodiscard]] HRESULT CallPageFunction(const wchar_t* name, DISPPARAMS* params, VARIANT* result);
  // Its second half: look the name up in a script object and invoke it as a method.
  [[nodiscard]] static HRESULT CallScriptFunction(IDispatch* script, const wchar_t* name, DISPPARAMS* params, VARIANT* result);

  // Started by the VIP client: no context menu, no drops, window.external silent.
  void SetVipMode() { vipMode = true; }
  bool VipMode() const { return vipMode; }
  PageHostCallback* Owner() const { return owner; }

  // The parts, borrowed: no reference is added.
  IDocHostUIHandler* DocHost() { return &docHost; }
  IDispatch* External() { return &external; }
  IDropTarget* DropTarget() { return &dropTarget; }
  IDispatch* Events() { return &events; }
  const NavUrls& StoredUrls() const { return external.StoredUrls(); }

 protected:
  ~PageHost() override;
  // Where CallPageFunction finds the page's script object: the document's.
  virtual HRESULT PageScript(IDispatch** script);

  fw::AxWindow host;
  fw::ComPtr<IWebBrowser2> browser;

 private:
  PageHostCallback* owner = nullptr;
  bool vipMode = false;
  int zoomDpi = 96;
  // Where `events` is advised, from CreateBrowserHost to DestroyBrowserHost: the control
  // holds the sink, and with it the host, until it is unadvised.
  fw::ComPtr<IConnectionPoint> eventPoint;
  DWORD eventCookie = 0;
  // The parts.
  PageDocHost docHost{*this};
  PageExternal external{*this};
  PageDropTarget dropTarget{*this};
  PageEvents events{*this};
};
