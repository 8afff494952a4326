// The main window as created under Wine: placement, styles, region, caption buttons and
// tips, pin-on-top, the full-screen yield, and the dispatch of start-up and relayed command
// lines through the system's own splitter. Its pixels are read back by the acceptance suite.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/shell_app.h"
#include "app/vip_mode.h"
#include "framework/app_module.h"
#include "res/resource.h"

fw::AppModule fw::appModule;

namespace {

std::wstring Tip(HWND tips, HWND owner, HWND button) {
  wchar_t text[80] = {};
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(button);
  tool.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  return text;
}

std::wstring WindowText(HWND window) {
  wchar_t text[1100] = {};
  GetWindowTextW(window, text, 1100);
  return text;
}

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Runs what is queued; true when a quit was among it.
bool DrainQuit() {
  bool quit = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) quit = true;
    DispatchMessageW(&msg);
  }
  return quit;
}

class main_window : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    fw::appModule.Init(GetModuleHandleW(nullptr));
    fw::appModule.AddMessageLoop(&loop);
    app = new ShellApp();
    window = app->Window().Create();
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  static void TearDownTestSuite() {
    app->Window().DestroyWindow();
    fw::appModule.RemoveMessageLoop();
  }
  void SetUp() override {
    ASSERT_NE(window, nullptr);
    startedFromVipClient = 0;
  }
  MainWindow& Main() { return app->Window(); }
  HWND Button(UINT id) { return Main().FindButton(id)->Handle(); }

  static fw::MessageLoop loop;
  static ShellApp* app;
  static HWND window;
};
fw::MessageLoop main_window::loop;
ShellApp* main_window::app;
HWND main_window::window;

TEST_F(main_window, opens_at_994_by_628_where_the_template_window_was_centred) {
  RECT r, area, dialog = {0, 0, 542, 361};
  GetWindowRect(window, &r);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  MapDialogRect(window, &dialog);
  EXPECT_EQ(r.right - r.left, 994);
  EXPECT_EQ(r.bottom - r.top, 628);
  EXPECT_EQ(r.left, area.left + (area.right - area.left - dialog.right) / 2);
  EXPECT_EQ(r.top, area.top + (area.bottom - area.top - dialog.bottom) / 2);
  // The template's style, and what the dialog manager adds (DS_3DLOOK, WS_EX_CONTROLPARENT...).
  const DWORD style = 0x86000240u | 0x020B0000u;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & (style | WS_CAPTION | WS_THICKFRAME), style);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(window, region), ERROR);
  RECT box;
  GetRgnBox(region, &box);
  DeleteObject(region);
  // The rounded region ends one short of its rectangle's right and bottom: past the window.
  EXPECT_EQ(box.right, 994 + 2);
  EXPECT_EQ(box.bottom, 628 + 2);
}

// One display with one scale: the move to another is sent. At 192 DPI everything takes the
// 200 % figures at the suggested rectangle; back at 96 it is as it was.
TEST_F(main_window, a_dpi_change_moves_to_the_suggested_rectangle_and_lays_out_again) {
  RECT before;
  GetWindowRect(window, &before);
  const struct {
    int dpi;
    RECT suggested;
    int button, buttonHeight, edge, border;
  } rows[] = {{192, {40, 30, 40 + 1988, 30 + 1256}, 56, 50, 2, 4}, {96, before, 28, 25, 1, 2}};
  for (const auto& r : rows) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(r.dpi, r.dpi), reinterpret_cast<LPARAM>(&r.suggested));
    RECT now, close, page;
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &r.suggested)) << r.dpi << ": at " << now.left << "," << now.top;
    const int w = now.right - now.left, h = now.bottom - now.top;
    ASSERT_NE(Main().FindButton(SC_CLOSE), nullptr);
    GetWindowRect(Button(SC_CLOSE), &close);
    EXPECT_EQ(close.left - now.left, w - r.button) << r.dpi;
    EXPECT_EQ(close.top - now.top, r.edge) << r.dpi;
    EXPECT_EQ(close.bottom - close.top, r.buttonHeight) << r.dpi;
    GetWindowRect(FindWindowExW(window, nullptr, L"AtlAxWin71", nullptr), &page);
    EXPECT_EQ(page.top - now.top, r.edge + r.buttonHeight) << r.dpi;
    EXPECT_EQ(page.bottom - now.top, h - r.border) << r.dpi;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(window, region);
    RECT box;
    GetRgnBox(region, &box);
    DeleteObject(region);
    EXPECT_EQ(box.right, w + r.border) << r.dpi;
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, r.dpi * 580 / 96) << r.dpi;
  }
}

TEST_F(main_window, tips_name_the_buttons_and_a_press_released_outside_clicks_nothing) {
  HWND tips = Main().ButtonTips();
  const struct {
    UINT id;
    const wchar_t* tip;
  } rows[] = {{SC_CLOSE, L"关闭"}, {SC_MINIMIZE, L"最小化"}, {SC_MAXIMIZE, L"最大化"}, {ID_PIN, L"置顶"}};
  for (const auto& r : rows) {
    EXPECT_EQ(Tip(tips, window, Button(r.id)), r.tip);
    EXPECT_EQ(WindowText(Button(r.id)), r.tip);  // what a screen reader announces
  }

  // Released outside, a press clicks nothing.
  SendMessageW(Button(ID_PIN), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(Button(ID_PIN), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
  SendMessageW(Button(ID_PIN), WM_LBUTTONUP, 0, MAKELPARAM(60, 5));
  EXPECT_FALSE(Main().Pinned());

  // Every way in and out of maximised: the middle button's tip follows, and the caption
  // drags the window only when it is not maximised.
  const LPARAM click = reinterpret_cast<LPARAM>(Button(SC_MAXIMIZE));
  const struct {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool maximized;
    const wchar_t* tip;
  } steps[] = {
      {WM_SYSCOMMAND, SC_MAXIMIZE, 0, true, L"还原"},
      {WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), click, false, L"最大化"},
      {WM_NCLBUTTONDBLCLK, HTCAPTION, 0, true, L"还原"},
      {WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), click, false, L"最大化"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << "message " << step.message << " maximised " << step.maximized);
    SendMessageW(window, step.message, step.wParam, step.lParam);
    EXPECT_EQ(Tip(tips, window, Button(SC_MAXIMIZE)), step.tip);
    EXPECT_EQ(WindowText(Button(SC_MAXIMIZE)), step.tip);
    RECT r;
    GetWindowRect(window, &r);
    const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(r.left + 400, r.top + 12));
    EXPECT_EQ(hit == HTCAPTION, !step.maximized) << hit;
  }
  // The system's own maximise also keeps to the work area (the display here starts at 0, 0).
  MINMAXINFO info = {};
  SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_EQ((std::vector<LONG>{info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x, info.ptMaxSize.y}),
            (std::vector<LONG>{area.left, area.top, area.right - area.left, area.bottom - area.top}));
}

TEST_F(main_window, escape_through_the_message_loop_leaves_the_window_open) {
  // Unfiltered, the dialog manager takes Escape for Cancel and ends the program, for example
  // while a video on the page is full screen.
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  PostQuitMessage(7);
  EXPECT_EQ(loop.Run(), 7);
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(main_window, a_pinned_window_yields_to_full_screen_windows_and_comes_back) {
  auto notify = [](LPARAM opened) { SendMessageW(window, APPBAR_CALLBACK_MESSAGE, ABN_FULLSCREENAPP, opened); };
  // Each row: an action, then the topmost state and the yielded flag it leaves.
  enum Action { Pin, Unpin, Open, Close, OtherNotice };
  const struct {
    Action action;
    bool topmost, yielded;
  } steps[] = {
      {Open, false, false},  // not pinned: nothing
      {Pin, true, false},   {Open, false, true},   {Open, false, true},  {Close, true, false},
      {OtherNotice, true, false},
      {Open, false, true},  {Unpin, false, true},  {Close, false, true},  // the flag outlives the pin
      {Pin, true, true},    {Open, true, true},    {Close, true, false},
      {Unpin, false, false},
  };
  int i = 0;
  for (const auto& s : steps) {
    SCOPED_TRACE(i++);
    switch (s.action) {
      case Pin: Main().SetPinned(true); break;
      case Unpin: Main().SetPinned(false); break;
      case Open: notify(1); break;
      case Close: notify(0); break;
      case OtherNotice: SendMessageW(window, APPBAR_CALLBACK_MESSAGE, ABN_STATECHANGE, 1); break;
    }
    EXPECT_EQ(Topmost(window), s.topmost);
    EXPECT_EQ(MainWindow::yieldedTopmost, s.yielded);
  }
}

TEST_F(main_window, start_up_command_lines) {
  const std::wstring longTitle(1500, L'x');
  const struct {
    const wchar_t* line;
    std::wstring url, title;
    int vip;
    bool quit;
  } rows[] = {
      {L"", ShellApp::DefaultUrl(), L"云播放特权", 0, false},
      {L"-title:Abc", ShellApp::DefaultUrl(), L"Abc", 0, false},
      {L"-url:", L"", L"云播放特权", 0, false},  // an empty url is a url: no default page
      {L"-url:http://a/ -title:\"A B\" /url:https://b/ -title:C", L"https://b/", L"C", 0, false},
      {L"-url:javascript:alert(1)", ShellApp::DefaultUrl(), L"云播放特权", 0, false},
      {L"-url:file:///c:/x.html", L"file:///c:/x.html", L"云播放特权", 0, false},
      {L"magnet:?xt=urn:btih:00 -operation:bringwindowtotop", ShellApp::DefaultUrl(), L"云播放特权", 0, false},
      {L"-startfrom:zvvip -quitby:zvvip", ShellApp::DefaultUrl(), L"云播放特权", 1, true},
      {L"-quitby:zvvip", ShellApp::DefaultUrl(), L"云播放特权", 0, true},
      {L"-startfrom:ZVVIP -quitby:other", ShellApp::DefaultUrl(), L"云播放特权", 0, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.line);
    startedFromVipClient = 0;
    DrainQuit();
    EXPECT_EQ(app->ApplyCommandLine(r.line), r.quit);
    EXPECT_EQ(Main().RequestedUrl(), r.url);
    EXPECT_EQ(WindowText(window), r.title);
    EXPECT_EQ(startedFromVipClient, r.vip);
    EXPECT_EQ(DrainQuit(), r.quit);
  }
  app->ApplyCommandLine(L"-title:" + longTitle);
  EXPECT_EQ(std::wstring(Main().TitleText()), longTitle.substr(0, 1023));
}

TEST_F(main_window, relayed_command_lines) {
  const std::wstring prefix = L"-operation:bringwindowtotop ";
  const struct {
    const wchar_t* args;
    int vipBefore;
    std::wstring url, title;
    int vipAfter;
    bool quit;
  } rows[] = {
      {L"-url:https://a/x -title:T", 0, L"https://a/x", L"T", 0, false},
      {L"-url:http://a/ -url:ftp://b/", 0, L"ftp://b/", L"before", 0, false},  // the last one survives
      {L"MAGNET:?xt=urn:btih:AB", 0, L"MAGNET:?xt=urn:btih:AB", L"before", 0, false},
      {L"-url:javascript:alert(1)", 0, L"kept", L"before", 0, false},
      {L"-quitby:zvvip", 0, L"kept", L"before", 0, false},
      // "quitby" is carried out before "startfrom": no quit yet, but the flag is set.
      {L"-startfrom:zvvip -quitby:zvvip", 0, L"kept", L"before", 1, false},
      {L"-quitby:zvvip", 1, L"kept", L"before", 1, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.args);
    startedFromVipClient = r.vipBefore;
    Main().Navigate(L"kept");
    Main().SetTitle(L"before");
    ShowWindow(window, SW_MINIMIZE);
    DrainQuit();
    CommandList list;
    ParseCommandList(prefix + r.args, list);
    app->OnCommands(list);
    EXPECT_EQ(Main().RequestedUrl(), r.url);
    EXPECT_EQ(WindowText(window), r.title);
    EXPECT_EQ(startedFromVipClient, r.vipAfter);
    EXPECT_EQ(DrainQuit(), r.quit);
    EXPECT_FALSE(IsIconic(window));  // every relayed list brings the window back
  }
}

}  // namespace
