// The application: runs the main window's message loop and carries out command lines,
// the program's own at start-up and those relayed by later starts.
#pragma once

#include <windows.h>

#include <string>

#include "app/command_table.h"
#include "app/command_window.h"
#include "ui/main_window.h"

class ShellApp : public CommandListener, private CommandTarget {
 public:
  // The start page when the command line names none: the build's site, or the welcome
  // page in the program's resources when the build names none (about:blank when the
  // program's path is too long for a res: address).
  static std::wstring DefaultUrl();
  static constexpr wchar_t kDefaultTitle[] = L"云播放特权";

  // Creates the window, applies the command line, shows the window (unless the line asks to
  // quit) and runs the loop. Returns the exit code: the quit's value, or 0 when the window
  // cannot be created.
  int Run(const wchar_t* commandLine, int showCommand);

  // A relayed command line, in key order; the window redrawn once after it.
  void OnCommands(CommandList list) override;

 private:
  void Navigate(const std::wstring& url) override { mainWindow.Navigate(url); }
  void SetTitle(const std::wstring& title) override { mainWindow.SetTitle(title); }
  void SetVipMode() override { mainWindow.SetVipMode(); }
  void Quit() override {
    PostQuitMessage(0);
    quitting = true;
  }
  void BringToFront() override;

  MainWindow mainWindow;
  CommandTable commands{*this};
  bool quitting = false;
};
