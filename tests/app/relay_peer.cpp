// Test peer for the relay: another process of the session writing the shared area.
//   leave: writes a text and ends without posting, as a sender that died would
//   hostile: fills the whole area without a terminator and posts
#include <windows.h>

#include <string>

#include "app/command_area.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  const std::wstring role = commandLine;
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
  auto* area = static_cast<volatile wchar_t*>(
      mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kCommandAreaBytes) : nullptr);
  HWND target = FindWindowW(kCommandWindowName, kCommandWindowName);
  if (!area || !target) return 6;
  if (role == L"leave") {
    WriteCommandArea(area, kCommandAreaUnits, L"-url:stale -title:stale");
  } else if (role == L"hostile") {
    for (std::size_t i = 0; i < kCommandAreaUnits; ++i) area[i] = L'A';
    PostMessageW(target, kCommandMessage, 0, 0);
  } else {
    return 2;
  }
  return 0;
}
