// The Windows tests' wait: this thread's messages run until the state holds, bounded.
#pragma once

#include <windows.h>

inline void Drain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// False once the bound has passed, which only a hang reaches.
template <class Done>
bool PumpUntil(Done&& done, DWORD ms = 20000) {
  for (const ULONGLONG end = GetTickCount64() + ms;;) {
    Drain();
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
