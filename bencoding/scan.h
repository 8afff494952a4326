// Reading bencode straight from a buffer, without building a var tree.
#pragma once

#include <cstddef>

namespace zv::encoding::bencoding {

// Byte offsets [begin, end) into a buffer. begin is the value's first own byte (white space
// the reader skips before it is not included); end is one past its last byte.
struct span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Reads one value starting at data[pos] exactly as operator>> would from a fresh stream
// (classic locale) holding data[pos..size). True when it was read completely; then `out` is
// its span. Allocates nothing.
[[nodiscard]] bool scan_value(const char* data, std::size_t size, std::size_t pos, span& out);

}  // namespace zv::encoding::bencoding
