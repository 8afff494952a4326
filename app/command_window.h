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
    kTargetGone,   // not taken, and a target window went away first; the text was withdrawn
    kNotDelivered  // no area, no turn, a text that does not fit, a failed post, or not taken
                   // in time; withdrawn
  };

  // The process's one command window, created on first use and never destroyed.
  static CommandWindow& Instance();

  // Tests and benchmarks make their own; the program uses Instance().
  CommandWindow() = default;
  ~CommandWindow();
  CommandWindow(const CommandWindow&) = delete;
  CommandWindow& operator=(const CommandWindow&) = delete;

  // Makes our own command window, never adopting one found (another program may have made
  // it), then creates or opens the shared area. True exactly when the area is mapped.
  [[nodiscard]] bool Open();
  // A second start's Open: relays go to running, other processes' command windows tried in
  // that order, and no window of our own is made. True exactly when the area is mapped.
  [[nodiscard]] bool Attach(const std::vector<HWND>& running);
  // A second start's relay of one text, in turn with our other senders: waits about a
  // second at most for a pending text, then for each target writes, posts and waits,
  // bounded, until its receiver has taken the text, withdrawing it when not. The targets
  // share the one bound; with one, it has all of it. A text the receiver would not read
  // whole (over kMaxSentUnits, or with a 0 in it) is not sent. An empty text counts as
  // delivered.
  [[nodiscard]] SendResult Send(const std::wstring& text);
  // A second start's clean-up after Send.
  void Close();
  // Listeners are called in the order they were added and never removed or owned.
  void AddListener(CommandListener* listener);
  // The receiving side: parses text and hands each listener its copy of the list.
  void Dispatch(const std::wstring& text);

  HWND OwnWindow() const { return ownWindow; }

  // Calls function(kCommandMessage, MSGFLT_ADD) from an already-loaded module, so that
  // lower-integrity senders may post to us. False, and nothing done, when either is missing.
  [[nodiscard]] static bool AllowCommandMessage(const wchar_t* module, const char* function);
  // Creates or opens a paging-file mapping of kCommandAreaBytes guarded by the security
  // descriptor string sddl, or by default security when sddl cannot be converted.
  [[nodiscard]] static HANDLE CreateArea(const wchar_t* name, const wchar_t* sddl, bool& existed);

 private:
  friend struct fw::WindowThunk<CommandWindow>;
  static LRESULT Unattached(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  [[nodiscard]] SendResult SendTo(HWND target, const std::wstring& text, ULONGLONG takenWaitMs);
  void OnCommandMessage();
  [[nodiscard]] bool OpenArea();

  HWND ownWindow = nullptr;
  std::vector<HWND> targets;
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
