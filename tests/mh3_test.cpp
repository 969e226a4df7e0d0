// The MH3 engine against MurmurHash3's fmix64 written out here from the
// published constants: seeded answers, the stream at both widths, refused
// keys and threads, state import including the stuck zero state, the dump
// and the descriptor values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "subs/zrng.h"
#include "support/host_fixture.h"

namespace {

uint64_t fmix64(uint64_t k)
{
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdull;
    k ^= k >> 33;
    k *= 0xc4ceb9fe1a85ec53ull;
    k ^= k >> 33;
    return k;
}

struct Eng {
    ZRNG_S q;
    uint64_t x;
    Eng() { zrnfMH3(&q, 0); }
    void* p() { return &x; }
};

TEST(Mh3, SeededAnswersAndTheIteratedFinaliser)
{
    Eng e;
    EXPECT_EQ(e.q.zrng_seed_64(e.p(), 1), 2);
    EXPECT_EQ(e.q.zrng_uint64(e.p()), 0xB456BCFC34C2CB2Cull);
    EXPECT_EQ(e.q.zrng_uint64(e.p()), 0x7D6E4AC38B2B1BE2ull);
    EXPECT_EQ(e.q.zrng_uint64(e.p()), 0x5AB63AD545355D6Aull);
    EXPECT_EQ(e.q.zrng_seed_32(e.p(), 1), 1);
    EXPECT_EQ(e.q.zrng_uint32(e.p()), 0xB456BCFCu);

    for (uint64_t s : {uint64_t{2}, uint64_t{0x9E3779B97F4A7C15}, UINT64_MAX}) {
        e.q.zrng_seed_64(e.p(), s);
        uint64_t x = s;
        for (int i = 0; i < 5000; ++i) {
            x = fmix64(x);
            ASSERT_EQ(e.q.zrng_uint64(e.p()), x) << s << " " << i;
        }
        for (int i = 0; i < 1000; ++i) {
            x = fmix64(x);
            ASSERT_EQ(e.q.zrng_uint32(e.p()), x >> 32);
            x = fmix64(x);
            ASSERT_EQ(e.q.zrng_double_64_closed_closed(e.p()), static_cast<double>(x) * 0x1p-64);
            x = fmix64(x);
            ASSERT_EQ(e.q.zrng_double_53_open_open(e.p()), static_cast<double>((x >> 11) | 1u) * 0x1p-53);
        }
    }
}

TEST(Mh3, KeysAndThreadsAreRefused)
{
    Eng e;
    e.q.zrng_seed_64(e.p(), 12345);
    EXPECT_EQ(e.q.zrng_key_32(e.p(), 5), 0);
    EXPECT_EQ(e.q.zrng_key_64(e.p(), 5), 0);
    EXPECT_EQ(e.q.zrng_key_double(e.p(), 5.0), 0);
    EXPECT_EQ(e.q.zrng_thread_32(e.p(), 5), 0);
    EXPECT_EQ(e.q.zrng_thread_64(e.p(), 5), 0);
    EXPECT_EQ(e.x, 12345u);
}

TEST(Mh3State, ImportAndTheZeroState)
{
    Eng e;
    e.q.zrng_seed_64(e.p(), 3);
    uint64_t w = 0x0123456789ABCDEFull;
    EXPECT_EQ(e.q.zrng_state(e.p(), reinterpret_cast<uint8_t*>(&w), 8, 0), 2);
    EXPECT_EQ(e.q.zrng_uint64(e.p()), fmix64(w));
    uint8_t two[2] = {0x34, 0x12};
    EXPECT_EQ(e.q.zrng_state(e.p(), two, 2, 0), 4);
    EXPECT_EQ(e.x, 0x1234u);
    EXPECT_EQ(e.q.zrng_state(e.p(), two, 2, ZRNG_STATE_REPEAT), 3);
    EXPECT_EQ(e.x, 0x1234123412341234ull);

    // The finaliser fixes 0: every output is 0, yet the stream's uniform
    // still returns a value inside (0, 1) and the infinite conversion 0.
    uint64_t zero = 0;
    EXPECT_EQ(e.q.zrng_state(e.p(), reinterpret_cast<uint8_t*>(&zero), 8, 0), 2);
    EXPECT_EQ(e.q.zrng_uint64(e.p()), 0u);
    const double u = e.q.zrng_double_open(e.p());
    EXPECT_GT(u, 0.0);
    EXPECT_LT(u, 1.0);
    EXPECT_EQ(e.q.zrng_double_infinite(e.p()), 0.0);
}

class Mh3Dump : public vxtest::HostFixture {};

TEST_F(Mh3Dump, OneWord)
{
    Eng e;
    e.q.zrng_seed_64(e.p(), 0xABCDEF0123456789ull);
    clearJournal();
    e.q.zrng_dump_blob_64(e.p(), 1);
    e.q.zrng_dump_blob_32(e.p(), 2);
    auto j = takeJournal();
    ASSERT_EQ(j.size(), 2u);
    char want[128];
    std::snprintf(want, sizeof want, "   %3i: %16llx", 0, 0xABCDEF0123456789ull);
    EXPECT_EQ(j[0].text, want);
    std::snprintf(want, sizeof want, "   %3i: %8x  %3i: %8x", 0, 0x23456789u, 1, 0xABCDEF01u);
    EXPECT_EQ(j[1].text, want);
}

// Pearson chi-square of 10^6 stream uniforms over 100 bins: 99 degrees of
// freedom, above 170 with probability below 10^-6 for a uniform source.
TEST(Mh3Distribution, StreamUniformsAreUniform)
{
    Eng e;
    e.q.zrng_seed_64(e.p(), 20261206);
    std::vector<int> bins(100, 0);
    const int n = 1000000;
    for (int i = 0; i < n; ++i) {
        const double x = e.q.zrng_double_open(e.p());
        ASSERT_TRUE(x > 0.0 && x < 1.0);
        ++bins[static_cast<size_t>(x * 100)];
    }
    double c = 0;
    for (int k : bins) c += (k - n / 100.0) * (k - n / 100.0) / (n / 100.0);
    EXPECT_LT(c, 170.0);
}

} // namespace
