// Helpers the tests share: wide text, dropped-file blocks; on Windows this executable, placement and waiting.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>
#include <vector>

#include "bencoding/text.h"

namespace kp_test {

// UTF-8 to wide by the program's own rule (std::filesystem would go through the C locale).
inline std::wstring Widen(const std::string& utf8) {
  std::wstring out;
  zv::encoding::bencoding::utf8_to_wide(utf8.data(), utf8.size(), out);
  return out;
}

// Text as a CF_HDROP list stores it: UTF-16LE units, or in ANSI the low byte of each unit
// (ASCII text only).
inline std::string Units(const std::wstring& text, bool wide = true) {
  std::string bytes;
  for (const wchar_t unit : text) bytes += wide ? std::string{char(unit), char(unit >> 8)} : std::string(1, char(unit));
  return bytes;
}

// A CF_HDROP block: the 20-byte header (where the names start, the wide flag), then `names`
// as they stand; a `size` cuts or pads the block.
inline std::string DropBlock(unsigned long offset, bool wide, const std::string& names, std::size_t size = 0) {
  std::string block(20, '\0');
  for (int i = 0; i < 4; ++i) block[i] = static_cast<char>(offset >> (8 * i));
  block[16] = wide;
  block += names;
  if (size) block.resize(size);
  return block;
}

// A well-formed list of `paths`, each closed by a zero and the list by an empty name.
inline std::string DropBlock(const std::vector<std::wstring>& paths, bool wide = true) {
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  return DropBlock(20, wide, Units(names + L'\0', wide));
}

#ifdef _WIN32
inline std::wstring ThisExecutable() {
  wchar_t path[MAX_PATH];
  return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

inline RECT WorkArea() {
  RECT area = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

// A child's rectangle in its parent's client coordinates (an unowned top-level window's on the
// screen), as the test's own left-top-right-bottom type.
template <class Box>
Box Placed(HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

// This thread's messages run until the state holds; false once the bound has passed, which
// only a hang reaches.
template <class Done>
bool PumpUntil(Done&& done, DWORD ms = 20000) {
  for (const ULONGLONG end = GetTickCount64() + ms;;) {
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
#endif

}  // namespace kp_test
