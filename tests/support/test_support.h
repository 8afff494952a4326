// Helpers the tests share: wide text, dropped-file blocks, the caption's tips, and on Windows
// where this executable lies.
#pragma once

#include <string>
#include <vector>

namespace kp_test {

// UTF-8 to wide by the program's own rule (std::filesystem would go through the C locale).
std::wstring Widen(const std::string& utf8);
// Each ASCII character as one UTF-16LE unit: how a wide CF_HDROP list stores names.
std::string Utf16(const std::string& ascii);

// A CF_HDROP block: the 20-byte header (where the names start, the wide flag), then `names`
// as they stand; a `size` cuts or pads the block.
std::string DropBlock(unsigned long offset, bool wide, const std::string& names, std::size_t size = 0);
// A well-formed list of `paths`: ANSI keeps the low byte of each unit (ASCII paths only).
std::string DropBlock(const std::vector<std::wstring>& paths, bool wide = true);

// The caption buttons' tips as users read them.
inline constexpr wchar_t kTipPin[] = L"置顶", kTipUnpin[] = L"取消置顶", kTipMinimize[] = L"最小化",
                         kTipMaximize[] = L"最大化", kTipRestore[] = L"还原", kTipClose[] = L"关闭";

#ifdef _WIN32
std::wstring ThisExecutable();
#endif

}  // namespace kp_test
