// The relay between real processes: relay_peer plays the running instance, a dead sender
// or a hostile writer; the program itself is the second start. Every wait is bounded; a
// process still running at the end is ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

#include "app/command_window.h"
#include "app/single_instance.h"
#include "relay_test_util.h"

namespace {

constexpr DWORD kPeerTimeoutMs = 8000;
const std::wstring kPeer = ExePart(false) + L"relay_peer.exe";
const std::wstring kProgram = ExePart(false) + L"..\\..\\app\\kestrelpane.exe";

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

// The exit code once the process has ended, or -1 when it has not within ms: then it is ended.
long Finish(HANDLE process, DWORD ms = kPeerTimeoutMs) {
  DWORD code = static_cast<DWORD>(-1);
  if (!process) return -1;
  if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process, &code);
  } else {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, kPeerTimeoutMs);
  }
  CloseHandle(process);
  return static_cast<long>(code);
}

long ExitCode(const std::wstring& exe, const std::wstring& args) { return Finish(Start(exe, args)); }

// The running instance, up with its own window once constructed, and the lists it got.
class First {
 public:
  explicit First(int lists, int busyMs = 0, int deafMs = 0) {
    DeleteFileW(path.c_str());
    process = Start(kPeer, L"first \"" + path + L"\" " + std::to_wstring(lists) + L" " +
                               std::to_wstring(kPeerTimeoutMs) + L" " + std::to_wstring(busyMs) + L" " +
                               std::to_wstring(deafMs));
    const ULONGLONG deadline = GetTickCount64() + kPeerTimeoutMs;
    while (process && !(window = FindWindowW(kCommandWindowName, kCommandWindowName)) && GetTickCount64() < deadline)
      Sleep(10);
    if (!window) return;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, GetProcessId(process)) << "the first instance should have made its own window";
  }
  ~First() {
    Finish(process, 0);
    DeleteFileW(path.c_str());
  }
  long Wait() { return Finish(std::exchange(process, nullptr)); }
  // As "key=value;" entries and a line end per list.
  std::wstring Lists() const {
    std::wstring data;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
      wchar_t buf[1024];
      for (std::size_t n; (n = fread(buf, sizeof(wchar_t), 1024, f)) > 0;) data.append(buf, n);
      fclose(f);
    }
    return data;
  }
  const std::wstring path = ExePart(false) + L"relay_lists.txt";
  HANDLE process = nullptr;
  HWND window = nullptr;
};

const std::wstring kBring = L"operation=bringwindowtotop;";

class relay_process : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindWindowW(kCommandWindowName, kCommandWindowName), nullptr)
        << "a command window is left over from an earlier test";
  }
};

TEST_F(relay_process, a_second_start_relays_its_command_line_in_key_order) {
  const std::wstring longUrl(5000, L'x');
  const std::size_t kept = kMaxCommandUnits - std::wstring(kBringToTopPrefix).size() - 5;
  const struct {
    const char* label;
    std::wstring args, want;
  } rows[] = {
      // The bare link and the url token share the key; the later token wins.
      {"key order", L"-url:http://h/x magnet:?xt=urn:btih:00 -title:\"T 2\" -startfrom:other",
       kBring + L"startfrom=other;title=T 2;url=magnet:?xt=urn:btih:00;\n"},
      {"no arguments: the prefix alone", L"", kBring + L"\n"},
      {"over 4095 units: cut", L"-url:" + longUrl, kBring + L"url=" + longUrl.substr(0, kept) + L";\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    First first(1);
    ASSERT_NE(first.window, nullptr);
    EXPECT_EQ(ExitCode(kProgram, r.args), 0);
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(first.Lists(), r.want);
  }
}

TEST_F(relay_process, two_second_starts_in_quick_succession_both_arrive_in_order) {
  const struct {
    const char* label;
    int busyMs, deafMs;
  } rows[] = {
      // The later start finds the earlier text pending and waits for it to be carried out.
      {"slow to listen", 0, 600},
      // Longer than a sender's wait: the later text is written while the first list runs
      // and must not be wiped when that list is done.
      {"slow list", 1500, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    First first(2, r.busyMs, r.deafMs);
    ASSERT_NE(first.window, nullptr);
    EXPECT_EQ(ExitCode(kProgram, L"-url:one"), 0);
    EXPECT_EQ(ExitCode(kProgram, L"-url:two"), 0);
    EXPECT_EQ(first.Wait(), 0) << "the second list never arrived";
    EXPECT_EQ(first.Lists(), kBring + L"url=one;\n" + kBring + L"url=two;\n");
  }
}

TEST_F(relay_process, pending_text_of_a_dead_sender_is_overwritten_after_the_wait) {
  First first(1);
  ASSERT_NE(first.window, nullptr);
  ASSERT_EQ(ExitCode(kPeer, L"leave"), 0);
  AreaView area;
  ASSERT_NE(area.view, nullptr);
  EXPECT_TRUE(CommandAreaPending(area.view)) << "the dead sender's text should be pending";
  EXPECT_EQ(ExitCode(kProgram, L"-url:fresh"), 0);
  EXPECT_EQ(first.Wait(), 0);
  EXPECT_EQ(first.Lists(), kBring + L"url=fresh;\n");
  EXPECT_FALSE(CommandAreaPending(area.view)) << "the receiver frees the area";
}

TEST_F(relay_process, unterminated_area_from_a_hostile_process_is_read_safely) {
  First first(2);
  ASSERT_NE(first.window, nullptr);
  ASSERT_EQ(ExitCode(kPeer, L"hostile"), 0);
  // The channel still works afterwards, without waiting out the hostile text.
  EXPECT_EQ(ExitCode(kProgram, L"-title:after"), 0);
  EXPECT_EQ(first.Wait(), 0);
  // One token of 4095 'A's with no ':' is a key of its own.
  EXPECT_EQ(first.Lists(), std::wstring(kMaxCommandUnits, L'A') + L"=;\n" + kBring + L"title=after;\n");
}

}  // namespace
