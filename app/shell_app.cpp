// The run of the main window, and what commands do to it.
#include "app/shell_app.h"

#include "app/command_line.h"
#include "browser/url_policy.h"
#include "framework/app_module.h"

#ifndef KP_DEFAULT_URL
#error "KP_DEFAULT_URL comes from the build (CMake cache setting KP_DEFAULT_URL)"
#endif

std::wstring ShellApp::DefaultUrl() {
  if (KP_DEFAULT_URL[0]) return KP_DEFAULT_URL;
  // res: names the module by its full path. Room for one unit more than an address can
  // take is enough: a longer path, cut there, gives about:blank all the same.
  std::wstring path(kMaxResModulePath + 2, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return ResourceUrl(path, L"start.html");
}

int ShellApp::Run(const wchar_t* commandLine, int showCommand) {
  fw::MessageLoop loop;
  (void)fw::appModule.AddMessageLoop(&loop);  // refused only to a second loop; there is one thread
  if (!mainWindow.Create()) {
    fw::appModule.RemoveMessageLoop();
    return 0;
  }
  CommandWindow::Instance().AddListener(this);
  commands.ApplyStartup(SplitCommandLine(commandLine ? commandLine : L""), DefaultUrl(), kDefaultTitle);
  if (!quitting) {
    ShowWindow(mainWindow.Handle(), showCommand);
    // Painted now; what nothing drawn needs waits until the paint is on screen.
    UpdateWindow(mainWindow.Handle());
    loop.WhenIdle([this] {
      commands.FinishStartup();
      mainWindow.AddTips();
    });
  }
  const int exitCode = loop.Run();
  // A quit by command leaves the window: release the page while COM is still up, and
  // before the loop it drops itself from is gone.
  if (mainWindow.Handle()) mainWindow.DestroyWindow();
  fw::appModule.RemoveMessageLoop();
  return exitCode;
}

void ShellApp::OnCommands(CommandList list) {
  commands.ApplyRelayed(list);
  if (HWND window = mainWindow.Handle()) RedrawNow(window);
}

void ShellApp::BringToFront() {
  if (HWND window = mainWindow.Handle()) ::BringToFront(window);
}
