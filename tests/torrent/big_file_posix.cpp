#include "big_file.h"

#include "bencoding/text.h"

#include <filesystem>
#include <system_error>

bool extend_file(const std::wstring& path, std::uint64_t size) {
    std::error_code error;
    std::filesystem::resize_file(zv::encoding::bencoding::wide_to_utf8(path), size, error);
    return !error;
}
