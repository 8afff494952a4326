// The single-instance relay: a hidden window of a fixed class plus a named shared area,
// through which a second start hands its command line to the running instance.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/command_area.h"
#include "app/command_list.h"
#include "framework/window_thunk.h"

class CommandListener {
 public:
  // The list is the listener's own copy.
  virtual void OnCommands(CommandList list) = 0;

 protected:
  ~CommandListener() = default;
};

class CommandWindow {
 public:
  enum class SendResult {
    kDelivered,    // taken by another process's receiver, or posted to our own window
    kTargetGone,   // the target window went away first; the text was withdrawn
    kNotDelivered  // no area, no turn, a failed post, or not taken in time; withdrawn
  };

  // The process's one command window, created on first use and never destroyed.
  static CommandWindow& Instance();

  // Tests and benchmarks make their own; the program uses Instance().
  CommandWindow() = default;
  ~CommandWindow();
  CommandWindow(const CommandWindow&) = delete;
  CommandWindow& operator=(const CommandWindow&) = delete;

  // Finds the running instance's window or creates our own, then creates or opens the
  // shared area. True exactly when the area is mapped.
  bool Open();
  // A second start's Open: relays go to running, another process's command window, and no
  // window of our own is made. True exactly when the area is mapped.
  bool Attach(HWND running);
  // A second start's relay of one text, in turn with our other senders: waits about a
  // second at most for a pending text, writes, posts, and then waits, bounded, until
  // another process's receiver has taken it. An empty text counts as delivered.
  SendResult Send(const std::wstring& text);
  // A second start's clean-up after Send.
  void Close();
  // Listeners are called in the order they were added and never removed or owned.
  void AddListener(CommandListener* listener);
  // The receiving side: parses text and hands each listener its copy of the list.
  void Dispatch(const std::wstring& text);

  HWND OwnWindow() const { return ownWindow; }
  HWND Target() const { return target; }
  bool HasArea() const { return view != nullptr; }

  // Calls function(kCommandMessage, MSGFLT_ADD) from an already-loaded module, so that
  // lower-integrity senders may post to us. False, and nothing done, when either is missing.
  static bool AllowCommandMessage(const wchar_t* module, const char* function);
  // Creates or opens a paging-file mapping of kCommandAreaBytes guarded by the security
  // descriptor string sddl, or by default security when sddl cannot be converted.
  static HANDLE CreateArea(const wchar_t* name, const wchar_t* sddl, bool& existed);

 private:
  friend struct fw::WindowThunk<CommandWindow>;
  static LRESULT Unattached(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommandMessage();
  bool OpenArea();

  HWND ownWindow = nullptr;
  HWND target = nullptr;
  HANDLE mapping = nullptr;
  volatile wchar_t* view = nullptr;
  std::vector<CommandListener*> listeners;
  bool handling = false;
  bool handleAgain = false;
};

// Restores window and brings it to the top, and asks for the foreground: the handling of
// "operation" "bringwindowtotop". Windows grants the foreground only because the sender
// called AllowSetForegroundWindow for us before it posted (CommandWindow::Send).
void BringToFront(HWND window);
