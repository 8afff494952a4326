// The main window as created under Wine: placement and style, a change of display scale, the
// middle button's name and the caption in and out of maximised, a press released outside, Escape,
// the pinned window's yield to full-screen windows, and the caption's tabs as the page drives
// them through window.external. Pixels and tips of the rest: the acceptance suite.
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>
#include <map>
#include <string>

#include "framework/app_module.h"
#include "framework/dpi.h"
#include "res/resource.h"
#include "tests/script_page.h"
#include "tests/win_pump.h"
#include "ui/main_window.h"

fw::AppModule fw::appModule;

namespace {

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Served between messages on the test's own thread: an empty page for each request.
struct LoopbackServer {
  LoopbackServer() {
    sockaddr_in address{};
    address.sin_family = AF_INET, address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), length);
    listen(listener, 8);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    u_long nonBlocking = 1;
    ioctlsocket(listener, FIONBIO, &nonBlocking);
  }
  std::wstring Url(const std::string& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port) + std::wstring(path.begin(), path.end());
  }
  long Hits(const std::string& path) {
    for (SOCKET client; (client = accept(listener, nullptr, nullptr)) != INVALID_SOCKET; closesocket(client)) {
      u_long blocking = 0;
      ioctlsocket(client, FIONBIO, &blocking);  // accepted sockets inherit the listener's mode
      char request[2048] = {};
      recv(client, request, sizeof request - 1, 0);  // the request line fits the first read
      ++hits[std::string(request + 4, strcspn(request + 4, " "))];  // after "GET "
      static const char reply[] = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html></html>";
      send(client, reply, sizeof reply - 1, 0);
    }
    return hits[path];
  }

  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  int port = 0;
  std::map<std::string, long> hits;
};

// Which frame of its strip a tab paints now; -1 if none.
int ShownFrame(HWND button, UINT artwork) {
  constexpr int kSize = 95 * 25;  // one tab; the button paints the top one, its strip's frames go below
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), 95, -25 * 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  SendMessageW(button, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
  const HIMAGELIST strip = fw::LoadImageStripAt(GetModuleHandleW(nullptr), artwork, 95, 25, 3);
  for (int frame = 0; frame < 3; ++frame) ImageList_Draw(strip, frame, dc, 0, 25 * (frame + 1), ILD_NORMAL);
  ImageList_Destroy(strip);
  GdiFlush();
  const DWORD* pixels = static_cast<const DWORD*>(bits);
  int shown = 2;
  while (shown >= 0 && !std::equal(pixels, pixels + kSize, pixels + kSize * (shown + 1))) --shown;
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  return shown;
}

class ui_window_test : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);  // the page's control, which the tabs navigate
    WSADATA sockets;
    WSAStartup(MAKEWORD(2, 2), &sockets);
    fw::appModule.Init(GetModuleHandleW(nullptr));
    fw::appModule.AddMessageLoop(&loop);
    window = main.Create();
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  static void TearDownTestSuite() {
    main.DestroyWindow();
    fw::appModule.RemoveMessageLoop();
    OleUninitialize();
  }
  void SetUp() override { ASSERT_NE(window, nullptr); }
  static HWND Button(UINT id) { return GetDlgItem(window, static_cast<int>(id)); }
  static HWND Host() { return FindWindowExW(window, nullptr, fw::kAxWinClass, nullptr); }
  // window.external as the page gets it: from the control's site, the document host's answer.
  static fw::ComPtr<IDispatch> External() {
    auto* site = reinterpret_cast<IUnknown*>(SendMessageW(Host(), fw::AxGetHostMessage(), 0, 0));
    fw::ComPtr<IDocHostUIHandler> ask;
    fw::ComPtr<IDispatch> external;
    if (site && SUCCEEDED(site->QueryInterface(IID_IDocHostUIHandler, ask.PutVoid()))) ask->GetExternal(external.Put());
    return external;
  }
  // The tabs as the user sees them, player then list: the frame each paints, then '*' if it is
  // the current one, which takes no clicks, and 'h' if the mouse over it shows the hand.
  static std::string Tabs() {
    std::string seen;
    for (const auto& [id, artwork] : {std::pair{ID_TAB_PLAYER, IDB_TAB_PLAYER}, {ID_TAB_LIST, IDB_TAB_LIST}}) {
      const HWND tab = Button(id);
      if (!tab) continue;
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      SendMessageW(tab, WM_SETCURSOR, WPARAM(tab), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      seen += (seen.empty() ? "" : " ") + std::to_string(ShownFrame(tab, artwork)) + (IsWindowEnabled(tab) ? "" : "*") +
              (GetCursor() == LoadCursorW(nullptr, IDC_HAND) ? "h" : "");
    }
    return seen;
  }

  static inline fw::MessageLoop loop;
  static inline MainWindow main;
  static inline HWND window = nullptr;
};

TEST_F(ui_window_test, opens_where_the_template_window_was_centred_with_its_style) {
  RECT r, area, dialog = {0, 0, 542, 361};
  GetWindowRect(window, &r);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  MapDialogRect(window, &dialog);
  EXPECT_EQ(r.left, area.left + (area.right - area.left - dialog.right) / 2);
  EXPECT_EQ(r.top, area.top + (area.bottom - area.top - dialog.bottom) / 2);
  // The template's style, and what the dialog manager adds (DS_3DLOOK, WS_EX_CONTROLPARENT...).
  const DWORD style = 0x86000240u | 0x020B0000u;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & (style | WS_CAPTION | WS_THICKFRAME), style);
}

// One display with one scale: the move to another is sent. At 192 DPI everything takes the
// 200 % figures at the suggested rectangle; back at 96 it is as it was.
TEST_F(ui_window_test, a_dpi_change_moves_to_the_suggested_rectangle_and_lays_out_again) {
  RECT before;
  GetWindowRect(window, &before);
  const struct Row { int dpi; RECT suggested; int button, buttonHeight, edge, border; } rows[] = {
      {192, {40, 30, 40 + 1988, 30 + 1256}, 56, 50, 2, 4}, {96, before, 28, 25, 1, 2}};
  for (const auto& r : rows) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(r.dpi, r.dpi), reinterpret_cast<LPARAM>(&r.suggested));
    RECT now{}, close{}, page{}, region{};
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &r.suggested)) << r.dpi << ": at " << now.left << "," << now.top;
    const int w = now.right - now.left, h = now.bottom - now.top;
    GetWindowRect(Button(SC_CLOSE), &close);
    EXPECT_EQ(close.left - now.left, w - r.button) << r.dpi;
    EXPECT_EQ(close.top - now.top, r.edge) << r.dpi;
    EXPECT_EQ(close.bottom - close.top, r.buttonHeight) << r.dpi;
    GetWindowRect(Host(), &page);
    EXPECT_EQ(page.top - now.top, r.edge + r.buttonHeight) << r.dpi;
    EXPECT_EQ(page.bottom - now.top, h - r.border) << r.dpi;
    GetWindowRgnBox(window, &region);
    EXPECT_EQ(region.right, w + r.border) << r.dpi;
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, r.dpi * 580 / 96) << r.dpi;
  }
}

// A press that leaves the pin before its release clicks nothing.
TEST_F(ui_window_test, a_press_released_outside_the_pin_pins_nothing) {
  SendMessageW(Button(ID_PIN), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(Button(ID_PIN), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
  SendMessageW(Button(ID_PIN), WM_LBUTTONUP, 0, MAKELPARAM(60, 5));
  EXPECT_FALSE(Topmost(window));
}

// Every way in and out of maximised: the middle button's name follows (what a screen reader
// announces; the acceptance suite reads the tip), and the caption drags only when not maximised.
TEST_F(ui_window_test, maximised_renames_the_middle_button_and_holds_the_caption_still) {
  const LPARAM click = reinterpret_cast<LPARAM>(Button(SC_MAXIMIZE));
  const struct Step { const char* label; UINT message; WPARAM wParam; LPARAM lParam; bool maximized; } steps[] = {
      {"SC_MAXIMIZE", WM_SYSCOMMAND, SC_MAXIMIZE, 0, true},
      {"the middle button", WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), click, false},
      {"a caption double-click", WM_NCLBUTTONDBLCLK, HTCAPTION, 0, true},
      {"the middle button again", WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), click, false}};
  for (const Step& s : steps) {
    SendMessageW(window, s.message, s.wParam, s.lParam);
    RECT r;
    GetWindowRect(window, &r);
    const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(r.left + 400, r.top + 12));
    wchar_t name[16] = {};
    GetWindowTextW(Button(SC_MAXIMIZE), name, 16);
    EXPECT_EQ(std::wstring(name), s.maximized ? L"还原" : L"最大化") << s.label;
    EXPECT_EQ(hit == HTCAPTION, !s.maximized) << s.label << ": hit " << hit;
  }
}

TEST_F(ui_window_test, escape_through_the_message_loop_leaves_the_window_open) {
  // Unfiltered, the dialog manager takes Escape for Cancel and ends the program, for example
  // while a video on the page is full screen.
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  PostQuitMessage(7);
  EXPECT_EQ(loop.Run(), 7);
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(ui_window_test, a_pinned_window_yields_to_full_screen_windows_and_comes_back) {
  struct Message { UINT message; WPARAM wParam; LPARAM lParam; };
  const Message pin{WM_COMMAND, MAKEWPARAM(ID_PIN, BN_CLICKED), LPARAM(Button(ID_PIN))}, unpin = pin,
      open{APPBAR_CALLBACK_MESSAGE, ABN_FULLSCREENAPP, 1}, close{APPBAR_CALLBACK_MESSAGE, ABN_FULLSCREENAPP, 0},
      otherNotice{APPBAR_CALLBACK_MESSAGE, ABN_STATECHANGE, 1};
  const struct Step { const Message& sent; bool topmost; } steps[] = {  // topmost after the message
      {open, false},  // not pinned: nothing
      {pin, true},   {open, false}, {open, false}, {close, true}, {otherNotice, true},
      // The yield outlives an unpin: pinned again, the next opening is taken as the one yielded to.
      {open, false}, {unpin, false}, {close, false}, {pin, true}, {open, true}, {close, true},
      {open, false}, {close, true}, {unpin, false},
  };
  for (const Step& s : steps) {
    SendMessageW(window, s.sent.message, s.sent.wParam, s.sent.lParam);
    EXPECT_EQ(Topmost(window), s.topmost) << "step " << &s - steps;
  }
}

// The page's first list makes the tabs, once; a click goes to the section's stored address.
// The current tab shows its frame and takes no clicks; the other one hovers and shows the hand.
// Laid out again at another scale, the current tab stays current.
TEST_F(ui_window_test, tabs_are_made_once_navigate_and_show_the_current_one) {
  LoopbackServer server;
  ScriptPage page(External().Get());
  auto clickAndServe = [&](UINT id, const std::string& path) {
    SendMessageW(Button(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(Button(id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(PumpUntil([&] { return server.Hits(path) == 1; })) << path;
  };
  const std::wstring nav = L"window.external.setVodClientNav([{id: 'player', url: '" + server.Url("/");
  EXPECT_TRUE(page.Run(nav + L"player-a'}, {id: 'list', url: '" + server.Url("/list-b") + L"'}]);"));
  const HWND list = Button(ID_TAB_LIST), player = Button(ID_TAB_PLAYER);
  ASSERT_TRUE(list && player);
  EXPECT_EQ(Tabs(), "2h 0h");  // fresh, "player" looks current but can still be clicked
  clickAndServe(ID_TAB_PLAYER, "/player-a");
  EXPECT_TRUE(page.Run(nav + L"player-c'}]);"));
  EXPECT_TRUE(Button(ID_TAB_LIST) == list && Button(ID_TAB_PLAYER) == player);  // the same buttons
  clickAndServe(ID_TAB_LIST, "/list-b");
  clickAndServe(ID_TAB_PLAYER, "/player-c");
  EXPECT_EQ(Tabs(), "2h 0h");  // a click does not change the current tab
  const struct Row { const wchar_t* name; const char* tabs; } rows[] = {
      {L"list", "0h 2*"}, {L"player", "2* 0h"}, {L"List", "2* 0h"}, {L"list", "0h 2*"}, {L"", "0h 2*"}};
  for (const Row& r : rows) {
    page.Run(std::wstring(L"window.external.setVodClientTab('") + r.name + L"');");
    EXPECT_EQ(Tabs(), r.tabs) << r.name;
  }
  SendMessageW(Button(ID_TAB_PLAYER), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Tabs(), "1h 2*");
  RECT at;
  GetWindowRect(window, &at);
  for (int dpi : {192, 96}) SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&at));
  EXPECT_EQ(Tabs(), "0h 2*");
}

// Last: the mode cannot be left. The tabs go with it, and the page makes none again.
TEST_F(ui_window_test, vip_mode_takes_the_tabs_away_for_good) {
  main.SetVipMode();
  ScriptPage(External().Get()).Run(L"window.external.setVodClientNav([{id: 'list', url: 'http://c/'}]);");
  EXPECT_EQ(Tabs(), "");
}

}  // namespace
