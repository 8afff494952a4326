// The value model: kinds and sizes, conversion on access, key order, deep copies and
// assignment from inside the value's own tree.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bencoding/var.h"
#include "test_support.h"

namespace {

using bencoding_test::encode;
using zv::encoding::bencoding::var;
using namespace std::string_literals;

var integer_value(std::int64_t x) {
    var v;
    v = x;
    return v;
}

var string_value(const std::string& s) {
    var v;
    v = s;
    return v;
}

// l i1e 1:x e
var small_list() {
    var v;
    v[0u] = integer_value(1);
    v[1u] = string_value("x");
    return v;
}

TEST(var_test, kind_and_size_of_each_kind) {
    struct row {
        const char* name;
        std::function<var()> make;
        int kind;
        std::uint32_t size;
        std::string written;
    };
    const std::vector<row> rows = {
        {"none", [] { return var(); }, var::none, 0, ""},
        {"integer", [] { return integer_value(-12); }, var::integer, 0, "i-12e"},
        {"string", [] { return string_value("spam"); }, var::string, 0, "4:spam"},
        {"string with zero bytes", [] { return string_value(std::string("a\0b", 3)); }, var::string, 0,
         "3:a\0b"s},
        {"empty list", [] { var v; v.as_list(); return v; }, var::list, 0, "le"},
        {"list of two", small_list, var::list, 2, "li1e1:xe"},
        {"dictionary of one", [] { var v; v["k"] = integer_value(3); return v; }, var::dictionary, 1,
         "d1:ki3ee"},
        {"largest integer", [] { return integer_value(INT64_MAX); }, var::integer, 0, "i9223372036854775807e"},
        {"smallest integer", [] { return integer_value(INT64_MIN); }, var::integer, 0, "i-9223372036854775808e"},
        {"32-bit assignment", [] { var v; v = std::int32_t{-5}; return v; }, var::integer, 0, "i-5e"},
        {"long long assignment", [] { var v; v = 7LL; return v; }, var::integer, 0, "i7e"},
        {"unsigned assignment", [] { var v; v = 9u; return v; }, var::integer, 0, "i9e"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        const var v = r.make();
        EXPECT_EQ(v.kind(), r.kind);
        EXPECT_EQ(v.size(), r.size);
        EXPECT_EQ(encode(v), r.written);
    }
}

TEST(var_test, access_converts_and_creates) {
    struct row {
        const char* name;
        std::function<var()> start;
        std::function<var&(var&)> access;
        int kind_after;
        std::uint32_t size_after;
        std::string written_after;
    };
    const std::vector<row> rows = {
        {"key on integer discards it", [] { return integer_value(42); }, [](var& v) -> var& { return v["k"]; },
         var::dictionary, 1, "d1:ke"},
        {"key on string discards it", [] { return string_value("abc"); }, [](var& v) -> var& { return v["k"]; },
         var::dictionary, 1, "d1:ke"},
        {"key on list discards the elements", small_list, [](var& v) -> var& { return v["k"]; }, var::dictionary,
         1, "d1:ke"},
        {"missing key in empty dictionary", [] { var v; v.as_dict(); return v; },
         [](var& v) -> var& { return v["missing"]; }, var::dictionary, 1, "d7:missinge"},
        {"present key keeps the entry", [] { var v; v["a"] = integer_value(1); return v; },
         [](var& v) -> var& { return v["a"]; }, var::dictionary, 1, "d1:ai1ee"},
        {"index 3 on none grows to four", [] { return var(); }, [](var& v) -> var& { return v[3u]; }, var::list,
         4, "le"},
        {"index 0 on a list of two", small_list, [](var& v) -> var& { return v[0u]; }, var::list, 2, "li1e1:xe"},
        {"index 2 on a list of two appends one", small_list, [](var& v) -> var& { return v[2u]; }, var::list, 3,
         "li1e1:xe"},
        {"index on dictionary discards it", [] { var v; v["a"] = integer_value(1); return v; },
         [](var& v) -> var& { return v[0u]; }, var::list, 1, "le"},
        {"literal 0 picks the index", [] { return var(); }, [](var& v) -> var& { return v[0]; }, var::list, 1,
         "le"},
        {"std::string key", [] { return var(); }, [](var& v) -> var& { return v[std::string("a\0b", 3)]; },
         var::dictionary, 1, "d3:a\0be"s},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        var v = r.start();
        var& got = r.access(v);
        EXPECT_EQ(v.kind(), r.kind_after);
        EXPECT_EQ(v.size(), r.size_after);
        EXPECT_EQ(encode(v), r.written_after);
        // The reference is into the container itself: writing through it shows up.
        got = integer_value(5);
        EXPECT_NE(encode(v).find("i5e"), std::string::npos);
    }
}

TEST(var_test, index_access_returns_the_element_at_the_index) {
    var v;
    var& fourth = v[3u];
    EXPECT_EQ(&fourth, &v.as_list()[3]);
    var& first = v[0u];
    EXPECT_EQ(&first, &v.as_list()[0]);
    EXPECT_EQ(v.size(), 4u);
}

TEST(var_test, indexes_that_cannot_be_grown_to_throw_length_error) {
    struct row {
        const char* name;
        std::function<var()> start;
        std::function<void(var&)> access;
        std::uint32_t size_after;
    };
    const std::vector<row> rows = {
        {"largest 32-bit index on none", [] { return var(); }, [](var& v) { v[4294967295u]; }, 0},
        {"largest 32-bit index on a list of two", small_list, [](var& v) { v[UINT32_MAX]; }, 2},
        {"negative int index", small_list, [](var& v) { v[-1]; }, 2},
        {"64-bit index past 32 bits", small_list, [](var& v) { v[std::uint64_t{1} << 32]; }, 2},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        var v = r.start();
        EXPECT_THROW(r.access(v), std::length_error);
        EXPECT_EQ(v.size(), r.size_after);
    }
    // Just below the edge still works as an ordinary index on a list that holds it.
    var v = small_list();
    EXPECT_NO_THROW(v[1u]);
    EXPECT_EQ(v.size(), 2u);
}

TEST(var_test, dictionary_keys_iterate_in_unsigned_byte_order) {
    var v;
    for (const char* k : {"ab", "\xff", "a", "B", "", "\x7f", "\x80"}) v[k] = integer_value(0);
    std::vector<std::string> keys;
    for (const auto& entry : v.as_dict()) keys.push_back(entry.first);
    const std::vector<std::string> expected = {"", "B", "a", "ab", "\x7f", "\x80", "\xff"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(encode(v), "d0:i0e1:Bi0e1:ai0e2:abi0e1:\x7fi0e1:\x80i0e1:\xffi0ee");
}

TEST(var_test, copies_are_deep) {
    var source;
    source["list"][0u] = string_value("spam");
    source["list"][1u] = integer_value(42);
    source["n"] = integer_value(1);

    var copy(source);
    copy["list"][0u] = string_value("eggs");
    copy["list"][5u];
    copy["n"]["nested"];
    EXPECT_EQ(encode(source), "d4:listl4:spami42ee1:ni1ee");

    var assigned;
    assigned = source;
    assigned["list"].as_list().clear();
    EXPECT_EQ(encode(source), "d4:listl4:spami42ee1:ni1ee");
    EXPECT_EQ(encode(assigned), "d4:listle1:ni1ee");

    const var none_copy(var{});
    EXPECT_EQ(none_copy.kind(), var::none);
}

TEST(var_test, assignment_from_itself_or_its_own_tree) {
    struct row {
        const char* name;
        std::function<var()> start;
        std::function<void(var&)> assign;
        const char* written;
    };
    auto nested = [] {
        var v;
        v[0u][0u] = string_value("deep");
        v[0u][1u] = integer_value(7);
        v[1u] = string_value("other");
        return v;
    };
    auto dict = [] {
        var v;
        v["a"]["b"]["c"] = integer_value(1);
        v["z"] = integer_value(2);
        return v;
    };
    const std::vector<row> rows = {
        {"copy from itself", nested, [](var& v) { v = v; }, "ll4:deepi7ee5:othere"},
        {"move from itself", nested, [](var& v) { v = std::move(v); }, "ll4:deepi7ee5:othere"},
        {"copy from first element", nested, [](var& v) { v = v[0u]; }, "l4:deepi7ee"},
        {"copy from grandchild", nested, [](var& v) { v = v[0u][0u]; }, "4:deep"},
        {"move from first element", nested, [](var& v) { v = std::move(v[0u]); }, "l4:deepi7ee"},
        {"copy from dictionary descendant", dict, [](var& v) { v = v["a"]["b"]; }, "d1:ci1ee"},
        {"string from its own tree", nested, [](var& v) { v = v[0u][0u].string_value(); }, "4:deep"},
        {"child from its parent", dict, [](var& v) { v["a"]["b"] = v; }, "d1:ad1:bd1:ad1:bd1:ci1eee1:zi2eee1:zi2ee"},
        {"key taken from the tree it replaces", nested,
         [](var& v) {
             v.clear();
             v[0u]["k"];
             const std::string& key = v[0u].dict_value().begin()->first;
             v[key] = integer_value(3);  // converting v to a dictionary frees the list holding key
         },
         "d1:ki3ee"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        var v = r.start();
        r.assign(v);
        EXPECT_EQ(encode(v), r.written);
    }
}

TEST(var_test, clear_releases_everything) {
    var v;
    v["a"][2u]["b"] = string_value(std::string(1000, 'x'));
    v.clear();
    EXPECT_EQ(v.kind(), var::none);
    EXPECT_EQ(v.size(), 0u);
    EXPECT_EQ(encode(v), "");
    v = integer_value(3);
    EXPECT_EQ(encode(v), "i3e");
}

}  // namespace
