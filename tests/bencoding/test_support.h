// Shared helpers for the bencoding tests: reading a text and describing what the read left.
#pragma once

#include <ios>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bencoding/bencode.h"
#include "bencoding/var.h"
#include "reference_reader.h"

namespace bencoding_test {

using zv::encoding::bencoding::var;

inline std::string encode(const var& v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

inline constexpr std::ios_base::iostate good = std::ios_base::goodbit;
inline constexpr std::ios_base::iostate fail = std::ios_base::failbit;
inline constexpr std::ios_base::iostate eof_fail = std::ios_base::eofbit | std::ios_base::failbit;

// What a read left behind: the value as written back, its kind, the stream bits and position.
struct read_outcome {
    std::string written;
    int kind = 0;
    std::ios_base::iostate state = good;
    long long pos = 0;

    bool operator==(const read_outcome& o) const {
        return written == o.written && kind == o.kind && state == o.state && pos == o.pos;
    }
};

inline std::ostream& operator<<(std::ostream& os, const read_outcome& r) {
    return os << "{\"" << r.written << "\", kind " << r.kind << ", state " << r.state << ", pos " << r.pos << "}";
}

// Reads with operator>>, or with the reference transcription of the procedure.
inline read_outcome read(std::string_view input, bool reference = false) {
    std::istringstream is{std::string(input)};
    var v;
    v = 9;  // the reader clears whatever was there
    if (reference)
        reference_read(is, v);
    else
        is >> v;
    // tellg() answers -1 on a failed stream; the buffer still knows.
    return {encode(v), v.kind(), is.rdstate(), is.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in)};
}

inline const std::string canonical_torrent =
    "d8:announce14:http://x/annce4:infod5:filesld6:lengthi1e4:pathl1:a5:b.mkveee4:name1:n"
    "12:piece lengthi16384e6:pieces20:aaaaaaaaaaaaaaaaaaaaee";

using read_row = std::pair<std::string, read_outcome>;  // input, outcome

inline const std::vector<read_row>& read_rows() {
    using namespace std::string_literals;
    static const std::vector<read_row> rows = {
        // integers: signs, leading zeros and white space are taken; the 64-bit range is exact
        {"i42e", {"i42e", var::integer, good, 4}}, {"i-7e", {"i-7e", var::integer, good, 4}},
        {"i+05e", {"i5e", var::integer, good, 5}}, {"i-0e", {"i0e", var::integer, good, 4}},
        {"i 42\te", {"i42e", var::integer, good, 6}}, {"ie", {"i0e", var::integer, fail, 1}},
        {"i12x", {"i0e", var::integer, fail, 4}}, {"i42", {"i0e", var::integer, eof_fail, 3}},
        {"i- 1e", {"i0e", var::integer, fail, 2}},
        {"i9223372036854775807e", {"i9223372036854775807e", var::integer, good, 21}},
        {"i9223372036854775808e", {"i0e", var::integer, fail, 20}},
        {"i-9223372036854775808e", {"i-9223372036854775808e", var::integer, good, 22}},
        {"i-9223372036854775809e", {"i0e", var::integer, fail, 21}},
        {"i0000000000000000000000000042e", {"i42e", var::integer, good, 30}},
        {"i20000000000000000000e", {"i0e", var::integer, fail, 21}},  // times ten wraps past 2^64
        {"i1e trailing", {"i1e", var::integer, good, 3}},
        // strings: the length is a 32-bit count; white space before ":" only
        {"0:", {"0:", var::string, good, 2}}, {"4:spam", {"4:spam", var::string, good, 6}},
        {"4:spa", {"", var::none, eof_fail, 5}}, {"03:abc", {"3:abc", var::string, good, 6}},
        {"4", {"", var::none, eof_fail, 1}}, {"4 :spam", {"4:spam", var::string, good, 7}},
        {"4: spam", {"4: spa", var::string, good, 6}}, {"4x", {"", var::none, fail, 2}},
        {"3:a\0b"s, {"3:a\0b"s, var::string, good, 5}}, {"2147483647:abc", {"", var::none, eof_fail, 14}},
        {"2147483648:x", {"", var::none, fail, 10}}, {"+1:a", {"", var::none, fail, 1}},
        // lists: an unfinished element is dropped, those before it stay
        {"le", {"le", var::list, good, 2}}, {"l4:spami42ee", {"l4:spami42ee", var::list, good, 12}},
        {"l1:ai1e", {"l1:ai1ee", var::list, eof_fail, 7}}, {"li1eli2e", {"li1ee", var::list, eof_fail, 8}},
        {"li1ex", {"li1ee", var::list, fail, 5}}, {"l", {"le", var::list, eof_fail, 1}},
        // dictionaries: keys sorted, the first of equal keys kept, "+" but no "-" before a key length
        {"d1:b1:x1:a1:ye", {"d1:a1:y1:b1:xe", var::dictionary, good, 14}},
        {"d1:a1:x1:a1:ye", {"d1:a1:xe", var::dictionary, good, 14}},
        {" d 1:a i1 e e", {"d1:ai1ee", var::dictionary, good, 13}},
        {"d0:i1ee", {"d0:i1ee", var::dictionary, good, 7}}, {"d+1:ai1ee", {"d1:ai1ee", var::dictionary, good, 9}},
        {"d-0:i1ee", {"d0:i1ee", var::dictionary, good, 8}}, {"d-1:ai1ee", {"de", var::dictionary, fail, 4}},
        {"di1e1:xe", {"de", var::dictionary, fail, 1}}, {"d1:ai1e", {"d1:ai1ee", var::dictionary, eof_fail, 7}},
        {"d1:a", {"de", var::dictionary, eof_fail, 4}}, {"d1:", {"de", var::dictionary, eof_fail, 3}},
        {"d1:ae", {"de", var::dictionary, fail, 5}}, {"d1:ad1:bi1e1:ci2x", {"de", var::dictionary, fail, 17}},
        {"d1:ad1:bl", {"de", var::dictionary, eof_fail, 9}},
        {"d1:ai1e1:ad1:bi1e", {"d1:ai1ee", var::dictionary, eof_fail, 17}},
        {"d1:ai1e1:ad1:bi1ee1:bi2ee", {"d1:ai1e1:bi2ee", var::dictionary, good, 25}},
        // nothing readable
        {"", {"", var::none, eof_fail, 0}}, {" \t\n\v\f\r", {"", var::none, eof_fail, 6}},
        {"x", {"", var::none, fail, 1}}, {"\xffi1e", {"", var::none, fail, 1}},
    };
    return rows;
}

}  // namespace bencoding_test
