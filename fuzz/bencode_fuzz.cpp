// Fuzz entry point for the bencode reader, writer and scanner. Besides not crashing, every
// input must satisfy:
//   - operator>> and the literal formatted-extraction reader leave the same value, stream
//     bits and position;
//   - scan_value succeeds exactly when the read does, and ends where the stream stands;
//   - a complete read writes a value that reads back to the same bytes (the normal form is
//     stable), and the consumed bytes come back unchanged exactly when they were canonical;
//   - find_root_entry and value views answer what the (possibly partial) var tree holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <locale>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>

#include "bencoding/bencode.h"
#include "bencoding/scan.h"
#include "bencoding/var.h"

namespace {

using zv::encoding::bencoding::find_root_entry;
using zv::encoding::bencoding::read_by_extraction;
using zv::encoding::bencoding::scan_value;
using zv::encoding::bencoding::span;
using zv::encoding::bencoding::value_view;
using zv::encoding::bencoding::var;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) broken(what);
}

std::string encode(const var& v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

struct outcome {
    var value;
    std::ios_base::iostate state = std::ios_base::goodbit;
    long long pos = 0;
};

outcome read(std::string_view bytes, bool extracting) {
    std::istringstream is{std::string(bytes)};
    outcome r;
    if (extracting)
        read_by_extraction(is, r.value);
    else
        is >> r.value;
    r.state = is.rdstate();
    r.pos = static_cast<long long>(is.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in));
    return r;
}

// Hands its bytes out a few at a time, so reads cross many buffer refills.
class chunky_buf : public std::streambuf {
public:
    chunky_buf(std::string_view bytes, std::size_t chunk) : bytes_(bytes), chunk_(chunk) {}
    long long position() const { return static_cast<long long>(next_ - static_cast<std::size_t>(egptr() - gptr())); }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (next_ >= bytes_.size()) return traits_type::eof();
        const std::size_t n = std::min(chunk_, bytes_.size() - next_);
        char* p = const_cast<char*>(bytes_.data() + next_);
        setg(p, p, p + n);
        next_ += n;
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string_view bytes_;
    std::size_t chunk_;
    std::size_t next_ = 0;
};

// '_' is white space and ' ' is not.
class underscore_space : public std::ctype<char> {
public:
    underscore_space() : std::ctype<char>(table()) {}

private:
    static const mask* table() {
        static const mask* t = [] {
            static mask m[table_size];
            std::copy(classic_table(), classic_table() + table_size, m);
            m[static_cast<unsigned char>(' ')] &= static_cast<mask>(~space);
            m[static_cast<unsigned char>('_')] |= space;
            return m;
        }();
        return t;
    }
};

// operator>> and literal extraction agree on a stream prepared by `setup`.
void check_settings(std::string_view input, const std::function<void(std::istream&)>& setup) {
    std::istringstream a{std::string(input)}, b{std::string(input)};
    setup(a);
    setup(b);
    var va, vb;
    a >> va;
    read_by_extraction(b, vb);
    check(a.rdstate() == b.rdstate(), "same bits under other stream settings");
    check(a.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in) ==
              b.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in),
          "same position under other stream settings");
    check(encode(va) == encode(vb) && va.kind() == vb.kind(), "same value under other stream settings");
}

// Strict canonical form: no white space, signs only for negative integers, no leading zeros
// or negative zero, dictionary keys strictly ascending. Returns the end of the value or npos.
std::size_t canonical_end(std::string_view s, std::size_t p, int depth);

std::size_t canonical_number_end(std::string_view s, std::size_t p, bool allow_minus) {
    if (allow_minus && p < s.size() && s[p] == '-') {
        if (p + 1 < s.size() && s[p + 1] == '0') return std::string_view::npos;
        ++p;
    }
    const std::size_t start = p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
    if (p == start || (s[start] == '0' && p - start > 1)) return std::string_view::npos;
    return p;
}

std::size_t canonical_string_end(std::string_view s, std::size_t p, std::string_view* bytes) {
    const std::size_t colon = canonical_number_end(s, p, false);
    if (colon == std::string_view::npos || colon >= s.size() || s[colon] != ':') return std::string_view::npos;
    const unsigned long long n = std::strtoull(std::string(s.substr(p, colon - p)).c_str(), nullptr, 10);
    if (n > s.size() - colon - 1) return std::string_view::npos;
    if (bytes) *bytes = s.substr(colon + 1, n);
    return colon + 1 + n;
}

std::size_t canonical_end(std::string_view s, std::size_t p, int depth) {
    constexpr std::size_t npos = std::string_view::npos;
    if (p >= s.size() || depth > 600) return npos;
    const char c = s[p];
    if (c == 'i') {
        const std::size_t e = canonical_number_end(s, p + 1, true);
        return e != npos && e < s.size() && s[e] == 'e' ? e + 1 : npos;
    }
    if (c >= '0' && c <= '9') return canonical_string_end(s, p, nullptr);
    if (c == 'l') {
        ++p;
        while (p < s.size() && s[p] != 'e') {
            p = canonical_end(s, p, depth + 1);
            if (p == npos) return npos;
        }
        return p < s.size() ? p + 1 : npos;
    }
    if (c == 'd') {
        ++p;
        bool first = true;
        std::string_view previous;
        while (p < s.size() && s[p] != 'e') {
            std::string_view key;
            p = canonical_string_end(s, p, &key);
            if (p == npos || (!first && !(previous < key))) return npos;
            previous = key;
            first = false;
            p = canonical_end(s, p, depth + 1);
            if (p == npos) return npos;
        }
        return p < s.size() ? p + 1 : npos;
    }
    return npos;
}

// A view's own bytes read on their own give the value var holds for it.
void check_view_matches(const value_view& view, const var& expected) {
    const outcome again = read(view.raw(), false);
    check(again.state == std::ios_base::goodbit, "a view's bytes read completely");
    check(encode(again.value) == encode(expected), "a view holds what var holds");
}

void check_root_entry(std::string_view input, const var& root, const std::string& key) {
    span s;
    const bool found = find_root_entry(input.data(), input.size(), key, s);
    const auto& dict = root.dict_value();
    const auto it = dict.find(key);
    check(found == (it != dict.end()), "find_root_entry finds what the tree holds");
    if (found) check_view_matches(value_view(input.data(), input.size(), s), it->second);
}

void check_views(std::string_view input, span root_span, const var& root) {
    const value_view view(input.data(), input.size(), root_span);
    check(view.kind() == root.kind(), "view kind");
    check(view.size() == root.size(), "view size counts what var holds");
    if (root.kind() == var::list) {
        const auto& list = root.list_value();
        std::size_t i = 0;
        view.for_each_element([&](const value_view& e) {
            check(i < list.size(), "no more elements than var");
            check_view_matches(e, list[i++]);
        });
        check(i == list.size(), "as many elements as var");
        value_view last;
        check(view.last_element(last) == !list.empty(), "last element exists");
        if (!list.empty()) check_view_matches(last, list.back());
    } else if (root.kind() == var::dictionary) {
        const auto& dict = root.dict_value();
        view.for_each_entry([&](std::string_view key, const value_view&) {
            value_view first;
            check(view.find(key, first), "every walked key is found");
            const auto it = dict.find(std::string(key));
            check(it != dict.end(), "every walked key is in var");
            check_view_matches(first, it->second);
        });
    } else if (root.kind() == var::string) {
        check(view.bytes() == root.string_value(), "string bytes");
    } else if (root.kind() == var::integer) {
        std::int64_t x = 0;
        check(view.get_integer(x) && x == root.integer_value(), "integer value");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const outcome fast = read(input, false);
    const outcome literal = read(input, true);
    const std::string written = encode(fast.value);
    check(fast.state == literal.state, "same stream bits as formatted extraction");
    check(fast.pos == literal.pos, "same position as formatted extraction");
    check(written == encode(literal.value), "same value as formatted extraction");
    check(fast.value.kind() == literal.value.kind(), "same kind as formatted extraction");

    // The same bytes arriving in small pieces read the same.
    for (std::size_t chunk : {1, 3}) {
        chunky_buf buf(input, chunk);
        std::istream is(&buf);
        var v;
        is >> v;
        check(is.rdstate() == fast.state && buf.position() == fast.pos && encode(v) == written,
              "same read from a buffer refilled in pieces");
    }
    check_settings(input, [](std::istream& is) { is >> std::noskipws; });
    check_settings(input, [](std::istream& is) {
        static const std::locale underscore(std::locale::classic(), new underscore_space);
        is.imbue(underscore);
    });

    const bool complete = fast.state == std::ios_base::goodbit;
    span s;
    check(scan_value(input.data(), input.size(), 0, s) == complete, "scanner succeeds with the reader");

    // Keys to ask the root for: a fixed one and each key the tree holds, at both ends.
    check_root_entry(input, fast.value, "info");
    const auto& dict = fast.value.dict_value();
    if (!dict.empty()) {
        check_root_entry(input, fast.value, dict.begin()->first);
        check_root_entry(input, fast.value, dict.rbegin()->first);
    }
    if (!complete) return 0;

    check(s.end == static_cast<std::size_t>(fast.pos), "scanner ends where the stream stands");
    check_views(input, s, fast.value);

    const outcome again = read(written, false);
    check(again.state == std::ios_base::goodbit, "written form reads completely");
    check(again.pos == static_cast<long long>(written.size()), "written form is read to its end");
    check(encode(again.value) == written, "written form is stable");

    const std::string_view consumed = input.substr(0, s.end);
    const std::string_view own = consumed.substr(s.begin);
    const bool canonical = s.begin == 0 && canonical_end(own, 0, 0) == own.size();
    check(canonical == (written == consumed), "canonical input, and only that, comes back byte for byte");
    return 0;
}
