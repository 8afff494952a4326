// The file list of a drop (the CF_HDROP block), checked before any of it is read: the
// block comes from another program and may claim anything. Portable, so the checker
// runs natively under the sanitizers.
#pragma once

#include <cstddef>
#include <vector>

// Where a name lies in the block: its first byte, and its length in characters (two
// bytes each in a wide list, one in an ANSI list), without the terminating zero.
struct DropName {
  std::size_t offset;
  std::size_t length;
};

struct DropList {
  bool wide = false;
  std::vector<DropName> names;
};

// The block starts with DROPFILES: the names' offset in bytes 0..3, the wide flag in 16..19.
inline constexpr std::size_t kDropHeaderSize = 20;
// No path Windows opens is longer.
inline constexpr std::size_t kMaxDropPathLength = 32767;
// Names read from one list, so that what a list costs is bounded apart from its block.
inline constexpr std::size_t kMaxDropNames = 65536;

// False, with `out` empty, unless the header lies whole in the block, the names start
// after it and inside the block, and every name and the empty name closing the list end
// inside the block. Names longer than kMaxDropPathLength, and those after the first
// kMaxDropNames, are left out. One pass: each
// character is looked at once, so a list of many names costs in proportion.
[[nodiscard]] bool ReadDropList(const unsigned char* block, std::size_t size, DropList& out);
