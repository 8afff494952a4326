#include "browser/page_text.h"

#include <algorithm>
#include <sstream>

#include "kp_version.h"

std::wstring MakeVersionText(int count) {
  static constexpr unsigned short kVersion[4] = {KP_VERSION_MAJOR, KP_VERSION_MINOR, KP_VERSION_PATCH,
                                                 KP_VERSION_TWEAK};
  const int shown = std::clamp(count, 0, 4);
  std::wostringstream text;
  for (int i = 0; i < shown; ++i) {
    if (i > 0) text << L'.';
    text << kVersion[i];
  }
  return text.str();
}

namespace {

// Inside a double-quoted script string literal.
void AppendQuoted(std::wstring& out, std::wstring_view text) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  for (const wchar_t c : text) {
    if (c == L'\\' || c == L'"') {
      out += L'\\';
      out += c;
    } else if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) {
      out += L"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    } else {
      out += c;
    }
  }
}

}  // namespace

void DragCallbackText::Add(std::wstring_view url, std::wstring_view name) {
  if (count > 0) items += L',';
  items += L"{url:\"";
  AppendQuoted(items, url);
  items += L"\", filename:\"";
  AppendQuoted(items, name);
  items += L"\"}";
  ++count;
}

std::wstring DragCallbackText::Text() const { return L"[" + items + L"]"; }

unsigned NavItemCount(long length) {
  return std::min(static_cast<unsigned>(length), kMaxNavItems);
}
