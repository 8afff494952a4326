// Torrent inspection against fixtures whose expected results come from other tools
// (make_fixtures.py), and tables of hand-written torrents.
#include "big_file.h"

#include "bencoding/hex.h"
#include "bencoding/sha1.h"
#include "bencoding/text.h"
#include "bencoding/torrent.h"

#include <gtest/gtest.h>

#include <algorithm>
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

struct fixture {
    std::string file;
    bool video = false;
    std::string hash;  // "-" for none
    long long begin = -1, end = -1;
};

std::vector<fixture> load_manifest() {
    std::ifstream in(KP_TORRENT_FIXTURES "/manifest.tsv", std::ios::binary);
    std::vector<fixture> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        fixture f;
        int video = 0;
        std::getline(fields, f.file, '\t');
        fields >> video >> f.hash >> f.begin >> f.end;
        f.video = video != 0;
        rows.push_back(f);
    }
    return rows;
}

std::wstring fixture_path(const std::string& file) { return widen(KP_TORRENT_FIXTURES "/" + file); }

std::string read_fixture(const std::string& file) {
    std::ifstream in(KP_TORRENT_FIXTURES "/" + file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string expected_link(const fixture& f) { return f.hash == "-" ? std::string() : link_prefix + f.hash; }

std::string link_of_bytes(std::string_view info) {
    unsigned char digest[20] = {};
    sha1_digest(info.data(), info.size(), digest);
    return link_prefix + hex_upper(digest, 20);
}

std::string bstr(const std::string& s) { return std::to_string(s.size()) + ":" + s; }

// A scratch folder of our own, removed at the end of the test.
struct scratch_dir {
    fs::path path;
    scratch_dir() {
        std::random_device seed;
        path = fs::temp_directory_path() / ("kp_torrent_test_" + std::to_string(seed()));
        fs::create_directories(path);
    }
    ~scratch_dir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::wstring write(const std::string& name, const std::string& bytes) const {
        const fs::path file = path / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.wstring();
    }
};

TEST(torrent_test, fixtures_match_independent_tools) {
    const std::vector<fixture> rows = load_manifest();
    ASSERT_GE(rows.size(), 25u) << "manifest.tsv missing or short in " KP_TORRENT_FIXTURES;
    for (const fixture& f : rows) {
        const std::wstring path = fixture_path(f.file);
        EXPECT_EQ(torrent_has_video(path), f.video) << f.file;
        EXPECT_EQ(torrent_magnet_link(path), widen(expected_link(f))) << f.file;
        const torrent_facts facts = torrent_inspect(path);
        EXPECT_EQ(facts.has_video, f.video) << f.file;
        EXPECT_EQ(facts.magnet_link, widen(expected_link(f))) << f.file;
    }
}

TEST(torrent_test, cut_short_fixtures_keep_only_a_complete_info) {
    for (const fixture& f : load_manifest()) {
        // The copy under a non-ASCII name: narrow file streams cannot open it on Windows.
        if (std::any_of(f.file.begin(), f.file.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) continue;
        const std::string bytes = read_fixture(f.file);
        ASSERT_FALSE(f.hash != "-" && bytes.empty()) << f.file;
        std::vector<long long> cuts = {0, 1, static_cast<long long>(bytes.size()) - 1};
        if (f.begin >= 0) cuts.insert(cuts.end(), {f.begin - 1, f.begin, f.begin + 1, f.end - 1, f.end, f.end + 1});
        for (long long cut : cuts) {
            if (cut < 0 || cut > static_cast<long long>(bytes.size())) continue;
            const std::string_view part(bytes.data(), static_cast<std::size_t>(cut));
            const bool complete = f.begin >= 0 && cut >= f.end;
            EXPECT_EQ(torrent_bytes_magnet_link(part), complete ? expected_link(f) : "") << f.file << " cut at " << cut;
            EXPECT_EQ(torrent_bytes_have_video(part), complete && f.video) << f.file << " cut at " << cut;
        }
    }
}

TEST(torrent_test, single_file_names) {
    struct row {
        std::string name;  // bencoded
        bool video;
    };
    const row rows[] = {
        {bstr("film.mkv"), true},
        {bstr("film.MKV"), true},
        {bstr("Film.Mp4"), true},
        {bstr("notes.txt"), false},
        {bstr("clip.mp"), false},
        {bstr("README"), false},
        {bstr("film."), false},
        {bstr("."), false},
        {bstr(""), false},
        {bstr(".mkv"), true},
        {bstr("a.b.avi"), true},
        {bstr("film.mkv.txt"), false},
        {bstr("film.mp4e"), false},
        {bstr("x.Rm"), true},
        {bstr("x.rmv"), false},
        {bstr("\xE7\x94\xB5\xE5\xBD\xB1.FLV"), true},
        {bstr(std::string("a\0.mkv", 6)), true},
        {bstr(std::string("a.mkv\0", 6)), false},
        {"08:film.mkv", true},  // leading zero in the length
        {"i5e", false},
        {"l8:film.mkve", false},  // written as l8:film.mkve: ".mkve" is no entry
        {"d1:x8:film.mkve", false},
        {"le", false},
    };
    for (const row& r : rows) {
        const std::string info = "d6:lengthi1e4:name" + r.name + "e";
        const std::string file = "d8:announce3:url4:info" + info + "e";
        EXPECT_EQ(torrent_bytes_have_video(file), r.video) << r.name;
        EXPECT_EQ(torrent_bytes_magnet_link(file), link_of_bytes(info)) << r.name;
    }
}

TEST(torrent_test, multi_file_entries) {
    struct row {
        std::vector<std::string> entries;  // bencoded
        bool video;
    };
    const row rows[] = {
        {{"d4:pathl1:a10:readme.txtee", "d4:pathl1:a1:b8:clip.aviee"}, true},
        {{}, false},
        {{"d4:pathl8:film.aviee"}, true},
        {{"d4:pathl8:film.avi1:xee"}, false},  // only the last element names the file
        {{"d4:pathl1:x8:film.MKVee"}, true},
        {{"d4:pathlee", "d4:path8:film.avie", "d6:lengthi1ee"}, false},
        {{"d4:pathlee", "d4:pathl8:film.aviee"}, true},
        {{"d4:pathl5:a.txte4:pathl8:film.aviee"}, false},  // the first "path" counts
        {{"le", "i1e", "8:film.avi", "l4:pathl8:film.aviee"}, false},
        {{"d4:pathll8:film.avieee"}, false},
        {{"d5:pathsl8:film.aviee"}, false},
    };
    for (const row& r : rows) {
        std::string files = "l";
        for (const std::string& e : r.entries) files += e;
        files += "e";
        // The name would be a video: a "files" list always decides instead.
        const std::string info = "d5:files" + files + "4:name8:film.mkve";
        const std::string file = "d4:info" + info + "e";
        EXPECT_EQ(torrent_bytes_have_video(file), r.video) << files;
        EXPECT_EQ(torrent_bytes_magnet_link(file), link_of_bytes(info)) << files;
    }
}

TEST(torrent_test, hostile_bytes) {
    struct row {
        const char* what;
        std::string bytes;
    };
    const std::string deep = std::string(100000, 'l') + std::string(100000, 'e');
    const row rows[] = {
        {"nesting past any sane depth", "d4:infod4:name8:film.mkv1:x" + deep + "ee"},
        {"a length past the end", "d4:infod4:name2147483647:film.mkvee"},
        {"a length past 32 bits", "d4:infod4:name99999999999:film.mkvee"},
        {"a negative key length", "d4:infod-4:name8:film.mkvee"},
        {"an integer past 64 bits", "d4:infod6:lengthi99999999999999999999e4:name8:film.mkvee"},
        {"an unclosed info", "d4:infod4:name8:film.mkv"},
        {"a key that is no string", "d4:infodi1e8:film.mkvee"},
        {"only a d", "d"},
    };
    for (const row& r : rows) {
        EXPECT_FALSE(torrent_bytes_have_video(r.bytes)) << r.what;
        EXPECT_EQ(torrent_bytes_magnet_link(r.bytes), "") << r.what;
    }
}

TEST(torrent_test, mutated_fixtures_never_give_a_malformed_link) {
    std::mt19937 rng(7);
    const std::string original = read_fixture("mktorrent_multi.torrent");
    ASSERT_FALSE(original.empty());
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = original;
        for (int edits = 1 + static_cast<int>(rng() % 4); edits > 0; --edits) {
            const std::size_t at = rng() % bytes.size();
            switch (rng() % 3) {
                case 0: bytes[at] = static_cast<char>(rng()); break;
                case 1: bytes.erase(at, 1 + rng() % 8); break;
                default: bytes.insert(at, 1, "0123456789:ilde-+ "[rng() % 18]); break;
            }
            if (bytes.empty()) bytes = "d";
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

TEST(torrent_test, paths_that_name_no_readable_torrent) {
    scratch_dir dir;
    const std::string torrent = read_fixture("libtorrent_single.torrent");
    ASSERT_FALSE(torrent.empty());
    fs::create_directories(dir.path / "folder.torrent");
    struct row {
        std::wstring path;
        bool video;
        bool link;
    };
    const row rows[] = {
        {L"", false, false},
        {(dir.path / "missing.torrent").wstring(), false, false},
        {(dir.path / "folder.torrent").wstring(), false, false},
        // The link does not care about the extension; the video check does.
        {dir.write("copy.bin", torrent), false, true},
        {dir.write("copy.TORRENT", torrent), true, true},
        {dir.write("copy.torrent.part", torrent), false, true},
    };
    for (const row& r : rows) {
        EXPECT_EQ(torrent_has_video(r.path), r.video) << fs::path(r.path).string();
        const std::wstring link = torrent_magnet_link(r.path);
        EXPECT_EQ(!link.empty(), r.link) << fs::path(r.path).string();
        if (r.link) {
            EXPECT_EQ(link, torrent_magnet_link(fixture_path("libtorrent_single.torrent")));
        }
        const torrent_facts facts = torrent_inspect(r.path);
        EXPECT_EQ(facts.has_video, r.video);
        EXPECT_EQ(facts.magnet_link, link);
    }
}

TEST(torrent_test, size_limit_is_inclusive) {
    scratch_dir dir;
    const std::string torrent = read_fixture("mktorrent_single.torrent");
    ASSERT_FALSE(torrent.empty());
    const std::wstring expected = torrent_magnet_link(fixture_path("mktorrent_single.torrent"));
    ASSERT_FALSE(expected.empty());
    struct row {
        std::uint64_t size;
        bool inspected;
    };
    const row rows[] = {{torrent_size_limit, true}, {torrent_size_limit + 1, false}};
    for (const row& r : rows) {
        // The torrent at the start, then zero bytes the reader never reaches.
        const std::wstring path = dir.write("big " + std::to_string(r.size) + ".torrent", torrent);
        ASSERT_TRUE(extend_file(path, r.size)) << "could not grow a file to " << r.size << " bytes";
        ASSERT_EQ(fs::file_size(fs::path(path)), r.size);
        EXPECT_EQ(torrent_has_video(path), r.inspected) << r.size;
        EXPECT_EQ(torrent_magnet_link(path), r.inspected ? expected : L"") << r.size;
        fs::remove(fs::path(path));
    }
}

}  // namespace
