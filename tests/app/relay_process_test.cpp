// The relay between real processes: relay_peer plays the running instance, second starts
// and hostile writers. Every wait is bounded; a peer still running at the end is ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_window.h"
#include "app/single_instance.h"

namespace {

constexpr DWORD kPeerTimeoutMs = 8000;

std::wstring TestDir() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  dir.erase(dir.find_last_of(L"\\/") + 1);
  return dir;
}

std::wstring PeerPath() { return TestDir() + L"relay_peer.exe"; }

// The program itself, built beside the tests' folder.
std::wstring ProgramPath() { return TestDir() + L"..\\..\\app\\kestrelpane.exe"; }

class Peer {
 public:
  explicit Peer(const std::wstring& args) : Peer(PeerPath(), args) {}
  Peer(const std::wstring& exe, const std::wstring& args) {
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
  long Wait(DWORD ms = kPeerTimeoutMs) {
    if (!started || WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<long>(code);
  }
  DWORD Id() const { return pi.dwProcessId; }
  bool started = false;

 private:
  PROCESS_INFORMATION pi = {};
};

HWND WaitForCommandWindow(DWORD ms = kPeerTimeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  for (;;) {
    if (HWND w = FindWindowW(kCommandWindowName, kCommandWindowName)) return w;
    if (GetTickCount64() >= deadline) return nullptr;
    Sleep(10);
  }
}

// A result file of its own per test, removed afterwards.
class ResultFile {
 public:
  ResultFile() {
    wchar_t dir[MAX_PATH];
    wchar_t name[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"kpr", 0, name);
    path = name;
    DeleteFileW(path.c_str());
  }
  ~ResultFile() { DeleteFileW(path.c_str()); }

  std::vector<std::vector<std::pair<std::wstring, std::wstring>>> Lists() const {
    std::vector<std::vector<std::pair<std::wstring, std::wstring>>> lists;
    std::wstring data;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
      wchar_t buf[1024];
      std::size_t n;
      while ((n = fread(buf, sizeof(wchar_t), 1024, f)) > 0) data.append(buf, n);
      fclose(f);
    }
    std::vector<std::pair<std::wstring, std::wstring>> list;
    std::wstring key, field;
    for (wchar_t c : data) {
      if (c == L'\x1F') {
        key = field;
        field.clear();
      } else if (c == L'\x1E') {
        list.emplace_back(key, field);
        field.clear();
      } else if (c == L'\x1D') {
        lists.push_back(list);
        list.clear();
      } else {
        field.push_back(c);
      }
    }
    return lists;
  }
  std::wstring path;
};

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

class relay_process : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindWindowW(kCommandWindowName, kCommandWindowName), nullptr)
        << "a command window is left over from an earlier test";
  }
  // Starts the running instance and waits until its window is up.
  HWND StartFirst(Peer& first) {
    if (!first.started) return nullptr;
    HWND window = WaitForCommandWindow();
    if (window) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      EXPECT_EQ(owner, first.Id()) << "the first instance should have made its own window";
    }
    return window;
  }
  static std::wstring FirstArgs(const ResultFile& out, int lists, int busyMs = 0, int deafMs = 0) {
    return L"first \"" + out.path + L"\" " + std::to_wstring(lists) + L" " + std::to_wstring(kPeerTimeoutMs) +
           L" " + std::to_wstring(busyMs) + L" " + std::to_wstring(deafMs);
  }
};

TEST_F(relay_process, second_start_relays_its_command_line_in_key_order) {
  ResultFile out;
  Peer first(FirstArgs(out, 1));
  ASSERT_NE(StartFirst(first), nullptr);
  Peer second(L"second -url:http://h/x -title:\"T 2\" -startfrom:other");
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(first.Wait(), 0);
  const Entries want = {{L"operation", L"bringwindowtotop"}, {L"startfrom", L"other"}, {L"title", L"T 2"},
                        {L"url", L"http://h/x"}};
  const auto lists = out.Lists();
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0], want);
}

TEST_F(relay_process, second_start_without_arguments_relays_the_prefix_alone) {
  ResultFile out;
  Peer first(FirstArgs(out, 1));
  ASSERT_NE(StartFirst(first), nullptr);
  Peer second(L"second");
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(first.Wait(), 0);
  const auto lists = out.Lists();
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0], (Entries{{L"operation", L"bringwindowtotop"}}));
}

TEST_F(relay_process, pending_text_of_a_dead_sender_is_overwritten_after_the_wait) {
  ResultFile out;
  Peer first(FirstArgs(out, 1));
  ASSERT_NE(StartFirst(first), nullptr);
  Peer dead(L"leave -url:stale -title:stale");
  ASSERT_EQ(dead.Wait(), 0);
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, kCommandAreaName);
  ASSERT_NE(mapping, nullptr);
  auto* area = static_cast<const volatile wchar_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kCommandAreaBytes));
  ASSERT_NE(area, nullptr);
  EXPECT_TRUE(CommandAreaPending(area)) << "the dead sender's text should be pending";

  Peer second(L"second -url:fresh");
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(first.Wait(), 0);
  const auto lists = out.Lists();
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0], (Entries{{L"operation", L"bringwindowtotop"}, {L"url", L"fresh"}}));
  EXPECT_FALSE(CommandAreaPending(area)) << "the receiver frees the area";
  UnmapViewOfFile(const_cast<wchar_t*>(area));
  CloseHandle(mapping);
}

TEST_F(relay_process, two_second_starts_in_quick_succession_both_arrive_in_order) {
  ResultFile out;
  // The running instance handles nothing for a while, so the later start finds the earlier
  // text still pending and has to wait for it to be carried out.
  Peer first(FirstArgs(out, 2, 0, 600));
  ASSERT_NE(StartFirst(first), nullptr);
  Peer a(L"second -url:one");
  EXPECT_EQ(a.Wait(), 0);
  Peer b(L"second -url:two");
  EXPECT_EQ(b.Wait(), 0);
  EXPECT_EQ(first.Wait(), 0);
  const auto lists = out.Lists();
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(lists[0], (Entries{{L"operation", L"bringwindowtotop"}, {L"url", L"one"}}));
  EXPECT_EQ(lists[1], (Entries{{L"operation", L"bringwindowtotop"}, {L"url", L"two"}}));
}

TEST_F(relay_process, text_written_while_a_slow_list_runs_is_not_wiped) {
  ResultFile out;
  // Longer than a sender's one-second wait: the later start overwrites and posts while the
  // running instance is still carrying out the first list.
  Peer first(FirstArgs(out, 2, 1500));
  ASSERT_NE(StartFirst(first), nullptr);
  Peer a(L"second -url:one");
  EXPECT_EQ(a.Wait(), 0);
  Peer b(L"second -url:two");
  EXPECT_EQ(b.Wait(), 0);
  EXPECT_EQ(first.Wait(), 0) << "the second list never arrived";
  const auto lists = out.Lists();
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(lists[0], (Entries{{L"operation", L"bringwindowtotop"}, {L"url", L"one"}}));
  EXPECT_EQ(lists[1], (Entries{{L"operation", L"bringwindowtotop"}, {L"url", L"two"}}));
}

TEST_F(relay_process, text_over_4095_units_arrives_cut) {
  ResultFile out;
  Peer first(FirstArgs(out, 1));
  ASSERT_NE(StartFirst(first), nullptr);
  const std::wstring url(5000, L'x');
  Peer second(L"second -url:" + url);
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(first.Wait(), 0);
  const auto lists = out.Lists();
  ASSERT_EQ(lists.size(), 1u);
  const std::size_t kept = kMaxCommandUnits - std::wstring(kBringToTopPrefix).size() - 5;
  EXPECT_EQ(lists[0], (Entries{{L"operation", L"bringwindowtotop"}, {L"url", url.substr(0, kept)}}));
}

TEST_F(relay_process, unterminated_area_from_a_hostile_process_is_read_safely) {
  ResultFile out;
  Peer first(FirstArgs(out, 2));
  ASSERT_NE(StartFirst(first), nullptr);
  Peer hostile(L"hostile");
  ASSERT_EQ(hostile.Wait(), 0);
  // The channel still works afterwards. The receiver frees the area after each list, so
  // this start does not have to wait out the hostile text.
  Peer second(L"second -title:after");
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(first.Wait(), 0);
  const auto lists = out.Lists();
  ASSERT_EQ(lists.size(), 2u);
  // One token of 4095 'A's with no ':' is a key of its own.
  EXPECT_EQ(lists[0], (Entries{{std::wstring(kMaxCommandUnits, L'A'), L""}}));
  EXPECT_EQ(lists[1], (Entries{{L"operation", L"bringwindowtotop"}, {L"title", L"after"}}));
}

TEST_F(relay_process, the_program_started_again_relays_and_ends_with_exit_code_0) {
  ResultFile out;
  Peer first(FirstArgs(out, 1));
  ASSERT_NE(StartFirst(first), nullptr);
  Peer program(ProgramPath(), L"-url:http://h/y magnet:?xt=urn:btih:00 -title:Again");
  ASSERT_TRUE(program.started);
  EXPECT_EQ(program.Wait(), 0);
  EXPECT_EQ(first.Wait(), 0);
  const auto lists = out.Lists();
  ASSERT_EQ(lists.size(), 1u);
  // The bare link and the url token share the key; the later token wins.
  EXPECT_EQ(lists[0], (Entries{{L"operation", L"bringwindowtotop"}, {L"title", L"Again"},
                               {L"url", L"magnet:?xt=urn:btih:00"}}));
  EXPECT_EQ(FindWindowW(kCommandWindowName, kCommandWindowName), nullptr)
      << "only the running instance's window existed, and it has gone with it";
}

}  // namespace
