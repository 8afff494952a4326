// Which relayed and start-up urls are navigated, and how a long title is cut.
// Portable: runs natively and under Wine.
#include <gtest/gtest.h>

#include <string>

#include "app/url_policy.h"

namespace {

TEST(app_test, relayed_url_table) {
  const struct {
    std::wstring url;
    bool navigable;
  } rows[] = {
      {L"https://a", true},  {L"hTtPs://a", true}, {L"https:a", false}, {L"https:/a", false},
      {L"http://a", true},   {L"FTP://x", true},   {L"Ed2k://|file|", true}, {L"STROVIK://a", true},
      {L"MAGNET:?xt", true}, {L"magnet:xt", false},
      {L" \t\r\n\x01\x1f\x20http://a", true}, {std::wstring(L"\0https://a", 10), true},
      {L"\u00a0http://a", false},  // only what browsers skip is skipped
      {L"x http://a", false},  {L"ht\ttp://a", false},  // a broken-up prefix is not a link here
      {L"file:///C:/a.html", false}, {L"javascript:alert(1)", false}, {L"vbscript:x", false},
      {L"res://x.dll/a", false}, {L"about:blank", false}, {L"", false}, {L" \t", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.url));
    EXPECT_EQ(IsNavigableRelayedUrl(r.url), r.navigable);
  }
}

TEST(app_test, startup_url_table) {
  const struct {
    std::wstring url;
    bool navigable;
  } rows[] = {
      {L"", true},  // no page
      {L"file:///C:/a.html", true}, {L"about:blank", true}, {L"res://x.dll/a", true}, {L"https:a", true},
      {L"javascript:alert(1)", false}, {L"JavaScript:x", false}, {L"VBSCRIPT:x", false}, {L"vbscript:", false},
      {L" \x01\x1f javascript:x", false}, {std::wstring(L"\0vbscript:x", 11), false},
      {L"java\tscript:x", false}, {L"j\ra\nvascript:x", false}, {L"vbscript\n:x", false}, {L"\tjava\tscript\t:", false},
      {L"javascript", true}, {L"javascrip:x", true}, {L"java script:x", true}, {L"xjavascript:x", true},
      {L"http://a/?javascript:x", true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.url));
    EXPECT_EQ(IsNavigableStartupUrl(r.url), r.navigable);
  }
}

TEST(app_test, truncate_title_table) {
  const wchar_t high = 0xD83D, low = 0xDE00;
  const struct {
    const char* label;
    std::wstring title;
    std::size_t kept;
  } rows[] = {
      {"empty", L"", 0},
      {"1022", std::wstring(1022, L'a'), 1022},
      {"1023", std::wstring(1023, L'a'), 1023},
      {"1024", std::wstring(1024, L'a'), 1023},
      {"pair across the cut", std::wstring(1022, L'a') + high + low + L'b', 1022},
      {"pair ends at the cut", std::wstring(1021, L'a') + high + low + L'b', 1023},
      {"lone high before the cut", std::wstring(1022, L'a') + high + L'b', 1023},
      {"lone low after the cut", std::wstring(1023, L'a') + low, 1023},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    EXPECT_EQ(TruncateTitle(r.title), r.title.substr(0, r.kept));
  }
}

}  // namespace
