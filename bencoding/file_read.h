// Reading a whole file named by a wide path into memory, with a size bound.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace zv::encoding::bencoding {

enum class file_read_result { ok, cannot_open, too_large };

// A file's bytes: mapped, or in a buffer that was not cleared before the read filled it.
struct file_bytes {
    std::shared_ptr<const char> data;  // freed or unmapped with the last owner
    std::size_t size = 0;
    std::string_view view() const { return std::string_view(data.get(), size); }
};

// Reads the whole file into `out` unless it holds more than `limit` bytes. A read error
// part-way leaves what was read before it (the caller inspects that much).
file_read_result read_file_bounded(const std::wstring& path, std::size_t limit, file_bytes& out);

// Platform glue. Opens for raw byte reading, sharing the file with any writer; null on failure.
std::FILE* open_for_reading(const std::wstring& path);
// The file's size from its end position; negative when the stream cannot seek.
long long stream_size(std::FILE* file);
// Maps `size` bytes of the file read-only; false, with out untouched, where it does not.
bool map_file(std::FILE* file, long long size, file_bytes& out);

}  // namespace zv::encoding::bencoding
