// The main window as created under Wine: placement and style, the caption buttons' names in
// each state, a press released outside, Escape, and the pinned window's yield to full-screen
// windows. Its size, region, pixels and tips are read back by the acceptance suite.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/app_module.h"
#include "res/resource.h"
#include "ui/main_window.h"

fw::AppModule fw::appModule;

namespace {

std::wstring WindowText(HWND window) {
  wchar_t text[80] = {};
  GetWindowTextW(window, text, 80);
  return text;
}

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

class main_window_test : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    fw::appModule.Init(GetModuleHandleW(nullptr));
    fw::appModule.AddMessageLoop(&loop);
    window = main.Create();
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  static void TearDownTestSuite() {
    main.DestroyWindow();
    fw::appModule.RemoveMessageLoop();
  }
  void SetUp() override { ASSERT_NE(window, nullptr); }
  static HWND Button(UINT id) { return GetDlgItem(window, static_cast<int>(id)); }

  static inline fw::MessageLoop loop;
  static inline MainWindow main;
  static inline HWND window = nullptr;
};

TEST_F(main_window_test, opens_where_the_template_window_was_centred_with_its_style) {
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
TEST_F(main_window_test, a_dpi_change_moves_to_the_suggested_rectangle_and_lays_out_again) {
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
    ASSERT_NE(Button(SC_CLOSE), nullptr);
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

TEST_F(main_window_test, buttons_are_named_after_the_state_and_a_press_released_outside_clicks_nothing) {
  // A name is what a screen reader announces; the acceptance suite reads the tips set with them.
  SendMessageW(Button(ID_PIN), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(Button(ID_PIN), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
  SendMessageW(Button(ID_PIN), WM_LBUTTONUP, 0, MAKELPARAM(60, 5));
  EXPECT_FALSE(Topmost(window));
  EXPECT_EQ(WindowText(Button(ID_PIN)), L"置顶");
  // Every way in and out of maximised: the middle button's name (and tip) follow, and the
  // caption drags the window only when it is not maximised.
  const LPARAM click = reinterpret_cast<LPARAM>(Button(SC_MAXIMIZE));
  const struct Step {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool maximized;  // after it
  } steps[] = {{WM_SYSCOMMAND, SC_MAXIMIZE, 0, true}, {WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), click, false},
               {WM_NCLBUTTONDBLCLK, HTCAPTION, 0, true}, {WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), click, false}};
  for (const Step& s : steps) {
    SendMessageW(window, s.message, s.wParam, s.lParam);
    RECT r;
    GetWindowRect(window, &r);
    const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(r.left + 400, r.top + 12));
    EXPECT_EQ(WindowText(Button(SC_MAXIMIZE)), s.maximized ? L"还原" : L"最大化") << s.message;
    EXPECT_EQ(hit == HTCAPTION, !s.maximized) << s.message << " " << hit;
  }
}

TEST_F(main_window_test, escape_through_the_message_loop_leaves_the_window_open) {
  // Unfiltered, the dialog manager takes Escape for Cancel and ends the program, for example
  // while a video on the page is full screen.
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  PostQuitMessage(7);
  EXPECT_EQ(loop.Run(), 7);
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(main_window_test, a_pinned_window_yields_to_full_screen_windows_and_comes_back) {
  enum Action { Pin, Unpin, Open, Close, OtherNotice };
  const struct Step {
    Action action;
    bool topmost;  // after it
  } steps[] = {
      {Open, false},  // not pinned: nothing
      {Pin, true},   {Open, false}, {Open, false}, {Close, true}, {OtherNotice, true},
      // The yield outlives an unpin: pinned again, the next opening is taken as the one yielded to.
      {Open, false}, {Unpin, false}, {Close, false}, {Pin, true}, {Open, true}, {Close, true},
      {Open, false}, {Close, true}, {Unpin, false},
  };
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    switch (s.action) {
      case Pin:
      case Unpin: SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_PIN, BN_CLICKED), LPARAM(Button(ID_PIN))); break;
      case Open: SendMessageW(window, APPBAR_CALLBACK_MESSAGE, ABN_FULLSCREENAPP, 1); break;
      case Close: SendMessageW(window, APPBAR_CALLBACK_MESSAGE, ABN_FULLSCREENAPP, 0); break;
      case OtherNotice: SendMessageW(window, APPBAR_CALLBACK_MESSAGE, ABN_STATECHANGE, 1); break;
    }
    EXPECT_EQ(Topmost(window), s.topmost);
  }
}

}  // namespace
