// The command-line grammar's tables: token split, link test and the relay reading of
// tokens into a list. Portable: runs natively and under Wine.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/command_list.h"

namespace {

struct SplitCase {
  const wchar_t* token;
  const wchar_t* key;
  const wchar_t* value;
};

TEST(app_test, split_token_table) {
  const SplitCase cases[] = {
      {L"-url:a:b", L"url", L"a:b"},
      {L"/title:Player", L"title", L"Player"},
      {L"-url:", L"url", L""},
      {L"-url", L"-url", L""},
      {L"-:abc", L"", L""},
      {L"url:abc", L"rl", L"abc"},
      {L":", L"", L""},
      {L"a:", L"", L""},              // ':' at position 1
      {L"ab:", L"b", L""},            // shortest key
      {L"-k::", L"k", L":"},          // further ':' belong to the value
      {L"x", L"x", L""},              // one character, no ':'
      {L"", L"", L""},
      {L"--quitby:zvvip", L"-quitby", L"zvvip"},
      {L"-title:云播放特权", L"title", L"云播放特权"},
      {L"-url:http://h/p?q=1", L"url", L"http://h/p?q=1"},
  };
  for (const auto& c : cases) {
    const auto kv = SplitToken(c.token);
    EXPECT_EQ(kv.first, c.key) << "token [" << testing::PrintToString(std::wstring(c.token)) << "]";
    EXPECT_EQ(kv.second, c.value) << "token [" << testing::PrintToString(std::wstring(c.token)) << "]";
  }
}

struct LinkCase {
  const wchar_t* text;
  bool link;
};

TEST(app_test, is_link_table) {
  const LinkCase cases[] = {
      {L"http://a", true},
      {L"http://", true},  // the prefix alone is enough
      {L"http:/", false},  // one short
      {L"https://a", false},
      {L"HTTP://A", true},
      {L"ftp://x", true},
      {L"FtP://x", true},
      {L"ED2K://|file|", true},
      {L"ed2k:/", false},
      {L"strovik://abc", true},
      {L"STROVIK://", true},
      {L"MaGnEt:?xt=urn:btih:00", true},
      {L"magnet:", false},
      {L"magnet:x", false},
      {L"", false},
      {L" http://a", false},  // anything before the prefix
      {L"-url:http://a", false},
      {L"xhttp://", false},
      // Only ASCII letters fold: Kelvin sign and dotless/dotted i are other letters.
      {L"stro\u0131k://", false},
      {L"STRO\u0130K://", false},
      {L"stro\u0456k://", false},
      {L"http\uFF1A//", false},  // full-width colon
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsLink(c.text), c.link) << testing::PrintToString(std::wstring(c.text));
  }
}

struct ReadCase {
  std::vector<std::wstring> tokens;
  CommandList want;
};

TEST(app_test, read_command_tokens_table) {
  const std::set<std::wstring> files = {L"C:\\data\\a.torrent", L"movie.mkv", L"http://exists"};
  auto exists = [&](const std::wstring& t) { return files.count(t) != 0; };
  const ReadCase cases[] = {
      {{}, {}},
      {{L"", L""}, {}},
      {{L"-operation:bringwindowtotop"}, {{L"operation", L"bringwindowtotop"}}},
      {{L"-operation:bringwindowtotop", L"-url:a", L"-url:b"},
       {{L"operation", L"bringwindowtotop"}, {L"url", L"b"}}},
      {{L"MAGNET:?xt=urn:btih:AB"}, {{L"url", L"MAGNET:?xt=urn:btih:AB"}}},
      {{L"-url:x", L"ed2k://|file|"}, {{L"url", L"ed2k://|file|"}}},  // a later link replaces
      {{L"C:\\data\\a.torrent"}, {{L"path", L"C:\\data\\a.torrent"}}},
      {{L"movie.mkv", L"C:\\data\\a.torrent"}, {{L"path", L"C:\\data\\a.torrent"}}},
      {{L"C:\\data\\missing.torrent"}, {{L"", L""}}},  // ":" at 1: the empty key
      {{L"http://exists"}, {{L"path", L"http://exists"}}},  // existence wins over link
      {{L"https://a"}, {{L"ttps", L"//a"}}},
      {{L"-title:T", L"-startfrom:zvvip", L"-quitby:zvvip", L"-x"},
       {{L"-x", L""}, {L"quitby", L"zvvip"}, {L"startfrom", L"zvvip"}, {L"title", L"T"}}},
  };
  for (const auto& c : cases) {
    CommandList list = {{L"stale", L"entry"}};
    ReadCommandTokens(c.tokens, exists, list);
    EXPECT_EQ(list, c.want) << testing::PrintToString(c.tokens);
  }
}

TEST(app_test, list_visits_keys_in_code_unit_order) {
  CommandList list;
  ReadCommandTokens({L"-url:u", L"-title:t", L"-startfrom:s", L"-quitby:q", L"-path:p",
                     L"-operation:o", L"-:e", L"--dash:d", L"-Zed:z"},
                    nullptr, list);
  std::vector<std::wstring> keys;
  for (const auto& kv : list) keys.push_back(kv.first);
  const std::vector<std::wstring> want = {L"",     L"-dash",  L"Zed",       L"operation",
                                          L"path", L"quitby", L"startfrom", L"title", L"url"};
  EXPECT_EQ(keys, want);
}

TEST(app_test, network_and_device_paths_are_never_probed) {
  struct ProbeCase {
    const wchar_t* token;
    bool probed;
  };
  const ProbeCase cases[] = {
      {L"\\\\server\\share\\x.torrent", false}, {L"//server/share", false},
      {L"\\/server/share", false},              {L"\\\\?\\C:\\x", false},
      {L"\\\\.\\pipe\\p", false},               {L"\\x", true},
      {L"C:\\x", true},                          {L"x", true},
      {L"/x", true},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> probed;
    auto exists = [&](const std::wstring& t) {
      probed.push_back(t);
      return true;
    };
    CommandList list;
    ReadCommandTokens({c.token}, exists, list);
    EXPECT_EQ(!probed.empty(), c.probed) << testing::PrintToString(std::wstring(c.token));
    EXPECT_EQ(list.count(L"path") != 0, c.probed) << testing::PrintToString(std::wstring(c.token));
  }
}

TEST(app_test, parse_with_failing_or_missing_splitter_gives_empty_list) {
  CommandList list = {{L"stale", L"entry"}};
  ParseCommandListWith(L"-url:a", list, [](const std::wstring&) { return std::vector<std::wstring>(); },
                       nullptr);
  EXPECT_TRUE(list.empty());
  list = {{L"stale", L"entry"}};
  ParseCommandListWith(L"-url:a", list, nullptr, nullptr);
  EXPECT_TRUE(list.empty());
  // An empty text never reaches the splitter.
  bool called = false;
  ParseCommandListWith(L"", list, [&](const std::wstring&) {
    called = true;
    return std::vector<std::wstring>{L"-url:a"};
  }, nullptr);
  EXPECT_FALSE(called);
  EXPECT_TRUE(list.empty());
}

}  // namespace
