// The least a program that shows the WebBrowser control pays: OLE, the system's own control
// container (atl.dll's AtlAxWinInit and an "AtlAxWin" child naming the control's ProgID) in
// a popup of kestrelpane's size, shown, and a message loop.
#include <ole2.h>

#include "bench/startup/minimal_popup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  OleInitialize(nullptr);
  HMODULE atl = LoadLibraryW(L"atl.dll");
  using InitFn = BOOL(WINAPI*)();
  auto init = atl ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit"))) : nullptr;
  if (!init || !init()) return 1;
  HWND window = CreateMinimalPopup(instance, L"minimal_browser", WS_POPUP | WS_CLIPCHILDREN);
  if (!window || !CreateWindowExW(0, L"AtlAxWin", L"Shell.Explorer.2", WS_CHILD | WS_VISIBLE, 0, 0, 994, 628, window,
                                  nullptr, instance, nullptr)) {
    return 1;
  }
  ShowWindow(window, showCommand);
  const int code = RunMinimalLoop();
  OleUninitialize();
  return code;
}
