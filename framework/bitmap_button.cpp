// The image button: a superclass of the system button that paints itself from an image list.
#include "framework/bitmap_button.h"

#include <windowsx.h>

#include "framework/dialog.h"
#include "framework/window_thunk.h"

namespace fw {

namespace {

constexpr wchar_t kClassName[] = L"WTL_BitmapButton";
constexpr unsigned kPressed = 1, kHover = 2, kTracking = 4;
enum Slot { kNormal, kPushed, kHoverSlot, kDisabled };

WNDPROC buttonProc = nullptr;

// Registered on every creation rather than once: a registration that failed must not stay
// failed for the life of the process.
bool RegisterButtonClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(nullptr, L"BUTTON", &wc)) return false;
  buttonProc = wc.lpfnWndProc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  return RegisterWindowClass(wc);
}

}  // namespace

BitmapButton::BitmapButton(DWORD style) : extendedStyle(style) {}

BitmapButton::~BitmapButton() {
  Destroy();
  SetImageList(nullptr);
}

HWND BitmapButton::Create(HWND parent, const RECT& rect, UINT id, DWORD style) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (window || !RegisterButtonClass(instance, WindowThunk<BitmapButton>::Procedure)) return nullptr;
  // Owner-drawn, so the system button never paints over our image.
  CreateWindowExW(0, kClassName, L"", style | BS_OWNERDRAW, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance,
                  this);
  if (window && (extendedStyle & BMPBTN_AUTOSIZE) && images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    SetWindowPos(window, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return window;
}

void BitmapButton::Destroy() {
  if (window) DestroyWindow(window);
}

void BitmapButton::SetImageList(HIMAGELIST list) {
  if (images && images != list) ImageList_Destroy(images);
  images = list;
}

void BitmapButton::SetImages(int normal, int pushed, int hover, int disabled) {
  slots[kNormal] = normal;
  slots[kPushed] = pushed < 0 ? normal : pushed;
  slots[kHoverSlot] = hover < 0 ? normal : hover;
  slots[kDisabled] = disabled < 0 ? normal : disabled;
}

bool BitmapButton::PreHandle(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void BitmapButton::Paint(HDC dc) {
  if (!images) return;
  int slot = slots[kNormal];
  if (!IsWindowEnabled(window)) {
    slot = slots[kDisabled];
  } else if (state & kPressed) {
    slot = slots[kPushed];
  } else if ((extendedStyle & BMPBTN_HOVER) && (state & kHover)) {
    slot = slots[kHoverSlot];
  }
  ImageList_Draw(images, slot, dc, 0, 0, ILD_NORMAL);
}

void BitmapButton::SetState(unsigned add, unsigned remove) {
  const unsigned next = (state | add) & ~remove;
  if (next == state) return;
  const bool looks = (next ^ state) & (kPressed | kHover);
  state = next;
  if (looks && window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
}

LRESULT BitmapButton::Unattached(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(buttonProc, hwnd, message, wParam, lParam);
}

LRESULT BitmapButton::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) window = hwnd;
  if (message == WM_NCDESTROY) {
    window = nullptr;
    state = 0;
    return CallWindowProcW(buttonProc, hwnd, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (PreHandle(message, wParam, lParam, result)) return result;
  return Handle(message, wParam, lParam);
}

LRESULT BitmapButton::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      Paint(dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case OCM_BASE + WM_DRAWITEM:
      Paint(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hDC);
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // the second press of a double-click is a press like the first
      SetCapture(window);
      SetState(kPressed, 0);
      return 0;
    case WM_MOUSEMOVE: {
      RECT client;
      GetClientRect(window, &client);
      const POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const bool inside = PtInRect(&client, p) != FALSE;
      if ((extendedStyle & BMPBTN_HOVER) && !(state & kTracking)) {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, window, 0};
        if (_TrackMouseEvent(&tme)) SetState(kTracking, 0);
      }
      unsigned add = inside ? kHover : 0, remove = inside ? 0 : kHover;
      if (GetCapture() == window) (inside ? add : remove) |= kPressed;
      SetState(add, remove);
      return 0;
    }
    case WM_MOUSELEAVE:
      SetState(0, kHover | kTracking);
      return 0;
    case WM_LBUTTONUP: {
      if (GetCapture() != window) return 0;
      const bool click = state & kPressed;
      SetState(0, kPressed);
      HWND self = window;
      // The parent may destroy this button while it handles the click: touch no member after.
      if (click) {
        SendMessageW(GetParent(self), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(self), BN_CLICKED),
                     reinterpret_cast<LPARAM>(self));
      }
      if (GetCapture() == self) ReleaseCapture();
      return 0;
    }
    case WM_CAPTURECHANGED:
      SetState(0, kPressed);
      return 0;
    case WM_ENABLE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (wParam == VK_SPACE || wParam == L' ') return 0;  // no keyboard clicks
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;  // nothing to show: no focus rectangle
    default:
      break;
  }
  return CallWindowProcW(buttonProc, window, message, wParam, lParam);
}

}  // namespace fw
