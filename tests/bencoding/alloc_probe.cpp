// Watches heap request sizes, so tests can show that memory follows the bytes a stream
// delivers, not the lengths the input declares.
#include <cstdlib>
#include <new>

namespace bencoding_test {
bool alloc_armed = false;
std::size_t alloc_largest = 0;
}  // namespace bencoding_test

void* operator new(std::size_t n) {
    if (bencoding_test::alloc_armed && n > bencoding_test::alloc_largest) bencoding_test::alloc_largest = n;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
