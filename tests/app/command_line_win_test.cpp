// The relay reading with Windows' own splitter and file-existence test, and the link
// test held against the system's case-insensitive compare.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

// A folder with a file whose name has a blank, removed afterwards.
class TempFiles {
 public:
  TempFiles() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    dir = std::wstring(tmp) + L"kp app test " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    file = dir + L"\\a movie.torrent";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  ~TempFiles() {
    DeleteFileW(file.c_str());
    RemoveDirectoryW(dir.c_str());
  }
  std::wstring dir, file;
};

TEST(app_relay_test, parse_command_list_table) {
  TempFiles files;
  ASSERT_TRUE(PathFileExistsW(files.file.c_str()));
  const std::wstring op = L"-operation:bringwindowtotop ";
  struct Case {
    std::wstring text;
    CommandList want;
  };
  const CommandList bring = {{L"operation", L"bringwindowtotop"}};
  auto with = [&](CommandList extra) {
    extra.insert(bring.begin(), bring.end());
    return extra;
  };
  const Case cases[] = {
      {L"", {}},
      {op, bring},
      {op + L"-url:a -url:b", with({{L"url", L"b"}})},
      {op + L"\"-title:a b\"", with({{L"title", L"a b"}})},
      {op + L"-title:\"a b\"", with({{L"title", L"a b"}})},
      {op + L"-title:x\\\"y", with({{L"title", L"x\"y"}})},     // \" is a literal quote
      {op + L"-url:a\\\\b", with({{L"url", L"a\\\\b"}})},       // backslashes alone stay
      {op + L"   \t -title:t  ", with({{L"title", L"t"}})},
      {op + L"\"\" -title:t", with({{L"title", L"t"}})},        // empty token skipped
      {op + L"MAGNET:?xt=urn:btih:AB", with({{L"url", L"MAGNET:?xt=urn:btih:AB"}})},
      {op + L"-quitby:zvvip -startfrom:zvvip", with({{L"quitby", L"zvvip"}, {L"startfrom", L"zvvip"}})},
      {op + L"\"" + files.file + L"\"", with({{L"path", files.file}})},
      {op + L"\"" + files.dir + L"\"", with({{L"path", files.dir}})},
      {op + L"\"" + files.dir + L"\\missing.torrent\"", with({{L"", L""}})},
      {op + L"\\\\nohost\\share\\x.torrent", with({{L"\\\\nohost\\share\\x.torrent", L""}})},
      // The first token is read by the rule for a program name.
      {L"\"-title:a b\" -url:u", {{L"title", L"a b"}, {L"url", L"u"}}},
      {L"-title:x\\\"y", {{L"title", L"x\\\"y"}}},
      {L"   ", {}},
      {L" -title:t", {{L"title", L"t"}}},
  };
  for (const auto& c : cases) {
    CommandList list = {{L"stale", L"entry"}};
    ParseCommandList(c.text, list);
    EXPECT_EQ(list, c.want) << testing::PrintToString(c.text);
  }
}

TEST(app_relay_test, relative_path_is_looked_up_in_the_receivers_folder) {
  TempFiles files;
  wchar_t old[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryW(files.dir.c_str()));
  CommandList list;
  ParseCommandList(L"-operation:bringwindowtotop \"a movie.torrent\"", list);
  SetCurrentDirectoryW(old);
  EXPECT_EQ(list, (CommandList{{L"operation", L"bringwindowtotop"}, {L"path", L"a movie.torrent"}}));
}

TEST(app_relay_test, split_command_line_edges) {
  EXPECT_TRUE(SplitCommandLine(L"").empty()) << "the splitter's own program path is no token";
  EXPECT_EQ(SplitCommandLine(L"a b"), (std::vector<std::wstring>{L"a", L"b"}));
  EXPECT_EQ(SplitCommandLine(L"a \"b c\"\td"), (std::vector<std::wstring>{L"a", L"b c", L"d"}));
}

// Where IsLink's ASCII fold and the system's locale-aware compare part ways.
TEST(app_relay_test, is_link_against_system_compare) {
  auto system = [](const std::wstring& text) {
    for (const wchar_t* prefix : linkPrefixes) {
      if (StrCmpNIW(text.c_str(), prefix, lstrlenW(prefix)) == 0) return true;
    }
    return false;
  };
  const std::wstring agree[] = {L"http://a", L"HTTP://", L"FtP://x", L"ED2K://", L"StRoViK://a", L"MAGNET:?",
                                L"magnet:", L"", L" http://", L"https://", L"strovik:/", L"http:/"};
  for (const auto& text : agree) EXPECT_EQ(IsLink(text), system(text)) << testing::PrintToString(text);
  // Non-ASCII look-alikes: IsLink never takes them for links, whatever the locale says.
  const std::wstring lookalikes[] = {L"stro\u0131k://", L"STRO\u0130K://", L"\u212Aed2k://", L"http\uFF1A//",
                                     L"\uFF48ttp://"};
  for (const auto& text : lookalikes) {
    EXPECT_FALSE(IsLink(text)) << testing::PrintToString(text);
    if (system(text)) std::printf("note: the system compare takes %ls for a link\n", text.c_str());
  }
}

}  // namespace
