// Linked into every Windows test executable: an unhandled exception ends the process at
// once with a failing exit code, instead of waiting in a debugger or ending with 0.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
  const DWORD code = info->ExceptionRecord->ExceptionCode;
  // No stdio: the crash may have happened inside it, holding its lock.
  char line[96];
  const int length = std::snprintf(line, sizeof line, "\ncrashed: exception 0x%08lX at %p\n", code,
                                   info->ExceptionRecord->ExceptionAddress);
  DWORD written = 0;
  if (length > 0) WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
  // A Unix parent sees only the low byte of the code.
  TerminateProcess(GetCurrentProcess(), code & 0xFF ? code : code | 0xFF);
  return EXCEPTION_EXECUTE_HANDLER;
}

struct CrashExit {
  CrashExit() {
    // Room for the filter on the main thread after a stack overflow.
    ULONG reserve = 64 * 1024;
    SetThreadStackGuarantee(&reserve);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
  }
} const installed;

}  // namespace
