// torrent-inspect: one line per path with the library's answers, for developers and scripts.
#pragma once

#include <string>

namespace kp_tools {

inline constexpr char usage[] =
    "usage: torrent-inspect FILE...\n"
    "One line per file: <1|0><TAB><magnet link or nothing><TAB><path>, 1 when the torrent\n"
    "names a video file. Why a drop would leave a file out goes to standard error. Exit\n"
    "code 1 when a file cannot be read (its line still comes), 2 without files.\n";

// "<1|0>\t<magnet link or nothing>\t<shown>\n" for the file at `path`; `readable` is set
// false when the file cannot be read. The drop rule's reason for leaving it out, if any,
// goes to standard error.
std::string inspect_line(const std::wstring& path, const std::string& shown, bool& readable);

}  // namespace kp_tools
