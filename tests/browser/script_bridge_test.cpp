// window.external as a script sees it (JScript stands in for the page), the tab buttons
// it makes, and what a hostile page can and cannot cost.
#include <gtest/gtest.h>

#include "app/vip_mode.h"
#include "browser/page_text.h"
#include "tests/browser/browser_support.h"

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Which frame of its strip the button shows now, read from its own painting; -1 if none.
int ShownFrame(TabButton& button) {
  const HDC screen = GetDC(nullptr);
  auto render = [&](auto draw) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 95;
    info.bmiHeader.biHeight = -25;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 95 * 25);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return pixels;
  };
  const auto shown = render([&](HDC dc) { SendMessageW(button.Handle(), WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT); });
  int frame = -1;
  for (int i = 0; i < 3 && frame < 0; ++i) {
    if (render([&](HDC dc) { ImageList_Draw(button.ImageList(), i, dc, 0, 0, ILD_NORMAL); }) == shown) frame = i;
  }
  ReleaseDC(nullptr, screen);
  return frame;
}

void Click(TabButton& button) {
  SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

class script_bridge_test : public testing::Test {
 protected:
  void SetUp() override {
    parent.RouteTabCommandsTo(&page);
    page.CreateBrowserHost(parent.Handle(), L"{00000000-0000-0000-0000-00000000BEEF}");  // no control needed
  }
  void TearDown() override { startedFromVipClient = 0; }

  bool Run(const std::wstring& code) {
    const bool ok = script.Run(code);
    EXPECT_TRUE(ok) << Narrow(script.Error());
    return ok;
  }
  HRESULT InvokeExternal(DISPID id, DISPPARAMS* params, VARIANT* result = nullptr) {
    return page.Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, result, nullptr, nullptr);
  }

  test::ParentWindow parent;
  PageHost page;
  test::ScriptPage script{&page};
};

// A page object that answers every name and fails or lies on every get.
class HostileList : public IDispatch {
 public:
  enum Kind { kFailingGets, kNumbers, kDistinctIds };
  explicit HostileList(Kind kind) : kind(kind) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    const std::wstring name = names[0];
    ids[0] = name == L"length" ? 0 : name == L"id" ? 2 : name == L"url" ? 3 : name == L"islink" ? 4 : 1;
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
    ++gets;
    if (id == 0) {
      result->vt = VT_I4;
      result->lVal = 2000000000;
      return S_OK;
    }
    switch (kind) {
      case kFailingGets:
        return DISP_E_EXCEPTION;
      case kNumbers:
        result->vt = VT_R8;
        result->dblVal = 1.5;
        return S_OK;
      case kDistinctIds:
        if (id == 1) {
          result->vt = VT_DISPATCH;
          result->pdispVal = this;
        } else {
          result->vt = VT_BSTR;
          result->bstrVal = SysAllocString(std::to_wstring(++nextId).c_str());
        }
        return S_OK;
    }
    return E_FAIL;
  }

  Kind kind;
  long gets = 0;
  long nextId = 0;
};

}  // namespace

TEST_F(script_bridge_test, version_by_call_and_by_read) {
  Run(L"var called = window.external.getVodClientVer(); var read = window.external.getVodClientVer;");
  EXPECT_EQ(script.EvalText(L"called"), L"1.0.2.3");
  EXPECT_EQ(script.EvalText(L"read"), L"1.0.2.3");
}

TEST_F(script_bridge_test, names_are_case_sensitive) {
  const struct {
    const wchar_t* name;
    HRESULT hr;
    DISPID id;
  } cases[] = {{L"setVodClientNav", S_OK, 1},     {L"getVodClientVer", S_OK, 2},   {L"setVodClientTab", S_OK, 3},
               {L"SetVodClientTab", E_NOTIMPL, -7}, {L"setvodclienttab", E_NOTIMPL, -7},
               {L"setVodClientTa", E_NOTIMPL, -7},  {L"setVodClientTabs", E_NOTIMPL, -7}, {L"", E_NOTIMPL, -7}};
  for (const auto& c : cases) {
    LPOLESTR names[2] = {const_cast<LPOLESTR>(c.name), const_cast<LPOLESTR>(L"ignored")};
    DISPID ids[2] = {-7, -7};
    EXPECT_EQ(page.GetIDsOfNames(IID_NULL, names, 2, 0, ids), c.hr) << Narrow(c.name);
    EXPECT_EQ(ids[0], c.id) << Narrow(c.name);
    EXPECT_EQ(ids[1], -7);
  }
  // The script sees the failure.
  Run(L"var outcome = 'returned'; try { window.external.SetVodClientTab('list'); } catch (e) { outcome = 'threw'; }");
  EXPECT_EQ(script.EvalText(L"outcome"), L"threw");
}

TEST_F(script_bridge_test, nav_items_make_the_buttons_once) {
  Run(L"window.external.setVodClientNav([{id: 'player', url: 'http://a/', islink: true},"
      L"                                 {id: 'list', url: 'http://b/', islink: false}]);");
  EXPECT_EQ(page.navUrls, (std::map<std::wstring, std::wstring>{{L"list", L"http://b/"}, {L"player", L"http://a/"}}));
  ASSERT_TRUE(page.listTab && page.playerTab);
  const HWND list = page.listTab->Handle(), player = page.playerTab->Handle();
  ASSERT_TRUE(list && player);
  const RECT listRect = ChildRect(list), playerRect = ChildRect(player);
  const RECT wantList{40, 0, 135, 25}, wantPlayer{135, 0, 230, 25};
  EXPECT_TRUE(EqualRect(&listRect, &wantList));
  EXPECT_TRUE(EqualRect(&playerRect, &wantPlayer));
  EXPECT_EQ(GetDlgCtrlID(list), 0x8012);
  EXPECT_EQ(GetDlgCtrlID(player), 0x8011);
  EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
  // Fresh: "player" looks current but is still enabled.
  EXPECT_EQ(ShownFrame(*page.playerTab), 2);
  EXPECT_EQ(ShownFrame(*page.listTab), 0);
  EXPECT_TRUE(IsWindowEnabled(player));

  // A second list changes only the urls it names; no new buttons.
  Run(L"window.external.setVodClientNav([{id: 'player', url: 'http://c/'}]);");
  EXPECT_EQ(page.navUrls, (std::map<std::wstring, std::wstring>{{L"list", L"http://b/"}, {L"player", L"http://c/"}}));
  EXPECT_EQ(page.listTab->Handle(), list);
  EXPECT_EQ(page.playerTab->Handle(), player);
}

TEST_F(script_bridge_test, nav_arguments_that_are_no_list) {
  const struct {
    const wchar_t* argument;
    bool buttons;
    std::map<std::wstring, std::wstring> urls;
  } cases[] = {
      {L"5", false, {}},
      {L"'http://a/'", false, {}},
      {L"null", false, {}},
      {L"[]", true, {}},
      {L"{}", true, {}},  // no "length" and no type information: nothing read
      // Wrong types stay empty; elements that are no objects store an empty entry.
      {L"[{id: 7, url: 'http://n/'}, {id: 'list', url: 8}]", true, {{L"", L"http://n/"}, {L"list", L""}}},
      {L"[3, 'x']", true, {{L"", L""}}},
      {L"[{id: 'list', url: new Array(5000).join('u')}]", true, {{L"list", L""}}},  // too long to be an address
  };
  for (const auto& c : cases) {
    PageHost fresh;
    fresh.CreateBrowserHost(parent.Handle(), L"{00000000-0000-0000-0000-00000000BEEF}");
    test::ScriptPage freshScript(&fresh);
    ASSERT_TRUE(freshScript.Run(std::wstring(L"window.external.setVodClientNav(") + c.argument + L");"))
        << Narrow(c.argument);
    EXPECT_EQ(fresh.navUrls, c.urls) << Narrow(c.argument);
    EXPECT_EQ(fresh.playerTab != nullptr && fresh.playerTab->Handle() != nullptr, c.buttons) << Narrow(c.argument);
  }
}

TEST_F(script_bridge_test, select_tab_enables_disables_and_images) {
  Run(L"window.external.setVodClientTab('list');");  // before the buttons: nothing
  EXPECT_FALSE(page.listTab);
  Run(L"window.external.setVodClientNav([]);");
  ASSERT_TRUE(page.listTab && page.playerTab);
  const struct {
    const wchar_t* name;
    bool playerEnabled;
    int playerFrame;
    bool listEnabled;
    int listFrame;
  } cases[] = {
      {L"list", true, 0, false, 2},   {L"player", false, 2, true, 0}, {L"other", false, 2, true, 0},
      {L"List", false, 2, true, 0},   {L"list", true, 0, false, 2},   {L"", true, 0, false, 2},
  };
  for (const auto& c : cases) {
    Run(std::wstring(L"window.external.setVodClientTab('") + c.name + L"');");
    EXPECT_EQ(IsWindowEnabled(page.playerTab->Handle()) != FALSE, c.playerEnabled) << Narrow(c.name);
    EXPECT_EQ(IsWindowEnabled(page.listTab->Handle()) != FALSE, c.listEnabled) << Narrow(c.name);
    EXPECT_EQ(ShownFrame(*page.playerTab), c.playerFrame) << Narrow(c.name);
    EXPECT_EQ(ShownFrame(*page.listTab), c.listFrame) << Narrow(c.name);
  }
  // The other tab lights up under the mouse.
  SendMessageW(page.playerTab->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(ShownFrame(*page.playerTab), 1);
}

TEST_F(script_bridge_test, hand_cursor_only_while_enabled) {
  Run(L"window.external.setVodClientNav([]); window.external.setVodClientTab('list');");
  ASSERT_TRUE(page.listTab && page.playerTab);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), hand = LoadCursorW(nullptr, IDC_HAND);
  const struct {
    TabButton* button;
    HCURSOR after;
  } cases[] = {{page.playerTab.get(), hand}, {page.listTab.get(), arrow}};
  for (const auto& c : cases) {
    SetCursor(arrow);
    const HWND button = c.button->Handle();
    EXPECT_EQ(SendMessageW(button, WM_SETCURSOR, WPARAM(button), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), c.after);
  }
}

TEST_F(script_bridge_test, clicks_navigate_to_the_stored_urls) {
  auto& shared = test::Shared();
  shared.parent.RouteTabCommandsTo(&shared.page);
  test::ScriptPage sharedScript(&shared.page);
  const std::wstring a = shared.server.Url("/tab-player-a"), b = shared.server.Url("/tab-list-b");
  const std::wstring c = shared.server.Url("/tab-player-c");
  ASSERT_TRUE(sharedScript.Run(L"window.external.setVodClientNav([{id: 'player', url: '" + a + L"'}, {id: 'list', url: '" +
                               b + L"'}]);"));
  ASSERT_TRUE(shared.page.playerTab && shared.page.listTab);
  Click(*shared.page.playerTab);
  EXPECT_TRUE(test::PumpUntil([&] { return shared.server.Saw("/tab-player-a"); }, 20000));
  ASSERT_TRUE(sharedScript.Run(L"window.external.setVodClientNav([{id: 'player', url: '" + c + L"'}]);"));
  Click(*shared.page.listTab);
  EXPECT_TRUE(test::PumpUntil([&] { return shared.server.Saw("/tab-list-b"); }, 20000));
  Click(*shared.page.playerTab);
  EXPECT_TRUE(test::PumpUntil([&] { return shared.server.Saw("/tab-player-c"); }, 20000));
  // Clicking does not change the current tab.
  EXPECT_TRUE(IsWindowEnabled(shared.page.playerTab->Handle()));
  EXPECT_TRUE(IsWindowEnabled(shared.page.listTab->Handle()));
  shared.parent.RouteTabCommandsTo(nullptr);
}

TEST_F(script_bridge_test, vip_mode_methods_do_nothing) {
  startedFromVipClient = 1;
  Run(L"var version = window.external.getVodClientVer();"
      L"window.external.setVodClientNav([{id: 'list', url: 'http://b/'}]);"
      L"window.external.setVodClientTab('list');");
  EXPECT_TRUE(script.EvalBool(L"typeof version === 'undefined'"));
  EXPECT_TRUE(page.navUrls.empty());
  EXPECT_FALSE(page.listTab);
  page.CreateTabButtons();
  EXPECT_FALSE(page.listTab);
}

TEST_F(script_bridge_test, missing_or_wrong_arguments_touch_nothing) {
  Run(L"window.external.setVodClientNav([{id: 'list', url: 'http://b/'}]); window.external.setVodClientTab('list');");
  ASSERT_TRUE(page.listTab);
  // rgvarg is there but not counted: it must not be read.
  VARIANT poison;
  VariantInit(&poison);
  poison.vt = VT_BSTR;
  poison.bstrVal = SysAllocString(L"player");
  DISPPARAMS uncounted{&poison, nullptr, 0, 0};
  DISPPARAMS missing{nullptr, nullptr, 1, 0};
  EXPECT_EQ(InvokeExternal(DISPID_SETVODCLIENTTAB, &uncounted), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(InvokeExternal(DISPID_SETVODCLIENTTAB, &missing), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(InvokeExternal(DISPID_SETVODCLIENTNAV, &uncounted), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(InvokeExternal(DISPID_SETVODCLIENTNAV, nullptr), E_INVALIDARG);
  EXPECT_EQ(InvokeExternal(0, &uncounted), E_NOTIMPL);
  EXPECT_EQ(InvokeExternal(4, &uncounted), E_NOTIMPL);
  VARIANT version;
  VariantInit(&version);
  EXPECT_EQ(InvokeExternal(DISPID_GETVODCLIENTVER, &uncounted, &version), S_OK);  // needs no argument
  EXPECT_EQ(std::wstring(version.bstrVal), L"1.0.2.3");
  VariantClear(&version);
  VariantClear(&poison);

  Run(L"var threw = false; try { window.external.setVodClientTab(); } catch (e) { threw = true; }"
      L"window.external.setVodClientTab(5); window.external.setVodClientTab(null);"
      L"window.external.setVodClientTab({toString: function () { return 'player'; }});");
  EXPECT_TRUE(script.EvalBool(L"threw"));
  EXPECT_FALSE(IsWindowEnabled(page.listTab->Handle()));  // still "list"
  EXPECT_TRUE(IsWindowEnabled(page.playerTab->Handle()));
  EXPECT_EQ(page.navUrls.size(), 1u);
}

TEST_F(script_bridge_test, hostile_lists_cost_bounded_time_and_memory) {
  const DWORD start = GetTickCount();
  Run(L"window.external.setVodClientNav({length: 2000000000});"
      L"var sparse = []; sparse.length = 2000000000; window.external.setVodClientNav(sparse);"
      L"window.external.setVodClientNav({length: -1, 0: {id: 'list', url: 'http://b/'}});");
  EXPECT_EQ(page.navUrls, (std::map<std::wstring, std::wstring>{{L"list", L"http://b/"}}));

  for (auto kind : {HostileList::kFailingGets, HostileList::kNumbers}) {
    HostileList list(kind);
    VARIANT items;
    items.vt = VT_DISPATCH;
    items.pdispVal = &list;
    page.SetNavItems(items);
    // One get for the length, at most four per element read.
    EXPECT_LE(list.gets, 1 + 4 * long(kMaxNavItems));
  }
  EXPECT_EQ(page.navUrls.size(), 2u);  // the failing gets stored nothing; the numbers one empty entry

  // Ever new ids, call after call: the table stops growing.
  HostileList ids(HostileList::kDistinctIds);
  for (int call = 0; call < 5; ++call) {  // 1280 new ids offered
    VARIANT items;
    items.vt = VT_DISPATCH;
    items.pdispVal = &ids;
    page.SetNavItems(items);
  }
  EXPECT_LE(page.navUrls.size(), kMaxNavEntries);
  EXPECT_EQ(page.navUrls.at(L"list"), L"http://b/");
  EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(script_bridge_test, shipped_page_script_drives_the_window) {
  const std::wstring bridge = test::BridgeScript();
  ASSERT_FALSE(bridge.empty());
  ASSERT_TRUE(Run(bridge));
  Run(L"var shown = []; var view = {show: function (b) { shown.push(b.tab + ' ' + b.version); }};"
      L"bridge.start('res://C:\\\\kestrelpane.exe/bridge.html#player', view);");
  EXPECT_EQ(page.navUrls, (std::map<std::wstring, std::wstring>{{L"list", L"res://C:\\kestrelpane.exe/bridge.html#list"},
                                                              {L"player", L"res://C:\\kestrelpane.exe/bridge.html#player"}}));
  ASSERT_TRUE(page.playerTab && page.listTab);
  EXPECT_FALSE(IsWindowEnabled(page.playerTab->Handle()));
  EXPECT_EQ(script.EvalText(L"shown.join(';')"), L"player 1.0.2.3");
  Run(L"bridge.select('res://C:\\\\kestrelpane.exe/bridge.html#list');");
  EXPECT_FALSE(IsWindowEnabled(page.listTab->Handle()));
  EXPECT_TRUE(IsWindowEnabled(page.playerTab->Handle()));
  EXPECT_EQ(script.EvalText(L"shown[1]"), L"list 1.0.2.3");
}
