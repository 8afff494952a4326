// The caption's tab buttons.
#include "ui/caption_tabs.h"

#include <cwchar>

#include "framework/dpi.h"
#include "ui/skin_geometry.h"

bool TabButton::PreHandle(UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message != WM_SETCURSOR) return false;
  if (IsWindowEnabled(Handle())) SetCursor(LoadCursorW(nullptr, IDC_HAND));
  result = TRUE;  // handled even while disabled: the current tab keeps whatever cursor was shown
  return true;
}

void CaptionTabs::Create(HWND parent, int dpi) {
  if (!buttons.empty()) return;
  const HINSTANCE module = GetModuleHandleW(nullptr);
  int index = 0;
  for (const CaptionTab& tab : kCaptionTabs) {
    const skin::Rect r = skin::TabRect(index++, dpi);
    auto button = std::make_unique<TabButton>();
    button->SetImageList(fw::LoadImageStripAt(module, skin::ArtworkId(tab.artwork, dpi), r.Width(), r.Height(), 3));
    button->SetImages(wcscmp(tab.section, kTabShownCurrentAtFirst) == 0 ? 2 : 0, 2, 1, 2);
    // Kept even if it failed, so that buttons[i] stays kCaptionTabs[i]; a tab not made is not shown.
    (void)button->Create(parent, RECT{r.left, r.top, r.right, r.bottom}, tab.id);
    buttons.push_back(std::move(button));
  }
}

void CaptionTabs::LayOut(HWND parent, int dpi) {
  if (buttons.empty()) return;
  const wchar_t* current = nullptr;
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (!IsWindowEnabled(buttons[i]->Handle())) current = kCaptionTabs[i].section;
  }
  Destroy();
  Create(parent, dpi);
  if (current) Select(current);
}

void CaptionTabs::Destroy() {
  for (auto& button : buttons) button->Destroy();
  buttons.clear();
}

void CaptionTabs::Select(const std::wstring& section) {
  const bool known = std::any_of(std::begin(kCaptionTabs), std::end(kCaptionTabs),
                                 [&](const CaptionTab& tab) { return section == tab.section; });
  for (size_t i = 0; known && i < buttons.size(); ++i) {
    const bool current = section == kCaptionTabs[i].section;
    EnableWindow(buttons[i]->Handle(), !current);
    buttons[i]->SetImages(current ? 2 : 0, 2, 1, 2);
  }
  Redraw();
}

void CaptionTabs::Redraw() const {
  for (const auto& button : buttons) {
    if (button->Handle()) RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
}

const wchar_t* CaptionTabs::SectionOf(UINT id) {
  for (const CaptionTab& tab : kCaptionTabs) {
    if (tab.id == id) return tab.section;
  }
  return nullptr;
}
