// window.external: the page's three methods. What the page said (its sections' addresses,
// its current section) goes on to the page host's owner.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <map>
#include <string>

#include "browser/page_parts.h"

// window.external's methods.
enum : DISPID {
  DISPID_SETVODCLIENTNAV = 1,
  DISPID_GETVODCLIENTVER = 2,
  DISPID_SETVODCLIENTTAB = 3,
};

// The page's sections' addresses, by section id.
using NavUrls = std::map<std::wstring, std::wstring>;

class PageHost;

class PageExternal final : public PagePart<IDispatch, UntypedDispatch> {
 public:
  explicit PageExternal(PageHost& host);

  // Every address the page has handed over, merged call by call.
  const NavUrls& StoredUrls() const { return navUrls; }

  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

 private:
  void SetNavItems(const VARIANT& items);

  PageHost& host;
  NavUrls navUrls;
  bool readingNav = false;  // inside SetNavItems
};
