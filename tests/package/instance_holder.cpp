// Plays a running Kestrelpane for the setup tests: holds the single-instance mutex (not
// with --no-mutex, which plays a start that has not made it yet) until its standard input
// ends. Prints one line once it holds it, so the test needs no waiting by the clock.
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
  char buffer[256];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
  }
  if (mutex != nullptr) CloseHandle(mutex);
  return 0;
}
