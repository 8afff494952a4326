// The hidden command window and the shared command area.
#include "app/command_window.h"

#include <sddl.h>

#include "app/command_line.h"
#include "framework/window_thunk.h"

namespace {

bool RegisterCommandClass(WNDPROC proc) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kCommandWindowName;
  return fw::RegisterWindowClass(wc);
}

// A section that someone else made first with SEC_RESERVE, or partly committed, maps all
// the same, and the first read of an uncommitted page faults.
bool WholeViewCommitted(const void* view) {
  MEMORY_BASIC_INFORMATION info = {};
  return VirtualQuery(view, &info, sizeof(info)) == sizeof(info) && info.State == MEM_COMMIT &&
         info.RegionSize >= kCommandAreaBytes;
}

// Security attributes from a descriptor string, or none (default security) when it cannot
// be converted.
class Security {
 public:
  explicit Security(const wchar_t* sddl) {
    if (sddl && ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
      attributes = {sizeof(attributes), descriptor, FALSE};
    }
  }
  ~Security() {
    if (descriptor) LocalFree(descriptor);
  }
  Security(const Security&) = delete;
  Security& operator=(const Security&) = delete;
  SECURITY_ATTRIBUTES* Get() { return descriptor ? &attributes : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  SECURITY_ATTRIBUTES attributes = {};
};

// Bounds of a send, in milliseconds. A burst of second starts queues on the turn, so that
// bound covers many receivers' round trips; a running instance that is still starting
// takes the text only once its loop runs. Shortening them would lose commands in a burst.
constexpr ULONGLONG kTurnWaitMs = 30000;
constexpr ULONGLONG kPendingWaitMs = 1000;
constexpr ULONGLONG kTakenWaitMs = 10000;

// One sender's turn on kCommandSenderMutexName. A turn left by a sender that died is ours.
class SenderTurn {
 public:
  SenderTurn() {
    Security low(kCommandAreaSecurity);
    turn = CreateMutexExW(low.Get(), kCommandSenderMutexName, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    // A low-integrity sender may open the medium one's mutex only to wait on it.
    if (!turn) turn = OpenMutexW(SYNCHRONIZE, FALSE, kCommandSenderMutexName);
    const DWORD waited = turn ? WaitForSingleObject(turn, static_cast<DWORD>(kTurnWaitMs)) : WAIT_FAILED;
    held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  ~SenderTurn() {
    if (held) ReleaseMutex(turn);
    if (turn) CloseHandle(turn);
  }
  SenderTurn(const SenderTurn&) = delete;
  SenderTurn& operator=(const SenderTurn&) = delete;
  bool Held() const { return held; }

 private:
  HANDLE turn = nullptr;
  bool held = false;
};

// Waits until done() or the tick count end; polls often, since a second start's exit waits on it.
template <class Done>
bool PollUntil(ULONGLONG end, Done&& done) {
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(1);
  }
}

}  // namespace

CommandWindow& CommandWindow::Instance() {
  // Leaked on purpose: the window, view and mapping live until the process ends.
  static CommandWindow* instance = new CommandWindow();
  return *instance;
}

CommandWindow::~CommandWindow() { Close(); }

bool CommandWindow::AllowCommandMessage(const wchar_t* module, const char* function) {
  HMODULE user = GetModuleHandleW(module);
  if (!user) return false;
  using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
  auto filter = reinterpret_cast<FilterFn>(reinterpret_cast<void*>(GetProcAddress(user, function)));
  if (!filter) return false;
  filter(kCommandMessage, 1 /* MSGFLT_ADD */);
  return true;
}

HANDLE CommandWindow::CreateArea(const wchar_t* name, const wchar_t* sddl, bool& existed) {
  Security security(sddl);
  HANDLE area = CreateFileMappingW(INVALID_HANDLE_VALUE, security.Get(), PAGE_READWRITE, 0,
                                   static_cast<DWORD>(kCommandAreaBytes), name);
  existed = area && GetLastError() == ERROR_ALREADY_EXISTS;
  return area;
}

bool CommandWindow::Open() {
  if (view) return true;
  // Missing on Wine and before Vista: lower-integrity senders then cannot reach us, which
  // changes nothing for senders of our own level.
  (void)AllowCommandMessage(L"user32.dll", "ChangeWindowMessageFilter");
  if (!ownWindow && RegisterCommandClass(fw::WindowThunk<CommandWindow>::Procedure)) {
    ownWindow = CreateWindowExW(0, kCommandWindowName, kCommandWindowName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this);
  }
  targets.assign(ownWindow ? 1 : 0, ownWindow);
  return OpenArea();
}

bool CommandWindow::Attach(const std::vector<HWND>& running) {
  targets.clear();
  // PostMessageW(NULL) would post to our own thread.
  for (HWND window : running) if (window) targets.push_back(window);
  return view || OpenArea();
}

bool CommandWindow::OpenArea() {
  bool existed = false;
  mapping = CreateArea(kCommandAreaName, kCommandAreaSecurity, existed);
  if (!mapping) return false;
  // Exactly the contract's size: a smaller section made by someone else fails to map
  // instead of being read past its end; an uncommitted one is refused like it.
  void* mapped = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kCommandAreaBytes);
  if (mapped && !WholeViewCommitted(mapped)) {
    UnmapViewOfFile(mapped);
    mapped = nullptr;
  }
  if (!mapped) {
    CloseHandle(mapping);
    mapping = nullptr;
    return false;
  }
  view = static_cast<volatile wchar_t*>(mapped);
  if (!existed) view[0] = 0;
  return true;
}

CommandWindow::SendResult CommandWindow::Send(const std::wstring& text) {
  if (text.empty()) return SendResult::kDelivered;
  // Whole or not at all: a cut line is another command, and the receiver reads up to a 0.
  if (text.size() > kMaxSentUnits || text.find(L'\0') != std::wstring::npos) return SendResult::kNotDelivered;
  // Without an area there is nothing to carry out: a message alone would only make the
  // receiver run whatever its area holds.
  if (!view || targets.empty()) return SendResult::kNotDelivered;
  SenderTurn turn;
  if (!turn.Held()) return SendResult::kNotDelivered;
  // Only a sender that does not take turns, or died, leaves a text past this wait.
  const ULONGLONG pendingEnd = GetTickCount64() + kPendingWaitMs;
  const ULONGLONG takenWaitMs = kTakenWaitMs / targets.size();
  bool gone = false;
  for (HWND target : targets) {
    PollUntil(pendingEnd, [this] { return !CommandAreaPending(view); });
    const SendResult result = SendTo(target, text, takenWaitMs);
    if (result == SendResult::kDelivered) return result;
    gone = gone || result == SendResult::kTargetGone;
  }
  return gone ? SendResult::kTargetGone : SendResult::kNotDelivered;
}

CommandWindow::SendResult CommandWindow::SendTo(HWND target, const std::wstring& text, ULONGLONG takenWaitMs) {
  WriteCommandArea(view, text);
  auto withdraw = [&](SendResult result) {
    if (CommandAreaHolds(view, text)) view[0] = 0;
    return result;
  };
  DWORD owner = 0;
  GetWindowThreadProcessId(target, &owner);
  const bool ours = owner == GetCurrentProcessId();
  // We were just started by the user and so may hand the foreground on; without this the
  // running window's bring-to-top only flashes its taskbar button.
  if (owner && !ours) AllowSetForegroundWindow(owner);
  if (!PostMessageW(target, kCommandMessage, 0, 0)) {
    return withdraw(IsWindow(target) ? SendResult::kNotDelivered : SendResult::kTargetGone);
  }
  if (ours) return SendResult::kDelivered;  // our own loop takes it once we return
  bool gone = false;
  const bool taken = PollUntil(GetTickCount64() + takenWaitMs, [&] {
    gone = !IsWindow(target);
    return gone || !CommandAreaHolds(view, text);
  });
  if (taken && !gone) return SendResult::kDelivered;
  // Taken just as its window went: carried out all the same.
  if (!CommandAreaHolds(view, text)) return SendResult::kDelivered;
  return withdraw(gone ? SendResult::kTargetGone : SendResult::kNotDelivered);
}

void CommandWindow::Close() {
  if (view) UnmapViewOfFile(const_cast<wchar_t*>(view));
  view = nullptr;
  if (mapping) CloseHandle(mapping);
  mapping = nullptr;
  if (ownWindow) DestroyWindow(ownWindow);
  ownWindow = nullptr;
  targets.clear();
}

void CommandWindow::AddListener(CommandListener* listener) {
  if (listener) listeners.push_back(listener);
}

void CommandWindow::Dispatch(const std::wstring& text) {
  if (text.empty()) return;
  // Its own copy: a listener may pump messages and so run a nested Dispatch, and the rest
  // of this round still gets this round's list.
  CommandList list;
  ParseCommandList(text, list);
  for (std::size_t i = 0; i < listeners.size(); ++i) listeners[i]->OnCommands(list);
}

void CommandWindow::OnCommandMessage() {
  if (!view) return;
  // A listener that pumps messages would otherwise run the pending text a second time
  // from a nested message; the nested one is taken up once this round is done.
  if (handling) {
    handleAgain = true;
    return;
  }
  handling = true;
  do {
    handleAgain = false;
    // Freed only after the listeners, so a waiting sender waits for the previous command
    // to be carried out.
    TakeCommand(view, [this](const std::wstring& text) { Dispatch(text); });
  } while (handleAgain && view);
  handling = false;
}

LRESULT CommandWindow::Unattached(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CommandWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCommandMessage) {
    OnCommandMessage();
    return 0;
  }
  if (message == WM_NCDESTROY && ownWindow == window) ownWindow = nullptr;
  return DefWindowProcW(window, message, wParam, lParam);
}

void BringToFront(HWND window) {
  if (!window) return;
  ShowWindow(window, SW_RESTORE);
  BringWindowToTop(window);
  SetForegroundWindow(window);
}
