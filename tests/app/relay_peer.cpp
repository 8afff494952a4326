// Test peer for the relay, one process per role:
//   relay_peer first <result file> <lists> <timeout ms> [busy ms] [deaf ms]
//     the running instance: opens the channel, holds the mutex, appends every list it is
//     given to the result file and ends after <lists> lists (exit 0) or the timeout (exit 3);
//     each list takes [busy ms] to carry out, and no message is handled for the first [deaf ms].
//   relay_peer second <text...>   a second start relaying the rest of its command line
//   relay_peer leave <text...>    writes the area and ends without posting (a dead sender)
//   relay_peer hostile            fills the whole area without a terminator and posts
// Result file: UTF-16 code units, key U+001F value U+001E per entry, U+001D after a list.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_window.h"
#include "app/single_instance.h"

namespace {

// The raw text after the program name and the role word, as a second start would pass on.
std::wstring RestOfCommandLine() {
  const wchar_t* p = GetCommandLineW();
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  while (*p && *p != L' ' && *p != L'\t') ++p;  // the role
  if (*p) ++p;                                   // one blank
  return p;
}

class FileListener : public CommandListener {
 public:
  FileListener(const std::wstring& path, DWORD busyMs) : path(path), busyMs(busyMs) {}
  void OnCommands(CommandList list) override {
    if (busyMs) Sleep(busyMs);
    std::wstring out;
    for (const auto& kv : list) out += kv.first + L'\x1F' + kv.second + L'\x1E';
    out += L'\x1D';
    if (FILE* f = _wfopen(path.c_str(), L"ab")) {
      fwrite(out.data(), sizeof(wchar_t), out.size(), f);
      fclose(f);
    }
    ++received;
  }
  int received = 0;

 private:
  std::wstring path;
  DWORD busyMs;
};

int RunFirst(const std::vector<std::wstring>& args) {
  if (args.size() < 5) return 2;
  const int lists = _wtoi(args[3].c_str());
  const DWORD timeoutMs = static_cast<DWORD>(_wtoi(args[4].c_str()));
  const DWORD busyMs = args.size() > 5 ? static_cast<DWORD>(_wtoi(args[5].c_str())) : 0;
  const DWORD deafMs = args.size() > 6 ? static_cast<DWORD>(_wtoi(args[6].c_str())) : 0;
  CommandWindow& channel = CommandWindow::Instance();
  if (!channel.Open(GetCommandLineW())) return 4;
  CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 5;
  FileListener listener(args[2], busyMs);
  channel.AddListener(&listener);
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  Sleep(deafMs);
  while (listener.received < lists) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return 3;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return 0;
}

int RunSecond() {
  CommandWindow& channel = CommandWindow::Instance();
  channel.Open(GetCommandLineW());
  CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
  if (GetLastError() != ERROR_ALREADY_EXISTS) return 5;
  channel.Send(kBringToTopPrefix + RestOfCommandLine());
  channel.Close();
  return 0;
}

volatile wchar_t* MapExistingArea() {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
  if (!mapping) return nullptr;
  return static_cast<volatile wchar_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kCommandAreaBytes));
}

int RunLeave() {
  volatile wchar_t* area = MapExistingArea();
  if (!area) return 6;
  WriteCommandArea(area, kCommandAreaUnits, kBringToTopPrefix + RestOfCommandLine());
  return 0;
}

int RunHostile() {
  volatile wchar_t* area = MapExistingArea();
  HWND target = FindWindowW(kCommandWindowName, kCommandWindowName);
  if (!area || !target) return 6;
  for (std::size_t i = 0; i < kCommandAreaUnits; ++i) area[i] = L'A';
  PostMessageW(target, kCommandMessage, 0, 0);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv, argv + (argv ? argc : 0));
  if (argv) LocalFree(argv);
  if (args.size() < 2) return 2;
  if (args[1] == L"first") return RunFirst(args);
  if (args[1] == L"second") return RunSecond();
  if (args[1] == L"leave") return RunLeave();
  if (args[1] == L"hostile") return RunHostile();
  return 2;
}
