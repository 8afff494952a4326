// Torrent inspection against fixtures whose expected results come from other tools
// (make_fixtures.py), and tables of hand-written torrents.
#include "bencoding/hex.h"
#include "bencoding/sha1.h"
#include "bencoding/text.h"
#include "bencoding/torrent.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace zv::encoding::bencoding;
namespace fs = std::filesystem;

const std::string link_prefix = "magnet:?xt=urn:btih:";

std::wstring widen(const std::string& utf8) {
    std::wstring out;
    utf8_to_wide(utf8.data(), utf8.size(), out);
    return out;
}

// UTF-8; wide for the functions under test.
std::string fixture_path(const std::string& file) { return KP_TORRENT_FIXTURES "/" + file; }

std::string read_file(const std::string& utf8_path) {
    std::ifstream in(fs::u8path(utf8_path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string link_of_bytes(std::string_view info) {
    unsigned char digest[20] = {};
    sha1_digest(info.data(), info.size(), digest);
    return link_prefix + hex_upper(digest, 20);
}

std::string bstr(const std::string& s) { return std::to_string(s.size()) + ":" + s; }

void expect_bytes(const std::string& file, bool video, const std::string& link) {
    EXPECT_EQ(torrent_bytes_have_video(file), video);
    EXPECT_EQ(torrent_bytes_magnet_link(file), link);
}

TEST(torrent_test, fixtures_match_independent_tools) {
    std::ifstream manifest(fs::u8path(fixture_path("manifest.tsv")), std::ios::binary);
    int rows = 0;
    for (std::string line; std::getline(manifest, line); ++rows) {
        // file, has video, v1 info-hash or "-", where the info dictionary begins and ends or -1
        std::istringstream fields(line);
        std::string file, hash;
        bool video = false;
        long long begin = -1, end = -1;
        std::getline(fields, file, '\t');
        ASSERT_TRUE(fields >> video >> hash >> begin >> end) << line;
        SCOPED_TRACE(file);
        const std::string link = hash == "-" ? "" : link_prefix + hash;
        const std::wstring path = widen(fixture_path(file));
        const torrent_facts facts = torrent_inspect(path);
        EXPECT_EQ(torrent_has_video(path), video);
        EXPECT_EQ(facts.has_video, video);
        EXPECT_EQ(torrent_magnet_link(path), widen(link));
        EXPECT_EQ(facts.magnet_link, widen(link));

        // Cut short, the file answers only once its info dictionary is whole.
        const std::string bytes = read_file(fixture_path(file));
        const auto size = static_cast<long long>(bytes.size());
        ASSERT_FALSE(begin >= 0 && size < end);
        for (long long cut : {0LL, 1LL, begin - 1, begin, begin + 1, end - 1, end, end + 1, size - 1, size}) {
            if (cut < 0 || cut > size) continue;
            SCOPED_TRACE("cut at " + std::to_string(cut));
            const bool whole = begin >= 0 && cut >= end;
            expect_bytes(bytes.substr(0, static_cast<std::size_t>(cut)), whole && video, whole ? link : "");
        }
    }
    EXPECT_GE(rows, 25) << "manifest.tsv missing or short in " KP_TORRENT_FIXTURES;
}

TEST(torrent_test, single_file_names) {
    const struct {
        std::string name;  // bencoded
        bool video;
    } rows[] = {
        {bstr("film.mkv"), true},
        {bstr("film.MKV"), true},
        {bstr("notes.txt"), false},
        {bstr("README"), false},
        {bstr("film."), false},
        {bstr(""), false},
        {bstr(".mkv"), true},
        {bstr("film.mkv.txt"), false},
        {bstr("\xE7\x94\xB5\xE5\xBD\xB1.FLV"), true},
        {bstr(std::string("a\0.mkv", 6)), true},
        {bstr(std::string("a.mkv\0", 6)), false},
        {"08:film.mkv", true},  // leading zero in the length
        // Not strings: their text ends in "e", so ".mkve" is all a reader could take.
        {"i5e", false},
        {"l8:film.mkve", false},
        {"d1:x8:film.mkve", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string info = "d6:lengthi1e4:name" + r.name + "e";
        expect_bytes("d8:announce3:url4:info" + info + "e", r.video, link_of_bytes(info));
    }
}

std::string multi_file(const std::vector<std::string>& entries) {
    std::string files = "l";
    for (const std::string& e : entries) files += e;
    // The name would be a video: a "files" list always decides instead.
    return "d5:files" + files + "e4:name8:film.mkve";
}

TEST(torrent_test, multi_file_entries) {
    const struct {
        std::vector<std::string> entries;  // bencoded
        bool video;
    } rows[] = {
        {{"d4:pathl1:a10:readme.txtee", "d4:pathl1:a1:b8:clip.aviee"}, true},
        {{"d4:pathl8:film.avi1:xee"}, false},  // only the last element names the file
        {{"d4:pathl1:x8:film.MKVee"}, true},
        {{"d4:pathl5:a.txte4:pathl8:film.aviee"}, false},  // the first "path" counts
        {{"le", "i1e", "8:film.avi", "l4:pathl8:film.aviee"}, false},
        {{"d5:pathsl8:film.aviee"}, false},
    };
    for (const auto& r : rows) {
        const std::string info = multi_file(r.entries);
        SCOPED_TRACE(info);
        expect_bytes("d4:info" + info + "e", r.video, link_of_bytes(info));
    }
    // Every entry of the list, in either case, gets past the quick filter on file entries.
    for (std::size_t from = 0, end; (end = video_extensions.find(';', from)) != std::string_view::npos; from = end + 1) {
        std::string ext(video_extensions.substr(from, end - from));
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_TRUE(torrent_bytes_have_video("d4:info" + multi_file({"d4:pathl" + bstr("x" + ext) + "ee"}) + "e")) << ext;
            for (char& c : ext) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
    }
}

TEST(torrent_test, hostile_bytes) {
    const std::string deep = std::string(100000, 'l') + std::string(100000, 'e');
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"nesting past any sane depth", "d4:infod4:name8:film.mkv1:x" + deep + "ee"},
        {"a length past the end", "d4:infod4:name2147483647:film.mkvee"},
        {"a length past 32 bits", "d4:infod4:name99999999999:film.mkvee"},
        {"a negative key length", "d4:infod-4:name8:film.mkvee"},
        {"an integer past 64 bits", "d4:infod6:lengthi99999999999999999999e4:name8:film.mkvee"},
        {"an unclosed info", "d4:infod4:name8:film.mkv"},
        {"a key that is no string", "d4:infodi1e8:film.mkvee"},
        {"only a d", "d"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        expect_bytes(r.bytes, false, "");
    }
}

TEST(torrent_test, mutated_fixtures_never_give_a_malformed_link) {
    std::mt19937 rng(7);
    const std::string original = read_file(fixture_path("mktorrent_multi.torrent"));
    ASSERT_FALSE(original.empty());
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = original;
        for (int edits = 1 + static_cast<int>(rng() % 4); edits > 0 && !bytes.empty(); --edits) {
            const std::size_t at = rng() % bytes.size();
            switch (rng() % 3) {
                case 0: bytes[at] = static_cast<char>(rng()); break;
                case 1: bytes.erase(at, 1 + rng() % 8); break;
                default: bytes.insert(at, 1, "0123456789:ilde-+ "[rng() % 18]); break;
            }
        }
        const std::string link = torrent_bytes_magnet_link(bytes);
        if (!link.empty()) {
            ASSERT_EQ(link.size(), 60u);
            ASSERT_EQ(link.compare(0, link_prefix.size(), link_prefix), 0);
            ASSERT_EQ(link.find_first_not_of("0123456789ABCDEF", link_prefix.size()), std::string::npos);
        }
        torrent_bytes_have_video(bytes);
    }
}

TEST(torrent_test, paths_that_name_no_readable_torrent_or_too_big_a_one) {
    std::random_device seed;
    const fs::path dir = fs::temp_directory_path() / ("kp_torrent_test_" + std::to_string(seed()));
    fs::create_directories(dir / "folder.torrent");
    const fs::path source = fs::u8path(fixture_path("mktorrent_single.torrent"));
    const std::wstring link = torrent_magnet_link(source.wstring());
    ASSERT_FALSE(link.empty());
    const auto copy = [&](const char* name, std::uintmax_t size = 0) {
        fs::copy_file(source, dir / name);
        if (size != 0) fs::resize_file(dir / name, size);  // sparse: zero bytes the reader never reaches
        return (dir / name).wstring();
    };
    const struct {
        std::wstring path;
        bool video;
        bool link;
    } rows[] = {
        {L"", false, false},
        {(dir / "missing.torrent").wstring(), false, false},
        {(dir / "folder.torrent").wstring(), false, false},
        // The link does not care about the extension; the video check does.
        {copy("copy.bin"), false, true},
        {copy("copy.TORRENT"), true, true},
        {copy("at limit.torrent", torrent_size_limit), true, true},
        {copy("past limit.torrent", torrent_size_limit + 1), false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(fs::path(r.path).filename().string());
        const torrent_facts facts = torrent_inspect(r.path);
        EXPECT_EQ(torrent_has_video(r.path), r.video);
        EXPECT_EQ(facts.has_video, r.video);
        EXPECT_EQ(torrent_magnet_link(r.path), r.link ? link : L"");
        EXPECT_EQ(facts.magnet_link, r.link ? link : L"");
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

}  // namespace
