#include "bencoding/file_read.h"

#include <cstring>
#include <new>

namespace zv::encoding::bencoding {

namespace {
struct file_closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

void read_buffer::grow(std::size_t wanted, std::size_t kept) {
    if (wanted <= size) return;
    std::unique_ptr<char[]> larger(new char[wanted]);
    if (kept > 0) std::memcpy(larger.get(), bytes.get(), kept);
    bytes = std::move(larger);
    size = wanted;
}

std::shared_ptr<const char> read_buffer::release() {
    size = 0;
    return std::shared_ptr<const char>(bytes.release(), std::default_delete<const char[]>());
}

file_read_result read_file_bounded(const std::wstring& path, std::size_t limit, file_bytes& out) {
    read_buffer buffer;
    const file_read_result result = read_file_bounded(path, limit, out, buffer);
    if (result == file_read_result::ok && out.data.get() == buffer.data()) out.data = buffer.release();
    return result;
}

file_read_result read_file_bounded(const std::wstring& path, std::size_t limit, file_bytes& out, read_buffer& buffer) {
    out = file_bytes();
    std::unique_ptr<std::FILE, file_closer> file(open_for_reading(path));
    if (!file) return file_read_result::cannot_open;

    const long long size = stream_size(file.get());
    if (size > 0 && static_cast<unsigned long long>(size) > limit) return file_read_result::too_large;
    if (size > 0 && map_file(file.get(), size, out)) return file_read_result::ok;
    std::rewind(file.get());

    // The size is only a hint: the file may change under us, or not be seekable at all, so the
    // read itself enforces the bound. One byte more than expected tells a grown file.
    std::size_t capacity = size > 0 ? static_cast<std::size_t>(size) + 1 : 64 * 1024;
    if (capacity > limit) capacity = limit + 1;
    std::size_t have = 0;
    try {
        buffer.grow(capacity, 0);
        for (;;) {
            have += std::fread(buffer.data() + have, 1, capacity - have, file.get());
            if (have > limit) return file_read_result::too_large;
            if (have < capacity) break;
            capacity = capacity > limit / 2 ? limit + 1 : capacity * 2;
            buffer.grow(capacity, have);
        }
    } catch (const std::bad_alloc&) {
        return file_read_result::too_large;
    }
    out.data = std::shared_ptr<const char>(std::shared_ptr<const char>(), buffer.data());  // not an owner
    out.size = have;
    return file_read_result::ok;
}

}  // namespace zv::encoding::bencoding
