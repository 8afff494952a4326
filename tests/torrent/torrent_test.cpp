// Torrent inspection against fixtures whose expected results come from other tools
// (make_fixtures.py) and against hand-written torrents; SHA-1, paths and UTF-8 as tables.
#include "bencoding/file_read.h"
#include "bencoding/hex.h"
#include "bencoding/path.h"
#include "bencoding/sha1.h"
#include "bencoding/text.h"
#include "bencoding/torrent.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace zv::encoding::bencoding;
namespace fs = std::filesystem;
using namespace std::string_literals;
using kp_test::Widen;

const std::string link_prefix = "magnet:?xt=urn:btih:";

std::string fixture_path(const std::string& file) { return KP_TORRENT_FIXTURES "/" + file; }

std::string read_fixture(const std::string& file) {
    std::ifstream in(fs::u8path(fixture_path(file)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void expect_path(const std::wstring& path, bool video, const std::wstring& link) {
    EXPECT_EQ(torrent_has_video(path), video);
    EXPECT_TRUE(torrent_inspect(path).has_video == video && torrent_inspect(path).magnet_link == link);
}

// Files cut short: the fuzzer's, and here the fixtures hand_cut_in_info and hand_cut_after_info.
TEST(torrent_test, fixtures_match_independent_tools) {
    std::istringstream manifest(read_fixture("manifest.tsv"));
    int rows = 0;
    for (std::string line; std::getline(manifest, line); ++rows) {
        // file, has video, v1 info-hash or "-" (then where the info dictionary begins and ends)
        std::string file, hash;
        bool video = false;
        std::istringstream fields(line);
        ASSERT_TRUE(std::getline(fields, file, '\t') >> video >> hash) << line;
        SCOPED_TRACE(file);
        expect_path(Widen(fixture_path(file)), video, Widen(hash == "-" ? "" : link_prefix + hash));
    }
    EXPECT_GE(rows, 32) << "manifest.tsv missing or short in " KP_TORRENT_FIXTURES;
}

// A torrent round a hand-written info dictionary: video or not, and linked by its hash or not at all.
void expect_info(const std::string& info, bool video, bool linked) {
    SCOPED_TRACE(info.substr(0, 80));
    unsigned char digest[20] = {};
    sha1_digest(info.data(), info.size(), digest);
    const std::string file = "d8:announce3:url4:info" + info + "e";
    EXPECT_EQ(torrent_bytes_have_video(file), video);
    EXPECT_EQ(torrent_bytes_magnet_link(file), linked ? link_prefix + hex_upper(digest, 20) : "");
}

TEST(torrent_test, the_name_or_the_last_path_element_makes_a_video_and_hostile_info_no_link) {
    const auto name = [](const std::string& n) { return "d6:lengthi1e4:name" + std::to_string(n.size()) + ":" + n + "e"; };
    // A "files" list decides instead of a name that would be a video.
    const auto files = [](const std::string& entries) { return "d5:filesl" + entries + "e4:name8:film.mkve"; };
    const struct row { std::string info; bool video, linked = true; } rows[] = {
        {name("."), false}, {name("mkv"), false}, {name("film.mkv.txt"), false}, {name("a\0.mkv"s), true},
        {name("a.mkv\0"s), false},
        {files("d4:pathl8:film.avi1:xee"), false},               // only the last element names the file
        {files("d4:pathl5:a.txte4:pathl8:film.aviee"), false},   // the first "path" counts
        // Only an integer "meta version" 2 without "pieces" is v2-only (the fixtures hold both kinds).
        {"d12:meta versioni1e4:name8:film.mkve", true}, {"d12:meta version1:24:name8:film.mkve", true},
        // Hostile ones give no link, and none may crash, hang or allocate without bound.
        {"d4:name8:film.mkv1:x" + std::string(100000, 'l') + std::string(100000, 'e') + "e", false, false},
        {"di1e8:film.mkve", false, false}, {"d4:name2147483647:film.mkve", false, false},
        {"d-4:name8:film.mkve", false, false},
    };
    for (const row& r : rows) expect_info(r.info, r.video, r.linked);
}

// A scratch folder for copies of one fixture; removed again at the end.
struct scratch {
    scratch() { fs::create_directories(dir / "folder.torrent"); }
    ~scratch() { std::error_code ignored; fs::remove_all(dir, ignored); }
    std::wstring copy(const std::string& name) const {
        fs::copy_file(source, dir / name);
        return (dir / name).wstring();
    }
    const fs::path dir = fs::temp_directory_path() / ("kp_torrent_test_" + std::to_string(std::random_device()()));
    const fs::path source = fs::u8path(fixture_path("mktorrent_single.torrent"));
    const std::wstring link = torrent_magnet_link(source.wstring());
};

// Why a drop leaves each file out. A name that is no torrent's is decided before any open:
// one whose file does not exist is not "unreadable".
TEST(torrent_test, the_drop_rule_gives_its_reason) {
    const scratch files;
    ASSERT_FALSE(files.link.empty());
    const fs::path huge = files.dir / "huge.torrent";
    std::ofstream(huge).close(), fs::resize_file(huge, torrent_size_limit + 1);  // sparse: nothing is written
    const auto fixture = [](const char* name) { return Widen(fixture_path(name)); };
    const struct row { std::wstring path; drop_verdict verdict; std::wstring link; } rows[] = {
        {files.copy("Film.TORRENT"), drop_verdict::link, files.link},
        {files.copy("copy.bin"), drop_verdict::not_torrent_name, L""},
        {(files.dir / "absent.mkv").wstring(), drop_verdict::not_torrent_name, L""},
        {(files.dir / "absent.torrent").wstring(), drop_verdict::unreadable, L""},
        {(files.dir / "folder.torrent").wstring(), drop_verdict::unreadable, L""},
        {huge.wstring(), drop_verdict::too_big, L""},
        {fixture("hand_not_bencode.torrent"), drop_verdict::not_bencode, L""}, {fixture("hand_cut_in_info.torrent"), drop_verdict::not_bencode, L""},
        {fixture("hand_root_list.torrent"), drop_verdict::no_info, L""}, {fixture("hand_info_string.torrent"), drop_verdict::no_info, L""},
        {fixture("libtorrent_v2_only.torrent"), drop_verdict::v2_only, L""},
        {fixture("mktorrent_no_video.torrent"), drop_verdict::no_video,
         Widen(link_prefix + "FE7582EEFC598B2FC536BC1BEA85AAA1FFE97BFE")},
    };
#ifdef _WIN32
    // A download still open in the program that wrote it, sharing reading as browsers do.
    const std::unique_ptr<void, decltype(&CloseHandle)> writer(
        CreateFileW(rows[0].path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr), CloseHandle);
    ASSERT_NE(writer.get(), INVALID_HANDLE_VALUE);
#endif
    torrent_reader reader;
    for (const row& r : rows) {
        const dropped_file dropped = reader.judge(r.path);
        EXPECT_TRUE(dropped.verdict == r.verdict && dropped.magnet_link == r.link)
            << drop_verdict_text(dropped.verdict) << " for " << wide_to_utf8(r.path);
    }
    EXPECT_EQ(reader.judge(rows[0].path).name, L"Film.TORRENT");
    // The tool's exit code: whether the file reads, whatever its name.
    EXPECT_TRUE(torrent_inspect(rows[1].path).readable && !torrent_inspect(rows[2].path).readable &&
                !torrent_inspect(rows[4].path).readable);
    expect_path(rows[1].path, false, files.link);  // the link alone does not care about the name

    const std::size_t size = read_fixture("mktorrent_single.torrent").size();
    for (const std::size_t limit : {size, size - 1}) {
        file_bytes bytes;
        const bool fits = limit == size;
        EXPECT_EQ(read_file_bounded(rows[0].path, limit, bytes), fits ? file_read_result::ok : file_read_result::too_large);
        EXPECT_EQ(bytes.size, fits ? size : 0) << limit;
    }
}

// Fed in three pieces, cut at a and b (b >= a), on `engine`.
std::string digest_hex(const std::string& data, sha1_engine engine, std::size_t a, std::size_t b) {
    unsigned char out[20] = {};
    sha1_context ctx;
    sha1_init(ctx, engine);
    sha1_update(ctx, data.data(), a);
    sha1_update(ctx, data.data() + a, b - a);
    sha1_update(ctx, data.data() + b, data.size() - b);
    sha1_final(ctx, out);
    return hex_upper(out, sizeof out);
}

TEST(torrent_test, sha1_vectors_and_every_length_on_every_engine) {
    // Every length across the padding boundaries against hashlib's digests, then FIPS 180-1
    // appendix C's million, long enough for many direct blocks.
    struct row { std::string message, digest; };
    std::vector<row> rows;
    std::istringstream lengths(read_fixture("sha1_lengths.tsv"));
    std::size_t n = 0;
    for (std::string digest; lengths >> n >> digest;) {
        std::string m(n, '\0');
        for (std::size_t i = 0; i < n; ++i) m[i] = static_cast<char>(7 * i + 1);
        rows.push_back({m, digest});
    }
    ASSERT_EQ(rows.size(), 301u) << "sha1_lengths.tsv missing or short";
    rows.push_back({std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"});
    for (sha1_engine e : {sha1_engine::portable, sha1_engine::sha_ni}) {
        if (!sha1_engine_available(e)) continue;
        for (const row& r : rows)
            for (std::size_t a : {std::size_t{0}, r.message.size() / 3, r.message.size()})  // buffered and direct blocks mix
                EXPECT_EQ(digest_hex(r.message, e, a, (a + r.message.size()) / 2), r.digest) << int(e) << " " << r.message.size() << "/" << a;
    }
    sha1_context ctx;
    sha1_init(ctx, sha1_engine::portable);
    ctx.count_low = 0xFFFFFFC0u;  // as if 4 GiB less one block had been hashed
    sha1_update(ctx, std::string(96, 'x').data(), 96);
    EXPECT_TRUE(ctx.count_high == 1u && ctx.count_low == 32u) << "the count carries past 32 bits";
}

TEST(torrent_test, torrent_paths_and_utf8_to_wide) {
    for (const wchar_t* path : {L"C:\\x\\M.TORRENT", L"x/y\\z.ToRrEnT", L"x\\y/z.torrent"}) EXPECT_TRUE(is_torrent_path(path)) << path;
    for (const wchar_t* path : {L"a.torrent\\b", L"a.torrents", L"a.\uFF34ORRENT"}) EXPECT_FALSE(is_torrent_path(path)) << path;
    const struct row { std::string utf8; std::wstring wide; } rows[] = {
        // The lowest and highest of each length; a surrogate pair where wchar_t has 16 bits.
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         L"\x7F\u0080\u07FF\u0800\uD7FF\uE000\U00010000\U0010FFFF"},
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        // Ill-formed input: U+FFFD, the valid text around it kept.
        {"a\x80\xFF" "b", L"a\uFFFD\uFFFD" L"b"}, {"\xE2\x82" "A", L"\uFFFD" L"A"}, {"\xC3\xA9\xF0\x9F\x98", L"\u00E9\uFFFD"},
    };
    for (const row& r : rows) {
        std::wstring out = L"stale";
        utf8_to_wide(r.utf8.data(), r.utf8.size(), out);
        EXPECT_EQ(out, r.wide) << testing::PrintToString(r.utf8);
        if (out.find(L'\uFFFD') == std::wstring::npos) { EXPECT_EQ(wide_to_utf8(out), r.utf8); }
    }
    // Just outside each narrowed second-byte range nothing decodes; how many U+FFFD is the platform's affair.
    const std::wstring out = Widen("\xC1\xBF\xE0\x9F\xBF\xED\xA0\x80\xF0\x8F\xBF\xBF\xF4\x90\x80\x80");
    EXPECT_TRUE(!out.empty() && out.find_first_not_of(L'\uFFFD') == std::wstring::npos);
}

}  // namespace
