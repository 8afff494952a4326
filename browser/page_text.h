// The texts the window hands the page: the version, and the drop callback's argument.
// Portable, so both are tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The first `count` of the program's four version numbers, joined by "."; `count` is
// bounded to 0..4.
std::wstring MakeVersionText(int count);

// The argument of the page's "vodClientDragCallback": a script array literal,
// [{url:"…", filename:"…"},…], which pages evaluate. Ordinary names go in as they are; what
// could end a string literal or break out of it (back-slash, double quote, the characters
// below U+0020, U+007F, U+2028 and U+2029) goes in escaped.
class DragCallbackText {
 public:
  // `name` is the dropped file's name as the drop rule gives it.
  void Add(std::wstring_view url, std::wstring_view name);
  std::size_t Count() const { return count; }
  // The whole text, closing bracket included; "[]" when nothing was added.
  std::wstring Text() const;

 private:
  std::wstring items;
  std::size_t count = 0;
};

// Bounds on what a page may hand over with setVodClientNav, so that a hostile page
// costs bounded time and memory.
inline constexpr unsigned kMaxNavItems = 256;       // elements read per call
inline constexpr std::size_t kMaxNavEntries = 256;  // distinct ids kept
inline constexpr std::size_t kMaxNavText = 4096;    // characters of an id or url

// The element count of a nav list from its "length": taken as unsigned, then bounded.
unsigned NavItemCount(long length);
