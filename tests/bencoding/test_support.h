// Shared helpers for the bencoding tests: reading a text both ways and describing the outcome.
#pragma once

#include <cstdint>
#include <ios>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bencoding/bencode.h"
#include "bencoding/var.h"

namespace bencoding_test {

using zv::encoding::bencoding::var;

inline std::string encode(const var& v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

// What a read left behind: the value (as written back), its kind, the stream bits and where
// the stream stands.
struct read_outcome {
    std::string written;
    int kind = 0;
    std::ios_base::iostate state = std::ios_base::goodbit;
    long long pos = 0;

    bool operator==(const read_outcome& o) const {
        return written == o.written && kind == o.kind && state == o.state && pos == o.pos;
    }
};

inline long long stream_pos(std::istream& is) {
    // tellg() answers -1 on a failed stream; the buffer still knows.
    return static_cast<long long>(is.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in));
}

inline read_outcome describe(std::istream& is, const var& v) {
    read_outcome r;
    r.written = encode(v);
    r.kind = v.kind();
    r.state = is.rdstate();
    r.pos = stream_pos(is);
    return r;
}

inline read_outcome read_fast(std::string_view input) {
    std::istringstream is{std::string(input)};
    var v;
    is >> v;
    return describe(is, v);
}

inline read_outcome read_extracting(std::string_view input) {
    std::istringstream is{std::string(input)};
    var v;
    zv::encoding::bencoding::read_by_extraction(is, v);
    return describe(is, v);
}

inline std::string state_text(std::ios_base::iostate s) {
    std::string t;
    if (s & std::ios_base::eofbit) t += "eof ";
    if (s & std::ios_base::failbit) t += "fail ";
    if (s & std::ios_base::badbit) t += "bad ";
    return t.empty() ? "good" : t;
}

inline std::ostream& operator<<(std::ostream& os, const read_outcome& r) {
    return os << "{written \"" << r.written << "\", kind " << r.kind << ", " << state_text(r.state) << ", pos "
              << r.pos << "}";
}

// Reads of one value: the value written back, its kind, the stream bits and position after.
inline constexpr std::ios_base::iostate good = std::ios_base::goodbit;
inline constexpr std::ios_base::iostate fail = std::ios_base::failbit;
inline constexpr std::ios_base::iostate eof_fail = std::ios_base::eofbit | std::ios_base::failbit;

struct read_row {
    std::string input;
    std::string written;
    int kind;
    std::ios_base::iostate state;
    long long pos;
};

inline const std::vector<read_row>& read_rows() {
    using namespace std::string_literals;
    static const std::vector<read_row> rows = {
        // integers
        {"i42e", "i42e", var::integer, good, 4},
        {"i-7e", "i-7e", var::integer, good, 4},
        {"i+05e", "i5e", var::integer, good, 5},
        {"i-0e", "i0e", var::integer, good, 4},
        {"ie", "i0e", var::integer, fail, 1},
        {"i12x", "i0e", var::integer, fail, 4},
        {"i", "i0e", var::integer, eof_fail, 1},
        {"i42", "i0e", var::integer, eof_fail, 3},
        {"i 42\te", "i42e", var::integer, good, 6},
        {"i- 1e", "i0e", var::integer, fail, 2},
        {"i+e", "i0e", var::integer, fail, 2},
        {"i--1e", "i0e", var::integer, fail, 2},
        {"i1.5e", "i0e", var::integer, fail, 3},
        {"i9223372036854775807e", "i9223372036854775807e", var::integer, good, 21},
        {"i9223372036854775808e", "i0e", var::integer, fail, 20},
        {"i-9223372036854775808e", "i-9223372036854775808e", var::integer, good, 22},
        {"i-9223372036854775809e", "i0e", var::integer, fail, 21},
        {"i0000000000000000000000000042e", "i42e", var::integer, good, 30},
        {"i99999999999999999999999999e", "i0e", var::integer, fail, 27},
        {"i1e trailing", "i1e", var::integer, good, 3},
        // strings
        {"0:", "0:", var::string, good, 2},
        {"00:", "0:", var::string, good, 3},
        {"4:spam", "4:spam", var::string, good, 6},
        {"4:spa", "", var::none, eof_fail, 5},
        {"03:abc", "3:abc", var::string, good, 6},
        {"1:", "", var::none, eof_fail, 2},
        {"4", "", var::none, eof_fail, 1},
        {"4 :spam", "4:spam", var::string, good, 7},
        {"4: spam", "4: spa", var::string, good, 6},
        {"4x", "", var::none, fail, 2},
        {"3:a\0b"s, "3:a\0b"s, var::string, good, 5},
        {"2147483647:abc", "", var::none, eof_fail, 14},
        {"2147483648:x", "", var::none, fail, 10},
        {"99999999999999999999:x", "", var::none, fail, 20},
        {"+1:a", "", var::none, fail, 1},
        {"-1:a", "", var::none, fail, 1},
        // lists
        {"le", "le", var::list, good, 2},
        {"l4:spami42ee", "l4:spami42ee", var::list, good, 12},
        {"l1:ai1e", "l1:ai1ee", var::list, eof_fail, 7},
        {"lli1eee", "lli1eee", var::list, good, 7},
        {"lli1ei2e", "le", var::list, eof_fail, 8},
        {"li1eli2e", "li1ee", var::list, eof_fail, 8},
        {"l-1e", "le", var::list, fail, 2},
        {"li1ex", "li1ee", var::list, fail, 5},
        {"l i1e  e", "li1ee", var::list, good, 8},
        {"l", "le", var::list, eof_fail, 1},
        // dictionaries
        {"d1:b1:x1:a1:ye", "d1:a1:y1:b1:xe", var::dictionary, good, 14},
        {"d1:a1:x1:a1:ye", "d1:a1:xe", var::dictionary, good, 14},
        {"d1:a1:x1:ai1e1:bi2ee", "d1:a1:x1:bi2ee", var::dictionary, good, 20},
        {"d1:a1:x1:ai1x", "d1:a1:xe", var::dictionary, fail, 13},
        {"di1e1:xe", "de", var::dictionary, fail, 1},
        {" d 1:a i1 e e", "d1:ai1ee", var::dictionary, good, 13},
        {"d+1:ai1ee", "d1:ai1ee", var::dictionary, good, 9},
        {"d-1:ai1ee", "de", var::dictionary, fail, 4},
        {"d-0:i1ee", "d0:i1ee", var::dictionary, good, 8},
        {"d 1 :a i1e e", "d1:ai1ee", var::dictionary, good, 12},
        {"d1:ai1e", "d1:ai1ee", var::dictionary, eof_fail, 7},
        {"d1:a", "de", var::dictionary, eof_fail, 4},
        {"d1:", "de", var::dictionary, eof_fail, 3},
        {"d1:ab", "de", var::dictionary, fail, 5},
        {"d1:ae", "de", var::dictionary, fail, 5},
        {"d1:a lee", "d1:alee", var::dictionary, good, 8},
        {"d0:i1ee", "d0:i1ee", var::dictionary, good, 7},
        {"d1:ad1:bi1e1:ci2x", "de", var::dictionary, fail, 17},
        {"d", "de", var::dictionary, eof_fail, 1},
        // unfinished containers below the root are taken out again, repeated keys dropped
        {"d1:ai1e1:ad1:bi1e", "d1:ai1ee", var::dictionary, eof_fail, 17},
        {"d1:ai1e1:ad1:bi1ee1:bi2ee", "d1:ai1e1:bi2ee", var::dictionary, good, 25},
        {"ld1:ai1eeli1e", "ld1:ai1eee", var::list, eof_fail, 13},
        {"d1:ad1:bl", "de", var::dictionary, eof_fail, 9},
        // nothing readable
        {"", "", var::none, eof_fail, 0},
        {" \t\n\v\f\r", "", var::none, eof_fail, 6},
        {"x", "", var::none, fail, 1},
        {"e", "", var::none, fail, 1},
        {"\xffi1e", "", var::none, fail, 1},
    };
    return rows;
}

}  // namespace bencoding_test
