// Reading and writing through streams: what each input leaves, against the reference
// transcription and the in-memory scanner; depth, length and memory limits; odd streams.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "bencoding/scan.h"
#include "test_support.h"

namespace bencoding_test {
// Set in alloc_probe.cpp.
extern bool alloc_armed;
extern std::size_t alloc_largest, alloc_refuse_from;
}  // namespace bencoding_test

namespace {

using namespace bencoding_test;
using zv::encoding::bencoding::scan_value;
using zv::encoding::bencoding::span;
constexpr std::ios_base::iostate bad = std::ios_base::badbit;

// operator>>, the reference and the scanner from every start offset agree on `input`.
void expect_agreement(const std::string& input, const read_outcome& ours) {
    EXPECT_EQ(read(input, true), ours) << "reference";
    for (std::size_t pos = 0; pos <= input.size() && pos < 40; ++pos) {
        const read_outcome tail = pos == 0 ? ours : read(input.substr(pos));
        span s;
        ASSERT_EQ(scan_value(input.data(), input.size(), pos, s), tail.state == good) << "from " << pos;
        if (tail.state != good) continue;
        EXPECT_EQ(s.end, pos + static_cast<std::size_t>(tail.pos)) << "from " << pos;
        EXPECT_EQ(s.begin, input.find_first_not_of(" \t\n\v\f\r", pos)) << "from " << pos;
    }
}

TEST(bencode_test, reads_leave_value_state_and_position) {
    for (const auto& [input, expected] : read_rows()) {
        SCOPED_TRACE("input \"" + input + "\"");
        EXPECT_EQ(read(input), expected);
        expect_agreement(input, expected);
    }
}

TEST(bencode_test, read_write_cycle) {
    // Other input is normalised; canonical input comes back byte for byte, whatever the
    // stream's number formatting (which the writer ignores), past the writer's buffer too.
    const std::pair<std::string, std::string> rows[] = {
        {" d 1:b i+01e 1:a l 0003:xyz e e", "d1:al3:xyze1:bi1ee"}, {"d1:a1:x1:a1:y+1:bi-0ee", "d1:a1:x1:bi0ee"},
        {canonical_torrent, canonical_torrent}, {"l300000:" + std::string(300000, 'q') + "i-3ee", ""}};
    for (const auto& [input, normal] : rows) {
        const std::string once = normal.empty() ? input : normal;
        std::istringstream is(input);
        var v;
        is >> v;
        std::ostringstream os;
        os << std::hex << std::showpos << std::setw(20) << v;
        EXPECT_EQ(os.str(), once) << input.substr(0, 40);
        EXPECT_EQ(read(once).written, once);
    }
}

TEST(bencode_test, depth_length_and_memory_limits) {
    const auto nest = [](int n, const std::string& open, const std::string& inner) {
        std::string s;
        for (int i = 0; i < n; ++i) s += open;
        return s + inner + std::string(n, 'e');
    };
    const std::string l512 = nest(512, "l", ""), d512 = nest(512, "d1:a", "i1e"), tail(50, 'z');
    const std::string l511 = nest(511, "l", "");
    std::vector<std::pair<std::string, read_outcome>> rows = {
        {l512, {l512, var::list, good, 1024}},
        {nest(513, "l", ""), {"le", var::list, fail, 513}},
        {d512, {d512, var::dictionary, good, static_cast<long long>(d512.size())}},
        {nest(513, "d1:a", "i1e"), {"de", var::dictionary, fail, 512 * 4 + 1}},
        {"l" + l511 + l511 + "e", {"l" + l511 + l511 + "e", var::list, good, 2046}},  // closed siblings don't count
        {std::string(1000000, 'l'), {"le", var::list, fail, 513}},
        // declared lengths cost only what arrives
        {"2147483647:" + tail, {"", var::none, eof_fail, 61}},
        {"li1e2000000000:" + tail, {"li1ee", var::list, eof_fail, 65}},
    };
    for (std::size_t n : {65535u, 65536u, 65537u}) {  // around the reader's chunk size
        std::string whole = std::to_string(n) + ":";
        for (std::size_t i = 0; i < n; ++i) whole += static_cast<char>(i * 7 + i / 251);
        const long long size = static_cast<long long>(whole.size());
        rows.push_back({whole.substr(0, whole.size() - 1), {"", var::none, eof_fail, size - 1}});
        rows.push_back({whole, {whole, var::string, good, size}});
    }
    for (const auto& [input, expected] : rows) {
        SCOPED_TRACE(input.substr(0, 16) + "... of " + std::to_string(input.size()));
        alloc_largest = 0;
        alloc_armed = true;
        const read_outcome got = read(input);
        alloc_armed = false;
        EXPECT_EQ(got, expected);
        EXPECT_LT(alloc_largest, 2 * input.size() + (std::size_t{1} << 18));
    }
}

TEST(bencode_test, running_out_of_memory_fails_the_read_like_bad_input) {
    // A string's bytes, alone and inside a list that keeps what came before it.
    const std::string big = "200000:" + std::string(200000, 'x');
    const struct {
        std::string input, written;
    } rows[] = {{big, ""}, {"li1e" + big + "e", "li1ee"}};
    for (const auto& r : rows) {
        std::istringstream is(r.input);
        var v;
        alloc_refuse_from = 100000;
        alloc_armed = true;
        EXPECT_NO_THROW(is >> v);
        alloc_armed = false;
        alloc_refuse_from = 0;
        EXPECT_EQ(encode(v), r.written);
        EXPECT_EQ(is.rdstate(), fail) << "out of memory is no fault of the stream's";
    }
}

// No get area: every byte comes from underflow/uflow and nothing can be put back.
struct unbuffered : std::streambuf {
    unbuffered(std::string text, bool throw_at_end) : text(std::move(text)), throw_at_end(throw_at_end) {}
    int_type underflow() override {
        if (at < text.size()) return traits_type::to_int_type(text[at]);
        if (throw_at_end) throw std::runtime_error("device gone");
        return traits_type::eof();
    }
    int_type uflow() override {
        const int_type c = underflow();
        if (!traits_type::eq_int_type(c, traits_type::eof())) ++at;
        return c;
    }
    std::string text;
    bool throw_at_end;
    std::size_t at = 0;
};

TEST(bencode_test, refused_putback_throwing_buffers_and_stream_settings) {
    const struct {
        std::string input;
        bool throws;
        std::string written;
        std::ios_base::iostate state;  // eofbit aside
    } rows[] = {
        {"i1e", false, "i1e", good},
        {"4:spam", false, "", bad | fail},
        {"li1ee", false, "le", bad},
        {"d1:ai1ee", false, "de", bad | fail},
        {"l", true, "le", bad | fail},  // thrown while skipping white space: the sentry adds fail
        {"i12", true, "i0e", bad},      // thrown inside the number
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.input);
        unbuffered buffer(r.input, r.throws);
        std::istream is(&buffer);
        var v;
        EXPECT_NO_THROW(is >> v);
        EXPECT_EQ(encode(v), r.written);
        EXPECT_EQ(is.rdstate() & ~std::ios_base::eofbit, r.state);
    }
    // Exceptions the caller switched on are raised, and the stream's own settings apply.
    std::istringstream failing("x"), hex("i10 e"), noskip(" i1e");
    failing.exceptions(std::ios_base::failbit);
    var v;
    EXPECT_THROW(failing >> v, std::ios_base::failure);
    EXPECT_EQ(v.kind(), var::none);
    hex >> std::hex >> v;
    EXPECT_EQ(encode(v), "i16e");
    noskip >> std::noskipws >> v;
    EXPECT_TRUE(noskip.fail());
}

}  // namespace
