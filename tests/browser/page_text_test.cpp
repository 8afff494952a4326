#include "browser/page_text.h"

#include <gtest/gtest.h>

TEST(browser_core_test, version_text_by_count) {
  const struct {
    int count;
    const wchar_t* text;
  } cases[] = {{-1, L""}, {0, L""}, {1, L"1"}, {3, L"1.0.2"}, {4, L"1.0.2.3"}, {5, L"1.0.2.3"}};
  for (const auto& c : cases) EXPECT_EQ(MakeVersionText(c.count), c.text) << c.count;
}

TEST(browser_core_test, callback_text) {
  const std::wstring a = L"magnet:?xt=urn:btih:C9E71E5C4D9711C7190FE7D58585F6AB04974B1E";
  const std::wstring b = L"magnet:?xt=urn:btih:E01C2CC295B967EB3520FB55ABB6FA06805A503D";
  const struct {
    std::vector<std::pair<std::wstring, std::wstring>> items;
    std::wstring text;
  } cases[] = {
      {{}, L"[]"},
      {{{a, L"Film.torrent"}}, L"[{url:\"" + a + L"\", filename:\"Film.torrent\"}]"},
      // Two items: "," and no space between them.
      {{{a, L"one.torrent"}, {b, L"two.torrent"}},
       L"[{url:\"" + a + L"\", filename:\"one.torrent\"},{url:\"" + b + L"\", filename:\"two.torrent\"}]"},
      // Names pass unchanged: spaces, non-Latin letters, an apostrophe.
      {{{a, L"фильм 电影 l'été.torrent"}}, L"[{url:\"" + a + L"\", filename:\"фильм 电影 l'été.torrent\"}]"},
      {{{L"", L""}}, L"[{url:\"\", filename:\"\"}]"},
  };
  for (const auto& c : cases) {
    DragCallbackText text;
    for (const auto& [url, name] : c.items) text.Add(url, name);
    EXPECT_EQ(text.Text(), c.text);
    EXPECT_EQ(text.Count(), c.items.size());
  }
}

TEST(browser_core_test, nav_item_count_is_bounded) {
  const struct {
    long length;
    unsigned count;
  } cases[] = {{0, 0}, {2, 2}, {long(kMaxNavItems), kMaxNavItems}, {long(kMaxNavItems) + 1, kMaxNavItems},
               {2000000000L, kMaxNavItems}, {-1, kMaxNavItems}};  // negative: taken as unsigned, then bounded
  for (const auto& c : cases) EXPECT_EQ(NavItemCount(c.length), c.count) << c.length;
}
