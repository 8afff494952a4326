// Plays a running Kestrelpane for the setup tests: holds the single-instance mutex (not
// with --no-mutex, which plays a start that has not made it yet) until it reads a line or
// the end of its standard input. Prints one line once it holds it, so the test needs no
// waiting by the clock. A line, not only the end, since other Wine processes started
// meanwhile may inherit the pipe and keep it open.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/single_instance.h"

int main(int argc, char** argv) {
  const bool takeMutex = !(argc > 1 && std::strcmp(argv[1], "--no-mutex") == 0);
  HANDLE mutex = nullptr;
  if (takeMutex) {
    mutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 1;
  }
  std::puts("running");
  std::fflush(stdout);
  char line[256];
  static_cast<void>(std::fgets(line, sizeof line, stdin));
  if (mutex != nullptr) CloseHandle(mutex);
  return 0;
}
