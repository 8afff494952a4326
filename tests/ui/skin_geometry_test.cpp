// The skin's geometry: caption tiling read back as painted columns, grips, the
// edge-drag step, the caption's layout rules, and where the window starts. Portable: runs natively and under Wine.
#include <gtest/gtest.h>

#include <algorithm>

#include "ui/auto_hide.h"
#include "ui/skin_geometry.h"

namespace {

using namespace skin;

// The bitmap column that ends up at client x (later copies overwrite), -1 for none.
int PaintedColumn(int width, int x, int dpi) {
  int column = -1;
  for (const CaptionSpan& s : CaptionSpans(width, dpi))
    if (x >= s.destX && x < s.destX + s.destWidth) column = s.srcX + (x - s.destX) * s.srcWidth / s.destWidth;
  return column;
}

TEST(skin_geometry_test, caption_columns) {
  const struct Row { int dpi, width, x, column; } rows[] = {
      {96, 994, 0, -1},       {96, 994, 893, 750},    {96, 994, 894, 751},    {96, 994, 992, 849},     {96, 994, 993, -1},
      {96, 850, 748, 747},    {96, 850, 749, 750},    {96, 850, 849, -1},     {96, 851, 749, 748},     {96, 851, 750, 750},
      {96, 852, 750, 749},    {96, 852, 751, 750},    {96, 849, 1, 1},        {96, 0, 1, -1},          {96, -5, 1, -1},
      {144, 1491, 1, -1},     {144, 1491, 2, 0},      {144, 1491, 1127, 1125}, {144, 1491, 1339, 1125}, {144, 1491, 1340, 1126},
      {144, 1491, 1488, 1274}, {144, 1491, 1489, -1}, {144, 1000, 2, 275}};
  for (const Row& r : rows) EXPECT_EQ(PaintedColumn(r.width, r.x, r.dpi), r.column) << r.dpi << " dpi, W " << r.width << " x " << r.x;
}

TEST(skin_geometry_test, grip_table) {
  using C = GripCursor;
  const struct Row { int w, h, x, y; unsigned edges; C cursor; } rows[] = {
      // 994 x 628, border 2: left x < 2, top y < 2, right x >= 989, bottom y >= 623.
      {994, 628, 1, 1, 3, C::SizeNWSE},      {994, 628, 2, 0, 2, C::SizeNS},     {994, 628, 0, 2, 1, C::SizeWE},
      {994, 628, 989, 1, 6, C::SizeNESW},    {994, 628, 989, 300, 4, C::SizeWE}, {994, 628, 993, 627, 12, C::SizeNWSE},
      {994, 628, 0, 623, 9, C::SizeNESW},    {994, 628, 500, 623, 8, C::SizeNS}, {994, 628, 988, 622, 0, C::None},
      {994, 628, 994, 0, 0, C::None},  // strips that overlap: the last grip in the order wins
      {4, 4, 0, 0, 9, C::SizeNESW},          {4, 4, 3, 3, 12, C::SizeNWSE}};
  for (const Row& r : rows) {
    const Grip g = GripAt({r.x, r.y}, r.w, r.h, 2, 2);
    EXPECT_TRUE(g.edges == r.edges && g.cursor == r.cursor) << r.w << "x" << r.h << " at " << r.x << "," << r.y;
  }
}

TEST(skin_geometry_test, drag_step_table) {
  const Rect r{100, 100, 800, 700}, atMin{100, 100, 680, 600};  // minimum 580 x 500
  const struct Row { const char* label; Rect window; unsigned edges; Point cur, last; Rect want; } rows[] = {
      {"left in, clamped", r, EDGE_LEFT, {300, 0}, {100, 0}, {220, 100, 800, 700}},
      {"left at min, inside heading out", atMin, EDGE_LEFT, {101, 0}, {130, 0}, atMin},
      {"left at min, on edge heading out", atMin, EDGE_LEFT, {100, 0}, {101, 0}, {99, 100, 680, 600}},
      {"left at min, outside heading in", atMin, EDGE_LEFT, {95, 0}, {90, 0}, atMin},
      {"right at min, on edge heading out", atMin, EDGE_RIGHT, {680, 0}, {675, 0}, {100, 100, 685, 600}},
      {"top, an odd step keeps the width", r, EDGE_TOP, {0, 107}, {0, 100}, {100, 107, 800, 700}},
      {"bottom at min, inside heading out", atMin, EDGE_BOTTOM, {0, 590}, {0, 580}, atMin},
      {"bottom at min, on edge heading out", atMin, EDGE_BOTTOM, {0, 600}, {0, 597}, {100, 100, 680, 603}},
      {"nothing latched", r, 0, {0, 0}, {100, 100}, r},
      {"top at min, on edge heading out", {-1500, -800, -800, -300}, EDGE_TOP, {0, -800}, {0, -790}, {-1500, -810, -800, -300}}};
  for (const Row& row : rows) EXPECT_EQ(DragStep(row.window, row.edges, row.cur, row.last, 580, 500), row.want) << row.label;
}

// At every scale, from half to five times: neighbours touch without gap or overlap, the page
// starts where the caption ends, the caption artwork covers the caption, and at the smallest
// width the icon, the tabs (or the title) and the buttons keep clear of each other.
TEST(skin_geometry_test, caption_layout_rules_hold_at_every_dpi) {
  for (int dpi = 48; dpi <= 480; ++dpi) {
    const Metrics m = MetricsAt(dpi);
    const int w = m.minWidth;
    const Rect list = TabRect(0, dpi), player = TabRect(1, dpi), title = TitleRect(w, dpi);
    const Rect page = BrowserRect(w, m.minHeight, dpi), pin = CaptionButtonRect(w, 3, dpi);
    for (int i = 0; i < 4; ++i) {
      const Rect b = CaptionButtonRect(w, i, dpi);
      EXPECT_EQ(b.right, i ? CaptionButtonRect(w, i - 1, dpi).left : w) << dpi << " dpi, button " << i;
      EXPECT_TRUE(b.Width() == m.buttonWidth && b.top == m.edge && b.bottom <= page.top) << dpi << " dpi, button " << i;
    }
    EXPECT_TRUE(list.left == Scale(kTabLeft, dpi) && player.left == list.right && list.Width() == Scale(kTabWidth, dpi) &&
                player.Width() == list.Width()) << dpi << " dpi";
    EXPECT_TRUE(list.top == title.top && list.bottom == title.bottom && list.bottom + m.edge == page.top) << dpi;
    EXPECT_TRUE(page.top == m.edge + m.captionHeight && page.left == m.edge && page.right == w - m.edge &&
                page.bottom == m.minHeight - m.border) << dpi;
    EXPECT_GE(m.edge + m.captionBitmapHeight, page.top) << dpi << " dpi: the caption bitmap is too short";
    EXPECT_TRUE(m.iconX + m.iconSize <= std::min(list.left, title.left) && player.right <= pin.left &&
                title.right <= pin.left) << dpi << " dpi, " << w << " wide";
  }
}

// The caption's parts at 96 DPI; where the window starts: cut to the work area but never below the
// minimum, and moved back inside it by its top-left; maximised beside auto-hide bars: two pixels kept
// free at their edges, on whichever monitor holds them.
TEST(skin_geometry_test, caption_start_and_maximize_rects) {
  const Metrics m = MetricsAt(96);
  const Rect screen{0, 0, 1280, 1024}, left{-1920, 0, 0, 1040}, wide{0, 0, 1920, 1080}, docked{0, 0, 1920, 1040};
  const Rect second{1920, -200, 3200, 824};
  const unsigned all = EDGE_LEFT | EDGE_TOP | EDGE_RIGHT | EDGE_BOTTOM;
  const struct Row { const char* label; Rect got, want; } rows[] = {
      {"close", CaptionButtonRect(994, 0), {966, 1, 994, 26}}, {"pin", CaptionButtonRect(994, 3), {882, 1, 910, 26}},
      {"list tab", TabRect(0), {40, 0, 135, 25}},               {"player tab", TabRect(1), {135, 0, 230, 25}},
      {"title", TitleRect(994), {37, 0, 809, 25}},             {"page", BrowserRect(994, 628), {1, 26, 993, 626}},
      {"drag area", CaptionRect(994, m.captionHeight, m.border, m.border), {2, 2, 996, 27}},
      {"start: fits", StartRect({143, 198}, screen, 96), {143, 198, 1137, 826}},
      {"start: past the right and bottom", StartRect({800, 700}, screen, 96), {286, 396, 1280, 1024}},
      {"start: display left of the primary", StartRect({-100, -50}, left, 96), {-994, 0, 0, 628}},
      {"start: larger than the work area", StartRect({-30, -40}, {0, 0, 1280, 1000}, 192), {0, 0, 1280, 1000}},
      {"start: work area below the minimum", StartRect({50, 50}, {0, 0, 1000, 900}, 192), {0, 0, 1160, 1000}},
      {"maximised: no bar", MaximizeRect(wide, docked, 0), docked},
      {"maximised: bars at every edge", MaximizeRect(wide, wide, all), {2, 2, 1918, 1078}},
      {"maximised: docked bar keeps more", MaximizeRect(wide, docked, EDGE_BOTTOM | EDGE_RIGHT), {0, 0, 1918, 1040}},
      {"maximised: a second monitor's right bar", MaximizeRect(second, second, EDGE_RIGHT), {1920, -200, 3198, 824}},
      {"maximised: a second monitor's top bar", MaximizeRect(second, second, EDGE_TOP), {1920, -198, 3200, 824}}};
  for (const Row& r : rows) EXPECT_EQ(r.got, r.want) << r.label;
}

}  // namespace
