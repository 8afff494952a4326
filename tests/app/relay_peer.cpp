// Test peer for the relay, one process per role, with the role as first argument:
//   first <result file> <lists> <timeout ms> <busy ms> <deaf ms>: the running instance;
//     appends each list it gets to the result file, as "key=value;" entries and a line end,
//     and ends after <lists> lists (exit 0) or the timeout (exit 3). Each list takes
//     <busy ms> to carry out; no message is handled for the first <deaf ms>.
//   leave: writes a text into the area and ends without posting, as a dead sender would
//   hostile: fills the whole area without a terminator and posts
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_window.h"
#include "app/single_instance.h"

namespace {

class FileListener : public CommandListener {
 public:
  FileListener(const std::wstring& path, DWORD busyMs) : path(path), busyMs(busyMs) {}
  void OnCommands(CommandList list) override {
    Sleep(busyMs);
    std::wstring out;
    for (const auto& kv : list) out += kv.first + L'=' + kv.second + L';';
    out += L'\n';
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
  if (args.size() < 7) return 2;
  CommandWindow& channel = CommandWindow::Instance();
  if (!channel.Open(GetCommandLineW())) return 4;
  CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 5;
  FileListener listener(args[2], static_cast<DWORD>(_wtoi(args[5].c_str())));
  channel.AddListener(&listener);
  const ULONGLONG deadline = GetTickCount64() + _wtoi(args[4].c_str());
  Sleep(static_cast<DWORD>(_wtoi(args[6].c_str())));
  while (listener.received < _wtoi(args[3].c_str())) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return 3;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return 0;
}

int RunWriter(bool hostile) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
  auto* area = static_cast<volatile wchar_t*>(
      mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kCommandAreaBytes) : nullptr);
  HWND target = FindWindowW(kCommandWindowName, kCommandWindowName);
  if (!area || !target) return 6;
  if (!hostile) {
    WriteCommandArea(area, kCommandAreaUnits, L"-url:stale -title:stale");
    return 0;
  }
  for (std::size_t i = 0; i < kCommandAreaUnits; ++i) area[i] = L'A';
  PostMessageW(target, kCommandMessage, 0, 0);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv, argv + (argv ? argc : 0));
  LocalFree(argv);
  if (args.size() < 2) return 2;
  if (args[1] == L"first") return RunFirst(args);
  if (args[1] == L"leave" || args[1] == L"hostile") return RunWriter(args[1] == L"hostile");
  return 2;
}
