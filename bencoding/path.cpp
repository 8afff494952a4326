#include "bencoding/path.h"

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
    static constexpr wchar_t upper[] = L"TORRENT";
    const std::wstring ext = path_extension(path);
    if (ext.size() != sizeof upper / sizeof upper[0] - 1) return false;
    for (std::size_t i = 0; i < ext.size(); ++i) {
        wchar_t c = ext[i];
        // ASCII letters only: no locale case rule may turn another name into a match.
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c != upper[i]) return false;
    }
    return true;
}

}  // namespace zv::encoding::bencoding
