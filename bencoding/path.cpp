#include "bencoding/path.h"

#include "bencoding/text.h"

namespace zv::encoding::bencoding {

std::wstring path_file_name(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring path_extension(const std::wstring& path) {
    const std::wstring name = path_file_name(path);
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

bool is_torrent_path(const std::wstring& path) {
    static constexpr wchar_t lower[] = L"torrent";
    const std::wstring ext = path_extension(path);
    if (ext.size() != sizeof lower / sizeof lower[0] - 1) return false;
    for (std::size_t i = 0; i < ext.size(); ++i) {
        if (ascii_lower(ext[i]) != lower[i]) return false;
    }
    return true;
}

}  // namespace zv::encoding::bencoding
