// The main window as created under Wine: placement and style, a change of display scale, the
// middle button's name and the caption in and out of maximised, a press released outside, Escape,
// the pinned window's yield to full-screen windows, and what it asks of the dialog manager and the
// shell (auto-hide bars, its app-bar registration). Pixels and tips: the acceptance suite.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/app_module.h"
#include "framework/dpi.h"
#include "res/resource.h"
#include "tests/win_pump.h"
#include "ui/app_bar.h"
#include "ui/main_window.h"

fw::AppModule fw::appModule;

namespace {

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Wine has no SetDialogDpiChangeBehavior: what the window asks of it is recorded instead.
struct DialogDpiCall { HWND dialog; int mask, values; } dialogDpiCall = {};
BOOL WINAPI RecordDialogDpiBehavior(HWND dialog, int mask, int values) {
  dialogDpiCall = {dialog, mask, values};
  return TRUE;
}

// The shell as the window meets it: Wine's, but for the auto-hide bars it lacks, which sit
// on the edges (ABE_* bits) in autoHideBars.
constexpr DWORD kGetAutoHideBarEx = 0x0B;  // Windows 8 and later; the prefix says 7
struct ShellCall { DWORD message; HWND window; bool windowAlive; RECT rc; };
std::vector<ShellCall> shellCalls;
unsigned autoHideBars = 0;
UINT_PTR WINAPI AnswerAsShell(DWORD message, APPBARDATA* data) {
  shellCalls.push_back({message, data->hWnd, IsWindow(data->hWnd) != FALSE, data->rc});
  if (message != ABM_GETAUTOHIDEBAR && message != kGetAutoHideBarEx) return SHAppBarMessage(message, data);
  return autoHideBars & (1u << data->uEdge) ? reinterpret_cast<UINT_PTR>(GetDesktopWindow()) : 0;  // on our monitor
}

class ui_window_test : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    fw::appModule.Init(GetModuleHandleW(nullptr));
    fw::appModule.AddMessageLoop(&loop);
    fw::setDialogDpiChangeBehavior = RecordDialogDpiBehavior;
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

// The skin alone sizes the window at a new scale; Windows 8.1 (no dpi per window) asks the
// monitor through shcore, which nothing else loads.
TEST_F(ui_window_test, the_dialog_manager_keeps_out_of_dpi_changes_and_the_monitor_knows_the_dpi) {
  EXPECT_EQ(dialogDpiCall.dialog, window);
  EXPECT_EQ(dialogDpiCall.mask, fw::kDdcDisableAll);
  EXPECT_EQ(dialogDpiCall.values, fw::kDdcDisableAll);
  EXPECT_EQ(fw::MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)), fw::WindowDpi(window));
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

// Only maximising asks the shell, once per edge of the window's monitor, and two pixels stay
// free where a bar hides: covering the monitor would keep it down for good.
TEST_F(ui_window_test, maximising_keeps_clear_of_auto_hide_bars_and_alone_asks_the_shell) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT m = monitor.rcMonitor, work = monitor.rcWork;  // the same under Wine
  const LPARAM button = reinterpret_cast<LPARAM>(Button(SC_MAXIMIZE));
  const WPARAM click = MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED);
  RECT normal;
  GetWindowRect(window, &normal);
  const struct Step { unsigned bars; UINT message; WPARAM wParam; LPARAM lParam; RECT want; size_t asked; } steps[] = {
      {1u << ABE_LEFT | 1u << ABE_BOTTOM, WM_SYSCOMMAND, SC_MAXIMIZE, 0, {m.left + 2, m.top, m.right, m.bottom - 2}, 4},
      {0, WM_COMMAND, click, button, normal, 0},
      {1u << ABE_TOP, WM_NCLBUTTONDBLCLK, HTCAPTION, 0, {m.left, m.top + 2, m.right, m.bottom}, 4},
      {0, WM_LBUTTONDBLCLK, 0, MAKELPARAM(400, 12), normal, 0},
      {0, WM_COMMAND, click, button, work, 4},
      {0, WM_COMMAND, click, button, normal, 0}};
  for (const Step& s : steps) {
    autoHideBars = s.bars;
    shellCalls.clear();
    SendMessageW(window, s.message, s.wParam, s.lParam);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_TRUE(EqualRect(&r, &s.want)) << "step " << &s - steps << ": " << r.left << "," << r.top << "," << r.right
                                        << "," << r.bottom;
    EXPECT_EQ(shellCalls.size(), s.asked) << "step " << &s - steps;
    for (const ShellCall& call : shellCalls) {
      EXPECT_TRUE(call.message == ABM_GETAUTOHIDEBAR || (call.message == kGetAutoHideBarEx && EqualRect(&call.rc, &m)));
    }
  }
  autoHideBars = 0;
}

// The shell keeps a registration until it is removed: removed while the window still exists,
// as Wine's shell confirms (it refuses a second registration of a window).
TEST_F(ui_window_test, the_app_bar_registration_goes_before_the_window) {
  MainWindow other;
  const HWND made = other.Create();
  ASSERT_NE(made, nullptr);
  APPBARDATA probe = {};
  probe.cbSize = sizeof(probe);
  probe.hWnd = made;
  EXPECT_FALSE(SHAppBarMessage(ABM_NEW, &probe)) << "registered at creation";
  shellCalls.clear();
  other.DestroyWindow();
  ASSERT_EQ(shellCalls.size(), 1u);
  EXPECT_TRUE(shellCalls[0].message == ABM_REMOVE && shellCalls[0].window == made && shellCalls[0].windowAlive);
  EXPECT_TRUE(SHAppBarMessage(ABM_NEW, &probe)) << "still registered";
  SHAppBarMessage(ABM_REMOVE, &probe);
}

// Maximised where no taskbar keeps room (all of Wine's screen), the window in front is the
// full-screen window a notice tells of: it keeps its place. Pinned back after another one,
// it does not take the keyboard from the window in front.
TEST_F(ui_window_test, the_pin_never_yields_to_the_window_itself_nor_activates_it) {
  const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 80, 80, nullptr, nullptr, nullptr,
                                     nullptr);
  const auto inFront = [](HWND w) {
    SetForegroundWindow(w);
    return PumpUntil([w] { return GetForegroundWindow() == w; }, 5000);
  };
  const LPARAM maximizeButton = reinterpret_cast<LPARAM>(Button(SC_MAXIMIZE));
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_PIN, BN_CLICKED), LPARAM(Button(ID_PIN)));
  SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(inFront(window));
  SendMessageW(window, APPBAR_CALLBACK_MESSAGE, ABN_FULLSCREENAPP, 1);
  EXPECT_TRUE(Topmost(window)) << "yielded to itself";
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), maximizeButton);
  ASSERT_TRUE(inFront(other));
  SendMessageW(window, APPBAR_CALLBACK_MESSAGE, ABN_FULLSCREENAPP, 1);
  EXPECT_FALSE(Topmost(window));
  SendMessageW(window, APPBAR_CALLBACK_MESSAGE, ABN_FULLSCREENAPP, 0);
  EXPECT_TRUE(Topmost(window));
  Drain();
  EXPECT_EQ(GetForegroundWindow(), other);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_PIN, BN_CLICKED), LPARAM(Button(ID_PIN)));
  DestroyWindow(other);
}

}  // namespace
