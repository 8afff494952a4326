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

// Memory that reads one after another share, so that a drop of many files allocates (and on
// Windows maps) it once. Grows to the largest file read; freed with the object.
class read_buffer {
public:
    char* data() { return bytes.get(); }
    std::size_t capacity() const { return size; }
    // At least `wanted` bytes, the first `kept` of them as they were; may throw std::bad_alloc.
    void grow(std::size_t wanted, std::size_t kept);
    // Hands the memory to a shared owner and leaves the buffer empty.
    std::shared_ptr<const char> release();

private:
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
};

// Reads the whole file into `out` unless it holds more than `limit` bytes. A read error
// part-way leaves what was read before it (the caller inspects that much).
[[nodiscard]] file_read_result read_file_bounded(const std::wstring& path, std::size_t limit, file_bytes& out);
// The same into `buffer`: `out` then points into it, valid until its next read or its end.
[[nodiscard]] file_read_result read_file_bounded(const std::wstring& path, std::size_t limit, file_bytes& out, read_buffer& buffer);

// Platform glue. Opens for raw byte reading, sharing the file with any writer; null on failure.
[[nodiscard]] std::FILE* open_for_reading(const std::wstring& path);
// The file's size from its end position; negative when the stream cannot seek.
long long stream_size(std::FILE* file);
// Maps `size` bytes of the file read-only; false, with out untouched, where it does not.
[[nodiscard]] bool map_file(std::FILE* file, long long size, file_bytes& out);

}  // namespace zv::encoding::bencoding
