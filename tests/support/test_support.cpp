// The portable half of the tests' shared helpers.
#include "tests/support/test_support.h"

#include "bencoding/text.h"

namespace kp_test {

std::wstring Widen(const std::string& utf8) {
  std::wstring out;
  zv::encoding::bencoding::utf8_to_wide(utf8.data(), utf8.size(), out);
  return out;
}

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (const char c : ascii) wide += {c, '\0'};
  return wide;
}

std::string DropBlock(unsigned long offset, bool wide, const std::string& names, std::size_t size) {
  std::string block(20, '\0');
  for (int i = 0; i < 4; ++i) block[i] = static_cast<char>(offset >> (8 * i));
  block[16] = wide;
  block += names;
  if (size) block.resize(size);
  return block;
}

std::string DropBlock(const std::vector<std::wstring>& paths, bool wide) {
  std::string names;
  for (const std::wstring& path : paths) {
    for (const wchar_t unit : path + L'\0') {
      names += static_cast<char>(unit);
      if (wide) names += static_cast<char>(unit >> 8);
    }
  }
  return DropBlock(20, wide, names + std::string(wide ? 2 : 1, '\0'));
}

}  // namespace kp_test
