// The window's answers to the page's document-host questions: no borders or scroll bars,
// no menu in VIP mode, the shortcuts that would leave the page swallowed, and the page
// host's drop target and window.external.
#pragma once

#include <windows.h>
#include <mshtmhst.h>

#include "browser/page_parts.h"

class PageHost;

class PageDocHost final : public PagePart<IDocHostUIHandler> {
 public:
  explicit PageDocHost(PageHost& host);

  STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* objectHit) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* commandTarget,
                      IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD commandId) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IDropTarget* pageTarget, IDropTarget** replacement) override;
  STDMETHODIMP GetExternal(IDispatch** dispatch) override;
  STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) override;
  STDMETHODIMP FilterDataObject(IDataObject* data, IDataObject** replacement) override;

 private:
  PageHost& host;
};
