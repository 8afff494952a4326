// The value model: conversion on access, the index limit, key order, deep copies and
// assignment from inside the value's own tree.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace {

using bencoding_test::encode;
using zv::encoding::bencoding::var;
using namespace std::string_literals;

// l i1e 1:x e
var small_list() {
    var v;
    v[0u] = 1;
    v[1u] = "x"s;
    return v;
}

TEST(var_test, assignment_and_access_convert_and_create) {
    struct row {
        const char* name;
        std::function<var()> make;
        int kind;
        std::uint32_t size;
        std::string written;
    };
    const std::vector<row> rows = {
        {"string with zero bytes", [] { var v; v = "a\0b"s; return v; }, var::string, 0, "3:a\0b"s},
        {"32-bit integer", [] { var v; v = std::int32_t{-5}; return v; }, var::integer, 0, "i-5e"},
        {"largest unsigned 32-bit", [] { var v; v = UINT32_MAX; return v; }, var::integer, 0, "i4294967295e"},
        {"cleared tree", [] { var v; v["a"][2u]["b"] = "x"s; v.clear(); return v; }, var::none, 0, ""},
        {"entry holding none", [] { var v; v["x"]; return v; }, var::dictionary, 1, "d1:xe"},
        {"list of none", [] { var v; v[2u]; return v; }, var::list, 3, "le"},
        {"key on integer discards it", [] { var v; v = 42; v["k"] = 5; return v; }, var::dictionary, 1, "d1:ki5ee"},
        {"key on list discards the elements", [] { var v = small_list(); v["k"] = 5; return v; }, var::dictionary, 1,
         "d1:ki5ee"},
        {"missing key in empty dictionary", [] { var v; v.as_dict(); v["k"]; return v; }, var::dictionary, 1, "d1:ke"},
        {"present key keeps the entry", [] { var v; v["k"]["x"] = 1; v["z"] = 2; v["k"]["y"] = 5; return v; },
         var::dictionary, 2, "d1:kd1:xi1e1:yi5ee1:zi2ee"},
        {"std::string key with a zero byte", [] { var v; v["a\0b"s] = 5; return v; }, var::dictionary, 1,
         "d3:a\0bi5ee"s},
        {"index 3 on none grows to four", [] { var v; v[3u] = 5; v[2u] = 4; return v; }, var::list, 4, "li4ei5ee"},
        {"index 0 on a list of two", [] { var v = small_list(); v[0u] = 5; return v; }, var::list, 2, "li5e1:xe"},
        {"index 2 on a list of two appends one", [] { var v = small_list(); v[2u] = 5; return v; }, var::list, 3,
         "li1e1:xi5ee"},
        {"index on dictionary discards it", [] { var v; v["a"] = 1; v[0u] = 5; return v; }, var::list, 1, "li5ee"},
        {"literal 0 is an index, not a null key", [] { var v; v[0] = 5; return v; }, var::list, 1, "li5ee"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        const var v = r.make();
        EXPECT_EQ(v.kind(), r.kind);
        EXPECT_EQ(v.size(), r.size);
        EXPECT_EQ(encode(v), r.written);
    }
}

TEST(var_test, indexes_that_cannot_be_grown_to_throw_length_error) {
    const std::vector<std::pair<const char*, std::function<void(var&)>>> rows = {
        {"4294967295", [](var& v) { v[4294967295u]; }},
        {"negative int", [](var& v) { v[-1]; }},
        {"64-bit index past 32 bits", [](var& v) { v[std::uint64_t{1} << 32]; }},
    };
    for (const auto& [name, access] : rows) {
        for (var v : {var(), small_list()}) {
            SCOPED_TRACE(std::string(name) + " on " + encode(v));
            const std::uint32_t before = v.size();
            EXPECT_THROW(access(v), std::length_error);
            EXPECT_EQ(v.size(), before);
        }
    }
}

TEST(var_test, dictionary_keys_iterate_in_unsigned_byte_order) {
    var v;
    for (const char* k : {"ab", "\xff", "a", "B", "", "\x7f", "\x80"}) v[k] = 0;
    std::vector<std::string> keys;
    for (const auto& entry : v.as_dict()) keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"", "B", "a", "ab", "\x7f", "\x80", "\xff"}));
    EXPECT_EQ(encode(v), "d0:i0e1:Bi0e1:ai0e2:abi0e1:\x7fi0e1:\x80i0e1:\xffi0ee");
}

TEST(var_test, copies_are_deep_and_assignment_from_its_own_tree_is_safe) {
    struct row {
        const char* name;
        std::function<void(var&)> assign;
        const char* written;
    };
    const char* const unchanged = "ll4:deepi7eed1:ad1:bi1eeee";
    const std::vector<row> rows = {
        {"changing a copy", [](var& v) { var c(v); c[0u][0u] = 1; EXPECT_EQ(encode(c), "lli1ei7eed1:ad1:bi1eeee"); },
         unchanged},
        {"changing an assigned copy",
         [](var& v) { var c; c = v; c[1u]["a"]["b"] = 2; EXPECT_EQ(encode(c), "ll4:deepi7eed1:ad1:bi2eeee"); },
         unchanged},
        {"copy from itself", [](var& v) { v = v; }, unchanged},
        {"move from itself", [](var& v) { v = std::move(v); }, unchanged},
        {"copy from first element", [](var& v) { v = v[0u]; }, "l4:deepi7ee"},
        {"move from first element", [](var& v) { v = std::move(v[0u]); }, "l4:deepi7ee"},
        {"copy from dictionary descendant", [](var& v) { v = v[1u]["a"]; }, "d1:bi1ee"},
        {"string from its own tree", [](var& v) { v = v[0u][0u].string_value(); }, "4:deep"},
        {"child from its parent", [](var& v) { v[1u]["a"] = v; }, "ll4:deepi7eed1:all4:deepi7eed1:ad1:bi1eeeeee"},
        // converting v to a dictionary frees the list holding the key
        {"key taken from the tree it replaces", [](var& v) { v[v[1u].dict_value().begin()->first] = 3; }, "d1:ai3ee"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        var v;  // l l 4:deep i7e e d 1:a d 1:b i1e e e e
        v[0u][0u] = "deep"s;
        v[0u][1u] = 7;
        v[1u]["a"]["b"] = 1;
        r.assign(v);
        EXPECT_EQ(encode(v), r.written);
    }
}

}  // namespace
