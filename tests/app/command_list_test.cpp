// The command-line grammar, the url rules and the bounds of the shared area's text; natively
// the areas are heap vectors of the exact size, so the sanitizers see any access past them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/command_area.h"
#include "app/command_list.h"
#include "app/url_policy.h"

namespace {

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
using Unit = unsigned short;  // one UTF-16 unit, as in the area on every platform

TEST(app_test, split_token_and_is_link_tables) {
  const std::pair<const wchar_t*, Entries::value_type> splits[] = {
      {L"-url:a:b", {L"url", L"a:b"}}, {L"/title:T", {L"title", L"T"}}, {L"-url", {L"-url", L""}},
      {L"-:abc", {L"", L""}},          {L"ab:", {L"b", L""}},           {L"--quitby:q", {L"-quitby", L"q"}}};
  for (const auto& [token, want] : splits) EXPECT_EQ(SplitToken(token), want) << token;
  const std::pair<const wchar_t*, bool> links[] = {
      {L"http://", true},     {L"http:/", false},    {L"FtP://x", true},  {L"ED2K://|f|", true},
      {L"StRoViK://a", true}, {L"MaGnEt:?xt", true}, {L"magnet:", false}, {L" http://a", false},
      // Only ASCII letters fold: dotless i and the Kelvin sign are other letters.
      {L"stro\u0131k://", false}, {L"ed2\u212A://", false}};
  for (const auto& [text, link] : links) EXPECT_EQ(IsLink(text), link) << text;
}

TEST(app_test, read_command_tokens_table) {
  // Everything but options and links "exists", so only the refusal keeps a token from "path".
  auto exists = [](const std::wstring& t) { return t[0] != L'-' && (!IsLink(t) || t == L"http://exists"); };
  const std::pair<std::vector<std::wstring>, Entries> rows[] = {  // entries in the order the list visits them
      {{L"", L""}, {}},
      {{L"-url:a", L"-url:b", L"ed2k://|f|"}, {{L"url", L"ed2k://|f|"}}},
      {{L"C:\\x.torrent", L"http://exists"}, {{L"path", L"http://exists"}}},
      {{L"-url:u", L"-title:t", L"-:e", L"-Zed:z"}, {{L"", L""}, {L"Zed", L"z"}, {L"title", L"t"}, {L"url", L"u"}}},
      // UNC and device forms never reach the probe; they go on as keys, like a missing path.
      {{L"\\\\server\\share\\x", L"/\\server/share", L"\\??\\UNC\\host\\share\\x", L"/?\?/C:/x"},
       {{L"/\\server/share", L""}, {L"?\?/C", L"/x"}, {L"\\??\\UNC\\host\\share\\x", L""}, {L"\\\\server\\share\\x", L""}}},
  };
  for (const auto& [tokens, want] : rows) {
    CommandList list = {{L"stale", L"entry"}};
    ReadCommandTokens(tokens, exists, list);
    EXPECT_EQ(Entries(list.begin(), list.end()), want) << testing::PrintToString(tokens);
  }
}

TEST(app_test, url_rules_and_title_cut) {
  const std::tuple<std::wstring, bool, bool> rows[] = {  // relayed, at start-up
      {L"hTtPs://a", true, true}, {L"https:a", false, true}, {L"MAGNET:?xt", true, true}, {L"file:///C:/a", false, true},
      {L" \t\r\n\x01\x1fhttp://a", true, true}, {L"\u00a0http://a", false, true},  // only what browsers skip
      {L"JavaScript:x", false, false}, {std::wstring(L"\0vbscript:", 10), false, false}, {L"java script:x", false, true},
      {L" \x01java\tscript:x", false, false}, {L"j\ra\nvascript:x", false, false}, {L"xjavascript:x", false, true},
  };
  for (const auto& [url, relayed, startup] : rows) {
    EXPECT_EQ(IsNavigableRelayedUrl(url), relayed) << url;
    EXPECT_EQ(IsNavigableStartupUrl(url), startup) << url;
  }
  const std::wstring a1021(1021, L'a'), pair = {wchar_t(0xD83D), wchar_t(0xDE00)};
  const std::pair<std::wstring, std::size_t> titles[] = {
      {a1021 + L"aaa", 1023}, {a1021 + L"a" + pair, 1022}, {a1021 + pair + L"b", 1023},
      {a1021 + L"a" + pair.substr(0, 1) + L"b", 1023}};  // a lone high half is cut like any unit
  for (const auto& [title, kept] : titles) EXPECT_EQ(TruncateTitle(title), title.substr(0, kept)) << title.size();
}

TEST(app_test, area_reads_and_writes_stay_in_bounds) {
  std::vector<Unit> unterminated(kCommandAreaUnits, 0xFFFF);  // must not come back sign-extended
  EXPECT_EQ(ReadCommandArea<Unit>(unterminated.data()), std::wstring(kMaxCommandUnits, wchar_t(0xFFFF)));
  // A high surrogate at highAt, its low half after it if paired; a lone high half is cut like any unit.
  const std::tuple<std::size_t, bool, std::size_t> writes[] = {{4094, true, 4094}, {4093, true, 4095}, {4094, false, 4095}};
  for (const auto& [highAt, paired, want] : writes) {
    std::vector<Unit> area(kCommandAreaUnits, 0x7777);  // an older, longer text
    std::wstring text(5000, L'a');
    text[highAt] = wchar_t(0xD83C);
    if (paired) text[highAt + 1] = wchar_t(0xDFAC);
    WriteCommandArea<Unit>(area.data(), text);
    EXPECT_EQ(ReadCommandArea<Unit>(area.data()), text.substr(0, want)) << highAt;
    EXPECT_EQ(area[want], 0);
    EXPECT_TRUE(want == kMaxCommandUnits || area[want + 1] == 0x7777) << "wrote past the terminator";
  }
}

// Read-only: a stray message on a free area must not write, as a sender may be storing its first unit.
const Unit kFreeArea[kCommandAreaUnits] = {};

TEST(app_test, the_receiver_frees_only_a_text_it_took_and_that_is_still_there) {
  TakeCommand(const_cast<volatile Unit*>(kFreeArea), [](const std::wstring&) { ADD_FAILURE() << "dispatched a free area"; });

  const struct {
    const wchar_t* during;  // written while the listeners run
    bool close;             // the area goes away while they run
    std::wstring left;
  } rows[] = {{nullptr, false, L""}, {L"-url:later", false, L"-url:later"}, {nullptr, true, L"-url:first"}};
  for (const auto& r : rows) {
    std::vector<Unit> units(kCommandAreaUnits, 0);
    volatile Unit* view = units.data();
    WriteCommandArea(view, L"-url:first");
    std::vector<std::wstring> taken;
    TakeCommand(view, [&](const std::wstring& text) {
      taken.push_back(text);
      if (r.during) WriteCommandArea(view, r.during);
      if (r.close) view = nullptr;
    });
    EXPECT_EQ(taken, std::vector<std::wstring>{L"-url:first"});
    EXPECT_EQ(ReadCommandArea<Unit>(units.data()), r.left);
  }
}

}  // namespace
