#include "bencoding/file_read.h"

#include <stdio.h>

namespace zv::encoding::bencoding {

std::FILE* open_for_reading(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) return nullptr;
    std::FILE* file = nullptr;
    if (_wfopen_s(&file, path.c_str(), L"rb") != 0) return nullptr;
    return file;
}

long long stream_size(std::FILE* file) {
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    return _ftelli64(file);
}

}  // namespace zv::encoding::bencoding
