// Reading and writing through streams: the grammar's acceptance and failure points, what a
// failed read leaves, stream bits and position, depth and length limits, and agreement with
// a reader that uses the stream's formatted extraction literally.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "alloc_probe.h"
#include "bencoding/bencode.h"
#include "bencoding/var.h"
#include "test_support.h"

namespace {

using namespace bencoding_test;
using namespace std::string_literals;
using zv::encoding::bencoding::read_by_extraction;
using zv::encoding::bencoding::var;

TEST(bencode_test, reads_leave_value_state_and_position) {
    for (const read_row& r : read_rows()) {
        SCOPED_TRACE("input \"" + r.input + "\"");
        const read_outcome expected{r.written, r.kind, r.state, r.pos};
        EXPECT_EQ(read_fast(r.input), expected);
        EXPECT_EQ(read_extracting(r.input), expected);
    }
}

TEST(bencode_test, canonical_input_writes_back_byte_for_byte) {
    const std::vector<std::string> inputs = {
        "i0e", "i-1e", "0:", "le", "de", "d0:0:e", "lllleeee", "4:\0\xff\n "s,
        "d8:announce14:http://x/annce4:infod5:filesld6:lengthi1e4:pathl1:a5:b.mkveee4:name1:n12:piece lengthi16384e6:pieces20:"
        "aaaaaaaaaaaaaaaaaaaaee",
    };
    for (const std::string& in : inputs) {
        SCOPED_TRACE(in);
        std::istringstream is(in);
        var v;
        is >> v;
        EXPECT_TRUE(is.good());
        EXPECT_EQ(encode(v), in);
    }
}

TEST(bencode_test, nesting_is_bounded_at_512_open_containers) {
    struct row {
        const char* name;
        std::string input;
        std::ios_base::iostate state;
        long long pos;
        std::string written;
    };
    const std::string l512 = std::string(512, 'l') + std::string(512, 'e');
    const std::string l511 = std::string(511, 'l') + std::string(511, 'e');
    std::string d512;
    for (int i = 0; i < 512; ++i) d512 += "d1:a";
    d512 += "i1e" + std::string(512, 'e');
    std::string d513;
    for (int i = 0; i < 513; ++i) d513 += "d1:a";
    const std::vector<row> rows = {
        {"512 lists", l512, good, 1024, l512},
        {"513 lists", std::string(513, 'l') + std::string(513, 'e'), fail, 513, "le"},
        {"512 dictionaries", d512, good, static_cast<long long>(d512.size()), d512},
        {"513 dictionaries", d513 + "i1e", fail, 512 * 4 + 1, "de"},
        {"closed siblings do not count", "l" + l511 + l511 + "e", good, 2046, "l" + l511 + l511 + "e"},
        {"completed elements stay", "li1e" + std::string(512, 'l'), fail, 516, "li1ee"},
        {"a million open lists", std::string(1000000, 'l'), fail, 513, "le"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        const read_outcome expected{r.written, r.written[0] == 'l' ? var::list : var::dictionary, r.state, r.pos};
        EXPECT_EQ(read_fast(r.input), expected);
        EXPECT_EQ(read_extracting(r.input), expected);
    }
}

TEST(bencode_test, declared_lengths_cost_only_what_arrives) {
    struct row {
        const char* name;
        std::string input;
        std::string written;
    };
    const std::string tail(50, 'z');
    const std::vector<row> rows = {
        {"string", "2000000000:" + tail, ""},
        {"largest string", "2147483647:" + tail, ""},
        {"key", "d2000000000:" + tail, "de"},
        {"string in a list", "li1e2000000000:" + tail, "li1ee"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        for (bool extracting : {false, true}) {
            std::size_t largest = 0;
            read_outcome got;
            {
                alloc_probe probe;
                got = extracting ? read_extracting(r.input) : read_fast(r.input);
                largest = probe.largest();
            }
            EXPECT_EQ(got.state, eof_fail);
            EXPECT_EQ(got.written, r.written);
            EXPECT_EQ(got.pos, static_cast<long long>(r.input.size()));
            EXPECT_LT(largest, std::size_t{1} << 20);
        }
    }
}

TEST(bencode_test, long_strings_across_chunk_boundaries) {
    for (std::size_t n : {65535u, 65536u, 65537u, 131072u, 200001u}) {
        SCOPED_TRACE(n);
        std::string payload(n, '\0');
        for (std::size_t i = 0; i < n; ++i) payload[i] = static_cast<char>(i * 7 + i / 251);
        const std::string whole = std::to_string(n) + ":" + payload;
        const read_outcome full = read_fast(whole);
        EXPECT_EQ(full, (read_outcome{whole, var::string, good, static_cast<long long>(whole.size())}));
        EXPECT_EQ(read_extracting(whole), full);

        const std::string cut = whole.substr(0, whole.size() - 1);
        const read_outcome shorter = read_fast(cut);
        EXPECT_EQ(shorter, (read_outcome{"", var::none, eof_fail, static_cast<long long>(cut.size())}));
        EXPECT_EQ(read_extracting(cut), shorter);
    }
}

TEST(bencode_test, a_stream_that_is_not_good_is_left_alone) {
    for (std::ios_base::iostate preset : {std::ios_base::eofbit, std::ios_base::failbit, std::ios_base::badbit}) {
        SCOPED_TRACE(state_text(preset));
        std::istringstream is("i1e");
        is.setstate(preset);
        var v;
        v = std::int64_t{9};
        is >> v;
        EXPECT_EQ(v.kind(), var::none);
        EXPECT_EQ(is.rdstate(), preset);
        EXPECT_EQ(stream_pos(is), 0);
    }
}

TEST(bencode_test, values_read_one_after_another) {
    std::istringstream is("i1e 4:spam\nle d1:ai2ee");
    std::vector<std::string> got;
    var v;
    while (is >> v) got.push_back(encode(v));
    EXPECT_EQ(got, (std::vector<std::string>{"i1e", "4:spam", "le", "d1:ai2ee"}));
    EXPECT_EQ(is.rdstate(), eof_fail);
    EXPECT_EQ(v.kind(), var::none);
}

// Reads input on a stream prepared by `setup`, with operator>> and with literal extraction.
void expect_both_readers_agree(const std::string& input, const std::function<void(std::istream&)>& setup,
                               const read_outcome* expected = nullptr) {
    std::istringstream a(input), b(input);
    setup(a);
    setup(b);
    var va, vb;
    a >> va;
    read_by_extraction(b, vb);
    const read_outcome fast = describe(a, va);
    EXPECT_EQ(fast, describe(b, vb)) << "input \"" << input << "\"";
    if (expected) {
        EXPECT_EQ(fast, *expected) << "input \"" << input << "\"";
    }
}

// '_' is white space and ' ' is not.
class underscore_space : public std::ctype<char> {
public:
    underscore_space() : std::ctype<char>(make_table()) {}

private:
    static const mask* make_table() {
        static mask table[table_size];
        std::copy(classic_table(), classic_table() + table_size, table);
        table[static_cast<unsigned char>(' ')] &= static_cast<mask>(~space);
        table[static_cast<unsigned char>('_')] |= space;
        return table;
    }
};

struct thousands : std::numpunct<char> {
    char do_thousands_sep() const override { return ','; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(bencode_test, stream_settings_are_honoured_like_formatted_extraction) {
    struct row {
        const char* name;
        std::function<void(std::istream&)> setup;
        std::vector<std::string> inputs;
    };
    const auto table_inputs = [] {
        std::vector<std::string> all;
        for (const read_row& r : read_rows()) all.push_back(r.input);
        return all;
    }();
    const std::vector<row> rows = {
        {"no white-space skipping", [](std::istream& is) { is >> std::noskipws; }, table_inputs},
        {"locale with its own white space",
         [](std::istream& is) { is.imbue(std::locale(std::locale::classic(), new underscore_space)); },
         {"_i1e", " i1e", "i_1_e", "l_i1e__e", "d_1_:a_i1ee", "4_:spam", "4:_spam", "_", ""}},
        {"digit grouping", [](std::istream& is) { is.imbue(std::locale(std::locale::classic(), new thousands)); },
         {"i1,000e", "i1,00e", "i,1e", "1,0:aaaaaaaaaa", "d1:ai1,234ee", "i42e"}},
        {"hexadecimal", [](std::istream& is) { is >> std::hex; }, {"i10e", "ia0e", "1a:" + std::string(26, 'q'), "i0x1fe"}},
        {"base from prefix", [](std::istream& is) { is.unsetf(std::ios_base::basefield); },
         {"i010e", "i0x10e", "i09e", "10:aaaaaaaa"}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        for (const std::string& in : r.inputs) expect_both_readers_agree(in, r.setup);
    }
    // Spot checks that the settings really changed the reading.
    const read_outcome sixteen{"i16e", var::integer, good, 5};
    expect_both_readers_agree("i10 e", [](std::istream& is) { is >> std::hex; }, &sixteen);
    const read_outcome grouped{"i1000e", var::integer, good, 7};
    expect_both_readers_agree(
        "i1,000e", [](std::istream& is) { is.imbue(std::locale(std::locale::classic(), new thousands)); },
        &grouped);
    const read_outcome underscore{"i1e", var::integer, good, 4};
    expect_both_readers_agree(
        "_i1e", [](std::istream& is) { is.imbue(std::locale(std::locale::classic(), new underscore_space)); },
        &underscore);
    const read_outcome unskipped{"", var::none, fail, 1};
    expect_both_readers_agree(" i1e", [](std::istream& is) { is >> std::noskipws; }, &unskipped);
}

// A buffer without a get area: every byte comes from underflow/uflow and nothing can be put back.
class unbuffered : public std::streambuf {
public:
    explicit unbuffered(std::string text, bool throw_at_end = false) : text_(std::move(text)), throw_(throw_at_end) {}

protected:
    int_type underflow() override {
        if (at_ < text_.size()) return traits_type::to_int_type(text_[at_]);
        if (throw_) throw std::runtime_error("device gone");
        return traits_type::eof();
    }
    int_type uflow() override {
        const int_type c = underflow();
        if (!traits_type::eq_int_type(c, traits_type::eof())) ++at_;
        return c;
    }

private:
    std::string text_;
    std::size_t at_ = 0;
    bool throw_;
};

TEST(bencode_test, refused_putback_and_throwing_buffers) {
    struct row {
        std::string input;
        bool throws;
        std::string written;
        std::ios_base::iostate state;
    };
    const std::vector<row> rows = {
        {"i1e", false, "i1e", good},
        {"4:spam", false, "", std::ios_base::badbit | fail},
        {"li1ee", false, "le", std::ios_base::badbit},
        {"d1:ai1ee", false, "de", std::ios_base::badbit | fail},
        {"le", false, "le", good},
        // Thrown while skipping white space: bad, and the sentry adds fail.
        {"l", true, "le", std::ios_base::badbit | fail},
        // Thrown inside the number: bad only.
        {"i12", true, "i0e", std::ios_base::badbit},
        {"i1 ", true, "i0e", std::ios_base::badbit | fail},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.input);
        unbuffered sa(r.input, r.throws), sb(r.input, r.throws);
        std::istream a(&sa), b(&sb);
        var va, vb;
        EXPECT_NO_THROW(a >> va);
        EXPECT_NO_THROW(read_by_extraction(b, vb));
        EXPECT_EQ(encode(va), r.written);
        EXPECT_EQ(a.rdstate() & ~std::ios_base::eofbit, r.state);
        EXPECT_EQ(encode(vb), r.written);
        EXPECT_EQ(b.rdstate() & ~std::ios_base::eofbit, r.state);
    }
}

TEST(bencode_test, stream_exceptions_switched_on_are_raised) {
    std::istringstream is("x");
    is.exceptions(std::ios_base::failbit);
    var v;
    EXPECT_THROW(is >> v, std::ios_base::failure);
    EXPECT_EQ(v.kind(), var::none);
}

TEST(bencode_test, writer_output) {
    struct row {
        const char* name;
        std::function<var()> make;
        std::function<void(std::ostream&)> setup;
        std::string written;
    };
    const auto plain = [](std::ostream&) {};
    const auto number = [] {
        var v;
        v[0u] = std::int64_t{255};
        v[1u] = std::int64_t{-3};
        return v;
    };
    const std::vector<row> rows = {
        {"none is nothing", [] { return var(); }, plain, ""},
        {"entry holding none", [] { var v; v["x"]; return v; }, plain, "d1:xe"},
        {"list of none", [] { var v; v[2u]; return v; }, plain, "le"},
        {"numbers stay decimal on a formatted stream", number,
         [](std::ostream& os) { os << std::hex << std::showpos << std::uppercase; }, "li255ei-3ee"},
        {"width does not pad", number, [](std::ostream& os) { os.width(20); }, "li255ei-3ee"},
        {"long string", [] { var v; v = std::string(300000, 'q'); return v; }, plain,
         "300000:" + std::string(300000, 'q')},
        {"many short strings",
         [] {
             var v;
             for (std::uint32_t i = 0; i < 30000; ++i) v[i] = std::string("abc");
             return v;
         },
         plain,
         [] {
             std::string s = "l";
             for (int i = 0; i < 30000; ++i) s += "3:abc";
             return s + "e";
         }()},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        std::ostringstream os;
        r.setup(os);
        os << r.make();
        EXPECT_EQ(os.str(), r.written);
    }
}

TEST(bencode_test, writer_on_a_failed_stream_writes_nothing) {
    std::ostringstream os;
    os.setstate(std::ios_base::failbit);
    var v;
    v["a"] = std::string(100000, 'x');
    os << v;
    EXPECT_EQ(os.str(), "");
    EXPECT_TRUE(os.fail());
}

TEST(bencode_test, read_write_cycle_normalises) {
    struct row {
        std::string input;
        std::string once;
    };
    const std::vector<row> rows = {
        {" d 1:b i+01e 1:a l 0003:xyz e e", "d1:al3:xyze1:bi1ee"},
        {"d1:a1:x1:a1:y+1:bi-0ee", "d1:a1:x1:bi0ee"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.input);
        const read_outcome first = read_fast(r.input);
        EXPECT_EQ(first.written, r.once);
        EXPECT_EQ(read_fast(first.written).written, r.once);
    }
}

}  // namespace
