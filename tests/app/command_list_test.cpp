// The command-line grammar's tables: token split, link test and the relay reading of
// tokens into a list. Portable: runs natively and under Wine.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/command_list.h"

namespace {

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

TEST(app_test, split_token_table) {
  const struct {
    const wchar_t *token, *key, *value;
  } rows[] = {
      {L"-url:a:b", L"url", L"a:b"}, {L"/title:Player", L"title", L"Player"}, {L"-url:", L"url", L""},
      {L"-url", L"-url", L""},       {L"-:abc", L"", L""},                    {L"url:abc", L"rl", L"abc"},
      {L":", L"", L""},              {L"ab:", L"b", L""},  // ':' at 0; at 2, the shortest key
      {L"", L"", L""},               {L"--quitby:zvvip", L"-quitby", L"zvvip"},  // only one character goes
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(r.token)));
    EXPECT_EQ(SplitToken(r.token), std::make_pair(std::wstring(r.key), std::wstring(r.value)));
  }
}

TEST(app_test, is_link_table) {
  const struct {
    const wchar_t* text;
    bool link;
  } rows[] = {
      {L"http://", true},  {L"http:/", false},  // the prefix alone is enough; one short is not
      {L"HTTP://A", true}, {L"FtP://x", true}, {L"ED2K://|file|", true}, {L"StRoViK://a", true},
      {L"MaGnEt:?xt=urn:btih:00", true}, {L"magnet:", false}, {L"magnet:x", false}, {L"https://a", false}, {L"", false},
      {L" http://a", false},  // anything before the prefix
      // Only ASCII letters fold: dotless i, dotted I and the Kelvin sign are other letters.
      {L"stro\u0131k://", false}, {L"STRO\u0130K://", false}, {L"ed2\u212A://", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(r.text)));
    EXPECT_EQ(IsLink(r.text), r.link);
  }
}

TEST(app_test, read_command_tokens_table) {
  auto exists = [](const std::wstring& t) { return t == L"movie.mkv" || t == L"http://exists"; };
  const struct {
    const char* label;
    std::vector<std::wstring> tokens;
    Entries want;  // in the order the list visits them
  } rows[] = {
      {"no tokens", {}, {}},
      {"empty tokens skipped", {L"", L""}, {}},
      {"later key replaces", {L"-operation:bringwindowtotop", L"-url:a", L"-url:b"},
       {{L"operation", L"bringwindowtotop"}, {L"url", L"b"}}},
      {"bare link", {L"MAGNET:?xt=urn:btih:AB"}, {{L"url", L"MAGNET:?xt=urn:btih:AB"}}},
      {"link replaces url token", {L"-url:x", L"ed2k://|file|"}, {{L"url", L"ed2k://|file|"}}},
      {"missing path: ':' at 1", {L"C:\\data\\missing.torrent"}, {{L"", L""}}},
      {"existence beats link, later path wins", {L"movie.mkv", L"http://exists"}, {{L"path", L"http://exists"}}},
      {"https is no link", {L"https://a"}, {{L"ttps", L"//a"}}},
      {"code-unit key order",
       {L"-url:u", L"-title:t", L"-startfrom:s", L"-quitby:q", L"-operation:o", L"-:e", L"--dash:d", L"-Zed:z", L"-x"},
       {{L"", L""}, {L"-dash", L"d"}, {L"-x", L""}, {L"Zed", L"z"}, {L"operation", L"o"}, {L"quitby", L"q"},
        {L"startfrom", L"s"}, {L"title", L"t"}, {L"url", L"u"}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    CommandList list = {{L"stale", L"entry"}};
    ReadCommandTokens(r.tokens, exists, list);
    EXPECT_EQ(Entries(list.begin(), list.end()), r.want);
  }
}

TEST(app_test, network_and_device_paths_are_never_probed) {
  const struct {
    const wchar_t* token;
    bool probed;
  } rows[] = {
      {L"\\\\server\\share\\x.torrent", false}, {L"//server/share", false}, {L"\\/server/share", false},
      {L"\\\\?\\C:\\x", false}, {L"\\\\.\\pipe\\p", false},  // not UNC by name, still refused
      {L"\\x", true}, {L"/x", true}, {L"x", true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(r.token)));
    bool probed = false;
    CommandList list;
    ReadCommandTokens({r.token}, [&](const std::wstring&) { return probed = true; }, list);
    EXPECT_EQ(probed, r.probed);
    EXPECT_EQ(list.count(L"path") != 0, r.probed);
  }
}

TEST(app_test, failing_or_missing_splitter_and_empty_text_give_an_empty_list) {
  int calls = 0;
  const TokenSplitter failing = [&](const std::wstring&) {
    ++calls;
    return std::vector<std::wstring>();
  };
  for (const std::wstring text : {L"-url:a", L""}) {
    for (const TokenSplitter& split : {failing, TokenSplitter()}) {
      CommandList list = {{L"stale", L"entry"}};
      ParseCommandListWith(text, list, split, nullptr);
      EXPECT_TRUE(list.empty()) << testing::PrintToString(text);
    }
  }
  EXPECT_EQ(calls, 1) << "an empty text never reaches the splitter";
}

}  // namespace
