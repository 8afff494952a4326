// The page host: its COM identity, its document-host answers, creating, sizing and
// navigating the WebBrowser control, and calling the page.
#include <mshtmhst.h>

#include <gtest/gtest.h>

#include "app/vip_mode.h"
#include "tests/browser/browser_support.h"

namespace {

RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring LocationOf(IWebBrowser2* browser) {
  BSTR location = nullptr;
  browser->get_LocationURL(&location);
  std::wstring text = location ? location : L"";
  SysFreeString(location);
  return text;
}

}  // namespace

TEST(page_host_test, query_interface_table) {
  PageHost page;
  void* handler = static_cast<fw::IDocHostUIHandlerDispatch*>(&page);
  void* dropTarget = static_cast<IDropTarget*>(&page);
  const struct {
    const IID& iid;
    HRESULT hr;
    void* object;
  } cases[] = {
      {fw::IID_IDocHostUIHandlerDispatch, S_OK, handler},
      {IID_IDropTarget, S_OK, dropTarget},
      {IID_IDispatch, S_OK, handler},
      {IID_IUnknown, S_OK, handler},
      {IID_IDocHostUIHandler, E_NOINTERFACE, nullptr},
      {IID_IOleClientSite, E_NOINTERFACE, nullptr},
      {fw::IID_IAxWinHostWindow, E_NOINTERFACE, nullptr},
  };
  for (IUnknown* part : {static_cast<IUnknown*>(static_cast<IDropTarget*>(&page)),
                         static_cast<IUnknown*>(static_cast<fw::IDocHostUIHandlerDispatch*>(&page))}) {
    for (const auto& c : cases) {
      void* object = reinterpret_cast<void*>(1);
      EXPECT_EQ(part->QueryInterface(c.iid, &object), c.hr);
      EXPECT_EQ(object, c.object);
    }
    // Not counted: the object lives as long as the window.
    EXPECT_EQ(part->AddRef(), 1u);
    EXPECT_EQ(part->Release(), 1u);
    EXPECT_EQ(part->Release(), 1u);
  }
}

TEST(page_host_test, document_host_answers) {
  PageHost page;
  fw::IDocHostUIHandlerDispatch* handler = &page;
  const HRESULT preset = 0x12345678;

  DWORD flags = 0, doubleClick = 7;
  EXPECT_EQ(handler->GetHostInfo(&flags, &doubleClick), S_OK);
  EXPECT_EQ(flags, 0x0024000Cu);
  EXPECT_EQ(doubleClick, 7u);

  HRESULT menu = preset;
  EXPECT_EQ(handler->ShowContextMenu(0, 1, 2, nullptr, nullptr, &menu), S_OK);
  EXPECT_EQ(menu, preset);
  startedFromVipClient = 1;
  EXPECT_EQ(handler->ShowContextMenu(0, 1, 2, nullptr, nullptr, &menu), S_OK);
  EXPECT_EQ(menu, S_OK);
  startedFromVipClient = 0;

  IUnknown* replacement = nullptr;
  EXPECT_EQ(handler->GetDropTarget(nullptr, &replacement), E_NOTIMPL);  // and yet filled in
  EXPECT_EQ(replacement, static_cast<IDropTarget*>(&page));
  IDispatch* external = nullptr;
  EXPECT_EQ(handler->GetExternal(&external), S_OK);
  EXPECT_EQ(external, static_cast<IDispatch*>(handler));

  HRESULT shown = preset, translated = preset;
  BSTR text = nullptr;
  IUnknown* unknown = nullptr;
  UINT count = 9;
  ITypeInfo* info = nullptr;
  const HRESULT unsupported[] = {
      handler->GetTypeInfoCount(&count),
      handler->GetTypeInfo(0, 0, &info),
      handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr, &shown),
      handler->HideUI(),
      handler->UpdateUI(),
      handler->EnableModeless(VARIANT_TRUE),
      handler->OnDocWindowActivate(VARIANT_TRUE),
      handler->OnFrameWindowActivate(VARIANT_TRUE),
      handler->ResizeBorder(0, 0, 10, 10, nullptr, VARIANT_TRUE),
      handler->TranslateAccelerator(0, WM_KEYDOWN, VK_TAB, 0, nullptr, 0, &translated),
      handler->GetOptionKeyPath(&text, 0),
      handler->TranslateUrl(0, nullptr, &text),
      handler->FilterDataObject(nullptr, &unknown),
  };
  for (HRESULT hr : unsupported) EXPECT_EQ(hr, E_NOTIMPL);
  EXPECT_EQ(shown, preset);
  EXPECT_EQ(translated, preset);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(unknown, nullptr);
}

TEST(page_host_test, host_fills_the_window_below_the_caption) {
  auto& shared = test::Shared();
  const HWND host = shared.page.host.Handle();
  ASSERT_NE(host, nullptr);
  RECT expected{1, 26, 993, 626};
  RECT actual = ChildRect(host);
  EXPECT_TRUE(EqualRect(&actual, &expected));

  shared.page.ResizeBrowserHost(700, 500);
  actual = ChildRect(host);
  expected = RECT{1, 26, 699, 498};
  EXPECT_TRUE(EqualRect(&actual, &expected));
  shared.page.ResizeBrowserHost(1, 1);  // smaller than the frame: empty, not inverted
  actual = ChildRect(host);
  EXPECT_EQ(actual.right - actual.left, 0);
  EXPECT_EQ(actual.bottom - actual.top, 0);
  shared.page.ResizeBrowserHost(994, 628);

  VARIANT_BOOL silent = VARIANT_FALSE;
  ASSERT_TRUE(shared.page.browser);
  EXPECT_EQ(shared.page.browser->get_Silent(&silent), S_OK);
  EXPECT_EQ(silent, VARIANT_TRUE);
}

TEST(page_host_test, navigate_reaches_the_server_uncached) {
  auto& shared = test::Shared();
  const std::wstring url = shared.server.Url("/navigate");
  shared.page.Navigate(url);
  ASSERT_TRUE(test::PumpUntil([&] { return shared.server.Saw("/navigate"); }, 20000));
  EXPECT_TRUE(test::PumpUntil([&] { return LocationOf(shared.page.browser.Get()) == url; }, 5000))
      << "location: " << std::string(LocationOf(shared.page.browser.Get()).begin(),
                                     LocationOf(shared.page.browser.Get()).end());
  // Again: not answered from the cache.
  const size_t before = shared.server.Paths().size();
  shared.page.Navigate(url);
  EXPECT_TRUE(test::PumpUntil([&] { return shared.server.Paths().size() > before; }, 20000));

  // Without a document (this control renders nothing here) the page cannot be called.
  DISPPARAMS none{};
  VARIANT result;
  VariantInit(&result);
  EXPECT_TRUE(FAILED(shared.page.CallPageFunction(L"vodClientDragCallback", &none, &result)));
}

TEST(page_host_test, without_a_control_nothing_is_navigated_or_called) {
  test::ParentWindow parent;
  test::LoopbackServer server;
  PageHost page;
  page.CreateBrowserHost(parent.Handle(), L"{00000000-0000-0000-0000-00000000BEEF}");
  EXPECT_NE(page.host.Handle(), nullptr);
  EXPECT_FALSE(page.browser);
  page.Navigate(server.Url("/never"));
  test::Pump(300);
  EXPECT_TRUE(server.Paths().empty());
  DISPPARAMS none{};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(page.CallPageFunction(L"vodClientDragCallback", &none, &result), E_POINTER);
  page.DestroyBrowserHost();
  EXPECT_EQ(page.host.Handle(), nullptr);
  EXPECT_EQ(page.CallPageFunction(L"vodClientDragCallback", &none, &result), E_POINTER);
}

TEST(page_host_test, call_script_function_looks_up_and_invokes) {
  PageHost page;
  test::ScriptPage script(&page);
  ASSERT_TRUE(script.Run(L"var got = []; function record(a, b) { got.push(a + '|' + b); return got.length; }"))
      << std::string(script.Error().begin(), script.Error().end());
  VARIANT args[2];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  args[0].vt = VT_BSTR;  // the last argument
  args[0].bstrVal = SysAllocString(L"second");
  args[1].vt = VT_BSTR;
  args[1].bstrVal = SysAllocString(L"first");
  DISPPARAMS params{args, nullptr, 2, 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(PageHost::CallScriptFunction(script.Script(), L"record", &params, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 1);
  EXPECT_EQ(script.EvalText(L"got[0]"), L"first|second");
  EXPECT_TRUE(FAILED(PageHost::CallScriptFunction(script.Script(), L"missing", &params, &result)));
  EXPECT_TRUE(FAILED(PageHost::CallScriptFunction(script.Script(), L"Record", &params, &result)));
  EXPECT_EQ(PageHost::CallScriptFunction(nullptr, L"record", &params, &result), E_POINTER);
  VariantClear(&args[0]);
  VariantClear(&args[1]);
  VariantClear(&result);
}
