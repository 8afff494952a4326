// The application-bar glue: see app_bar.h.
#include "ui/app_bar.h"

#include "ui/skin_geometry.h"

namespace appbar {

namespace {

constexpr DWORD kGetAutoHideBarEx = 0x0B;  // ABM_GETAUTOHIDEBAREX, Windows 8 and later

// The shell answers per monitor from Windows 8; 7 knows one bar per edge, on any monitor.
bool ShellAnswersPerMonitor() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  version.dwMajorVersion = 6;
  version.dwMinorVersion = 2;
  const DWORDLONG atLeast = VerSetConditionMask(VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL),
                                                VER_MINORVERSION, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, atLeast) != FALSE;
}

APPBARDATA Record(HWND window) {
  APPBARDATA data = {};
  data.cbSize = sizeof(data);  // the platform's size, not a fixed 36 bytes: a 64-bit shell reads more
  data.hWnd = window;
  return data;
}

}  // namespace

ShellMessageFn shellMessage = SHAppBarMessage;

void Register(HWND window, UINT callbackMessage) {
  APPBARDATA data = Record(window);
  data.uCallbackMessage = callbackMessage;
  shellMessage(ABM_NEW, &data);
}

void Unregister(HWND window) {
  APPBARDATA data = Record(window);
  shellMessage(ABM_REMOVE, &data);
}

unsigned AutoHideEdges(HMONITOR monitor, const RECT& monitorRect) {
  static const bool perMonitor = ShellAnswersPerMonitor();
  static const struct {
    UINT shellEdge;
    unsigned edge;
  } kEdges[] = {{ABE_LEFT, skin::EDGE_LEFT}, {ABE_TOP, skin::EDGE_TOP}, {ABE_RIGHT, skin::EDGE_RIGHT},
                {ABE_BOTTOM, skin::EDGE_BOTTOM}};
  unsigned edges = 0;
  for (const auto& e : kEdges) {
    APPBARDATA data = Record(nullptr);
    data.uEdge = e.shellEdge;
    data.rc = monitorRect;
    const auto bar = reinterpret_cast<HWND>(shellMessage(perMonitor ? kGetAutoHideBarEx : ABM_GETAUTOHIDEBAR, &data));
    if (bar && (perMonitor || MonitorFromWindow(bar, MONITOR_DEFAULTTONEAREST) == monitor)) edges |= e.edge;
  }
  return edges;
}

bool IsOwnFullScreen(HWND window) {
  if (!window || GetForegroundWindow() != window) return false;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  RECT r;
  if (!GetWindowRect(window, &r) || !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return false;
  }
  const RECT& m = monitor.rcMonitor;
  return r.left <= m.left && r.top <= m.top && r.right >= m.right && r.bottom >= m.bottom;
}

}  // namespace appbar
