// The one bencode grammar, shared by the stream reader and the in-memory scanner: a loop
// over an explicit stack that takes tokens from a source and tells a sink what it read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zv::encoding::bencoding::core {

// At most this many lists and dictionaries may be open at once; opening one more fails.
constexpr std::size_t max_depth = 512;

// var's kind numbers, as the sink hears of a container opening.
constexpr int list_kind = 3;
constexpr int dictionary_kind = 4;

enum class outcome { complete, failed, stopped };

// Source, the steps of formatted extraction the grammar uses:
//   bool good()                    nothing has failed (or ended) so far
//   int get_char()                 white space skipped, then one byte; -1 when that fails
//   void putback(char c)
//   bool get_int32(n), get_int64(x)   a decimal; false when that fails
//   bool read(std::size_t n, bytes)   n raw bytes; false when fewer arrive
//   void set_fail()
//   std::size_t pos()              offset of the next byte (0 where unknown)
// Sink; depth counts the containers around the item, begin and end are pos() values, and a
// false result stops the read:
//   void integer_start(depth)      an "i" was taken
//   bool integer(x, depth, begin, end), bool string(bytes&, depth, begin, end)
//   bool open(kind, depth, begin), bool close(depth, end)
//   bool key(bytes&, depth)        a key of the dictionary at depth
//   void fail(depth)               the read failed with depth containers open

// The byte that must follow what was just read; any other fails the source.
template <class Source>
bool expect(Source& src, char want) {
    const int c = src.get_char();
    if (c < 0) return false;
    if (c == want) return true;
    src.set_fail();
    return false;
}

// A string or key whose first byte was taken already: it goes back, then the length, ":"
// and the bytes. A negative length fails after its ":".
template <class Source>
bool read_counted(Source& src, char first, typename Source::bytes_type& bytes) {
    src.putback(first);
    std::int32_t length = 0;
    if (!src.get_int32(length) || !expect(src, ':')) return false;
    if (length < 0) {
        src.set_fail();
        return false;
    }
    return src.read(static_cast<std::size_t>(length), bytes);
}

template <class Sink>
outcome failed(Sink& sink, std::size_t depth) {
    sink.fail(depth);
    return outcome::failed;
}

template <class Source, class Sink>
outcome read_value(Source& src, Sink& sink) {
    char open[max_depth];  // 'l' or 'd' for each open container
    std::size_t depth = 0;
    typename Source::bytes_type bytes{};
    for (;;) {
        // A value: a string or integer is read whole, a list or dictionary is opened. Only a
        // refused put-back leaves a nested value facing a source that is not good.
        int c = src.good() ? src.get_char() : -1;
        if (c < 0) return failed(sink, depth);
        const std::size_t begin = src.pos() - 1;
        bool go_on = true;
        if (c >= '0' && c <= '9') {
            if (!read_counted(src, static_cast<char>(c), bytes)) return failed(sink, depth);
            go_on = sink.string(bytes, depth, begin, src.pos());
        } else if (c == 'i') {
            sink.integer_start(depth);
            std::int64_t x = 0;
            if (!src.get_int64(x) || !expect(src, 'e')) return failed(sink, depth);
            go_on = sink.integer(x, depth, begin, src.pos());
        } else if ((c == 'l' || c == 'd') && depth < max_depth) {
            go_on = sink.open(c == 'l' ? list_kind : dictionary_kind, depth, begin);
            open[depth++] = static_cast<char>(c);
        } else {
            src.set_fail();
            return failed(sink, depth);
        }
        if (!go_on) return outcome::stopped;

        // Close what ends here, up to the next value: a list's element or a dictionary's key.
        for (;;) {
            if (depth == 0) return outcome::complete;
            c = src.get_char();
            if (c < 0) return failed(sink, depth);
            if (c != 'e') break;
            if (!sink.close(--depth, src.pos())) return outcome::stopped;
        }
        if (open[depth - 1] == 'l') {
            src.putback(static_cast<char>(c));
        } else {
            // A key's length is extracted without a digit test, so "+1:a" is a key.
            if (!read_counted(src, static_cast<char>(c), bytes)) return failed(sink, depth);
            if (!sink.key(bytes, depth - 1)) return outcome::stopped;
        }
    }
}

// Bytes in memory, read as a fresh stream in the classic locale reads them. Past the first
// failure every step fails, as on a stream.
class memory_source {
public:
    using bytes_type = std::string_view;

    memory_source(const char* data, std::size_t pos, std::size_t end)
        : base_(reinterpret_cast<const unsigned char*>(data)), p_(base_ + pos), end_(base_ + end) {}

    bool good() const { return !failed_; }
    void set_fail() { failed_ = true; }
    std::size_t pos() const { return static_cast<std::size_t>(p_ - base_); }

    int get_char() {
        if (!at_token() && !skip_space()) return -1;
        return *p_++;
    }
    void putback(char) { --p_; }  // only ever right after get_char took a byte

    bool get_int64(std::int64_t& x) { return (at_token() || skip_space()) && decimal(x); }
    bool get_int32(std::int32_t& n) {
        std::int64_t x = 0;
        if (!get_int64(x)) return false;
        if (x < INT32_MIN || x > INT32_MAX) return fail();
        n = static_cast<std::int32_t>(x);
        return true;
    }
    bool read(std::size_t n, std::string_view& out) {
        if (failed_) return false;
        if (n > static_cast<std::size_t>(end_ - p_)) {
            p_ = end_;
            return fail();
        }
        out = std::string_view(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        return true;
    }

private:
    bool fail() {
        failed_ = true;
        return false;
    }
    static bool is_space(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    // Bencode has no white space between tokens, so this is the common case: nothing to skip.
    bool at_token() const { return !failed_ && p_ < end_ && *p_ > ' '; }
    bool skip_space() {
        if (failed_) return false;
        while (p_ < end_ && is_space(*p_)) ++p_;
        return p_ < end_ || fail();
    }
    // num_get's base-10 scan: a sign, then every digit even past an overflow; no digit or
    // an overflow fails.
    bool decimal(std::int64_t& x) {
        bool negative = false;
        if (*p_ == '-' || *p_ == '+') negative = *p_++ == '-';
        const std::uint64_t max = negative ? std::uint64_t{1} << 63 : INT64_MAX;
        std::uint64_t value = 0;
        // No 18 digits overflow, so only longer numbers are checked digit by digit.
        const unsigned char* const first = p_;
        const unsigned char* const unchecked = end_ - p_ > 18 ? p_ + 18 : end_;
        for (; p_ < unchecked && *p_ >= '0' && *p_ <= '9'; ++p_) value = value * 10 + (*p_ - '0');
        bool any = p_ > first, overflow = false;
        for (; p_ < end_ && *p_ >= '0' && *p_ <= '9'; ++p_) {
            const unsigned digit = *p_ - '0';
            any = true;
            overflow = overflow || value > (max - digit) / 10;
            if (!overflow) value = value * 10 + digit;
        }
        if (!any || overflow) return fail();
        x = negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
        return true;
    }

    const unsigned char* base_;
    const unsigned char* p_;
    const unsigned char* end_;
    bool failed_ = false;
};

}  // namespace zv::encoding::bencoding::core
