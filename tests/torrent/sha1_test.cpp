// SHA-1 against published vectors and an independent implementation's digests, on every
// engine, whole and in pieces.
#include "bencoding/hex.h"
#include "bencoding/sha1.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace zv::encoding::bencoding;

struct engine_case {
    sha1_engine engine;
    const char* name;
};

const engine_case engines[] = {
    {sha1_engine::portable, "portable"},
    {sha1_engine::sha_ni, "sha_ni"},
    {sha1_engine::automatic, "automatic"},
};

std::string digest_hex(const std::string& data, sha1_engine engine) {
    unsigned char out[20] = {};
    sha1_digest(data.data(), data.size(), out, engine);
    return hex_upper(out, sizeof out);
}

std::string streamed_hex(const std::string& data, const std::vector<std::size_t>& cuts, sha1_engine engine) {
    sha1_context ctx;
    sha1_init(ctx, engine);
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        sha1_update(ctx, data.data() + from, cut - from);
        from = cut;
    }
    sha1_update(ctx, data.data() + from, data.size() - from);
    unsigned char out[20] = {};
    sha1_final(ctx, out);
    return hex_upper(out, sizeof out);
}

std::string random_bytes(std::mt19937& rng, std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

// The engines this processor runs; sha1_engines_agree_on_random_messages reports a skip
// where the SHA extensions are missing.
std::vector<engine_case> usable_engines() {
    std::vector<engine_case> usable;
    for (const engine_case& e : engines)
        if (sha1_engine_available(e.engine)) usable.push_back(e);
    return usable;
}

TEST(torrent_test, sha1_published_and_independent_vectors) {
    struct row {
        std::string message;
        const char* digest;
    };
    const row rows[] = {
        // FIPS 180-1 appendix A and B, and the million a's of appendix C.
        {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
        {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
        // Lengths around the padding boundaries (digests from Python's hashlib).
        {std::string(1, 'a'), "86F7E437FAA5A7FCE15D1DDCB9EAEAEA377667B8"},
        {std::string(55, 'a'), "C1C8BBDC22796E28C0E15163D20899B65621D65A"},
        {std::string(56, 'a'), "C2DB330F6083854C99D4B5BFB6E8F29F201BE699"},
        {std::string(57, 'a'), "F08F24908D682555111BE7FF6F004E78283D989A"},
        {std::string(63, 'a'), "03F09F5B158A7A8CDAD920BDDC29B81C18A551F5"},
        {std::string(64, 'a'), "0098BA824B5C16427BD7A1122A5A442A25EC644D"},
        {std::string(65, 'a'), "11655326C708D70319BE2610E8A57D9A5B959D3B"},
        {std::string(119, 'a'), "EE971065AAA017E0632A8CA6C77BB3BF8B1DFC56"},
        {std::string(120, 'a'), "F34C1488385346A55709BA056DDD08280DD4C6D6"},
        {std::string(127, 'a'), "89D95FA32ED44A7C610B7EE38517DDF57E0BB975"},
        {std::string(128, 'a'), "AD5B3FDBCB526778C2839D2F151EA753995E26A0"},
        {std::string(129, 'a'), "D96DEBF1BDCBC896E6C134EA76E8141F40D78536"},
    };
    for (const engine_case& e : usable_engines()) {
        for (const row& r : rows) {
            EXPECT_EQ(digest_hex(r.message, e.engine), r.digest) << e.name << ", length " << r.message.size();
        }
        // The million a's fed in uneven pieces, so buffered and direct blocks mix.
        const std::string& million = rows[2].message;
        std::vector<std::size_t> cuts;
        for (std::size_t at = 1, step = 1; at < million.size(); step = step * 3 % 1021 + 1, at += step) cuts.push_back(at);
        EXPECT_EQ(streamed_hex(million, cuts, e.engine), rows[2].digest) << e.name;
    }
}

TEST(torrent_test, sha1_empty_message) {
    for (const engine_case& e : usable_engines()) {
        sha1_context ctx;
        sha1_init(ctx, e.engine);
        sha1_update(ctx, "ignored", 0);
        sha1_update(ctx, nullptr, 5);
        unsigned char out[20] = {};
        sha1_final(ctx, out);
        EXPECT_EQ(hex_upper(out, 20), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709") << e.name;

        // No data: the digest buffer is left as it was.
        unsigned char kept[20];
        for (int i = 0; i < 20; ++i) kept[i] = static_cast<unsigned char>(0xA5 ^ i);
        const std::string before = hex_upper(kept, 20);
        sha1_digest("abc", 0, kept, e.engine);
        sha1_digest(nullptr, 3, kept, e.engine);
        EXPECT_EQ(hex_upper(kept, 20), before) << e.name;
    }
}

TEST(torrent_test, sha1_every_split_around_a_block_matches_one_update) {
    std::mt19937 rng(1234);
    const std::string message = random_bytes(rng, 300);
    for (const engine_case& e : usable_engines()) {
        const std::string whole = digest_hex(message, e.engine);
        for (std::size_t a = 0; a <= 140; ++a) {
            ASSERT_EQ(streamed_hex(message, {a}, e.engine), whole) << e.name << " split at " << a;
            // A second cut right after the first crosses the next block edge from every offset.
            const std::size_t b = a + 64 + (a % 3);
            ASSERT_EQ(streamed_hex(message, {a, b}, e.engine), whole) << e.name << " split at " << a << ", " << b;
        }
    }
}

TEST(torrent_test, sha1_engines_agree_on_random_messages) {
    if (!sha1_engine_available(sha1_engine::sha_ni)) GTEST_SKIP() << "this processor has no SHA extensions";
    std::mt19937 rng(99);
    for (int i = 0; i < 400; ++i) {
        const std::size_t n = i < 300 ? static_cast<std::size_t>(i) : rng() % 70000;
        const std::string message = random_bytes(rng, n);
        ASSERT_EQ(digest_hex(message, sha1_engine::portable), digest_hex(message, sha1_engine::sha_ni)) << "length " << n;
    }
}

TEST(torrent_test, sha1_byte_count_carries_into_high_half) {
    for (const engine_case& e : usable_engines()) {
        sha1_context ctx;
        sha1_init(ctx, e.engine);
        ctx.count_low = 0xFFFFFFC0u;  // as if 4 GiB less one block had been hashed
        const std::string block(96, 'x');
        sha1_update(ctx, block.data(), block.size());
        EXPECT_EQ(ctx.count_high, 1u) << e.name;
        EXPECT_EQ(ctx.count_low, 32u) << e.name;
    }
}

}  // namespace
