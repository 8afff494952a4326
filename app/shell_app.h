// The application: runs the main window's message loop and carries out command lines,
// the program's own at start-up and those relayed by later starts.
#pragma once

#include <windows.h>

#include <string>

#include "app/command_window.h"
#include "ui/main_window.h"

class ShellApp : public CommandListener {
 public:
  // The start page when the command line names none: the build's site, or the welcome
  // page in the program's resources when the build names none.
  static std::wstring DefaultUrl();
  static constexpr wchar_t kDefaultTitle[] = L"云播放特权";

  // Creates the window, applies the command line, shows the window and runs the loop.
  // Returns the exit code: the quit's value, or 0 when the window cannot be created.
  int Run(const wchar_t* commandLine, int showCommand);

  // Start-up: url, title, startfrom and quitby tokens in order, then the defaults.
  void ApplyCommandLine(const std::wstring& commandLine);
  // A relayed command line, in key order.
  void OnCommands(CommandList list) override;

  void SetUrl(const std::wstring& url) { mainWindow.Navigate(url); }
  void SetTitle(const std::wstring& title) { mainWindow.SetTitle(title); }

  MainWindow& Window() { return mainWindow; }

 private:
  MainWindow mainWindow;
};
