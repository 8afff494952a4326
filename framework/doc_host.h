// The document-host answers that leave everything to the control, for the framework's site
// and for a window's own handler alike.
#pragma once

#include <windows.h>
#include <mshtmhst.h>

namespace fw {

// The document-host answers that leave everything to the control. A handler derives from it
// and overrides only what it changes; the site gives these when it has no handler.
class DocHostDefaults : public IDocHostUIHandler {
 public:
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    if (!info) return E_POINTER;
    info->dwFlags = 0;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
  }
  // S_FALSE: the document shows its own interface, and takes the keys the host does not.
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  // The control's own settings, drop handling and no window.external; urls and data as they are.
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override { return Decline(key, E_NOTIMPL); }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** replacement) override {
    return Decline(replacement, E_NOTIMPL);
  }
  STDMETHODIMP GetExternal(IDispatch** dispatch) override { return Decline(dispatch, E_NOTIMPL); }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* urlOut) override { return Decline(urlOut, S_FALSE); }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** replacement) override {
    return Decline(replacement, S_FALSE);
  }

 protected:
  ~DocHostDefaults() = default;

 private:
  template <class Out>
  static HRESULT Decline(Out** out, HRESULT answer) {
    if (out) *out = nullptr;
    return answer;
  }
};

}  // namespace fw
