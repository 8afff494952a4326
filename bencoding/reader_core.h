// The one bencode grammar, shared by the stream reader and the in-memory scanner. It takes
// bytes from a source that behaves like formatted extraction and tells a sink what it read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ios>
#include <string_view>

namespace zv::encoding::bencoding::core {

// At most this many lists and dictionaries may be open at once; opening one more fails.
constexpr std::size_t max_depth = 512;

enum class outcome { complete, failed, stopped };

// White space as a ctype<char> facet classifies it, one flag per byte value.
struct space_table {
    bool is[256] = {};
};
const space_table& classic_space();

// Byte-level access for the extractor. Cursor provides:
//   int peek()          current byte 0..255, -1 at the end
//   int next()          step past it and peek
//   int take()          the current byte, stepping past it; -1 at the end
//   bool unget(char c)  give back the byte just taken; false if the source refuses
//   std::size_t pos()   offset of the current byte (sources without offsets give 0)
//   bool read(std::int32_t n, bytes_type& out)  n raw bytes; false (and all taken) if short
//
// The extractor replays what the standard stream does for `is >> c`, `is >> int`,
// `is >> long long` (decimal, no digit grouping), `is.putback(c)` and `is.read(p, n)`,
// keeping the iostate bits itself. A cursor that throws is handled as the stream handles a
// throwing buffer: badbit at the same points, the exception rethrown only on request.
template <class Cursor>
class extractor {
public:
    using bytes_type = typename Cursor::bytes_type;

    extractor(Cursor& cursor, const space_table& space, bool skip_white, bool rethrow_bad = false)
        : cur_(cursor), space_(space), skipws_(skip_white), rethrow_(rethrow_bad) {}

    bool good() const { return st_ == std::ios_base::goodbit; }
    bool failed() const { return (st_ & (std::ios_base::failbit | std::ios_base::badbit)) != 0; }
    std::ios_base::iostate state() const { return st_; }
    void set_fail() { st_ |= std::ios_base::failbit; }
    std::size_t pos() const { return cur_.pos(); }

    // is >> c
    int get_char() {
        if (!sentry()) return -1;
        int c = -1;
        try {
            c = cur_.take();
        } catch (...) {
            buffer_threw();
            return -1;
        }
        if (c < 0) st_ |= std::ios_base::eofbit | std::ios_base::failbit;  // only without skipping
        return c;
    }

    // is.putback(c): clears eofbit first, as the stream does.
    void putback(char c) {
        st_ &= ~std::ios_base::eofbit;
        if (st_ != std::ios_base::goodbit) {
            st_ |= std::ios_base::failbit;
            return;
        }
        try {
            if (!cur_.unget(c)) st_ |= std::ios_base::badbit;
        } catch (...) {
            buffer_threw();
        }
    }

    // is >> long long; true unless the stream failed.
    bool get_int64(std::int64_t& v) {
        if (!sentry()) return false;
        try {
            v = parse_decimal();
        } catch (...) {
            buffer_threw();
        }
        return !failed();
    }

    // is >> int, which the stream reads as a long and then range-checks.
    bool get_int32(std::int32_t& v) {
        if (!sentry()) return false;
        std::int64_t wide = 0;
        try {
            wide = parse_decimal();
        } catch (...) {
            buffer_threw();
        }
        if (failed()) return false;
        if (wide < INT32_MIN || wide > INT32_MAX) {
            st_ |= std::ios_base::failbit;
            return false;
        }
        v = static_cast<std::int32_t>(wide);
        return true;
    }

    // is.read(p, n)
    bool read(std::int32_t n, bytes_type& out) {
        if (st_ != std::ios_base::goodbit) {
            st_ |= std::ios_base::failbit;
            return false;
        }
        try {
            if (!cur_.read(n, out)) st_ |= std::ios_base::eofbit | std::ios_base::failbit;
        } catch (...) {
            buffer_threw();
        }
        return !failed();
    }

private:
    void buffer_threw() {
        st_ |= std::ios_base::badbit;
        if (rethrow_) throw;
    }

    // The sentry of formatted input: fails a stream that is not good, skips white space.
    bool sentry() {
        if (st_ != std::ios_base::goodbit) {
            st_ |= std::ios_base::failbit;
            return false;
        }
        if (skipws_) {
            int c = -1;
            try {
                c = cur_.peek();
                while (c >= 0 && space_.is[c]) c = cur_.next();
            } catch (...) {
                buffer_threw();
                st_ |= std::ios_base::failbit;
                return false;
            }
            if (c < 0) {
                st_ |= std::ios_base::eofbit | std::ios_base::failbit;
                return false;
            }
        }
        return true;
    }

    // num_get's integer scan for base 10 without grouping: a sign, then digits; every
    // digit is taken even past an overflow; no digit at all fails with 0. The state bits
    // change only once the scan is over, as num_get reports them.
    std::int64_t parse_decimal() {
        int c = cur_.peek();
        bool at_end = c < 0;
        bool negative = false;
        if (!at_end && (c == '-' || c == '+')) {
            negative = c == '-';
            c = cur_.next();
            at_end = c < 0;
        }
        const std::uint64_t max = negative ? std::uint64_t{1} << 63 : INT64_MAX;
        const std::uint64_t max_before_digit = max / 10;
        std::uint64_t result = 0;
        bool any_digit = false;
        bool overflow = false;
        while (!at_end) {
            const unsigned digit = static_cast<unsigned>(c - '0');
            if (digit > 9) break;
            any_digit = true;
            if (result > max_before_digit) {
                overflow = true;
            } else {
                result *= 10;
                overflow |= result > max - digit;
                result += digit;
            }
            c = cur_.next();
            at_end = c < 0;
        }
        std::int64_t value = 0;
        std::ios_base::iostate err = std::ios_base::goodbit;
        if (!any_digit || overflow) {
            err = std::ios_base::failbit;
            if (any_digit) value = negative ? INT64_MIN : INT64_MAX;
        } else {
            value = negative ? static_cast<std::int64_t>(0 - result) : static_cast<std::int64_t>(result);
        }
        if (at_end) err |= std::ios_base::eofbit;
        st_ |= err;
        return value;
    }

    Cursor& cur_;
    const space_table& space_;
    const bool skipws_;
    const bool rethrow_;
    std::ios_base::iostate st_ = std::ios_base::goodbit;
};

// Kinds as the sink hears of them when a container opens (var's kind numbers).
constexpr int list_kind = 3;
constexpr int dictionary_kind = 4;

// A string value or a dictionary key: puts back the first character taken, then the
// length, ":" and that many raw bytes. False when the read failed.
template <class Source>
bool read_counted(Source& src, char first, typename Source::bytes_type& bytes) {
    src.putback(first);
    std::int32_t length = 0;
    if (!src.get_int32(length)) return false;
    const int c = src.get_char();
    if (c < 0) return false;
    if (c != ':' || length < 0) {
        src.set_fail();
        return false;
    }
    return src.read(length, bytes);
}

// Reads one value the way the recursive reader does, with an explicit stack.
//
// Source: good(), failed(), set_fail(), pos(), get_char(), putback(c), get_int32(n),
// get_int64(x), read(n, bytes) (an extractor above, or one built on a real istream).
//
// Sink (depth = number of containers around the value or key; offsets are pos() values):
//   void integer_start(depth)                          an "i" was taken
//   bool integer(x, depth, begin, end)                 an integer completed
//   bool string(bytes&, depth, begin, end)             a string completed
//   bool open(kind, depth, begin)                      a list or dictionary opened
//   bool key(bytes&, depth)                            a key of the dictionary at depth
//   bool close(depth, end)                             that container completed
//   void fail(depth)                                   the read failed with depth containers open
// Returning false stops the read at once (outcome::stopped).
template <class Source, class Sink>
outcome read_value(Source& src, Sink& sink) {
    unsigned char open_kind[max_depth];
    std::size_t depth = 0;
    typename Source::bytes_type bytes{};
    std::size_t begin = 0;
    int c = 0;

value:
    // A nested value only meets a stream that is not good after a failed putback,
    // which set badbit; the enclosing container then gives up as well.
    if (!src.good()) goto failed;
    c = src.get_char();
    if (c < 0) goto failed;
    begin = src.pos() - 1;
    if (c >= '0' && c <= '9') {
        if (!read_counted(src, static_cast<char>(c), bytes)) goto failed;
        if (!sink.string(bytes, depth, begin, src.pos())) return outcome::stopped;
        goto value_done;
    }
    switch (c) {
    case 'i': {
        sink.integer_start(depth);
        std::int64_t x = 0;
        if (!src.get_int64(x)) goto failed;
        c = src.get_char();
        if (c < 0) goto failed;
        if (c != 'e') {
            src.set_fail();
            goto failed;
        }
        if (!sink.integer(x, depth, begin, src.pos())) return outcome::stopped;
        goto value_done;
    }
    case 'l':
    case 'd':
        if (depth == max_depth) {
            src.set_fail();
            goto failed;
        }
        open_kind[depth] = static_cast<unsigned char>(c);
        if (!sink.open(c == 'l' ? list_kind : dictionary_kind, depth, begin)) return outcome::stopped;
        ++depth;
        if (c == 'l') goto list_next;
        goto dict_next;
    default:
        src.set_fail();
        goto failed;
    }

value_done:
    if (depth == 0) return outcome::complete;
    if (open_kind[depth - 1] == 'd') goto dict_next;
    // fall through to the list

list_next:
    c = src.get_char();
    if (c < 0) goto failed;
    if (c == 'e') goto close;
    src.putback(static_cast<char>(c));
    goto value;

dict_next:
    c = src.get_char();
    if (c < 0) goto failed;
    if (c == 'e') goto close;
    // A key's length is extracted without looking for a digit first, so "+1:a" is a key.
    if (!read_counted(src, static_cast<char>(c), bytes)) goto failed;
    if (!sink.key(bytes, depth - 1)) return outcome::stopped;
    goto value;

close:
    --depth;
    if (!sink.close(depth, src.pos())) return outcome::stopped;
    goto value_done;

failed:
    sink.fail(depth);
    return outcome::failed;
}

// Bytes of an in-memory buffer; raw reads hand out views into it.
class memory_cursor {
public:
    using bytes_type = std::string_view;

    memory_cursor(const char* data, std::size_t pos, std::size_t end)
        : base_(reinterpret_cast<const unsigned char*>(data)), p_(base_ + pos), end_(base_ + end) {}

    int peek() const { return p_ < end_ ? *p_ : -1; }
    int next() {
        ++p_;
        return peek();
    }
    int take() { return p_ < end_ ? *p_++ : -1; }
    bool unget(char) {
        if (p_ == base_) return false;
        --p_;
        return true;
    }
    std::size_t pos() const { return static_cast<std::size_t>(p_ - base_); }
    bool read(std::int32_t n, std::string_view& out) {
        const std::size_t want = static_cast<std::size_t>(n);
        if (want > static_cast<std::size_t>(end_ - p_)) {
            p_ = end_;
            return false;
        }
        out = std::string_view(reinterpret_cast<const char*>(p_), want);
        p_ += want;
        return true;
    }

private:
    const unsigned char* base_;
    const unsigned char* p_;
    const unsigned char* end_;
};

}  // namespace zv::encoding::bencoding::core
