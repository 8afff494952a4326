// The bencode value, the stream reader/writer and the in-memory scanner, and the depth,
// length and memory limits. The fuzzer holds the reader to a step-by-step transcription.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>

#include "bencoding/bencode.h"
#include "bencoding/scan.h"
#include "bencoding/var.h"

namespace bencoding_test {  // in alloc_probe.cpp: the compiler would pair new and free inline here
extern bool alloc_armed;
extern std::size_t alloc_largest, alloc_refuse_from;
}  // namespace bencoding_test

namespace {

using namespace bencoding_test;
using zv::encoding::bencoding::var;
using namespace std::string_literals;
constexpr std::ios_base::iostate good = std::ios_base::goodbit, fail = std::ios_base::failbit,
                                 eof_fail = std::ios_base::eofbit | std::ios_base::failbit;

// Numbers formatted oddly on purpose: the writer must not heed the stream's flags.
std::string encode(const var& v) {
    std::ostringstream out;
    out << std::hex << std::showpos << std::setw(20) << v;
    return out.str();
}

// What a read left: the value written back, its kind, the stream bits and position.
using outcome = std::tuple<std::string, int, std::ios_base::iostate, long long>;

outcome read(const std::string& input) {
    std::istringstream is(input);
    var v;
    v = 9;  // the reader clears whatever was there
    alloc_largest = 0, alloc_armed = true;
    is >> v;
    alloc_armed = false;
    // tellg() answers -1 on a failed stream; the buffer still knows.
    return {encode(v), v.kind(), is.rdstate(), is.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in)};
}

// The edges the fuzz seed corpus lacks; bencode_fuzz_replay holds the reader to its reference
// on the corpus's own (int_max, str_int32_overflow, dict_duplicate, deep_513 and the rest).
TEST(bencode_test, reads_and_where_the_scanner_starts) {
    const struct row { std::string input; outcome want; } rows[] = {
        {"i-9223372036854775809e", {"i0e", var::integer, fail, 21}},
        {"i20000000000000000000e", {"i0e", var::integer, fail, 21}},  // times ten wraps past 2^64
        {"+1:a", {"", var::none, fail, 1}}, {"2147483647:abc", {"", var::none, eof_fail, 14}},
        // an unfinished element is dropped, those before it stay
        {"li1ex", {"li1ee", var::list, fail, 5}}, {"d1:ai1e", {"d1:ai1ee", var::dictionary, eof_fail, 7}},
        // the first of equal keys kept whole, "-0" but no negative key length, a key needs a value
        {"d1:ai1e1:ad1:bi1ee1:bi2ee", {"d1:ai1e1:bi2ee", var::dictionary, good, 25}},
        {"d-0:i1ee", {"d0:i1ee", var::dictionary, good, 8}}, {"d1:ae", {"de", var::dictionary, fail, 5}},
        {" d 1:b i+01e 1:a l 0003:xyz e e", {"d1:al3:xyze1:bi1ee", var::dictionary, good, 31}},
    };
    zv::encoding::bencoding::span s;
    for (const row& r : rows) {
        EXPECT_EQ(read(r.input), r.want) << "input \"" << r.input << "\"";
        // The scanner's own number and token reading must agree at these edges too.
        const bool scanned = zv::encoding::bencoding::scan_value(r.input.data(), r.input.size(), 0, s);
        EXPECT_EQ(scanned ? static_cast<long long>(s.end) : -1, std::get<2>(r.want) == good ? std::get<3>(r.want) : -1) << "scanning \"" << r.input << "\"";
    }
    // A start past 0 and past the end.
    EXPECT_TRUE(zv::encoding::bencoding::scan_value("x li1ee 1:a", 11, 1, s) && s.begin == 2 && s.end == 7);
    EXPECT_FALSE(zv::encoding::bencoding::scan_value("li1ee", 5, 6, s));
}

TEST(bencode_test, depth_length_and_memory_limits) {
    const auto nest = [](int n, const std::string& open, const std::string& inner) {
        std::string s;
        for (int i = 0; i < n; ++i) s += open;
        return s + inner + std::string(n, 'e');
    };
    const std::string l512 = nest(512, "l", ""), l511 = nest(511, "l", "");
    const std::string q = "300000:" + std::string(300000, 'q'), x = "200000:" + std::string(200000, 'x');
    // refuse_from: heap requests from this size on fail
    const struct row { std::string input; outcome want; std::size_t refuse_from = 0; } rows[] = {
        {l512, {l512, var::list, good, 1024}},
        {nest(513, "l", ""), {"le", var::list, fail, 513}},
        {"l" + l511 + l511 + "e", {"l" + l511 + l511 + "e", var::list, good, 2046}},  // closed siblings don't count
        {"li1e2000000000:" + std::string(50, 'z'), {"li1ee", var::list, eof_fail, 65}},
        // across the reader's 64 KiB chunks and past the writer's buffer
        {"l" + q + "i-3ee", {"l" + q + "i-3ee", var::list, good, 300013}},
        // out of memory is no fault of the stream's: failbit, as for bad input
        {x, {"", var::none, fail, 65543}, 100000},
        {"li1e" + x + "e", {"li1ee", var::list, fail, 65547}, 100000},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.input.substr(0, 16) + "... of " + std::to_string(r.input.size()));
        alloc_refuse_from = r.refuse_from;
        EXPECT_EQ(read(r.input), r.want);
        alloc_refuse_from = 0;
        EXPECT_LT(alloc_largest, 2 * r.input.size() + (std::size_t{1} << 18));
    }
}

TEST(bencode_test, value_access_and_assignment_from_its_own_tree) {
    const std::string whole = "ll4:deepi7eed1:ad1:bi1eeee";
    const struct row { const char* what; std::function<void(var&)> change; std::string written; } rows[] = {
        {"literal 0 is an index, not a null key", [](var& v) { v.clear(); v[0] = 5; }, "li5ee"},
        {"a copy is deep", [](var& v) { var c(v); c[0u][0u] = 1; }, whole},
        {"self-assignment", [](var& v) { v = v; }, whole},
        {"self-move", [](var& v) { v = std::move(v); }, whole},
        {"moved from a child", [](var& v) { v = std::move(v[1u]["a"]); }, "d1:bi1ee"},
        {"a child's string", [](var& v) { v = v[0u][0u].string_value(); }, "4:deep"},
        {"into a child", [](var& v) { v[1u]["a"] = v; }, "ll4:deepi7eed1:all4:deepi7eed1:ad1:bi1eeeeee"},
        {"made a dictionary keyed by a string it frees", [](var& v) { v[v[1u].dict_value().begin()->first] = 3; }, "d1:ai3ee"},
        // an index the list cannot grow to throws and leaves it alone
        {"index 2^32 - 1", [](var& v) { EXPECT_THROW(v[4294967295u], std::length_error); }, whole},
        {"index -1", [](var& v) { EXPECT_THROW(v[-1], std::length_error); }, whole},
        {"index 2^32", [](var& v) { EXPECT_THROW(v[std::uint64_t{1} << 32], std::length_error); }, whole},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        var v;
        std::istringstream(whole) >> v;
        r.change(v);
        EXPECT_EQ(encode(v), r.written);
    }
    var d;  // keys sort as unsigned bytes
    for (const char* k : {"ab", "\xff", "a", "B", "", "\x80"}) d[k] = 0;
    EXPECT_EQ(encode(d), "d0:i0e1:Bi0e1:ai0e2:abi0e1:\x80i0e1:\xffi0ee");
}

}  // namespace
