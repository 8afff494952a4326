// The relay between real processes: this test is the running instance, the program itself
// the second start, relay_peer a dead sender, a hostile writer or a squatter of the area.
// Every wait is bounded; a process still running at its deadline is ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/command_window.h"
#include "app/single_instance.h"
#include "relay_test_util.h"

namespace {

constexpr DWORD kTimeoutMs = 8000;
const std::wstring kPeer = ExePart(false) + L"relay_peer.exe";
const std::wstring kProgram = ExePart(false) + L"..\\..\\app\\kestrelpane.exe";

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
const std::pair<std::wstring, std::wstring> kBring = {L"operation", L"bringwindowtotop"};

// Starts exe with args; the process handle, or null.
HANDLE Start(const std::wstring& exe, const std::wstring& args) {
  std::wstring line = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// The exit code once the process has ended, or -1 when it has not in time: then it is ended.
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

// This process plays the running instance: it holds the single-instance mutex and a
// command window of its own.
class relay_process : public testing::Test {
 protected:
  void SetUp() override {
    mutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    ASSERT_TRUE(channel.Open(L""));
    ASSERT_NE(channel.OwnWindow(), nullptr) << "a command window is left over from an earlier test";
    channel.AddListener(&recorder);
  }
  void TearDown() override {
    channel.Close();
    CloseHandle(mutex);
  }
  // Each list received, in the order it visits its entries.
  std::vector<Entries> Lists() const {
    std::vector<Entries> lists;
    for (const CommandList& list : recorder.lists) lists.emplace_back(list.begin(), list.end());
    return lists;
  }
  HANDLE mutex = nullptr;
  CommandWindow channel;
  Recorder recorder;
};

TEST_F(relay_process, a_second_start_relays_its_command_line_in_key_order) {
  const std::wstring longUrl(5000, L'x');
  const std::size_t kept = kMaxCommandUnits - std::wstring(kBringToTopPrefix).size() - 5;
  const struct {
    const char* label;
    std::wstring args;
    Entries want;
  } rows[] = {
      // The bare link and the url token share the key; the later token wins.
      {"key order", L"-url:http://h/x magnet:?xt=urn:btih:00 -title:\"T 2\" -startfrom:other",
       {kBring, {L"startfrom", L"other"}, {L"title", L"T 2"}, {L"url", L"magnet:?xt=urn:btih:00"}}},
      {"no arguments: the prefix alone", L"", {kBring}},
      {"over 4095 units: cut", L"-url:" + longUrl, {kBring, {L"url", longUrl.substr(0, kept)}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    recorder.lists.clear();
    HANDLE second = Start(kProgram, r.args);
    Pump(recorder, 1, kTimeoutMs);
    EXPECT_EQ(Finish(second), 0);
    EXPECT_EQ(Lists(), std::vector<Entries>{r.want});
  }
}

TEST_F(relay_process, two_second_starts_in_quick_succession_both_arrive_in_order) {
  const struct {
    const char* label;
    DWORD busyMs;
  } rows[] = {
      // The later start finds the earlier text pending and waits for it to be carried out.
      {"waits", 0},
      // Longer than a sender's wait: the later text is written while the first list runs
      // and must not be wiped when that list is done.
      {"slow list", 1500},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    recorder.lists.clear();
    recorder.onCall = [ms = r.busyMs] { Sleep(ms); };
    EXPECT_EQ(Finish(Start(kProgram, L"-url:one")), 0);
    HANDLE later = Start(kProgram, L"-url:two");
    Sleep(500);  // not listening yet
    Pump(recorder, 2, kTimeoutMs);
    EXPECT_EQ(Finish(later), 0);
    EXPECT_EQ(Lists(), (std::vector<Entries>{{kBring, {L"url", L"one"}}, {kBring, {L"url", L"two"}}}));
  }
}

TEST_F(relay_process, a_text_another_process_left_in_the_area_is_handled_safely) {
  const Entries fresh = {kBring, {L"url", L"fresh"}};
  const Entries hostile = {{std::wstring(kMaxCommandUnits, L'A'), L""}};  // one token, so its own key
  const struct {
    const char* label;
    const wchar_t* role;
    bool pending;  // what the peer leaves in the area
    std::vector<Entries> want;
  } rows[] = {
      {"dead sender: overwritten after the wait", L"leave", true, {fresh}},
      {"hostile, unterminated: read no further than 4095 units", L"hostile", true, {hostile, fresh}},
      {"stray message on a free area: nothing", L"stray", false, {fresh}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    recorder.lists.clear();
    ASSERT_EQ(Finish(Start(kPeer, r.role)), 0);
    AreaView area;
    ASSERT_NE(area.view, nullptr);
    EXPECT_EQ(CommandAreaPending(area.view), r.pending);
    HANDLE second = Start(kProgram, L"-url:fresh");
    Pump(recorder, r.want.size(), kTimeoutMs);
    EXPECT_EQ(Finish(second), 0);
    EXPECT_EQ(Lists(), r.want);
    EXPECT_FALSE(CommandAreaPending(area.view)) << "the receiver frees the area";
  }
}

// An area someone else created first that does not hold the contract's 8192 committed bytes
// is refused, by a running instance and by a second start alike, instead of faulting on the
// first read. The relay's names are spelled out here, so a slip in the shared constants shows.
TEST(app_relay_test, a_squatted_area_is_refused_by_both_instances) {
  const wchar_t* roles[] = {L"small", L"reserve", L"partial"};
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"{0AB6675C-4FD8-4cbe-8544-16360879539D}");
  for (const wchar_t* role : roles) {
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
    // The program finds our mutex and window, and ends cleanly without an area to write to.
    EXPECT_EQ(Finish(Start(kProgram, L"-url:x")), 0);
    running.Close();
    TerminateProcess(squatter, 0);
    Finish(squatter);
    CloseHandle(area);
  }
  CloseHandle(mutex);
}

}  // namespace
