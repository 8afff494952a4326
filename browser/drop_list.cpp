#include "browser/drop_list.h"

namespace {

unsigned long ReadDword(const unsigned char* at) {
  return at[0] | static_cast<unsigned long>(at[1]) << 8 | static_cast<unsigned long>(at[2]) << 16 |
         static_cast<unsigned long>(at[3]) << 24;
}

}  // namespace

bool ReadDropList(const unsigned char* block, std::size_t size, DropList& out) {
  out = DropList();
  if (!block || size < kDropHeaderSize) return false;
  const unsigned long start = ReadDword(block);
  if (start < kDropHeaderSize || start >= size) return false;
  const bool wide = ReadDword(block + 16) != 0;  // a BOOL: any value but 0 is true
  const std::size_t unit = wide ? 2 : 1;
  std::size_t nameStart = start;
  for (std::size_t at = start; at + unit <= size; at += unit) {
    if (block[at] != 0 || (wide && block[at + 1] != 0)) continue;
    const std::size_t length = (at - nameStart) / unit;
    if (length == 0) {
      out.wide = wide;
      return true;
    }
    if (length <= kMaxDropPathLength && out.names.size() < kMaxDropNames) out.names.push_back(DropName{nameStart, length});
    nameStart = at + unit;
  }
  out.names.clear();
  return false;  // the list runs past the block
}
