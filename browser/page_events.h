// The page host's ear on the control: its DWebBrowserEvents2 sink. Only a finished top-level
// document is acted on (the page zoomed to the window's scale and given the keyboard); the
// control's other events are passed over.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "browser/page_parts.h"

class PageHost;

class PageEvents final : public PagePart<IDispatch, UntypedDispatch> {
 public:
  explicit PageEvents(PageHost& host);

  // The control advises the events' own interface, which this IDispatch answers too.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

 private:
  PageHost& host;
};
