// The document-host answers the control receives from the window; the rest are the defaults.
#include "browser/page_doc_host.h"

#include "browser/page_host.h"

PageDocHost::PageDocHost(PageHost& host) : PagePart(host), host(host) {}

STDMETHODIMP PageDocHost::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
  return host.VipMode() ? S_OK : S_FALSE;  // S_OK, "shown": no menu anywhere in the page
}

STDMETHODIMP PageDocHost::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  // No 3-D border, no outer border, no scroll bars, themed form controls, and the page
  // drawn at the display's scale rather than at 96 DPI and stretched.
  info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO | DOCHOSTUIFLAG_THEME |
                  DOCHOSTUIFLAG_NO3DOUTERBORDER | DOCHOSTUIFLAG_DPI_AWARE;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  return S_OK;
}

// Ctrl+N would open the system's browser, without window.external and without the page's
// session, and Ctrl+O a dialog that loads any local file into the page: both are swallowed
// (S_OK), Shift or not. With Alt held they stay keys: Ctrl+Alt is AltGr, which types
// characters. Every other key is left to the control (S_FALSE).
STDMETHODIMP PageDocHost::TranslateAccelerator(LPMSG message, const GUID*, DWORD) {
  const bool leavesPage = message && message->message == WM_KEYDOWN &&
                          (message->wParam == 'N' || message->wParam == 'O') && GetKeyState(VK_CONTROL) < 0 &&
                          GetKeyState(VK_MENU) >= 0;
  return leavesPage ? S_OK : S_FALSE;
}

// Every drag over the page comes to the window; the page's own drop handling never runs.
STDMETHODIMP PageDocHost::GetDropTarget(IDropTarget*, IDropTarget** replacement) {
  if (!replacement) return E_POINTER;
  (*replacement = host.DropTarget())->AddRef();
  return S_OK;
}

STDMETHODIMP PageDocHost::GetExternal(IDispatch** dispatch) {
  if (!dispatch) return E_POINTER;
  (*dispatch = host.External())->AddRef();
  return S_OK;
}
