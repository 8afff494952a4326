// The value model: conversion on access, the index limit, key order, deep copies and
// assignment from inside the value's own tree.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using bencoding_test::encode;
using zv::encoding::bencoding::var;
using namespace std::string_literals;

// l l 4:deep i7e e d 1:a d 1:b i1e e e e
var tree() {
    var v;
    v[0u][0u] = "deep"s;
    v[0u][1u] = 7;
    v[1u]["a"]["b"] = 1;
    return v;
}

TEST(var_test, access_and_assignment_table) {
    const struct {
        const char* name;
        std::function<void(var&)> change;  // applied to tree()
        int kind;
        std::uint32_t size;
        std::string written;
    } rows[] = {
        {"string with zero bytes", [](var& v) { v = "a\0b"s; }, var::string, 0, "3:a\0b"s},
        {"largest unsigned 32-bit", [](var& v) { v = UINT32_MAX; }, var::integer, 0, "i4294967295e"},
        {"cleared", [](var& v) { v.clear(); }, var::none, 0, ""},
        {"key on a list discards it", [](var& v) { v["k"]; }, var::dictionary, 1, "d1:ke"},
        {"key on an integer discards it", [](var& v) { v = 42; v["k"] = 5; }, var::dictionary, 1, "d1:ki5ee"},
        {"index 3 on none grows to four", [](var& v) { v.clear(); v[3u] = 5; }, var::list, 4, "li5ee"},
        {"index 0 of two", [](var& v) { v[0u] = 5; }, var::list, 2, "li5ed1:ad1:bi1eeee"},
        {"index on a dictionary discards it", [](var& v) { v = 1; v["a"]; v[0u] = 5; }, var::list, 1, "li5ee"},
        {"literal 0 is an index, not a null key", [](var& v) { v.clear(); v[0] = 5; }, var::list, 1, "li5ee"},
        // Deep copies, and assignment from inside the value's own tree.
        {"changing a copy", [](var& v) { var c(v); c[0u][0u] = 1; }, var::list, 2, "ll4:deepi7eed1:ad1:bi1eeee"},
        {"copy from itself", [](var& v) { v = v; }, var::list, 2, "ll4:deepi7eed1:ad1:bi1eeee"},
        {"move from itself", [](var& v) { v = std::move(v); }, var::list, 2, "ll4:deepi7eed1:ad1:bi1eeee"},
        {"copy from first element", [](var& v) { v = v[0u]; }, var::list, 2, "l4:deepi7ee"},
        {"move from dictionary descendant", [](var& v) { v = std::move(v[1u]["a"]); }, var::dictionary, 1, "d1:bi1ee"},
        {"string from its own tree", [](var& v) { v = v[0u][0u].string_value(); }, var::string, 0, "4:deep"},
        {"child from its parent", [](var& v) { v[1u]["a"] = v; }, var::list, 2,
         "ll4:deepi7eed1:all4:deepi7eed1:ad1:bi1eeeeee"},
        // converting v to a dictionary frees the list holding the key
        {"key taken from the tree it replaces", [](var& v) { v[v[1u].dict_value().begin()->first] = 3; },
         var::dictionary, 1, "d1:ai3ee"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        var v = tree();
        r.change(v);
        EXPECT_EQ(v.kind(), r.kind);
        EXPECT_EQ(v.size(), r.size);
        EXPECT_EQ(encode(v), r.written);
    }
}

TEST(var_test, indexes_that_cannot_be_grown_to_throw_and_keys_sort_as_unsigned_bytes) {
    const std::vector<std::function<void(var&)>> rows = {
        [](var& v) { v[4294967295u]; }, [](var& v) { v[-1]; }, [](var& v) { v[std::uint64_t{1} << 32]; }};
    for (const auto& access : rows) {
        var v = tree();
        EXPECT_THROW(access(v), std::length_error);
        EXPECT_EQ(v.size(), 2u);
    }
    var d;
    for (const char* k : {"ab", "\xff", "a", "B", "", "\x7f", "\x80"}) d[k] = 0;
    EXPECT_EQ(encode(d), "d0:i0e1:Bi0e1:ai0e2:abi0e1:\x7fi0e1:\x80i0e1:\xffi0ee");
}

}  // namespace
