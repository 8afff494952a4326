// A second start never makes a command window of its own, so it never posts to itself:
// it relays to another process's window, waits for one, or becomes the first instance once
// the name is free.
#include "app/instance_claim.h"

#include <string>

#include "app/command_window.h"
#include "app/single_instance.h"

namespace {

// A first instance makes its command window right after the mutex, so a start that finds
// the mutex but no window is early, or the instance it found has just died.
constexpr ULONGLONG kClaimWaitMs = 10000;
constexpr DWORD kClaimPollMs = 20;

HWND OtherCommandWindow() {
  HWND window = FindWindowW(kCommandWindowName, kCommandWindowName);
  DWORD owner = 0;
  if (window) GetWindowThreadProcessId(window, &owner);
  return window && owner != GetCurrentProcessId() ? window : nullptr;
}

}  // namespace

StartRole ClaimInstance(const wchar_t* commandLine, HANDLE* instanceMutex) {
  *instanceMutex = nullptr;
  const std::wstring text = std::wstring(kBringToTopPrefix) + (commandLine ? commandLine : L"");
  const ULONGLONG end = GetTickCount64() + kClaimWaitMs;
  for (;;) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    // Every outcome but "already exists", a failure to create it included, makes the first instance.
    if (!mutex || GetLastError() != ERROR_ALREADY_EXISTS) {
      *instanceMutex = mutex;
      return StartRole::kFirst;
    }
    // Not kept: once the running instance is gone, only it kept the name alive, and a start
    // that is still waiting can become the first.
    CloseHandle(mutex);
    if (HWND target = OtherCommandWindow()) {
      CommandWindow& channel = CommandWindow::Instance();
      const auto sent = channel.Attach(target) ? channel.Send(text) : CommandWindow::SendResult::kNotDelivered;
      channel.Close();
      if (sent == CommandWindow::SendResult::kDelivered) return StartRole::kRelayed;
      if (sent == CommandWindow::SendResult::kNotDelivered) return StartRole::kNotRelayed;
      // The instance died under us: look again, and perhaps take its place.
    }
    if (GetTickCount64() >= end) return StartRole::kNotRelayed;
    Sleep(kClaimPollMs);
  }
}
