// Which relayed and start-up urls are navigated, and where a long title is cut.
// Portable: runs natively and under Wine.
#include <gtest/gtest.h>

#include <string>

#include "app/url_policy.h"

namespace {

TEST(app_test, url_policy_table) {
  const struct {
    std::wstring url;
    bool relayed, startup;
  } rows[] = {
      {L"https://a", true, true}, {L"hTtPs://a", true, true}, {L"https:a", false, true}, {L"FTP://x", true, true},
      {L"Ed2k://|f|", true, true}, {L"STROVIK://a", true, true}, {L"MAGNET:?xt", true, true},
      {L"magnet:xt", false, true}, {L" \t\r\n\x01\x1fhttp://a", true, true},
      {std::wstring(L"\0http://a", 9), true, true},
      {L"\u00a0http://a", false, true}, {L"ht\ttp://a", false, true},  // only what browsers skip is skipped
      {L"file:///C:/a.html", false, true}, {L"res://x.dll/a", false, true}, {L"", false, true},  // "" is no page
      {L"JavaScript:x", false, false}, {L"VBSCRIPT:x", false, false}, {std::wstring(L"\0vbscript:", 10), false, false},
      {L" \x01java\tscript:x", false, false}, {L"j\ra\nvascript:x", false, false}, {L"vbscript\n:", false, false},
      {L"javascript", false, true}, {L"java script:x", false, true}, {L"xjavascript:x", false, true},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(IsNavigableRelayedUrl(r.url), r.relayed) << testing::PrintToString(r.url);
    EXPECT_EQ(IsNavigableStartupUrl(r.url), r.startup) << testing::PrintToString(r.url);
  }
}

TEST(app_test, truncate_title_table) {
  const std::wstring a1021(1021, L'a'), pair = {wchar_t(0xD83D), wchar_t(0xDE00)};
  const struct {
    std::wstring title;
    std::size_t kept;
  } rows[] = {{a1021 + L"a", 1022}, {a1021 + L"aa", 1023}, {a1021 + L"aaa", 1023}, {a1021 + L"a" + pair, 1022},
              {a1021 + pair + L"b", 1023}, {a1021 + L"a" + pair[0] + L"b", 1023}, {L"", 0}};
  for (const auto& r : rows) EXPECT_EQ(TruncateTitle(r.title), r.title.substr(0, r.kept)) << r.title.size();
}

}  // namespace
