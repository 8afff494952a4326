// The in-memory scanner and value views: they agree with operator>> on success, span ends,
// first occurrences of duplicate keys and partially read roots.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bencoding/scan.h"
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

var tree_of(const std::string& text) {
    std::istringstream is(text);
    var v;
    is >> v;
    return v;
}

TEST(scan_test, scan_value_agrees_with_the_stream_reader) {
    std::vector<std::string> inputs = {std::string(512, 'l') + std::string(512, 'e'),
                                       std::string(513, 'l') + std::string(513, 'e'),
                                       "2000000000:" + std::string(40, 'x'), canonical_torrent};
    for (const auto& row : read_rows()) inputs.push_back(row.first);
    for (const std::string& in : inputs) {
        // From every start offset, as a stream holding just data[pos..) would read.
        for (std::size_t pos = 0; pos <= in.size() && pos < 40; ++pos) {
            SCOPED_TRACE("input \"" + in.substr(0, 60) + "\" from " + std::to_string(pos));
            std::istringstream is(in.substr(pos));
            var v;
            is >> v;
            span s;
            const bool scanned = scan_value(in.data(), in.size(), pos, s);
            ASSERT_EQ(scanned, is.good());
            if (!scanned) continue;
            EXPECT_EQ(s.end, pos + static_cast<std::size_t>(stream_pos(is)));
            // begin is the first byte after the white space skipped
            EXPECT_EQ(in.find_first_not_of(" \t\n\v\f\r", pos), s.begin);
            const value_view view(in.data(), in.size(), s);
            EXPECT_EQ(view.kind(), v.kind());
            EXPECT_EQ(read(view.raw()).written, encode(v));
        }
    }
}

TEST(scan_test, scan_value_outside_the_buffer) {
    const std::string text = "i1e";
    span s{7, 9};
    EXPECT_FALSE(scan_value(text.data(), text.size(), 4, s));
    EXPECT_FALSE(scan_value(nullptr, 5, 0, s));  // a null buffer is empty whatever its size
    EXPECT_FALSE(find_root_entry(nullptr, 5, "info", s));
    EXPECT_EQ(s.begin, 7u);  // untouched on failure
}

TEST(scan_test, find_root_entry_answers_for_the_tree_operator_reads) {
    struct row {
        const char* name;
        std::string input;
        std::string key;
        const char* raw;  // null: not found
    };
    const std::string l511 = std::string(511, 'l') + std::string(511, 'e');
    const std::vector<row> rows = {
        {"plain", "d4:infod1:ai1eee", "info", "d1:ai1ee"},
        {"first of duplicates", "d4:infoi1e4:infoi2ee", "info", "i1e"},
        {"root unfinished after the entry", "d4:infod1:ai1ee1:", "info", "d1:ai1ee"},
        {"root cut right after the entry", "d4:infoi1e", "info", "i1e"},
        {"entry unfinished", "d4:infod1:ai1e", "info", nullptr},
        {"first malformed, second fine", "d4:infoi1x4:infoi2ee", "info", nullptr},
        {"second occurrence malformed", "d4:infoi1e4:infox", "info", "i1e"},
        {"root is a list", "l4:infoi1ee", "info", nullptr},
        {"empty input", "", "info", nullptr},
        {"key absent", "d1:ai1ee", "info", nullptr},
        {"only nested", "d1:ad4:infoi1eee", "info", nullptr},
        {"nested and at the root", "d1:ad4:infoi1ee4:infoi2ee", "info", "i2e"},
        {"white space around", " d 4:info  l i1e e e", "info", "l i1e e"},
        {"empty key", "d0:4:spame", "", "4:spam"},
        {"key with zero byte", std::string("d2:a\0i5ee", 9), std::string("a\0", 2), "i5e"},
        {"value past the depth limit", "d4:infol" + l511 + "ee", "info", nullptr},
        {"value at the depth limit", "d4:info" + l511 + "e", "info", l511.c_str()},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        span s;
        const bool found = find_root_entry(r.input.data(), r.input.size(), r.key, s);
        ASSERT_EQ(found, r.raw != nullptr);
        // The same question asked of the tree operator>> builds.
        const var root = tree_of(r.input);
        const auto it = root.dict_value().find(r.key);
        EXPECT_EQ(found, it != root.dict_value().end());
        if (!found) continue;
        EXPECT_EQ(r.input.substr(s.begin, s.end - s.begin), r.raw);
        EXPECT_EQ(read(r.raw).written, encode(it->second));
    }
}

TEST(scan_test, views_agree_with_the_var_tree) {
    struct row {
        std::string input;
        int kind;
        std::string bytes;
        std::string children;  // raw bytes of each element, or key=raw of each entry in file order
    };
    const std::vector<row> rows = {
        {"x", var::none, "", ""},  // nothing scanned: the empty view
        {"i-9223372036854775808e", var::integer, "", ""},
        {"i+007e", var::integer, "", ""},
        {"i 5 e", var::integer, "", ""},
        {"4 :spam", var::string, "spam", ""},
        {"4: spa", var::string, " spa", ""},
        {"0:", var::string, "", ""},
        {"3:a:b", var::string, "a:b", ""},
        {"le", var::list, "", ""},
        {"l i1e 1:x le e", var::list, "", "i1e|1:x|le|"},
        {"de", var::dictionary, "", ""},
        {"d1:ai1e1:bi2e1:ci3ee", var::dictionary, "", "a=i1e|b=i2e|c=i3e|"},
        {"d1:ai1e1:ai2e1:bi3ee", var::dictionary, "", "a=i1e|a=i2e|b=i3e|"},
        {"d 1:b i1e 1:a l 1:x 1:y e 1:b 3:dup 1:c d e e", var::dictionary, "", "b=i1e|a=l 1:x 1:y e|b=3:dup|c=d e|"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.input);
        const value_view v = view_of(r.input);
        const var tree = tree_of(r.input);
        EXPECT_EQ(v.kind(), r.kind);
        EXPECT_EQ(v.raw(), r.kind == var::none ? "" : r.input);
        EXPECT_EQ(v.bytes(), r.bytes);
        EXPECT_EQ(v.size(), tree.size());
        std::int64_t x = -1;
        EXPECT_EQ(v.get_integer(x), r.kind == var::integer);
        EXPECT_EQ(x, r.kind == var::integer ? tree.integer_value() : -1);

        std::string children, last_child;
        v.for_each_element([&](const value_view& e) { children += (last_child = std::string(e.raw())) + "|"; });
        v.for_each_entry([&](std::string_view k, const value_view& e) {
            children += std::string(k) + "=" + std::string(e.raw()) + "|";
        });
        EXPECT_EQ(children, r.children);
        std::size_t calls = 0;
        const auto stop = [&](auto&&...) { return ++calls > 1; };  // false on the first call: stop there
        v.for_each_element(stop);
        v.for_each_entry(stop);
        EXPECT_EQ(calls, r.children.empty() ? 0u : 1u);
        // find answers for what var keeps under each key: the first occurrence.
        value_view out;
        for (const auto& [key, value] : tree.dict_value()) {
            ASSERT_TRUE(v.find(key, out));
            EXPECT_EQ(read(out.raw()).written, encode(value));
        }
        out = v;
        EXPECT_FALSE(v.find("missing", out));
        EXPECT_EQ(v.last_element(out), !last_child.empty());
        EXPECT_EQ(out.raw(), last_child.empty() ? v.raw() : last_child);  // untouched when false
    }
}

}  // namespace
