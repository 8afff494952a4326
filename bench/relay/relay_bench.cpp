// Relay latency from CommandWindow::Send to the listener's OnCommands, in one process and
// across two, beside the time to start and end a trivial program on the same machine.
//   relay_bench [relays]      prints medians and spread, and the ratios
//   relay_bench listen        (internal) the running instance for the cross-process part
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_window.h"

namespace {

const wchar_t kAckEvent[] = L"Local\\kp_relay_bench_ack";
const wchar_t kClockArea[] = L"Local\\kp_relay_bench_clock";

LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Micros(LONGLONG ticks) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1e6 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

struct Stats {
  double median, p10, p90, min, max;
};

Stats Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  auto at = [&](double q) { return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5)]; };
  return {at(0.5), at(0.1), at(0.9), v.front(), v.back()};
}

void Print(const char* what, const std::vector<double>& us) {
  if (us.empty()) {
    std::printf("%-34s no samples\n", what);
    return;
  }
  const Stats s = Summarise(us);
  std::printf("%-34s n=%3zu median %9.1f us  p10 %9.1f  p90 %9.1f  min %9.1f  max %9.1f\n", what, us.size(), s.median,
              s.p10, s.p90, s.min, s.max);
}

std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  std::wstring dir(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

HANDLE Start(const std::wstring& exe, const std::wstring& args) {
  std::wstring line = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

void Pump(const bool& done, DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  MSG msg;
  while (!done && GetTickCount64() < deadline) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
}

class Stamp : public CommandListener {
 public:
  void OnCommands(CommandList list) override {
    at = Now();
    done = true;
    if (list.count(L"quit")) PostQuitMessage(0);
    if (ack) {
      *clock = at;
      SetEvent(ack);
    }
  }
  LONGLONG at = 0;
  bool done = false;
  HANDLE ack = nullptr;
  volatile LONGLONG* clock = nullptr;
};

int Listen() {
  HANDLE ack = OpenEventW(EVENT_MODIFY_STATE, FALSE, kAckEvent);
  HANDLE clockArea = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kClockArea);
  if (!ack || !clockArea) return 2;
  Stamp stamp;
  stamp.ack = ack;
  stamp.clock = static_cast<volatile LONGLONG*>(MapViewOfFile(clockArea, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONGLONG)));
  CommandWindow& channel = CommandWindow::Instance();
  if (!stamp.clock || !channel.Open() || !channel.OwnWindow()) return 3;
  channel.AddListener(&stamp);
  // Bounded even if the driver dies: no message for 60 s ends the listener.
  SetTimer(nullptr, 0, 60000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageW(&msg);
  }
  return 0;
}

std::vector<double> ProcessStarts(int runs) {
  std::vector<double> us;
  const std::wstring noop = Beside(L"relay_noop.exe");
  for (int i = 0; i < runs; ++i) {
    const LONGLONG t0 = Now();
    HANDLE p = Start(noop, L"");
    if (!p) break;
    WaitForSingleObject(p, 10000);
    us.push_back(Micros(Now() - t0));
    CloseHandle(p);
  }
  return us;
}

std::vector<double> InProcess(int relays) {
  std::vector<double> us;
  CommandWindow channel;
  if (!channel.Open() || !channel.OwnWindow()) return us;
  Stamp stamp;
  channel.AddListener(&stamp);
  for (int i = 0; i < relays; ++i) {
    stamp.done = false;
    const LONGLONG t0 = Now();
    (void)channel.Send(L"-operation:bringwindowtotop -url:http://h/" + std::to_wstring(i));  // the stamp tells
    Pump(stamp.done, 2000);
    if (!stamp.done) break;
    us.push_back(Micros(stamp.at - t0));
  }
  channel.Close();
  return us;
}

std::vector<double> AcrossProcesses(int relays) {
  std::vector<double> us;
  HANDLE ack = CreateEventW(nullptr, FALSE, FALSE, kAckEvent);
  HANDLE clockArea = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONGLONG), kClockArea);
  auto* clock = static_cast<volatile LONGLONG*>(MapViewOfFile(clockArea, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONGLONG)));
  HANDLE listener = clock ? Start(Beside(L"relay_bench.exe"), L"listen") : nullptr;
  HWND target = nullptr;
  for (int i = 0; listener && !target && i < 1000; ++i) {
    target = FindWindowW(kCommandWindowName, kCommandWindowName);
    if (!target) Sleep(10);
  }
  CommandWindow channel;
  HANDLE areaHandle = OpenFileMappingW(FILE_MAP_READ, FALSE, kCommandAreaName);
  auto* area = areaHandle ? static_cast<const volatile wchar_t*>(MapViewOfFile(areaHandle, FILE_MAP_READ, 0, 0, 0)) : nullptr;
  if (target && area && channel.Attach({target})) {
    for (int i = 0; i < relays; ++i) {
      // Start each relay on a free area, or Send would measure its own 100 ms polling.
      for (int spin = 0; spin < 1000 && CommandAreaPending(area); ++spin) Sleep(1);
      const LONGLONG t0 = Now();
      if (channel.Send(L"-operation:bringwindowtotop -url:http://h/" + std::to_wstring(i)) !=
              CommandWindow::SendResult::kDelivered ||
          WaitForSingleObject(ack, 5000) != WAIT_OBJECT_0) {
        break;
      }
      us.push_back(Micros(*clock - t0));
    }
    for (int spin = 0; spin < 1000 && CommandAreaPending(area); ++spin) Sleep(1);
    (void)channel.Send(L"-operation:bringwindowtotop -quit:1");  // a listener that missed it ends by its own bound
  }
  channel.Close();
  if (listener) {
    if (WaitForSingleObject(listener, 5000) != WAIT_OBJECT_0) TerminateProcess(listener, 1);
    CloseHandle(listener);
  }
  if (area) UnmapViewOfFile(const_cast<wchar_t*>(area));
  if (areaHandle) CloseHandle(areaHandle);
  if (clock) UnmapViewOfFile(const_cast<LONGLONG*>(clock));
  if (clockArea) CloseHandle(clockArea);
  if (ack) CloseHandle(ack);
  return us;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wstring(argv[1]) == L"listen") return Listen();
  const int relays = argc > 1 ? std::max(1, _wtoi(argv[1])) : 50;
  if (FindWindowW(kCommandWindowName, kCommandWindowName)) {
    std::printf("a command window is already open; close the running instance first\n");
    return 1;
  }
  const std::vector<double> start = ProcessStarts(20);
  const std::vector<double> inProcess = InProcess(relays);
  const std::vector<double> across = AcrossProcesses(relays);
  Print("start+exit of a trivial program", start);
  Print("relay, same process", inProcess);
  Print("relay, across two processes", across);
  if (!start.empty() && !across.empty() && !inProcess.empty()) {
    const double s = Summarise(start).median;
    std::printf("ratio (median): program start / relay across processes = %.1f, / relay in process = %.1f\n",
                s / Summarise(across).median, s / Summarise(inProcess).median);
  }
  return across.size() == static_cast<std::size_t>(relays) && inProcess.size() == static_cast<std::size_t>(relays) ? 0 : 1;
}
