// The PCG engines against pcg-cpp's setseq RXS M XS generators: seed s and
// key k are that generator's initial state and stream selector.  Published
// answers, streams at both widths with and without a key, the key arithmetic,
// refused thread numbers, state import, dumps and the descriptor values.
#include <gtest/gtest.h>

#include <pcg_random.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "subs/zrand.h"
#include "subs/zrng.h"
#include "support/host_fixture.h"

namespace {

using Peer32 = pcg_engines::setseq_rxs_m_xs_32_32;
using Peer64 = pcg_engines::setseq_rxs_m_xs_64_64;

template <class W>
struct Blob {
    W state;
    W inc;
};

template <class W>
struct Eng {
    ZRNG_S q;
    Blob<W> b;
    Eng()
    {
        if constexpr (sizeof(W) == 4) zrnfPCG32I(&q, 0);
        else zrnfPCG64I(&q, 0);
    }
    void* p() { return &b; }
    W next()
    {
        if constexpr (sizeof(W) == 4) return q.zrng_uint32(p());
        else return q.zrng_uint64(p());
    }
};

template <class W, class P>
::testing::AssertionResult samePath(Eng<W>& e, P& peer, int n)
{
    for (int i = 0; i < n; ++i) {
        const W a = e.next();
        const W b = peer();
        if (a != b)
            return ::testing::AssertionFailure() << "draw " << i << ": engine " << std::hex << a
                                                 << ", pcg-cpp " << b;
    }
    return ::testing::AssertionSuccess();
}

// ---- known answers ------------------------------------------------------------------------

TEST(Pcg, PublishedAnswers)
{
    Eng<uint32_t> e;
    EXPECT_EQ(e.q.zrng_seed_32(e.p(), 1), 2);
    EXPECT_EQ(e.b.state, 2u);
    EXPECT_EQ(e.b.inc, 1u);
    EXPECT_EQ(e.next(), 0xA3FE8633u);
    EXPECT_EQ(e.next(), 0x0E48FB8Fu);
    EXPECT_EQ(e.next(), 0x9345BAE3u);
    e.q.zrng_seed_32(e.p(), 1);
    EXPECT_EQ(e.q.zrng_key_32(e.p(), 5), 2);
    EXPECT_EQ(e.next(), 0x1839D98Bu);
    EXPECT_EQ(e.next(), 0xA0E77A64u);
    e.q.zrng_seed_32(e.p(), 1);
    EXPECT_EQ(e.q.zrng_uint64(e.p()), 0xA3FE86330E48FB8Full);

    Eng<uint64_t> f;
    EXPECT_EQ(f.q.zrng_seed_64(f.p(), 1), 2);
    EXPECT_EQ(f.next(), 0xBA08BEAB5FB702DFull);
    EXPECT_EQ(f.next(), 0xB8E10368E238E3E6ull);
    EXPECT_EQ(f.next(), 0xD2082AAD8EAE2F46ull);
    f.q.zrng_seed_64(f.p(), 1);
    EXPECT_EQ(f.q.zrng_key_64(f.p(), 5), 2);
    EXPECT_EQ(f.next(), 0xDB909C1A9619CA6Full);
    EXPECT_EQ(f.next(), 0x4F6A1633823A85E7ull);
    f.q.zrng_seed_64(f.p(), 1);
    EXPECT_EQ(f.q.zrng_uint32(f.p()), 0xBA08BEABu);
}

// ---- pcg-cpp as the peer --------------------------------------------------------------------

TEST(Pcg, StreamsMatchPcgCppWithAndWithoutAKey)
{
    for (uint32_t s : {1u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        for (uint32_t k : {0u, 5u, 0x12345u, 0x7FFFFFFFu}) {
            Eng<uint32_t> e;
            e.q.zrng_seed_32(e.p(), s);
            EXPECT_EQ(e.q.zrng_key_32(e.p(), k), k == 0 ? 0 : 2);
            Peer32 peer(s, k);
            ASSERT_TRUE(samePath(e, peer, 10000)) << s << " " << k;
            // The other widths and conversions take the same outputs.
            for (int i = 0; i < 1000; ++i) {
                const uint64_t a = peer();
                ASSERT_EQ(e.q.zrng_uint64(e.p()), (a << 32) | peer());
                ASSERT_EQ(e.q.zrng_double_32_closed_open(e.p()), peer() * 0x1p-32);
                const uint32_t u = peer();
                if (u != 0) ASSERT_EQ(e.q.zrng_double_open(e.p()), u * 0x1p-32);
                else e.q.zrng_uint32(e.p());
            }
        }
    }
    for (uint64_t s : {uint64_t{1}, uint64_t{0x0123456789ABCDEF}, UINT64_MAX}) {
        for (uint64_t k : {0ull, 5ull, 0xFEDCBA987ull, 0x7FFFFFFFFFFFFFFFull}) {
            Eng<uint64_t> e;
            e.q.zrng_seed_64(e.p(), s);
            EXPECT_EQ(e.q.zrng_key_64(e.p(), k), k == 0 ? 0 : 2);
            Peer64 peer(s, k);
            ASSERT_TRUE(samePath(e, peer, 10000)) << s << " " << k;
            for (int i = 0; i < 1000; ++i) {
                ASSERT_EQ(e.q.zrng_uint32(e.p()), peer() >> 32);
                ASSERT_EQ(e.q.zrng_double_64_closed_closed(e.p()), static_cast<double>(peer()) * 0x1p-64);
                ASSERT_EQ(e.q.zrng_double_53_closed_open(e.p()), static_cast<double>(peer() >> 11) * 0x1p-53);
            }
        }
    }
}

TEST(Pcg, SeedsAtTheOtherWidth)
{
    Eng<uint32_t> e;
    EXPECT_EQ(e.q.zrng_seed_64(e.p(), 0x0000000700000003ull), 1); // folds to 4
    Peer32 p4(4u, 0u);
    EXPECT_TRUE(samePath(e, p4, 100));
    EXPECT_EQ(e.q.zrng_seed_64(e.p(), 0x100000001ull), 1); // folds to 0, used as 0
    EXPECT_EQ(e.b.state, 1u);

    Eng<uint64_t> f;
    EXPECT_EQ(f.q.zrng_seed_32(f.p(), 0xFFFFFFFFu), 1);
    EXPECT_EQ(f.q.zrng_key_32(f.p(), 9), 1);
    Peer64 p(0xFFFFFFFFull, 9);
    EXPECT_TRUE(samePath(f, p, 100));
}

// ---- keys and threads ---------------------------------------------------------------------

TEST(PcgKeys, ArithmeticAndRefusals)
{
    Eng<uint32_t> e;
    const uint32_t s = 1000;
    e.q.zrng_seed_32(e.p(), s);
    const Blob<uint32_t> seeded = e.b;
    EXPECT_EQ(e.q.zrng_key_32(e.p(), 0), 0);
    EXPECT_EQ(e.q.zrng_key_64(e.p(), 0), 0);
    EXPECT_EQ(e.q.zrng_key_64(e.p(), 0x700000000ull), 1); // low word 0
    EXPECT_EQ(e.q.zrng_key_double(e.p(), NAN), 0);
    EXPECT_EQ(e.q.zrng_key_double(e.p(), 0.0), 0);
    EXPECT_EQ(e.q.zrng_key_double(e.p(), -3.0), 1);   // key 0
    EXPECT_EQ(e.q.zrng_key_double(e.p(), 0x1p32), 1); // mod 2^32 is 0
    EXPECT_EQ(e.q.zrng_thread_32(e.p(), 3), 0);
    EXPECT_EQ(e.q.zrng_thread_64(e.p(), 3), 0);
    // 2^31: 2k + 1 wraps to 1, the state is raised by 2^32 = 0.
    EXPECT_EQ(e.q.zrng_key_32(e.p(), 0x80000000u), 2);
    EXPECT_EQ(std::memcmp(&e.b, &seeded, sizeof seeded), 0);

    // Low 32 bits of a 64-bit key; the fraction of a double dropped.
    EXPECT_EQ(e.q.zrng_key_64(e.p(), 0x700000005ull), 1);
    Peer32 k5(s, 5u);
    EXPECT_TRUE(samePath(e, k5, 100));
    e.q.zrng_seed_32(e.p(), s);
    EXPECT_EQ(e.q.zrng_key_double(e.p(), 0x1p32 + 5.9), 1);
    k5 = Peer32(s, 5u);
    EXPECT_TRUE(samePath(e, k5, 100));

    // A second key adds 2k to the state again: k1 then k2 is stream k2 from
    // initial state s + 2 k1.
    e.q.zrng_seed_32(e.p(), s);
    e.q.zrng_key_32(e.p(), 11);
    e.q.zrng_key_32(e.p(), 22);
    EXPECT_EQ(e.b.inc, 45u);
    Peer32 twice(s + 22u, 22u);
    EXPECT_TRUE(samePath(e, twice, 100));

    // Reseeding drops the key.
    e.q.zrng_seed_32(e.p(), s);
    Peer32 plain(s, 0u);
    EXPECT_TRUE(samePath(e, plain, 100));

    Eng<uint64_t> f;
    f.q.zrng_seed_64(f.p(), 77);
    EXPECT_EQ(f.q.zrng_thread_64(f.p(), 3), 0);
    EXPECT_EQ(f.q.zrng_thread_32(f.p(), 3), 0);
    EXPECT_EQ(f.q.zrng_key_double(f.p(), 0x1p70 + 0x1p20), 1); // fmod 2^64 leaves 2^20
    Peer64 k20(77, 1ull << 20);
    EXPECT_TRUE(samePath(f, k20, 100));
    f.q.zrng_seed_64(f.p(), 77);
    EXPECT_EQ(f.q.zrng_key_64(f.p(), 0x8000000000000000ull), 2); // inc wraps to 1
    Peer64 plain64(77, 0);
    EXPECT_TRUE(samePath(f, plain64, 100));
}

// ---- state import --------------------------------------------------------------------------

TEST(PcgState, ImportReplacesTheStateAndKeepsTheIncrement)
{
    // An imported x steps to x * A + inc: pcg-cpp's generator built from
    // initial state x - inc.
    Eng<uint32_t> e;
    e.q.zrng_seed_32(e.p(), 1);
    e.q.zrng_key_32(e.p(), 9);
    uint8_t x[6] = {0x78, 0x56, 0x34, 0x12, 0xEE, 0xEE};
    EXPECT_EQ(e.q.zrng_state(e.p(), x, 6, 0), 2);
    EXPECT_EQ(e.b.state, 0x12345678u);
    EXPECT_EQ(e.b.inc, 19u);
    Peer32 p(0x12345678u - 19u, 9u);
    EXPECT_TRUE(samePath(e, p, 1000));
    EXPECT_EQ(e.q.zrng_state(e.p(), x, 1, ZRNG_STATE_REPEAT), 3);
    EXPECT_EQ(e.b.state, 0x78787878u);

    Eng<uint64_t> f;
    f.q.zrng_seed_64(f.p(), 1);
    EXPECT_EQ(f.q.zrng_state(f.p(), x, 3, 0), 4); // bytes 3 to 7 cleared
    EXPECT_EQ(f.b.state, 0x345678u);
    EXPECT_EQ(f.b.inc, 1u);
    Peer64 q(0x345678u - 1u, 0);
    EXPECT_TRUE(samePath(f, q, 1000));
}

// ---- dumps ----------------------------------------------------------------------------------

class PcgDump : public vxtest::HostFixture {};

TEST_F(PcgDump, StateAndIncrement)
{
    Eng<uint64_t> f;
    f.q.zrng_seed_64(f.p(), 0x1122334455667788ull);
    f.q.zrng_key_64(f.p(), 2);
    clearJournal();
    f.q.zrng_dump_blob_64(f.p(), 8);
    f.q.zrng_dump_blob_32(f.p(), 3);
    auto j = takeJournal();
    ASSERT_EQ(j.size(), 3u);
    char want[160];
    std::snprintf(want, sizeof want, "   %3i: %16llx  %3i: %16llx", 0, 0x112233445566778Dull, 1, 5ull);
    EXPECT_EQ(j[0].text, want);
    std::snprintf(want, sizeof want, "   %3i: %8x  %3i: %8x  %3i: %8x", 0, 0x5566778Du, 1, 0x11223344u, 2, 5u);
    EXPECT_EQ(j[1].text, want);
    EXPECT_EQ(j[2].text, "        Further elements omitted.");
}

// ---- through a random stream ------------------------------------------------------------------

// With a key but no thread entry, the stream folds its thread number into
// the key: (Key << 21 | Thread) at 32 bits, (Key << 43 | Thread) at 64.
class PcgStream : public vxtest::HostFixture {};

TEST_F(PcgStream, ThreadNumbersFoldIntoTheKey)
{
    VXPoolh pool = vxhost_pool_create(host(), "pcg");
    ASSERT_NE(pool, nullptr);
    ZRANSTR* z = zrand_alloc_vx(pool);
    ASSERT_NE(z, nullptr);
    z->UserMethod = const_cast<char*>("PCG32I");
    z->Seed = 77;
    z->Thread = 3;
    z->Key = 5;
    ASSERT_EQ(zrand_init(z), 0);
    Peer32 p(77u, (5u << 21) | 3u);
    for (int i = 0; i < 1000; ++i) {
        uint32_t u = p();
        while (u == 0) u = p();
        ASSERT_EQ(z->rangen(z->Blob), u * 0x1p-32) << i;
    }

    ZRANSTR* w = zrand_alloc_vx(pool);
    ASSERT_NE(w, nullptr);
    w->UserMethod = const_cast<char*>("pcg");
    w->Seed = 77;
    w->Thread = 3;
    w->Key = 5;
    ASSERT_EQ(zrand_init(w), 0);
    EXPECT_STREQ(w->rng.zrng_name, "PCG64I");
    Peer64 q(77u, (uint64_t{5} << 43) | 3u);
    for (int i = 0; i < 1000; ++i) {
        uint64_t u = q();
        while (u == 0 || u >= 0xFFFFFFFFFFFFFC00ull) u = q();
        ASSERT_EQ(w->rangen(w->Blob), static_cast<double>(u) * 0x1p-64) << i;
    }
}

// ---- distribution -------------------------------------------------------------------------------

// Pearson chi-square of 10^6 stream uniforms over 100 bins (99 degrees of
// freedom; above 170 with probability below 10^-6 for a uniform source), for
// a keyed stream of each engine.  Seeds fixed.
TEST(PcgDistribution, StreamUniformsAreUniform)
{
    ZRNG_S q32, q64;
    zrnfPCG32I(&q32, 0);
    zrnfPCG64I(&q64, 0);
    Blob<uint32_t> a;
    Blob<uint64_t> b;
    q32.zrng_seed_32(&a, 31);
    q32.zrng_key_32(&a, 4);
    q64.zrng_seed_64(&b, 31);
    q64.zrng_key_64(&b, 4);
    for (auto [q, blob] : {std::pair{&q32, static_cast<void*>(&a)}, std::pair{&q64, static_cast<void*>(&b)}}) {
        std::vector<int> bins(100, 0);
        const int n = 1000000;
        for (int i = 0; i < n; ++i) {
            const double x = q->zrng_double_open(blob);
            ASSERT_TRUE(x > 0.0 && x < 1.0);
            ++bins[static_cast<size_t>(x * 100)];
        }
        double c = 0;
        for (int k : bins) c += (k - n / 100.0) * (k - n / 100.0) / (n / 100.0);
        EXPECT_LT(c, 170.0) << q->zrng_name;
    }
}

} // namespace
