#include "tools/torrent_inspect.h"

#include "bencoding/text.h"
#include "bencoding/torrent.h"

#include <cstdio>

namespace kp_tools {

std::string inspect_line(const std::wstring& path, const std::string& shown, bool& readable) {
    using namespace zv::encoding::bencoding;
    // One read of the file for every answer; they equal torrent_has_video and torrent_magnet_link.
    const torrent_facts facts = torrent_inspect(path);
    if (!facts.readable) readable = false;
    // Why a drop would leave the file out goes beside the line, which scripts read as it is.
    if (facts.verdict != drop_verdict::link)
        std::fprintf(stderr, "torrent-inspect: %s: %s\n", shown.c_str(), drop_verdict_text(facts.verdict));
    std::string line = facts.has_video ? "1\t" : "0\t";
    line += wide_to_utf8(facts.magnet_link);
    line += '\t';
    line += shown;
    line += '\n';
    return line;
}

}  // namespace kp_tools
