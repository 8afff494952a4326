// The host window: its registration, the WebBrowser control hosted in place, the document
// host reached from the control's own client site, and the forwarded keys.
#include <mshtmhst.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "app/vip_mode.h"
#include "framework/ax_host.h"
#include "tests/browser/browser_support.h"

namespace {

RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool SameObject(IUnknown* a, IUnknown* b) {
  fw::ComPtr<IUnknown> ua, ub;
  if (!a || !b) return false;
  a->QueryInterface(IID_IUnknown, ua.PutVoid());
  b->QueryInterface(IID_IUnknown, ub.PutVoid());
  return ua.Get() == ub.Get();
}

// The document host as the control sees it: through the client site it was given.
fw::ComPtr<IDocHostUIHandler> ControlsDocHost(IWebBrowser2* browser) {
  fw::ComPtr<IOleObject> ole;
  fw::ComPtr<IOleClientSite> site;
  fw::ComPtr<IDocHostUIHandler> docHost;
  if (browser && SUCCEEDED(browser->QueryInterface(IID_IOleObject, ole.PutVoid()))) {
    ole->GetClientSite(site.Put());
    if (site) site.As(IID_IDocHostUIHandler, docHost);
  }
  return docHost;
}

// A control that is only an in-place active object: it consumes Tab and nothing else.
class KeyEater : public IOleInPlaceActiveObject {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceActiveObject) {
      *object = static_cast<IOleInPlaceActiveObject*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG message) override {
    offered.push_back(message->wParam);
    return message->message == WM_KEYDOWN && message->wParam == VK_TAB ? S_OK : S_FALSE;
  }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  std::vector<WPARAM> offered;
};

}  // namespace

TEST(ax_host_test, registration_twice_changes_nothing) {
  ASSERT_TRUE(fw::AxWinInit());
  const UINT host = fw::AxGetHostMessage();
  const UINT control = fw::AxGetControlMessage();
  ASSERT_TRUE(fw::AxWinInit());
  EXPECT_EQ(fw::AxGetHostMessage(), host);
  EXPECT_EQ(RegisterWindowMessageW(L"WM_ATLGETHOST"), host);
  EXPECT_EQ(RegisterWindowMessageW(L"WM_ATLGETCONTROL"), control);
  EXPECT_NE(host, control);
  for (const wchar_t* name : {L"AtlAxWin71", L"AtlAxWinLic71"}) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &info)) << name;
  }
}

TEST(ax_host_test, webbrowser_is_hosted_in_place) {
  auto& shared = test::Shared();
  const HWND host = shared.page.host.Handle();
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(shared.page.browser);
  wchar_t className[64] = {};
  GetClassNameW(host, className, 64);
  EXPECT_STREQ(className, L"AtlAxWin71");
  EXPECT_EQ(GetWindowLongW(host, GWL_STYLE) & 0xFFFF0000L, 0x54000000L);
  EXPECT_EQ(GetWindowLongW(host, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);

  // In place: the control made its own window inside the host, over the whole client area.
  const HWND controlWindow = GetWindow(host, GW_CHILD);
  ASSERT_NE(controlWindow, nullptr);
  RECT client, inner;
  GetClientRect(host, &client);
  inner = ChildRect(controlWindow);
  EXPECT_TRUE(EqualRect(&client, &inner));

  auto* control = reinterpret_cast<IUnknown*>(SendMessageW(host, fw::AxGetControlMessage(), 0, 0));
  EXPECT_TRUE(SameObject(control, shared.page.browser.Get()));
  fw::ComPtr<fw::IAxWinHostWindow> axHost;
  ASSERT_EQ(shared.page.host.QueryHost(axHost.Put()), S_OK);
  fw::ComPtr<IWebBrowser2> queried;
  EXPECT_EQ(axHost->QueryControl(IID_IWebBrowser2, queried.PutVoid()), S_OK);
  EXPECT_EQ(queried.Get(), shared.page.browser.Get());
}

TEST(ax_host_test, control_reaches_the_window_through_its_client_site) {
  auto& shared = test::Shared();
  auto docHost = ControlsDocHost(shared.page.browser.Get());
  ASSERT_TRUE(docHost);

  DOCHOSTUIINFO info{};
  info.cbSize = sizeof info;
  EXPECT_EQ(docHost->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, 0x0024000Cu);
  EXPECT_EQ(info.dwDoubleClick, DWORD(DOCHOSTUIDBLCLK_DEFAULT));

  // The page's own menu, unless the VIP client started us.
  POINT point{10, 10};
  EXPECT_EQ(docHost->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr), S_FALSE);
  startedFromVipClient = 1;
  EXPECT_EQ(docHost->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr), S_OK);
  startedFromVipClient = 0;

  fw::ComPtr<IDropTarget> dropTarget;
  EXPECT_EQ(docHost->GetDropTarget(nullptr, dropTarget.Put()), S_OK);
  EXPECT_EQ(dropTarget.Get(), static_cast<IDropTarget*>(&shared.page));

  fw::ComPtr<IDispatch> external;
  EXPECT_EQ(docHost->GetExternal(external.Put()), S_OK);
  EXPECT_EQ(external.Get(), static_cast<IDispatch*>(static_cast<fw::IDocHostUIHandlerDispatch*>(&shared.page)));

  // What the window leaves open, the host answers with the control's defaults.
  EXPECT_EQ(docHost->ShowUI(DOCHOSTUITYPE_BROWSE, nullptr, nullptr, nullptr, nullptr), S_FALSE);
  MSG key{};
  key.message = WM_KEYDOWN;
  key.wParam = 'A';
  EXPECT_EQ(docHost->TranslateAccelerator(&key, &IID_IUnknown, 0), S_FALSE);
  LPWSTR url = reinterpret_cast<LPWSTR>(1);
  EXPECT_EQ(docHost->TranslateUrl(0, const_cast<LPWSTR>(L"http://a/"), &url), S_FALSE);
  EXPECT_EQ(url, nullptr);
  LPOLESTR key_path = reinterpret_cast<LPOLESTR>(1);
  EXPECT_TRUE(FAILED(docHost->GetOptionKeyPath(&key_path, 0)));
  EXPECT_EQ(key_path, nullptr);
  IDataObject* filtered = reinterpret_cast<IDataObject*>(1);
  EXPECT_EQ(docHost->FilterDataObject(nullptr, &filtered), S_FALSE);
  EXPECT_EQ(filtered, nullptr);
  EXPECT_EQ(docHost->HideUI(), S_OK);
}

TEST(ax_host_test, ambient_user_mode) {
  auto& shared = test::Shared();
  fw::ComPtr<IOleObject> ole;
  fw::ComPtr<IOleClientSite> site;
  fw::ComPtr<IDispatch> ambient;
  ASSERT_EQ(shared.page.browser->QueryInterface(IID_IOleObject, ole.PutVoid()), S_OK);
  ASSERT_EQ(ole->GetClientSite(site.Put()), S_OK);
  ASSERT_EQ(site.As(IID_IDispatch, ambient), S_OK);
  DISPPARAMS none{};
  const struct {
    DISPID id;
    HRESULT hr;
    VARIANT_BOOL value;
  } cases[] = {{DISPID_AMBIENT_USERMODE, S_OK, VARIANT_TRUE},
               {DISPID_AMBIENT_UIDEAD, S_OK, VARIANT_FALSE},
               {DISPID_AMBIENT_SHOWHATCHING, S_OK, VARIANT_FALSE},
               {-5512 /* DISPID_AMBIENT_DLCONTROL */, DISP_E_MEMBERNOTFOUND, VARIANT_FALSE}};
  for (const auto& c : cases) {
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(ambient->Invoke(c.id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr), c.hr);
    if (c.hr == S_OK) {
      EXPECT_EQ(value.vt, VT_BOOL);
      EXPECT_EQ(value.boolVal, c.value);
    }
  }
}

TEST(ax_host_test, forwarded_keys_go_to_the_controls_accelerators) {
  test::ParentWindow parent(300, 200);
  fw::AxWindow host;
  ASSERT_NE(host.Create(parent.Handle(), RECT{0, 0, 100, 100}, WS_CHILD | WS_VISIBLE), nullptr);
  fw::ComPtr<fw::IAxWinHostWindow> axHost;
  ASSERT_EQ(host.QueryHost(axHost.Put()), S_OK);
  KeyEater control;
  ASSERT_EQ(axHost->AttachControl(&control, host.Handle()), S_OK);

  MSG tab{}, letter{};
  tab.hwnd = letter.hwnd = host.Handle();
  tab.message = letter.message = WM_KEYDOWN;
  tab.wParam = VK_TAB;
  letter.wParam = 'A';
  EXPECT_NE(SendMessageW(host.Handle(), fw::WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&tab)), 0);
  EXPECT_EQ(SendMessageW(host.Handle(), fw::WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&letter)), 0);
  EXPECT_EQ(SendMessageW(host.Handle(), fw::WM_FORWARDMSG, 0, 0), 0);  // no message: nothing offered
  EXPECT_EQ(control.offered, (std::vector<WPARAM>{VK_TAB, 'A'}));
  host.Destroy();
}

TEST(ax_host_test, control_that_cannot_be_made_leaves_an_empty_host) {
  test::ParentWindow parent(300, 200);
  fw::AxWindow host;
  ASSERT_NE(host.Create(parent.Handle(), RECT{0, 0, 100, 100}, WS_CHILD | WS_VISIBLE), nullptr);
  fw::ComPtr<IUnknown> control;
  EXPECT_TRUE(FAILED(host.CreateControlEx(L"{00000000-0000-0000-0000-00000000BEEF}", control.Put())));
  EXPECT_FALSE(control);
  EXPECT_TRUE(FAILED(host.CreateControlEx(L"not a clsid", control.Put())));
  EXPECT_EQ(SendMessageW(host.Handle(), fw::AxGetControlMessage(), 0, 0), 0);
  fw::ComPtr<fw::IAxWinHostWindow> axHost;
  ASSERT_EQ(host.QueryHost(axHost.Put()), S_OK);
  // Event connections are the owner's business.
  EXPECT_EQ(axHost->CreateControlEx(L"{8856F961-340A-11D0-A96B-00C04FD705A2}", host.Handle(), nullptr,
                                    control.Put(), IID_IDispatch, axHost.Get()),
            E_NOTIMPL);
  host.Destroy();
  EXPECT_EQ(host.QueryHost(axHost.Put()), E_HANDLE);
}
