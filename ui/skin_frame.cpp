// The skin's Win32 glue; the geometry itself is in skin_geometry.cpp.
#include "ui/skin_frame.h"

#include <windowsx.h>

#include "ui/app_bar.h"
#include "ui/auto_hide.h"

namespace {

skin::Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

LPCWSTR CursorId(skin::GripCursor cursor) {
  switch (cursor) {
    case skin::GripCursor::SizeWE:
      return IDC_SIZEWE;
    case skin::GripCursor::SizeNS:
      return IDC_SIZENS;
    case skin::GripCursor::SizeNWSE:
      return IDC_SIZENWSE;
    case skin::GripCursor::SizeNESW:
      return IDC_SIZENESW;
    case skin::GripCursor::None:
      break;
  }
  return nullptr;
}

// The monitor that holds the window, so that maximising never jumps to another screen.
MONITORINFO MonitorOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);  // the primary display's, at 0, 0
    info.rcMonitor = info.rcWork;
  }
  return info;
}

}  // namespace

SkinFrame::~SkinFrame() = default;

void SkinFrame::Init(int windowDpi, const skin::Rect& place, DWORD extraStyle) {
  SetDpi(windowDpi);
  SetPosAndLayout(place.left, place.top, place.Width(), place.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  // The system menu and the two boxes give the taskbar button its minimise and maximise
  // entries; without a caption style no title bar appears.
  const LONG_PTR style = GetWindowLongPtrW(Window(), GWL_STYLE);
  SetWindowLongPtrW(Window(), GWL_STYLE, style | extraStyle | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
}

void SkinFrame::SetDpi(int newDpi) {
  dpi = newDpi;
  metrics = skin::MetricsAt(dpi);
}

void SkinFrame::SetPosAndLayout(int x, int y, int cx, int cy, UINT flags) {
  HWND window = Window();
  struct Placement {
    fw::BitmapButton* button;
    int width, height, fromRight;
    RECT before;
  };
  // Distances are taken from the width of the last layout, not the window's: the system may
  // have sized the window already (its own maximise) and left the buttons where they were.
  std::vector<Placement> placements;
  for (const auto& button : buttons) {
    RECT r;
    GetWindowRect(button->Handle(), &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    placements.push_back({button.get(), r.right - r.left, r.bottom - r.top, captionWidth - r.left, r});
  }

  SetWindowPos(window, nullptr, x, y, cx, cy, flags | SWP_NOZORDER);

  RECT client;
  GetClientRect(window, &client);
  const int border = metrics.border;
  const skin::Rect region = skin::RegionRect(client.right, client.bottom, border);
  // The window owns the region from here on.
  SetWindowRgn(window, CreateRoundRectRgn(region.left, region.top, region.right, region.bottom, border, border), TRUE);
  RedrawNow(window);

  for (const Placement& p : placements) {
    MoveWindow(p.button->Handle(), cx - p.fromRight, p.before.top, p.width, p.height, FALSE);
    InvalidateRect(window, &p.before, TRUE);
    RedrawNow(p.button->Handle());
  }
  captionWidth = cx;
}

fw::BitmapButton* SkinFrame::AddButton(const RECT& rect, UINT id, HIMAGELIST images, int normal, int pushed,
                                       int hover, int disabled) {
  auto button = std::make_unique<fw::BitmapButton>(fw::BMPBTN_HOVER | fw::BMPBTN_AUTOSIZE);
  button->SetImageList(images);
  button->SetImages(normal, pushed, hover, disabled);
  if (!button->Create(Window(), rect, id)) return nullptr;
  buttons.push_back(std::move(button));
  return buttons.back().get();
}

fw::BitmapButton* SkinFrame::FindButton(UINT id) const {
  for (const auto& button : buttons) {
    if (button->Handle() && static_cast<UINT>(GetDlgCtrlID(button->Handle())) == id) return button.get();
  }
  return nullptr;
}

void SkinFrame::DestroyButtons() {
  for (auto& button : buttons) button->Destroy();
  buttons.clear();
}

skin::Rect SkinFrame::CaptionRect() const {
  return skin::CaptionRect(captionWidth, metrics.captionHeight, metrics.border, metrics.border);
}

RECT SkinFrame::WorkArea() const { return MonitorOf(Window()).rcWork; }

RECT SkinFrame::MaximizeArea() const {
  const MONITORINFO monitor = MonitorOf(Window());
  const unsigned autoHide =
      appbar::AutoHideEdges(MonitorFromWindow(Window(), MONITOR_DEFAULTTONEAREST), monitor.rcMonitor);
  const skin::Rect r = skin::MaximizeRect(ToRect(monitor.rcMonitor), ToRect(monitor.rcWork), autoHide);
  return {r.left, r.top, r.right, r.bottom};
}

void SkinFrame::ToggleMaximize() {
  RECT current;
  GetWindowRect(Window(), &current);
  SetMaximized(!maximized, current, SWP_SHOWWINDOW);
}

void SkinFrame::SetMaximized(bool maximize, const RECT& restoreTo, UINT flags) {
  if (maximize) restoreRect = restoreTo;
  maximized = maximize;
  const RECT target = maximize ? MaximizeArea() : restoreRect;
  SetPosAndLayout(target.left, target.top, target.right - target.left, target.bottom - target.top, flags);
  owner.MaximizeChanged(maximized);
}

bool SkinFrame::ProcessSkinMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static const fw::MessageEntry<SkinFrame> map[] = {
      fw::OnMessage<SkinFrame>(WM_PAINT, &SkinFrame::OnPaint),
      fw::OnMessage<SkinFrame>(WM_PRINTCLIENT, &SkinFrame::OnPaint),
      fw::OnMessage<SkinFrame>(WM_ERASEBKGND, &SkinFrame::OnEraseBackground),
      fw::OnMessage<SkinFrame>(WM_NCHITTEST, &SkinFrame::OnNcHitTest),
      fw::OnMessage<SkinFrame>(WM_NCLBUTTONDBLCLK, &SkinFrame::OnDoubleClick),
      fw::OnMessage<SkinFrame>(WM_LBUTTONDBLCLK, &SkinFrame::OnDoubleClick),
      fw::OnMessage<SkinFrame>(WM_MOUSEMOVE, &SkinFrame::OnMouse),
      fw::OnMessage<SkinFrame>(WM_LBUTTONDOWN, &SkinFrame::OnMouse),
      fw::OnMessage<SkinFrame>(WM_LBUTTONUP, &SkinFrame::OnMouse),
      fw::OnMessage<SkinFrame>(WM_SYSCOMMAND, &SkinFrame::OnSysCommand),
      fw::OnMessage<SkinFrame>(WM_WINDOWPOSCHANGED, &SkinFrame::OnWindowPosChanged),
      fw::OnMessage<SkinFrame>(WM_GETMINMAXINFO, &SkinFrame::OnGetMinMaxInfo),
      fw::OnCommand<SkinFrame>(0, 0xFFFF, BN_CLICKED, &SkinFrame::OnButtonCommand),
  };
  return fw::DispatchMap(this, map, message, wParam, lParam, result);
}

void SkinFrame::PaintInto(HDC target) {
  HWND window = Window();
  RECT client;
  GetClientRect(window, &client);
  HDC memory = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(memory, font) : nullptr;
  owner.DoPaint(memory);
  BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  if (oldFont) SelectObject(memory, oldFont);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

LRESULT SkinFrame::OnPaint(UINT message, WPARAM wParam, LPARAM, BOOL&) {
  if (message == WM_PRINTCLIENT) {
    PaintInto(reinterpret_cast<HDC>(wParam));
    return 0;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Window(), &ps);
  PaintInto(dc);
  EndPaint(Window(), &ps);
  return 0;
}

LRESULT SkinFrame::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }

LRESULT SkinFrame::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  // Maximised, the whole window is client area: nothing drags it.
  if (maximized) {
    handled = FALSE;
    return 0;
  }
  POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(Window(), &p);
  if (CaptionRect().Contains(p.x, p.y)) return HTCAPTION;
  handled = FALSE;
  return 0;
}

LRESULT SkinFrame::OnDoubleClick(UINT message, WPARAM, LPARAM lParam, BOOL&) {
  if (message == WM_LBUTTONDBLCLK && !CaptionRect().Contains(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) return 0;
  ToggleMaximize();
  return 0;
}

LRESULT SkinFrame::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (wParam != SC_MAXIMIZE) {
    handled = FALSE;
    return 0;
  }
  // Brings a minimised window back; when already maximised that is all the entry does.
  ShowWindow(Window(), SW_RESTORE);
  if (maximized) return 0;
  RECT before;
  GetWindowRect(Window(), &before);
  SetMaximized(true, before, SWP_SHOWWINDOW);
  RedrawNow(Window());
  return 0;
}

// A maximise that did not come through the skin (a maximised start, ShowWindow from another
// program, the system's own shortcuts) leaves the system's maximised state: the skin would
// think itself restored, and nothing would re-anchor the buttons. The skin's own maximised
// state takes its place, at the same rectangle.
LRESULT SkinFrame::OnWindowPosChanged(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;  // the default still turns it into WM_MOVE and WM_SIZE
  HWND window = Window();
  if (IsZoomed(window)) {
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) & ~WS_MAXIMIZE);
    // Maximised already (then minimised), the skin keeps the rectangle it restores to.
    SetMaximized(true, maximized ? restoreRect : normalRect, SWP_NOACTIVATE);
  } else if (!maximized && !IsIconic(window)) {
    GetWindowRect(window, &normalRect);
  }
  return 0;
}

LRESULT SkinFrame::OnMouse(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if (maximized) {
    handled = FALSE;
    return 0;
  }
  HWND window = Window();
  const bool leftHeld = (wParam & MK_LBUTTON) != 0;
  if (!leftHeld) dragCursor = nullptr;

  RECT client;
  GetClientRect(window, &client);
  const skin::Grip grip =
      skin::GripAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, client.right, client.bottom, metrics.border,
                   metrics.border);
  if (grip.edges) {
    if (leftHeld && dragEdges == 0) dragEdges = grip.edges;
    if (!dragCursor) dragCursor = CursorId(grip.cursor);
  }
  if (dragCursor) {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, dragCursor));
    savedCursor = previous;
  }

  switch (message) {
    case WM_LBUTTONDOWN:
      GetCursorPos(&lastCursorPos);
      SetCapture(window);
      break;
    case WM_LBUTTONUP:
      if (savedCursor) SetCursor(savedCursor);
      ReleaseCapture();
      dragEdges = 0;
      break;
    case WM_MOUSEMOVE: {
      if (GetCapture() != window || !leftHeld || dragEdges == 0) break;
      POINT cur;
      GetCursorPos(&cur);
      RECT r;
      GetWindowRect(window, &r);
      const skin::Rect next =
          skin::DragStep(ToRect(r), dragEdges, {cur.x, cur.y}, {lastCursorPos.x, lastCursorPos.y}, metrics.minWidth,
                                             metrics.minHeight);
      if (cur.x != lastCursorPos.x || cur.y != lastCursorPos.y) {
        SetPosAndLayout(next.left, next.top, next.Width(), next.Height(), SWP_NOZORDER);
      }
      lastCursorPos = cur;
      break;
    }
    default:
      break;
  }
  return 0;
}

LRESULT SkinFrame::OnButtonCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  const UINT id = LOWORD(wParam);
  fw::BitmapButton* button = FindButton(id);
  if (!button || reinterpret_cast<HWND>(lParam) != button->Handle()) {
    handled = FALSE;
    return 0;
  }
  switch (id) {
    case SC_CLOSE:
    case SC_MINIMIZE: {
      POINT p;
      const LPARAM where = GetCursorPos(&p) ? MAKELPARAM(p.x, p.y) : MAKELPARAM(-1, -1);
      PostMessageW(Window(), WM_SYSCOMMAND, id, where);
      break;
    }
    case SC_MAXIMIZE:
      ToggleMaximize();
      break;
    default:
      handled = FALSE;
      break;
  }
  return 0;
}

LRESULT SkinFrame::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  info->ptMinTrackSize = {metrics.minWidth, metrics.minHeight};
  // Left alone, the system maximises a captionless popup over the whole monitor, taskbar
  // included, before the skin takes the maximise over: the work area of its monitor,
  // relative to the monitor as the message wants it.
  const MONITORINFO monitor = MonitorOf(Window());
  const RECT& work = monitor.rcWork;
  info->ptMaxPosition = {work.left - monitor.rcMonitor.left, work.top - monitor.rcMonitor.top};
  info->ptMaxSize = {work.right - work.left, work.bottom - work.top};
  return 0;
}
