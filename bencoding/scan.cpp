// The in-memory scanner: the shared grammar over a buffer, with sinks that only record spans.
#include "bencoding/scan.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "bencoding/reader_core.h"

namespace zv::encoding::bencoding {
namespace {

using memory_source = core::extractor<core::memory_cursor>;

// Sinks below ignore most events; this base supplies the ignoring.
struct quiet_sink {
    void integer_start(std::size_t) {}
    bool integer(std::int64_t, std::size_t, std::size_t, std::size_t) { return true; }
    bool string(std::string_view&, std::size_t, std::size_t, std::size_t) { return true; }
    bool open(int, std::size_t, std::size_t) { return true; }
    bool key(std::string_view&, std::size_t) { return true; }
    bool close(std::size_t, std::size_t) { return true; }
    void fail(std::size_t) {}
};

template <class Sink>
core::outcome run(const char* data, std::size_t pos, std::size_t end, Sink& sink) {
    if (!data) {  // no buffer reads as an empty one
        data = "";
        pos = end = 0;
    }
    core::memory_cursor cursor(data, pos, end);
    memory_source src(cursor, core::classic_space(), true);
    return core::read_value(src, sink);
}

// The span of the root value.
struct root_span_sink : quiet_sink {
    span found;
    bool integer(std::int64_t, std::size_t depth, std::size_t begin, std::size_t end) {
        return done(depth, begin, end);
    }
    bool string(std::string_view&, std::size_t depth, std::size_t begin, std::size_t end) {
        return done(depth, begin, end);
    }
    bool open(int, std::size_t depth, std::size_t begin) {
        if (depth == 0) found.begin = begin;
        return true;
    }
    bool close(std::size_t depth, std::size_t end) {
        if (depth == 0) found.end = end;
        return true;
    }
    bool done(std::size_t depth, std::size_t begin, std::size_t end) {
        if (depth == 0) found = {begin, end};
        return true;
    }
};

// The first completed value under a key of the root dictionary.
struct root_entry_sink : quiet_sink {
    std::string_view wanted;
    bool matching = false;
    bool found = false;
    std::size_t child_begin = 0;
    span where;

    bool integer(std::int64_t, std::size_t depth, std::size_t begin, std::size_t end) {
        return depth == 0 ? false : child(depth, begin, end);
    }
    bool string(std::string_view&, std::size_t depth, std::size_t begin, std::size_t end) {
        return depth == 0 ? false : child(depth, begin, end);
    }
    bool open(int kind, std::size_t depth, std::size_t begin) {
        if (depth == 0) return kind == core::dictionary_kind;
        if (depth == 1) child_begin = begin;
        return true;
    }
    bool key(std::string_view& k, std::size_t depth) {
        if (depth == 0) matching = k == wanted;
        return true;
    }
    bool close(std::size_t depth, std::size_t end) { return depth == 0 ? true : child(depth, child_begin, end); }
    bool child(std::size_t depth, std::size_t begin, std::size_t end) {
        if (depth != 1 || !matching) return true;
        // The first occurrence decides: once complete it is what the tree keeps.
        found = true;
        where = {begin, end};
        return false;
    }
};

// Hands each direct child of the container being read (and its key) to a callback.
template <class OnChild>
struct child_sink : quiet_sink {
    OnChild on_child;
    int expected_kind;
    std::string_view current_key;
    std::size_t child_begin = 0;

    child_sink(OnChild f, int kind) : on_child(std::move(f)), expected_kind(kind) {}

    bool integer(std::int64_t, std::size_t depth, std::size_t begin, std::size_t end) {
        return depth == 1 ? on_child(current_key, span{begin, end}) : depth != 0;
    }
    bool string(std::string_view&, std::size_t depth, std::size_t begin, std::size_t end) {
        return depth == 1 ? on_child(current_key, span{begin, end}) : depth != 0;
    }
    bool open(int kind, std::size_t depth, std::size_t begin) {
        if (depth == 0) return kind == expected_kind;
        if (depth == 1) child_begin = begin;
        return true;
    }
    bool key(std::string_view& k, std::size_t depth) {
        if (depth == 0) current_key = k;
        return true;
    }
    bool close(std::size_t depth, std::size_t end) {
        return depth == 1 ? on_child(current_key, span{child_begin, end}) : true;
    }
};

template <class OnChild>
void walk_children(const char* data, span s, int kind, OnChild on_child) {
    child_sink<OnChild> sink(std::move(on_child), kind);
    // The view's value was read completely, and reading it never looked past its end.
    run(data, s.begin, s.end, sink);
}

}  // namespace

bool scan_value(const char* data, std::size_t size, std::size_t pos, span& out) {
    if (pos > size) return false;
    root_span_sink sink;
    if (run(data, pos, size, sink) != core::outcome::complete) return false;
    out = sink.found;
    return true;
}

bool find_root_entry(const char* data, std::size_t size, std::string_view key, span& out) {
    root_entry_sink sink;
    sink.wanted = key;
    run(data, 0, size, sink);
    if (!sink.found) return false;
    out = sink.where;
    return true;
}

value_view::value_view(const char* data, std::size_t size, span s) : data_(data), size_(size), span_(s) {
    if (!data_ || span_.end > size_ || span_.begin >= span_.end) {
        data_ = nullptr;
        size_ = 0;
        span_ = span{};
    }
}

int value_view::kind() const {
    if (!data_) return 0;
    const char c = data_[span_.begin];
    if (c >= '0' && c <= '9') return 2;
    switch (c) {
    case 'i':
        return 1;
    case 'l':
        return core::list_kind;
    case 'd':
        return core::dictionary_kind;
    default:
        return 0;
    }
}

std::string_view value_view::raw() const {
    if (!data_) return {};
    return std::string_view(data_ + span_.begin, span_.end - span_.begin);
}

std::string_view value_view::bytes() const {
    if (kind() != 2) return {};
    const std::string_view text = raw();
    // The length and any white space before the ":" hold no ":" of their own.
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return {};
    return text.substr(colon + 1);
}

bool value_view::get_integer(std::int64_t& out) const {
    if (kind() != 1) return false;
    struct integer_sink : quiet_sink {
        std::int64_t value = 0;
        bool integer(std::int64_t x, std::size_t, std::size_t, std::size_t) {
            value = x;
            return true;
        }
    } sink;
    if (run(data_, span_.begin, span_.end, sink) != core::outcome::complete) return false;
    out = sink.value;
    return true;
}

std::size_t value_view::size() const {
    const int k = kind();
    std::size_t count = 0;
    if (k == core::list_kind) {
        walk_children(data_, span_, k, [&](std::string_view, span) {
            ++count;
            return true;
        });
        return count;
    }
    if (k != core::dictionary_kind) return 0;
    // Sorted unique keys (every canonical file) are counted in one pass.
    bool ascending = true;
    std::string_view previous;
    walk_children(data_, span_, k, [&](std::string_view key, span) {
        if (count > 0 && !(previous < key)) {
            ascending = false;
            return false;
        }
        previous = key;
        ++count;
        return true;
    });
    if (ascending) return count;
    std::vector<std::string_view> keys;
    walk_children(data_, span_, k, [&](std::string_view key, span) {
        keys.push_back(key);
        return true;
    });
    std::sort(keys.begin(), keys.end());
    return static_cast<std::size_t>(std::unique(keys.begin(), keys.end()) - keys.begin());
}

void value_view::walk_elements(scan_detail::element_fn fn, void* context) const {
    if (kind() != core::list_kind) return;
    walk_children(data_, span_, core::list_kind,
                  [&](std::string_view, span s) { return fn(context, value_view(data_, size_, s)); });
}

void value_view::walk_entries(scan_detail::entry_fn fn, void* context) const {
    if (kind() != core::dictionary_kind) return;
    walk_children(data_, span_, core::dictionary_kind,
                  [&](std::string_view key, span s) { return fn(context, key, value_view(data_, size_, s)); });
}

bool value_view::find(std::string_view key, value_view& out) const {
    bool found = false;
    for_each_entry([&](std::string_view k, const value_view& v) {
        if (k != key) return true;
        out = v;
        found = true;
        return false;
    });
    return found;
}

bool value_view::last_element(value_view& out) const {
    bool any = false;
    value_view last;
    for_each_element([&](const value_view& e) {
        last = e;
        any = true;
        return true;
    });
    if (any) out = last;
    return any;
}

}  // namespace zv::encoding::bencoding
