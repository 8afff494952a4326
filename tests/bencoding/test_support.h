// Shared helpers for the bencoding tests: reading a text both ways and describing the outcome.
#pragma once

#include <cstdint>
#include <ios>
#include <sstream>
#include <string>
#include <string_view>

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

}  // namespace bencoding_test
