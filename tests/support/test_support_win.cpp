// The Windows half of the tests' shared helpers.
#include <windows.h>

#include "tests/support/test_support.h"

namespace kp_test {

std::wstring ThisExecutable() {
  wchar_t path[MAX_PATH];
  return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

}  // namespace kp_test
