// Hex text, path routines, the video extension rule and UTF-8 conversion, as tables.
#include "bencoding/hex.h"
#include "bencoding/path.h"
#include "bencoding/text.h"
#include "bencoding/torrent.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace zv::encoding::bencoding;

TEST(torrent_test, hex_upper_table) {
    struct row {
        std::string bytes;
        const char* hex;
    };
    const row rows[] = {
        {std::string("\x0F\xA0", 2), "0FA0"},
        {std::string("\x00", 1), "00"},
        {std::string("\xFF\x10\x09", 3), "FF1009"},
        {"", ""},
    };
    for (const row& r : rows) EXPECT_EQ(hex_upper(r.bytes.data(), r.bytes.size()), r.hex);
    EXPECT_EQ(hex_upper(nullptr, 4), "");

    // Every byte value: two digits from the upper-case table, high half first.
    const char* digits = "0123456789ABCDEF";
    for (int b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        const std::string want{digits[b >> 4], digits[b & 15]};
        ASSERT_EQ(hex_upper(&byte, 1), want);
    }
}

TEST(torrent_test, byte_to_hex_capacity) {
    struct row {
        std::size_t capacity;
        bool written;
    };
    const row rows[] = {{0, false}, {1, false}, {2, true}, {3, true}};
    for (const row& r : rows) {
        char out[4] = {'x', 'x', 'x', 'x'};
        EXPECT_EQ(byte_to_hex(0xC3, out, r.capacity), r.written) << r.capacity;
        EXPECT_EQ(std::string(out, 4), r.written ? "C3xx" : "xxxx") << r.capacity;
    }
    EXPECT_FALSE(byte_to_hex(0xC3, nullptr, 8));
}

TEST(torrent_test, path_file_name_and_extension_table) {
    struct row {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* extension;
        bool torrent;
    };
    const row rows[] = {
        {L"", L"", L"", false},
        {L"C:\\films\\Movie.TORRENT", L"Movie.TORRENT", L"TORRENT", true},
        {L"C:/films/Movie.torrent", L"Movie.torrent", L"torrent", true},
        {L"a.torrent\\b", L"b", L"", false},
        {L"a.torrent/b", L"b", L"", false},
        {L"x/y\\z.ToRrEnT", L"z.ToRrEnT", L"ToRrEnT", true},
        {L"x\\y/z.torrent", L"z.torrent", L"torrent", true},
        {L"plain", L"plain", L"", false},
        {L"dir\\", L"", L"", false},
        {L"dir.torrent/", L"", L"", false},
        {L"archive.tar.gz", L"archive.tar.gz", L"gz", false},
        {L"ends with dot.", L"ends with dot.", L"", false},
        {L".torrent", L".torrent", L"torrent", true},
        {L"torrent", L"torrent", L"", false},
        {L"a.torrents", L"a.torrents", L"torrents", false},
        {L"a.torren", L"a.torren", L"torren", false},
        {L"a.torrent ", L"a.torrent ", L"torrent ", false},
        {L"a.torrent.txt", L"a.torrent.txt", L"txt", false},
        {L"\\\\server\\share\\电影.torrent", L"电影.torrent", L"torrent", true},
        // Only ASCII letters fold: a fullwidth or dotless look-alike is another name.
        {L"a.\uFF34ORRENT", L"a.\uFF34ORRENT", L"\uFF34ORRENT", false},
        {L"a.torrent\u0131", L"a.torrent\u0131", L"torrent\u0131", false},
    };
    for (const row& r : rows) {
        EXPECT_EQ(path_file_name(r.path), r.name) << r.path;
        EXPECT_EQ(path_extension(r.path), r.extension) << r.path;
        EXPECT_EQ(is_torrent_path(r.path), r.torrent) << r.path;
    }
}

TEST(torrent_test, video_extension_matches_whole_entries_ignoring_ascii_case) {
    struct row {
        std::string candidate;
        bool video;
    };
    const row rows[] = {
        {".mkv", true},    {".MKV", true},    {".Mp4", true},     {".rmvb", true},  {".rm", true},
        {".RmVb", true},   {".mpeg", true},   {".mpg", true},     {".xv", true},    {".3GP", true},
        {".mp", false},    {".", false},      {"", false},        {".rmv", false},  {".mp4;", false},
        {"mkv", false},    {".mkv ", false},  {".mkvx", false},   {".m", false},    {".ts;.asf", false},
        {";.mkv", false},  {".x", false},     {".webm", false},   {std::string(".mkv\0", 5), false},
        {"\xEF\xBC\x8Emkv", false},  // a fullwidth full stop is not "."
    };
    for (const row& r : rows) EXPECT_EQ(is_video_extension(r.candidate), r.video) << r.candidate;

    // The list itself, as other programs of the maker spell it.
    EXPECT_EQ(video_extensions, ".rmvb;.rm;.wmv;.mp4;.avi;.mkv;.ts;.asf;.mpg;.mov;.3gp;.mpeg;.m4v;.vob;.flv;.xv;");
    // Every entry, in upper case too.
    std::size_t entries = 0;
    for (std::size_t from = 0; from < video_extensions.size(); ++entries) {
        const std::size_t end = video_extensions.find(';', from);
        std::string entry(video_extensions.substr(from, end - from));
        EXPECT_TRUE(is_video_extension(entry)) << entry;
        for (char& c : entry) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        EXPECT_TRUE(is_video_extension(entry)) << entry;
        from = end + 1;
    }
    EXPECT_EQ(entries, 16u);
}

TEST(torrent_test, utf8_to_wide_table) {
    struct row {
        std::string utf8;
        std::wstring wide;
    };
    const row rows[] = {
        {"magnet:?xt=urn:btih:0FA0", L"magnet:?xt=urn:btih:0FA0"},
        {"\xC3\xA9", L"\u00E9"},
        {"\xE2\x82\xAC", L"\u20AC"},
        {"\xE7\x94\xB5\xE5\xBD\xB1", L"\u7535\u5F71"},
        {"\xF0\x9F\x98\x80", L"\U0001F600"},  // a surrogate pair where wchar_t has 16 bits
        {"\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
        {"\xEF\xBB\xBF" "a", L"\uFEFF" L"a"},  // a byte-order mark is kept as text
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"\x7F", L"\x7F"},
        // Ill-formed input: one U+FFFD each, the valid text around it kept.
        {"\x80", L"\uFFFD"},
        {"a\xFF" "b", L"a\uFFFD" L"b"},
        {"\xFF\xFE", L"\uFFFD\uFFFD"},
        {"\xC2" "A", L"\uFFFD" L"A"},
        {"\xE2\x82" "A", L"\uFFFD" L"A"},
        {"\xF0\x9F\x98", L"\uFFFD"},
        {"\xC3\xA9\xC3", L"\u00E9\uFFFD"},
        {"x\xF5\x80\x80\x80", L"x\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const row& r : rows) {
        std::wstring out = L"stale";
        utf8_to_wide(r.utf8.data(), r.utf8.size(), out);
        EXPECT_EQ(out, r.wide) << "input of " << r.utf8.size() << " bytes: " << hex_upper(r.utf8.data(), r.utf8.size());
    }

    std::wstring out = L"stale";
    utf8_to_wide("abc", 0, out);
    EXPECT_EQ(out, L"");
    out = L"stale";
    utf8_to_wide(nullptr, 3, out);
    EXPECT_EQ(out, L"");
}

TEST(torrent_test, utf8_to_wide_rejects_overlong_surrogate_and_out_of_range_forms) {
    // Implementations differ in how many U+FFFD such a form becomes; all that matters is that
    // no character is made from it and nothing after it is swallowed.
    const std::string forms[] = {
        "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80",
        "\xED\xBF\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80",
    };
    for (const std::string& form : forms) {
        const std::string text = "<" + form + ">";
        std::wstring out;
        utf8_to_wide(text.data(), text.size(), out);
        ASSERT_GE(out.size(), 3u) << hex_upper(form.data(), form.size());
        EXPECT_EQ(out.front(), L'<');
        EXPECT_EQ(out.back(), L'>');
        for (std::size_t i = 1; i + 1 < out.size(); ++i)
            EXPECT_EQ(out[i], L'\uFFFD') << hex_upper(form.data(), form.size());
        EXPECT_LE(out.size() - 2, form.size());
    }
}

TEST(torrent_test, wide_to_utf8_round_trip_and_unpaired_surrogates) {
    const std::string texts[] = {"", "plain", "\xC3\xA9t\xC3\xA9", "\xE7\x94\xB5\xE5\xBD\xB1", "\xF0\x9F\x98\x80!",
                                 "\xF4\x8F\xBF\xBF"};
    for (const std::string& text : texts) {
        std::wstring wide;
        utf8_to_wide(text.data(), text.size(), wide);
        EXPECT_EQ(wide_to_utf8(wide), text);
    }
    EXPECT_EQ(wide_to_utf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"a"), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(wide_to_utf8(L"a" + std::wstring(1, static_cast<wchar_t>(0xDC00))), "a\xEF\xBF\xBD");
    if (sizeof(wchar_t) == 4) {
        EXPECT_EQ(wide_to_utf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
    }
}

}  // namespace
