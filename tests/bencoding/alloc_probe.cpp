// Global allocation functions for the test program, watching request sizes while armed.
#include "alloc_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> armed{false};
std::atomic<std::size_t> largest_request{0};
}  // namespace

void* operator new(std::size_t n) {
    if (armed.load(std::memory_order_relaxed)) {
        std::size_t seen = largest_request.load(std::memory_order_relaxed);
        while (n > seen && !largest_request.compare_exchange_weak(seen, n)) {
        }
    }
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace bencoding_test {

alloc_probe::alloc_probe() {
    largest_request = 0;
    armed = true;
}

alloc_probe::~alloc_probe() {
    armed = false;
}

std::size_t alloc_probe::largest() const {
    return largest_request.load();
}

}  // namespace bencoding_test
