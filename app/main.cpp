// Process entry: one instance per logon session. A later start hands its command line to
// the running one and ends; the first runs the main window.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/command_window.h"
#include "app/instance_claim.h"
#include "app/shell_app.h"
#include "framework/app_module.h"
#include "framework/ax_host.h"

// The module comes first: the application's window object needs it when constructed.
fw::AppModule fw::appModule;
static ShellApp shellApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR commandLine, int showCommand) {
  // First of all: a second start needs none of what follows. The mutex is held until the
  // process ends; the system releases it, which lets the next start be first.
  HANDLE instanceMutex = nullptr;
  switch (ClaimInstance(commandLine, &instanceMutex)) {
    case StartRole::kRelayed:
      return 0;
    case StartRole::kNotRelayed:
      return kExitNotRelayed;
    case StartRole::kFirst:
      break;
  }

  // Made at once, so that starts waiting for us find it.
  HRESULT status = CommandWindow::Instance().Open() ? S_OK : E_FAIL;

  // OLE rather than bare COM: the page's drag and drop registration needs it.
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const HRESULT module = fw::appModule.Init(instance);
  if (SUCCEEDED(status)) status = module;
  // Without the host class the window still opens, with an empty page area.
  (void)fw::AxWinInit();

  int exitCode = 0;
  if (SUCCEEDED(status)) exitCode = shellApp.Run(commandLine, showCommand);

  fw::appModule.Term();
  OleUninitialize();
  return exitCode;
}
