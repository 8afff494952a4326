// The least a Win32 window program does: one class, one window of the program's size,
// shown, and a message loop. What kestrelpane's start-up and memory are compared with.
#include "bench/startup/minimal_popup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  HWND window = CreateMinimalPopup(instance, L"minimal_window", WS_POPUP);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  return RunMinimalLoop();
}
