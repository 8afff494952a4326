// The relay under Windows: the command window and real processes (this test the running
// instance, the program a second start, relay_peer a squatter); and start-up's own address.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/command_window.h"
#include "app/instance_claim.h"
#include "app/shell_app.h"
#include "browser/url_policy.h"
#include "framework/app_module.h"
#include "tests/win_pump.h"

fw::AppModule fw::appModule;  // ShellApp's; the program's is in main.cpp

namespace {

constexpr DWORD kTimeoutMs = 8000;
// A start may by its own bounds wait about 51 s (claim 10, turn 30, taken 10, pending 1);
// Wine starting a burst of them on a loaded machine comes on top.
constexpr DWORD kBurstMs = 120000;
using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

const std::wstring kExe = [] {
  wchar_t path[MAX_PATH];
  return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}();
const std::wstring kFolder = kExe.substr(0, kExe.find_last_of(L'\\') + 1);
const std::wstring kProgram = kFolder + L"..\\..\\app\\kestrelpane.exe";

bool Ended(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

struct Recorder : CommandListener {
  void OnCommands(CommandList list) override {
    lists.emplace_back(list.begin(), list.end());
    list[L"mine"] = L"changed";  // must not reach the next listener
    // A modal loop in a listener, with a second message for the same text: it still runs once.
    if (HWND outer = std::exchange(window, nullptr)) {
      PostMessageW(outer, kCommandMessage, 0, 0);
      Drain();
      window = outer;
    }
  }
  std::vector<Entries> lists;
  HWND window = nullptr;
};

HANDLE Start(const std::wstring& exe, const std::wstring& args) {
  std::wstring line = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// The exit code; 99 for a process not started or not ended in time.
long Finish(HANDLE process) {
  if (WaitForSingleObject(process, kTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process, 99);
  WaitForSingleObject(process, kTimeoutMs);
  DWORD code = 99;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<long>(code);
}

// This process plays the running instance when a test asks, and maps the area as another process would.
class app_relay_test : public testing::Test {
 protected:
  void BecomeTheRunningInstance() {
    mutex = CreateMutexW(nullptr, FALSE, L"{0AB6675C-4FD8-4cbe-8544-16360879539D}");
    ASSERT_TRUE(channel.Open());
    ASSERT_NE(channel.OwnWindow(), nullptr) << "a command window is left over from an earlier test";
    first.window = channel.OwnWindow();
    channel.AddListener(&first);
    channel.AddListener(&second);
    mapping = OpenFileMappingW(READ_CONTROL | FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
    area = static_cast<volatile wchar_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(area, nullptr);
  }
  // The running instance killed during a burst of second starts, left to settle: every start
  // has ended but at most one, the successor, which owns a command window.
  void KillTheInstanceDuringABurst() {
    auto commandWindowOwners = [] {
      std::set<DWORD> pids;
      for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"MiniShellCommandWindow", nullptr)) != nullptr;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        pids.insert(pid);
      }
      return pids;
    };
    doomed = Start(kProgram, L"-title:doomed");
    PumpUntil([&] { return !commandWindowOwners().empty(); });
    ASSERT_EQ(commandWindowOwners(), std::set<DWORD>{GetProcessId(doomed)});
    std::vector<HANDLE> starts;
    for (int i = 0; i < 12; ++i) starts.push_back(Start(kProgram, L"-title:k" + std::to_wstring(i)));
    TerminateProcess(doomed, 9);
    owners = {GetProcessId(doomed)};
    PumpUntil([&] {
      for (DWORD pid : commandWindowOwners()) owners.insert(pid);
      const auto running = std::count_if(starts.begin(), starts.end(), [](HANDLE p) { return !Ended(p); });
      const auto window = std::find_if(starts.begin(), starts.end(), [&](HANDLE p) { return owners.count(GetProcessId(p)); });
      successor = window == starts.end() ? nullptr : *window;
      return running == 0 || (running == 1 && successor && !Ended(successor));
    }, kBurstMs);
    for (HANDLE start : starts) if (start != successor) codes.push_back(Finish(start));
    ASSERT_NE(successor, nullptr) << "no start took the dead instance's place";
  }
  void TearDown() override {
    if (area) UnmapViewOfFile(const_cast<wchar_t*>(area));
    if (mapping) CloseHandle(mapping);
    channel.Close();
    if (mutex) CloseHandle(mutex);
    if (successor) TerminateProcess(successor, 0);
    for (HANDLE process : {successor, doomed}) if (process) Finish(process);
  }
  HANDLE mutex = nullptr, mapping = nullptr;
  volatile wchar_t* area = nullptr;
  CommandWindow channel;
  Recorder first, second;
  HANDLE doomed = nullptr, successor = nullptr;  // the burst's first instance and its successor
  std::set<DWORD> owners;                        // every process seen owning a command window
  std::vector<long> codes;                       // the exit codes of the burst's other starts
};

TEST_F(app_relay_test, area_carries_the_low_integrity_label) {
  ASSERT_NO_FATAL_FAILURE(BecomeTheRunningInstance());
  PSECURITY_DESCRIPTOR sd = nullptr;
  PACL sacl = nullptr;
  SYSTEM_MANDATORY_LABEL_ACE* ace = nullptr;
  LPWSTR sid = nullptr;
  GetSecurityInfo(mapping, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, &sacl, &sd);
  ASSERT_TRUE(sacl && GetAce(sacl, 0, reinterpret_cast<void**>(&ace)) && ConvertSidToStringSidW(&ace->SidStart, &sid));
  // A label, no-write-up, Low.
  EXPECT_EQ(std::to_wstring(ace->Header.AceType) + L" " + std::to_wstring(ace->Mask) + L" " + sid, L"17 1 S-1-16-4096");
  LocalFree(sid);
  LocalFree(sd);
}

TEST_F(app_relay_test, second_starts_relay_key_ordered_lists_over_what_others_left) {
  ASSERT_NO_FATAL_FAILURE(BecomeTheRunningInstance());
  const Entries::value_type bring = {L"operation", L"bringwindowtotop"};
  const Entries fresh = {bring, {L"url", L"fresh"}};
  // An existing file is probed unless named through the NT prefix.
  const Entries full = {{L"??\\" + kExe.substr(0, 1), kExe.substr(2)}, bring, {L"path", kExe}, {L"startfrom", L"s"},
                        {L"title", L"T 2"}, {L"url", L"magnet:?xt=urn:btih:00"}};
  // A start that finds a text pending waits for it to be taken; a dead sender's text (no
  // message) is overwritten.
  const struct Row { bool senderLives; std::vector<Entries> want; } rows[] = {{true, {full, fresh}}, {false, {fresh}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.senderLives ? "a live start's text pending" : "a dead sender's text pending");
    first.lists = second.lists = {};
    HANDLE earlier = nullptr;
    if (row.senderLives) {
      const std::wstring args = L"-url:http://h/x magnet:?xt=urn:btih:00 -title:\"T 2\" -startfrom:s \"";
      earlier = Start(kProgram, args + kExe + L"\" \"\\??\\" + kExe + L"\"");
      for (int i = 0; i < 400 && !CommandAreaPending(area); ++i) Sleep(20);
    } else {
      WriteCommandArea(area, L"-url:stale");
    }
    EXPECT_TRUE(CommandAreaPending(area));
    HANDLE later = Start(kProgram, L"-url:fresh");
    Sleep(500);  // busy, as while starting: the later start arrives while the earlier text waits
    // Each start waits until its text is taken, so we keep taking until both have ended.
    PumpUntil([&] { return second.lists.size() >= row.want.size() && Ended(later) && (!earlier || Ended(earlier)); });
    EXPECT_EQ(earlier ? Finish(earlier) : 0, 0);
    EXPECT_EQ(Finish(later), 0);
    EXPECT_EQ(first.lists, row.want);
    EXPECT_EQ(second.lists, row.want) << "the first listener's change leaked";
  }
}

// Second starts at once take turns: each title is carried out once and whole, and each
// start knows it was.
TEST_F(app_relay_test, a_burst_of_second_starts_loses_and_mixes_nothing) {
  ASSERT_NO_FATAL_FAILURE(BecomeTheRunningInstance());
  std::vector<HANDLE> starts;
  for (int i = 0; i < 48; ++i) starts.push_back(Start(kProgram, L"-title:burst" + std::to_wstring(i)));
  PumpUntil([&] { return std::all_of(starts.begin(), starts.end(), Ended); }, kBurstMs);
  std::vector<Entries> want;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    EXPECT_EQ(Finish(starts[i]), 0) << i;
    want.push_back({{L"operation", L"bringwindowtotop"}, {L"title", L"burst" + std::to_wstring(i)}});
  }
  std::sort(want.begin(), want.end());
  std::sort(first.lists.begin(), first.lists.end());
  EXPECT_EQ(first.lists, want);
}

// Each start reaches a live instance, becomes it, or says it could not.
TEST_F(app_relay_test, starts_while_the_instance_dies_relay_or_end_not_relayed) {
  ASSERT_NO_FATAL_FAILURE(KillTheInstanceDuringABurst());
  for (const long code : codes) EXPECT_TRUE(code == 0 || code == kExitNotRelayed) << code;
}

// No start makes a command window to post to itself; the one that takes over carries out relays.
TEST_F(app_relay_test, one_start_takes_the_dead_instance_s_place_and_carries_out_relays) {
  ASSERT_NO_FATAL_FAILURE(KillTheInstanceDuringABurst());
  EXPECT_EQ(owners, (std::set<DWORD>{GetProcessId(doomed), GetProcessId(successor)}));
  EXPECT_EQ(Finish(Start(kProgram, L"-title:after")), 0);
  EXPECT_TRUE(PumpUntil([] { return FindWindowW(nullptr, L"after") != nullptr; })) << "the successor does not carry out relays";
}

// An area someone else made first without 8192 committed bytes is refused by a running
// instance and a second start alike. The names are spelled out so a slip in the constants shows.
TEST_F(app_relay_test, a_squatted_area_is_refused_by_both_instances) {
  mutex = CreateMutexW(nullptr, FALSE, L"{0AB6675C-4FD8-4cbe-8544-16360879539D}");
  for (const wchar_t* role : {L"reserve", L"partial"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(role)));
    HANDLE squatter = Start(kFolder + L"relay_peer.exe", role);
    HANDLE squatted = nullptr;
    for (int i = 0; i < 250 && !squatted; ++i, Sleep(20))
      squatted = OpenFileMappingW(FILE_MAP_READ, FALSE, L"zv_{76452A10-E57A-4329-AB0A-E1F1D3629888}");
    ASSERT_NE(squatted, nullptr) << "the squatter made no area";
    CommandWindow running;
    EXPECT_FALSE(running.Open());
    EXPECT_EQ(FindWindowW(L"MiniShellCommandWindow", L"MiniShellCommandWindow"), running.OwnWindow());
    // Finds our mutex and window but cannot hand anything over, and says so.
    EXPECT_EQ(Finish(Start(kProgram, L"-url:x")), kExitNotRelayed);
    running.Close();
    TerminateProcess(squatter, 0);
    Finish(squatter);
    CloseHandle(squatted);
  }
}

}  // namespace

TEST_F(app_relay_test, start_page_is_this_module_s_encoded_welcome_page) {
  ASSERT_NE(kExe.find(L'\\'), std::wstring::npos);  // so that a raw path would differ
  EXPECT_EQ(ShellApp::DefaultUrl(), KP_DEFAULT_URL[0] ? std::wstring(KP_DEFAULT_URL) : ResourceUrl(kExe, L"start.html"));
}
