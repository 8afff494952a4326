// A squatter of the relay's area: holds a reserved-only or half-committed section until ended.
#include <windows.h>

#include "app/command_area.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  HANDLE squat = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_RESERVE, 0, kCommandAreaBytes,
                                    kCommandAreaName);
  if (!squat || GetLastError() == ERROR_ALREADY_EXISTS) return 3;
  void* view = MapViewOfFile(squat, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (lstrcmpW(commandLine, L"partial") == 0 && !VirtualAlloc(view, 4096, MEM_COMMIT, PAGE_READWRITE)) return 4;
  Sleep(INFINITE);
  return 0;
}
