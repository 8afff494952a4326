// Start-up and relayed command dispatch, and the run of the main window.
#include "app/shell_app.h"

#include "app/command_line.h"
#include "app/url_policy.h"
#include "app/vip_mode.h"
#include "framework/app_module.h"

#ifndef KP_DEFAULT_URL
#error "KP_DEFAULT_URL comes from the build (CMake cache setting KP_DEFAULT_URL)"
#endif

namespace {

constexpr wchar_t kVip[] = L"zvvip";

}  // namespace

std::wstring ShellApp::DefaultUrl() {
  if (KP_DEFAULT_URL[0]) return KP_DEFAULT_URL;
  // res: names the module by its full path; the buffer grows for long-path installs.
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size() &&
         path.size() < 32768) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  return L"res://" + path + L"/start.html";
}

int ShellApp::Run(const wchar_t* commandLine, int showCommand) {
  fw::MessageLoop loop;
  fw::appModule.AddMessageLoop(&loop);
  if (!mainWindow.Create()) {
    fw::appModule.RemoveMessageLoop();
    return 0;
  }
  ApplyCommandLine(commandLine ? commandLine : L"");
  ShowWindow(mainWindow.Handle(), showCommand);
  const int exitCode = loop.Run();
  // A quit by command leaves the window: release the page while COM is still up, and
  // before the loop it drops itself from is gone.
  if (mainWindow.Handle()) mainWindow.DestroyWindow();
  fw::appModule.RemoveMessageLoop();
  return exitCode;
}

void ShellApp::ApplyCommandLine(const std::wstring& commandLine) {
  CommandWindow::Instance().AddListener(this);
  bool urlGiven = false, titleGiven = false;
  for (const std::wstring& token : SplitCommandLine(commandLine)) {
    if (token.empty()) continue;
    const auto [key, value] = SplitToken(token);
    if (key == L"url") {
      // A script url is refused as if none had been given: the start page still loads.
      if (!IsNavigableStartupUrl(value)) continue;
      SetUrl(value);
      urlGiven = true;
    } else if (key == L"title") {
      SetTitle(value);
      titleGiven = true;
    } else if (key == L"startfrom") {
      if (value == kVip) startedFromVipClient = 1;
    } else if (key == L"quitby" && value == kVip) {
      PostQuitMessage(0);
    }
  }
  if (!urlGiven) SetUrl(DefaultUrl());
  if (!titleGiven) SetTitle(kDefaultTitle);
}

void ShellApp::OnCommands(CommandList list) {
  HWND window = mainWindow.Handle();
  for (const auto& [key, value] : list) {
    if (key == L"url" && IsNavigableRelayedUrl(value)) SetUrl(value);
    if (key == L"title") SetTitle(value);
    if (key == L"startfrom" && value == kVip) startedFromVipClient = 1;
    if (key == L"operation" && value == L"bringwindowtotop" && window) BringToFront(window);
    if (key == L"quitby" && value == kVip && startedFromVipClient) PostQuitMessage(0);
    if (window) RedrawNow(window);
  }
}
