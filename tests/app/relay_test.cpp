// The relay under Windows: the system's splitter, the command window, and real processes
// (this test the running instance, the program a second start, relay_peer a bad neighbour).
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/command_window.h"
#include "app/single_instance.h"

namespace {

constexpr DWORD kTimeoutMs = 8000;
using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
const std::pair<std::wstring, std::wstring> kBring = {L"operation", L"bringwindowtotop"};

std::wstring ExePath() {
  wchar_t path[MAX_PATH];
  return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}
const std::wstring kFolder = ExePath().substr(0, ExePath().find_last_of(L'\\') + 1);
const std::wstring kPeer = kFolder + L"relay_peer.exe";
const std::wstring kProgram = kFolder + L"..\\..\\app\\kestrelpane.exe";

struct Recorder : CommandListener {
  void OnCommands(CommandList list) override {
    lists.emplace_back(list.begin(), list.end());
    if (area) pendingWhileRunning.push_back(CommandAreaPending(area));
    list[L"mine"] = L"changed";  // must not reach the next listener
    if (onCall) onCall();
  }
  std::vector<Entries> lists;
  const volatile wchar_t* area = nullptr;
  std::vector<bool> pendingWhileRunning;
  std::function<void()> onCall;
};

void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Runs the thread's messages until the recorder has `count` lists or the time is up.
void Pump(const Recorder& recorder, std::size_t count) {
  const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
  while (recorder.lists.size() < count && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Drain();
  }
}

HANDLE Start(const std::wstring& exe, const std::wstring& args) {
  std::wstring line = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// The exit code, or -1 when the process has not ended in time: then it is ended.
long Finish(HANDLE process) {
  DWORD code = static_cast<DWORD>(-1);
  if (!process) return -1;
  if (WaitForSingleObject(process, kTimeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process, &code);
  } else {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, kTimeoutMs);
  }
  CloseHandle(process);
  return static_cast<long>(code);
}

TEST(app_relay_test, parse_command_list_table) {
  const std::wstring op = L"-operation:bringwindowtotop ", exe = ExePath();
  const struct {
    std::wstring text;
    Entries want;
  } rows[] = {
      {L"", {}},
      {std::wstring(L"\0-url:a", 7), {}},  // the splitter would answer its own program path
      {op + L"-title:x\\\"y \"\"", {kBring, {L"title", L"x\"y"}}},  // \" a literal quote; "" skipped
      {op + L"\"" + exe + L"\"", {kBring, {L"path", exe}}},
      {op + L"\\\\nohost\\share\\x.torrent", {{L"\\\\nohost\\share\\x.torrent", L""}, kBring}},
      // An existing file named through the NT prefix is never probed.
      {op + L"\"\\??\\" + exe + L"\"", {{L"??\\" + exe.substr(0, 1), exe.substr(2)}, kBring}},
      {L"-title:x\\\"y", {{L"title", L"x\\\"y"}}},  // the first token: no backslash escapes
  };
  for (const auto& r : rows) {
    CommandList list = {{L"stale", L"entry"}};
    ParseCommandList(r.text, list);
    EXPECT_EQ(Entries(list.begin(), list.end()), r.want) << r.text;
  }
}

// This process plays the running instance: it holds the single-instance mutex and a
// command window of its own, and maps the area as another process would.
class relay_process : public testing::Test {
 protected:
  void SetUp() override {
    mutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    ASSERT_TRUE(channel.Open(L""));
    ASSERT_NE(channel.OwnWindow(), nullptr) << "a command window is left over from an earlier test";
    channel.AddListener(&recorder);
    mapping = OpenFileMappingW(READ_CONTROL | FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
    area = static_cast<volatile wchar_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(area, nullptr);
  }
  void TearDown() override {
    if (area) UnmapViewOfFile(const_cast<wchar_t*>(area));
    if (mapping) CloseHandle(mapping);
    channel.Close();
    CloseHandle(mutex);
  }
  HANDLE mutex = nullptr, mapping = nullptr;
  volatile wchar_t* area = nullptr;
  CommandWindow channel;
  Recorder recorder;
};

TEST_F(relay_process, listeners_get_own_copies_of_each_text_once_before_the_area_is_freed) {
  Recorder second;
  second.area = area;
  // A nested message loop with a second message for the same text queued, as a modal loop
  // in a listener would run: the text must still run only once.
  int depth = 0;
  recorder.onCall = [&] {
    if (depth++ == 0) {
      PostMessageW(channel.OwnWindow(), kCommandMessage, 0, 0);
      Drain();
    }
    --depth;
  };
  channel.AddListener(&second);
  channel.Send(L"-operation:bringwindowtotop -url:u -title:t");
  Pump(second, 1);
  const std::vector<Entries> want = {{kBring, {L"title", L"t"}, {L"url", L"u"}}};
  EXPECT_EQ(recorder.lists, want);
  EXPECT_EQ(second.lists, want) << "the first listener's change leaked";
  EXPECT_EQ(second.pendingWhileRunning, std::vector<bool>{true});
  EXPECT_FALSE(CommandAreaPending(area)) << "freed after the listeners ran";
}

TEST_F(relay_process, area_carries_the_low_integrity_label) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  PACL sacl = nullptr;
  ACE_HEADER* ace = nullptr;
  LPWSTR sid = nullptr;
  std::wstring label;
  if (GetSecurityInfo(mapping, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, &sacl, &sd) ==
          ERROR_SUCCESS &&
      sacl && GetAce(sacl, 0, reinterpret_cast<void**>(&ace)) && ace->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE &&
      ConvertSidToStringSidW(&reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace)->SidStart, &sid)) {
    label = std::to_wstring(reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace)->Mask) + L" " + sid;
  }
  EXPECT_EQ(label, L"1 S-1-16-4096");  // no-write-up, Low
  LocalFree(sid);
  LocalFree(sd);
}

TEST_F(relay_process, two_second_starts_in_quick_succession_both_arrive_in_order) {
  // 0: the later start finds the earlier text pending and waits. 1500, longer than a sender
  // waits: the later text is written while the first list runs and must not be wiped.
  for (DWORD busyMs : {0, 1500}) {
    recorder.lists.clear();
    recorder.onCall = [busyMs] { Sleep(busyMs); };
    EXPECT_EQ(Finish(Start(kProgram, L"-url:http://h/x magnet:?xt=urn:btih:00 -title:\"T 2\" -startfrom:s")), 0);
    HANDLE later = Start(kProgram, L"-url:two");
    Sleep(500);  // not listening yet
    Pump(recorder, 2);
    EXPECT_EQ(Finish(later), 0);
    const std::vector<Entries> want = {
        {kBring, {L"startfrom", L"s"}, {L"title", L"T 2"}, {L"url", L"magnet:?xt=urn:btih:00"}}, {kBring, {L"url", L"two"}}};
    EXPECT_EQ(recorder.lists, want) << busyMs;
  }
}

TEST_F(relay_process, a_text_another_process_left_in_the_area_is_handled_safely) {
  const Entries fresh = {kBring, {L"url", L"fresh"}};
  const Entries hostile = {{std::wstring(kMaxCommandUnits, L'A'), L""}};  // one token, so its own key
  const std::pair<const wchar_t*, std::vector<Entries>> rows[] = {{L"leave", {fresh}}, {L"hostile", {hostile, fresh}}};
  for (const auto& [role, want] : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(role)));
    recorder.lists.clear();
    ASSERT_EQ(Finish(Start(kPeer, role)), 0);
    EXPECT_TRUE(CommandAreaPending(area));
    HANDLE second = Start(kProgram, L"-url:fresh");
    Pump(recorder, want.size());
    EXPECT_EQ(Finish(second), 0);
    EXPECT_EQ(recorder.lists, want);
    EXPECT_FALSE(CommandAreaPending(area)) << "the receiver frees the area";
  }
}

// An area someone else made first without 8192 committed bytes is refused by a running
// instance and a second start alike. The names are spelled out so a slip in the constants shows.
TEST(app_relay_test, a_squatted_area_is_refused_by_both_instances) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"{0AB6675C-4FD8-4cbe-8544-16360879539D}");
  for (const wchar_t* role : {L"small", L"reserve", L"partial"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(role)));
    HANDLE squatter = Start(kPeer, role);
    HANDLE area = nullptr;
    for (int i = 0; i < 250 && !area; ++i, Sleep(20))
      area = OpenFileMappingW(FILE_MAP_READ, FALSE, L"zv_{76452A10-E57A-4329-AB0A-E1F1D3629888}");
    ASSERT_NE(area, nullptr) << "the squatter made no area";
    CommandWindow running;
    EXPECT_FALSE(running.Open(L""));
    EXPECT_FALSE(running.HasArea());
    EXPECT_EQ(FindWindowW(L"MiniShellCommandWindow", L"MiniShellCommandWindow"), running.OwnWindow());
    EXPECT_EQ(Finish(Start(kProgram, L"-url:x")), 0);  // finds our mutex and window, ends cleanly
    running.Close();
    TerminateProcess(squatter, 0);
    Finish(squatter);
    CloseHandle(area);
  }
  CloseHandle(mutex);
}

}  // namespace
