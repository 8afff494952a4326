// SHA-1 against published vectors on every engine, whole and in pieces.
#include "bencoding/hex.h"
#include "bencoding/sha1.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace zv::encoding::bencoding;

// Fed in two pieces cut at a and b (b >= a), on `engine`.
std::string digest_hex(const std::string& data, sha1_engine engine, std::size_t a, std::size_t b) {
    unsigned char out[20] = {};
    sha1_context ctx;
    sha1_init(ctx, engine);
    sha1_update(ctx, data.data(), a);
    sha1_update(ctx, data.data() + a, b - a);
    sha1_update(ctx, data.data() + b, data.size() - b);
    sha1_final(ctx, out);
    return hex_upper(out, sizeof out);
}

TEST(torrent_test, sha1_vectors_on_every_engine_whole_and_in_pieces) {
    const struct {
        std::string message;
        const char* digest;
    } rows[] = {
        // FIPS 180-1 appendices A, B and C; then either side of the padding and block edges.
        {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
        {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
        {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
        {std::string(55, 'a'), "C1C8BBDC22796E28C0E15163D20899B65621D65A"},
        {std::string(56, 'a'), "C2DB330F6083854C99D4B5BFB6E8F29F201BE699"},
        {std::string(64, 'a'), "0098BA824B5C16427BD7A1122A5A442A25EC644D"},
        {std::string(65, 'a'), "11655326C708D70319BE2610E8A57D9A5B959D3B"},
    };
    for (sha1_engine e : {sha1_engine::portable, sha1_engine::sha_ni}) {
        if (!sha1_engine_available(e)) continue;
        for (const auto& r : rows) {
            const std::size_t n = r.message.size();
            for (std::size_t a : {std::size_t{0}, n / 3, n}) {  // buffered and direct blocks mix
                EXPECT_EQ(digest_hex(r.message, e, a, (a + n) / 2), r.digest) << static_cast<int>(e) << " " << n << "/" << a;
            }
        }
    }
    // The one-call form leaves the digest untouched for no data.
    unsigned char kept[20] = {0xA5};
    sha1_digest("abc", 0, kept);
    sha1_digest(nullptr, 3, kept);
    EXPECT_EQ(hex_upper(kept, 20), "A5" + std::string(38, '0'));
}

TEST(torrent_test, sha1_engines_agree_and_the_count_carries_past_32_bits) {
    sha1_context ctx;
    sha1_init(ctx, sha1_engine::portable);
    ctx.count_low = 0xFFFFFFC0u;  // as if 4 GiB less one block had been hashed
    sha1_update(ctx, std::string(96, 'x').data(), 96);
    EXPECT_EQ(ctx.count_high, 1u);
    EXPECT_EQ(ctx.count_low, 32u);
    if (!sha1_engine_available(sha1_engine::sha_ni)) GTEST_SKIP() << "this processor has no SHA extensions";
    std::mt19937 rng(1234);
    for (int i = 0; i < 300; ++i) {
        std::string m(i < 200 ? static_cast<std::size_t>(i) : rng() % 70000, '\0');
        for (char& c : m) c = static_cast<char>(rng());
        const std::size_t a = m.empty() ? 0 : rng() % m.size();
        ASSERT_EQ(digest_hex(m, sha1_engine::portable, 0, 0), digest_hex(m, sha1_engine::sha_ni, a, a + (m.size() - a) / 2))
            << "length " << m.size();
    }
}

}  // namespace
