// MurmurHash3: published values, and agreement with a byte-wise reference
// written here from the algorithm's description.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "subs/engines/zmh3x.h"
#include "subs/zmurmur.h"

namespace {

uint32_t refRotl32(uint32_t x, unsigned r) { return (x << r) | (x >> (32u - r)); }
uint64_t refRotl64(uint64_t x, unsigned r) { return (x << r) | (x >> (64u - r)); }

uint32_t refFmix32(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    h *= 0xc2b2ae35u;
    return h ^ (h >> 16);
}

uint64_t refFmix64(uint64_t k)
{
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdull;
    k ^= k >> 33;
    k *= 0xc4ceb9fe1a85ec53ull;
    return k ^ (k >> 33);
}

// Reference x86_32: words assembled byte by byte (little-endian by
// construction), tail bytes folded in one at a time.
uint32_t refMurmur32(const std::vector<uint8_t>& in, uint32_t seed)
{
    uint32_t h = seed;
    size_t n = in.size();
    size_t full = n - n % 4;
    for (size_t i = 0; i < full; i += 4) {
        uint32_t k = uint32_t(in[i]) | uint32_t(in[i + 1]) << 8 | uint32_t(in[i + 2]) << 16 |
                     uint32_t(in[i + 3]) << 24;
        k = refRotl32(k * 0xcc9e2d51u, 15) * 0x1b873593u;
        h = refRotl32(h ^ k, 13) * 5u + 0xe6546b64u;
    }
    if (n % 4 != 0) {
        uint32_t k = 0;
        for (size_t j = n % 4; j-- > 0;) k = (k << 8) | in[full + j];
        h ^= refRotl32(k * 0xcc9e2d51u, 15) * 0x1b873593u;
    }
    return refFmix32(h ^ uint32_t(n));
}

// Reference x64_128 on a byte string whose length is a multiple of 16.
void refMurmur128Bytes(const std::vector<uint8_t>& in, uint64_t seed, uint64_t out[2])
{
    const uint64_t c1 = 0x87c37b91114253d5ull, c2 = 0x4cf5ad432745937full;
    uint64_t h1 = seed, h2 = seed;
    auto load = [&](size_t at) {
        uint64_t v = 0;
        for (int b = 7; b >= 0; --b) v = (v << 8) | in[at + size_t(b)];
        return v;
    };
    for (size_t i = 0; i + 16 <= in.size(); i += 16) {
        uint64_t k1 = load(i), k2 = load(i + 8);
        h1 ^= refRotl64(k1 * c1, 31) * c2;
        h1 = (refRotl64(h1, 27) + h2) * 5 + 0x52dce729;
        h2 ^= refRotl64(k2 * c2, 33) * c1;
        h2 = (refRotl64(h2, 31) + h1) * 5 + 0x38495ab5;
    }
    h1 ^= in.size();
    h2 ^= in.size();
    h1 += h2;
    h2 += h1;
    h1 = refFmix64(h1);
    h2 = refFmix64(h2);
    h1 += h2;
    h2 += h1;
    out[0] = h1;
    out[1] = h2;
}

std::vector<uint8_t> wordBytes(const std::vector<uint64_t>& w)
{
    std::vector<uint8_t> b;
    for (uint64_t v : w)
        for (int i = 0; i < 8; ++i) b.push_back(uint8_t(v >> (8 * i)));
    return b;
}

TEST(Murmur32, PublishedValues)
{
    EXPECT_EQ(zmurmur32("", 0, 0), 0u);
    EXPECT_EQ(zmurmur32("", 0, 1), 0x514E28B7u);
    EXPECT_EQ(zmurmur32("", 0, 0xFFFFFFFFu), 0x81F16F39u);
    EXPECT_EQ(zmurmur32("abc", 3, 0), 0xB3DD93FAu);
    // Further well-known values of the x86_32 variant.
    EXPECT_EQ(zmurmur32("\xff\xff\xff\xff", 4, 0), 0x76293B50u);
    EXPECT_EQ(zmurmur32("\x21\x43\x65\x87", 4, 0x5082EDEE), 0x2362F9DEu);
    EXPECT_EQ(zmurmur32("Hello, world!", 13, 1234), 0xFAF6CDB3u);
}

TEST(Murmur32, AgreesWithReferenceOnRandomInputs)
{
    std::mt19937 gen(20240611u);
    for (int len = 0; len <= 40; ++len) {
        for (int rep = 0; rep < 25; ++rep) {
            std::vector<uint8_t> in(static_cast<size_t>(len));
            for (auto& b : in) b = uint8_t(gen());
            uint32_t seed = gen();
            // Hash from an odd address too: the body read must not assume alignment.
            std::vector<uint8_t> shifted(in.size() + 1);
            if (!in.empty()) std::memcpy(shifted.data() + 1, in.data(), in.size());
            ASSERT_EQ(zmurmur32(in.data(), len, seed), refMurmur32(in, seed)) << "len " << len;
            ASSERT_EQ(zmurmur32(shifted.data() + 1, len, seed), refMurmur32(in, seed));
        }
    }
}

TEST(Murmur128, PublishedValues)
{
    uint64_t out[2] = {1, 1};
    zmurmur128(nullptr, 0, 0, out);
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[1], 0u);

    const uint64_t zeros[2] = {0, 0};
    zmurmur128(zeros, 2, 0, out);
    EXPECT_EQ(out[0], 0x4BBD1BF27DA918D6ull);
    EXPECT_EQ(out[1], 0xB465A9ECCD791CB6ull);

    const uint64_t five[5] = {1, 2, 3, 4, 5};
    zmurmur128(five, 5, 7, out);
    EXPECT_EQ(out[0], 0x409BE998FFE894D9ull);
    EXPECT_EQ(out[1], 0x6986838FA294B50Aull);

    const uint64_t three[3] = {1, 2, 3};
    EXPECT_EQ(zmurmur64(three, 3, 0), 0x43B0F594E22630DEull);
    const uint64_t one[1] = {1};
    EXPECT_EQ(zmurmur64(one, 1, 5), 0xC621CC5733DCC283ull);

    EXPECT_EQ(zmh3x64(1), 0xB456BCFC34C2CB2Cull);
    EXPECT_EQ(zmh3x32(1), 0x514E28B7u);
}

// Even counts are the byte-oriented hash of the words; odd counts that of the
// words followed by the finalised seed.  A non-positive count hashes nothing.
TEST(Murmur128, MatchesByteHashWithSeedPadding)
{
    std::mt19937_64 gen(77u);
    for (int len = 0; len <= 12; ++len) {
        for (int rep = 0; rep < 20; ++rep) {
            std::vector<uint64_t> w(static_cast<size_t>(len));
            for (auto& v : w) v = gen();
            uint64_t seed = gen();
            std::vector<uint64_t> padded = w;
            if (len % 2 == 1) padded.push_back(refFmix64(seed));
            uint64_t want[2], got[2];
            refMurmur128Bytes(wordBytes(padded), seed, want);
            zmurmur128(w.data(), len, seed, got);
            ASSERT_EQ(got[0], want[0]) << "len " << len;
            ASSERT_EQ(got[1], want[1]) << "len " << len;
            ASSERT_EQ(zmurmur64(w.data(), len, seed), want[0] ^ want[1]);
        }
    }
    uint64_t a[2], b[2];
    const uint64_t w = 9;
    zmurmur128(&w, -3, 11, a);
    zmurmur128(&w, 0, 11, b);
    EXPECT_EQ(a[0], b[0]);
    EXPECT_EQ(a[1], b[1]);
}

} // namespace
