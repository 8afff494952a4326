// Another process at the relay's area: a dead sender (leave), a hostile writer, or a
// squatter holding a reserved-only or half-committed area until ended.
#include <windows.h>

#include <string>

#include "app/command_area.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  const std::wstring role = commandLine;
  if (role == L"reserve" || role == L"partial") {
    HANDLE squat =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_RESERVE, 0, kCommandAreaBytes, kCommandAreaName);
    if (!squat || GetLastError() == ERROR_ALREADY_EXISTS) return 3;
    if (role == L"partial") {
      void* view = MapViewOfFile(squat, FILE_MAP_ALL_ACCESS, 0, 0, 0);
      auto* first = static_cast<wchar_t*>(VirtualAlloc(view, 4096, MEM_COMMIT, PAGE_READWRITE));
      if (!first) return 4;
      for (int i = 0; i < 2048; ++i) first[i] = L'A';
    }
    Sleep(INFINITE);
  }
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
  auto* area = static_cast<volatile wchar_t*>(
      mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kCommandAreaBytes) : nullptr);
  HWND target = FindWindowW(kCommandWindowName, kCommandWindowName);
  if (!area || !target) return 6;
  if (role == L"leave") {
    WriteCommandArea(area, L"-url:stale -title:stale");
  } else if (role == L"hostile") {
    for (std::size_t i = 0; i < kCommandAreaUnits; ++i) area[i] = L'A';
    PostMessageW(target, kCommandMessage, 0, 0);
  } else {
    return 2;
  }
  return 0;
}
