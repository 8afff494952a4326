// Stream reading (the stream's own formatted extraction driving the grammar core) and writing of var.
#include "bencoding/bencode.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bencoding/reader_core.h"

namespace zv::encoding::bencoding {
namespace {

// Declared lengths are trusted only as far as the stream delivers: bytes arrive in chunks.
constexpr std::size_t read_chunk = 64 * 1024;

// The stream's own formatted extraction, one step at a time: its settings, white space,
// put-back refusals and throwing buffers are the stream's to handle.
class stream_source {
public:
    using bytes_type = std::string;

    explicit stream_source(std::istream& is) : is_(is) {}

    bool good() const { return is_.good(); }
    void set_fail() { is_.setstate(std::ios_base::failbit); }
    std::size_t pos() const { return 0; }

    int get_char() {
        char c = 0;
        return is_ >> c ? static_cast<unsigned char>(c) : -1;
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
    bool read(std::size_t n, std::string& out) {
        out.clear();
        do {
            const std::size_t chunk = std::min(n, read_chunk);
            const std::size_t had = out.size();
            out.resize(had + chunk);
            is_.read(&out[had], static_cast<std::streamsize>(chunk));
            if (is_.fail()) return false;
            n -= chunk;
        } while (n > 0);
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
    var_builder builder(v);
    stream_source src(is);
    try {
        core::read_value(src, builder);
    } catch (const std::bad_alloc&) {
        // Ours, not the stream's: a declared length or a tree too big for memory is malformed input.
        builder.fail(0);
        is.setstate(std::ios_base::failbit);
    } catch (...) {
        // The stream raising the state the caller asked to hear of, or its buffer's exception.
        builder.fail(0);
        throw;
    }
    return is;
}

std::ostream& operator<<(std::ostream& os, const var& v) {
    writer w(os);
    w.value(v);
    w.flush();
    return os;
}

}  // namespace zv::encoding::bencoding
