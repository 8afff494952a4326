// The relay under Windows: the command window and real processes (this test the running
// instance or a squatter, the program a second start); and start-up's own address.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/command_window.h"
#include "app/instance_claim.h"
#include "app/shell_app.h"
#include "browser/url_policy.h"
#include "framework/app_module.h"
#include "tests/support/test_support.h"

fw::AppModule fw::appModule;  // ShellApp's; the program's is in main.cpp

namespace {

using kp_test::PumpUntil;
constexpr DWORD kTimeoutMs = 8000;
// A start may by its own bounds wait about 51 s (claim 10, turn 30, taken 10, pending 1);
// Wine starting a burst of them on a loaded machine comes on top.
constexpr DWORD kBurstMs = 120000;
using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

const std::wstring kExe = kp_test::ThisExecutable();
const std::wstring kProgram = kExe.substr(0, kExe.find_last_of(L'\\') + 1) + L"..\\..\\app\\kestrelpane.exe";
// The running instance's mutex spelled out, so a slip in the program's name shows.
const wchar_t kInstanceMutex[] = L"{0AB6675C-4FD8-4cbe-8544-16360879539D}";
const Entries::value_type kBring = {L"operation", L"bringwindowtotop"};

bool Ended(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

struct Recorder : CommandListener {
  void OnCommands(CommandList list) override {
    lists.emplace_back(list.begin(), list.end());
    list[L"mine"] = L"changed";  // must not reach the next listener
    // A modal loop in a listener, with a second message for the same text: it still runs once.
    if (HWND outer = std::exchange(window, nullptr)) {
      PostMessageW(outer, kCommandMessage, 0, 0);
      PumpUntil([] { return true; });  // the queue run through once
      window = outer;
    }
  }
  std::vector<Entries> lists;
  HWND window = nullptr;
};

HANDLE Start(const std::wstring& args) {
  std::wstring line = L"\"" + kProgram + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "not started (error " << GetLastError() << "): " << args.substr(0, 40).c_str();
    return nullptr;
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// The exit code; 99 for a process not started or not ended in time.
long Finish(HANDLE process, DWORD ms = kTimeoutMs) {
  if (WaitForSingleObject(process, ms) != WAIT_OBJECT_0) TerminateProcess(process, 99);
  DWORD code = 99;
  if (WaitForSingleObject(process, kTimeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<long>(code);
}

// This process plays the running instance when a test asks, and maps the area as another process would.
class relay_test : public testing::Test {
 protected:
  void BecomeTheRunningInstance() {
    mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
    ASSERT_TRUE(channel.Open());
    ASSERT_NE(channel.OwnWindow(), nullptr) << "a command window is left over from an earlier test";
    first.window = channel.OwnWindow();
    channel.AddListener(&first);
    channel.AddListener(&second);
    mapping = OpenFileMappingW(READ_CONTROL | FILE_MAP_ALL_ACCESS, FALSE, kCommandAreaName);
    area = static_cast<volatile wchar_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(area, nullptr);
  }
  void TearDown() override {
    if (area) UnmapViewOfFile(const_cast<wchar_t*>(area));
    channel.Close();
    for (HANDLE h : {mapping, mutex}) if (h) CloseHandle(h);
    if (turn) ReleaseMutex(turn), CloseHandle(turn);  // a test that failed may still hold it
    for (HANDLE process : others) TerminateProcess(process, 0), Finish(process);  // fails for one that has ended
  }
  HANDLE mutex = nullptr, mapping = nullptr, turn = nullptr;  // turn: the senders' mutex, when a test holds it
  volatile wchar_t* area = nullptr;
  CommandWindow channel;
  Recorder first, second;
  std::vector<HANDLE> others;  // ended at the end of the test
};

TEST_F(relay_test, area_carries_the_low_integrity_label) {
  ASSERT_NO_FATAL_FAILURE(BecomeTheRunningInstance());
  PSECURITY_DESCRIPTOR sd = nullptr;
  PACL sacl = nullptr;
  SYSTEM_MANDATORY_LABEL_ACE* ace = nullptr;
  LPWSTR sid = nullptr;
  GetSecurityInfo(mapping, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, &sacl, &sd);
  ASSERT_TRUE(sacl && GetAce(sacl, 0, reinterpret_cast<void**>(&ace)) && ConvertSidToStringSidW(&ace->SidStart, &sid));
  // A label, no-write-up, Low.
  EXPECT_EQ(std::to_wstring(ace->Header.AceType) + L" " + std::to_wstring(ace->Mask) + L" " + sid, L"17 1 S-1-16-4096");
  LocalFree(sid), LocalFree(sd);
}

TEST_F(relay_test, second_starts_relay_key_ordered_lists_over_what_others_left) {
  ASSERT_NO_FATAL_FAILURE(BecomeTheRunningInstance());
  // The senders' turn abandoned, as by a sender killed while holding it: the first start takes it over.
  HANDLE holder = CreateThread(nullptr, 0, [](void* t) -> DWORD {
    return !(*static_cast<HANDLE*>(t) = CreateMutexW(nullptr, TRUE, kCommandSenderMutexName));
  }, &turn, 0, nullptr);
  WaitForSingleObject(holder, INFINITE), CloseHandle(holder);
  const Entries fresh = {kBring, {L"url", L"fresh"}};
  // An existing file is probed unless named through the NT prefix.
  const Entries full = {{L"??\\" + kExe.substr(0, 1), kExe.substr(2)}, kBring, {L"path", kExe}, {L"startfrom", L"s"},
                        {L"title", L"T 2"}, {L"url", L"magnet:?xt=urn:btih:00"}};
  // A start that finds a text pending waits for it to be taken; a dead sender's text (no message) is overwritten.
  const struct Row { bool senderLives; std::vector<Entries> want; } rows[] = {{true, {full, fresh}}, {false, {fresh}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.senderLives ? "a live start's text pending" : "a dead sender's text pending");
    first.lists = second.lists = {};
    HANDLE earlier = nullptr;
    const std::wstring args = L"-url:http://h/x magnet:?xt=urn:btih:00 -title:\"T 2\" -startfrom:s \"";
    if (row.senderLives) earlier = Start(args + kExe + L"\" \"\\??\\" + kExe + L"\"");
    else WriteCommandArea(area, L"-url:stale");
    for (int i = 0; i < 400 && !CommandAreaPending(area); ++i) Sleep(20);
    EXPECT_TRUE(CommandAreaPending(area));
    HANDLE later = Start(L"-url:fresh");
    Sleep(500);  // busy, as while starting: the later start arrives while the earlier text waits
    // Each start waits until its text is taken, so we keep taking until both have ended.
    PumpUntil([&] { return second.lists.size() >= row.want.size() && Ended(later) && (!earlier || Ended(earlier)); });
    EXPECT_EQ(earlier ? Finish(earlier) : 0, 0);
    EXPECT_EQ(Finish(later), 0);
    EXPECT_EQ(first.lists, row.want);
    EXPECT_EQ(second.lists, row.want) << "the first listener's change leaked";
  }
}

// Second starts at once take turns: each title is carried out once and whole, and each start knows it was.
TEST_F(relay_test, a_burst_of_second_starts_loses_and_mixes_nothing) {
  ASSERT_NO_FATAL_FAILURE(BecomeTheRunningInstance());
  std::vector<HANDLE> starts;
  for (int i = 0; i < 48; ++i) starts.push_back(Start(L"-title:burst" + std::to_wstring(i)));
  PumpUntil([&] { return std::all_of(starts.begin(), starts.end(), Ended); }, kBurstMs);
  std::vector<Entries> want;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    EXPECT_EQ(Finish(starts[i]), 0) << i;
    want.push_back({kBring, {L"title", L"burst" + std::to_wstring(i)}});
  }
  std::sort(want.begin(), want.end());
  std::sort(first.lists.begin(), first.lists.end());
  EXPECT_EQ(first.lists, want);
}

// This process plays the running instance, a command window it destroys at a chosen moment of
// a start's send: the start then takes its place, carries out its own line and later relays.
TEST_F(relay_test, a_start_takes_the_place_of_an_instance_gone_while_it_sends) {
  ASSERT_TRUE(channel.Open());  // registers our class; the area goes with Close
  channel.Close();
  for (const bool posted : {false, true}) {
    SCOPED_TRACE(posted ? "gone after the post, before taking" : "gone before the post");
    ASSERT_EQ(OpenFileMappingW(FILE_MAP_READ, FALSE, kCommandAreaName), nullptr) << "an area is left over";
    mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
    turn = CreateMutexW(nullptr, !posted, kCommandSenderMutexName);
    HWND window = CreateWindowExW(0, kCommandWindowName, kCommandWindowName, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HANDLE heir = Start(L"-title:heir");
    others.push_back(heir);
    // The start maps the area once it has found the window; then it posts, or waits for the turn we hold.
    MSG message;
    for (int i = 0; i < 4000 && !(posted ? PeekMessageW(&message, window, kCommandMessage, kCommandMessage, PM_NOREMOVE)
                                         : (mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, kCommandAreaName)) != nullptr); ++i)
      Sleep(5);  // not pumping: our window must not see the message
    DestroyWindow(window), CloseHandle(std::exchange(mutex, nullptr));
    ReleaseMutex(turn), CloseHandle(std::exchange(turn, nullptr));
    PumpUntil([&] { return FindWindowW(nullptr, L"heir") || Ended(heir); });
    EXPECT_NE(FindWindowW(nullptr, L"heir"), nullptr) << "the start ended: " << Ended(heir);
    EXPECT_EQ(Finish(Start(L"-title:after")), 0);
    EXPECT_NE(FindWindowW(nullptr, L"after"), nullptr) << "the heir does not carry out relays";
    TerminateProcess(heir, 0), WaitForSingleObject(heir, kTimeoutMs);
    if (mapping) CloseHandle(std::exchange(mapping, nullptr));
  }
}

// A line that does not fit whole brings the window to the front and nothing else; an older
// sender's text cut at the area's end loses its last token, which may have been cut.
TEST_F(relay_test, a_line_too_long_for_the_area_is_not_carried_out) {
  ASSERT_NO_FATAL_FAILURE(BecomeTheRunningInstance());
  // After the 28 units of prefix, the last token straddles the 4093rd unit.
  HANDLE start = Start(L"-title:first -url:" + std::wstring(4040, L'u') + L" -title:straddle");
  PumpUntil([&] { return Ended(start); });
  EXPECT_EQ(Finish(start), kExitNotRelayed);
  WriteCommandArea(area, L"-operation:bringwindowtotop -title:older -url:" + std::wstring(5000, L'u'));
  PostMessageW(channel.OwnWindow(), kCommandMessage, 0, 0);
  PumpUntil([&] { return first.lists.size() >= 2; });
  EXPECT_EQ(first.lists, (std::vector<Entries>{{kBring}, {kBring, {L"title", L"older"}}}));
}

// A window of our class and name that takes nothing (this process's own, never pumped), as
// another program may make: a text tried there is withdrawn, the first instance makes its own
// window, and a start that tries the other one first goes on to it.
TEST_F(relay_test, a_command_window_that_takes_nothing_is_passed_over) {
  ASSERT_NO_FATAL_FAILURE(BecomeTheRunningInstance());
  HANDLE lost = Start(L"-title:lost");
  EXPECT_EQ(Finish(lost, kBurstMs), kExitNotRelayed);
  EXPECT_FALSE(CommandAreaPending(area)) << "left for a later message to carry out";
  CloseHandle(std::exchange(mutex, nullptr));
  others.push_back(Start(L"-title:first"));
  const HWND own = channel.OwnWindow();
  ASSERT_TRUE(PumpUntil([&] { return FindWindowExW(nullptr, own, kCommandWindowName, kCommandWindowName) || FindWindowW(kCommandWindowName, kCommandWindowName) != own; }))
      << "the first instance made no command window of its own";
  SetWindowPos(own, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_EQ(FindWindowW(kCommandWindowName, kCommandWindowName), own) << "ours is tried first";
  HANDLE taken = Start(L"-title:taken");
  EXPECT_EQ(Finish(taken, kBurstMs), 0);  // not pumping: ours must not take it
  EXPECT_NE(FindWindowW(nullptr, L"taken"), nullptr);
}

// An elevated instance's mutex keeps a normal start out like this one. An area someone else
// made first without 8192 committed bytes (here this process, holding it reserved only or half
// committed) is refused by a running instance and a second start alike.
TEST_F(relay_test, a_mutex_that_denies_us_or_a_squatted_area_ends_the_start_with_3) {
  PSECURITY_DESCRIPTOR denied = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)", SDDL_REVISION_1, &denied, nullptr));
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), denied, FALSE};
  mutex = CreateMutexW(&attributes, FALSE, kInstanceMutex), LocalFree(denied);
  EXPECT_EQ(Finish(Start(L"-title:denied")), kExitNotRelayed);
  CloseHandle(mutex);
  mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
  for (const bool half : {false, true}) {
    SCOPED_TRACE(half ? "half committed" : "reserved only");
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_RESERVE, 0, 8192,
                                 L"zv_{76452A10-E57A-4329-AB0A-E1F1D3629888}");  // spelled out, as the mutex
    ASSERT_TRUE(mapping && GetLastError() != ERROR_ALREADY_EXISTS) << "an area is left over";
    area = static_cast<volatile wchar_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_TRUE(area && (!half || VirtualAlloc(const_cast<wchar_t*>(area), 4096, MEM_COMMIT, PAGE_READWRITE)));
    CommandWindow running;
    EXPECT_FALSE(running.Open());
    EXPECT_EQ(FindWindowW(L"MiniShellCommandWindow", L"MiniShellCommandWindow"), running.OwnWindow());
    // Finds our mutex and window but cannot hand anything over, and says so.
    EXPECT_EQ(Finish(Start(L"-url:x")), kExitNotRelayed);
    running.Close(), UnmapViewOfFile(const_cast<wchar_t*>(std::exchange(area, nullptr)));
    CloseHandle(std::exchange(mapping, nullptr));
  }
}

}  // namespace

TEST_F(relay_test, start_page_is_this_module_s_encoded_welcome_page) {
  ASSERT_NE(kExe.find(L'\\'), std::wstring::npos);  // so that a raw path would differ
  EXPECT_EQ(ShellApp::DefaultUrl(), KP_DEFAULT_URL[0] ? std::wstring(KP_DEFAULT_URL) : ResourceUrl(kExe, L"start.html"));
}
