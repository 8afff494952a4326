// The skin's geometry: caption tiling read back as painted columns, grips, the
// edge-drag step, the metrics, and where the window and its tabs start. Portable: runs natively and under Wine.
#include <gtest/gtest.h>

#include <array>

#include "ui/auto_hide.h"
#include "ui/skin_geometry.h"

namespace {

using namespace skin;

// The bitmap column that ends up at client x (later copies overwrite), -1 for none.
int PaintedColumn(int width, int x, int dpi) {
  int column = -1;
  for (const CaptionSpan& s : CaptionSpans(width, dpi)) {
    if (x >= s.destX && x < s.destX + s.destWidth) column = s.srcX + (x - s.destX) * s.srcWidth / s.destWidth;
  }
  return column;
}

TEST(ui_test, caption_columns) {
  const struct Row { int dpi, width, x, column; } rows[] = {
      {96, 994, 0, -1}, {96, 994, 893, 750}, {96, 994, 894, 751}, {96, 994, 992, 849}, {96, 994, 993, -1}, {96, 850, 748, 747},
      {96, 850, 749, 750}, {96, 850, 848, 849}, {96, 850, 849, -1}, {96, 851, 749, 748}, {96, 851, 750, 750}, {96, 851, 850, -1},
      {96, 852, 750, 749}, {96, 852, 751, 750}, {96, 852, 850, 849}, {96, 849, 1, 1}, {96, 0, 1, -1}, {96, -5, 1, -1},
      {144, 1491, 1, -1}, {144, 1491, 2, 0}, {144, 1491, 1127, 1125}, {144, 1491, 1339, 1125}, {144, 1491, 1340, 1126},
      {144, 1491, 1488, 1274}, {144, 1491, 1489, -1}, {144, 1000, 2, 275}};
  for (const Row& r : rows) EXPECT_EQ(PaintedColumn(r.width, r.x, r.dpi), r.column) << r.dpi << " dpi, W " << r.width << " x " << r.x;
}

TEST(ui_test, grip_table) {
  using C = GripCursor;
  const struct Row { int w, h, x, y; unsigned edges; C cursor; } rows[] = {
      // 994 x 628, border 2: left x < 2, top y < 2, right x >= 989, bottom y >= 623.
      {994, 628, 1, 1, 3, C::SizeNWSE},     {994, 628, 2, 0, 2, C::SizeNS},      {994, 628, 0, 2, 1, C::SizeWE},
      {994, 628, 989, 1, 6, C::SizeNESW},   {994, 628, 988, 1, 2, C::SizeNS},    {994, 628, 989, 300, 4, C::SizeWE},
      {994, 628, 993, 627, 12, C::SizeNWSE}, {994, 628, 0, 623, 9, C::SizeNESW}, {994, 628, 1, 622, 1, C::SizeWE},
      {994, 628, 500, 623, 8, C::SizeNS},   {994, 628, 988, 622, 0, C::None},    {994, 628, 994, 0, 0, C::None},
      {994, 628, -1, 0, 0, C::None},  // strips that overlap: the last grip in the order wins
      {4, 4, 0, 0, 9, C::SizeNESW},         {4, 4, 3, 3, 12, C::SizeNWSE}};
  for (const Row& r : rows) {
    const Grip g = GripAt({r.x, r.y}, r.w, r.h, 2, 2);
    EXPECT_TRUE(g.edges == r.edges && g.cursor == r.cursor) << r.w << "x" << r.h << " at " << r.x << "," << r.y;
  }
}

TEST(ui_test, drag_step_table) {
  const Rect r{100, 100, 800, 700}, atMin{100, 100, 680, 600};  // minimum 580 x 500
  const struct Row { const char* label; Rect window; unsigned edges; Point cur, last; Rect want; } rows[] = {
      {"left in, clamped", r, EDGE_LEFT, {300, 0}, {100, 0}, {220, 100, 800, 700}},
      {"left at min, inside heading out", atMin, EDGE_LEFT, {101, 0}, {130, 0}, atMin},
      {"left at min, on edge heading out", atMin, EDGE_LEFT, {100, 0}, {101, 0}, {99, 100, 680, 600}},
      {"left at min, outside heading in", atMin, EDGE_LEFT, {95, 0}, {90, 0}, atMin},
      {"right at min, on edge heading out", atMin, EDGE_RIGHT, {680, 0}, {675, 0}, {100, 100, 685, 600}},
      {"top, even step keeps width", r, EDGE_TOP, {0, 90}, {0, 100}, {100, 90, 800, 700}},
      {"top, odd step keeps width", r, EDGE_TOP, {0, 107}, {0, 100}, {100, 107, 800, 700}},
      {"bottom at min, inside heading out", atMin, EDGE_BOTTOM, {0, 590}, {0, 580}, atMin},
      {"bottom at min, on edge heading out", atMin, EDGE_BOTTOM, {0, 600}, {0, 597}, {100, 100, 680, 603}},
      {"nothing latched", r, 0, {0, 0}, {100, 100}, r},
      {"negative, left in", {-1500, -900, -800, -300}, EDGE_LEFT, {-1300, 0}, {-1500, 0}, {-1380, -900, -800, -300}},
      {"negative, top at min", {-1500, -800, -800, -300}, EDGE_TOP, {0, -800}, {0, -790}, {-1500, -810, -800, -300}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DragStep(row.window, row.edges, row.cur, row.last, 580, 500), row.want) << row.label;
  }
}

TEST(ui_test, metrics_by_dpi) {
  // Metrics in field order: start size, minimum, border, edge, button, caption, bitmap, stretch
  // column, tabs, icon, title, font height, artwork set. 120 has no set of its own: 150 % is shrunk.
  const struct Row { int dpi; Metrics want; } rows[] = {
      {96, {994, 628, 580, 500, 2, 1, 28, 25, 25, 850, 30, 750, 40, 95, 8, 24, 37, 185, -13, 100}},
      {120, {1243, 785, 725, 625, 3, 1, 35, 31, 31, 1063, 38, 938, 50, 119, 10, 30, 46, 231, -16, 150}},
      {144, {1491, 942, 870, 750, 3, 2, 42, 38, 38, 1275, 45, 1125, 60, 143, 12, 36, 56, 278, -20, 150}},
      {192, {1988, 1256, 1160, 1000, 4, 2, 56, 50, 50, 1700, 60, 1500, 80, 190, 16, 48, 74, 370, -26, 200}},
      {0, {994, 628, 580, 500, 2, 1, 28, 25, 25, 850, 30, 750, 40, 95, 8, 24, 37, 185, -13, 100}}};
  const auto fields = [](const Metrics& m) {
    return std::array<int, 20>{m.width, m.height, m.minWidth, m.minHeight, m.border, m.edge, m.buttonWidth, m.buttonHeight,
        m.captionHeight, m.captionBitmapWidth, m.captionBitmapHeight, m.stretchColumn, m.tabLeft, m.tabWidth, m.iconX,
        m.iconSize, m.titleLeft, m.titleRightGap, m.fontHeight, m.artworkPercent};
  };
  for (const Row& r : rows) EXPECT_EQ(fields(MetricsAt(r.dpi)), fields(r.want)) << "dpi " << r.dpi;
  // The page starts where the buttons end, one edge in from the frame.
  EXPECT_EQ(BrowserRect(1491, 942, 144), (Rect{2, 40, 1489, 939}));
  EXPECT_EQ(TitleRect(1491, 144), (Rect{56, 0, 1213, 38}));
  EXPECT_EQ(TabRect(1, 96), (Rect{135, 0, 230, 25}));
  EXPECT_EQ(TabRect(1, 144), (Rect{203, 0, 346, 38}));  // beside the first, not at 135 scaled
}

// Cut to the work area but never below the minimum, and moved back inside it by its top-left.
TEST(ui_test, start_rect_table) {
  const Rect screen{0, 0, 1280, 1024}, left{-1920, 0, 0, 1040};
  const struct Row { const char* label; Point placed; Rect work; int dpi; Rect want; } rows[] = {
      {"fits", {143, 198}, screen, 96, {143, 198, 1137, 826}},
      {"past the right and bottom", {800, 700}, screen, 96, {286, 396, 1280, 1024}},
      {"display left of the primary", {-100, -50}, left, 96, {-994, 0, 0, 628}},
      {"larger than the work area", {-30, -40}, {0, 0, 1280, 1000}, 192, {0, 0, 1280, 1000}},
      {"work area below the minimum", {50, 50}, {0, 0, 1000, 900}, 192, {0, 0, 1160, 1000}},
  };
  for (const Row& r : rows) EXPECT_EQ(StartRect(r.placed, r.work, r.dpi), r.want) << r.label;
}

// Auto-hide bars: two pixels kept free at their edges, on whichever monitor holds them.
TEST(ui_test, maximize_rect_beside_auto_hide_bars) {
  const Rect screen{0, 0, 1920, 1080}, docked{0, 0, 1920, 1040}, second{1920, -200, 3200, 824};
  const struct Row { Rect monitor, work; unsigned edges; Rect want; } rows[] = {
      {screen, docked, 0, docked}, {screen, screen, EDGE_LEFT | EDGE_TOP | EDGE_RIGHT | EDGE_BOTTOM, {2, 2, 1918, 1078}},
      {screen, docked, EDGE_BOTTOM | EDGE_RIGHT, {0, 0, 1918, 1040}},  // the docked bar keeps more
      {second, second, EDGE_RIGHT, {1920, -200, 3198, 824}}, {second, second, EDGE_TOP, {1920, -198, 3200, 824}}};
  for (const Row& r : rows) EXPECT_EQ(MaximizeRect(r.monitor, r.work, r.edges), r.want) << &r - rows;
}

}  // namespace
