// The main window: start-up layout, painting, caption buttons, pin-on-top, closing.
#include "ui/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>

#include "framework/dpi.h"
#include "res/resource.h"
#include "ui/app_bar.h"

namespace {

constexpr wchar_t kTipClose[] = L"关闭";
constexpr wchar_t kTipMinimize[] = L"最小化";
constexpr wchar_t kTipMaximize[] = L"最大化";
constexpr wchar_t kTipRestore[] = L"还原";
constexpr wchar_t kTipPin[] = L"置顶";
constexpr wchar_t kTipUnpin[] = L"取消置顶";

constexpr COLORREF kFrameColour = RGB(33, 39, 50);
constexpr wchar_t kCaptionFontFace[] = L"微软雅黑";

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

RECT ToRECT(const skin::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Caption strip above the page, frame below and beside it.
RECT BrowserPlace(HWND window, int dpi) {
  RECT client;
  GetClientRect(window, &client);
  return ToRECT(skin::BrowserRect(client.right, client.bottom, dpi));
}

// Broadcast by the shell when its taskbar starts again, after it ended or crashed.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace

// Nothing is registered here: the object is static, and a second start must not pay for
// the host classes (the host window registers them when it is made).
MainWindow::MainWindow() : page(new PageHost) {}

MainWindow::~MainWindow() {
  if (captionFont) DeleteObject(captionFont);
}

HWND MainWindow::Create() { return fw::Dialog::Create(Module(), IDD_MAIN, nullptr, 0); }

bool MainWindow::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static const fw::MessageEntry<MainWindow> map[] = {
      fw::OnMessage<MainWindow>(WM_INITDIALOG, &MainWindow::OnInitDialog),
      fw::OnMessage<MainWindow>(WM_DESTROY, &MainWindow::OnDestroy),
      fw::OnMessage<MainWindow>(WM_SIZE, &MainWindow::OnSize),
      fw::OnMessage<MainWindow>(APPBAR_CALLBACK_MESSAGE, &MainWindow::OnAppBarNotify),
      fw::OnCommand<MainWindow>(ID_PIN, ID_PIN, BN_CLICKED, &MainWindow::OnTogglePin),
      fw::OnCommand<MainWindow>(kFirstTabId, kLastTabId, BN_CLICKED, &MainWindow::OnTabCommand),
      fw::OnCommand<MainWindow>(IDCANCEL, IDCANCEL, fw::kAnyCode, &MainWindow::OnCancel),
      fw::OnMessage<MainWindow>(WM_ACTIVATE, &MainWindow::OnActivate),
      fw::OnMessage<MainWindow>(WM_SETFOCUS, &MainWindow::OnSetFocus),
      fw::OnMessage<MainWindow>(WM_DPICHANGED, &MainWindow::OnDpiChanged),
  };
  // The registration went with the old taskbar.
  if (message == TaskbarCreatedMessage() && message) {
    RegisterAppBar();
    result = 0;
    return true;
  }
  if (fw::DispatchMap(this, map, message, wParam, lParam, result)) return true;
  if (frame.ProcessSkinMessage(message, wParam, lParam, result)) return true;
  return fw::ReflectNotifications(message, wParam, lParam, result);
}

void MainWindow::CentreInWorkArea() {
  RECT area = {}, r = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(Handle(), &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  // Kept inside the work area once the window has its real size (OnInitDialog).
  const int x = area.left + (area.right - area.left - w) / 2;
  const int y = area.top + (area.bottom - area.top - h) / 2;
  SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT MainWindow::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  HWND window = Handle();
  fw::DisableDialogDpiBehaviors(window);  // the skin lays the window out at every scale
  CentreInWorkArea();

  auto loadIcon = [](int cx, int cy) {
    return static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, cx, cy, 0));
  };
  SendMessageW(window, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(loadIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON))));
  SendMessageW(window, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(loadIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON))));

  if (fw::MessageLoop* loop = fw::appModule.GetMessageLoop()) loop->AddMessageFilter(this);

  const int dpi = fw::WindowDpi(window);
  RECT placed;
  GetWindowRect(window, &placed);
  const RECT area = frame.WorkArea();
  const skin::Rect start =
      skin::StartRect({placed.left, placed.top}, {area.left, area.top, area.right, area.bottom}, dpi);
  frame.Init(dpi, start, WS_CLIPCHILDREN);

  LayOut();
  page->CreateBrowserHost(window, BrowserPlace(window, dpi), this);
  RegisterAppBar();
  // Focus into the page ourselves, and 0 so that the dialog manager does not move it: with
  // no tab stop in the window it would pick the first caption button.
  RestoreFocus();
  return 0;
}

void MainWindow::RegisterAppBar() { appbar::Register(Handle(), APPBAR_CALLBACK_MESSAGE); }

HIMAGELIST MainWindow::ButtonImages(UINT bitmapId) const {
  const int dpi = frame.Dpi();
  const skin::Metrics& m = frame.Metrics();
  return fw::LoadImageStripAt(Module(), skin::ArtworkId(bitmapId, dpi), m.buttonWidth, m.buttonHeight, 3);
}

void MainWindow::LayOut() {
  HWND window = Handle();
  const int dpi = frame.Dpi();
  const skin::Metrics& m = frame.Metrics();
  RECT client;
  GetClientRect(window, &client);

  frame.DestroyButtons();
  if (buttonTips) ::DestroyWindow(buttonTips);
  buttonTips = nullptr;
  static const struct {
    UINT id, bitmap;
    const wchar_t* tip;
  } kButtons[] = {{SC_CLOSE, IDB_CLOSE, kTipClose},
                  {SC_MAXIMIZE, IDB_MAXIMIZE, kTipMaximize},
                  {SC_MINIMIZE, IDB_MINIMIZE, kTipMinimize},
                  {ID_PIN, IDB_PIN_ON, kTipPin}};
  int index = 0;
  for (const auto& b : kButtons) {
    const RECT place = ToRECT(skin::CaptionButtonRect(client.right, index++, dpi));
    if (fw::BitmapButton* button = frame.AddButton(place, b.id, ButtonImages(b.bitmap), 0, 2, 1, 2)) {
      SetButtonTip(button, b.tip);
    }
  }
  SetPinned(pinned);
  if (frame.Maximized()) MaximizeChanged(true);
  if (tipsAdded) AddTips();

  if (captionIcon) DestroyIcon(captionIcon);
  captionIcon =
      static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, m.iconSize, m.iconSize, 0));
  if (captionFont) DeleteObject(captionFont);
  captionFont = nullptr;
  HFONT base = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  if (!base) base = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  LOGFONTW font = {};
  if (base && GetObjectW(base, sizeof(font), &font)) {
    lstrcpynW(font.lfFaceName, kCaptionFontFace, LF_FACESIZE);
    font.lfHeight = m.fontHeight;  // the dialog's font keeps the dpi the process started at
    captionFont = CreateFontIndirectW(&font);
  }

  tabs.LayOut(window, dpi);
  page->ResizeBrowserHost(BrowserPlace(window, dpi));
}

void MainWindow::AddTips() {
  tipsAdded = true;
  if (!Handle() || buttonTips) return;
  buttonTips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, Handle(), nullptr, Module(), nullptr);
  SendMessageW(buttonTips, TTM_ACTIVATE, TRUE, 0);
  // Each button's text is its tip for the state it shows.
  for (UINT id : {SC_CLOSE, SC_MINIMIZE, SC_MAXIMIZE, ID_PIN}) {
    if (fw::BitmapButton* button = frame.FindButton(id)) {
      wchar_t tip[16] = {};
      GetWindowTextW(button->Handle(), tip, static_cast<int>(std::size(tip)));
      SetButtonTip(button, tip, TTM_ADDTOOLW);
    }
  }
  if (pinned) PlaceTopmost(true);  // with the new tips detached, as for any pin
}

void MainWindow::SetButtonTip(fw::BitmapButton* button, const wchar_t* tip, UINT message) {
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(button->Handle());
  tool.hinst = Module();
  tool.lpszText = const_cast<wchar_t*>(tip);
  if (buttonTips) SendMessageW(buttonTips, message, 0, reinterpret_cast<LPARAM>(&tool));
  SetWindowTextW(button->Handle(), tip);
}

void MainWindow::SwapButtonLook(UINT id, UINT bitmapId, const wchar_t* tip) {
  fw::BitmapButton* button = frame.FindButton(id);
  if (!button) return;
  button->SetImageList(ButtonImages(bitmapId));
  button->SetImages(0, 2, 1, 2);
  RedrawNow(button->Handle());
  SetButtonTip(button, tip);
}

void MainWindow::MaximizeChanged(bool isMaximized) {
  SwapButtonLook(SC_MAXIMIZE, isMaximized ? IDB_RESTORE : IDB_MAXIMIZE, isMaximized ? kTipRestore : kTipMaximize);
}

void MainWindow::SetPinned(bool pin) {
  PlaceTopmost(pin);
  pinned = pin;
  SwapButtonLook(ID_PIN, pin ? IDB_PIN_ON : IDB_PIN_OFF, pin ? kTipUnpin : kTipPin);
}

void MainWindow::PlaceTopmost(bool topmost) {
  // Wine links a window that owns popups after the last of them, which drops it from the
  // topmost band again; the tips are detached for the move so that both platforms agree.
  const bool detach = topmost && buttonTips;
  if (detach) SetWindowLongPtrW(buttonTips, GWLP_HWNDPARENT, 0);
  // Never activated by it: a full-screen window that closes must not hand it the keyboard.
  SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (detach) SetWindowLongPtrW(buttonTips, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Handle()));
}

LRESULT MainWindow::OnTogglePin(UINT, WPARAM, LPARAM, BOOL&) {
  SetPinned(!pinned);
  return 0;
}

void MainWindow::SetTitle(const std::wstring& title) {
  titleText = title;
  if (Handle()) SetWindowTextW(Handle(), titleText.c_str());
}

void MainWindow::SetVipMode() {
  tabs.Destroy();
  page->SetVipMode();
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void MainWindow::CloseAndQuit(int code) {
  DestroyWindow();
  PostQuitMessage(code);
}

LRESULT MainWindow::OnCancel(UINT, WPARAM, LPARAM, BOOL&) {
  CloseAndQuit(2);
  return 0;
}

// A click goes to the section's stored address; which tab is current changes only when
// the page says so.
LRESULT MainWindow::OnTabCommand(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (const wchar_t* section = CaptionTabs::SectionOf(LOWORD(wParam))) {
    const auto found = navUrls.find(section);
    if (found != navUrls.end()) Navigate(found->second);
  }
  tabs.Redraw();
  return 0;
}

// The first list the page hands over makes the tabs; later ones only change the addresses.
void MainWindow::NavItemsSet(const NavUrls& stored) {
  navUrls = stored;
  if (!page->VipMode() && Handle()) tabs.Create(Handle(), frame.Dpi());
}

void MainWindow::TabSelected(const std::wstring& section) {
  if (!page->VipMode()) tabs.Select(section);
}

LRESULT MainWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  appbar::Unregister(Handle());
  page->DestroyBrowserHost();
  tabs.Destroy();
  frame.DestroyButtons();
  if (fw::MessageLoop* loop = fw::appModule.GetMessageLoop()) loop->RemoveMessageFilter(this);
  if (captionIcon) DestroyIcon(captionIcon);
  captionIcon = nullptr;
  handled = FALSE;
  return 0;
}

LRESULT MainWindow::OnSize(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (wParam != SIZE_MINIMIZED) page->ResizeBrowserHost(BrowserPlace(Handle(), frame.Dpi()));
  return 0;
}

// Moved to a display of another scale, or the scale changed: the system suggests the
// rectangle that keeps the window's place, and everything is laid out and the page zoomed again.
LRESULT MainWindow::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  const int newDpi = HIWORD(wParam);
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  if (newDpi <= 0 || !suggested) return 0;
  frame.SetDpi(newDpi);
  // The buttons are made again at their new size rather than moved.
  frame.DestroyButtons();
  frame.SetPosAndLayout(suggested->left, suggested->top, suggested->right - suggested->left,
                        suggested->bottom - suggested->top, SWP_NOACTIVATE);
  LayOut();
  page->ZoomToDpi(newDpi);
  RedrawNow(Handle());
  return 0;
}

// The dialog manager would give the focus to a control with a tab stop, and the window has
// none: typing would go nowhere until the page was clicked.
LRESULT MainWindow::OnActivate(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    focusBeforeDeactivation = focus && IsChild(Handle(), focus) ? focus : nullptr;
  } else if (!HIWORD(wParam)) {  // minimised, the window keeps no focus
    RestoreFocus();
  }
  return 0;
}

// The system focuses the window itself, for example when it comes back from the taskbar.
LRESULT MainWindow::OnSetFocus(UINT, WPARAM, LPARAM, BOOL&) {
  RestoreFocus();
  return 0;
}

void MainWindow::RestoreFocus() {
  HWND target = focusBeforeDeactivation;
  if (!target || !IsChild(Handle(), target) || !IsWindowVisible(target) || !IsWindowEnabled(target)) {
    target = page->HostWindow();  // its focus in-place activates the control, which takes it on
  }
  if (target) SetFocus(target);
}

LRESULT MainWindow::OnAppBarNotify(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  if (wParam != ABN_FULLSCREENAPP || !pinned) return 0;
  if (lParam) {
    // Maximised where no taskbar keeps room, the window covers its monitor: it must not
    // yield to itself.
    if (yieldedTopmost || appbar::IsOwnFullScreen(Handle())) return 0;
    PlaceTopmost(false);
    yieldedTopmost = true;
    if (HWND player = FindWindowExW(nullptr, nullptr, L"ShockwaveFlashFullScreen", nullptr)) BringWindowToTop(player);
  } else if (yieldedTopmost) {
    yieldedTopmost = false;
    PlaceTopmost(true);
  }
  return 0;
}

BOOL MainWindow::PreTranslateMessage(MSG* msg) {
  HWND window = Handle();
  if (!window) return FALSE;
  // Escape goes to the focused control as an ordinary key: it must not close the dialog.
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) return FALSE;
  const bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
  const bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= 0x020D;
  if (!key && !mouse) return FALSE;

  HWND focus = GetFocus();
  if (focus && IsChild(window, focus)) {
    HWND top = focus;
    while (GetParent(top) != window) top = GetParent(top);
    if (SendMessageW(top, fw::WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(msg))) return TRUE;
  }
  if (buttonTips) SendMessageW(buttonTips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  return IsDialogMessageW(window, msg);
}

void MainWindow::DoPaint(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  const int width = client.right;

  HBRUSH background = CreateSolidBrush(kFrameColour);
  FillRect(dc, &client, background);
  DeleteObject(background);

  // Loaded for each paint and released after: it is needed only here.
  const int dpi = frame.Dpi();
  const skin::Metrics& m = frame.Metrics();
  const int top = m.edge, rows = m.captionBitmapHeight;
  if (HBITMAP caption =
          fw::LoadBitmapAt(Module(), skin::ArtworkId(IDB_CAPTION, dpi), m.captionBitmapWidth, m.captionBitmapHeight)) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, caption);
    SetStretchBltMode(dc, COLORONCOLOR);
    for (const skin::CaptionSpan& span : skin::CaptionSpans(width, dpi)) {
      if (span.destWidth == span.srcWidth) {
        BitBlt(dc, span.destX, top, span.destWidth, rows, source, span.srcX, 0, SRCCOPY);
      } else {
        StretchBlt(dc, span.destX, top, span.destWidth, rows, source, span.srcX, 0, span.srcWidth, rows, SRCCOPY);
      }
    }
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(caption);
  }

  SetBkMode(dc, TRANSPARENT);
  if (captionIcon) DrawIconEx(dc, m.iconX, top, captionIcon, m.iconSize, m.iconSize, 0, nullptr, DI_NORMAL);

  SetTextColor(dc, RGB(255, 255, 255));
  HGDIOBJ oldFont = captionFont ? SelectObject(dc, captionFont) : nullptr;
  if (page->VipMode()) {
    RECT title = ToRECT(skin::TitleRect(width, dpi));
    DrawTextW(dc, titleText.c_str(), -1, &title, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (oldFont) SelectObject(dc, oldFont);
}
