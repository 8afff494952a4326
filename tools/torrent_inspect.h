// torrent-inspect: one line per path with the library's answers, for developers and scripts.
#pragma once

#include <string>

namespace kp_tools {

// "<1|0>\t<magnet link or nothing>\t<shown>\n" for the file at `path`.
std::string inspect_line(const std::wstring& path, const std::string& shown);

}  // namespace kp_tools
