// The main window as created under Wine: placement and style, a change of display scale, the
// middle button's name, the caption and auto-hide bars in and out of maximised, a press released
// outside, Escape, the pinned window's yield to full-screen windows and its app-bar registration.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/app_module.h"
#include "framework/dpi.h"
#include "res/resource.h"
#include "tests/win_pump.h"
#include "ui/app_bar.h"
#include "ui/main_window.h"

fw::AppModule fw::appModule;

namespace {

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// What Wine lacks, recorded: SetDialogDpiChangeBehavior, and auto-hide bars (ABE_* bits).
struct { HWND dialog; int mask, values; } dialogDpiCall = {};
unsigned autoHideBars = 0, autoHideQuestions = 0;
UINT_PTR WINAPI AnswerAsShell(DWORD message, APPBARDATA* data) {
  if (message != ABM_GETAUTOHIDEBAR && message != 0x0B) return SHAppBarMessage(message, data);  // 0x0B: from Windows 8
  ++autoHideQuestions;
  return autoHideBars >> data->uEdge & 1 ? reinterpret_cast<UINT_PTR>(GetDesktopWindow()) : 0;
}

class ui_window_test : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    fw::appModule.Init(GetModuleHandleW(nullptr));
    fw::appModule.AddMessageLoop(&loop);
    fw::setDialogDpiChangeBehavior = [](HWND dialog, int mask, int values) { return dialogDpiCall = {dialog, mask, values}, TRUE; };
    appbar::shellMessage = AnswerAsShell;
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
  // The skin alone sizes it at a new scale; 8.1 (no dpi per window) asks shcore, loaded for it.
  EXPECT_TRUE(dialogDpiCall.dialog == window && dialogDpiCall.mask == 1 && dialogDpiCall.values == 1);  // DDC_DISABLE_ALL
  EXPECT_EQ(fw::MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)), fw::WindowDpi(window));
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
    GetWindowRect(FindWindowExW(window, nullptr, L"AtlAxWin71", nullptr), &page);
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
// announces; the acceptance suite reads the tip), the caption drags only when not maximised, and
// only maximising asks the shell (it is slow), to stay two pixels clear of auto-hide bars.
TEST_F(ui_window_test, maximised_renames_the_middle_button_and_holds_the_caption_still) {
  const LPARAM click = reinterpret_cast<LPARAM>(Button(SC_MAXIMIZE));
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);  // Wine's one monitor
  const RECT leftBottom = {2, 0, w, h - 2}, top = {0, 2, w, h};
  const struct Step {
    const char* label; UINT message; WPARAM wParam; LPARAM lParam; bool maximized; unsigned bars; const RECT* want;
  } steps[] = {
      {"SC_MAXIMIZE", WM_SYSCOMMAND, SC_MAXIMIZE, 0, true, 1 << ABE_LEFT | 1 << ABE_BOTTOM, &leftBottom},
      {"the middle button", WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), click, false, 1 << ABE_TOP, nullptr},
      {"a caption double-click", WM_NCLBUTTONDBLCLK, HTCAPTION, 0, true, 1 << ABE_TOP, &top},
      {"the middle button again", WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), click, false, 0, nullptr}};
  for (const Step& s : steps) {
    autoHideBars = s.bars, autoHideQuestions = 0;
    SendMessageW(window, s.message, s.wParam, s.lParam);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_TRUE((!s.want || EqualRect(&r, s.want)) && autoHideQuestions == (s.maximized ? 4u : 0u))
        << s.label << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom << ", " << autoHideQuestions;
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
      otherNotice{APPBAR_CALLBACK_MESSAGE, ABN_STATECHANGE, 1}, maximize{WM_SYSCOMMAND, SC_MAXIMIZE, 0},
      restore{WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), LPARAM(Button(SC_MAXIMIZE))};
  const auto send = [](const Message& m) { return SendMessageW(window, m.message, m.wParam, m.lParam), Topmost(window); };
  const auto front = [](HWND w) { return SetForegroundWindow(w), PumpUntil([w] { return GetForegroundWindow() == w; }); };
  const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(front(other));
  const struct Step { const Message& sent; bool topmost; } steps[] = {  // topmost after the message
      {open, false},  // not pinned: nothing
      {pin, true},   {open, false}, {open, false}, {close, true}, {otherNotice, true},
      // The yield outlives an unpin: pinned again, the next opening is taken as the one yielded to.
      {open, false}, {unpin, false}, {close, false}, {pin, true}, {open, true}, {close, true},
      {open, false}, {close, true}, {unpin, false},
  };
  for (const Step& s : steps) EXPECT_EQ(send(s.sent), s.topmost) << "step " << &s - steps;
  EXPECT_EQ(GetForegroundWindow(), other) << "activated by the pin";
  // Maximised over all of Wine's screen (no taskbar keeps room) and in front, the window is
  // itself the full-screen window told of: it does not yield.
  send(pin), send(maximize);
  ASSERT_TRUE(front(window));
  EXPECT_TRUE(send(open)) << "yielded to itself";
  send(restore), send(unpin);
  DestroyWindow(other);
}

// The shell keeps a registration until it is removed, so the window removes it when it is
// destroyed, as Wine's shell shows: it refuses to register a window twice.
TEST_F(ui_window_test, the_app_bar_registration_goes_with_the_window) {
  MainWindow other;
  APPBARDATA probe = {sizeof(probe), other.Create(), 0, 0, {}, 0};
  ASSERT_FALSE(SHAppBarMessage(ABM_NEW, &probe));
  other.DestroyWindow();
  EXPECT_TRUE(SHAppBarMessage(ABM_NEW, &probe) && SHAppBarMessage(ABM_REMOVE, &probe));
}

}  // namespace
