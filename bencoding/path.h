// File name and extension of a dropped path, and the torrent-file test.
#pragma once

#include <string>

namespace zv::encoding::bencoding {

// Everything after the last back-slash or slash (whichever stands later); the whole
// path when it has neither.
std::wstring path_file_name(const std::wstring& path);

// The file name's text after its last "." (without the dot); empty when it has none.
std::wstring path_extension(const std::wstring& path);

// The extension is "torrent" in any ASCII letter case.
bool is_torrent_path(const std::wstring& path);

}  // namespace zv::encoding::bencoding
