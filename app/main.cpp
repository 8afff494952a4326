// Process entry: one instance per logon session. A later start hands its command line to
// the running one and ends; the first runs the main window.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "app/command_window.h"
#include "app/shell_app.h"
#include "app/single_instance.h"
#include "framework/app_module.h"
#include "framework/ax_host.h"

// The module comes first: the application's window object needs it when constructed.
fw::AppModule fw::appModule;
static ShellApp shellApp;

namespace {

// The window framework's own type library, which the module is initialised with.
constexpr GUID kFrameworkLibId = {0x44EC0535, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR commandLine, int showCommand) {
  // OLE rather than bare COM: the page's drag and drop registration needs it.
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  HRESULT status = fw::appModule.Init(instance, &kFrameworkLibId);
  fw::AxWinInit();

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
  if (SUCCEEDED(status)) exitCode = shellApp.Run(commandLine, showCommand);

  fw::appModule.Term();
  OleUninitialize();
  return exitCode;
}
