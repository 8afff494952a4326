#include "bencoding/file_read.h"
#include "bencoding/text.h"

namespace zv::encoding::bencoding {

std::FILE* open_for_reading(const std::wstring& path) {
    // File names here are bytes; wide paths are taken to mean their UTF-8 spelling.
    const std::string name = wide_to_utf8(path);
    if (name.empty() || name.find('\0') != std::string::npos) return nullptr;
    return std::fopen(name.c_str(), "rb");
}

long long stream_size(std::FILE* file) {
    // long has 64 bits on the platforms this file is built for.
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    return size;
}

}  // namespace zv::encoding::bencoding
