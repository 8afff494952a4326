// The command window within one process: the hidden window, the shared area's creation
// and security, and the hand-out to listeners.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <utility>
#include <vector>

#include "app/command_window.h"
#include "relay_test_util.h"

namespace {

TEST(app_relay_test, open_creates_or_finds_the_window_and_close_undoes_only_its_own) {
  CommandWindow running;
  ASSERT_TRUE(running.Open(L""));
  const HWND w = running.OwnWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(running.Target(), w);
  EXPECT_EQ(FindWindowW(L"MiniShellCommandWindow", L"MiniShellCommandWindow"), w);  // class and window name
  EXPECT_EQ(GetClassLongPtrW(w, GCL_STYLE), static_cast<ULONG_PTR>(0x000B));
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
  EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_FALSE(IsWindowVisible(w));

  AreaView area;
  ASSERT_NE(area.view, nullptr);
  EXPECT_FALSE(CommandAreaPending(area.view)) << "a new area starts free";
  WriteCommandArea(area.view, kCommandAreaUnits, L"-url:waiting");
  CommandWindow later;
  ASSERT_TRUE(later.Open(L""));
  EXPECT_EQ(later.OwnWindow(), nullptr);
  EXPECT_EQ(later.Target(), w);
  EXPECT_EQ(ReadCommandArea(area.view, kCommandAreaUnits), L"-url:waiting");
  area.view[0] = 0;
  later.Close();
  EXPECT_TRUE(IsWindow(w)) << "Close destroys only a window of its own";
  running.Close();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(running.Target(), nullptr);
  EXPECT_FALSE(running.HasArea());
}

TEST(app_relay_test, listeners_get_own_copies_of_each_text_once_before_the_area_is_freed) {
  CommandWindow channel;
  ASSERT_TRUE(channel.Open(L""));
  AreaView area;
  ASSERT_NE(area.view, nullptr);
  Recorder first, second;
  first.area = second.area = area.view;
  // The first runs a nested message loop with a second message for the same text already
  // queued, as a modal loop in a listener would; the text must still run only once.
  int depth = 0;
  first.onCall = [&] {
    if (depth++ == 0) {
      PostMessageW(channel.OwnWindow(), kCommandMessage, 0, 0);
      Drain();
    }
    --depth;
  };
  channel.AddListener(&first);
  channel.AddListener(nullptr);  // ignored
  channel.AddListener(&second);
  channel.Send(L"-operation:bringwindowtotop -url:u -title:t");
  Pump(second, 1);
  const CommandList want = {{L"operation", L"bringwindowtotop"}, {L"title", L"t"}, {L"url", L"u"}};
  EXPECT_EQ(first.lists, std::vector<CommandList>{want});
  EXPECT_EQ(second.lists, std::vector<CommandList>{want}) << "the first listener's change leaked";
  EXPECT_EQ(channel.CurrentList(), want);
  EXPECT_EQ(first.pendingWhileRunning, std::vector<bool>{true});
  EXPECT_EQ(second.pendingWhileRunning, std::vector<bool>{true});
  EXPECT_FALSE(CommandAreaPending(area.view)) << "freed after the listeners ran";
  // Dispatch refills the list rather than adding to it, and passes over an empty text.
  channel.Dispatch(L"");
  channel.Dispatch(L"-title:b");
  EXPECT_EQ(second.lists.size(), 2u);
  EXPECT_EQ(channel.CurrentList(), (CommandList{{L"title", L"b"}}));
  // An empty text is neither written over a pending one nor posted; a message finding the
  // area free does nothing.
  WriteCommandArea(area.view, kCommandAreaUnits, L"-url:left");
  channel.Send(L"");
  Drain();
  EXPECT_EQ(ReadCommandArea(area.view, kCommandAreaUnits), L"-url:left");
  area.view[0] = 0;
  PostMessageW(channel.OwnWindow(), kCommandMessage, 0, 0);
  Drain();
  EXPECT_EQ(second.lists.size(), 2u);
}

std::pair<UINT, DWORD> filterCall;  // message and action of the last call

}  // namespace

// Stands in for ChangeWindowMessageFilter, looked up by name in this executable.
extern "C" __declspec(dllexport) BOOL WINAPI KpTestMessageFilter(UINT message, DWORD action) {
  filterCall = {message, action};
  return TRUE;
}

namespace {

TEST(app_relay_test, message_filter_lookup_table) {
  const std::wstring self = ExePart(true);
  const struct {
    const wchar_t* module;
    const char* function;
    bool called;
  } rows[] = {
      {L"user32.dll", "NoSuchMessageFilterFunction", false},
      {L"no_such_module_kp.dll", "ChangeWindowMessageFilter", false},
      {self.c_str(), "KpTestMessageFilter", true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.function);
    filterCall = {};
    EXPECT_EQ(CommandWindow::AllowCommandMessage(r.module, r.function), r.called);
    const std::pair<UINT, DWORD> want(r.called ? 0x0500 : 0, r.called ? 1 : 0);  // MSGFLT_ADD
    EXPECT_EQ(filterCall, want);
  }
  // The real name may be missing (Wine 8 has none): Open must carry on regardless.
  CommandWindow channel;
  EXPECT_TRUE(channel.Open(L""));
}

// The mandatory label of a kernel object, read back from the object itself, as
// "<policy mask> <level SID>"; empty for none.
std::wstring LabelOf(HANDLE object) {
  std::wstring label;
  PSECURITY_DESCRIPTOR sd = nullptr;
  PACL sacl = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, &sacl,
                      &sd) != ERROR_SUCCESS)
    return label;
  ACE_HEADER* ace = nullptr;
  for (DWORD i = 0; sacl && i < sacl->AceCount; ++i) {
    if (!GetAce(sacl, i, reinterpret_cast<void**>(&ace)) || ace->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE) continue;
    auto* ml = reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
    LPWSTR sid = nullptr;
    if (ConvertSidToStringSidW(&ml->SidStart, &sid)) label += std::to_wstring(ml->Mask) + L" " + sid;
    LocalFree(sid);
  }
  LocalFree(sd);
  return label;
}

TEST(app_relay_test, area_carries_the_low_integrity_label) {
  CommandWindow channel;
  ASSERT_TRUE(channel.Open(L""));
  HANDLE area = OpenFileMappingW(READ_CONTROL | FILE_MAP_READ, FALSE, kCommandAreaName);
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(LabelOf(area), L"1 S-1-16-4096");  // no-write-up, Low
  CloseHandle(area);
}

TEST(app_relay_test, unconvertible_descriptor_falls_back_to_default_security) {
  const wchar_t* name = L"kp_app_relay_test_default_security";
  bool existed = true;
  HANDLE area = CommandWindow::CreateArea(name, L"S:(not a descriptor", existed);
  ASSERT_NE(area, nullptr);
  EXPECT_FALSE(existed);
  EXPECT_EQ(LabelOf(area), L"");
  HANDLE same = CommandWindow::CreateArea(name, kCommandAreaSecurity, existed);
  EXPECT_NE(same, nullptr);
  EXPECT_TRUE(existed);
  CloseHandle(same);
  CloseHandle(area);
}

TEST(app_relay_test, a_foreign_area_smaller_than_the_contract_is_refused) {
  // Mapping 8192 bytes of a smaller section made first by someone else must fail rather
  // than hand the receiver a short view.
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
