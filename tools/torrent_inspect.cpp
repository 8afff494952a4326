#include "tools/torrent_inspect.h"

#include "bencoding/file_read.h"
#include "bencoding/text.h"
#include "bencoding/torrent.h"

#include <cstdio>

namespace kp_tools {

std::string inspect_line(const std::wstring& path, const std::string& shown, bool& readable) {
    using namespace zv::encoding::bencoding;
    // The library answers an unreadable file like one without video; a script needs to
    // tell the two apart. One byte is cheap next to the read, which stays single; it also
    // catches a folder, which opens here but does not read.
    std::FILE* file = open_for_reading(path);
    if (!file || (std::fgetc(file) == EOF && std::ferror(file))) readable = false;
    if (file) std::fclose(file);
    // One read of the file for both answers; they equal torrent_has_video and torrent_magnet_link.
    const torrent_facts facts = torrent_inspect(path);
    std::string line = facts.has_video ? "1\t" : "0\t";
    line += wide_to_utf8(facts.magnet_link);
    line += '\t';
    line += shown;
    line += '\n';
    return line;
}

}  // namespace kp_tools
