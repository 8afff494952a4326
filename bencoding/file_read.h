// Reading a whole file named by a wide path into memory, with a size bound.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace zv::encoding::bencoding {

enum class file_read_result { ok, cannot_open, too_large };

// Reads the whole file into `out` unless it holds more than `limit` bytes. A read error
// part-way leaves what was read before it (the caller inspects that much).
file_read_result read_file_bounded(const std::wstring& path, std::size_t limit, std::string& out);

// Platform glue. Opens for raw byte reading; null on failure.
std::FILE* open_for_reading(const std::wstring& path);
// The file's size from its end position; negative when the stream cannot seek.
long long stream_size(std::FILE* file);

}  // namespace zv::encoding::bencoding
