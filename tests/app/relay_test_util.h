// Helpers shared by the relay tests: the thread's message queue, a peer's view of the
// shared area, and where this test executable lives.
#pragma once

#include <windows.h>

#include <string>

#include "app/command_area.h"

// Handles what is queued without waiting for more.
inline void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// The relay's area as another process maps it; view is null when the area does not exist.
struct AreaView {
  AreaView() : mapping(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName)) {
    if (mapping) view = static_cast<volatile wchar_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  }
  ~AreaView() {
    if (view) UnmapViewOfFile(const_cast<wchar_t*>(view));
    if (mapping) CloseHandle(mapping);
  }
  AreaView(const AreaView&) = delete;
  AreaView& operator=(const AreaView&) = delete;
  HANDLE mapping;
  volatile wchar_t* view = nullptr;
};

// This executable's folder (with its trailing separator) or, with name, its file name.
inline std::wstring ExePart(bool name) {
  wchar_t path[MAX_PATH];
  const std::wstring full(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  const std::size_t cut = full.find_last_of(L"\\/") + 1;
  return name ? full.substr(cut) : full.substr(0, cut);
}
