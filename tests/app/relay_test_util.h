// Helpers shared by the relay tests: a recording listener, the thread's message queue,
// a peer's view of the shared area, and where this test executable lives.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/command_window.h"

class Recorder : public CommandListener {
 public:
  void OnCommands(CommandList list) override {
    lists.push_back(list);
    if (area) pendingWhileRunning.push_back(CommandAreaPending(area));
    list[L"mine"] = L"changed";  // must not reach the next listener
    if (onCall) onCall();
  }
  std::vector<CommandList> lists;
  const volatile wchar_t* area = nullptr;
  std::vector<bool> pendingWhileRunning;
  std::function<void()> onCall;
};

// Handles what is queued without waiting for more.
inline void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Runs the thread's messages until the recorder has `count` lists or ms pass.
inline void Pump(const Recorder& recorder, std::size_t count, DWORD ms = 2000) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (recorder.lists.size() < count && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Drain();
  }
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
