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

// Both answers from one read of the file, each as the functions above give it.
struct torrent_facts {
    bool has_video = false;
    std::wstring magnet_link;
};
torrent_facts torrent_inspect(const std::wstring& path);

// The same answers for files read one after another into one buffer, as a drop reads them.
class torrent_reader {
public:
    // torrent_has_video, without the SHA-1 that the answer does not need.
    bool has_video(const std::wstring& path);
    torrent_facts inspect(const std::wstring& path);

private:
    read_buffer buffer;
};

// The same rules on a whole file already in memory; the link here is ASCII.
bool torrent_bytes_have_video(std::string_view file);
std::string torrent_bytes_magnet_link(std::string_view file);

}  // namespace zv::encoding::bencoding
