// The command window within one process: the hidden window's class and styles, the
// shared area's creation and security, Send's cut, and Dispatch's hand-out to listeners.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "app/command_window.h"

namespace {

class Recorder : public CommandListener {
 public:
  void OnCommands(CommandList list) override {
    lists.push_back(list);
    if (area) pendingWhileRunning.push_back(CommandAreaPending(area));
    list[L"mine"] = L"changed";  // must not reach the next listener
    if (onCall) onCall();
  }
  std::vector<CommandList> lists;
  const volatile wchar_t* area = nullptr;
  std::vector<bool> pendingWhileRunning;
  void (*onCall)() = nullptr;
};

// Runs the thread's messages until a listener has been called `count` times or 2 s pass.
void Pump(const Recorder& recorder, std::size_t count) {
  const ULONGLONG deadline = GetTickCount64() + 2000;
  while (recorder.lists.size() < count && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

// Drains what is queued without waiting for more.
void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

struct AreaView {
  AreaView() {
    mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
    if (mapping) view = static_cast<volatile wchar_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  }
  ~AreaView() {
    if (view) UnmapViewOfFile(const_cast<wchar_t*>(view));
    if (mapping) CloseHandle(mapping);
  }
  HANDLE mapping = nullptr;
  volatile wchar_t* view = nullptr;
};

TEST(app_relay_test, hidden_window_has_the_fixed_class_name_and_styles) {
  CommandWindow channel;
  ASSERT_TRUE(channel.Open(L""));
  HWND w = channel.OwnWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(channel.Target(), w);
  wchar_t text[64] = {};
  GetClassNameW(w, text, 64);
  EXPECT_STREQ(text, L"MiniShellCommandWindow");
  GetWindowTextW(w, text, 64);
  EXPECT_STREQ(text, L"MiniShellCommandWindow");
  EXPECT_EQ(GetClassLongPtrW(w, GCL_STYLE), static_cast<ULONG_PTR>(0x000B));
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HICON), 0u);
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(GetParent(w), nullptr);
  EXPECT_EQ(GetMenu(w), nullptr);
  channel.Close();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(channel.Target(), nullptr);
  EXPECT_FALSE(channel.HasArea());
}

TEST(app_relay_test, a_later_open_finds_the_window_and_leaves_the_area_untouched) {
  CommandWindow running;
  ASSERT_TRUE(running.Open(L""));
  AreaView area;
  ASSERT_NE(area.view, nullptr);
  EXPECT_FALSE(CommandAreaPending(area.view)) << "a new area starts free";
  WriteCommandArea(area.view, kCommandAreaUnits, L"-url:waiting");

  CommandWindow later;
  ASSERT_TRUE(later.Open(L""));
  EXPECT_EQ(later.OwnWindow(), nullptr);
  EXPECT_EQ(later.Target(), running.OwnWindow());
  EXPECT_EQ(ReadCommandArea(area.view, kCommandAreaUnits), L"-url:waiting");
  area.view[0] = 0;
  later.Close();
  EXPECT_TRUE(IsWindow(running.OwnWindow())) << "Close destroys only a window of its own";
}

TEST(app_relay_test, send_cuts_at_4095_units_table) {
  struct Case {
    std::size_t textUnits;
    std::size_t urlUnits;
  };
  // Text "-url:" + x...; what arrives is the url's part of the first 4095 units.
  const Case cases[] = {{6, 1}, {4094, 4089}, {4095, 4090}, {4096, 4090}, {8192, 4090}, {20000, 4090}};
  CommandWindow channel;
  ASSERT_TRUE(channel.Open(L""));
  Recorder recorder;
  channel.AddListener(&recorder);
  for (const auto& c : cases) {
    recorder.lists.clear();
    channel.Send(L"-url:" + std::wstring(c.textUnits - 5, L'x'));
    Pump(recorder, 1);
    ASSERT_EQ(recorder.lists.size(), 1u) << c.textUnits;
    EXPECT_EQ(recorder.lists[0].at(L"url").size(), c.urlUnits) << c.textUnits;
  }
}

TEST(app_relay_test, empty_send_and_message_on_a_free_area_do_nothing) {
  CommandWindow channel;
  ASSERT_TRUE(channel.Open(L""));
  Recorder recorder;
  channel.AddListener(&recorder);
  AreaView area;
  ASSERT_NE(area.view, nullptr);
  WriteCommandArea(area.view, kCommandAreaUnits, L"-url:left");
  channel.Send(L"");
  EXPECT_EQ(ReadCommandArea(area.view, kCommandAreaUnits), L"-url:left") << "an empty text is not written";
  Drain();
  EXPECT_TRUE(recorder.lists.empty()) << "an empty text is not posted";
  area.view[0] = 0;
  PostMessageW(channel.OwnWindow(), kCommandMessage, 0, 0);
  Drain();
  EXPECT_TRUE(recorder.lists.empty());
}

TEST(app_relay_test, listeners_run_in_order_with_own_copies_before_the_area_is_freed) {
  CommandWindow channel;
  ASSERT_TRUE(channel.Open(L""));
  AreaView area;
  ASSERT_NE(area.view, nullptr);
  Recorder first, second;
  first.area = second.area = area.view;
  channel.AddListener(&first);
  channel.AddListener(nullptr);  // ignored
  channel.AddListener(&second);
  channel.Send(L"-operation:bringwindowtotop -url:u -title:t");
  Pump(second, 1);
  const CommandList want = {{L"operation", L"bringwindowtotop"}, {L"title", L"t"}, {L"url", L"u"}};
  ASSERT_EQ(first.lists.size(), 1u);
  ASSERT_EQ(second.lists.size(), 1u);
  EXPECT_EQ(first.lists[0], want);
  EXPECT_EQ(second.lists[0], want) << "the first listener's change leaked into the second's copy";
  EXPECT_EQ(channel.CurrentList(), want);
  EXPECT_EQ(first.pendingWhileRunning, std::vector<bool>{true});
  EXPECT_EQ(second.pendingWhileRunning, std::vector<bool>{true});
  EXPECT_FALSE(CommandAreaPending(area.view)) << "freed after the listeners ran";
}

TEST(app_relay_test, a_listener_that_pumps_messages_gets_each_text_once) {
  static CommandWindow* channel = nullptr;
  CommandWindow own;
  channel = &own;
  ASSERT_TRUE(own.Open(L""));
  Recorder recorder;
  // The first list runs a nested message loop while a second message for the same text
  // is already queued, as a modal loop in a listener would.
  recorder.onCall = [] {
    static int depth = 0;
    if (depth++ == 0) {
      PostMessageW(channel->OwnWindow(), kCommandMessage, 0, 0);
      Drain();
    }
    --depth;
  };
  own.AddListener(&recorder);
  own.Send(L"-url:once");
  Pump(recorder, 1);
  Drain();
  EXPECT_EQ(recorder.lists.size(), 1u);
  AreaView area;
  EXPECT_FALSE(CommandAreaPending(area.view)) << "the text is freed once it has been carried out";
  channel = nullptr;
}

TEST(app_relay_test, dispatch_refills_the_list_and_ignores_empty_text) {
  CommandWindow channel;
  Recorder recorder;
  channel.AddListener(&recorder);
  channel.Dispatch(L"-operation:bringwindowtotop -url:a");
  channel.Dispatch(L"");
  channel.Dispatch(L"-operation:bringwindowtotop -title:b");
  ASSERT_EQ(recorder.lists.size(), 2u);
  EXPECT_EQ(channel.CurrentList(), (CommandList{{L"operation", L"bringwindowtotop"}, {L"title", L"b"}}));
}

UINT filteredMessage = 0;
DWORD filterAction = 0;

}  // namespace

// Stands in for ChangeWindowMessageFilter, looked up by name in this executable.
extern "C" __declspec(dllexport) BOOL WINAPI KpTestMessageFilter(UINT message, DWORD action) {
  filteredMessage = message;
  filterAction = action;
  return TRUE;
}

namespace {

std::wstring ThisModuleName() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, n);
  return name.substr(name.find_last_of(L"\\/") + 1);
}

TEST(app_relay_test, message_filter_lookup_table) {
  const std::wstring self = ThisModuleName();
  struct Case {
    const wchar_t* module;
    const char* function;
    bool called;
  };
  const Case cases[] = {
      {L"user32.dll", "NoSuchMessageFilterFunction", false},
      {L"no_such_module_kp.dll", "ChangeWindowMessageFilter", false},
      {L"no_such_module_kp.dll", "KpTestMessageFilter", false},
      {self.c_str(), "KpTestMessageFilter", true},
  };
  for (const auto& c : cases) {
    filteredMessage = 0;
    filterAction = 0;
    EXPECT_EQ(CommandWindow::AllowCommandMessage(c.module, c.function), c.called) << c.function;
    EXPECT_EQ(filteredMessage, c.called ? 0x0500u : 0u) << c.function;
    EXPECT_EQ(filterAction, c.called ? 1u : 0u) << c.function;  // MSGFLT_ADD
  }
  // The real name may be missing (Wine 8 has none): Open must carry on regardless.
  CommandWindow channel;
  EXPECT_TRUE(channel.Open(L""));
}

struct Label {
  bool found = false;
  DWORD mask = 0;
  std::wstring sid;
  std::wstring text;  // the descriptor string of the label alone
};

// The mandatory label of a kernel object, read back from the object itself.
Label LabelOf(HANDLE object) {
  Label label;
  PSECURITY_DESCRIPTOR sd = nullptr;
  PACL sacl = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, &sacl,
                      &sd) != ERROR_SUCCESS)
    return label;
  for (DWORD i = 0; sacl && i < sacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (!GetAce(sacl, i, reinterpret_cast<void**>(&ace)) || ace->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE) continue;
    auto* ml = reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
    label.found = true;
    label.mask = ml->Mask;
    LPWSTR sid = nullptr;
    if (ConvertSidToStringSidW(&ml->SidStart, &sid)) {
      label.sid = sid;
      LocalFree(sid);
    }
  }
  LPWSTR text = nullptr;
  if (ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1, LABEL_SECURITY_INFORMATION, &text,
                                                           nullptr)) {
    label.text = text;
    LocalFree(text);
  }
  LocalFree(sd);
  return label;
}

TEST(app_relay_test, area_carries_the_low_integrity_label) {
  CommandWindow channel;
  ASSERT_TRUE(channel.Open(L""));
  HANDLE area = OpenFileMappingW(READ_CONTROL | FILE_MAP_READ, FALSE, kCommandAreaName);
  ASSERT_NE(area, nullptr);
  const Label label = LabelOf(area);
  CloseHandle(area);
  EXPECT_TRUE(label.found);
  EXPECT_EQ(label.mask, static_cast<DWORD>(SYSTEM_MANDATORY_LABEL_NO_WRITE_UP));
  EXPECT_EQ(label.sid, L"S-1-16-4096");  // Low
  // Wine 8 writes no label into descriptor strings (it answers ""); Windows gives it back whole.
  if (!label.text.empty()) {
    EXPECT_EQ(label.text, L"S:(ML;;NW;;;LW)");
  }
}

TEST(app_relay_test, unconvertible_descriptor_falls_back_to_default_security) {
  const wchar_t* name = L"kp_app_relay_test_default_security";
  bool existed = true;
  HANDLE area = CommandWindow::CreateArea(name, L"S:(not a descriptor", existed);
  ASSERT_NE(area, nullptr);
  EXPECT_FALSE(existed);
  EXPECT_FALSE(LabelOf(area).found);
  bool again = false;
  HANDLE same = CommandWindow::CreateArea(name, kCommandAreaSecurity, again);
  ASSERT_NE(same, nullptr);
  EXPECT_TRUE(again);
  CloseHandle(same);
  CloseHandle(area);
}

TEST(app_relay_test, a_foreign_area_smaller_than_the_contract_is_refused) {
  // Someone made the name first with a smaller section: mapping 8192 bytes of it must
  // fail rather than hand the receiver a short view.
  HANDLE small = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16, kCommandAreaName);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "the area is still held by someone";
  CommandWindow channel;
  EXPECT_FALSE(channel.Open(L""));
  EXPECT_FALSE(channel.HasArea());
  channel.Send(L"-url:nowhere");  // no area: posts to itself, nothing to read
  Drain();
  channel.Close();
  CloseHandle(small);
}

TEST(app_relay_test, bring_to_front_restores_and_activates) {
  HWND w = CreateWindowExW(0, L"STATIC", L"kp front", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(w, nullptr);
  ShowWindow(w, SW_SHOWMINIMIZED);
  Drain();
  ASSERT_TRUE(IsIconic(w));
  BringToFront(w);
  Drain();
  EXPECT_FALSE(IsIconic(w));
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(GetForegroundWindow(), w);
  DestroyWindow(w);
}

}  // namespace
