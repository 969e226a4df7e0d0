// The Mersenne Twister engines against the standard library's mt19937 and
// mt19937_64: seeded outputs, key and thread mixing replayed on a standard
// engine loaded with the mixed words, state import, zero skipping, the
// descriptor values, and the distribution of the conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "subs/zmurmur.h"
#include "subs/zrng.h"
#include "support/host_fixture.h"

namespace {

struct Mt32Blob {
    uint32_t mt[624];
    int32_t mti;
};
struct Mt64Blob {
    uint64_t mt[312];
    int32_t mti;
    int32_t pad;
};
static_assert(sizeof(Mt32Blob) == 2500 && sizeof(Mt64Blob) == 2504);

ZRNG_S descriptor(void (*setup)(zrngptr, uint64_t))
{
    ZRNG_S q;
    setup(&q, 0);
    return q;
}

// A standard engine whose words are `words` and whose block is used up, so
// its next call regenerates, like a freshly seeded or mixed blob.
template <class Std, class W>
Std stdFromWords(const W* words, size_t n)
{
    std::ostringstream os;
    for (size_t i = 0; i < n; ++i) os << words[i] << ' ';
    os << n;
    Std g;
    std::istringstream is(os.str());
    is >> g;
    return g;
}

template <class Std>
std::vector<uint64_t> stdWords(const Std& g, size_t n)
{
    std::stringstream ss;
    ss << g;
    std::vector<uint64_t> w(n);
    for (auto& v : w) ss >> v;
    return w;
}

void init1998(uint32_t* mt, uint32_t x)
{
    mt[0] = x;
    for (int i = 1; i < 624; ++i) mt[i] = 69069u * mt[i - 1];
}

uint32_t temper(uint32_t y)
{
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    return y ^ (y >> 18);
}

// ---- seeded outputs ---------------------------------------------------------------

TEST(Mt32, Seed5489IsTheStandardSequence)
{
    ZRNG_S q = descriptor(zrnfMT32);
    Mt32Blob b;
    ASSERT_EQ(q.zrng_seed_32(&b, 5489), 2);
    std::mt19937 peer(5489);
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(q.zrng_uint32(&b), peer()) << i;

    ASSERT_EQ(q.zrng_seed_32(&b, 5489), 2);
    peer.seed(5489);
    EXPECT_EQ(q.zrng_uint32(&b), 3499211612u);
    EXPECT_EQ(q.zrng_uint32(&b), 581869302u);
    peer.discard(2);
    for (int i = 0; i < 3000; ++i) {
        uint64_t a = peer(), c = peer();
        ASSERT_EQ(q.zrng_uint64(&b), (a << 32) | c);
    }
    // Every conversion takes exactly one of these outputs.
    for (int i = 0; i < 3000; ++i) {
        const double y = static_cast<double>(peer());
        ASSERT_EQ(q.zrng_double_32_closed_open(&b), y * 0x1p-32);
        ASSERT_EQ(q.zrng_double_open(&b), static_cast<double>(peer()) * 0x1p-32);
        ASSERT_EQ(q.zrng_double_32_open_open(&b), (static_cast<double>(peer()) + 0.5) * 0x1p-32);
        ASSERT_EQ(q.zrng_double_crude(&b),
                  static_cast<double>(peer()) * std::bit_cast<double>(0x3DEFFFFFFFFFFFFFull));
    }
}

TEST(Mt64, Seed5489IsTheStandardSequence)
{
    ZRNG_S q = descriptor(zrnfMT64);
    Mt64Blob b;
    ASSERT_EQ(q.zrng_seed_64(&b, 5489), 2);
    std::mt19937_64 peer(5489);
    EXPECT_EQ(q.zrng_uint64(&b), 14514284786278117030ull);
    peer.discard(1);
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(q.zrng_uint64(&b), peer()) << i;

    ASSERT_EQ(q.zrng_seed_32(&b, 5489), 1);
    peer.seed(5489);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(q.zrng_uint32(&b), peer() >> 32);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(q.zrng_double_64_closed_closed(&b), static_cast<double>(peer()) * 0x1p-64);
        ASSERT_EQ(q.zrng_double_53_closed_open(&b), static_cast<double>(peer() >> 11) * 0x1p-53);
        const uint64_t u = peer();
        if (u != 0 && u < 0xFFFFFFFFFFFFFC00ull) { // never otherwise in 3000 draws
            ASSERT_EQ(q.zrng_double_open(&b), static_cast<double>(u) * 0x1p-64);
        }
    }
}

TEST(Mt1998, PublishedSequenceAndTwisterPeer)
{
    ZRNG_S q = descriptor(zrnfMT1998);
    Mt32Blob b;
    ASSERT_EQ(q.zrng_seed_32(&b, 4357), 2);
    EXPECT_EQ(q.zrng_uint32(&b), 3510405877u);
    EXPECT_EQ(q.zrng_uint32(&b), 4290933890u);
    EXPECT_EQ(q.zrng_uint32(&b), 2191955339u);

    for (uint32_t seed : {4357u, 1u, 0xFFFFFFFFu, 8193u}) {
        uint32_t words[624];
        init1998(words, seed);
        auto peer = stdFromWords<std::mt19937>(words, 624);
        q.zrng_seed_32(&b, seed);
        for (int i = 0; i < 10000; ++i) ASSERT_EQ(q.zrng_uint32(&b), peer()) << seed << " " << i;
    }
}

TEST(MtHybrid, LowThirteenBitsChooseTheInitialisation)
{
    ZRNG_S h = descriptor(zrnfMTHYBRID);
    ZRNG_S m32 = descriptor(zrnfMT32);
    ZRNG_S m98 = descriptor(zrnfMT1998);
    auto same = [](ZRNG_S& a, uint32_t sa, ZRNG_S& c, uint32_t sc) {
        Mt32Blob x, y;
        a.zrng_seed_32(&x, sa);
        c.zrng_seed_32(&y, sc);
        for (int i = 0; i < 1500; ++i)
            if (a.zrng_uint32(&x) != c.zrng_uint32(&y)) return false;
        return true;
    };
    EXPECT_TRUE(same(h, 8192, m32, 8192));
    EXPECT_TRUE(same(h, 0x12340000u, m32, 0x12340000u));
    EXPECT_TRUE(same(h, 8193, m98, 8193));
    EXPECT_TRUE(same(h, 4096, m98, 4096)); // bit 12 set
    EXPECT_FALSE(same(m32, 8193, m98, 8193));

    // The rule applies to the folded seed: 5 XOR 7 = 2 (1998 rule), and
    // 0x2000 XOR 0 = 0x2000 (2002 rule).
    Mt32Blob x, y;
    EXPECT_EQ(h.zrng_seed_64(&x, 0x0000000500000007ull), 1);
    m98.zrng_seed_32(&y, 2);
    EXPECT_EQ(std::memcmp(x.mt, y.mt, sizeof x.mt), 0);
    EXPECT_EQ(h.zrng_seed_64(&x, 0x0000200000000000ull), 1);
    m32.zrng_seed_32(&y, 0x2000);
    EXPECT_EQ(std::memcmp(x.mt, y.mt, sizeof x.mt), 0);
    // A whole double seed passes unchanged and meets the same rule.
    EXPECT_EQ(h.zrng_seed_double(&x, 2.0), 1);
    m98.zrng_seed_32(&y, 2);
    EXPECT_EQ(std::memcmp(x.mt, y.mt, sizeof x.mt), 0);
}

// ---- keys and threads --------------------------------------------------------------

std::mt19937 mixed32(uint32_t seed, std::initializer_list<std::pair<uint32_t, uint32_t>> mixes)
{
    std::mt19937 g(seed);
    std::vector<uint64_t> w = stdWords(g, 624);
    uint32_t words[624];
    for (int i = 0; i < 624; ++i) words[i] = static_cast<uint32_t>(w[size_t(i)]);
    for (auto [c, k] : mixes)
        for (uint32_t i = 0; i < 624; ++i) {
            uint32_t b[3] = {i, c, k};
            words[i] = zmurmur32(b, 12, words[i]);
        }
    return stdFromWords<std::mt19937>(words, 624);
}

bool sameStream(ZRNG_S& q, Mt32Blob& b, std::mt19937 peer, int n = 2000)
{
    for (int i = 0; i < n; ++i)
        if (q.zrng_uint32(&b) != peer()) return false;
    return true;
}

TEST(Mt32, KeyAndThreadMixing)
{
    ZRNG_S q = descriptor(zrnfMT32);
    Mt32Blob b;
    const uint32_t s = 20240611u;

    q.zrng_seed_32(&b, s);
    EXPECT_EQ(q.zrng_thread_32(&b, 77), 2);
    EXPECT_EQ(q.zrng_key_32(&b, 0xC0FFEEu), 2);
    EXPECT_TRUE(sameStream(q, b, mixed32(s, {{255, 77}, {15, 0xC0FFEE}})));

    q.zrng_seed_32(&b, s);
    EXPECT_EQ(q.zrng_key_32(&b, 0), 0);
    EXPECT_EQ(q.zrng_thread_32(&b, 0), 2);
    EXPECT_EQ(q.zrng_thread_64(&b, 0), 1);
    EXPECT_EQ(q.zrng_key_double(&b, -5.0), 1);
    EXPECT_EQ(q.zrng_key_double(&b, NAN), 0);
    EXPECT_TRUE(sameStream(q, b, std::mt19937(s)));

    q.zrng_seed_32(&b, s);
    EXPECT_EQ(q.zrng_key_64(&b, 0x100000000ull), 1); // truncated to key 0, still mixed
    EXPECT_TRUE(sameStream(q, b, mixed32(s, {{15, 0}})));

    q.zrng_seed_32(&b, s);
    EXPECT_EQ(q.zrng_key_double(&b, 4294967296.0 + 9), 1);
    EXPECT_TRUE(sameStream(q, b, mixed32(s, {{15, 9}})));

    q.zrng_seed_32(&b, s);
    EXPECT_EQ(q.zrng_thread_64(&b, 0x700000009ull), 1);
    EXPECT_TRUE(sameStream(q, b, mixed32(s, {{255, 9}})));

    // Key k and thread k are different substreams; reseeding drops the key.
    Mt32Blob k, t;
    q.zrng_seed_32(&k, s);
    q.zrng_seed_32(&t, s);
    q.zrng_key_32(&k, 5);
    q.zrng_thread_32(&t, 5);
    EXPECT_NE(q.zrng_uint32(&k), q.zrng_uint32(&t));
    q.zrng_seed_32(&k, s);
    EXPECT_TRUE(sameStream(q, k, std::mt19937(s)));
}

TEST(Mt64, KeyAndThreadMixing)
{
    ZRNG_S q = descriptor(zrnfMT64);
    const uint64_t s = 0x0123456789ABCDEFull;
    auto mixed = [&](std::initializer_list<std::pair<uint64_t, uint64_t>> mixes) {
        std::mt19937_64 g(s);
        std::vector<uint64_t> words = stdWords(g, 312);
        for (auto [c, k] : mixes)
            for (uint64_t i = 0; i < 312; ++i) {
                uint64_t w[3] = {i, c, k};
                words[i] = zmurmur64(w, 3, words[i]);
            }
        return stdFromWords<std::mt19937_64>(words.data(), 312);
    };
    auto same = [&](Mt64Blob& b, std::mt19937_64 peer) {
        for (int i = 0; i < 1000; ++i)
            if (q.zrng_uint64(&b) != peer()) return false;
        return true;
    };
    Mt64Blob b;
    q.zrng_seed_64(&b, s);
    EXPECT_EQ(q.zrng_thread_64(&b, 3), 2);
    EXPECT_EQ(q.zrng_key_64(&b, 0xFFFFFFFFFFFFFFF1ull), 2);
    EXPECT_TRUE(same(b, mixed({{255, 3}, {15, 0xFFFFFFFFFFFFFFF1ull}})));

    q.zrng_seed_64(&b, s);
    EXPECT_EQ(q.zrng_key_64(&b, 0), 0);
    EXPECT_EQ(q.zrng_thread_64(&b, 0), 2);
    EXPECT_EQ(q.zrng_thread_32(&b, 0), 1);
    EXPECT_EQ(q.zrng_key_double(&b, 0.0), 0);
    EXPECT_TRUE(same(b, std::mt19937_64(s)));

    q.zrng_seed_64(&b, s);
    EXPECT_EQ(q.zrng_key_32(&b, 12), 1);
    EXPECT_EQ(q.zrng_thread_32(&b, 13), 1);
    EXPECT_TRUE(same(b, mixed({{15, 12}, {255, 13}})));

    q.zrng_seed_64(&b, s);
    EXPECT_EQ(q.zrng_key_double(&b, 0x1p70 + 0x1p20), 1); // fmod 2^64 leaves 2^20
    EXPECT_TRUE(same(b, mixed({{15, 1ull << 20}})));
}

// ---- state import and zero skipping ------------------------------------------------

TEST(MtState, ImportedWordsContinueAsTheStandardEngine)
{
    ZRNG_S q = descriptor(zrnfMT32);
    Mt32Blob b;
    std::mt19937 peer(99);
    peer.discard(624 * 3); // at a block end: the next call regenerates
    std::vector<uint64_t> w = stdWords(peer, 624);
    std::vector<uint8_t> bytes(2496 + 5, 0xCD);
    for (size_t i = 0; i < 624; ++i) {
        uint32_t v = static_cast<uint32_t>(w[i]);
        std::memcpy(bytes.data() + 4 * i, &v, 4);
    }
    q.zrng_seed_32(&b, 1);
    EXPECT_EQ(q.zrng_state(&b, bytes.data(), int(bytes.size()), 0), 2);
    EXPECT_EQ(b.mti, 624);
    EXPECT_TRUE(sameStream(q, b, peer, 5000));

    ZRNG_S r = descriptor(zrnfMT64);
    Mt64Blob c;
    std::mt19937_64 p64(1234);
    p64.discard(312 * 2);
    std::vector<uint64_t> w64 = stdWords(p64, 312);
    r.zrng_seed_64(&c, 1);
    EXPECT_EQ(r.zrng_state(&c, reinterpret_cast<uint8_t*>(w64.data()), 2496, 0), 2);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(r.zrng_uint64(&c), p64());
    EXPECT_EQ(r.zrng_state(&c, reinterpret_cast<uint8_t*>(w64.data()), 0, 0), 0);
}

TEST(MtState, ZeroOutputsAreSkippedAndAZeroStateStillEnds)
{
    ZRNG_S q = descriptor(zrnfMT32);
    Mt32Blob b;
    q.zrng_seed_32(&b, 5489);
    b.mt[0] = 0;
    b.mt[1] = 0;
    b.mt[2] = 0x12345678u;
    b.mti = 0;
    EXPECT_EQ(q.zrng_uint32(&b), temper(0x12345678u));
    EXPECT_EQ(b.mti, 3);

    // A zero at the end of the block: skipped, then the regenerated block.
    q.zrng_seed_32(&b, 5489);
    std::mt19937 peer(5489);
    for (int i = 0; i < 623; ++i) ASSERT_EQ(q.zrng_uint32(&b), peer());
    b.mt[623] = 0;
    std::vector<uint64_t> w = stdWords(peer, 625); // words, then the position
    uint32_t words[624];
    for (int i = 0; i < 624; ++i) words[i] = static_cast<uint32_t>(w[size_t(i)]);
    words[623] = 0;
    auto after = stdFromWords<std::mt19937>(words, 624);
    EXPECT_EQ(q.zrng_uint32(&b), after());

    // All words zero (imported, or 1998-seeded with 0): never-zero outputs and
    // every conversion still return after a bounded number of draws.
    std::vector<uint8_t> zeros(2496, 0);
    EXPECT_EQ(q.zrng_state(&b, zeros.data(), 2496, 0), 2);
    EXPECT_EQ(q.zrng_uint32(&b), 1u);
    EXPECT_EQ(q.zrng_double_open(&b), 0x1p-32);
    EXPECT_GT(q.zrng_double_crude(&b), 0.0);
    ZRNG_S m98 = descriptor(zrnfMT1998);
    m98.zrng_seed_64(&b, 0x0000000100000001ull); // folds to 0
    EXPECT_EQ(m98.zrng_uint32(&b), 1u);

    ZRNG_S r = descriptor(zrnfMT64);
    Mt64Blob c;
    r.zrng_seed_64(&c, 3);
    EXPECT_EQ(r.zrng_state(&c, zeros.data(), 2496, 0), 2);
    EXPECT_EQ(r.zrng_uint64(&c), 0u);
    const double x = r.zrng_double_open(&c);
    EXPECT_GT(x, 0.0);
    EXPECT_LT(x, 1.0);
    EXPECT_EQ(r.zrng_double_infinite(&c), 0.0);
}

// ---- distribution -------------------------------------------------------------------

// Pearson chi-square over 100 equal bins of 10^6 uniforms: 99 degrees of
// freedom, so a value above 170 has probability below 10^-6 for a uniform
// source.  The seeds are fixed; the bound states how unlikely a failure of a
// correct implementation would be.
double chiSquare(double (*draw)(void*), void* blob, int n = 1000000)
{
    std::vector<int> bins(100, 0);
    for (int i = 0; i < n; ++i) {
        double x = draw(blob);
        if (!(x > 0.0 && x < 1.0)) return 1e9; // the open conversions exclude both ends
        ++bins[size_t(x * 100)];
    }
    double e = n / 100.0, c = 0;
    for (int k : bins) c += (k - e) * (k - e) / e;
    return c;
}

TEST(MtDistribution, OpenConversionsAreUniform)
{
    ZRNG_S q32 = descriptor(zrnfMT32);
    ZRNG_S q64 = descriptor(zrnfMT64);
    Mt32Blob a;
    Mt64Blob b;
    q32.zrng_seed_32(&a, 7);
    q64.zrng_seed_64(&b, 7);
    EXPECT_LT(chiSquare(q32.zrng_double_open, &a), 170.0);
    EXPECT_LT(chiSquare(q32.zrng_double_crude, &a), 170.0);
    EXPECT_LT(chiSquare(q64.zrng_double_open, &b), 170.0);
    EXPECT_LT(chiSquare(q64.zrng_double_53_open_open, &b), 170.0);
    EXPECT_LT(chiSquare(q64.zrng_double_infinite, &b), 170.0);
}

// Below 2^-8 the infinite conversion still fills all 53 mantissa bits: the
// lowest bit is set about half the time (about 3900 such values in 10^6; the
// band is over five standard deviations wide).
TEST(MtDistribution, InfiniteKeepsLowBitsRandomForSmallResults)
{
    ZRNG_S q = descriptor(zrnfMT64);
    Mt64Blob b;
    q.zrng_seed_64(&b, 11);
    int small = 0, odd = 0;
    for (int i = 0; i < 1000000; ++i) {
        double x = q.zrng_double_infinite(&b);
        if (x >= 0x1p-8) continue;
        ++small;
        int e;
        double m = std::frexp(x, &e);
        odd += static_cast<int>(static_cast<uint64_t>(std::ldexp(m, 53)) & 1u);
    }
    ASSERT_GT(small, 3500);
    EXPECT_NEAR(odd, small / 2.0, 5.5 * std::sqrt(small / 4.0));
}

// ---- dumps through the host journal ----------------------------------------------

class MtDump : public vxtest::HostFixture {};

TEST_F(MtDump, ElementCountsAndTheReadPosition)
{
    ZRNG_S q = descriptor(zrnfMT32);
    Mt32Blob b;
    q.zrng_seed_32(&b, 5489);
    clearJournal();
    q.zrng_dump_blob_32(&b, 1000);
    auto j = takeJournal();
    ASSERT_EQ(j.size(), 157u); // 625 elements, four to a line
    EXPECT_EQ(j.back().text, "   624:      270"); // mti = 624
    char want[128];
    std::snprintf(want, sizeof want, "     0: %8x    1: %8x    2: %8x    3: %8x", 5489u, b.mt[1], b.mt[2],
                  b.mt[3]);
    EXPECT_EQ(j.front().text, want);
    q.zrng_dump_blob_64(&b, 1000);
    j = takeJournal();
    ASSERT_EQ(j.size(), 78u); // 312 elements, mt[2i] in the low half
    std::snprintf(want, sizeof want, "     0: %16llx", (unsigned long long)b.mt[1] << 32 | b.mt[0]);
    EXPECT_EQ(j.front().text.substr(0, 24), want);

    ZRNG_S r = descriptor(zrnfMT64);
    Mt64Blob c;
    c.pad = 0;
    r.zrng_seed_64(&c, 5489);
    clearJournal();
    r.zrng_dump_blob_64(&c, 400);
    j = takeJournal();
    ASSERT_EQ(j.size(), 79u); // 313 elements
    EXPECT_EQ(j.back().text, "   312:              138"); // mti = 312
    r.zrng_dump_blob_32(&c, 1000);
    EXPECT_EQ(takeJournal().size(), 157u); // 626 elements
    r.zrng_dump_blob_32(&c, 625);
    j = takeJournal();
    ASSERT_EQ(j.size(), 158u);
    EXPECT_EQ(j.back().text, "        Further elements omitted.");
}

} // namespace
