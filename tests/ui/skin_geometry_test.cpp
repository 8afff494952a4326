// The skin's geometry: caption tiling read back as painted columns, button places,
// grips, the edge-drag step and the maximise toggle. Portable: runs natively and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ui/skin_geometry.h"

namespace {

using namespace skin;

// The bitmap column shown at each client x of a caption row, -1 where nothing is drawn.
std::vector<int> PaintedColumns(int width) {
  std::vector<int> row(std::max(width, 0), -1);
  for (const CaptionSpan& s : CaptionSpans(width)) {
    for (int k = 0; k < s.destWidth; ++k) {
      const int x = s.destX + k;
      if (x >= 0 && x < width) row[x] = s.srcX + k * s.srcWidth / s.destWidth;
    }
  }
  return row;
}

TEST(ui_test, caption_columns_table) {
  const struct {
    int width, x, column;
  } rows[] = {
      {994, 0, -1},    {994, 1, 0},     {994, 750, 749}, {994, 751, 750}, {994, 892, 750},
      {994, 893, 750}, {994, 894, 751}, {994, 992, 849}, {994, 993, -1},
      {850, 748, 747}, {850, 749, 750}, {850, 750, 751}, {850, 848, 849}, {850, 849, -1},  // overlap
      {851, 749, 748}, {851, 750, 750}, {851, 849, 849}, {851, 850, -1},
      {852, 750, 749}, {852, 751, 750}, {852, 752, 751}, {852, 850, 849},
      {849, 1, 1},     {849, 848, 848},  // one column short of the bitmap
      {700, 0, -1},    {700, 1, 150},   {700, 699, 848}, {1, 0, -1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "W " << r.width << " x " << r.x);
    EXPECT_EQ(PaintedColumns(r.width)[r.x], r.column);
  }
  EXPECT_TRUE(CaptionSpans(0).empty());
  EXPECT_TRUE(CaptionSpans(-994).empty());
}

TEST(ui_test, caption_spans_stay_in_the_bitmap_and_leave_no_gap) {
  for (int width = 1; width <= 2100; ++width) {
    SCOPED_TRACE(width);
    for (const CaptionSpan& s : CaptionSpans(width)) {
      ASSERT_GT(s.destWidth, 0);
      ASSERT_GT(s.srcWidth, 0);
      ASSERT_GE(s.srcX, 0);
      ASSERT_LE(s.srcX + s.srcWidth, kCaptionBitmapWidth);
    }
    const std::vector<int> row = PaintedColumns(width);
    for (int x = 1; x + 1 < width; ++x) {
      ASSERT_GE(row[x], 0) << x;
      ASSERT_GE(row[x], row[x - 1]) << x;  // the picture is never shuffled
    }
  }
}

TEST(ui_test, caption_buttons_anchor_to_the_right_edge) {
  const struct {
    int width, lefts[4];  // close, maximise, minimise, pin
  } rows[] = {{994, {966, 938, 910, 882}}, {700, {672, 644, 616, 588}}};
  for (const auto& r : rows) {
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(testing::Message() << "W " << r.width << " button " << i);
      EXPECT_EQ(CaptionButtonRect(r.width, i), (Rect{r.lefts[i], 1, r.lefts[i] + 28, 26}));
    }
  }
}

TEST(ui_test, layout_at_start_size) {
  EXPECT_EQ(CaptionRect(994, 25, 2, 2), (Rect{2, 2, 996, 27}));
  EXPECT_EQ(BrowserRect(994, 628), (Rect{1, 26, 993, 626}));
  EXPECT_EQ(RegionRect(994, 628, 2), (Rect{0, 0, 997, 631}));
  EXPECT_EQ(TitleRect(994), (Rect{37, 0, 809, 25}));
}

TEST(ui_test, grip_table) {
  const GripCursor we = GripCursor::SizeWE, ns = GripCursor::SizeNS, nwse = GripCursor::SizeNWSE,
                   nesw = GripCursor::SizeNESW, none = GripCursor::None;
  const struct {
    int width, height, x, y;
    unsigned edges;
    GripCursor cursor;
  } rows[] = {
      // 994 x 628, border 2: left x < 2, top y < 2, right x >= 989, bottom y >= 623.
      {994, 628, 0, 0, 3, nwse},    {994, 628, 1, 1, 3, nwse},    {994, 628, 2, 0, 2, ns},
      {994, 628, 0, 2, 1, we},      {994, 628, 993, 0, 6, nesw},  {994, 628, 989, 1, 6, nesw},
      {994, 628, 988, 1, 2, ns},    {994, 628, 993, 627, 12, nwse}, {994, 628, 989, 623, 12, nwse},
      {994, 628, 0, 627, 9, nesw},  {994, 628, 1, 623, 9, nesw},  {994, 628, 1, 622, 1, we},
      {994, 628, 500, 623, 8, ns},  {994, 628, 500, 622, 0, none}, {994, 628, 989, 300, 4, we},
      {994, 628, 988, 300, 0, none}, {994, 628, 500, 300, 0, none},
      {994, 628, 994, 300, 0, none}, {994, 628, -1, 0, 0, none},  {994, 628, 0, 628, 0, none},
      // Strips covering each other: the last grip in the order wins.
      {4, 4, 0, 0, 9, nesw},        {4, 4, 3, 3, 12, nwse},       {4, 4, 3, 0, 6, nesw},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.width << "x" << r.height << " at " << r.x << "," << r.y);
    const Grip g = GripAt({r.x, r.y}, r.width, r.height, 2, 2);
    EXPECT_EQ(g.edges, r.edges);
    EXPECT_EQ(g.cursor, r.cursor);
  }
}

// Pulling the left edge in past the minimum and back out again, one step per pointer x.
TEST(ui_test, left_edge_waits_at_the_minimum) {
  const struct {
    int x, left;
  } path[] = {
      {50, 50},    {100, 100}, {130, 120}, {200, 120},  // 700 wide at the start; stops at 580
      {150, 120},  {121, 120},                           // back out, still inside the edge
      {120, 119},  {110, 109}, {60, 59},                 // at the edge heading out: follows again
      {70, 69},
  };
  Rect window{0, 0, 700, 600};
  Point last{0, 300};
  for (const auto& step : path) {
    SCOPED_TRACE(step.x);
    const Point cur{step.x, 300};
    window = DragStep(window, EDGE_LEFT, cur, last, 580, 500);
    last = cur;
    EXPECT_EQ(window, (Rect{step.left, 0, 700, 600}));
  }
}

TEST(ui_test, drag_step_table) {
  const Rect r{100, 100, 800, 700};  // 700 x 600; the minimum is 580 x 500
  const struct {
    const char* label;
    Rect window;
    unsigned edges;
    Point cur, last;
    Rect want;
  } rows[] = {
      {"right out", r, EDGE_RIGHT, {820, 300}, {800, 300}, {100, 100, 820, 700}},
      {"right in past the minimum", r, EDGE_RIGHT, {650, 300}, {800, 300}, {100, 100, 680, 700}},
      {"right at minimum, pointer inside", {100, 100, 680, 700}, EDGE_RIGHT, {670, 300}, {660, 300},
       {100, 100, 680, 700}},
      {"right at minimum, pointer on edge", {100, 100, 680, 700}, EDGE_RIGHT, {680, 300}, {675, 300},
       {100, 100, 685, 700}},
      {"right at minimum, outside moving in", {100, 100, 680, 700}, EDGE_RIGHT, {690, 300}, {695, 300},
       {100, 100, 680, 700}},
      {"top, even step: width kept", r, EDGE_TOP, {300, 90}, {300, 100}, {100, 90, 800, 700}},
      {"top, odd step: width kept", r, EDGE_TOP, {300, 107}, {300, 100}, {100, 107, 800, 700}},
      {"top in past the minimum", r, EDGE_TOP, {300, 250}, {300, 100}, {100, 200, 800, 700}},
      {"bottom at minimum, pointer inside", {100, 100, 800, 600}, EDGE_BOTTOM, {300, 590}, {300, 580},
       {100, 100, 800, 600}},
      {"bottom at minimum, pointer beyond", {100, 100, 800, 600}, EDGE_BOTTOM, {300, 605}, {300, 600},
       {100, 100, 800, 605}},
      {"bottom in past the minimum", r, EDGE_BOTTOM, {300, 550}, {300, 700}, {100, 100, 800, 600}},
      {"bottom-right corner", r, EDGE_RIGHT | EDGE_BOTTOM, {803, 696}, {800, 700}, {100, 100, 803, 696}},
      {"top-left corner", r, EDGE_LEFT | EDGE_TOP, {90, 95}, {100, 100}, {90, 95, 800, 700}},
      {"no edges latched", r, 0, {0, 0}, {100, 100}, r},
      {"no step at the minimum", {100, 100, 680, 600}, EDGE_LEFT | EDGE_TOP | EDGE_RIGHT | EDGE_BOTTOM,
       {100, 100}, {100, 100}, {100, 100, 680, 600}},
      // A display left of and above the primary one.
      {"negative: left out", {-1500, -900, -800, -300}, EDGE_LEFT, {-1510, -500}, {-1500, -500},
       {-1510, -900, -800, -300}},
      {"negative: left at minimum, on edge", {-1380, -900, -800, -300}, EDGE_LEFT, {-1380, -500},
       {-1375, -500}, {-1385, -900, -800, -300}},
      {"negative: left in past the minimum", {-1500, -900, -800, -300}, EDGE_LEFT, {-1300, -500},
       {-1500, -500}, {-1380, -900, -800, -300}},
      {"negative: top at minimum, on edge", {-1500, -800, -800, -300}, EDGE_TOP, {-1000, -800},
       {-1000, -790}, {-1500, -810, -800, -300}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    EXPECT_EQ(DragStep(row.window, row.edges, row.cur, row.last, 580, 500), row.want);
  }
}

TEST(ui_test, maximize_round_trips_restore_the_exact_rectangle) {
  const Rect work{-1920, 0, 0, 1040};  // the work area of the window's own display
  const Rect first{-1700, 37, -1003, 666}, second{-1500, 61, -900, 600};
  MaximizeState state;
  for (const Rect& window : {first, second}) {
    EXPECT_EQ(ToggleMaximize(state, window, work), work);
    EXPECT_TRUE(state.maximized);
    EXPECT_EQ(ToggleMaximize(state, work, work), window);
    EXPECT_FALSE(state.maximized);
  }
}

}  // namespace
