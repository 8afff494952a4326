// Watches heap request sizes, so tests can show that memory follows the bytes a stream
// delivers, not the lengths the input declares; and refuses large ones on request.
#include <cstdlib>
#include <new>

namespace bencoding_test {
bool alloc_armed = false;
std::size_t alloc_largest = 0;
std::size_t alloc_refuse_from = 0;  // 0: refuse nothing
}  // namespace bencoding_test

void* operator new(std::size_t n) {
    using namespace bencoding_test;
    if (alloc_armed && n > alloc_largest) alloc_largest = n;
    if (alloc_armed && alloc_refuse_from != 0 && n >= alloc_refuse_from) throw std::bad_alloc();
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
