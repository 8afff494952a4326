#include "browser/drop_list.h"
#include "browser/page_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Ordinary names come out as they always did; what could leave the string comes out escaped.
TEST(browser_core_test, callback_text_escapes_only_what_breaks_the_literal) {
  DragCallbackText text;
  text.Add(L"magnet:?xt=urn:btih:AB", L"C:\\d\\Film l'été 电影.torrent");
  text.Add(L"u\\\"", L"C:\\d/Film.torrent:x\"+(1)+\".torrent");
  text.Add(L"u", std::wstring(L"a\x01\x1F\x7F\x2028\x2029\x20.torrent"));
  EXPECT_EQ(text.Text(), L"[{url:\"magnet:?xt=urn:btih:AB\", filename:\"Film l'été 电影.torrent\"},"
                         L"{url:\"u\\\\\\\"\", filename:\"Film.torrent:x\\\"+(1)+\\\".torrent\"},"
                         L"{url:\"u\", filename:\"a\\u0001\\u001F\\u007F\\u2028\\u2029 .torrent\"}]");
}

namespace {

// A CF_HDROP block: the header (names' offset, wide flag), then `names` as they stand.
std::vector<unsigned char> Block(unsigned long offset, bool wide, const std::string& names, std::size_t size = 0) {
  std::vector<unsigned char> block(kDropHeaderSize);
  for (int i = 0; i < 4; ++i) block[i] = static_cast<unsigned char>(offset >> (8 * i));
  block[16] = wide;
  block.insert(block.end(), names.begin(), names.end());
  if (size) block.resize(size);
  return block;
}

std::string Wide(const std::string& ascii) {
  std::string wide;
  for (const char c : ascii) wide += {c, '\0'};
  return wide;
}

}  // namespace

TEST(browser_core_test, drop_lists_are_read_only_inside_their_block) {
  using namespace std::string_literals;
  const std::string longName(kMaxDropPathLength + 1, 'n');
  const struct {
    const char* what;
    std::vector<unsigned char> block;
    bool read;
    std::vector<std::size_t> offsets;  // of the names read
    bool wide;
  } cases[] = {
      {"smaller than the header", Block(20, true, ""s, 19), false, {}, false},
      {"names inside the header", Block(16, true, Wide("a\0\0"s)), false, {}, false},
      {"offset at the end", Block(20, true, ""s), false, {}, false},
      {"offset past the end", Block(0xFFFFFFF0, true, Wide("a\0\0"s)), false, {}, false},
      {"wide, zero files", Block(20, true, Wide("\0"s)), true, {}, true},
      {"wide, two names", Block(20, true, Wide("ab\0c\0\0"s)), true, {20, 26}, true},
      {"wide at an odd offset", Block(21, true, "x" + Wide("a\0\0"s)), true, {21}, true},
      {"wide, no closing name", Block(20, true, Wide("ab\0c\0"s)), false, {}, false},
      {"wide, no closing name, odd end", Block(20, true, Wide("ab\0"s) + "\0"s), false, {}, false},
      {"wide, no end at all", Block(20, true, Wide("abc"s)), false, {}, false},
      {"ANSI, two names", Block(20, false, "ab\0c\0\0"s), true, {20, 23}, false},
      {"ANSI, no closing name", Block(20, false, "ab\0c\0"s), false, {}, false},
      {"a name too long to open", Block(20, false, longName + "\0a\0\0"s), true, {20 + longName.size() + 1}, false},
  };
  for (const auto& c : cases) {
    const std::vector<unsigned char> exact(c.block.begin(), c.block.end());  // a read past it: caught by ASan
    DropList list;
    EXPECT_EQ(ReadDropList(exact.data(), exact.size(), list), c.read) << c.what;
    std::vector<std::size_t> offsets;
    for (const DropName& name : list.names) offsets.push_back(name.offset);
    EXPECT_EQ(offsets, c.offsets) << c.what;
    EXPECT_EQ(list.wide, c.wide) << c.what;
  }
  // Many names: each read, up to the bound.
  for (const std::size_t count : {std::size_t(20000), kMaxDropNames + 1}) {
    std::string names;
    for (std::size_t i = 0; i < count; ++i) names += Wide("C:\\" + std::to_string(i) + ".torrent") + "\0\0"s;
    const auto block = Block(20, true, names + "\0\0"s);
    DropList list;
    ASSERT_TRUE(ReadDropList(block.data(), block.size(), list));
    ASSERT_EQ(list.names.size(), std::min(count, kMaxDropNames));
    EXPECT_EQ(list.names.back().length, 3 + std::to_string(list.names.size() - 1).size() + 8);
  }
}
