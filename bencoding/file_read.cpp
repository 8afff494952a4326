#include "bencoding/file_read.h"

#include <memory>
#include <new>

namespace zv::encoding::bencoding {

namespace {
struct file_closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

file_read_result read_file_bounded(const std::wstring& path, std::size_t limit, std::string& out) {
    out.clear();
    std::unique_ptr<std::FILE, file_closer> file(open_for_reading(path));
    if (!file) return file_read_result::cannot_open;

    const long long size = stream_size(file.get());
    if (size > 0 && static_cast<unsigned long long>(size) > limit) return file_read_result::too_large;
    std::rewind(file.get());

    // The size is only a hint: the file may change under us, or not be seekable at all, so the
    // read itself enforces the bound.
    std::string data;
    try {
        std::size_t want = size > 0 ? static_cast<std::size_t>(size) + 1 : 64 * 1024;
        if (want > limit) want = limit + 1;
        std::size_t have = 0;
        for (;;) {
            data.resize(want);
            const std::size_t got = std::fread(&data[have], 1, want - have, file.get());
            have += got;
            if (have > limit) return file_read_result::too_large;
            if (have < want) break;
            want = want > limit / 2 ? limit + 1 : want * 2;
        }
        data.resize(have);
    } catch (const std::bad_alloc&) {
        return file_read_result::too_large;
    }
    out.swap(data);
    return file_read_result::ok;
}

}  // namespace zv::encoding::bencoding
