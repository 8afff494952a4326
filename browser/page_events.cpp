// The control's events: DocumentComplete read with its arguments checked, the rest ignored.
#include "browser/page_events.h"

#include <exdisp.h>
#include <exdispid.h>

#include "browser/page_host.h"

PageEvents::PageEvents(PageHost& host) : PagePart(host), host(host) {}

STDMETHODIMP PageEvents::QueryInterface(REFIID iid, void** object) {
  if (object && iid == DIID_DWebBrowserEvents2) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  return PagePart::QueryInterface(iid, object);
}

STDMETHODIMP PageEvents::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

// DocumentComplete(pDisp, URL): arguments come last first, so pDisp is rgvarg[1]. Anything
// else, or a call shaped otherwise, is passed over without touching what it points to.
STDMETHODIMP PageEvents::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  if (id != DISPID_DOCUMENTCOMPLETE || !params || params->cArgs != 2 || !params->rgvarg) return S_OK;
  const VARIANT& frame = params->rgvarg[1];
  if (frame.vt == VT_DISPATCH && frame.pdispVal) host.DocumentComplete(frame.pdispVal);
  return S_OK;
}
