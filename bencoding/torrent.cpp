#include "bencoding/torrent.h"

#include "bencoding/file_read.h"
#include "bencoding/hex.h"
#include "bencoding/path.h"
#include "bencoding/scan.h"
#include "bencoding/sha1.h"
#include "bencoding/text.h"

namespace zv::encoding::bencoding {

namespace {

constexpr int kind_string = 2;
constexpr int kind_list = 3;
constexpr int kind_dictionary = 4;

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool ascii_iequal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

std::string_view from_last_dot(std::string_view text) {
    const std::size_t dot = text.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : text.substr(dot);
}

// Whether some entry ends in "e" (either case): see names_video.
constexpr bool some_entry_ends_in_e(std::string_view list) {
    for (std::size_t i = 1; i < list.size(); ++i)
        if (list[i] == ';' && (list[i - 1] == 'e' || list[i - 1] == 'E')) return true;
    return false;
}
static_assert(!some_entry_ends_in_e(video_extensions), "names_video relies on no entry ending in e");

// A name is judged by the text the writer gives for it. For a string that is its length, ":"
// and its bytes, so the part from the last "." is the name's own extension. The text of an
// integer, list or dictionary ends with its closing "e", and so would any candidate taken from
// it; no entry ends that way, so such a name is never a video. Deciding this without reading
// the value keeps a hostile name from costing a tree's worth of memory.
bool names_video(const value_view& name) {
    return name.kind() == kind_string && is_video_extension(from_last_dot(name.bytes()));
}

bool info_of(std::string_view file, value_view& info) {
    span where;
    if (!find_root_entry(file.data(), file.size(), "info", where)) return false;
    info = value_view(file.data(), file.size(), where);
    return true;
}

// video_extensions cut into its entries once, for the filter below.
struct extension_table {
    std::string_view entries[32];  // without their "."
    std::size_t count = 0;
    bool first_letter[256] = {};
    extension_table() {
        std::string_view list = video_extensions;
        while (!list.empty() && count < 32) {
            const std::size_t end = list.find(';');
            const std::string_view entry = list.substr(1, end == std::string_view::npos ? end : end - 1);
            entries[count++] = entry;
            if (!entry.empty()) first_letter[static_cast<unsigned char>(entry[0])] = true;
            if (end == std::string_view::npos) break;
            list.remove_prefix(end + 1);
        }
    }
};

// A quick filter before the exact look at a file entry: a name with a video extension
// leaves that ".ext" in the raw bytes (in any letter case), so bytes without one name no video.
bool may_name_video(std::string_view raw) {
    static const extension_table table;
    for (std::size_t i = 0; i + 1 < raw.size(); ++i) {
        if (raw[i] != '.' || !table.first_letter[static_cast<unsigned char>(ascii_lower(raw[i + 1]))]) continue;
        for (std::size_t e = 0; e < table.count; ++e) {
            const std::string_view entry = table.entries[e];
            if (entry.size() > raw.size() - i - 1) continue;
            std::size_t k = 0;
            while (k < entry.size() && ascii_lower(raw[i + 1 + k]) == entry[k]) ++k;
            if (k == entry.size()) return true;
        }
    }
    return false;
}

bool info_has_video(const value_view& info) {
    value_view files;
    if (info.find("files", files) && files.kind() == kind_list) {
        bool found = false;
        files.for_each_element([&found](const value_view& entry) {
            if (!may_name_video(entry.raw())) return true;
            value_view path, last;
            // Entries without a usable path name no file: pass over them.
            if (entry.find("path", path) && path.last_element(last) && names_video(last)) found = true;
            return !found;
        });
        return found;
    }
    value_view name;
    return info.find("name", name) && names_video(name);
}

std::string info_magnet_link(const value_view& info) {
    // Only the bytes of a complete info dictionary name the swarm; anything less gets no link.
    if (info.kind() != kind_dictionary) return std::string();
    const std::string_view bytes = info.raw();
    unsigned char digest[20] = {};
    sha1_digest(bytes.data(), bytes.size(), digest);
    return "magnet:?xt=urn:btih:" + hex_upper(digest, sizeof digest);
}

std::wstring widen(const std::string& ascii) {
    std::wstring wide;
    utf8_to_wide(ascii.data(), ascii.size(), wide);
    return wide;
}

}  // namespace

bool is_video_extension(std::string_view candidate) {
    if (candidate.size() < 2) return false;  // no name is a video for a lone "."
    std::string_view list = video_extensions;
    while (!list.empty()) {
        const std::size_t end = list.find(';');
        if (ascii_iequal(candidate, list.substr(0, end))) return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

bool torrent_bytes_have_video(std::string_view file) {
    value_view info;
    return info_of(file, info) && info_has_video(info);
}

std::string torrent_bytes_magnet_link(std::string_view file) {
    value_view info;
    return info_of(file, info) ? info_magnet_link(info) : std::string();
}

bool torrent_has_video(const std::wstring& path) {
    if (!is_torrent_path(path)) return false;
    std::string file;
    if (read_file_bounded(path, torrent_size_limit, file) != file_read_result::ok) return false;
    return torrent_bytes_have_video(file);
}

std::wstring torrent_magnet_link(const std::wstring& path) {
    std::string file;
    if (read_file_bounded(path, torrent_size_limit, file) != file_read_result::ok) return std::wstring();
    return widen(torrent_bytes_magnet_link(file));
}

torrent_facts torrent_inspect(const std::wstring& path) {
    torrent_facts facts;
    std::string file;
    if (read_file_bounded(path, torrent_size_limit, file) != file_read_result::ok) return facts;
    value_view info;
    if (!info_of(file, info)) return facts;
    facts.has_video = is_torrent_path(path) && info_has_video(info);
    facts.magnet_link = widen(info_magnet_link(info));
    return facts;
}

}  // namespace zv::encoding::bencoding
