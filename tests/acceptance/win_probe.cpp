// The acceptance driver's eyes and hands on the Windows side, for what X cannot tell. One
// command a line on stdin, one answer a line on stdout, so the suite pays for one Wine start:
//   rect | region | iconic | topmost | count | workarea | tip | syscommand <hex>
//   tips: the caption's tips as name=text; metrics <dpi>: the program's own sizes as name=value
//   trace <hex> | trace show <n>: posts that system command, or shows the window with it as another
//     program does, and lists each distinct "iconic left top right bottom" the window passes
//     through, separated by ';', until it has held still a while
//   focus: "inactive", "none", "page" (the host's window tree) or the focused window's class
//   appbar [forget]: whether the shell holds the window's app-bar registration, or drop it as a
//     taskbar that starts again has; taskbarcreated: the shell's broadcast
//   show <cursor> <x> <y> <width> <height> <topmost 0|1> | hide: a plain white window of our own,
//     which takes the foreground. Topmost and small, it shows a system cursor to compare the
//     program's with on the X side (Wine's cursor handles mean nothing in another process); not
//     topmost, it is the other program that a pinned window stays above.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>

#include "bencoding/text.h"
#include "tests/support/test_support.h"
#include "ui/skin_geometry.h"

namespace {

// The program's main window is the only visible top-level dialog on our display: the first
// of them, and in `count` how many there are.
HWND FindMain(int& count) {
  HWND first = nullptr;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr));) {
    if (IsWindowVisible(w) && !count++) first = w;
  }
  return first;
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

// The text of the tip now shown for the main window: the tooltip control answers WM_GETTEXT
// with it, and the system carries that message's text across processes.
std::string ShownTip(HWND main) {
  for (HWND tips = nullptr; (tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr));) {
    if (GetWindow(tips, GW_OWNER) != main || !IsWindowVisible(tips)) continue;
    wchar_t text[256] = {};
    SendMessageW(tips, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return zv::encoding::bencoding::wide_to_utf8(text);
  }
  return "none";
}

HCURSOR referenceCursor = nullptr;
int referenceTopmost = 0;
HANDLE referenceThread = nullptr;
DWORD referenceThreadId = 0;

DWORD WINAPI ReferenceWindow(LPVOID param) {
  const RECT at = *static_cast<RECT*>(param);
  const WNDPROC answer = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    return message == WM_SETCURSOR ? (SetCursor(referenceCursor), TRUE) : DefWindowProcW(w, message, wParam, lParam);
  };
  const WNDCLASSW wc = {0, answer, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr,
                        static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr, L"kp_probe_window"};
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | (referenceTopmost ? WS_EX_TOPMOST : 0), wc.lpszClassName, L"",
                           WS_POPUP | WS_VISIBLE, at.left, at.top, at.right, at.bottom, nullptr, nullptr, wc.hInstance,
                           nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  DestroyWindow(w);
  return 0;
}

std::string Answer(const std::string& line) {
  int count = 0;
  const HWND w = FindMain(count);
  if (line == "count") return std::to_string(count);
  if (line == "workarea") return Text(kp_test::WorkArea());
  if (line.rfind("metrics ", 0) == 0) {
    const skin::Metrics m = skin::MetricsAt(std::atoi(line.c_str() + 8));
    const std::pair<const char*, int> fields[] = {
        {"width", m.width}, {"height", m.height}, {"minWidth", m.minWidth}, {"minHeight", m.minHeight},
        {"border", m.border}, {"edge", m.edge}, {"buttonWidth", m.buttonWidth}, {"buttonHeight", m.buttonHeight},
        {"captionHeight", m.captionHeight}, {"captionBitmapWidth", m.captionBitmapWidth},
        {"stretchColumn", m.stretchColumn}, {"tabLeft", m.tabLeft}, {"tabWidth", m.tabWidth}, {"iconX", m.iconX},
        {"titleRightGap", m.titleRightGap}};
    std::string answer;
    for (const auto& f : fields) answer += std::string(f.first) + "=" + std::to_string(f.second) + " ";
    return answer;  // the line's end is trimmed by the suite
  }
  // The caption buttons' tips as users read them.
  if (line == "tips") return "pin=置顶 unpin=取消置顶 minimize=最小化 maximize=最大化 restore=还原 close=关闭";
  if (line.rfind("show ", 0) == 0 && !referenceThread) {
    char name[32] = {};
    static RECT at;  // left, top, width, height
    if (std::sscanf(line.c_str() + 5, "%31s %ld %ld %ld %ld %d", name, &at.left, &at.top, &at.right, &at.bottom,
                    &referenceTopmost) != 6) {
      return "error";
    }
    referenceCursor = LoadCursorW(nullptr, std::string(name) == "sizenwse" ? IDC_SIZENWSE : IDC_ARROW);
    referenceThread = CreateThread(nullptr, 0, ReferenceWindow, &at, 0, &referenceThreadId);
    return referenceThread ? "ok" : "error";
  }
  if (line == "hide" && referenceThread) {
    while (!PostThreadMessageW(referenceThreadId, WM_QUIT, 0, 0)) Sleep(10);
    WaitForSingleObject(referenceThread, INFINITE);
    CloseHandle(referenceThread);
    referenceThread = nullptr;
    return "ok";
  }
  if (line == "taskbarcreated") {
    // Sent, not posted: when it returns every window has handled it.
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG,
                               5000, &ignored)
               ? "ok"
               : "error";
  }
  if (!w) return "none";
  if (line == "rect") return Text(kp_test::Placed<RECT>(w));
  if (line == "region") {
    // The region's box, then whether each corner pixel (top-left, top-right, bottom-left,
    // bottom-right of the window) lies inside it.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RECT box = {};
    const RECT r = kp_test::Placed<RECT>(w);
    if (GetWindowRgn(w, region) == ERROR) return "none";
    GetRgnBox(region, &box);
    const int right = r.right - r.left - 1, bottom = r.bottom - r.top - 1;
    std::string answer = Text(box);
    for (POINT p : {POINT{0, 0}, POINT{right, 0}, POINT{0, bottom}, POINT{right, bottom}}) {
      answer += PtInRegion(region, p.x, p.y) ? " 1" : " 0";
    }
    DeleteObject(region);
    return answer;
  }
  if (line == "focus") {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info)) return "error";
    if (info.hwndActive != w) return "inactive";
    if (!info.hwndFocus) return "none";
    HWND page = FindWindowExW(w, nullptr, L"AtlAxWin71", nullptr);
    if (page && (info.hwndFocus == page || IsChild(page, info.hwndFocus))) return "page";
    char cls[64] = {};
    GetClassNameA(info.hwndFocus, cls, 64);
    return cls;
  }
  if (line == "appbar" || line == "appbar forget") {
    APPBARDATA bar = {sizeof(bar), w, 0, 0, {}, 0};
    if (line != "appbar") return SHAppBarMessage(ABM_REMOVE, &bar) ? "ok" : "error";
    // The shell refuses a second registration of a window; one that it takes is ours to drop.
    if (!SHAppBarMessage(ABM_NEW, &bar)) return "1";
    SHAppBarMessage(ABM_REMOVE, &bar);
    return "0";
  }
  if (line == "iconic") return IsIconic(w) ? "1" : "0";
  if (line == "topmost") return (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "1" : "0";
  if (line == "tip") return ShownTip(w);
  if (line.rfind("syscommand ", 0) == 0) {  // posted, as the taskbar button's menu does
    return PostMessageW(w, WM_SYSCOMMAND, std::stoul(line.substr(11), nullptr, 16), 0) ? "ok" : "error";
  }
  if (line.rfind("trace ", 0) == 0) {
    // Sampled, not hooked: a state held for less than a millisecond is missed, but one a
    // user could see on screen is not.
    auto state = [w] { return std::string(IsIconic(w) ? "1 " : "0 ") + Text(kp_test::Placed<RECT>(w)); };
    std::string seen = state(), last = seen;
    // Asynchronous, so that the window is watched while it moves.
    const bool show = line.rfind("trace show ", 0) == 0;
    const bool sent = show ? ShowWindowAsync(w, std::stoi(line.substr(11)))
                           : PostMessageW(w, WM_SYSCOMMAND, std::stoul(line.substr(6), nullptr, 16), 0);
    if (!sent) return "error";
    const DWORD start = GetTickCount();
    for (DWORD changed = start; GetTickCount() - start < 10000; Sleep(1)) {
      const std::string now = state();
      if (now != last) {
        seen += ";" + now;
        last = now;
        changed = GetTickCount();
      } else if (seen != last && GetTickCount() - changed > 500) {  // it moved, and has held still since
        break;
      }
    }
    return seen;
  }
  return "unknown";
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::cout << Answer(line) << std::endl;
  }
  return 0;
}
