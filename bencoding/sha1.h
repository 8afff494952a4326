// SHA-1 (FIPS 180-1) for torrent info-hashes: a portable engine and one using the
// x86 SHA extensions, chosen at run time; both give the same digests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zv::encoding::bencoding {

enum class sha1_engine {
    automatic,  // the fastest one this processor offers
    portable,
    sha_ni,     // x86 SHA extensions; only where sha1_engine_available() says so
};

// True when digests can be computed with `engine` on this processor.
bool sha1_engine_available(sha1_engine engine);

struct sha1_context {
    std::uint32_t count_low = 0;   // message length in bytes, low half first
    std::uint32_t count_high = 0;
    std::uint32_t state[5] = {};
    unsigned char buffer[64] = {};
    void (*compress)(std::uint32_t* state, const unsigned char* blocks, std::size_t count) = nullptr;
};

// An engine that is not available falls back to the portable one.
void sha1_init(sha1_context& ctx, sha1_engine engine = sha1_engine::automatic);
void sha1_update(sha1_context& ctx, const void* data, std::size_t length);
void sha1_final(sha1_context& ctx, unsigned char out[20]);

// Leaves `out` untouched when there is no data.
void sha1_digest(const void* data, std::size_t length, unsigned char out[20],
                 sha1_engine engine = sha1_engine::automatic);

}  // namespace zv::encoding::bencoding
