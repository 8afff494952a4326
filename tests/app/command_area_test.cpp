// Bounds of the shared command area's text: what a receiver reads from an area any
// process may have written, and what a sender leaves in it. Heap buffers of the exact
// size, so a read or write past the end trips the sanitizers natively.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_area.h"

namespace {

using Unit = unsigned short;  // one UTF-16 code unit, as in the area on every platform

TEST(app_test, read_area_table) {
  const struct {
    std::size_t units, zeroAt, want;  // area size, first 0 (units for none), length read
  } rows[] = {
      {4096, 0, 0},        {4096, 4095, 4095},  // free; the longest terminated text
      {4096, 4096, 4095},  // unterminated: cut, nothing past the view
      {8192, 8192, 4095},  // a bigger area is still read no further than the contract
      {10, 10, 10},        {0, 0, 0},  // a smaller area is never overrun
  };
  const Unit high = 0xFFFF;  // must come back as the same unit, not sign-extended
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.units << " units, 0 at " << r.zeroAt);
    std::vector<Unit> area(r.units == 0 ? 1 : r.units, high);
    if (r.zeroAt < r.units) area[r.zeroAt] = 0;
    EXPECT_EQ(ReadCommandArea<Unit>(area.data(), r.units), std::wstring(r.want, static_cast<wchar_t>(high)));
  }
  EXPECT_TRUE(ReadCommandArea<Unit>(nullptr, 4096).empty());
}

TEST(app_test, write_area_table) {
  const struct {
    std::size_t textChars, units, want;
  } rows[] = {
      {1, 4096, 1},    {4095, 4096, 4095}, {4096, 4096, 4095},
      {9000, 8192, 4095},  // never more than the contract's text
      {5, 3, 2},       {5, 1, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.textChars << " into " << r.units);
    std::vector<Unit> area(r.units, 0x7777);  // stands for an older, longer text
    std::wstring text;
    for (std::size_t i = 0; i < r.textChars; ++i) text.push_back(static_cast<wchar_t>(L'a' + i % 26));
    WriteCommandArea<Unit>(area.data(), r.units, text);
    EXPECT_EQ(area[r.want], 0);
    EXPECT_EQ(ReadCommandArea<Unit>(area.data(), r.units), text.substr(0, r.want));
    EXPECT_EQ(CommandAreaPending<Unit>(area.data()), r.want > 0);
    if (r.want + 1 < r.units) {
      EXPECT_EQ(area[r.want + 1], 0x7777) << "wrote past the terminator";
    }
  }
}

TEST(app_test, write_area_never_splits_a_surrogate_pair) {
  const struct {
    const char* label;
    std::size_t highAt;  // in a text of 5000 'x'
    bool pair;           // a low half follows
    std::size_t want;
  } rows[] = {
      {"pair straddles the cut: both halves go", 4094, true, 4094},
      {"pair ends at the cut", 4093, true, 4095},
      {"pair starts past the cut", 4095, true, 4095},
      {"lone high half is cut like any unit", 4094, false, 4095},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    std::wstring text(5000, L'x');
    text[r.highAt] = static_cast<wchar_t>(0xD83C);
    if (r.pair) text[r.highAt + 1] = static_cast<wchar_t>(0xDFAC);
    std::vector<Unit> area(kCommandAreaUnits, 0x7777);
    WriteCommandArea<Unit>(area.data(), kCommandAreaUnits, text);
    EXPECT_EQ(ReadCommandArea<Unit>(area.data(), kCommandAreaUnits), text.substr(0, r.want));
  }
}

}  // namespace
