// window.external: the names the page calls, the list of sections it hands over (read with
// bounds, as from any frame's script), and what it says is current.
#include "browser/page_external.h"

#include <algorithm>

#include "browser/page_host.h"
#include "browser/page_text.h"
#include "browser/url_policy.h"
#include "framework/com_ptr.h"

namespace {

// A property get by name, as the page's objects answer it.
bool GetProperty(IDispatch* object, const wchar_t* name, Variant& out) {
  LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id))) return false;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return SUCCEEDED(
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &out.value, nullptr, nullptr));
}

// A string property; anything else, or a text too long to be an id or address, stays empty.
std::wstring TextProperty(IDispatch* object, const wchar_t* name) {
  Variant value;
  if (!GetProperty(object, name, value) || value.value.vt != VT_BSTR || !value.value.bstrVal) return {};
  const UINT length = SysStringLen(value.value.bstrVal);
  if (length > kMaxNavText) return {};
  return std::wstring(value.value.bstrVal, length);
}

// "length" when the object has one, else the variables of its type information.
unsigned NavCount(IDispatch* list) {
  Variant length;
  if (GetProperty(list, L"length", length)) return length.value.vt == VT_I4 ? NavItemCount(length.value.lVal) : 0;
  fw::ComPtr<ITypeInfo> info;
  if (FAILED(list->GetTypeInfo(0, 0, info.Put())) || !info) return 0;
  TYPEATTR* attributes = nullptr;
  if (FAILED(info->GetTypeAttr(&attributes)) || !attributes) return 0;
  const unsigned count = NavItemCount(attributes->cVars);
  info->ReleaseTypeAttr(attributes);
  return count;
}

}  // namespace

PageExternal::PageExternal(PageHost& host) : PagePart(host), host(host) {}

STDMETHODIMP PageExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || count == 0 || !names[0] || !ids) return E_INVALIDARG;
  static const struct {
    const wchar_t* name;
    DISPID id;
  } kMethods[] = {
      {L"setVodClientNav", DISPID_SETVODCLIENTNAV},
      {L"getVodClientVer", DISPID_GETVODCLIENTVER},
      {L"setVodClientTab", DISPID_SETVODCLIENTTAB},
  };
  BSTR asked = SysAllocString(names[0]);
  HRESULT hr = E_NOTIMPL;  // on purpose, not DISP_E_UNKNOWNNAME: the page's call fails either way
  for (const auto& method : kMethods) {
    BSTR known = SysAllocString(method.name);
    const bool equal = VarBstrCmp(asked, known, LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
    SysFreeString(known);
    if (equal) {
      ids[0] = method.id;
      hr = S_OK;
      break;
    }
  }
  SysFreeString(asked);
  if (count > 1) {  // named arguments: the methods have none
    std::fill(ids + 1, ids + count, DISPID_UNKNOWN);
    if (hr == S_OK) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

// The method, the property get and the property put of a name are all the same call.
// The argument is always rgvarg[0] (the last one the page passed); a call without one
// is refused with DISP_E_BADPARAMCOUNT before rgvarg is touched.
STDMETHODIMP PageExternal::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                  UINT*) {
  if (id < DISPID_SETVODCLIENTNAV || id > DISPID_SETVODCLIENTTAB) return E_NOTIMPL;
  if (!params) return E_INVALIDARG;
  if (host.VipMode()) return S_OK;
  const bool hasArgument = params->cArgs >= 1 && params->rgvarg;
  switch (id) {
    case DISPID_SETVODCLIENTNAV: {
      if (!hasArgument) return DISP_E_BADPARAMCOUNT;
      Variant items;  // by value: a variable VBScript passes by reference is read through
      if (SUCCEEDED(VariantCopyInd(&items.value, &params->rgvarg[0]))) SetNavItems(items.value);
      return S_OK;
    }
    case DISPID_GETVODCLIENTVER:
      if (result) {
        VariantClear(result);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(MakeVersionText(4).c_str());
      }
      return S_OK;
    default: {  // DISPID_SETVODCLIENTTAB
      if (!hasArgument) return DISP_E_BADPARAMCOUNT;
      Variant name;
      if (SUCCEEDED(VariantCopyInd(&name.value, &params->rgvarg[0])) && name.value.vt == VT_BSTR && host.Owner()) {
        host.Owner()->TabSelected(name.value.bstrVal ? name.value.bstrVal : L"");  // up to a zero, as compared
      }
      return S_OK;  // a name that is no string is passed over like an unknown name
    }
  }
}

// A getter of the list may call setVodClientNav again: that inner call changes nothing,
// or the recursion would run through native frames until the stack is gone.
void PageExternal::SetNavItems(const VARIANT& items) {
  if (items.vt != VT_DISPATCH || !items.pdispVal || readingNav) return;
  struct Reading {
    explicit Reading(bool& flag) : flag(flag) { flag = true; }
    ~Reading() { flag = false; }
    bool& flag;
  } reading(readingNav);
  fw::ComPtr<IDispatch> list(items.pdispVal);
  const unsigned count = NavCount(list.Get());
  for (unsigned i = 0; i < count; ++i) {
    Variant element;
    if (!GetProperty(list.Get(), std::to_wstring(i).c_str(), element)) continue;
    std::wstring id;
    std::wstring url;
    if (element.value.vt == VT_DISPATCH && element.value.pdispVal) {
      IDispatch* item = element.value.pdispVal;
      id = TextProperty(item, L"id");
      url = TextProperty(item, L"url");
      // Any frame's script can call us, and a tab click navigates the site's own page.
      if (!IsNavigableStartupUrl(url)) url.clear();
      Variant unused;
      GetProperty(item, L"islink", unused);  // read, as pages expect, and not used
    }
    if (navUrls.size() >= kMaxNavEntries && navUrls.find(id) == navUrls.end()) continue;
    navUrls[id] = url;
  }
  if (host.Owner()) host.Owner()->NavItemsSet(navUrls);
}
