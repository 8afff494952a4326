// Process entry: one instance per logon session. A later start hands its command line to
// the running one and ends.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "app/command_window.h"
#include "app/single_instance.h"

namespace {

// The first instance's run. The main window is not part of the program yet, so there is
// nothing to show: the run ends at once, as it does when the window cannot be created.
int RunFirstInstance(const wchar_t* /*commandLine*/, int /*showCommand*/) { return 0; }

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR commandLine, int showCommand) {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  HRESULT status = S_OK;
  // Both instances open the channel before the mutex test: the first one creates the
  // window and area that a second one then finds.
  CommandWindow& commands = CommandWindow::Instance();
  if (!commands.Open(commandLine)) status = E_FAIL;

  // Held until the process ends; the system releases it, which lets the next start be first.
  CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    commands.Send(std::wstring(kBringToTopPrefix) + commandLine);
    commands.Close();
    status = E_FAIL;
  }

  int exitCode = 0;
  if (SUCCEEDED(status)) exitCode = RunFirstInstance(commandLine, showCommand);

  CoUninitialize();
  return exitCode;
}
