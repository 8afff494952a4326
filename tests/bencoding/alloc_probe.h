// Records the largest single heap request made while a probe is alive, so tests can show
// that memory follows the bytes a stream delivers, not the lengths the input declares.
#pragma once

#include <cstddef>

namespace bencoding_test {

class alloc_probe {
public:
    alloc_probe();
    ~alloc_probe();
    alloc_probe(const alloc_probe&) = delete;
    alloc_probe& operator=(const alloc_probe&) = delete;
    std::size_t largest() const;
};

}  // namespace bencoding_test
