// Stream reading (through the stream buffer, replaying formatted extraction) and writing of var.
#include "bencoding/bencode.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <istream>
#include <locale>
#include <memory>
#include <new>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include "bencoding/reader_core.h"

namespace zv::encoding::bencoding {
namespace {

// Declared lengths are trusted only as far as the stream delivers: bytes arrive in chunks.
constexpr std::size_t read_chunk = 64 * 1024;

class streambuf_cursor {
public:
    using bytes_type = std::string;
    using traits = std::char_traits<char>;

    explicit streambuf_cursor(std::streambuf& sb) : sb_(sb) {}

    int peek() { return to_byte(sb_.sgetc()); }
    int next() { return to_byte(sb_.snextc()); }
    int take() { return to_byte(sb_.sbumpc()); }
    bool unget(char c) { return !traits::eq_int_type(sb_.sputbackc(c), traits::eof()); }
    std::size_t pos() const { return 0; }

    bool read(std::int32_t n, std::string& out) {
        out.clear();
        std::size_t left = static_cast<std::size_t>(n);
        while (left > 0) {
            const std::size_t chunk = std::min(left, read_chunk);
            const std::size_t had = out.size();
            out.resize(had + chunk);
            const std::streamsize got = sb_.sgetn(&out[had], static_cast<std::streamsize>(chunk));
            if (got < static_cast<std::streamsize>(chunk)) {
                out.resize(had + static_cast<std::size_t>(got > 0 ? got : 0));
                return false;
            }
            left -= chunk;
        }
        return true;
    }

private:
    static int to_byte(traits::int_type c) {
        return traits::eq_int_type(c, traits::eof()) ? -1 : static_cast<unsigned char>(traits::to_char_type(c));
    }

    std::streambuf& sb_;
};

// The stream's own formatted extraction, one operation at a time.
class extraction_source {
public:
    using bytes_type = std::string;

    explicit extraction_source(std::istream& is) : is_(is) {}

    bool good() const { return is_.good(); }
    bool failed() const { return is_.fail(); }
    void set_fail() { is_.setstate(std::ios_base::failbit); }
    std::size_t pos() const { return 0; }

    int get_char() {
        char c = 0;
        if (!(is_ >> c)) return -1;
        return static_cast<unsigned char>(c);
    }
    void putback(char c) { is_.putback(c); }
    bool get_int32(std::int32_t& n) {
        int x = 0;
        is_ >> x;
        n = x;
        return !is_.fail();
    }
    bool get_int64(std::int64_t& n) {
        long long x = 0;
        is_ >> x;
        n = x;
        return !is_.fail();
    }
    bool read(std::int32_t n, std::string& out) {
        out.clear();
        std::size_t left = static_cast<std::size_t>(n);
        do {
            const std::size_t chunk = std::min(left, read_chunk);
            const std::size_t had = out.size();
            out.resize(had + chunk);
            is_.read(&out[had], static_cast<std::streamsize>(chunk));
            if (is_.fail()) return false;
            left -= chunk;
        } while (left > 0);
        return true;
    }

private:
    std::istream& is_;
};

// Builds the var tree in place: a container is entered into its parent when it opens and
// filled there. When a read fails, the root keeps what was completed inside it and the
// unfinished container below it is taken out again.
class var_builder {
public:
    explicit var_builder(var& root) : root_(root) {}

    void integer_start(std::size_t depth) {
        if (depth == 0) root_ = std::int64_t{0};
    }
    bool integer(std::int64_t x, std::size_t, std::size_t, std::size_t) {
        if (var* target = slot(nullptr, frames_.size())) *target = x;
        return true;
    }
    bool string(std::string& bytes, std::size_t, std::size_t, std::size_t) {
        if (var* target = slot(nullptr, frames_.size())) *target = std::move(bytes);
        return true;
    }
    bool open(int kind, std::size_t, std::size_t) {
        frames_.emplace_back();  // first, so a failed allocation leaves nothing placed
        frame& f = frames_.back();
        var* target = slot(&f, frames_.size() - 1);
        if (kind == core::list_kind)
            target->as_list();
        else
            target->as_dict();
        f.target = target;
        return true;
    }
    bool key(std::string& bytes, std::size_t) {
        key_ = std::move(bytes);
        return true;
    }
    bool close(std::size_t, std::size_t) {
        frames_.pop_back();
        return true;
    }
    void fail(std::size_t) {
        // Taking the root's unfinished child out takes everything below it along.
        if (frames_.size() > 1) {
            const frame& child = frames_[1];
            var& root = *frames_[0].target;
            if (child.how == link::element)
                root.as_list().pop_back();
            else if (child.how == link::entry)
                root.as_dict().erase(child.entry);
        }
        frames_.clear();
    }

private:
    enum class link { root, element, entry, scratch };
    struct frame {
        var* target = nullptr;
        link how = link::root;
        var::dict_type::iterator entry;
        std::unique_ptr<var> scratch;  // the value of a repeated key: read, then dropped
    };

    // Where the next value at `depth` goes: the root, a new last element, the entry for the
    // pending key, or nowhere (null) for a scalar under a key that is already taken. A
    // container under a taken key is built in a scratch value owned by its frame `f`, which
    // also records how the container was placed.
    var* slot(frame* f, std::size_t depth) {
        if (depth == 0) return &root_;
        var& parent = *frames_[depth - 1].target;
        if (parent.kind() == var::list) {
            var* element = &parent.as_list().emplace_back();
            if (f) f->how = link::element;
            return element;
        }
        auto [it, inserted] = parent.as_dict().try_emplace(std::move(key_));
        if (inserted) {
            if (f) {
                f->how = link::entry;
                f->entry = it;
            }
            return &it->second;
        }
        if (!f) return nullptr;  // the earlier value of this key stays
        f->scratch = std::make_unique<var>();
        f->how = link::scratch;
        return f->scratch.get();
    }

    var& root_;
    std::string key_;
    std::vector<frame> frames_;
};

// Whether the extractor replays this stream's number parsing exactly: decimal, no digit
// grouping, the standard number parser and plain digits and signs.
bool replayable(const std::istream& is, const std::locale& loc) {
    if ((is.flags() & std::ios_base::basefield) != std::ios_base::dec) return false;
    const auto& parser = std::use_facet<std::num_get<char>>(loc);
    if (typeid(parser) != typeid(std::num_get<char>)) return false;
    const auto& punct = std::use_facet<std::numpunct<char>>(loc);
    const std::string grouping = punct.grouping();
    if (!grouping.empty() && static_cast<signed char>(grouping[0]) > 0 && grouping[0] != CHAR_MAX) return false;
    constexpr std::string_view atoms = "+-0123456789";
    if (atoms.find(punct.decimal_point()) != std::string_view::npos) return false;
    const auto& ctype = std::use_facet<std::ctype<char>>(loc);
    for (char c : atoms)
        if (ctype.widen(c) != c) return false;
    return true;
}

template <class Run>
void guarded(std::istream& is, var_builder& builder, Run&& run) {
    try {
        run();
    } catch (const std::bad_alloc&) {
        builder.fail(0);
        is.setstate(std::ios_base::failbit);
    } catch (const std::ios_base::failure&) {
        builder.fail(0);
        throw;  // the caller switched stream exceptions on and asked for this
    } catch (...) {
        // What the stream itself does when its buffer throws: badbit, rethrown on request.
        builder.fail(0);
        try {
            is.setstate(std::ios_base::badbit);
        } catch (...) {
        }
        if (is.exceptions() & std::ios_base::badbit) throw;
    }
}

class writer {
public:
    explicit writer(std::ostream& os) : os_(os) {}

    void value(const var& v) {
        switch (v.kind()) {
        case var::integer:
            put('i');
            number(v.integer_value());
            put('e');
            break;
        case var::string:
            bytes(v.string_value());
            break;
        case var::list:
            put('l');
            for (const var& e : v.list_value()) value(e);
            put('e');
            break;
        case var::dictionary:
            put('d');
            for (const auto& [k, e] : v.dict_value()) {
                bytes(k);
                value(e);
            }
            put('e');
            break;
        default:
            break;
        }
    }

    void flush() {
        if (!buf_.empty()) os_.write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
        buf_.clear();
    }

private:
    static constexpr std::size_t flush_at = 64 * 1024;

    void put(char c) {
        buf_.push_back(c);
        if (buf_.size() >= flush_at) flush();
    }
    template <class N>
    void number(N n) {
        char text[24];
        const auto r = std::to_chars(text, text + sizeof text, n);
        buf_.append(text, r.ptr);
    }
    void bytes(const std::string& s) {
        number(s.size());
        buf_.push_back(':');
        if (s.size() >= flush_at / 4) {
            flush();
            os_.write(s.data(), static_cast<std::streamsize>(s.size()));
        } else {
            buf_.append(s);
            if (buf_.size() >= flush_at) flush();
        }
    }
    std::ostream& os_;
    std::string buf_;
};

}  // namespace

std::istream& operator>>(std::istream& is, var& v) {
    v.clear();
    if (!is.good()) return is;
    const std::locale loc = is.getloc();
    if (!replayable(is, loc)) {
        read_by_extraction(is, v);
        return is;
    }
    if (is.tie()) is.tie()->flush();

    core::space_table space;
    const auto& ctype = std::use_facet<std::ctype<char>>(loc);
    for (int c = 0; c < 256; ++c) space.is[c] = ctype.is(std::ctype_base::space, static_cast<char>(c));

    var_builder builder(v);
    streambuf_cursor cursor(*is.rdbuf());
    const bool rethrow = (is.exceptions() & std::ios_base::badbit) != 0;
    core::extractor<streambuf_cursor> src(cursor, space, (is.flags() & std::ios_base::skipws) != 0, rethrow);
    try {
        core::read_value(src, builder);
    } catch (const std::bad_alloc&) {
        builder.fail(0);
        is.setstate(src.state() | std::ios_base::failbit);
        return is;
    } catch (...) {
        // A buffer exception the caller asked to see: the bits first, as the stream does.
        builder.fail(0);
        try {
            is.setstate(src.state() | std::ios_base::badbit);
        } catch (...) {
        }
        throw;
    }
    if (!src.good()) is.setstate(src.state());
    return is;
}

void read_by_extraction(std::istream& is, var& v) {
    v.clear();
    var_builder builder(v);
    guarded(is, builder, [&] {
        extraction_source src(is);
        core::read_value(src, builder);
    });
}

std::ostream& operator<<(std::ostream& os, const var& v) {
    writer w(os);
    w.value(v);
    w.flush();
    return os;
}

}  // namespace zv::encoding::bencoding
