// Torrent inspection for dropped files: whether a torrent names a video file, and its
// magnet link from the SHA-1 of the info dictionary's bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "bencoding/file_read.h"

namespace zv::encoding::bencoding {

// Searched entry by entry; peers rely on this exact text.
inline constexpr std::string_view video_extensions =
    ".rmvb;.rm;.wmv;.mp4;.avi;.mkv;.ts;.asf;.mpg;.mov;.3gp;.mpeg;.m4v;.vob;.flv;.xv;";

// Larger files are not inspected: this runs on the user-interface thread.
inline constexpr std::size_t torrent_size_limit = std::size_t(256) << 20;

// `candidate` runs from a name's last "." (included) to its end. True when it equals one
// entry of video_extensions, ignoring ASCII case.
bool is_video_extension(std::string_view candidate);

// False for anything that is not a readable torrent naming a video file, and for a v2-only
// torrent, which has no link to offer.
bool torrent_has_video(const std::wstring& path);

// "magnet:?xt=urn:btih:" and forty upper-case hex digits; empty when the file cannot be read,
// holds no complete info dictionary, or only a v2 one ("meta version" 2, no "pieces"), whose
// SHA-1 names no swarm.
std::wstring torrent_magnet_link(const std::wstring& path);

// What the drop rule says of a file: offered to the page as a link, or why not.
enum class drop_verdict { link, not_torrent_name, unreadable, too_big, not_bencode, no_info, v2_only, no_video };
// The verdict in a few words, as developers' tools print it ("no info dictionary").
const char* drop_verdict_text(drop_verdict verdict);

struct dropped_file {
    drop_verdict verdict = drop_verdict::not_torrent_name;
    std::wstring magnet_link;  // when the file holds a v1 info dictionary and a link was wanted
    std::wstring name;         // with a link: the path's file name, as the page is shown it
};

// torrent_has_video's answer, the link torrent_magnet_link gives, the drop rule's verdict,
// and whether the file could be read, from one read of the file.
struct torrent_facts {
    bool has_video = false;
    std::wstring magnet_link;
    drop_verdict verdict = drop_verdict::not_torrent_name;
    bool readable = true;
};
[[nodiscard]] torrent_facts torrent_inspect(const std::wstring& path);

// The same answers for files read one after another into one buffer, as a drop reads them.
class torrent_reader {
public:
    // The drop rule. A name that does not end in ".torrent" is refused before the file is
    // opened; the rest must read whole within torrent_size_limit, hold a v1 info dictionary
    // and name a video. Without `link_wanted` the SHA-1 is skipped and a link left empty.
    [[nodiscard]] dropped_file judge(const std::wstring& path, bool link_wanted = true);
    bool has_video(const std::wstring& path) { return judge(path, false).verdict == drop_verdict::link; }
    [[nodiscard]] torrent_facts inspect(const std::wstring& path);

private:
    dropped_file judge_content(const std::wstring& path, bool link_wanted);
    read_buffer buffer;
};

// The same rules on a whole file already in memory; the link here is ASCII.
bool torrent_bytes_have_video(std::string_view file);
std::string torrent_bytes_magnet_link(std::string_view file);

}  // namespace zv::encoding::bencoding
