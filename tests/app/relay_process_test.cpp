// The relay between real processes: relay_peer plays the running instance, second starts
// and hostile writers. Every wait is bounded; a peer still running at the end is ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/command_window.h"
#include "app/single_instance.h"
#include "relay_test_util.h"

namespace {

constexpr DWORD kPeerTimeoutMs = 8000;

class Peer {
 public:
  explicit Peer(const std::wstring& args, const std::wstring& exe = ExePart(false) + L"relay_peer.exe") {
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
    if (started) CloseHandle(pi.hThread);
  }
  ~Peer() {
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, kPeerTimeoutMs);
    }
    CloseHandle(pi.hProcess);
  }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  // The exit code, or -1 when the process did not end in time.
  long Wait() {
    DWORD code = 0;
    if (!started || WaitForSingleObject(pi.hProcess, kPeerTimeoutMs) != WAIT_OBJECT_0) return -1;
    GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<long>(code);
  }
  bool started = false;
  PROCESS_INFORMATION pi = {};
};

// The running instance with a result file of its own, up with its window once constructed.
class First {
 public:
  explicit First(int lists, int busyMs = 0, int deafMs = 0) : path(TempPath()), peer(Args(lists, busyMs, deafMs)) {
    const ULONGLONG deadline = GetTickCount64() + kPeerTimeoutMs;
    while (peer.started && !(window = FindWindowW(kCommandWindowName, kCommandWindowName)) &&
           GetTickCount64() < deadline)
      Sleep(10);
    if (!window) return;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, peer.pi.dwProcessId) << "the first instance should have made its own window";
  }
  ~First() { DeleteFileW(path.c_str()); }
  // The lists it received, as "key=value;" entries and a line end each.
  std::wstring Lists() const {
    std::wstring data;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
      wchar_t buf[1024];
      for (std::size_t n; (n = fread(buf, sizeof(wchar_t), 1024, f)) > 0;) data.append(buf, n);
      fclose(f);
    }
    return data;
  }
  const std::wstring path;
  Peer peer;
  HWND window = nullptr;

 private:
  static std::wstring TempPath() {
    wchar_t dir[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"kpr", 0, name);
    DeleteFileW(name);
    return name;
  }
  std::wstring Args(int lists, int busyMs, int deafMs) const {
    return L"first \"" + path + L"\" " + std::to_wstring(lists) + L" " + std::to_wstring(kPeerTimeoutMs) + L" " +
           std::to_wstring(busyMs) + L" " + std::to_wstring(deafMs);
  }
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
  const std::wstring peer = ExePart(false) + L"relay_peer.exe";
  const std::wstring program = ExePart(false) + L"..\\..\\app\\kestrelpane.exe";
  const std::wstring longUrl(5000, L'x');
  const std::size_t kept = kMaxCommandUnits - std::wstring(kBringToTopPrefix).size() - 5;
  const struct {
    const char* label;
    std::wstring exe, args, want;
  } rows[] = {
      {"key order", peer, L"second -url:http://h/x -title:\"T 2\" -startfrom:other",
       kBring + L"startfrom=other;title=T 2;url=http://h/x;\n"},
      {"no arguments: the prefix alone", peer, L"second", kBring + L"\n"},
      {"over 4095 units: cut", peer, L"second -url:" + longUrl, kBring + L"url=" + longUrl.substr(0, kept) + L";\n"},
      // The bare link and the url token share the key; the later token wins.
      {"the program itself", program, L"-url:http://h/y magnet:?xt=urn:btih:00 -title:Again",
       kBring + L"title=Again;url=magnet:?xt=urn:btih:00;\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    First first(1);
    ASSERT_NE(first.window, nullptr);
    Peer second(r.args, r.exe);
    ASSERT_TRUE(second.started);
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(first.peer.Wait(), 0);
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
    EXPECT_EQ(Peer(L"second -url:one").Wait(), 0);
    EXPECT_EQ(Peer(L"second -url:two").Wait(), 0);
    EXPECT_EQ(first.peer.Wait(), 0) << "the second list never arrived";
    EXPECT_EQ(first.Lists(), kBring + L"url=one;\n" + kBring + L"url=two;\n");
  }
}

TEST_F(relay_process, pending_text_of_a_dead_sender_is_overwritten_after_the_wait) {
  First first(1);
  ASSERT_NE(first.window, nullptr);
  ASSERT_EQ(Peer(L"leave -url:stale -title:stale").Wait(), 0);
  AreaView area;
  ASSERT_NE(area.view, nullptr);
  EXPECT_TRUE(CommandAreaPending(area.view)) << "the dead sender's text should be pending";
  EXPECT_EQ(Peer(L"second -url:fresh").Wait(), 0);
  EXPECT_EQ(first.peer.Wait(), 0);
  EXPECT_EQ(first.Lists(), kBring + L"url=fresh;\n");
  EXPECT_FALSE(CommandAreaPending(area.view)) << "the receiver frees the area";
}

TEST_F(relay_process, unterminated_area_from_a_hostile_process_is_read_safely) {
  First first(2);
  ASSERT_NE(first.window, nullptr);
  ASSERT_EQ(Peer(L"hostile").Wait(), 0);
  // The channel still works afterwards, without waiting out the hostile text.
  EXPECT_EQ(Peer(L"second -title:after").Wait(), 0);
  EXPECT_EQ(first.peer.Wait(), 0);
  // One token of 4095 'A's with no ':' is a key of its own.
  EXPECT_EQ(first.Lists(), std::wstring(kMaxCommandUnits, L'A') + L"=;\n" + kBring + L"title=after;\n");
}

}  // namespace
