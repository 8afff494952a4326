#include "browser/page_text.h"

#include <algorithm>
#include <sstream>

std::wstring MakeVersionText(int count) {
  static constexpr unsigned short kVersion[4] = {1, 0, 2, 3};
  const int shown = std::clamp(count, 0, 4);
  std::wostringstream text;
  for (int i = 0; i < shown; ++i) {
    if (i > 0) text << L'.';
    text << kVersion[i];
  }
  return text.str();
}

void DragCallbackText::Add(std::wstring_view url, std::wstring_view fileName) {
  if (count > 0) items += L',';
  items += L"{url:\"";
  items += url;
  items += L"\", filename:\"";
  items += fileName;
  items += L"\"}";
  ++count;
}

std::wstring DragCallbackText::Text() const { return L"[" + items + L"]"; }

unsigned NavItemCount(long length) {
  return std::min(static_cast<unsigned>(length), kMaxNavItems);
}
