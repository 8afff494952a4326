// The least a relaying second start does: open the running instance's area, write the
// command line into it, find its command window and post to it. No waiting, no lock, no
// check that anything arrived. What kestrelpane's second start is compared with.
#include <windows.h>

#include "app/command_area.h"
#include "app/single_instance.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kCommandAreaBytes) : nullptr;
  if (!view) return 1;
  WriteCommandArea(static_cast<volatile wchar_t*>(view), std::wstring(kBringToTopPrefix) + commandLine);
  HWND target = FindWindowW(kCommandWindowName, kCommandWindowName);
  return target && PostMessageW(target, kCommandMessage, 0, 0) ? 0 : 1;
}
