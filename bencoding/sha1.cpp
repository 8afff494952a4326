#include "bencoding/sha1.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define KP_SHA1_HAVE_SHA_NI 1
#endif

namespace zv::encoding::bencoding {
namespace {

inline std::uint32_t rol(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline std::uint32_t load_be32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

// Eighty rounds over a 16-word ring: the schedule never needs more than the last 16 words.
#define KP_W(i) (w[(i) & 15] = rol(w[((i) + 13) & 15] ^ w[((i) + 8) & 15] ^ w[((i) + 2) & 15] ^ w[(i) & 15], 1))
#define KP_R0(v, x, y, z, u, i) u += ((x & (y ^ z)) ^ z) + w[i] + 0x5A827999u + rol(v, 5); x = rol(x, 30);
#define KP_R1(v, x, y, z, u, i) u += ((x & (y ^ z)) ^ z) + KP_W(i) + 0x5A827999u + rol(v, 5); x = rol(x, 30);
#define KP_R2(v, x, y, z, u, i) u += (x ^ y ^ z) + KP_W(i) + 0x6ED9EBA1u + rol(v, 5); x = rol(x, 30);
#define KP_R3(v, x, y, z, u, i) u += (((x | y) & z) | (x & y)) + KP_W(i) + 0x8F1BBCDCu + rol(v, 5); x = rol(x, 30);
#define KP_R4(v, x, y, z, u, i) u += (x ^ y ^ z) + KP_W(i) + 0xCA62C1D6u + rol(v, 5); x = rol(x, 30);

void compress_portable(std::uint32_t* state, const unsigned char* p, std::size_t blocks) {
    for (; blocks != 0; --blocks, p += 64) {
        std::uint32_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = load_be32(p + 4 * i);
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
        KP_R0(a, b, c, d, e, 0);  KP_R0(e, a, b, c, d, 1);  KP_R0(d, e, a, b, c, 2);  KP_R0(c, d, e, a, b, 3);
        KP_R0(b, c, d, e, a, 4);  KP_R0(a, b, c, d, e, 5);  KP_R0(e, a, b, c, d, 6);  KP_R0(d, e, a, b, c, 7);
        KP_R0(c, d, e, a, b, 8);  KP_R0(b, c, d, e, a, 9);  KP_R0(a, b, c, d, e, 10); KP_R0(e, a, b, c, d, 11);
        KP_R0(d, e, a, b, c, 12); KP_R0(c, d, e, a, b, 13); KP_R0(b, c, d, e, a, 14); KP_R0(a, b, c, d, e, 15);
        KP_R1(e, a, b, c, d, 16); KP_R1(d, e, a, b, c, 17); KP_R1(c, d, e, a, b, 18); KP_R1(b, c, d, e, a, 19);
        KP_R2(a, b, c, d, e, 20); KP_R2(e, a, b, c, d, 21); KP_R2(d, e, a, b, c, 22); KP_R2(c, d, e, a, b, 23);
        KP_R2(b, c, d, e, a, 24); KP_R2(a, b, c, d, e, 25); KP_R2(e, a, b, c, d, 26); KP_R2(d, e, a, b, c, 27);
        KP_R2(c, d, e, a, b, 28); KP_R2(b, c, d, e, a, 29); KP_R2(a, b, c, d, e, 30); KP_R2(e, a, b, c, d, 31);
        KP_R2(d, e, a, b, c, 32); KP_R2(c, d, e, a, b, 33); KP_R2(b, c, d, e, a, 34); KP_R2(a, b, c, d, e, 35);
        KP_R2(e, a, b, c, d, 36); KP_R2(d, e, a, b, c, 37); KP_R2(c, d, e, a, b, 38); KP_R2(b, c, d, e, a, 39);
        KP_R3(a, b, c, d, e, 40); KP_R3(e, a, b, c, d, 41); KP_R3(d, e, a, b, c, 42); KP_R3(c, d, e, a, b, 43);
        KP_R3(b, c, d, e, a, 44); KP_R3(a, b, c, d, e, 45); KP_R3(e, a, b, c, d, 46); KP_R3(d, e, a, b, c, 47);
        KP_R3(c, d, e, a, b, 48); KP_R3(b, c, d, e, a, 49); KP_R3(a, b, c, d, e, 50); KP_R3(e, a, b, c, d, 51);
        KP_R3(d, e, a, b, c, 52); KP_R3(c, d, e, a, b, 53); KP_R3(b, c, d, e, a, 54); KP_R3(a, b, c, d, e, 55);
        KP_R3(e, a, b, c, d, 56); KP_R3(d, e, a, b, c, 57); KP_R3(c, d, e, a, b, 58); KP_R3(b, c, d, e, a, 59);
        KP_R4(a, b, c, d, e, 60); KP_R4(e, a, b, c, d, 61); KP_R4(d, e, a, b, c, 62); KP_R4(c, d, e, a, b, 63);
        KP_R4(b, c, d, e, a, 64); KP_R4(a, b, c, d, e, 65); KP_R4(e, a, b, c, d, 66); KP_R4(d, e, a, b, c, 67);
        KP_R4(c, d, e, a, b, 68); KP_R4(b, c, d, e, a, 69); KP_R4(a, b, c, d, e, 70); KP_R4(e, a, b, c, d, 71);
        KP_R4(d, e, a, b, c, 72); KP_R4(c, d, e, a, b, 73); KP_R4(b, c, d, e, a, 74); KP_R4(a, b, c, d, e, 75);
        KP_R4(e, a, b, c, d, 76); KP_R4(d, e, a, b, c, 77); KP_R4(c, d, e, a, b, 78); KP_R4(b, c, d, e, a, 79);
        state[0] += a; state[1] += b; state[2] += c; state[3] += d; state[4] += e;
    }
}

#undef KP_W
#undef KP_R0
#undef KP_R1
#undef KP_R2
#undef KP_R3
#undef KP_R4

#ifdef KP_SHA1_HAVE_SHA_NI

#define KP_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

// Four rounds. The instructions keep the message words and A..D in reversed lane order,
// and E travels folded into the message words (sha1nexte).
#define KP_QUAD(g, f)                                                                        \
    {                                                                                        \
        __m128i msg;                                                                         \
        if ((g) < 4) {                                                                       \
            msg = _mm_shuffle_epi8(                                                          \
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * (g))), reverse);  \
        } else {                                                                             \
            msg = _mm_sha1msg2_epu32(                                                        \
                _mm_xor_si128(_mm_sha1msg1_epu32(w[((g) - 4) & 3], w[((g) - 3) & 3]),        \
                              w[((g) - 2) & 3]),                                             \
                w[((g) - 1) & 3]);                                                           \
        }                                                                                    \
        w[(g) & 3] = msg;                                                                    \
        const __m128i e_in = (g) == 0 ? _mm_add_epi32(e, msg) : _mm_sha1nexte_epu32(e, msg); \
        e = abcd;                                                                            \
        abcd = _mm_sha1rnds4_epu32(abcd, e_in, f);                                           \
    }

KP_SHA_TARGET void compress_sha_ni(std::uint32_t* state, const unsigned char* p, std::size_t blocks) {
    const __m128i reverse = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
    for (; blocks != 0; --blocks, p += 64) {
        const __m128i abcd_saved = abcd;
        const __m128i e_saved = e0;
        __m128i e = e0;
        __m128i w[4];
        KP_QUAD(0, 0)  KP_QUAD(1, 0)  KP_QUAD(2, 0)  KP_QUAD(3, 0)  KP_QUAD(4, 0)
        KP_QUAD(5, 1)  KP_QUAD(6, 1)  KP_QUAD(7, 1)  KP_QUAD(8, 1)  KP_QUAD(9, 1)
        KP_QUAD(10, 2) KP_QUAD(11, 2) KP_QUAD(12, 2) KP_QUAD(13, 2) KP_QUAD(14, 2)
        KP_QUAD(15, 3) KP_QUAD(16, 3) KP_QUAD(17, 3) KP_QUAD(18, 3) KP_QUAD(19, 3)
        e0 = _mm_sha1nexte_epu32(e, e_saved);
        abcd = _mm_add_epi32(abcd, abcd_saved);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e0, 3));
}

#undef KP_QUAD

bool cpu_has_sha_ni() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool ssse3 = (c & (1u << 9)) != 0;
    const bool sse41 = (c & (1u << 19)) != 0;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    const bool sha = (b & (1u << 29)) != 0;
    return ssse3 && sse41 && sha;
}

#endif  // KP_SHA1_HAVE_SHA_NI

using compress_fn = void (*)(std::uint32_t*, const unsigned char*, std::size_t);

compress_fn pick(sha1_engine engine) {
#ifdef KP_SHA1_HAVE_SHA_NI
    static const bool sha_ni = cpu_has_sha_ni();
    if (engine != sha1_engine::portable && sha_ni) return compress_sha_ni;
#else
    (void)engine;
#endif
    return compress_portable;
}

}  // namespace

bool sha1_engine_available(sha1_engine engine) {
    if (engine != sha1_engine::sha_ni) return true;
    return pick(engine) != compress_portable;
}

void sha1_init(sha1_context& ctx, sha1_engine engine) {
    ctx.count_low = 0;
    ctx.count_high = 0;
    ctx.state[0] = 0x67452301u;
    ctx.state[1] = 0xEFCDAB89u;
    ctx.state[2] = 0x98BADCFEu;
    ctx.state[3] = 0x10325476u;
    ctx.state[4] = 0xC3D2E1F0u;
    ctx.compress = pick(engine);
}

void sha1_update(sha1_context& ctx, const void* data, std::size_t length) {
    if (data == nullptr || length == 0) return;
    if (ctx.compress == nullptr) ctx.compress = pick(sha1_engine::automatic);
    const auto* p = static_cast<const unsigned char*>(data);
    const std::size_t used = ctx.count_low & 63u;

    const std::uint64_t count = ((std::uint64_t(ctx.count_high) << 32) | ctx.count_low) + length;
    ctx.count_low = static_cast<std::uint32_t>(count);
    ctx.count_high = static_cast<std::uint32_t>(count >> 32);

    if (used != 0) {
        const std::size_t take = length < 64 - used ? length : 64 - used;
        std::memcpy(ctx.buffer + used, p, take);
        p += take;
        length -= take;
        if (used + take < 64) return;
        ctx.compress(ctx.state, ctx.buffer, 1);
    }
    if (length >= 64) {
        ctx.compress(ctx.state, p, length / 64);
        p += length & ~std::size_t(63);
        length &= 63;
    }
    if (length != 0) std::memcpy(ctx.buffer, p, length);
}

void sha1_final(sha1_context& ctx, unsigned char out[20]) {
    if (ctx.compress == nullptr) ctx.compress = pick(sha1_engine::automatic);
    const std::uint64_t bits = ((std::uint64_t(ctx.count_high) << 32) | ctx.count_low) << 3;
    std::size_t used = ctx.count_low & 63u;
    ctx.buffer[used++] = 0x80;
    if (used > 56) {
        std::memset(ctx.buffer + used, 0, 64 - used);
        ctx.compress(ctx.state, ctx.buffer, 1);
        used = 0;
    }
    std::memset(ctx.buffer + used, 0, 56 - used);
    for (int i = 0; i < 8; ++i) ctx.buffer[56 + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    ctx.compress(ctx.state, ctx.buffer, 1);
    for (int i = 0; i < 5; ++i) {
        out[4 * i] = static_cast<unsigned char>(ctx.state[i] >> 24);
        out[4 * i + 1] = static_cast<unsigned char>(ctx.state[i] >> 16);
        out[4 * i + 2] = static_cast<unsigned char>(ctx.state[i] >> 8);
        out[4 * i + 3] = static_cast<unsigned char>(ctx.state[i]);
    }
}

void sha1_digest(const void* data, std::size_t length, unsigned char out[20], sha1_engine engine) {
    if (data == nullptr || length == 0) return;
    sha1_context ctx;
    sha1_init(ctx, engine);
    sha1_update(ctx, data, length);
    sha1_final(ctx, out);
    // The context holds message-derived words; volatile keeps these stores from being elided.
    volatile unsigned char* wipe = reinterpret_cast<volatile unsigned char*>(&ctx);
    for (std::size_t i = 0; i < sizeof ctx; ++i) wipe[i] = 0;
}

}  // namespace zv::encoding::bencoding
