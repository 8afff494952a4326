#include "tools/torrent_inspect.h"

#include "bencoding/text.h"
#include "bencoding/torrent.h"

namespace kp_tools {

std::string inspect_line(const std::wstring& path, const std::string& shown) {
    using namespace zv::encoding::bencoding;
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
