// The in-memory scanner and value views: they agree with operator>> on success, span ends,
// first occurrences of duplicate keys and partially read roots.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bencoding/bencode.h"
#include "bencoding/scan.h"
#include "bencoding/var.h"
#include "test_support.h"

namespace {

using namespace bencoding_test;
using zv::encoding::bencoding::find_root_entry;
using zv::encoding::bencoding::scan_value;
using zv::encoding::bencoding::span;
using zv::encoding::bencoding::value_view;

value_view view_of(const std::string& text) {
    span s;
    if (!scan_value(text.data(), text.size(), 0, s)) return value_view();
    return value_view(text.data(), text.size(), s);
}

std::string first_own_byte_text(const std::string& text, std::size_t pos) {
    std::size_t at = pos;
    while (at < text.size() && std::string_view(" \t\n\v\f\r").find(text[at]) != std::string_view::npos) ++at;
    return text.substr(at);
}

// A multi-file torrent in canonical form, with some files whose last path part is odd.
std::string torrent_like(int files) {
    std::string list;
    for (int i = 0; i < files; ++i) {
        const std::string name = "file" + std::to_string(i) + (i % 3 == 0 ? ".mkv" : ".txt");
        list += "d6:lengthi" + std::to_string(1000 + i) + "e4:pathl3:dir" + std::to_string(name.size()) + ":" + name +
                "ee";
    }
    const std::string pieces(200, 'p');
    return "d8:announce9:http://t/4:infod5:filesl" + list + "e4:name4:root12:piece lengthi16384e6:pieces" +
           std::to_string(pieces.size()) + ":" + pieces + "ee";
}

TEST(scan_test, scan_value_agrees_with_the_stream_reader) {
    std::vector<std::string> inputs;
    for (const read_row& r : read_rows()) inputs.push_back(r.input);
    inputs.push_back(std::string(512, 'l') + std::string(512, 'e'));
    inputs.push_back(std::string(513, 'l') + std::string(513, 'e'));
    inputs.push_back("2000000000:" + std::string(40, 'x'));
    inputs.push_back(torrent_like(5));
    for (const std::string& in : inputs) {
        // Every start offset: the scanner reads data[pos..) as a stream holding just that would.
        for (std::size_t pos = 0; pos <= in.size() && pos < 40; ++pos) {
            SCOPED_TRACE("input \"" + in.substr(0, 60) + "\" from " + std::to_string(pos));
            const std::string rest = in.substr(pos);
            std::istringstream is(rest);
            zv::encoding::bencoding::var v;
            is >> v;
            span s;
            const bool scanned = scan_value(in.data(), in.size(), pos, s);
            ASSERT_EQ(scanned, is.good());
            if (!scanned) continue;
            EXPECT_EQ(s.end, pos + static_cast<std::size_t>(stream_pos(is)));
            EXPECT_EQ(in.substr(s.begin), first_own_byte_text(in, pos));
            const value_view view(in.data(), in.size(), s);
            EXPECT_EQ(view.kind(), v.kind());
            // The value's own bytes read back to the same value.
            EXPECT_EQ(read_fast(view.raw()).written, encode(v));
        }
    }
}

TEST(scan_test, scan_value_outside_the_buffer) {
    const std::string text = "i1e";
    span s{7, 9};
    EXPECT_FALSE(scan_value(text.data(), text.size(), 4, s));
    EXPECT_FALSE(scan_value(text.data(), text.size(), 3, s));
    EXPECT_FALSE(scan_value(nullptr, 0, 0, s));
    EXPECT_FALSE(scan_value(nullptr, 5, 0, s));
    EXPECT_FALSE(find_root_entry(nullptr, 5, "info", s));
    EXPECT_EQ(s.begin, 7u);  // untouched on failure
    EXPECT_TRUE(scan_value(text.data(), text.size(), 0, s));
    EXPECT_EQ(s.end, 3u);
}

TEST(scan_test, find_root_entry_answers_for_the_tree_operator_reads) {
    struct row {
        const char* name;
        std::string input;
        std::string key;
        bool found;
        std::string raw;
    };
    const std::vector<row> rows = {
        {"plain", "d4:infod1:ai1eee", "info", true, "d1:ai1ee"},
        {"first of duplicates", "d4:infoi1e4:infoi2ee", "info", true, "i1e"},
        {"root unfinished after the entry", "d4:infod1:ai1ee1:", "info", true, "d1:ai1ee"},
        {"root cut right after the entry", "d4:infoi1e", "info", true, "i1e"},
        {"entry unfinished", "d4:infod1:ai1e", "info", false, ""},
        {"entry malformed", "d4:infoi1x", "info", false, ""},
        {"first malformed, second fine", "d4:infoi1x4:infoi2ee", "info", false, ""},
        {"second occurrence malformed", "d4:infoi1e4:infox", "info", true, "i1e"},
        {"root is a list", "l4:infoi1ee", "info", false, ""},
        {"root is an integer", "i1e", "info", false, ""},
        {"empty input", "", "info", false, ""},
        {"key absent", "d1:ai1ee", "info", false, ""},
        {"only nested", "d1:ad4:infoi1eee", "info", false, ""},
        {"nested and at the root", "d1:ad4:infoi1ee4:infoi2ee", "info", true, "i2e"},
        {"white space around", " d 4:info  l i1e e e", "info", true, "l i1e e"},
        {"plus before the key length", "d+4:infoi7ee", "info", true, "i7e"},
        {"empty key", "d0:4:spame", "", true, "4:spam"},
        {"key with zero byte", std::string("d2:a\0i5ee", 9), std::string("a\0", 2), true, "i5e"},
        {"value past the depth limit", "d4:info" + std::string(512, 'l') + std::string(512, 'e') + "e", "info", false,
         ""},
        {"value at the depth limit", "d4:info" + std::string(511, 'l') + std::string(511, 'e') + "e", "info", true,
         std::string(511, 'l') + std::string(511, 'e')},
        {"keys in any order", "d1:zi1e4:infoi3e1:ai2ee", "info", true, "i3e"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        span s;
        const bool found = find_root_entry(r.input.data(), r.input.size(), r.key, s);
        ASSERT_EQ(found, r.found);

        // The same question asked of the var tree operator>> builds.
        std::istringstream is(r.input);
        zv::encoding::bencoding::var root;
        is >> root;
        const auto& dict = root.dict_value();
        const auto it = dict.find(r.key);
        EXPECT_EQ(found, it != dict.end());
        if (!found) continue;
        EXPECT_EQ(r.input.substr(s.begin, s.end - s.begin), r.raw);
        EXPECT_EQ(read_fast(r.raw).written, encode(it->second));
    }
}

TEST(scan_test, view_basics_by_kind) {
    struct row {
        std::string input;
        int kind;
        std::string bytes;
        std::size_t size;
    };
    const std::vector<row> rows = {
        {"i-42e", 1, "", 0},
        {"4:spam", 2, "spam", 0},
        {"03:abc", 2, "abc", 0},
        {"4 :spam", 2, "spam", 0},
        {"4: spa", 2, " spa", 0},
        {"0:", 2, "", 0},
        {"3:a:b", 2, "a:b", 0},
        {"le", 3, "", 0},
        {"l i1e 1:x le e", 3, "", 3},
        {"de", 4, "", 0},
        {"d1:ai1e1:bi2e1:ci3ee", 4, "", 3},
        {"d1:bi1e1:ai2e1:bi3ee", 4, "", 2},
        {"d1:ai1e1:ai2e1:ai3ee", 4, "", 1},
        {"d1:ai1e1:ai2e1:bi3ee", 4, "", 2},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.input);
        const value_view v = view_of(r.input);
        EXPECT_EQ(v.kind(), r.kind);
        EXPECT_EQ(v.bytes(), r.bytes);
        EXPECT_EQ(v.size(), r.size);
        EXPECT_EQ(v.raw(), r.input);
        // size() is what var would hold.
        std::istringstream is(r.input);
        zv::encoding::bencoding::var var;
        is >> var;
        EXPECT_EQ(v.size(), var.size());
    }
    const value_view none;
    EXPECT_EQ(none.kind(), 0);
    EXPECT_EQ(none.raw(), "");
    EXPECT_EQ(none.size(), 0u);
    value_view out;
    EXPECT_FALSE(none.find("a", out));
    EXPECT_FALSE(none.last_element(out));
}

TEST(scan_test, integers_from_views) {
    struct row {
        std::string input;
        bool ok;
        std::int64_t value;
    };
    const std::vector<row> rows = {
        {"i0e", true, 0},       {"i-9223372036854775808e", true, INT64_MIN}, {"i+007e", true, 7},
        {"i 5 e", true, 5},     {"4:i12e", false, 0},                        {"li1ee", false, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.input);
        std::int64_t x = -1;
        EXPECT_EQ(view_of(r.input).get_integer(x), r.ok);
        if (r.ok) {
            EXPECT_EQ(x, r.value);
        }
    }
}

TEST(scan_test, walking_entries_and_elements) {
    const std::string text = "d 1:b i1e 1:a l 1:x 1:y e 1:b 3:dup 1:c d e e";
    const value_view root = view_of(text);
    ASSERT_EQ(root.kind(), 4);

    std::vector<std::string> seen;
    root.for_each_entry([&](std::string_view key, const value_view& value) {
        seen.push_back(std::string(key) + "=" + std::string(value.raw()));
        return true;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"b=i1e", "a=l 1:x 1:y e", "b=3:dup", "c=d e"}));

    seen.clear();
    root.for_each_entry([&](std::string_view key, const value_view&) {
        seen.emplace_back(key);
        return seen.size() < 2;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"b", "a"}));

    value_view found;
    ASSERT_TRUE(root.find("b", found));
    EXPECT_EQ(found.raw(), "i1e");  // the first of the duplicates, as var keeps
    EXPECT_FALSE(root.find("missing", found));
    EXPECT_EQ(found.raw(), "i1e");  // untouched

    value_view list;
    ASSERT_TRUE(root.find("a", list));
    std::vector<std::string> elements;
    list.for_each_element([&](const value_view& e) { elements.emplace_back(e.bytes()); });
    EXPECT_EQ(elements, (std::vector<std::string>{"x", "y"}));
    value_view last;
    ASSERT_TRUE(list.last_element(last));
    EXPECT_EQ(last.bytes(), "y");
    EXPECT_EQ(last.where().end, text.find("1:y") + 3);

    // Wrong kinds walk nothing.
    int calls = 0;
    root.for_each_element([&](const value_view&) { ++calls; });
    list.for_each_entry([&](std::string_view, const value_view&) { ++calls; });
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(root.last_element(last));
    EXPECT_FALSE(list.find("x", found));

    value_view empty;
    ASSERT_TRUE(root.find("c", empty));
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_FALSE(view_of("le").last_element(last));
}

TEST(scan_test, views_of_a_torrent_match_the_var_tree) {
    const std::string text = torrent_like(300);
    span info_span;
    ASSERT_TRUE(find_root_entry(text.data(), text.size(), "info", info_span));
    const value_view info(text.data(), text.size(), info_span);

    std::istringstream is(text);
    zv::encoding::bencoding::var root;
    is >> root;
    ASSERT_TRUE(is.good());
    // Canonical input: the info bytes in the file are what the writer makes of the tree.
    EXPECT_EQ(info.raw(), encode(root["info"]));

    value_view files;
    ASSERT_TRUE(info.find("files", files));
    ASSERT_EQ(files.size(), root["info"]["files"].size());
    std::uint32_t i = 0;
    files.for_each_element([&](const value_view& file) {
        value_view path, name;
        EXPECT_TRUE(file.find("path", path));
        EXPECT_TRUE(path.last_element(name));
        zv::encoding::bencoding::var& expected = root["info"]["files"][i]["path"];
        EXPECT_EQ(std::string(name.bytes()), expected[expected.size() - 1].string_value());
        ++i;
        return true;
    });
    EXPECT_EQ(i, 300u);
}

}  // namespace
