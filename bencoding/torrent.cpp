#include "bencoding/torrent.h"

#include <cstdint>

#include "bencoding/file_read.h"
#include "bencoding/hex.h"
#include "bencoding/path.h"
#include "bencoding/reader_core.h"
#include "bencoding/sha1.h"
#include "bencoding/text.h"

namespace zv::encoding::bencoding {

namespace {

// A short text folded to lower case and packed with its length into one number, so that an
// extension is compared with each entry in one step instead of byte by byte.
constexpr std::uint64_t packed_lower(std::string_view text) {
    std::uint64_t key = static_cast<std::uint64_t>(text.size()) << 56;
    for (std::size_t i = 0; i < text.size(); ++i)
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(ascii_lower(text[i]))) << (8 * i);
    return key;
}

// video_extensions cut into its entries at compile time; every entry is far below 7 bytes.
struct extension_set {
    std::uint64_t keys[32] = {};
    std::size_t count = 0, shortest = 0, longest = 0;
    constexpr extension_set() {
        std::string_view list = video_extensions;
        while (!list.empty() && count < 32) {
            const std::size_t end = list.find(';');
            const std::string_view entry = list.substr(0, end);
            keys[count++] = packed_lower(entry);
            if (shortest == 0 || entry.size() < shortest) shortest = entry.size();
            if (entry.size() > longest) longest = entry.size();
            if (end == std::string_view::npos) break;
            list.remove_prefix(end + 1);
        }
    }
};
constexpr extension_set video_set;
static_assert(video_set.longest < 8 && video_set.shortest >= 2, "entries must pack into a key");

// A name is judged by the text the writer gives for it. For a string that is its length, ":"
// and its bytes, so the part from the last "." is the name's own extension. The text of any
// other kind ends with its closing "e", and no entry of the list ends so: never a video.
bool names_video(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && is_video_extension(name.substr(dot));
}

// One read of the root that follows its first "info" entry and judges the file names as they
// pass, so neither the info dictionary nor the file list is read twice. The tree operator>>
// would build keeps the first of equal keys; so does every look-up here.
class torrent_sink {
public:
    bool found = false;  // the info dictionary was read whole
    std::size_t info_begin = 0, info_end = 0;

    bool has_video() const { return found && !v2_only() && (files_list ? files_video : name_video); }
    bool v2_only() const { return meta_version >= 2 && !has_pieces; }

    void integer_start(std::size_t) {}
    bool integer(std::int64_t x, std::size_t depth, std::size_t, std::size_t) {
        const slot s = take_slot();
        if (s == slot::meta_version) meta_version = x;
        if (parent(depth) == role::path) last_name = no_name;
        return depth > 0 && s != slot::info;  // a root or an info that is no dictionary: nothing to find
    }
    bool string(std::string_view& bytes, std::size_t depth, std::size_t, std::size_t) {
        const slot s = take_slot();
        if (s == slot::name) name_video = names_video(bytes);
        // Only a path's last element is its file name: the folders before it are never judged.
        if (parent(depth) == role::path) last_name = bytes;
        return depth > 0 && s != slot::info;
    }
    bool open(int kind, std::size_t depth, std::size_t begin) {
        const slot s = take_slot();
        const bool dictionary = kind == core::dictionary_kind;
        role r = role::other;
        if (depth == 0 || s == slot::info) {
            if (!dictionary) return false;
            r = depth == 0 ? role::root : role::info;
            if (r == role::info) info_begin = begin;
        } else if (s == slot::files && !dictionary) {
            r = role::files;
            files_list = true;
        } else if (parent(depth) == role::files && dictionary) {
            r = role::entry;
            seen_path = path_video = false;
        } else if (s == slot::path && !dictionary) {
            r = role::path;
            last_name = no_name;
        } else if (parent(depth) == role::path) {
            last_name = no_name;  // a container as a path's element names no file
        }
        if (depth < followed) roles[depth] = r;
        return true;
    }
    bool key(std::string_view& k, std::size_t depth) {
        switch (role_at(depth)) {
        case role::root:
            first(k, "info", seen_info, slot::info);
            break;
        case role::info:
            if (k == "pieces") has_pieces = true;
            first(k, "files", seen_files, slot::files);
            first(k, "name", seen_name, slot::name);
            first(k, "meta version", seen_meta_version, slot::meta_version);
            break;
        case role::entry:
            first(k, "path", seen_path, slot::path);
            break;
        default:
            break;
        }
        return true;
    }
    bool close(std::size_t depth, std::size_t end) {
        switch (role_at(depth)) {
        case role::info:
            info_end = end;
            found = true;
            return false;  // all is known
        case role::path:
            path_video = last_name.data() != nullptr && names_video(last_name);
            break;
        case role::entry:
            files_video = files_video || path_video;
            break;
        default:
            break;
        }
        return true;
    }
    void fail(std::size_t) {}

private:
    // What the container open at a depth is to us; only the first few depths matter.
    enum class role : unsigned char { other, root, info, files, entry, path };
    // What the value after the key just read is to us.
    enum class slot : unsigned char { none, info, files, name, meta_version, path };
    static constexpr std::size_t followed = 5;

    role role_at(std::size_t depth) const { return depth < followed ? roles[depth] : role::other; }
    role parent(std::size_t depth) const { return depth > 0 ? role_at(depth - 1) : role::other; }
    slot take_slot() {
        const slot s = pending;
        pending = slot::none;
        return s;
    }
    void first(std::string_view k, std::string_view wanted, bool& seen, slot s) {
        if (seen || k != wanted) return;
        seen = true;
        pending = s;
    }

    role roles[followed] = {};
    slot pending = slot::none;
    bool seen_info = false, seen_files = false, seen_name = false, seen_meta_version = false, seen_path = false;
    bool files_list = false, files_video = false, name_video = false;
    bool path_video = false, has_pieces = false;
    static constexpr std::string_view no_name{};
    std::string_view last_name;  // the path's last element so far, when a string; it points into the file
    std::int64_t meta_version = 0;
};

struct torrent_answers {
    drop_verdict verdict = drop_verdict::not_bencode;
    std::string magnet_link;  // ASCII
};

torrent_answers inspect_bytes(std::string_view file, bool link_wanted = true) {
    torrent_answers answers;
    torrent_sink sink;
    core::memory_source src(file.data(), 0, file.size());
    const core::outcome read = core::read_value(src, sink);
    if (!sink.found) {
        // Bencode that is no dictionary, or one without an info dictionary, stops the read.
        answers.verdict = read == core::outcome::failed ? drop_verdict::not_bencode : drop_verdict::no_info;
        return answers;
    }
    if (sink.v2_only()) {
        answers.verdict = drop_verdict::v2_only;
        return answers;
    }
    answers.verdict = sink.has_video() ? drop_verdict::link : drop_verdict::no_video;
    if (!link_wanted) return answers;
    unsigned char digest[20] = {};
    sha1_digest(file.data() + sink.info_begin, sink.info_end - sink.info_begin, digest);
    answers.magnet_link = "magnet:?xt=urn:btih:" + hex_upper(digest, sizeof digest);
    return answers;
}

std::wstring widen(const std::string& ascii) {
    std::wstring wide;
    utf8_to_wide(ascii.data(), ascii.size(), wide);
    return wide;
}

}  // namespace

bool is_video_extension(std::string_view candidate) {
    // Most names of a large torrent fail here, on their length alone.
    if (candidate.size() < video_set.shortest || candidate.size() > video_set.longest) return false;
    const std::uint64_t key = packed_lower(candidate);
    for (std::size_t i = 0; i < video_set.count; ++i)
        if (video_set.keys[i] == key) return true;
    return false;
}

const char* drop_verdict_text(drop_verdict verdict) {
    switch (verdict) {
    case drop_verdict::link: return "link";
    case drop_verdict::not_torrent_name: return "not a torrent name";
    case drop_verdict::unreadable: return "unreadable";
    case drop_verdict::too_big: return "too big";
    case drop_verdict::not_bencode: return "not bencode";
    case drop_verdict::no_info: return "no info dictionary";
    case drop_verdict::v2_only: return "v2 only";
    case drop_verdict::no_video: return "no video";
    }
    return "?";
}

bool torrent_bytes_have_video(std::string_view file) { return inspect_bytes(file, false).verdict == drop_verdict::link; }

std::string torrent_bytes_magnet_link(std::string_view file) { return inspect_bytes(file).magnet_link; }

bool torrent_has_video(const std::wstring& path) { return torrent_reader().has_video(path); }

std::wstring torrent_magnet_link(const std::wstring& path) { return torrent_inspect(path).magnet_link; }

torrent_facts torrent_inspect(const std::wstring& path) { return torrent_reader().inspect(path); }

dropped_file torrent_reader::judge(const std::wstring& path, bool link_wanted) {
    if (!is_torrent_path(path)) return {};  // a video or anything else the user dropped is never opened
    return judge_content(path, link_wanted);
}

dropped_file torrent_reader::judge_content(const std::wstring& path, bool link_wanted) {
    dropped_file dropped;
    file_bytes file;
    switch (read_file_bounded(path, torrent_size_limit, file, buffer)) {
    case file_read_result::cannot_open:
        dropped.verdict = drop_verdict::unreadable;
        return dropped;
    case file_read_result::too_large:
        dropped.verdict = drop_verdict::too_big;
        return dropped;
    case file_read_result::ok:
        break;
    }
    const torrent_answers answers = inspect_bytes(file.view(), link_wanted);
    dropped.verdict = answers.verdict;
    dropped.magnet_link = widen(answers.magnet_link);
    // Only a link goes to the page with its name: a drop of thousands of other names makes none.
    if (dropped.verdict == drop_verdict::link) dropped.name = path_file_name(path);
    return dropped;
}

torrent_facts torrent_reader::inspect(const std::wstring& path) {
    const dropped_file dropped = judge(path);
    torrent_facts facts;
    facts.has_video = dropped.verdict == drop_verdict::link;
    facts.verdict = dropped.verdict;
    facts.magnet_link = dropped.magnet_link;
    facts.readable = dropped.verdict != drop_verdict::unreadable;
    if (dropped.verdict == drop_verdict::not_torrent_name) {
        // The link does not depend on the name: a file the rule did not open is read for it.
        const dropped_file content = judge_content(path, true);
        facts.magnet_link = content.magnet_link;
        facts.readable = content.verdict != drop_verdict::unreadable;
    }
    return facts;
}

}  // namespace zv::encoding::bencoding
