// Bounds of the shared command area's text: what a receiver reads from an area any
// process may have written, and what a sender leaves in it. Heap buffers of the exact
// size, so a read or write past the end trips the sanitizers natively.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/command_area.h"

namespace {

using Unit = unsigned short;  // one UTF-16 code unit, as in the area on every platform

std::unique_ptr<Unit[]> Area(std::size_t units, Unit fill) {
  std::unique_ptr<Unit[]> area(new Unit[units]);
  for (std::size_t i = 0; i < units; ++i) area[i] = fill;
  return area;
}

TEST(app_test, read_area_table) {
  struct Case {
    std::size_t units;      // size of the area
    std::size_t zeroAt;     // index of the first 0, or units for none
    std::size_t wantChars;  // length of the text read
  };
  const Case cases[] = {
      {4096, 0, 0},        // free
      {4096, 1, 1},
      {4096, 4094, 4094},
      {4096, 4095, 4095},  // longest terminated text
      {4096, 4096, 4095},  // unterminated: cut, nothing past the view
      {8192, 8192, 4095},  // a bigger area is still read no further than the contract
      {10, 10, 10},        // a smaller area is never overrun
      {1, 1, 1},
      {0, 0, 0},
  };
  for (const auto& c : cases) {
    auto area = Area(c.units == 0 ? 1 : c.units, 'A');
    if (c.zeroAt < c.units) area[c.zeroAt] = 0;
    const std::wstring text = ReadCommandArea<Unit>(area.get(), c.units);
    EXPECT_EQ(text.size(), c.wantChars) << c.units << " units, 0 at " << c.zeroAt;
    EXPECT_EQ(text.find_first_not_of(L'A'), std::wstring::npos);
  }
  EXPECT_TRUE(ReadCommandArea<Unit>(nullptr, 4096).empty());
}

TEST(app_test, read_area_stops_at_first_zero_and_keeps_high_units) {
  auto area = Area(kCommandAreaUnits, 0);
  const Unit text[] = {'-', 'u', 0x4E91, 0xFFFF, 0, 'x', 'y'};
  for (std::size_t i = 0; i < sizeof(text) / sizeof(text[0]); ++i) area[i] = text[i];
  EXPECT_EQ(ReadCommandArea<Unit>(area.get(), kCommandAreaUnits), std::wstring(L"-u\u4E91\uFFFF"));
}

TEST(app_test, write_area_table) {
  struct Case {
    std::size_t textChars;
    std::size_t units;
    std::size_t wantChars;
  };
  const Case cases[] = {
      {1, 4096, 1},   {4094, 4096, 4094}, {4095, 4096, 4095}, {4096, 4096, 4095},
      {9000, 4096, 4095}, {9000, 8192, 4095},  // never more than the contract's text
      {5, 3, 2},      {5, 1, 0},
  };
  for (const auto& c : cases) {
    auto area = Area(c.units, 0x7777);
    std::wstring text;
    for (std::size_t i = 0; i < c.textChars; ++i) text.push_back(static_cast<wchar_t>(L'a' + i % 26));
    WriteCommandArea<Unit>(area.get(), c.units, text);
    EXPECT_EQ(area[c.wantChars], 0) << c.textChars << " into " << c.units;
    const std::wstring back = ReadCommandArea<Unit>(area.get(), c.units);
    EXPECT_EQ(back, text.substr(0, c.wantChars)) << c.textChars << " into " << c.units;
    if (c.wantChars + 1 < c.units) {
      EXPECT_EQ(area[c.wantChars + 1], 0x7777) << "wrote past the terminator";
    }
  }
}

TEST(app_test, write_area_never_splits_a_surrogate_pair) {
  const wchar_t high = static_cast<wchar_t>(0xD83C), low = static_cast<wchar_t>(0xDFAC);
  struct Case {
    std::size_t pairAt;     // index of the high half in a text of 5000 'x'
    std::size_t wantChars;
  };
  const Case cases[] = {
      {4094, 4094},  // the pair would straddle the cut: both halves go
      {4093, 4095},  // the pair ends exactly at the cut: kept whole
      {4095, 4095},  // the pair starts past the cut
      {0, 4095},
  };
  for (const auto& c : cases) {
    std::wstring text(5000, L'x');
    text[c.pairAt] = high;
    text[c.pairAt + 1] = low;
    auto area = Area(kCommandAreaUnits, 0x7777);
    WriteCommandArea<Unit>(area.get(), kCommandAreaUnits, text);
    EXPECT_EQ(ReadCommandArea<Unit>(area.get(), kCommandAreaUnits), text.substr(0, c.wantChars)) << c.pairAt;
  }
  // A lone high half at the cut is no pair and is cut like any unit.
  std::wstring lone(5000, L'x');
  lone[4094] = high;
  auto area = Area(kCommandAreaUnits, 0);
  WriteCommandArea<Unit>(area.get(), kCommandAreaUnits, lone);
  EXPECT_EQ(ReadCommandArea<Unit>(area.get(), kCommandAreaUnits).size(), 4095u);
}

TEST(app_test, write_over_pending_text_replaces_it_whole) {
  auto area = Area(kCommandAreaUnits, 0);
  WriteCommandArea<Unit>(area.get(), kCommandAreaUnits, std::wstring(3000, L'x'));
  EXPECT_TRUE(CommandAreaPending<Unit>(area.get()));
  WriteCommandArea<Unit>(area.get(), kCommandAreaUnits, L"-url:b");
  EXPECT_EQ(ReadCommandArea<Unit>(area.get(), kCommandAreaUnits), L"-url:b");
  area[0] = 0;
  EXPECT_FALSE(CommandAreaPending<Unit>(area.get()));
  EXPECT_FALSE(CommandAreaPending<Unit>(nullptr));
}

}  // namespace
