// The main window as created under Wine, each part read back by its control id: placement, scale
// changes, maximised in every way, focus, Escape, the pin, the app bar and the page's tabs. Pixels
// of the whole window and tips: the acceptance suite.
#include <windows.h>
#include <mshtmhst.h>
#include <shellapi.h>

#include <gtest/gtest.h>
#include <string>

#include "framework/ax_host.h"
#include "framework/app_module.h"
#include "framework/com_ptr.h"
#include "framework/dpi.h"
#include "res/resource.h"
#include "tests/script_page.h"
#include "tests/support/test_support.h"
#include "ui/app_bar.h"
#include "ui/main_window.h"
#include "ui/skin_geometry.h"

fw::AppModule fw::appModule;

namespace {

using kp_test::Placed, kp_test::PumpUntil, kp_test::WorkArea;

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// What Wine lacks, recorded: SetDialogDpiChangeBehavior, and auto-hide bars (ABE_* bits).
struct { HWND dialog; int mask, values; } dialogDpiCall = {};
unsigned autoHideBars = 0, autoHideQuestions = 0;
UINT_PTR WINAPI AnswerAsShell(DWORD message, APPBARDATA* data) {
  if (message != ABM_GETAUTOHIDEBAR && message != 0x0B) return SHAppBarMessage(message, data);  // 0x0B: from Windows 8
  ++autoHideQuestions;
  return autoHideBars >> data->uEdge & 1 ? reinterpret_cast<UINT_PTR>(GetDesktopWindow()) : 0;
}

// The page's zoom, as the control was told it last (Wine's control has no zoom), and the control.
LONG pageZoom = 0;
IWebBrowser2* control = nullptr;
HRESULT RecordZoom(IWebBrowser2* browser, OLECMDID, OLECMDEXECOPT, VARIANT* in) {
  return control = browser, pageZoom = in->lVal, S_OK;
}

// Where the control was last sent.
std::wstring Address() {
  BSTR url = nullptr;
  if (!control || FAILED(control->get_LocationURL(&url))) return L"";
  const std::wstring address(url, SysStringLen(url));
  SysFreeString(url);
  return address;
}

// Which frame of a button's three-frame strip, w x h each, it paints now; -1 if none.
int ShownFrame(HWND button, UINT artwork, int w, int h) {
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), w, -h * 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  SendMessageW(button, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);  // on top, the strip's frames below
  const HIMAGELIST strip = fw::LoadImageStripAt(GetModuleHandleW(nullptr), artwork, w, h, 3);
  for (int frame = 0; frame < 3; ++frame) ImageList_Draw(strip, frame, dc, 0, h * (frame + 1), ILD_NORMAL);
  ImageList_Destroy(strip);
  GdiFlush();
  const DWORD* pixels = static_cast<const DWORD*>(bits);
  int shown = 2;
  while (shown >= 0 && !std::equal(pixels, pixels + w * h, pixels + w * h * (shown + 1))) --shown;
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  return shown;
}

class main_window_test : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);  // the page's control, which the tabs navigate
    ASSERT_TRUE(fw::appModule.AddMessageLoop(&loop));
    fw::setDialogDpiChangeBehavior = [](HWND dialog, int mask, int values) { return dialogDpiCall = {dialog, mask, values}, TRUE; };
    appbar::shellMessage = AnswerAsShell;
    browserCommand = RecordZoom;
    window = main.Create();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    // The page hands over its sections, as the site does at start: the tabs come with the call.
    ScriptPage(External().Get()).Run(L"window.external.setVodClientNav([]);");
    // Laid out again at its scale, the page is zoomed: the recorder gets the control.
    const RECT at = Placed<RECT>(window);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&at));
  }
  static void TearDownTestSuite() {
    main.DestroyWindow();
    fw::appModule.RemoveMessageLoop();
    OleUninitialize();
  }
  void SetUp() override { ASSERT_NE(window, nullptr); }
  static HWND Button(UINT id) { return GetDlgItem(window, static_cast<int>(id)); }
  static HWND Page() { return FindWindowExW(window, nullptr, fw::kAxWinClass, nullptr); }
  // window.external as the page gets it: from the control's site, the document host's answer.
  static fw::ComPtr<IDispatch> External() {
    auto* site = reinterpret_cast<IUnknown*>(SendMessageW(Page(), fw::AxGetHostMessage(), 0, 0));
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
      seen += (seen.empty() ? "" : " ") + std::to_string(ShownFrame(tab, artwork, 95, 25)) +
              (IsWindowEnabled(tab) ? "" : "*") + (GetCursor() == LoadCursorW(nullptr, IDC_HAND) ? "h" : "");
    }
    return seen;
  }

  static inline fw::MessageLoop loop;
  static inline MainWindow main;
  static inline HWND window = nullptr;
};

// Its size at start: the acceptance suite's startup_look.
TEST_F(main_window_test, opens_inside_the_work_area_centred_with_its_style) {
  const RECT area = WorkArea(), r = Placed<RECT>(window);
  // Centred as the template: inside the work area, away from its corner.
  EXPECT_TRUE(r.left > area.left && r.top > area.top && r.right <= area.right && r.bottom <= area.bottom)
      << r.left << "," << r.top;
  // The template's style, and what the dialog manager adds (DS_3DLOOK, WS_EX_CONTROLPARENT...).
  const DWORD style = 0x86000240u | 0x020B0000u;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & (style | WS_CAPTION | WS_THICKFRAME), style);
  // The skin alone sizes it at a new scale; 8.1 (no dpi per window) asks shcore, loaded for it.
  EXPECT_TRUE(dialogDpiCall.dialog == window && dialogDpiCall.mask == 1 && dialogDpiCall.values == 1);  // DDC_DISABLE_ALL
  EXPECT_EQ(fw::MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)), fw::WindowDpi(window));
}

// One display with one scale: the move to another is sent. Each part goes where the layout rules
// put it at the new scale in the suggested rectangle (the rules themselves: skin_geometry_test),
// the page takes its zoom; back at 96 it is as it was.
TEST_F(main_window_test, a_dpi_change_moves_to_the_suggested_rectangle_and_lays_out_again) {
  const RECT before = Placed<RECT>(window);
  const struct Row { int dpi; RECT suggested; } rows[] = {
      {192, {40, 30, 40 + 1988, 30 + 1256}}, {126, {10, 20, 10 + 1305, 20 + 824}}, {144, {0, 0, 1491, 942}}, {96, before}};
  for (const auto& r : rows) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(r.dpi, r.dpi), reinterpret_cast<LPARAM>(&r.suggested));
    const skin::Metrics m = skin::MetricsAt(r.dpi);
    RECT now{}, region{};
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &r.suggested)) << r.dpi << ": at " << now.left << "," << now.top;
    EXPECT_EQ(pageZoom, r.dpi * 100 / 96) << r.dpi;  // 131 at 126 DPI
    const int w = now.right - now.left, h = now.bottom - now.top;
    const std::pair<HWND, skin::Rect> parts[] = {{Button(SC_CLOSE), skin::CaptionButtonRect(w, 0, r.dpi)},
                                                 {Page(), skin::BrowserRect(w, h, r.dpi)},
                                                 {Button(ID_TAB_LIST), skin::TabRect(0, r.dpi)},
                                                 {Button(ID_TAB_PLAYER), skin::TabRect(1, r.dpi)}};
    for (const auto& [part, want] : parts)
      EXPECT_EQ(Placed<skin::Rect>(part), want) << r.dpi << " DPI, id " << GetDlgCtrlID(part);
    GetWindowRgnBox(window, &region);
    EXPECT_EQ(region.right, w + m.border) << r.dpi;
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, m.minWidth) << r.dpi;
  }
}

// The system focuses the window itself when it comes back from the taskbar: the focus goes on
// into the page, not to a control the dialog manager picks (here the pin, made a tab stop). Under
// Wine activation comes first and covers it, so the message is sent. Escape through the message
// loop leaves the window open: unfiltered, the dialog manager takes it for Cancel and ends the
// program, for example while a video on the page is full screen.
TEST_F(main_window_test, focus_given_to_the_window_goes_into_the_page_and_escape_leaves_it_open) {
  const LONG_PTR style = GetWindowLongPtrW(Button(ID_PIN), GWL_STYLE);
  SetWindowLongPtrW(Button(ID_PIN), GWL_STYLE, style | WS_TABSTOP);
  SendMessageW(window, WM_NEXTDLGCTL, WPARAM(Button(ID_PIN)), TRUE);
  SendMessageW(window, WM_SETFOCUS, WPARAM(Button(ID_PIN)), 0);
  EXPECT_TRUE(GetFocus() == Page() || IsChild(Page(), GetFocus())) << GetDlgCtrlID(GetFocus());
  SetWindowLongPtrW(Button(ID_PIN), GWL_STYLE, style);
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);  // the key going down is what it acts on
  PostQuitMessage(7);
  EXPECT_EQ(loop.Run(), 7);
  EXPECT_TRUE(IsWindow(window));
}

// Every way in and out of maximised, also from minimised (by another program or the taskbar's
// menu) and across a change of scale: the window fills the work area or is back where it was, the
// middle button's image and name follow (what a screen reader announces; the acceptance suite
// reads the tip), and the caption drags only when not maximised. Only maximising asks the shell
// (it is slow), to keep two pixels clear of auto-hide bars (Wine's one monitor is its work area).
TEST_F(main_window_test, maximised_renames_the_middle_button_and_holds_the_caption_still) {
  const RECT before = Placed<RECT>(window), area = WorkArea();
  const LPARAM to = reinterpret_cast<LPARAM>(&area);
  const WPARAM command = MAKEWPARAM(SC_MAXIMIZE, BN_CLICKED);
  const struct Step {
    const char* label; bool minimised; UINT message; WPARAM wParam; LPARAM lParam; bool maximized; unsigned bars = 0;
  } steps[] = {
      {"SC_MAXIMIZE", false, WM_SYSCOMMAND, SC_MAXIMIZE, 0, true, 1 << ABE_LEFT | 1 << ABE_BOTTOM},
      {"to 144 DPI while maximised", false, WM_DPICHANGED, MAKEWPARAM(144, 144), to, true},
      {"back to 96 DPI", false, WM_DPICHANGED, MAKEWPARAM(96, 96), to, true},
      {"the middle button", false, WM_COMMAND, command, 0, false},
      {"a caption double-click", false, WM_NCLBUTTONDBLCLK, HTCAPTION, 0, true, 1 << ABE_TOP},
      {"the middle button again", false, WM_COMMAND, command, 0, false},
      {"ShowWindow(SW_MAXIMIZE) while minimised", true, 0, SW_MAXIMIZE, 0, true},  // message 0: shown so
      {"the middle button after it", false, WM_COMMAND, command, 0, false},
      {"SC_MAXIMIZE while minimised", true, WM_SYSCOMMAND, SC_MAXIMIZE, 0, true},
      {"the middle button at last", false, WM_COMMAND, command, 0, false}};
  for (const Step& s : steps) {
    autoHideBars = s.bars, autoHideQuestions = 0;
    if (s.minimised) ShowWindow(window, SW_MINIMIZE);
    // A click carries the button's handle, taken when sent: a change of scale makes the buttons again.
    const LPARAM lParam = s.message == WM_COMMAND ? reinterpret_cast<LPARAM>(Button(SC_MAXIMIZE)) : s.lParam;
    if (s.message) SendMessageW(window, s.message, s.wParam, lParam);
    if (!s.message) ShowWindow(window, static_cast<int>(s.wParam));
    RECT r{}, want = s.maximized ? area : before;
    const auto clear = [&s](int edge) { return s.bars >> edge & 1 ? 2 : 0; };
    want = {want.left + clear(ABE_LEFT), want.top + clear(ABE_TOP), want.right - clear(ABE_RIGHT), want.bottom - clear(ABE_BOTTOM)};
    EXPECT_TRUE(PumpUntil([&] { return GetWindowRect(window, &r) && EqualRect(&r, &want); }, 5000))
        << s.label << ": at " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_EQ(autoHideQuestions, s.maximized && s.message != WM_DPICHANGED ? 4u : 0u) << s.label;
    const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(r.left + 400, r.top + 12));
    wchar_t name[16] = {};
    GetWindowTextW(Button(SC_MAXIMIZE), name, 16);
    EXPECT_EQ(std::wstring(name), s.maximized ? L"还原" : L"最大化") << s.label;
    EXPECT_EQ(hit == HTCAPTION, !s.maximized) << s.label << ": hit " << hit;
    const int dpi = s.message == WM_DPICHANGED ? HIWORD(s.wParam) : 96;
    const skin::Metrics m = skin::MetricsAt(dpi);
    const UINT look = skin::ArtworkId(s.maximized ? IDB_RESTORE : IDB_MAXIMIZE, dpi);
    EXPECT_EQ(ShownFrame(Button(SC_MAXIMIZE), look, m.buttonWidth, m.buttonHeight), 0) << s.label;
  }
}

TEST_F(main_window_test, the_pin_takes_whole_clicks_and_yields_to_full_screen_windows) {
  // A press that leaves the pin before its release clicks nothing.
  SendMessageW(Button(ID_PIN), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(Button(ID_PIN), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
  SendMessageW(Button(ID_PIN), WM_LBUTTONUP, 0, MAKELPARAM(60, 5));
  EXPECT_FALSE(Topmost(window)) << "pinned by a press released outside";
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
TEST_F(main_window_test, the_app_bar_registration_goes_with_the_window) {
  MainWindow other;
  APPBARDATA probe = {sizeof(probe), other.Create(), 0, 0, {}, 0};
  ASSERT_FALSE(SHAppBarMessage(ABM_NEW, &probe));
  other.DestroyWindow();
  EXPECT_TRUE(SHAppBarMessage(ABM_NEW, &probe) && SHAppBarMessage(ABM_REMOVE, &probe));
}

// The page's list makes the tabs once; a click goes to the section's stored address.
// The current tab shows its frame and takes no clicks; the other one hovers and shows the hand.
// Laid out again at another scale, the current tab stays current; VIP mode takes them for good.
TEST_F(main_window_test, tabs_are_made_once_navigate_show_the_current_one_and_go_in_vip_mode) {
  // Each click goes somewhere else than the one before, so the address tells it went.
  auto click = [](UINT id, const std::wstring& url) {
    SendMessageW(Button(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(Button(id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(PumpUntil([&] { return Address() == url; }, 5000)) << "at " << Address().c_str();
  };
  ScriptPage page(External().Get());
  const HWND list = Button(ID_TAB_LIST), player = Button(ID_TAB_PLAYER);
  ASSERT_TRUE(list && player);
  EXPECT_TRUE(page.Run(L"window.external.setVodClientNav([{id: 'player', url: 'about:player-a'}, "
                       L"{id: 'list', url: 'about:list-b'}]);"));
  EXPECT_EQ(Tabs(), "2h 0h");  // fresh, "player" looks current but can still be clicked
  click(ID_TAB_PLAYER, L"about:player-a");
  EXPECT_TRUE(page.Run(L"window.external.setVodClientNav([{id: 'player', url: 'about:player-c'}]);"));
  EXPECT_TRUE(Button(ID_TAB_LIST) == list && Button(ID_TAB_PLAYER) == player);  // the same buttons
  click(ID_TAB_LIST, L"about:list-b");
  click(ID_TAB_PLAYER, L"about:player-c");
  EXPECT_EQ(Tabs(), "2h 0h");  // a click does not change the current tab
  const struct Row { const wchar_t* name; const char* tabs; } rows[] = {
      {L"list", "0h 2*"}, {L"player", "2* 0h"}, {L"List", "2* 0h"}, {L"list", "0h 2*"}, {L"", "0h 2*"}};
  for (const Row& r : rows) {
    page.Run(std::wstring(L"window.external.setVodClientTab('") + r.name + L"');");
    EXPECT_EQ(Tabs(), r.tabs) << r.name;
  }
  SendMessageW(Button(ID_TAB_PLAYER), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Tabs(), "1h 2*");
  const RECT at = Placed<RECT>(window);
  for (int dpi : {192, 96}) SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&at));
  EXPECT_EQ(Tabs(), "0h 2*");
  // Last, as the mode cannot be left: the tabs go with it, and the page makes none again.
  main.SetVipMode();
  EXPECT_TRUE(page.Run(L"window.external.setVodClientNav([{id: 'list', url: 'http://c/'}]);"));
  EXPECT_EQ(Tabs(), "");
}

}  // namespace
