#include "bencoding/file_read.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include "bencoding/text.h"

namespace zv::encoding::bencoding {

std::FILE* open_for_reading(const std::wstring& path) {
    // File names here are bytes; wide paths are taken to mean their UTF-8 spelling.
    const std::string name = wide_to_utf8(path);
    if (name.empty() || name.find('\0') != std::string::npos) return nullptr;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    struct stat st = {};
    if (file && fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file);  // a folder opens here, as it does not on Windows, and reads as nothing
        return nullptr;
    }
    return file;
}

long long stream_size(std::FILE* file) {
    // long has 64 bits on the platforms this file is built for.
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    return size;
}

// Mapping spares the copy into a fresh buffer, which costs as much as the parse. This build
// serves tools and tests: a file cut short by another process while mapped would fault here,
// which the Windows build, reading instead, cannot.
bool map_file(std::FILE* file, long long size, file_bytes& out) {
    struct stat st = {};
    const int fd = fileno(file);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != size) return false;
    const std::size_t length = static_cast<std::size_t>(size);
    void* view = mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (view == MAP_FAILED) return false;
    out.data = std::shared_ptr<const char>(static_cast<const char*>(view),
                                           [length](const char* p) { munmap(const_cast<char*>(p), length); });
    out.size = length;
    return true;
}

}  // namespace zv::encoding::bencoding
