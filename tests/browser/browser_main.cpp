// The browser tests run in one OLE apartment, with the host classes registered and one
// shared WebBrowser page, destroyed once at the end.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "framework/ax_host.h"
#include "tests/browser/browser_support.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  fw::AxWinInit();
  const int result = RUN_ALL_TESTS();
  test::DestroyShared();
  OleUninitialize();
  return result;
}
