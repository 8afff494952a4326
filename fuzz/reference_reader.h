// The reading procedure transcribed step by step, recursively, with the stream's own
// extraction: the oracle the fuzzer checks the grammar core against.
#pragma once

#include <algorithm>
#include <cstdint>
#include <istream>
#include <string>
#include <utility>

#include "bencoding/var.h"

namespace bencoding_test {

// A length, ":" and that many bytes, taken in pieces so a declared length costs nothing.
inline bool reference_counted(std::istream& is, std::string& bytes) {
    int n = 0;
    char colon = 0;
    if (!(is >> n >> colon)) return false;
    if (colon != ':' || n < 0) {
        is.setstate(std::ios_base::failbit);
        return false;
    }
    for (std::size_t left = static_cast<std::size_t>(n); left > 0;) {
        const std::size_t chunk = std::min<std::size_t>(left, 1 << 16);
        const std::size_t had = bytes.size();
        bytes.resize(had + chunk);
        if (!is.read(&bytes[had], static_cast<std::streamsize>(chunk))) return false;
        left -= chunk;
    }
    return true;
}

// depth: the lists and dictionaries around v; the 513th to open fails.
inline void reference_read(std::istream& is, zv::encoding::bencoding::var& v, int depth = 0) {
    using zv::encoding::bencoding::var;
    v.clear();
    char c = 0;
    if (!is.good() || !(is >> c)) return;
    if (c >= '0' && c <= '9') {
        is.putback(c);
        std::string bytes;
        if (reference_counted(is, bytes)) v = std::move(bytes);
    } else if (c == 'i') {
        v = std::int64_t{0};
        long long x = 0;
        if (!(is >> x >> c)) return;
        if (c != 'e') return is.setstate(std::ios_base::failbit);
        v = std::int64_t{x};
    } else if ((c == 'l' || c == 'd') && depth < 512) {
        const bool list = c == 'l';
        list ? static_cast<void>(v.as_list()) : static_cast<void>(v.as_dict());
        while (is >> c && c != 'e') {
            is.putback(c);
            std::string key;
            if (!list && !reference_counted(is, key)) return;
            var element;
            reference_read(is, element, depth + 1);
            if (is.fail()) return;
            if (list)
                v.as_list().push_back(std::move(element));
            else
                v.as_dict().emplace(std::move(key), std::move(element));
        }
    } else {
        is.setstate(std::ios_base::failbit);
    }
}

}  // namespace bencoding_test
