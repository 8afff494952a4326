// The browser host: the control made, kept in place, navigated and let go, and calls into
// the page's script.
#include "browser/page_host.h"

#include <mshtml.h>

#include <algorithm>

#include "browser/page_zoom.h"
#include "framework/dpi.h"

BrowserCommandFn browserCommand = [](IWebBrowser2* browser, OLECMDID command, OLECMDEXECOPT options, VARIANT* in) {
  return browser->ExecWB(command, options, in, nullptr);
};

PageHost::PageHost() = default;

PageHost::~PageHost() { DestroyBrowserHost(); }

void PageHost::CreateBrowserHost(HWND mainWindow, const RECT& place, PageHostCallback* caller,
                                 const wchar_t* control) {
  owner = caller;
  // Without a host or a control the window still opens, with an empty page area.
  if (!host.Create(mainWindow, place, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS)) return;
  fw::ComPtr<IUnknown> unknown;
  if (SUCCEEDED(host.CreateControlEx(control, unknown.Put()))) unknown.As(IID_IWebBrowser2, browser);
  (void)host.SetUIHandler(DocHost());  // fails only without the site that Create made
  if (!browser) return;
  browser->put_Silent(VARIANT_TRUE);  // no dialogs of the control's own
  zoomDpi = fw::WindowDpi(mainWindow);
  fw::ComPtr<IConnectionPointContainer> points;
  if (FAILED(browser.As(IID_IConnectionPointContainer, points)) ||
      FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, eventPoint.Put())) ||
      FAILED(eventPoint->Advise(Events(), &eventCookie))) {
    eventPoint.Reset();
  }
}

void PageHost::ResizeBrowserHost(const RECT& place) {
  if (!host.Handle()) return;
  MoveWindow(host.Handle(), place.left, place.top, std::max(0L, place.right - place.left),
             std::max(0L, place.bottom - place.top), TRUE);
}

void PageHost::DestroyBrowserHost() {
  owner = nullptr;
  // The script may keep the control alive after the window: it must not keep the host too.
  if (eventPoint) eventPoint->Unadvise(eventCookie);
  eventPoint.Reset();
  browser.Reset();
  host.Destroy();
}

void PageHost::Navigate(const std::wstring& url) {
  if (!browser) return;
  VARIANT target;
  VariantInit(&target);
  target.vt = VT_BSTR;
  target.bstrVal = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
  VARIANT flags;
  VariantInit(&flags);
  flags.vt = VT_I4;
  flags.lVal = navNoReadFromCache;
  browser->Navigate2(&target, &flags, nullptr, nullptr, nullptr);
  VariantClear(&target);
}

void PageHost::ZoomToDpi(int dpi) {
  zoomDpi = dpi;
  if (!browser) return;
  Variant percent;
  percent.value.vt = VT_I4;
  percent.value.lVal = PageZoomPercent(dpi);
  // The command's flags ride in the high word of its options. Without NOPERSIST the zoom
  // would also become the one stored for the user's own browser windows.
  const auto options =
      static_cast<OLECMDEXECOPT>(MAKELONG(OLECMDEXECOPT_DONTPROMPTUSER, OLECMDIDF_OPTICAL_ZOOM_NOPERSIST));
  browserCommand(browser.Get(), OLECMDID_OPTICAL_ZOOM, options, &percent.value);
}

void PageHost::DocumentComplete(IDispatch* documentBrowser) {
  // A frame's document completes with the frame's own browser object: same COM identity
  // only for the page's.
  fw::ComPtr<IUnknown> completed, page;
  if (!documentBrowser || FAILED(documentBrowser->QueryInterface(IID_IUnknown, completed.PutVoid())) ||
      FAILED(browser.As(IID_IUnknown, page)) || completed.Get() != page.Get()) {
    return;
  }
  ZoomToDpi(zoomDpi);
  // A field the page focused itself keeps the focus.
  const HWND window = host.Handle();
  if (GetActiveWindow() == GetAncestor(window, GA_ROOT) && !IsChild(window, GetFocus())) host.UIActivate();
}

HRESULT PageHost::PageScript(IDispatch** script) {
  *script = nullptr;
  if (!browser) return E_POINTER;
  fw::ComPtr<IDispatch> document;
  HRESULT hr = browser->get_Document(document.Put());
  if (FAILED(hr)) return hr;
  fw::ComPtr<IHTMLDocument2> html;
  if (FAILED(document.As(IID_IHTMLDocument2, html))) return E_POINTER;
  hr = html->get_Script(script);
  if (SUCCEEDED(hr) && !*script) return E_POINTER;
  return hr;
}

HRESULT PageHost::CallPageFunction(const wchar_t* name, DISPPARAMS* params, VARIANT* result) {
  fw::ComPtr<IDispatch> script;
  const HRESULT hr = PageScript(script.Put());
  if (FAILED(hr)) return hr;
  return CallScriptFunction(script.Get(), name, params, result);
}

HRESULT PageHost::CallScriptFunction(IDispatch* script, const wchar_t* name, DISPPARAMS* params, VARIANT* result) {
  if (!script || !name) return E_POINTER;
  LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  EXCEPINFO exception{};
  UINT argumentError = 0;
  hr = script->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, result, &exception, &argumentError);
  // Not examined, but ours to free.
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}
