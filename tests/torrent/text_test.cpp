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
    const struct {
        std::string bytes;
        const char* hex;
    } rows[] = {
        {"", ""},
        {std::string("\x00", 1), "00"},
        // Every digit in both halves of a byte, high half first.
        {"\x01\x23\x45\x67\x89\xAB\xCD\xEF\xFE\xDC\xBA\x98\x76\x54\x32\x10", "0123456789ABCDEFFEDCBA9876543210"},
    };
    for (const auto& r : rows) EXPECT_EQ(hex_upper(r.bytes.data(), r.bytes.size()), r.hex);
    EXPECT_EQ(hex_upper(nullptr, 4), "");

    for (std::size_t capacity : {1, 2}) {
        char out[3] = {'x', 'x', 'x'};
        EXPECT_EQ(byte_to_hex(0xC3, out, capacity), capacity == 2);
        EXPECT_EQ(std::string(out, 3), capacity == 2 ? "C3x" : "xxx") << capacity;
    }
    EXPECT_FALSE(byte_to_hex(0xC3, nullptr, 8));
}

TEST(torrent_test, path_file_name_and_extension) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* extension;
        bool torrent;
    } rows[] = {
        {L"", L"", L"", false}, {L"plain", L"plain", L"", false}, {L"torrent", L"torrent", L"", false},
        {L"C:\\films\\Movie.TORRENT", L"Movie.TORRENT", L"TORRENT", true},
        {L"a.torrent\\b", L"b", L"", false}, {L"a.torrent/b", L"b", L"", false}, {L"dir.torrent/", L"", L"", false},
        // Whichever slash stands later ends the folders.
        {L"x/y\\z.ToRrEnT", L"z.ToRrEnT", L"ToRrEnT", true}, {L"x\\y/z.torrent", L"z.torrent", L"torrent", true},
        {L"a.torrent.txt", L"a.torrent.txt", L"txt", false}, {L"ends with dot.", L"ends with dot.", L"", false},
        {L".torrent", L".torrent", L"torrent", true}, {L"a.torrents", L"a.torrents", L"torrents", false},
        {L"a.torren", L"a.torren", L"torren", false},
        {L"\\\\server\\share\\电影.torrent", L"电影.torrent", L"torrent", true},
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
    const std::string others[] = {
        // Prefixes and extensions of entries, and text across the separators.
        ".rmv", ".mp", ".x", ".mkvx", ".mp4;", ";.mkv", ".ts;.asf", "mkv", ".webm",
        // The empty text after the last ";" is no entry, nor is a lone ".".
        "", ".", std::string(".mkv\0", 5),
        "\xEF\xBC\x8Emkv",  // a fullwidth full stop is not "."
    };
    for (const std::string& c : others) EXPECT_FALSE(is_video_extension(c)) << c;
}

TEST(torrent_test, utf8_to_wide_and_back) {
    const struct {
        const char* label;
        std::string utf8;
        std::wstring wide;
    } rows[] = {
        {"ascii", "magnet:?xt=urn:btih:0FA0", L"magnet:?xt=urn:btih:0FA0"},
        // A surrogate pair where wchar_t has 16 bits.
        {"lowest and highest of each length", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         L"\x7F\u0080\u07FF\u0800\uD7FF\uE000\U00010000\U0010FFFF"},
        {"byte-order mark kept", "\xEF\xBB\xBF" "a", L"\uFEFF" L"a"},
        {"nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        // Ill-formed input: one U+FFFD each, the valid text around it kept.
        {"stray bytes", "a\x80\xFF" "b", L"a\uFFFD\uFFFD" L"b"},
        {"cut before ascii", "\xE2\x82" "A", L"\uFFFD" L"A"},
        {"cut at the end", "\xC3\xA9\xF0\x9F\x98", L"\u00E9\uFFFD"},
        {"lead past U+10FFFF", "x\xF5\x80\x80\x80", L"x\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        std::wstring out = L"stale";
        utf8_to_wide(r.utf8.data(), r.utf8.size(), out);
        EXPECT_EQ(out, r.wide);
        if (out.find(L'\uFFFD') == std::wstring::npos) {
            EXPECT_EQ(wide_to_utf8(out), r.utf8);  // well-formed text comes back unchanged
        }
    }
    for (const char* data : {"abc", static_cast<const char*>(nullptr)}) {
        std::wstring out = L"stale";
        utf8_to_wide(data, data ? 0 : 3, out);
        EXPECT_EQ(out, L"");
    }
}

TEST(torrent_test, utf8_to_wide_rejects_overlong_surrogate_and_out_of_range_forms) {
    // Builds differ in how many U+FFFD such a form becomes; none may make a character of it
    // or swallow what follows.
    for (const std::string form : {"\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80"}) {
        SCOPED_TRACE(hex_upper(form.data(), form.size()));
        const std::string text = "<" + form + ">";
        std::wstring out;
        utf8_to_wide(text.data(), text.size(), out);
        ASSERT_GE(out.size(), 3u);
        EXPECT_EQ(out.front(), L'<');
        EXPECT_EQ(out.back(), L'>');
        EXPECT_EQ(out.find_first_not_of(L'\uFFFD', 1), out.size() - 1);
        EXPECT_LE(out.size() - 2, form.size());
    }
}

TEST(torrent_test, wide_to_utf8_unpaired_surrogates_and_values_past_unicode) {
    EXPECT_EQ(wide_to_utf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"a"), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(wide_to_utf8(L"a" + std::wstring(1, static_cast<wchar_t>(0xDFFF))), "a\xEF\xBF\xBD");
    if (sizeof(wchar_t) == 4) {
        EXPECT_EQ(wide_to_utf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
    }
}

}  // namespace
