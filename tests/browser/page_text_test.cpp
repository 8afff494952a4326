#include "browser/page_text.h"

#include <gtest/gtest.h>

TEST(browser_core_test, version_text_by_count) {
  const struct { int count; const wchar_t* text; } cases[] = {
      {-1, L""}, {0, L""}, {1, L"1"}, {3, L"1.0.2"}, {4, L"1.0.2.3"}, {5, L"1.0.2.3"}};
  for (const auto& c : cases) EXPECT_EQ(MakeVersionText(c.count), c.text) << c.count;
}

TEST(browser_core_test, nav_item_count_is_bounded) {
  const struct { long length; unsigned count; } cases[] = {{0, 0}, {2, 2}, {long(kMaxNavItems), kMaxNavItems},
      {long(kMaxNavItems) + 1, kMaxNavItems}, {-1, kMaxNavItems}};  // negative: taken as unsigned, then bounded
  for (const auto& c : cases) EXPECT_EQ(NavItemCount(c.length), c.count) << c.length;
}
