// Hex text, path routines, the video extension rule and UTF-8 conversion, as tables.
#include "bencoding/hex.h"
#include "bencoding/path.h"
#include "bencoding/text.h"
#include "bencoding/torrent.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace zv::encoding::bencoding;

TEST(torrent_test, hex) {
    // Every digit in both halves of a byte, high half first.
    EXPECT_EQ(hex_upper("\x01\x23\x45\x67\x89\xAB\xCD\xEF\xFE\xDC\xBA\x98\x76\x54\x32\x10", 16),
              "0123456789ABCDEFFEDCBA9876543210");
    EXPECT_EQ(hex_upper(nullptr, 4), "");
    char out[3] = {'x', 'x', 'x'};
    EXPECT_FALSE(byte_to_hex(0xC3, out, 1));
    EXPECT_TRUE(byte_to_hex(0xC3, out, 2));
    EXPECT_EQ(std::string(out, 3), "C3x");
}

TEST(torrent_test, path_file_name_and_extension) {
    const struct {
        const wchar_t *path, *name, *extension;
        bool torrent;
    } rows[] = {
        {L"", L"", L"", false}, {L"torrent", L"torrent", L"", false},
        {L"C:\\films\\Movie.TORRENT", L"Movie.TORRENT", L"TORRENT", true},
        {L"a.torrent\\b", L"b", L"", false}, {L"dir.torrent/", L"", L"", false},
        // Whichever slash stands later ends the folders.
        {L"x/y\\z.ToRrEnT", L"z.ToRrEnT", L"ToRrEnT", true}, {L"x\\y/z.torrent", L"z.torrent", L"torrent", true},
        {L"a.torrent.txt", L"a.torrent.txt", L"txt", false}, {L".torrent", L".torrent", L"torrent", true},
        {L"a.torrents", L"a.torrents", L"torrents", false},
        // Only ASCII letters fold: U+FF34 is a fullwidth T, U+0154 ends in the byte of "T".
        {L"a.\uFF34ORRENT", L"a.\uFF34ORRENT", L"\uFF34ORRENT", false},
        {L"a.\u0154ORRENT", L"a.\u0154ORRENT", L"\u0154ORRENT", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(wide_to_utf8(r.path));
        EXPECT_EQ(path_file_name(r.path), r.name);
        EXPECT_EQ(path_extension(r.path), r.extension);
        EXPECT_EQ(is_torrent_path(r.path), r.torrent);
    }
}

TEST(torrent_test, video_extension_matches_whole_entries_only) {
    // Peers spell the list exactly so; every entry, in either case, is checked with the torrent tests.
    EXPECT_EQ(video_extensions, ".rmvb;.rm;.wmv;.mp4;.avi;.mkv;.ts;.asf;.mpg;.mov;.3gp;.mpeg;.m4v;.vob;.flv;.xv;");
    // Prefixes of entries, text across the separators, a lone ".", a fullwidth full stop.
    for (const std::string c : {".rmv", ".mp", ".mkvx", ".mp4;", ".ts;.asf", "mkv", "", ".", "\xEF\xBC\x8Emkv"})
        EXPECT_FALSE(is_video_extension(c)) << c;
}

TEST(torrent_test, utf8_to_wide_and_back) {
    const struct {
        std::string utf8;
        std::wstring wide;
    } rows[] = {
        // The lowest and highest of each length; a surrogate pair where wchar_t has 16 bits.
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         L"\x7F\u0080\u07FF\u0800\uD7FF\uE000\U00010000\U0010FFFF"},
        {std::string("\xEF\xBB\xBF" "a\0b", 6), std::wstring(L"\uFEFF" L"a\0b", 4)},
        // Ill-formed input: U+FFFD, the valid text around it kept.
        {"a\x80\xFF" "b", L"a\uFFFD\uFFFD" L"b"}, {"\xE2\x82" "A", L"\uFFFD" L"A"}, {"\xC3\xA9\xF0\x9F\x98", L"\u00E9\uFFFD"},
    };
    for (const auto& r : rows) {
        std::wstring out = L"stale";
        utf8_to_wide(r.utf8.data(), r.utf8.size(), out);
        EXPECT_EQ(out, r.wide);
        if (out.find(L'\uFFFD') == std::wstring::npos) {
            EXPECT_EQ(wide_to_utf8(out), r.utf8);
        }
    }
    std::wstring out = L"stale";
    utf8_to_wide(nullptr, 3, out);
    EXPECT_EQ(out, L"");
    // Overlong, surrogate and out-of-range forms: builds differ in how many U+FFFD they give,
    // but none makes a character or swallows what follows.
    for (const std::string form : {"\xC1\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80"}) {
        utf8_to_wide(("<" + form + ">").data(), form.size() + 2, out);
        EXPECT_TRUE(out.size() >= 3 && out.front() == L'<' && out.back() == L'>' &&
                    out.find_first_not_of(L'\uFFFD', 1) == out.size() - 1)
            << hex_upper(form.data(), form.size());
    }
    EXPECT_EQ(wide_to_utf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"a"), "\xEF\xBF\xBD" "a");
}

}  // namespace
