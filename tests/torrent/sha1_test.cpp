// SHA-1 against published vectors on every engine, whole and in pieces.
#include "bencoding/hex.h"
#include "bencoding/sha1.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace zv::encoding::bencoding;

// Engines this processor runs (sha_ni is missing where it lacks the SHA extensions).
std::vector<sha1_engine> usable_engines() {
    std::vector<sha1_engine> usable;
    for (sha1_engine e : {sha1_engine::portable, sha1_engine::sha_ni, sha1_engine::automatic})
        if (sha1_engine_available(e)) usable.push_back(e);
    return usable;
}

// Fed in pieces that end at `cuts`, or without cuts by the one-call form.
std::string digest_hex(const std::string& data, sha1_engine engine, const std::vector<std::size_t>& cuts = {}) {
    unsigned char out[20] = {};
    if (cuts.empty()) {
        sha1_digest(data.data(), data.size(), out, engine);
        return hex_upper(out, sizeof out);
    }
    sha1_context ctx;
    sha1_init(ctx, engine);
    for (std::size_t i = 0, from = 0; i <= cuts.size(); ++i) {
        const std::size_t to = i < cuts.size() ? cuts[i] : data.size();
        sha1_update(ctx, data.data() + from, to - from);
        from = to;
    }
    sha1_final(ctx, out);
    return hex_upper(out, sizeof out);
}

std::string random_bytes(std::mt19937& rng, std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

TEST(torrent_test, sha1_vectors) {
    const struct {
        std::string message;
        const char* digest;
    } rows[] = {
        // FIPS 180-1 appendices A, B and C.
        {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
        {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
        // Either side of the one- or two-block padding and of a whole block (Python's hashlib).
        {std::string(55, 'a'), "C1C8BBDC22796E28C0E15163D20899B65621D65A"},
        {std::string(56, 'a'), "C2DB330F6083854C99D4B5BFB6E8F29F201BE699"},
        {std::string(63, 'a'), "03F09F5B158A7A8CDAD920BDDC29B81C18A551F5"},
        {std::string(64, 'a'), "0098BA824B5C16427BD7A1122A5A442A25EC644D"},
        {std::string(65, 'a'), "11655326C708D70319BE2610E8A57D9A5B959D3B"},
    };
    for (sha1_engine e : usable_engines()) {
        for (const auto& r : rows) {
            EXPECT_EQ(digest_hex(r.message, e), r.digest) << static_cast<int>(e) << ", length " << r.message.size();
        }
    }
}

TEST(torrent_test, sha1_no_data_and_a_byte_count_past_32_bits) {
    for (sha1_engine e : usable_engines()) {
        SCOPED_TRACE(static_cast<int>(e));
        sha1_context ctx;
        sha1_init(ctx, e);
        sha1_update(ctx, "ignored", 0);
        sha1_update(ctx, nullptr, 5);
        unsigned char out[20] = {};
        sha1_final(ctx, out);
        EXPECT_EQ(hex_upper(out, 20), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
        // The one-call form leaves the digest buffer as it was.
        unsigned char kept[20] = {0xA5, 1, 2, 3};
        sha1_digest("abc", 0, kept, e);
        sha1_digest(nullptr, 3, kept, e);
        EXPECT_EQ(hex_upper(kept, 20), "A5010203" + std::string(32, '0'));

        sha1_init(ctx, e);
        ctx.count_low = 0xFFFFFFC0u;  // as if 4 GiB less one block had been hashed
        sha1_update(ctx, std::string(96, 'x').data(), 96);
        EXPECT_EQ(ctx.count_high, 1u);
        EXPECT_EQ(ctx.count_low, 32u);
    }
}

TEST(torrent_test, sha1_any_split_and_any_engine_give_one_digest) {
    std::mt19937 rng(1234);
    const std::string message = random_bytes(rng, 300);
    const std::string whole = digest_hex(message, sha1_engine::portable);
    for (sha1_engine e : usable_engines()) {
        for (std::size_t a = 0; a <= 140; ++a) {
            // Buffered and direct blocks mix; the second cut crosses the next block edge from every offset.
            const std::size_t b = a + 64 + (a % 3);
            ASSERT_EQ(digest_hex(message, e, {a}), whole) << static_cast<int>(e) << " split at " << a;
            ASSERT_EQ(digest_hex(message, e, {a, b}), whole) << static_cast<int>(e) << " split at " << a << ", " << b;
        }
    }
    if (!sha1_engine_available(sha1_engine::sha_ni)) GTEST_SKIP() << "this processor has no SHA extensions";
    for (int i = 0; i < 400; ++i) {
        const std::string m = random_bytes(rng, i < 300 ? static_cast<std::size_t>(i) : rng() % 70000);
        ASSERT_EQ(digest_hex(m, sha1_engine::portable), digest_hex(m, sha1_engine::sha_ni)) << "length " << m.size();
    }
}

}  // namespace
