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
  EXPECT_EQ(FindWindowW(kCommandWindowName, kCommandWindowName), w);
  EXPECT_FALSE(IsWindowVisible(w));

  AreaView area;
  ASSERT_NE(area.view, nullptr);
  EXPECT_FALSE(CommandAreaPending(area.view)) << "a new area starts free";
  WriteCommandArea(area.view, L"-url:waiting");
  CommandWindow later;  // a second start: finds the window, leaves the text alone
  ASSERT_TRUE(later.Open(L""));
  EXPECT_EQ(later.OwnWindow(), nullptr);
  EXPECT_EQ(later.Target(), w);
  EXPECT_EQ(ReadCommandArea(area.view), L"-url:waiting");
  later.Close();
  EXPECT_TRUE(IsWindow(w)) << "Close destroys only a window of its own";
  running.Close();
  EXPECT_FALSE(IsWindow(w));
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
  // An empty text is neither written over a pending one nor posted.
  WriteCommandArea(area.view, L"-url:left");
  channel.Send(L"");
  Drain();
  EXPECT_EQ(ReadCommandArea(area.view), L"-url:left");
  EXPECT_EQ(second.lists.size(), 1u);
  area.view[0] = 0;
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
