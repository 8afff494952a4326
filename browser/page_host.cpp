// The browser host: the control made, kept in place, navigated and let go, and calls into
// the page's script.
#include "browser/page_host.h"

#include <mshtml.h>

#include <algorithm>

PageHost::PageHost() = default;

PageHost::~PageHost() { DestroyBrowserHost(); }

void PageHost::CreateBrowserHost(HWND mainWindow, const RECT& place, PageHostCallback* caller,
                                 const wchar_t* control) {
  owner = caller;
  host.Create(mainWindow, place, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  fw::ComPtr<IUnknown> unknown;
  host.CreateControlEx(control, unknown.Put());
  if (unknown) unknown.As(IID_IWebBrowser2, browser);
  host.SetUIHandler(DocHost());
  if (browser) browser->put_Silent(VARIANT_TRUE);  // no dialogs of the control's own
}

void PageHost::ResizeBrowserHost(const RECT& place) {
  if (!host.Handle()) return;
  MoveWindow(host.Handle(), place.left, place.top, std::max(0L, place.right - place.left),
             std::max(0L, place.bottom - place.top), TRUE);
}

void PageHost::DestroyBrowserHost() {
  owner = nullptr;
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
