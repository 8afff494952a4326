// Reading and writing through streams: what each input leaves, depth and length limits,
// stream settings and odd buffers, each read also done by literal formatted extraction.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace bencoding_test {
// Set in alloc_probe.cpp: the largest heap request made while armed.
extern bool alloc_armed;
extern std::size_t alloc_largest;
}  // namespace bencoding_test

namespace {

using namespace bencoding_test;
using zv::encoding::bencoding::read_by_extraction;
constexpr std::ios_base::iostate eof = std::ios_base::eofbit, bad = std::ios_base::badbit;

TEST(bencode_test, reads_leave_value_state_and_position) {
    for (const auto& [input, expected] : read_rows()) {
        SCOPED_TRACE("input \"" + input + "\"");
        EXPECT_EQ(read(input), expected);
        EXPECT_EQ(read(input, true), expected);
    }
}

TEST(bencode_test, read_write_cycle) {
    using namespace std::string_literals;
    std::string many = "l";  // fills the writer's buffer a few times, on a string and on a marker byte
    for (int i = 0; i < 15000; ++i) many += "3:abci1e";
    many += "e";
    // Other input is normalised once and then stays; canonical input comes back byte for byte.
    std::vector<std::pair<std::string, std::string>> rows = {
        {" d 1:b i+01e 1:a l 0003:xyz e e", "d1:al3:xyze1:bi1ee"},
        {"d1:a1:x1:a1:y+1:bi-0ee", "d1:a1:x1:bi0ee"},
    };
    for (const std::string& canonical : {"i0e"s, "li255ei-3ee"s, "0:"s, "d0:0:e"s, "lllleeee"s, "4:\0\xff\n "s,
                                         canonical_torrent, many, "300000:" + std::string(300000, 'q')})
        rows.push_back({canonical, canonical});
    for (const auto& [input, once] : rows) {
        SCOPED_TRACE(input.substr(0, 40));
        const read_outcome got = read(input);
        EXPECT_EQ(got.written, once);
        EXPECT_EQ(got.state, good);
        EXPECT_EQ(got.pos, static_cast<long long>(input.size()));
        // Written again on a stream set up for other number forms, which the writer ignores.
        std::istringstream is(once);
        var v;
        is >> v;
        std::ostringstream os;
        os << std::hex << std::showpos << std::uppercase << std::setw(20) << v;
        EXPECT_EQ(os.str(), once);
    }
    var big;
    big = std::string(100000, 'x');  // past the writer's buffer: written straight through
    std::ostringstream failed;
    failed.setstate(fail);
    failed << big;
    EXPECT_EQ(failed.str(), "");
}

TEST(bencode_test, depth_length_and_memory_limits) {
    const auto nest = [](int n, const std::string& open, const std::string& inner) {
        std::string s;
        for (int i = 0; i < n; ++i) s += open;
        return s + inner + std::string(n, 'e');
    };
    const std::string l511 = nest(511, "l", ""), l512 = nest(512, "l", ""), d512 = nest(512, "d1:a", "i1e");
    const std::string tail(50, 'z');
    std::vector<std::pair<std::string, read_outcome>> rows = {
        {l512, {l512, var::list, good, 1024}},
        {nest(513, "l", ""), {"le", var::list, fail, 513}},
        {d512, {d512, var::dictionary, good, static_cast<long long>(d512.size())}},
        {nest(513, "d1:a", "i1e"), {"de", var::dictionary, fail, 512 * 4 + 1}},
        {"l" + l511 + l511 + "e", {"l" + l511 + l511 + "e", var::list, good, 2046}},  // closed siblings don't count
        {"li1e" + std::string(512, 'l'), {"li1ee", var::list, fail, 516}},
        {std::string(1000000, 'l'), {"le", var::list, fail, 513}},
        // declared lengths cost only what arrives
        {"2147483647:" + tail, {"", var::none, eof_fail, 61}},
        {"d2000000000:" + tail, {"de", var::dictionary, eof_fail, 62}},
        {"li1e2000000000:" + tail, {"li1ee", var::list, eof_fail, 65}},
    };
    for (std::size_t n : {65535u, 65536u, 65537u, 131072u}) {  // around the reader's chunk size
        std::string whole = std::to_string(n) + ":";
        for (std::size_t i = 0; i < n; ++i) whole += static_cast<char>(i * 7 + i / 251);
        const long long size = static_cast<long long>(whole.size());
        rows.push_back({whole.substr(0, whole.size() - 1), {"", var::none, eof_fail, size - 1}});
        rows.push_back({whole, {whole, var::string, good, size}});
    }
    for (const auto& [input, expected] : rows) {
        for (bool extracting : {false, true}) {
            SCOPED_TRACE(input.substr(0, 16) + "... of " + std::to_string(input.size()) +
                         (extracting ? " extracting" : ""));
            alloc_largest = 0;
            alloc_armed = true;
            const read_outcome got = read(input, extracting);
            alloc_armed = false;
            EXPECT_EQ(got, expected);
            EXPECT_LT(alloc_largest, 2 * input.size() + (std::size_t{1} << 18));
        }
    }
}

// '_' is white space and ' ' is not.
struct underscore_space : std::ctype<char> {
    static const mask* table() {
        static mask t[table_size];
        std::copy(classic_table(), classic_table() + table_size, t);
        t[static_cast<unsigned char>(' ')] &= static_cast<mask>(~space);
        t[static_cast<unsigned char>('_')] |= space;
        return t;
    }
    underscore_space() : std::ctype<char>(table()) {}
};

struct thousands : std::numpunct<char> {
    char do_thousands_sep() const override { return ','; }
    std::string do_grouping() const override { return "\3"; }
};

// Reads with both readers on streams prepared alike; they must agree.
read_outcome read_both(const std::string& input, const stream_setup& setup) {
    const read_outcome got = read(input, false, setup);
    EXPECT_EQ(got, read(input, true, setup));
    return got;
}

TEST(bencode_test, stream_state_and_settings_are_honoured_like_formatted_extraction) {
    const stream_setup noskipws = [](std::istream& is) { is >> std::noskipws; };
    const stream_setup underscore = [](std::istream& is) {
        is.imbue(std::locale(std::locale::classic(), new underscore_space));
    };
    const std::vector<std::tuple<const char*, stream_setup, std::string, read_outcome>> rows = {
        {"at end already", [](std::istream& is) { is.setstate(eof); }, "i1e", {"", var::none, eof, 0}},
        {"failed already", [](std::istream& is) { is.setstate(fail); }, "i1e", {"", var::none, fail, 0}},
        {"bad already", [](std::istream& is) { is.setstate(bad); }, "i1e", {"", var::none, bad, 0}},
        {"no white-space skipping", noskipws, " i1e", {"", var::none, fail, 1}},
        {"locale's own white space", underscore, "_i1e", {"i1e", var::integer, good, 4}},
        {"digit grouping", [](std::istream& is) { is.imbue(std::locale(std::locale::classic(), new thousands)); },
         "i1,000e", {"i1000e", var::integer, good, 7}},
        {"hexadecimal", [](std::istream& is) { is >> std::hex; }, "i10 e", {"i16e", var::integer, good, 5}},
        {"base from prefix", [](std::istream& is) { is.unsetf(std::ios_base::basefield); }, "i010e",
         {"i8e", var::integer, good, 5}},
    };
    for (const auto& [name, setup, input, expected] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(read_both(input, setup), expected);
    }
    // The reader replays these settings itself rather than handing over to extraction.
    std::vector<std::string> inputs = {"i_1_e", "l_i1e__e", "d_1_:a_i1ee", "4_:spam", "4:_spam", "_"};
    for (const auto& row : read_rows()) inputs.push_back(row.first);
    for (const std::string& in : inputs) {
        SCOPED_TRACE("input \"" + in + "\"");
        read_both(in, noskipws);
        read_both(in, underscore);
    }
}

TEST(bencode_test, stream_exceptions_switched_on_are_raised) {
    std::istringstream is("x");
    is.exceptions(std::ios_base::failbit);
    var v;
    EXPECT_THROW(is >> v, std::ios_base::failure);
    EXPECT_EQ(v.kind(), var::none);
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

TEST(bencode_test, refused_putback_and_throwing_buffers) {
    struct row {
        std::string input;
        bool throws;
        std::string written;
        std::ios_base::iostate state;  // eofbit aside
    };
    const std::vector<row> rows = {
        {"i1e", false, "i1e", good},
        {"4:spam", false, "", bad | fail},
        {"li1ee", false, "le", bad},
        {"d1:ai1ee", false, "de", bad | fail},
        {"l", true, "le", bad | fail},  // thrown while skipping white space: the sentry adds fail
        {"i12", true, "i0e", bad},      // thrown inside the number
        {"i1 ", true, "i0e", bad | fail},
    };
    for (const row& r : rows) {
        for (bool extracting : {false, true}) {
            SCOPED_TRACE(r.input + (extracting ? " extracting" : ""));
            unbuffered buffer(r.input, r.throws);
            std::istream is(&buffer);
            var v;
            EXPECT_NO_THROW(extracting ? read_by_extraction(is, v) : static_cast<void>(is >> v));
            EXPECT_EQ(encode(v), r.written);
            EXPECT_EQ(is.rdstate() & ~std::ios_base::eofbit, r.state);
        }
    }
}

}  // namespace
