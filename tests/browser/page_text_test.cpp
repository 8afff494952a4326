#include "browser/drop_list.h"
#include "browser/page_text.h"
#include "browser/page_zoom.h"
#include "browser/url_policy.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

TEST(page_text_test, nav_item_count_is_bounded) {
  const struct Row { long length; unsigned count; } cases[] = {{0, 0}, {2, 2}, {long(kMaxNavItems), kMaxNavItems},
      {long(kMaxNavItems) + 1, kMaxNavItems}, {-1, kMaxNavItems}};  // negative: taken as unsigned, then bounded
  for (const Row& c : cases) EXPECT_EQ(NavItemCount(c.length), c.count) << c.length;
}

// What could end the string literal or the line it stands on is escaped; all else stays.
TEST(page_text_test, callback_text_escapes_exactly_what_breaks_a_string) {
  const struct Row { std::wstring name, quoted; } rows[] = {
      {L"Film \u7535\u5F71 (1).torrent", L"Film \u7535\u5F71 (1).torrent"},
      {L"a\\b\"c'", L"a\\\\b\\\"c'"},
      {std::wstring(L"\0\x01\t\n\r\x1F\x20", 7), L"\\u0000\\u0001\\u0009\\u000A\\u000D\\u001F "},
      {L"\x7E\x7F\x80", L"\x7E\\u007F\x80"},
      {L"\u2027\u2028\u2029\u202A", L"\u2027\\u2028\\u2029\u202A"}};
  for (const Row& r : rows) {
    DragCallbackText text;
    text.Add(L"magnet:?xt=urn:btih:\\\"", r.name);
    EXPECT_EQ(text.Text(), L"[{url:\"magnet:?xt=urn:btih:\\\\\\\"\", filename:\"" + r.quoted + L"\"}]")
        << testing::PrintToString(r.name);
  }
}

TEST(page_text_test, links_are_told_by_their_scheme_and_urls_navigable_when_relayed_and_at_start_up) {
  const struct Row { const wchar_t* text; bool link; } rows[] = {
      {L"http://", true},     {L"http:/", false},    {L"FtP://x", true},  {L"ED2K://|f|", true},
      {L"StRoViK://a", true}, {L"MaGnEt:?xt", true}, {L"magnet:", false}, {L" http://a", false},
      // Only ASCII letters fold: dotless i and the Kelvin sign are other letters.
      {L"stro\u0131k://", false}, {L"ed2\u212A://", false}};
  for (const Row& r : rows) EXPECT_EQ(IsLink(r.text), r.link) << r.text;
  const struct Navigable { std::wstring url; bool relayed, startup; } urls[] = {
      {L"hTtPs://a", true, true}, {L"https:a", false, true}, {L"MAGNET:?xt", true, true}, {L"file:///C:/a", false, true},
      {L" \t\r\n\x01\x1fhttp://a", true, true}, {L"\u00a0http://a", false, true},  // only what browsers skip
      {L"JavaScript:x", false, false}, {std::wstring(L"\0vbscript:", 10), false, false}, {L"java script:x", false, true},
      {L" \x01java\tscript:x", false, false}, {L"j\ra\nvascript:x", false, false}, {L"xjavascript:x", false, true}};
  for (const Navigable& r : urls) {
    EXPECT_EQ(IsNavigableRelayedUrl(r.url), r.relayed) << r.url;
    EXPECT_EQ(IsNavigableStartupUrl(r.url), r.startup) << r.url;
  }
}

TEST(page_text_test, titles_are_cut_to_1023_units_keeping_pairs_whole) {
  const std::wstring a1021(1021, L'a'), pair = {wchar_t(0xD83D), wchar_t(0xDE00)};
  const struct Row { std::wstring title; std::size_t kept; } rows[] = {
      {a1021 + L"aaa", 1023}, {a1021 + L"a" + pair, 1022}, {a1021 + pair + L"b", 1023},
      {a1021 + L"a" + pair.substr(0, 1) + L"b", 1023}};  // a lone high half is cut like any unit
  for (const Row& r : rows)
    EXPECT_EQ(TruncateTitle(r.title), r.title.substr(0, r.kept)) << "ending " << testing::PrintToString(r.title.substr(1021));
}

TEST(page_text_test, resource_urls_encode_what_res_would_misread) {
  const std::wstring nearly(kMaxResModulePath - 7, L'a'), end = L"%5Ckp.exe/start.html";
  const struct Row { std::wstring path, url; } rows[] = {
      {L"C:\\C#\\kp.exe", L"res://C:%5CC%23" + end}, {L"D:\\100%41\\kp.exe", L"res://D:%5C100%2541" + end},
      {L"C:\\A b\\ c \\kp.exe", L"res://C:%5CA%20b%5C%20c%20" + end}, {L"C:\\用户\\𠮷\\kp.exe", L"res://C:%5C用户%5C𠮷" + end},
      {L"C:\\" + nearly + L".exe", L"res://C:%5C" + nearly + L".exe/start.html"},  // 259 characters
      {L"C:\\" + nearly + L"a.exe", L"about:blank"}, {L"", L"about:blank"}};
  for (const Row& r : rows) EXPECT_EQ(ResourceUrl(r.path, L"start.html"), r.url) << r.path;
}

using namespace std::string_literals;
using kp_test::DropBlock, kp_test::Units;

TEST(page_text_test, drop_lists_are_read_only_inside_their_block) {
  const std::wstring longName(kMaxDropPathLength + 1, L'n');
  // offsets: of the names read; refused when empty but for zero files
  const struct Row { const char* what; std::string block; std::vector<std::size_t> offsets; bool read, wide; } cases[] = {
      {"smaller than the header", DropBlock(20, true, ""s, 19), {}, false, false},
      {"names inside the header", DropBlock(16, true, Units(L"a\0\0"s)), {}, false, false},
      {"offset at the end", DropBlock(20, true, ""s), {}, false, false},
      {"offset past the end", DropBlock(0xFFFFFFF0, true, Units(L"a\0\0"s)), {}, false, false},
      {"wide, zero files", DropBlock({}), {}, true, true},
      {"wide, two names", DropBlock({L"ab", L"c"}), {20, 26}, true, true},
      {"wide at an odd offset", DropBlock(21, true, "x" + Units(L"a\0\0"s)), {21}, true, true},
      {"wide, no closing name", DropBlock(20, true, Units(L"ab\0c\0"s)), {}, false, false},
      {"wide, no closing name, odd end", DropBlock(20, true, Units(L"ab\0"s) + "\0"s), {}, false, false},
      {"ANSI, two names", DropBlock({L"ab", L"c"}, false), {20, 23}, true, false},
      {"ANSI, no closing name", DropBlock(20, false, "ab\0c\0"s), {}, false, false},
      {"a name too long to open", DropBlock({longName, L"a"}, false), {20 + longName.size() + 1}, true, false}};
  for (const Row& c : cases) {
    const std::vector<unsigned char> exact(c.block.begin(), c.block.end());  // a read past it: caught by ASan
    DropList list;
    EXPECT_EQ(ReadDropList(exact.data(), exact.size(), list), c.read) << c.what;
    std::vector<std::size_t> offsets;
    for (const DropName& name : list.names) offsets.push_back(name.offset);
    EXPECT_EQ(offsets, c.offsets) << c.what;
    EXPECT_EQ(list.wide, c.wide) << c.what;
  }
}

TEST(page_text_test, page_zoom_is_the_scale_rounded_as_muldiv_does) {
  const struct Row { int dpi, percent; } rows[] = {{96, 100}, {120, 125}, {144, 150}, {192, 200}, {108, 113}, {110, 115}, {0, 100}, {-96, 100}};
  for (const Row& r : rows) EXPECT_EQ(PageZoomPercent(r.dpi), r.percent) << r.dpi;
}

// Anywhere later, the control has already chosen IE 7's document mode for the page.
TEST(page_text_test, shipped_pages_ask_for_the_newest_document_mode_before_any_other_element) {
  const std::string allowed = " <!DOCTYPE <html <head <meta <title </title ";
  for (const char* name : {"start.html", "bridge.html"}) {
    const std::string page{std::istreambuf_iterator<char>(std::ifstream(KP_PAGES "/" + std::string(name)).rdbuf()), {}};
    const std::size_t meta = page.find("<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">");
    EXPECT_NE(meta, std::string::npos) << name;
    for (std::size_t at = page.find('<'); at < meta; at = page.find('<', at + 1)) {
      const std::string tag = " " + page.substr(at, page.find_first_of(" >", at) - at) + " ";
      EXPECT_NE(allowed.find(tag), std::string::npos) << name << tag;
    }
  }
}
