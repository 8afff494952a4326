// Torrent inspection against fixtures whose expected results come from other tools
// (make_fixtures.py), and tables of hand-written torrents.
#include "bencoding/file_read.h"
#include "bencoding/hex.h"
#include "bencoding/sha1.h"
#include "bencoding/text.h"
#include "bencoding/torrent.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

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

std::string read_fixture(const std::string& file) {
    std::ifstream in(fs::u8path(fixture_path(file)), std::ios::binary);
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

void expect_path(const std::wstring& path, bool video, const std::wstring& link) {
    const torrent_facts facts = torrent_inspect(path);
    EXPECT_EQ(torrent_has_video(path), video);
    EXPECT_EQ(torrent_magnet_link(path), link);
    EXPECT_TRUE(facts.has_video == video && facts.magnet_link == link);
}

TEST(torrent_test, fixtures_match_independent_tools) {
    std::istringstream manifest(read_fixture("manifest.tsv"));
    int rows = 0;
    for (std::string line; std::getline(manifest, line); ++rows) {
        // file, has video, v1 info-hash or "-", where the info dictionary begins and ends or -1
        std::string file, hash;
        bool video = false;
        long long begin = -1, end = -1;
        std::istringstream fields(line);
        ASSERT_TRUE(std::getline(fields, file, '\t') >> video >> hash >> begin >> end) << line;
        SCOPED_TRACE(file);
        const std::string link = hash == "-" ? "" : link_prefix + hash;
        expect_path(widen(fixture_path(file)), video, widen(link));

        // Cut short, the file answers only once its info dictionary is whole.
        const std::string bytes = read_fixture(file);
        const auto size = static_cast<long long>(bytes.size());
        for (long long cut : {0LL, begin - 1, begin, end - 1, end, size - 1}) {
            if (cut < 0 || cut > size) continue;
            const bool whole = begin >= 0 && cut >= end;
            expect_bytes(bytes.substr(0, static_cast<std::size_t>(cut)), whole && video, whole ? link : "");
        }
    }
    EXPECT_GE(rows, 32) << "manifest.tsv missing or short in " KP_TORRENT_FIXTURES;
}

// An info dictionary with these file entries, and a name that would be a video: a "files"
// list always decides instead.
std::string files(const std::vector<std::string>& entries) {
    std::string info = "d5:filesl";
    for (const std::string& e : entries) info += e;
    return info + "e4:name8:film.mkve";
}

TEST(torrent_test, hand_written_info_dictionaries) {
    const auto name = [](const std::string& bencoded) { return "d6:lengthi1e4:name" + bencoded + "e"; };
    const std::string deep = std::string(100000, 'l') + std::string(100000, 'e');
    const struct {
        std::string info;
        bool video;
        bool link = true;  // false: no usable dictionary, so no link
    } rows[] = {
        {name(bstr("film.mkv")), true}, {name(bstr(".mkv")), true}, {name(bstr("README")), false},
        {name(bstr("film.")), false}, {name(bstr("film.mkv.txt")), false},
        {name(bstr("\xE7\x94\xB5\xE5\xBD\xB1.FLV")), true},
        {name(bstr(std::string("a\0.mkv", 6))), true}, {name(bstr(std::string("a.mkv\0", 6))), false},
        // Not strings: their text ends in "e", so ".mkve" is all a reader could take.
        {name("i5e"), false}, {name("l8:film.mkve"), false},
        {files({"d4:pathl1:a10:readme.txtee", "d4:pathl1:a1:b8:clip.aviee"}), true},
        {files({"d4:pathl8:film.avi1:xee"}), false},  // only the last element names the file
        {files({"d4:pathl5:a.txte4:pathl8:film.aviee"}), false},  // the first "path" counts
        {files({"le", "i1e", "8:film.avi", "l4:pathl8:film.aviee", "d4:pathl8:film.avild1:xi1eeeee"}), false},
        {"d5:filesle5:filesld4:pathl5:x.mkveee4:name5:y.mkve", false},  // the first "files" counts
        // v2 only ("meta version" 2, no "pieces"): its SHA-1 names no swarm. Hybrids keep their v1 link.
        {"d12:meta versioni2e4:name8:film.mkve", false, false},
        {"d12:meta versioni2e4:name8:film.mkv6:pieces0:e", true},
        {"d12:meta versioni1e4:name8:film.mkve", true}, {"d12:meta version1:24:name8:film.mkve", true},
        // Hostile: none may crash, hang or allocate without bound.
        {"d4:name8:film.mkv1:x" + deep + "e", false, false}, {"di1e8:film.mkve", false, false},
        {"d4:name2147483647:film.mkve", false, false}, {"d-4:name8:film.mkve", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.info.substr(0, 80));
        expect_bytes("d8:announce3:url4:info" + r.info + "e", r.video, r.link ? link_of_bytes(r.info) : "");
    }
    // Every entry of the list, in either case, names a video in a file entry.
    for (std::size_t from = 0, end; (end = video_extensions.find(';', from)) != std::string_view::npos; from = end + 1) {
        std::string ext(video_extensions.substr(from, end - from));
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_TRUE(torrent_bytes_have_video("d4:info" + files({"d4:pathl" + bstr("x" + ext) + "ee"}) + "e")) << ext;
            for (char& c : ext) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
    }
}

// A scratch folder for copies of one fixture; removed again at the end.
struct scratch {
    scratch() { fs::create_directories(dir / "folder.torrent"); }
    ~scratch() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::wstring copy(const std::string& name, std::uintmax_t size = 0) const {
        fs::copy_file(source, dir / name);
        if (size != 0) fs::resize_file(dir / name, size);
        return (dir / name).wstring();
    }
    const fs::path dir = fs::temp_directory_path() / ("kp_torrent_test_" + std::to_string(std::random_device()()));
    const fs::path source = fs::u8path(fixture_path("mktorrent_single.torrent"));
    const std::wstring link = torrent_magnet_link(source.wstring());
};

TEST(torrent_test, paths_that_name_no_readable_torrent_and_the_size_bound) {
    const scratch files;
    ASSERT_FALSE(files.link.empty());
    const struct {
        std::wstring path;
        bool video, link;
    } rows[] = {
        {L"", false, false},
        {(files.dir / "missing.torrent").wstring(), false, false},
        {(files.dir / "folder.torrent").wstring(), false, false},
        {files.copy("copy.bin"), false, true},  // the link does not care about the extension
        {files.copy("copy.TORRENT"), true, true},
    };
    for (const auto& r : rows) expect_path(r.path, r.video, r.link ? files.link : L"");

    const std::string whole = read_fixture("mktorrent_single.torrent");
    const std::wstring sparse = files.copy("sparse.torrent", 200000);  // past 64 KiB: the buffer grows
    const struct {
        std::wstring path;
        std::size_t limit;
        std::size_t size;  // 0: too large
    } bounds[] = {{rows[4].path, whole.size(), whole.size()}, {rows[4].path, whole.size() - 1, 0},
                  {sparse, 200000, 200000}, {sparse, 199999, 0}};
    for (const auto& b : bounds) {
        file_bytes bytes;
        EXPECT_EQ(read_file_bounded(b.path, b.limit, bytes), b.size ? file_read_result::ok : file_read_result::too_large);
        EXPECT_EQ(bytes.size, b.size) << b.limit;
    }
}

#ifdef _WIN32
TEST(torrent_test, files_held_open_by_a_writer_and_long_paths_are_read) {
    const scratch files;
    // A download still open in the program that wrote it, sharing reading as browsers do.
    const std::wstring held = files.copy("held.torrent");
    HANDLE writer = CreateFileW(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    expect_path(held, true, files.link);
    CloseHandle(writer);
    // A path of 300 characters, made and removed through its \\?\ form.
    std::wstring path = files.dir.wstring();
    std::vector<std::wstring> made;
    while (path.size() < 280) {
        path += L"\\" + std::wstring(40, L'd');
        made.push_back(path);
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr));
    }
    path += L"\\long.torrent";
    ASSERT_TRUE(CopyFileW(files.source.wstring().c_str(), (L"\\\\?\\" + path).c_str(), FALSE));
    expect_path(path, true, files.link);
    DeleteFileW((L"\\\\?\\" + path).c_str());
    for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
}
#endif

}  // namespace
