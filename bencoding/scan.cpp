#include "bencoding/scan.h"

#include <cstdint>
#include <string_view>

#include "bencoding/reader_core.h"

namespace zv::encoding::bencoding {

namespace {

// Notes where the root value begins and ends.
struct root_span_sink {
    span found;
    void integer_start(std::size_t) {}
    bool integer(std::int64_t, std::size_t depth, std::size_t begin, std::size_t end) { return scalar(depth, begin, end); }
    bool string(std::string_view&, std::size_t depth, std::size_t begin, std::size_t end) {
        return scalar(depth, begin, end);
    }
    bool open(int, std::size_t depth, std::size_t begin) {
        if (depth == 0) found.begin = begin;
        return true;
    }
    bool key(std::string_view&, std::size_t) { return true; }
    bool close(std::size_t depth, std::size_t end) {
        if (depth == 0) found.end = end;
        return true;
    }
    void fail(std::size_t) {}
    bool scalar(std::size_t depth, std::size_t begin, std::size_t end) {
        if (depth == 0) found = {begin, end};
        return true;
    }
};

}  // namespace

bool scan_value(const char* data, std::size_t size, std::size_t pos, span& out) {
    if (!data || pos > size) return false;
    core::memory_source src(data, pos, size);
    root_span_sink sink;
    if (core::read_value(src, sink) != core::outcome::complete) return false;
    out = sink.found;
    return true;
}

}  // namespace zv::encoding::bencoding
