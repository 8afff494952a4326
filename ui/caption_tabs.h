// The caption's tab buttons, one per section of the page: made, placed and selected from
// one table, and clicked through the one id range the table spans.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/bitmap_button.h"
#include "res/resource.h"

struct CaptionTab {
  const wchar_t* section;  // the page's id for it, in setVodClientNav and setVodClientTab
  UINT id;                 // its control id
  UINT artwork;            // its strip at 100 %: idle, hover, current
};

// Left to right from the caption's icon.
inline constexpr CaptionTab kCaptionTabs[] = {
    {L"list", ID_TAB_LIST, IDB_TAB_LIST},
    {L"player", ID_TAB_PLAYER, IDB_TAB_PLAYER},
};
// Freshly made, this one looks current, though it takes clicks until the page says so.
inline constexpr wchar_t kTabShownCurrentAtFirst[] = L"player";

inline constexpr UINT kFirstTabId =
    std::min_element(std::begin(kCaptionTabs), std::end(kCaptionTabs), [](auto& a, auto& b) { return a.id < b.id; })->id;
inline constexpr UINT kLastTabId =
    std::max_element(std::begin(kCaptionTabs), std::end(kCaptionTabs), [](auto& a, auto& b) { return a.id < b.id; })->id;

// A tab button: a bitmap button that shows the hand while it can be clicked.
class TabButton : public fw::BitmapButton {
 public:
  TabButton() : BitmapButton(fw::BMPBTN_HOVER | fw::BMPBTN_AUTOSIZE) {}

 protected:
  bool PreHandle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class CaptionTabs {
 public:
  // Makes the buttons in `parent`'s caption at the dpi's places, unless they exist.
  void Create(HWND parent, int dpi);
  // Made again at the dpi's places, the current one kept; nothing if they do not exist.
  void LayOut(HWND parent, int dpi);
  void Destroy();
  // The page's current section: its tab is drawn current and takes no clicks, the others
  // take them. A section without a tab changes nothing. Either way every tab is redrawn.
  void Select(const std::wstring& section);
  void Redraw() const;
  // The section of a tab's control id, or null.
  static const wchar_t* SectionOf(UINT id);

 private:
  std::vector<std::unique_ptr<TabButton>> buttons;  // one per row of the table, once made
};
