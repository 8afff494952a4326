#include "browser/page_host.h"

#include <mshtml.h>
#include <mshtmhst.h>
#include <shlwapi.h>

#include "bencoding/path.h"
#include "bencoding/torrent.h"
#include "browser/drop_list.h"
#include "browser/page_text.h"
#include "browser/url_policy.h"
#include "framework/dpi.h"
#include "res/resource.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Variant {
  Variant() { VariantInit(&value); }
  ~Variant() { VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT value;
};

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
  LPOLESTR names[1] = {const_cast<LPOLESTR>(L"length")};
  DISPID id = DISPID_UNKNOWN;
  if (SUCCEEDED(list->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id))) {
    Variant length;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const HRESULT hr =
        list->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &length.value, nullptr, nullptr);
    return SUCCEEDED(hr) && length.value.vt == VT_I4 ? NavItemCount(length.value.lVal) : 0;
  }
  fw::ComPtr<ITypeInfo> info;
  if (FAILED(list->GetTypeInfo(0, 0, info.Put())) || !info) return 0;
  TYPEATTR* attributes = nullptr;
  if (FAILED(info->GetTypeAttr(&attributes)) || !attributes) return 0;
  const unsigned count = NavItemCount(attributes->cVars);
  info->ReleaseTypeAttr(attributes);
  return count;
}

// The dragged file list (CF_HDROP in global memory), checked and read into paths at once;
// the medium is released before any file is opened.
class DroppedFiles {
 public:
  explicit DroppedFiles(IDataObject* data) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || FAILED(data->GetData(&format, &medium))) return;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) usable = Read(medium.hGlobal);
    ReleaseStgMedium(&medium);
  }

  // False for a list that failed its checks: it is refused whole.
  bool Usable() const { return usable; }
  const std::vector<std::wstring>& Paths() const { return paths; }

 private:
  bool Read(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);  // the sender's header is not trusted for it
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(block));
    if (!bytes) return false;
    DropList list;
    const bool read = ReadDropList(bytes, size, list);
    paths.reserve(list.names.size());
    for (const DropName& name : list.names) {
      if (list.wide) {
        paths.emplace_back(name.length, L'\0');
        memcpy(paths.back().data(), bytes + name.offset, name.length * sizeof(wchar_t));  // may be unaligned
      } else {
        const auto* ansi = reinterpret_cast<const char*>(bytes + name.offset);
        const int length = static_cast<int>(name.length);
        std::wstring path(MultiByteToWideChar(CP_ACP, 0, ansi, length, nullptr, 0), L'\0');
        path.resize(MultiByteToWideChar(CP_ACP, 0, ansi, length, path.data(), static_cast<int>(path.size())));
        paths.push_back(std::move(path));
      }
    }
    GlobalUnlock(block);
    return read;
  }

  std::vector<std::wstring> paths;
  bool usable = false;
};

}  // namespace

bool TabButton::PreHandle(UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message != WM_SETCURSOR) return false;
  if (IsWindowEnabled(Handle())) SetCursor(LoadCursorW(nullptr, IDC_HAND));
  result = TRUE;  // handled even while disabled: the current tab keeps whatever cursor was shown
  return true;
}

PageHost::~PageHost() {
  DestroyTabButtons();
  DestroyBrowserHost();
}

// ---- The browser host ----

void PageHost::CreateBrowserHost(HWND mainWindow, const RECT& place, const wchar_t* control) {
  pageWindow = mainWindow;
  host.Create(mainWindow, place, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  fw::ComPtr<IUnknown> unknown;
  host.CreateControlEx(control, unknown.Put());
  if (unknown) unknown.As(IID_IWebBrowser2, browser);
  fw::ComPtr<fw::IAxWinHostWindow> axHost;
  if (SUCCEEDED(host.QueryHost(axHost.Put()))) {
    axHost->SetExternalDispatch(ExternalDispatch());
    axHost->SetExternalUIHandler(this);
  }
  if (browser) browser->put_Silent(VARIANT_TRUE);  // no dialogs of the control's own
}

void PageHost::ResizeBrowserHost(const RECT& place) {
  if (!host.Handle()) return;
  MoveWindow(host.Handle(), place.left, place.top, std::max(0L, place.right - place.left),
             std::max(0L, place.bottom - place.top), TRUE);
}

void PageHost::DestroyBrowserHost() {
  DestroyTabButtons();
  browser.Reset();
  host.Destroy();
  pageWindow = nullptr;
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

// ---- COM identity ----

// The control calls on the window's thread only, so no interlocked count is needed.
STDMETHODIMP_(ULONG) PageHost::AddRef() { return ++references; }

STDMETHODIMP_(ULONG) PageHost::Release() {
  const ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP PageHost::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == fw::IID_IDocHostUIHandlerDispatch || iid == IID_IDispatch || iid == IID_IUnknown) {
    *object = static_cast<fw::IDocHostUIHandlerDispatch*>(this);
  } else if (iid == IID_IDropTarget) {
    *object = static_cast<IDropTarget*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

// ---- window.external ----

STDMETHODIMP PageHost::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }

STDMETHODIMP PageHost::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP PageHost::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
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
STDMETHODIMP PageHost::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                              UINT*) {
  if (id < DISPID_SETVODCLIENTNAV || id > DISPID_SETVODCLIENTTAB) return E_NOTIMPL;
  if (!params) return E_INVALIDARG;
  if (vipMode) return S_OK;
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
      if (SUCCEEDED(VariantCopyInd(&name.value, &params->rgvarg[0])) && name.value.vt == VT_BSTR) {
        SelectTab(name.value.bstrVal ? name.value.bstrVal : L"");
      }
      return S_OK;  // a name that is no string is passed over like an unknown name
    }
  }
}

// A getter of the list may call setVodClientNav again: that inner call changes nothing,
// or the recursion would run through native frames until the stack is gone.
void PageHost::SetNavItems(const VARIANT& items) {
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
  CreateTabButtons();
}

// ---- Tab buttons ----

void PageHost::CreateTabButtons() {
  if (vipMode || !pageWindow || playerTab || listTab) return;
  const HINSTANCE module = GetModuleHandleW(nullptr);
  auto make = [&](const RECT& place, UINT image, int normal, UINT id) {
    auto tab = std::make_unique<TabButton>();
    tab->SetImageList(fw::LoadImageStripAt(module, image, place.right - place.left, place.bottom - place.top, 3));
    tab->SetImages(normal, 2, 1, 2);
    tab->Create(pageWindow, place, id);
    return tab;
  };
  listTab = make(tabLayout.list, tabLayout.listImage, 0, ID_TAB_LIST);
  playerTab = make(tabLayout.player, tabLayout.playerImage, 2, ID_TAB_PLAYER);
}

void PageHost::SetTabLayout(const TabLayout& layout) {
  tabLayout = layout;
  if (!playerTab || !listTab) return;
  const wchar_t* current = !IsWindowEnabled(listTab->Handle())     ? L"list"
                           : !IsWindowEnabled(playerTab->Handle()) ? L"player"
                                                                   : nullptr;
  DestroyTabButtons();
  CreateTabButtons();
  if (current) SelectTab(current);
}

void PageHost::SetVipMode() {
  vipMode = true;
  DestroyTabButtons();
}

void PageHost::SelectTab(const wchar_t* name) {
  if (vipMode || !playerTab || !listTab || !name) return;
  TabButton* current = nullptr;
  TabButton* other = nullptr;
  if (StrCmpW(name, L"player") == 0) {
    current = playerTab.get();
    other = listTab.get();
  } else if (StrCmpW(name, L"list") == 0) {
    current = listTab.get();
    other = playerTab.get();
  }
  if (current) {
    EnableWindow(current->Handle(), FALSE);
    current->SetImages(2, 2, 1, 2);
    EnableWindow(other->Handle(), TRUE);
    other->SetImages(0, 2, 1, 2);
  }
  RedrawTabs();
}

void PageHost::OnTabButtonClicked(UINT id) {
  const wchar_t* key = id == ID_TAB_PLAYER ? L"player" : id == ID_TAB_LIST ? L"list" : nullptr;
  if (!key) return;
  const auto found = navUrls.find(key);
  if (found != navUrls.end()) Navigate(found->second);
  RedrawTabs();
}

void PageHost::DestroyTabButtons() {
  if (playerTab) playerTab->Destroy();
  if (listTab) listTab->Destroy();
  playerTab.reset();
  listTab.reset();
}

void PageHost::RedrawTabs() {
  for (TabButton* tab : {playerTab.get(), listTab.get()}) {
    if (tab && tab->Handle()) RedrawWindow(tab->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
}

// ---- Document host ----

STDMETHODIMP PageHost::ShowContextMenu(DWORD, DWORD, DWORD, IUnknown*, IDispatch*, HRESULT* retVal) {
  if (vipMode && retVal) *retVal = S_OK;  // "shown": no menu anywhere in the page
  return S_OK;
}

STDMETHODIMP PageHost::GetHostInfo(DWORD* flags, DWORD*) {
  if (!flags) return E_POINTER;
  // No 3-D border, no outer border, no scroll bars, themed form controls, and the page
  // drawn at the display's scale rather than at 96 DPI and stretched.
  *flags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO | DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_NO3DOUTERBORDER |
           DOCHOSTUIFLAG_DPI_AWARE;
  return S_OK;
}

STDMETHODIMP PageHost::ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*, HRESULT*) { return E_NOTIMPL; }
STDMETHODIMP PageHost::HideUI() { return E_NOTIMPL; }
STDMETHODIMP PageHost::UpdateUI() { return E_NOTIMPL; }
STDMETHODIMP PageHost::EnableModeless(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP PageHost::OnDocWindowActivate(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP PageHost::OnFrameWindowActivate(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP PageHost::ResizeBorder(long, long, long, long, IUnknown*, VARIANT_BOOL) { return E_NOTIMPL; }
// Ctrl+N would open the system's browser, without window.external and without the page's
// session, and Ctrl+O a dialog that loads any local file into the page: both are swallowed,
// Shift or not. With Alt held they stay keys: Ctrl+Alt is AltGr, which types characters.
// Every other key is left to the control, as the host preset it.
STDMETHODIMP PageHost::TranslateAccelerator(DWORD_PTR, DWORD message, DWORD_PTR wParam, DWORD_PTR, BSTR, DWORD,
                                            HRESULT* retVal) {
  const bool leavesPage = message == WM_KEYDOWN && (wParam == 'N' || wParam == 'O') &&
                          GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0;
  if (!leavesPage) return E_NOTIMPL;
  if (retVal) *retVal = S_OK;  // consumed
  return S_OK;
}
STDMETHODIMP PageHost::GetOptionKeyPath(BSTR*, DWORD) { return E_NOTIMPL; }

// E_NOTIMPL on purpose although the slot is filled: the host takes the replacement when
// it is a drop target, so every drag over the page comes here.
STDMETHODIMP PageHost::GetDropTarget(IUnknown*, IUnknown** replacement) {
  if (replacement) (*replacement = static_cast<IDropTarget*>(this))->AddRef();
  return E_NOTIMPL;
}

STDMETHODIMP PageHost::GetExternal(IDispatch** dispatch) {
  if (!dispatch) return E_POINTER;
  (*dispatch = ExternalDispatch())->AddRef();
  return S_OK;
}

STDMETHODIMP PageHost::TranslateUrl(DWORD, BSTR, BSTR*) { return E_NOTIMPL; }
STDMETHODIMP PageHost::FilterDataObject(IUnknown*, IUnknown**) { return E_NOTIMPL; }

// ---- Drop target ----

// Only ever COPY or NONE: a source told MOVE deletes the user's files.
STDMETHODIMP PageHost::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  const DWORD allowed = *effect;
  *effect = dragEffect = DROPEFFECT_NONE;
  if (vipMode || !data || !(allowed & DROPEFFECT_COPY)) return E_FAIL;
  const DroppedFiles files(data);
  if (!files.Usable()) return E_FAIL;
  zv::encoding::bencoding::torrent_reader reader;
  for (const std::wstring& path : files.Paths()) {
    if (reader.has_video(path)) {
      *effect = dragEffect = DROPEFFECT_COPY;
      return S_OK;
    }
  }
  return E_FAIL;
}

STDMETHODIMP PageHost::DragOver(DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = *effect & DROPEFFECT_COPY ? dragEffect : DROPEFFECT_NONE;
  return S_OK;
}

STDMETHODIMP PageHost::DragLeave() {
  dragEffect = DROPEFFECT_NONE;
  return S_OK;
}

STDMETHODIMP PageHost::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  const DWORD allowed = *effect;
  *effect = dragEffect = DROPEFFECT_NONE;
  if (vipMode) return E_FAIL;
  if (!(allowed & DROPEFFECT_COPY)) return S_OK;
  const DroppedFiles files(data);
  if (!files.Usable()) return S_OK;
  namespace bt = zv::encoding::bencoding;
  bt::torrent_reader reader;
  DragCallbackText text;
  for (const std::wstring& path : files.Paths()) {
    const bt::dropped_file dropped = reader.judge(path);
    if (dropped.verdict == bt::drop_verdict::link) text.Add(dropped.magnet_link, dropped.name);
  }
  if (text.Count() > 0) *effect = DROPEFFECT_COPY;
  const std::wstring argumentText = text.Text();
  Variant argument;
  argument.value.vt = VT_BSTR;
  argument.value.bstrVal = SysAllocStringLen(argumentText.data(), static_cast<UINT>(argumentText.size()));
  DISPPARAMS params{&argument.value, nullptr, 1, 0};
  Variant result;
  CallPageFunction(L"vodClientDragCallback", &params, &result.value);  // a page without it just hears nothing
  return S_OK;
}
