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
      {L"--quitby:zvvip", L"-quitby", L"zvvip"},  // only one character goes
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
      {L"MaGnEt:?xt=urn:btih:00", true}, {L"magnet:", false}, {L"https://a", false}, {L"", false},
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
  // Everything but options and links exists, so only the refusal keeps a path from "path";
  // the probe records what it was asked.
  std::vector<std::wstring> probed;
  auto exists = [&](const std::wstring& t) {
    probed.push_back(t);
    return t[0] != L'-' && (!IsLink(t) || t == L"http://exists");
  };
  const struct {
    const char* label;
    std::vector<std::wstring> tokens;
    Entries want;  // in the order the list visits them
  } rows[] = {
      {"empty tokens skipped", {L"", L""}, {}},
      {"later key replaces", {L"-operation:bringwindowtotop", L"-url:a", L"-url:b"},
       {{L"operation", L"bringwindowtotop"}, {L"url", L"b"}}},
      {"link replaces url token", {L"-url:x", L"ed2k://|file|"}, {{L"url", L"ed2k://|file|"}}},
      {"existence beats link, later path wins", {L"movie.mkv", L"http://exists"}, {{L"path", L"http://exists"}}},
      {"drive-letter and rooted paths are probed", {L"C:\\x.torrent"}, {{L"path", L"C:\\x.torrent"}}},
      {"code-unit key order",
       {L"-url:u", L"-title:t", L"-startfrom:s", L"-quitby:q", L"-operation:o", L"-:e", L"--dash:d", L"-Zed:z", L"-x"},
       {{L"", L""}, {L"-dash", L"d"}, {L"-x", L""}, {L"Zed", L"z"}, {L"operation", L"o"}, {L"quitby", L"q"},
        {L"startfrom", L"s"}, {L"title", L"t"}, {L"url", L"u"}}},
      // UNC and device forms never reach the probe; they go on as keys, like a missing path.
      {"UNC", {L"\\\\server\\share\\x.torrent"}, {{L"\\\\server\\share\\x.torrent", L""}}},
      {"UNC, mixed slashes", {L"/\\server/share"}, {{L"/\\server/share", L""}}},
      {"NT prefix to a share", {L"\\??\\UNC\\host\\share\\x"}, {{L"\\??\\UNC\\host\\share\\x", L""}}},
      {"NT prefix, forward slashes", {L"/?\?/C:/x"}, {{L"?\?/C", L"/x"}}},
      {"device and long-path prefixes", {L"\\\\?\\C:\\x", L"\\\\.\\pipe\\p"}, {{L"\\?\\C", L"\\x"}, {L"\\\\.\\pipe\\p", L""}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    CommandList list = {{L"stale", L"entry"}};
    probed.clear();
    ReadCommandTokens(r.tokens, exists, list);
    EXPECT_EQ(Entries(list.begin(), list.end()), r.want);
    for (const std::wstring& token : probed) EXPECT_TRUE(IsProbeablePath(token)) << "probed " << testing::PrintToString(token);
  }
}

}  // namespace
