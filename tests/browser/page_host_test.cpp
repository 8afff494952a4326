// The page host with the real WebBrowser control and JScript standing in for the page:
// hosting and navigation, the document-host answers as the control asks them,
// window.external, the tab buttons, and what a hostile page can cost.
#include "tests/browser/browser_harness.h"

#include <commctrl.h>
#include <mshtmhst.h>

#include <array>
#include <gtest/gtest.h>
#include <map>

#include "app/vip_mode.h"
#include "browser/page_text.h"

namespace {

using Urls = std::map<std::wstring, std::wstring>;

std::array<LONG, 4> Box(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

// Which frame of its strip the button paints now; -1 if none.
int ShownFrame(TabButton& button) {
  auto render = [](auto draw) {
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), 95, -25, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 95 * 25);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return pixels;
  };
  const auto shown = render([&](HDC dc) { SendMessageW(button.Handle(), WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT); });
  for (int frame = 0; frame < 3; ++frame) {
    if (render([&](HDC dc) { ImageList_Draw(button.ImageList(), frame, dc, 0, 0, ILD_NORMAL); }) == shown) return frame;
  }
  return -1;
}

void Click(TabButton& button) {
  SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

// A page list that answers every name, claims two billion elements and fails every get.
struct FailingList : IDispatch {
  long gets = 0;
  STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    ids[0] = std::wstring(names[0]) == L"length" ? 0 : 1;
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
    ++gets;
    if (id != 0) return DISP_E_EXCEPTION;
    result->vt = VT_I4;
    result->lVal = 2000000000;
    return S_OK;
  }
};

}  // namespace

class page_host_test : public testing::Test {
 protected:
  void SetUp() override { page.CreateBrowserHost(parent, test::kNoControl); }  // a parent for the tabs
  void TearDown() override {
    startedFromVipClient = 0;
    test::tabTarget = nullptr;
  }
  void Run(const std::wstring& code) { EXPECT_TRUE(script.Run(code)); }

  static inline const HWND parent = test::MakeParent();
  PageHost page;
  test::ScriptPage script{&page};
};

TEST_F(page_host_test, webbrowser_hosted_below_the_caption_and_navigated) {
  auto& shared = test::Shared();
  const HWND host = shared.page.host.Handle();
  ASSERT_TRUE(host && shared.page.browser);
  wchar_t name[32] = {};
  GetClassNameW(host, name, 32);
  EXPECT_STREQ(name, L"AtlAxWin71");
  EXPECT_EQ(GetWindowLongW(host, GWL_STYLE) & 0xFFFF0000L, 0x54000000L);
  VARIANT_BOOL silent = VARIANT_FALSE;
  shared.page.browser->get_Silent(&silent);
  EXPECT_EQ(silent, VARIANT_TRUE);

  EXPECT_EQ(Box(host), (std::array<LONG, 4>{1, 26, 993, 626}));
  shared.page.ResizeBrowserHost(700, 500);
  EXPECT_EQ(Box(host), (std::array<LONG, 4>{1, 26, 699, 498}));
  RECT client;
  GetClientRect(host, &client);
  EXPECT_EQ(Box(GetWindow(host, GW_CHILD)), (std::array<LONG, 4>{0, 0, client.right, client.bottom}));  // in place
  shared.page.ResizeBrowserHost(1, 1);  // smaller than the frame: empty, not inverted
  EXPECT_EQ(Box(host), (std::array<LONG, 4>{1, 26, 1, 26}));
  shared.page.ResizeBrowserHost(994, 628);

  shared.page.Navigate(shared.server.Url("/start"));
  EXPECT_TRUE(test::PumpUntil([&] { return shared.server.Hits("/start") == 1; }));
  DISPPARAMS none{};
  VARIANT result{};
  EXPECT_TRUE(FAILED(shared.page.CallPageFunction(L"vodClientDragCallback", &none, &result)));  // no document here
}

TEST_F(page_host_test, document_host_answers_as_the_control_asks_them) {
  auto& shared = test::Shared();
  fw::ComPtr<IOleObject> control;
  fw::ComPtr<IOleClientSite> site;
  fw::ComPtr<IDocHostUIHandler> ask;
  ASSERT_EQ(shared.page.browser.As(IID_IOleObject, control), S_OK);
  ASSERT_EQ(control->GetClientSite(site.Put()), S_OK);
  ASSERT_EQ(site.As(IID_IDocHostUIHandler, ask), S_OK);

  DOCHOSTUIINFO info{sizeof info, 0, 0, nullptr, nullptr};
  fw::ComPtr<IDropTarget> dropTarget;
  fw::ComPtr<IDispatch> external;
  POINT point{10, 10};
  MSG key{nullptr, WM_KEYDOWN, 'A', 0, 0, {}};
  LPWSTR url = nullptr;
  IDataObject* filtered = nullptr;
  const struct {
    const char* what;
    std::function<HRESULT()> call;
    HRESULT hr;
    int vip;
  } cases[] = {
      {"host info", [&] { return ask->GetHostInfo(&info); }, S_OK, 0},
      {"the page's own menu", [&] { return ask->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr); },
       S_FALSE, 0},
      {"no menu in VIP mode", [&] { return ask->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr); },
       S_OK, 1},
      {"drop target", [&] { return ask->GetDropTarget(nullptr, dropTarget.Put()); }, S_OK, 0},
      {"external", [&] { return ask->GetExternal(external.Put()); }, S_OK, 0},
      // What the window leaves open the control does itself.
      {"UI", [&] { return ask->ShowUI(DOCHOSTUITYPE_BROWSE, nullptr, nullptr, nullptr, nullptr); }, S_FALSE, 0},
      {"keys", [&] { return ask->TranslateAccelerator(&key, &IID_IUnknown, 0); }, S_FALSE, 0},
      {"url", [&] { return ask->TranslateUrl(0, const_cast<LPWSTR>(L"http://a/"), &url); }, S_FALSE, 0},
      {"data", [&] { return ask->FilterDataObject(nullptr, &filtered); }, S_FALSE, 0},
  };
  for (const auto& c : cases) {
    startedFromVipClient = c.vip;
    EXPECT_EQ(c.call(), c.hr) << c.what;
  }
  EXPECT_EQ(info.dwFlags, 0x0024000Cu);  // no borders, no scroll bars, themed controls
  EXPECT_EQ(info.dwDoubleClick, DWORD(DOCHOSTUIDBLCLK_DEFAULT));
  EXPECT_EQ(dropTarget.Get(), static_cast<IDropTarget*>(&shared.page));
  EXPECT_EQ(external.Get(), static_cast<fw::IDocHostUIHandlerDispatch*>(&shared.page));
  EXPECT_TRUE(!url && !filtered);
}

TEST_F(page_host_test, without_a_control_nothing_is_navigated_or_called) {
  EXPECT_TRUE(page.host.Handle() && !page.browser);
  page.Navigate(L"http://127.0.0.1:9/");
  DISPPARAMS none{};
  VARIANT result{};
  EXPECT_EQ(page.CallPageFunction(L"vodClientDragCallback", &none, &result), E_POINTER);
}

TEST_F(page_host_test, version_and_case_sensitive_names_as_the_script_sees_them) {
  Run(L"var called = window.external.getVodClientVer(), read = window.external.getVodClientVer, failed = [];"
      L"var names = ['setVodClientTab', 'SetVodClientTab', 'setvodclienttab', 'setVodClientTa'];"
      L"for (var i in names) try { window.external[names[i]]('list'); } catch (e) { failed.push(names[i]); }");
  EXPECT_EQ(script.Eval(L"called + ' ' + read"), L"1.0.2.3 1.0.2.3");
  EXPECT_EQ(script.Eval(L"failed.join()"), L"SetVodClientTab,setvodclienttab,setVodClientTa");
}

TEST_F(page_host_test, nav_items_make_the_buttons_once) {
  Run(L"window.external.setVodClientNav([{id: 'player', url: 'http://a/', islink: true},"
      L"                                 {id: 'list', url: 'http://b/', islink: false}]);");
  EXPECT_EQ(page.navUrls, (Urls{{L"list", L"http://b/"}, {L"player", L"http://a/"}}));
  ASSERT_TRUE(page.listTab && page.playerTab);
  const HWND list = page.listTab->Handle(), player = page.playerTab->Handle();
  EXPECT_EQ(Box(list), (std::array<LONG, 4>{40, 0, 135, 25}));
  EXPECT_EQ(Box(player), (std::array<LONG, 4>{135, 0, 230, 25}));
  EXPECT_EQ(GetDlgCtrlID(list), ID_TAB_LIST);
  EXPECT_EQ(GetDlgCtrlID(player), ID_TAB_PLAYER);
  // Fresh, "player" looks current but can still be clicked.
  EXPECT_EQ(ShownFrame(*page.playerTab), 2);
  EXPECT_EQ(ShownFrame(*page.listTab), 0);
  EXPECT_TRUE(IsWindowEnabled(player));

  Run(L"window.external.setVodClientNav([{id: 'player', url: 'http://c/'}]);");
  EXPECT_EQ(page.navUrls, (Urls{{L"list", L"http://b/"}, {L"player", L"http://c/"}}));
  EXPECT_EQ(page.listTab->Handle(), list);
  EXPECT_EQ(page.playerTab->Handle(), player);
}

TEST_F(page_host_test, nav_arguments_that_are_no_list_of_items) {
  const struct {
    const wchar_t* argument;
    bool buttons;
    Urls urls;
  } cases[] = {
      {L"5", false, {}},
      {L"'http://a/'", false, {}},
      {L"null", false, {}},
      {L"[]", true, {}},
      {L"{}", true, {}},  // neither "length" nor type information
      {L"[{id: 7, url: 'http://n/'}, {id: 'list', url: 8}]", true, {{L"", L"http://n/"}, {L"list", L""}}},
      {L"[3, 'x']", true, {{L"", L""}}},
      {L"[{id: 'list', url: new Array(5000).join('u')}]", true, {{L"list", L""}}},  // too long for an address
  };
  for (const auto& c : cases) {
    PageHost fresh;
    fresh.CreateBrowserHost(parent, test::kNoControl);
    test::ScriptPage freshScript(&fresh);
    EXPECT_TRUE(freshScript.Run(std::wstring(L"window.external.setVodClientNav(") + c.argument + L");"));
    EXPECT_EQ(fresh.navUrls, c.urls);
    EXPECT_EQ(fresh.playerTab && fresh.playerTab->Handle(), c.buttons);
  }
}

TEST_F(page_host_test, select_tab_enables_and_shows_frames) {
  Run(L"window.external.setVodClientNav([]);");
  ASSERT_TRUE(page.listTab && page.playerTab);
  const struct {
    const wchar_t* name;
    bool playerEnabled;
    int playerFrame;
    int listFrame;
  } cases[] = {{L"list", true, 0, 2},   {L"player", false, 2, 0}, {L"other", false, 2, 0},
               {L"List", false, 2, 0},  {L"list", true, 0, 2},    {L"", true, 0, 2}};
  for (const auto& c : cases) {
    Run(std::wstring(L"window.external.setVodClientTab('") + c.name + L"');");
    EXPECT_EQ(IsWindowEnabled(page.playerTab->Handle()) != FALSE, c.playerEnabled);
    EXPECT_EQ(IsWindowEnabled(page.listTab->Handle()) != FALSE, !c.playerEnabled);
    EXPECT_EQ(ShownFrame(*page.playerTab), c.playerFrame);
    EXPECT_EQ(ShownFrame(*page.listTab), c.listFrame);
  }
  SendMessageW(page.playerTab->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(ShownFrame(*page.playerTab), 1);
  // The hand only over the tab that can be clicked.
  for (TabButton* tab : {page.playerTab.get(), page.listTab.get()}) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(tab->Handle(), WM_SETCURSOR, WPARAM(tab->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, tab == page.playerTab.get() ? IDC_HAND : IDC_ARROW));
  }
}

TEST_F(page_host_test, clicks_navigate_to_the_stored_urls) {
  auto& shared = test::Shared();
  test::tabTarget = &shared.page;
  test::ScriptPage sharedScript(&shared.page);
  auto nav = [&](const std::string& player, const std::string& list) {
    std::wstring items = L"{id: 'player', url: '" + shared.server.Url(player) + L"'}";
    if (!list.empty()) items += L", {id: 'list', url: '" + shared.server.Url(list) + L"'}";
    EXPECT_TRUE(sharedScript.Run(L"window.external.setVodClientNav([" + items + L"]);"));
  };
  nav("/player-a", "/list-b");
  ASSERT_TRUE(shared.page.playerTab && shared.page.listTab);
  Click(*shared.page.playerTab);
  EXPECT_TRUE(test::PumpUntil([&] { return shared.server.Hits("/player-a") == 1; }));
  nav("/player-c", "");
  Click(*shared.page.listTab);
  EXPECT_TRUE(test::PumpUntil([&] { return shared.server.Hits("/list-b") == 1; }));
  Click(*shared.page.playerTab);
  EXPECT_TRUE(test::PumpUntil([&] { return shared.server.Hits("/player-c") == 1; }));
  EXPECT_TRUE(IsWindowEnabled(shared.page.playerTab->Handle()));  // a click does not change the current tab
}

TEST_F(page_host_test, vip_mode_methods_do_nothing) {
  startedFromVipClient = 1;
  Run(L"var version = window.external.getVodClientVer();"
      L"window.external.setVodClientNav([{id: 'list', url: 'http://b/'}]); window.external.setVodClientTab('list');");
  EXPECT_EQ(script.Eval(L"typeof version"), L"undefined");
  EXPECT_TRUE(page.navUrls.empty());
  EXPECT_FALSE(page.listTab);
}

TEST_F(page_host_test, missing_or_wrong_arguments_touch_nothing) {
  Run(L"window.external.setVodClientNav([{id: 'list', url: 'http://b/'}]); window.external.setVodClientTab('list');"
      L"var threw = 0; try { window.external.setVodClientTab(); } catch (e) { ++threw; }"
      L"try { window.external.setVodClientNav(); } catch (e) { ++threw; }"
      L"window.external.setVodClientTab(5); window.external.setVodClientTab(null);"
      L"window.external.setVodClientTab({toString: function () { return 'player'; }});");
  EXPECT_EQ(script.Eval(L"threw"), L"2");
  ASSERT_TRUE(page.listTab);
  EXPECT_FALSE(IsWindowEnabled(page.listTab->Handle()));  // still "list"
  EXPECT_EQ(page.navUrls, (Urls{{L"list", L"http://b/"}}));
  // An argument array that is there but not counted is not read.
  VARIANT poison{};
  poison.vt = VT_BSTR;
  poison.bstrVal = SysAllocString(L"player");
  DISPPARAMS uncounted{&poison, nullptr, 0, 0};
  EXPECT_EQ(page.Invoke(DISPID_SETVODCLIENTTAB, IID_NULL, 0, DISPATCH_METHOD, &uncounted, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_FALSE(IsWindowEnabled(page.listTab->Handle()));
  VariantClear(&poison);
}

TEST_F(page_host_test, hostile_lists_cost_bounded_work_and_memory) {
  Run(L"window.external.setVodClientNav({length: 2000000000});"
      L"var sparse = []; sparse.length = 2000000000; window.external.setVodClientNav(sparse);"
      L"window.external.setVodClientNav({length: -1, 0: {id: 'list', url: 'http://b/'}});"
      L"for (var call = 0; call < 2; ++call) {"
      L"  var items = []; for (var i = 0; i < 200; ++i) items.push({id: call + '-' + i, url: 'u'});"
      L"  window.external.setVodClientNav(items); }");
  EXPECT_EQ(page.navUrls.size(), kMaxNavEntries);  // ever new ids: the table stops growing
  EXPECT_EQ(page.navUrls.at(L"list"), L"http://b/");
  FailingList list;
  VARIANT items{};
  items.vt = VT_DISPATCH;
  items.pdispVal = &list;
  page.SetNavItems(items);
  EXPECT_LE(list.gets, 1 + long(kMaxNavItems));  // the length, then one failing get an element
}

TEST_F(page_host_test, shipped_page_script_drives_the_window) {
  ASSERT_TRUE(script.Run(test::BridgeScript()));
  Run(L"var shown = []; bridge.start('res://k.exe/bridge.html#player', {show: function (b) {"
      L"  shown.push(b.tab + ' ' + b.version); }});");
  EXPECT_EQ(page.navUrls, (Urls{{L"list", L"res://k.exe/bridge.html#list"}, {L"player", L"res://k.exe/bridge.html#player"}}));
  ASSERT_TRUE(page.playerTab && page.listTab);
  EXPECT_FALSE(IsWindowEnabled(page.playerTab->Handle()));
  Run(L"bridge.select('res://k.exe/bridge.html#list');");
  EXPECT_FALSE(IsWindowEnabled(page.listTab->Handle()));
  EXPECT_EQ(script.Eval(L"shown.join()"), L"player 1.0.2.3,list 1.0.2.3");
}

// One OLE apartment for the run, and the shared WebBrowser page destroyed once at its end.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  fw::AxWinInit();
  const int result = RUN_ALL_TESTS();
  if (test::shared) test::shared->page.DestroyBrowserHost();
  OleUninitialize();
  return result;
}
