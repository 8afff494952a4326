// A second start never makes a command window of its own, so it never posts to itself:
// it relays to another process's window, waits for one, or becomes the first instance once
// the name is free.
#include "app/instance_claim.h"

#include <string>
#include <vector>

#include "app/command_window.h"
#include "app/single_instance.h"

namespace {

// A first instance makes its command window right after the mutex, so a start that finds
// the mutex but no window is early, or the instance it found has just died.
constexpr ULONGLONG kClaimWaitMs = 10000;
constexpr DWORD kClaimPollMs = 20;

// The next window of our class and name in another process after `after` (null: from the
// top), or null. Any program may make one, so each is only a candidate: the one that takes
// the text is the instance.
HWND NextCommandWindow(HWND after) {
  for (HWND window = after; (window = FindWindowExW(nullptr, window, kCommandWindowName, kCommandWindowName));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != GetCurrentProcessId()) return window;
  }
  return nullptr;
}

// Every such window after `after`, topmost first.
std::vector<HWND> OtherCommandWindows(HWND after) {
  std::vector<HWND> windows;
  for (HWND window = after; (window = NextCommandWindow(window));) windows.push_back(window);
  return windows;
}

}  // namespace

StartRole ClaimInstance(const wchar_t* commandLine, HANDLE* instanceMutex) {
  *instanceMutex = nullptr;
  const RelayText relay = MakeRelayText(commandLine ? commandLine : L"");
  const ULONGLONG end = GetTickCount64() + kClaimWaitMs;
  for (;;) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    const DWORD error = GetLastError();
    // An instance runs whose access list keeps us out, an elevated one: we cannot reach it.
    if (!mutex && error == ERROR_ACCESS_DENIED) return StartRole::kNotRelayed;
    // Every other outcome but "already exists", a failure to create it included, makes the first instance.
    if (!mutex || error != ERROR_ALREADY_EXISTS) {
      *instanceMutex = mutex;
      return StartRole::kFirst;
    }
    // Not kept: once the running instance is gone, only it kept the name alive, and a start
    // that is still waiting can become the first.
    CloseHandle(mutex);
    // The topmost candidate first, alone: under Wine a search that goes on past it to the
    // end of the list costs a start tens of milliseconds, and it is nearly always the instance.
    const HWND topmost = NextCommandWindow(nullptr);
    if (topmost) {
      CommandWindow& channel = CommandWindow::Instance();
      auto sent = channel.Attach({topmost}) ? channel.Send(relay.text) : CommandWindow::SendResult::kNotDelivered;
      if (sent == CommandWindow::SendResult::kNotDelivered) {
        // It took nothing: the others, if any, in the order a whole search gives.
        const std::vector<HWND> rest = OtherCommandWindows(topmost);
        if (!rest.empty()) sent = channel.Attach(rest) ? channel.Send(relay.text) : sent;
      }
      channel.Close();
      // A line too long for the area brought the window to the front, but did not arrive.
      if (sent == CommandWindow::SendResult::kDelivered) return relay.whole ? StartRole::kRelayed : StartRole::kNotRelayed;
      if (sent == CommandWindow::SendResult::kNotDelivered) return StartRole::kNotRelayed;
      // The instance died under us: look again, and perhaps take its place.
    }
    if (GetTickCount64() >= end) return StartRole::kNotRelayed;
    Sleep(kClaimPollMs);
  }
}
