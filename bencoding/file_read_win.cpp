#include "bencoding/file_read.h"

#include <windows.h>
#include <share.h>
#include <stdio.h>

namespace zv::encoding::bencoding {

namespace {

// From MAX_PATH characters on, a path opens only in its \\?\ form, which wants a full path.
std::wstring openable_path(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD n = full.empty() ? 0 : GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (n == 0 || n >= full.size() || n < MAX_PATH) return path;
    full.resize(n);
    if (full.size() > 2 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
    if (full.rfind(L"\\\\", 0) == 0 && full.rfind(L"\\\\.\\", 0) != 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return path;
}

}  // namespace

std::FILE* open_for_reading(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) return nullptr;
    // Shared with writers: a browser or torrent client may still hold a finished download open.
    return _wfsopen(openable_path(path).c_str(), L"rb", _SH_DENYNO);
}

long long stream_size(std::FILE* file) {
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    return _ftelli64(file);
}

// Read, not mapped: while a view is open the writer could not cut the file short.
bool map_file(std::FILE*, long long, file_bytes&) { return false; }

}  // namespace zv::encoding::bencoding
