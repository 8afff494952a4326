// The window's answers to the page's document-host questions: no borders or scroll bars,
// no menu in VIP mode, the shortcuts that would leave the page swallowed, and the page
// host's drop target and window.external.
#pragma once

#include <windows.h>
#include <mshtmhst.h>

#include "browser/page_parts.h"
#include "framework/doc_host.h"

class PageHost;

class PageDocHost final : public PagePart<IDocHostUIHandler, fw::DocHostDefaults> {
 public:
  explicit PageDocHost(PageHost& host);

  STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* objectHit) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD commandId) override;
  STDMETHODIMP GetDropTarget(IDropTarget* pageTarget, IDropTarget** replacement) override;
  STDMETHODIMP GetExternal(IDispatch** dispatch) override;

 private:
  PageHost& host;
};
