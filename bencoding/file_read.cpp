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
    if (size > 0 && map_file(file.get(), size, out)) return file_read_result::ok;
    std::rewind(file.get());

    // The size is only a hint: the file may change under us, or not be seekable at all, so the
    // read itself enforces the bound. One byte more than expected tells a grown file.
    std::size_t capacity = size > 0 ? static_cast<std::size_t>(size) + 1 : 64 * 1024;
    if (capacity > limit) capacity = limit + 1;
    std::unique_ptr<char[]> data;
    std::size_t have = 0;
    try {
        data.reset(new char[capacity]);
        for (;;) {
            have += std::fread(data.get() + have, 1, capacity - have, file.get());
            if (have > limit) return file_read_result::too_large;
            if (have < capacity) break;
            capacity = capacity > limit / 2 ? limit + 1 : capacity * 2;
            std::unique_ptr<char[]> larger(new char[capacity]);
            std::memcpy(larger.get(), data.get(), have);
            data = std::move(larger);
        }
        out.data = std::shared_ptr<const char>(data.release(), std::default_delete<const char[]>());
    } catch (const std::bad_alloc&) {
        return file_read_result::too_large;
    }
    out.size = have;
    return file_read_result::ok;
}

}  // namespace zv::encoding::bencoding
