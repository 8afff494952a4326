// The hidden command window and the shared command area.
#include "app/command_window.h"

#include <sddl.h>

#include "app/command_line.h"

namespace {

// Registered on every Open, so a failed registration is tried again rather than remembered.
bool RegisterCommandClass(WNDPROC proc) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kCommandWindowName;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A section that someone else made first with SEC_RESERVE, or partly committed, maps all
// the same, and the first read of an uncommitted page faults.
bool WholeViewCommitted(const void* view) {
  MEMORY_BASIC_INFORMATION info = {};
  return VirtualQuery(view, &info, sizeof(info)) == sizeof(info) && info.State == MEM_COMMIT &&
         info.RegionSize >= kCommandAreaBytes;
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
  SECURITY_ATTRIBUTES sa = {};
  PSECURITY_DESCRIPTOR sd = nullptr;
  SECURITY_ATTRIBUTES* psa = nullptr;
  if (sddl && ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) {
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = sd;
    sa.bInheritHandle = FALSE;
    psa = &sa;
  }
  HANDLE area = CreateFileMappingW(INVALID_HANDLE_VALUE, psa, PAGE_READWRITE, 0,
                                   static_cast<DWORD>(kCommandAreaBytes), name);
  existed = area && GetLastError() == ERROR_ALREADY_EXISTS;
  if (sd) LocalFree(sd);
  return area;
}

bool CommandWindow::Open(const std::wstring& /*commandLine*/) {
  if (view) return true;
  AllowCommandMessage(L"user32.dll", "ChangeWindowMessageFilter");

  target = FindWindowW(kCommandWindowName, kCommandWindowName);
  if (!target && !ownWindow && RegisterCommandClass(WindowProc)) {
    ownWindow = CreateWindowExW(0, kCommandWindowName, kCommandWindowName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this);
  }
  if (!target) target = ownWindow;

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

void CommandWindow::Send(const std::wstring& text) {
  if (text.empty()) return;
  if (view) {
    for (int sleeps = 0; sleeps < 10 && CommandAreaPending(view); ++sleeps) Sleep(100);
    WriteCommandArea(view, text);
  }
  if (!target) return;  // PostMessageW(NULL) would post to our own thread instead
  DWORD owner = 0;
  GetWindowThreadProcessId(target, &owner);
  // We were just started by the user and so may hand the foreground on; without this the
  // running window's bring-to-top only flashes its taskbar button.
  if (owner && owner != GetCurrentProcessId()) AllowSetForegroundWindow(owner);
  PostMessageW(target, kCommandMessage, 0, 0);
}

void CommandWindow::Close() {
  if (view) UnmapViewOfFile(const_cast<wchar_t*>(view));
  view = nullptr;
  if (mapping) CloseHandle(mapping);
  mapping = nullptr;
  if (ownWindow) DestroyWindow(ownWindow);
  ownWindow = nullptr;
  target = nullptr;
}

void CommandWindow::AddListener(CommandListener* listener) {
  if (listener) listeners.push_back(listener);
}

void CommandWindow::Dispatch(const std::wstring& text) {
  if (text.empty()) return;
  ParseCommandList(text, currentList);
  // A listener may pump messages and so run a nested Dispatch; the rest of this round
  // still gets this round's list.
  const CommandList list = currentList;
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

LRESULT CALLBACK CommandWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CommandWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && message == kCommandMessage) {
    self->OnCommandMessage();
    return 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (self && self->ownWindow == window) self->ownWindow = nullptr;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void BringToFront(HWND window) {
  if (!window) return;
  ShowWindow(window, SW_RESTORE);
  BringWindowToTop(window);
  SetForegroundWindow(window);
}
