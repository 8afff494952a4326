#include "bencoding/file_read.h"

#include <cstring>
#include <new>

namespace zv::encoding::bencoding {

namespace {
struct file_closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

file_read_result read_file_bounded(const std::wstring& path, std::size_t limit, file_bytes& out) {
    out = file_bytes();
    std::unique_ptr<std::FILE, file_closer> file(open_for_reading(path));
    if (!file) return file_read_result::cannot_open;

    const long long size = stream_size(file.get());
    if (size > 0 && static_cast<unsigned long long>(size) > limit) return file_read_result::too_large;
    std::rewind(file.get());

    // The size is only a hint: the file may change under us, or not be seekable at all, so the
    // read itself enforces the bound. One byte more than expected tells a grown file.
    std::size_t capacity = size > 0 ? static_cast<std::size_t>(size) + 1 : 64 * 1024;
    if (capacity > limit) capacity = limit + 1;
    file_bytes read;
    try {
        read.data.reset(new char[capacity]);
        for (;;) {
            read.size += std::fread(read.data.get() + read.size, 1, capacity - read.size, file.get());
            if (read.size > limit) return file_read_result::too_large;
            if (read.size < capacity) break;
            capacity = capacity > limit / 2 ? limit + 1 : capacity * 2;
            std::unique_ptr<char[]> larger(new char[capacity]);
            std::memcpy(larger.get(), read.data.get(), read.size);
            read.data = std::move(larger);
        }
    } catch (const std::bad_alloc&) {
        return file_read_result::too_large;
    }
    out = std::move(read);
    return file_read_result::ok;
}

}  // namespace zv::encoding::bencoding
