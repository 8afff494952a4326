// The main window as created under Wine: placement and style, a change of display scale (also
// while maximised), the middle button's name and the caption in and out of maximised, a maximise
// from outside while minimised, the focus, a press released outside, Escape and the pinned
// window's yield to full-screen windows. Pixels and tips: the acceptance suite.
#include <gtest/gtest.h>

#include <windows.h>
#include <mshtmhst.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/ax_host.h"
#include "framework/app_module.h"
#include "framework/com_ptr.h"
#include "framework/dpi.h"
#include "res/resource.h"
#include "tests/win_pump.h"
#include "ui/main_window.h"
#include "ui/skin_geometry.h"

fw::AppModule fw::appModule;

namespace {

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

RECT WorkArea() {
  RECT area = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

// A child's rectangle in its parent's client coordinates.
RECT Placed(HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// 32-bit pixels of `width` x `height` drawn by `draw` into a fresh bitmap.
template <class Draw>
std::vector<DWORD> Pixels(int width, int height, Draw&& draw) {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  draw(dc);
  GdiFlush();
  std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + width * height);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

// What a button paints, against the first frame of a strip of three from the resources.
std::vector<DWORD> Painted(HWND button) {
  const RECT r = Placed(button);
  return Pixels(r.right - r.left, r.bottom - r.top,
                [button](HDC dc) { SendMessageW(button, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT); });
}
std::vector<DWORD> FirstFrame(UINT bitmapId, int width, int height) {
  return Pixels(width, height, [&](HDC dc) {
    HBITMAP strip = fw::LoadBitmapAt(GetModuleHandleW(nullptr), bitmapId, 3 * width, height);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, strip);
    BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(strip);
  });
}

class ui_window_test : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    fw::appModule.Init(GetModuleHandleW(nullptr));
    fw::appModule.AddMessageLoop(&loop);
    window = main.Create();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    // The page hands over its sections, as the site does at start: the tabs appear.
    HWND host = FindWindowExW(window, nullptr, L"AtlAxWin71", nullptr);
    auto* unknown = reinterpret_cast<IUnknown*>(SendMessageW(host, fw::AxGetHostMessage(), 0, 0));
    fw::ComPtr<IDocHostUIHandler> answers;
    fw::ComPtr<IDispatch> external;
    if (unknown) unknown->QueryInterface(IID_IDocHostUIHandler, answers.PutVoid());
    if (answers) answers->GetExternal(external.Put());
    LPOLESTR name = const_cast<LPOLESTR>(L"setVodClientNav");
    DISPID id = 0;
    VARIANT list = {};  // no entries: the tabs come with the call
    list.vt = VT_DISPATCH, list.pdispVal = external.Get();
    DISPPARAMS params = {&list, nullptr, 1, 0};
    if (external && SUCCEEDED(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id))) {
      external->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
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

TEST_F(ui_window_test, opens_inside_the_work_area_at_its_size_with_its_style) {
  RECT r, inside;
  const RECT area = WorkArea();
  GetWindowRect(window, &r);
  EXPECT_TRUE(IntersectRect(&inside, &r, &area) && EqualRect(&inside, &r)) << r.left << "," << r.top;
  EXPECT_TRUE(r.right - r.left == 994 && r.bottom - r.top == 628) << r.right - r.left << " x " << r.bottom - r.top;
  // Centred as the template: away from the work area's corner.
  EXPECT_TRUE(r.left > area.left && r.top > area.top) << r.left << "," << r.top;
  // The template's style, and what the dialog manager adds (DS_3DLOOK, WS_EX_CONTROLPARENT...).
  const DWORD style = 0x86000240u | 0x020B0000u;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & (style | WS_CAPTION | WS_THICKFRAME), style);
}

// One display with one scale: the move to another is sent. Everything takes the new scale's
// figures at the suggested rectangle, the tabs included (at 126 DPI "beside the first" and
// "135 scaled" part); back at 96 it is as it was.
TEST_F(ui_window_test, a_dpi_change_moves_to_the_suggested_rectangle_and_lays_out_again) {
  RECT before;
  GetWindowRect(window, &before);
  const struct Row { int dpi; RECT suggested; } rows[] = {
      {192, {40, 30, 40 + 1988, 30 + 1256}}, {126, {10, 20, 10 + 1305, 20 + 824}}, {144, {0, 0, 1491, 942}}, {96, before}};
  for (const auto& r : rows) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(r.dpi, r.dpi), reinterpret_cast<LPARAM>(&r.suggested));
    const skin::Metrics m = skin::MetricsAt(r.dpi);
    RECT now{}, region{};
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &r.suggested)) << r.dpi << ": at " << now.left << "," << now.top;
    const int w = now.right - now.left, h = now.bottom - now.top;
    const RECT close = Placed(Button(SC_CLOSE)), page = Placed(FindWindowExW(window, nullptr, L"AtlAxWin71", nullptr));
    EXPECT_TRUE(close.left == w - m.buttonWidth && close.top == m.edge && close.bottom == m.edge + m.buttonHeight) << r.dpi;
    EXPECT_TRUE(page.top == m.edge + m.captionHeight && page.bottom == h - m.border) << r.dpi;
    const RECT list = Placed(Button(ID_TAB_LIST)), player = Placed(Button(ID_TAB_PLAYER));
    EXPECT_TRUE(list.left == skin::Scale(skin::kTabLeft, r.dpi) && player.left == list.right) << r.dpi << ": " << player.left;
    EXPECT_TRUE(list.right - list.left == skin::Scale(skin::kTabWidth, r.dpi) &&
                player.right - player.left == list.right - list.left && player.bottom == m.captionHeight) << r.dpi;
    GetWindowRgnBox(window, &region);
    EXPECT_EQ(region.right, w + m.border) << r.dpi;
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, r.dpi * 580 / 96) << r.dpi;
  }
}

// Moved to another scale while maximised, the middle button still offers the restore.
TEST_F(ui_window_test, a_dpi_change_while_maximised_keeps_the_restore_look_and_name) {
  RECT before, area = WorkArea();
  GetWindowRect(window, &before);
  SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&area));
  wchar_t name[16] = {};
  GetWindowTextW(Button(SC_MAXIMIZE), name, 16);
  EXPECT_EQ(std::wstring(name), L"还原");
  EXPECT_EQ(Painted(Button(SC_MAXIMIZE)), FirstFrame(skin::ArtworkId(IDB_RESTORE, 144), 42, 38));
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&area));
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), LPARAM(Button(SC_MAXIMIZE)));
  RECT after;
  GetWindowRect(window, &after);
  EXPECT_TRUE(EqualRect(&after, &before)) << after.left << "," << after.top;
}

// Minimised, then maximised by another program or the taskbar's menu, then restored: back where
// it was, not at the minimised window's place off the screen.
TEST_F(ui_window_test, maximised_from_outside_while_minimised_restores_where_it_was) {
  RECT before;
  GetWindowRect(window, &before);
  const RECT area = WorkArea();
  const struct Row { const char* label; bool sysCommand; } rows[] = {{"ShowWindow", false}, {"SC_MAXIMIZE", true}};
  for (const Row& row : rows) {
    ShowWindow(window, SW_MINIMIZE);
    if (row.sysCommand) {
      SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else {
      ShowWindow(window, SW_MAXIMIZE);
    }
    RECT r{};
    EXPECT_TRUE(PumpUntil([&] { return GetWindowRect(window, &r) && !IsIconic(window) && EqualRect(&r, &area); }, 5000))
        << row.label << ": maximised at " << r.left << "," << r.top;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED), LPARAM(Button(SC_MAXIMIZE)));
    EXPECT_TRUE(PumpUntil([&] { return GetWindowRect(window, &r) && EqualRect(&r, &before); }, 5000))
        << row.label << ": restored to " << r.left << "," << r.top;
  }
}

// The system focuses the window itself when it comes back from the taskbar; the focus goes on
// into the page. (Under Wine activation comes first and covers it, so the message is sent.)
TEST_F(ui_window_test, focus_given_to_the_window_goes_into_the_page) {
  HWND page = FindWindowExW(window, nullptr, L"AtlAxWin71", nullptr);
  SetFocus(Button(ID_PIN));
  ASSERT_EQ(GetFocus(), Button(ID_PIN));
  SendMessageW(window, WM_SETFOCUS, WPARAM(Button(ID_PIN)), 0);
  EXPECT_TRUE(GetFocus() == page || IsChild(page, GetFocus()));
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

}  // namespace
