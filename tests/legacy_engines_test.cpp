// The legacy engines and the hardware slot: ztorvel against the standard
// library's Lehmer engine with the same multiplier, the TORVEL descriptor
// built on it, the Subtract Key engines (seeds, keys at both widths, import
// of x alone, a stuck generator that still ends), and the RDRAND placeholder
// whose every draw is 0.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "subs/zrand.h"
#include "subs/zrng.h"
#include "subs/ztorvel.h"
#include "support/host_fixture.h"

namespace {

using SetupFn = void (*)(zrngptr, uint64_t);

ZRNG_S descriptor(SetupFn setup)
{
    ZRNG_S q;
    setup(&q, 0);
    return q;
}

using Lehmer = std::linear_congruential_engine<uint64_t, 397204094, 0, 2147483647>;

struct Sub32 {
    uint32_t x, key;
};
struct Sub64 {
    uint64_t x, key;
};

// ---- ztorvel and TORVEL ---------------------------------------------------------------

TEST(Torvel, StepMatchesTheStandardLehmerEngine)
{
    int64_t s = 1;
    EXPECT_EQ(ztorvel(&s), 397204094.0 / 2147483647.0);
    EXPECT_EQ(s, 397204094);
    ztorvel(&s);
    EXPECT_EQ(s, static_cast<int64_t>((397204094ull * 397204094ull) % 2147483647ull));

    EXPECT_EQ(ztorvel(nullptr), 0.0);

    // Only the low 32 bits are read, and the stored value is reduced.
    s = 0x100000001ll;
    ztorvel(&s);
    EXPECT_EQ(s, 397204094);
    for (int64_t bad : {int64_t(0), int64_t(0x7FFFFFFF), int64_t(0xFFFFFFFE), int64_t(0x17FFFFFFF)}) {
        s = bad;
        EXPECT_EQ(ztorvel(&s), 0.0) << bad;
        EXPECT_EQ(s, 0);
        EXPECT_EQ(ztorvel(&s), 0.0);
    }

    // Seeds above the modulus, and every low-32-bit pattern class, against
    // the peer seeded with the same value reduced.
    for (uint32_t seed : {1u, 2u, 12345u, 0x7FFFFFFEu, 0x80000000u, 0xFFFFFFFFu, 0xDEADBEEFu}) {
        Lehmer peer(seed % 2147483647u);
        int64_t v = -(int64_t(1) << 40) + seed; // high bits ignored
        for (int i = 0; i < 20000; ++i) {
            const uint64_t want = peer();
            ASSERT_EQ(ztorvel(&v), static_cast<double>(want) / 2147483647.0) << seed << " #" << i;
            ASSERT_EQ(v, static_cast<int64_t>(want));
        }
    }
}

TEST(Torvel, DescriptorDrawsAreTheStepsOfZtorvel)
{
    ZRNG_S q = descriptor(zrnfTORVEL);
    EXPECT_STREQ(q.zrng_name, "TORVEL");
    EXPECT_STREQ(q.zrng_label, "");
    EXPECT_EQ(q.zrng_state_size, 0u); // never installed by method selection
    EXPECT_EQ(q.zrng_has, 0x080Au);
    EXPECT_EQ(q.zrng_bits, 31u);
    EXPECT_EQ(q.zrng_log2_period, 0u);
    EXPECT_EQ(q.zrng_max_seed, 0xFFFFFFFFu);
    EXPECT_EQ(q.zrng_max_key, 0u);
    EXPECT_EQ(q.zrng_blob_size(), 8u);
    EXPECT_EQ(q.zrng_double_open, q.zrng_double_32_reject_zero);
    EXPECT_EQ(q.zrng_double_fast, q.zrng_double_32_closed_open);
    ASSERT_NE(q.zrng_double_crude, nullptr);
    EXPECT_EQ(q.zrng_double_64_reject_zero_one, nullptr);
    EXPECT_EQ(q.zrng_count_64, nullptr);

    int64_t blob = 0;
    EXPECT_EQ(q.zrng_seed_32(&blob, 0xFFFFFFFFu), 2);
    EXPECT_EQ(blob, 0xFFFFFFFFll); // stored unreduced
    Lehmer peer(0xFFFFFFFFu % 2147483647u);
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(q.zrng_uint32(&blob), peer());
    for (int i = 0; i < 1000; ++i) {
        const uint64_t a = peer(), b = peer();
        ASSERT_EQ(q.zrng_uint64(&blob), (a << 32) | b);
        ASSERT_EQ(q.zrng_double_crude(&blob), static_cast<double>(peer()) / 2147483647.0);
        // The 32-bit conversions take the 31-bit draw as it stands.
        const double x = q.zrng_double_32_closed_open(&blob);
        ASSERT_EQ(x, static_cast<double>(peer()) * 0x1p-32);
        ASSERT_LT(x, 0.5);
    }

    // A 64-bit seed is folded; a double seed goes through the seed mapping.
    EXPECT_EQ(q.zrng_seed_64(&blob, 0x0000000300000005ull), 1);
    EXPECT_EQ(blob, 6);
    EXPECT_EQ(q.zrng_seed_64(&blob, 0x0000000100000001ull), 1);
    EXPECT_EQ(blob, 0); // folds to 0: used as 0, and the stream is stuck at 0
    EXPECT_EQ(q.zrng_double_open(&blob), 0.0);
    EXPECT_EQ(q.zrng_seed_double(&blob, 12345.0), 1);
    EXPECT_EQ(blob, 12345);

    // No keys, threads or import.
    uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(q.zrng_key_32(&blob, 7), 0);
    EXPECT_EQ(q.zrng_key_64(&blob, 7), 0);
    EXPECT_EQ(q.zrng_key_double(&blob, 7.0), 0);
    EXPECT_EQ(q.zrng_thread_32(&blob, 7), 0);
    EXPECT_EQ(q.zrng_thread_64(&blob, 7), 0);
    EXPECT_EQ(q.zrng_state(&blob, bytes, 8, 0), -1);
    EXPECT_EQ(q.zrng_state(&blob, bytes, 0, 0), 0);
    EXPECT_EQ(blob, 12345);
}

// ---- Subtract Key -----------------------------------------------------------------------

TEST(Subkey32, CountsDownByTheKey)
{
    ZRNG_S q = descriptor(zrnfSUBKEY32);
    Sub32 b{0, 0};
    EXPECT_EQ(q.zrng_seed_32(&b, 10), 2);
    EXPECT_EQ(q.zrng_key_32(&b, 3), 2);
    Sub32 copy = b;
    for (uint32_t want : {7u, 4u, 1u, 0xFFFFFFFEu, 0xFFFFFFFBu}) EXPECT_EQ(q.zrng_uint32(&b), want);
    EXPECT_EQ(q.zrng_uint64(&copy), 0x0000000700000004ull);
    EXPECT_EQ(q.zrng_double_32_closed_closed(&copy), 2.0 * 0x1p-32); // 1 rounds up to 2

    // Seeding moves x and keeps the key; a 64-bit seed is folded.
    EXPECT_EQ(q.zrng_seed_64(&b, 0x0000000100000065ull), 1);
    EXPECT_EQ(b.x, 0x64u);
    EXPECT_EQ(b.key, 3u);
    EXPECT_EQ(q.zrng_seed_double(&b, 50.0), 1);
    EXPECT_EQ(b.x, 50u);
    EXPECT_EQ(b.key, 3u);

    // Keys: 0 keeps the old one; a 64-bit key is truncated, not folded; a
    // double is reduced modulo 2^32 and a negative one stores key 0.
    EXPECT_EQ(q.zrng_key_32(&b, 0), 0);
    EXPECT_EQ(b.key, 3u);
    EXPECT_EQ(q.zrng_key_double(&b, 4294967301.0), 1);
    EXPECT_EQ(b.key, 5u);
    EXPECT_EQ(q.zrng_key_64(&b, 0x0000000900000002ull), 1);
    EXPECT_EQ(b.key, 2u);
    EXPECT_EQ(q.zrng_key_64(&b, 0x100000000ull), 1);
    EXPECT_EQ(b.key, 0u);
    q.zrng_key_32(&b, 9);
    EXPECT_EQ(q.zrng_key_double(&b, -1.0), 1);
    EXPECT_EQ(b.key, 0u);
    EXPECT_EQ(q.zrng_thread_32(&b, 4), 0);
    EXPECT_EQ(q.zrng_thread_64(&b, 4), 0);

    // Key 0: a constant stream.  From x = 0 the stream uniform gives up
    // after its 99 draws and returns 0.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(q.zrng_uint32(&b), 50u);
    b.x = 0;
    EXPECT_EQ(q.zrng_double_open(&b), 0.0);
    EXPECT_EQ(b.x, 0u);
}

TEST(Subkey32, ImportReplacesXOnly)
{
    ZRNG_S q = descriptor(zrnfSUBKEY32);
    Sub32 b{0x11111111u, 0x77u};
    uint8_t two[2] = {0xAB, 0xCD};
    EXPECT_EQ(q.zrng_state(&b, two, 2, 0), 4);
    EXPECT_EQ(b.x, 0x0000CDABu);
    EXPECT_EQ(b.key, 0x77u);
    // A longer state still replaces four bytes.
    uint8_t eight[8] = {1, 0, 0, 0, 9, 9, 9, 9};
    EXPECT_EQ(q.zrng_state(&b, eight, 8, 0), 2);
    EXPECT_EQ(b.x, 1u);
    EXPECT_EQ(b.key, 0x77u);
}

TEST(Subkey64, WidthsAndTheHighHalf)
{
    ZRNG_S q = descriptor(zrnfSUBKEY64);
    Sub64 b{0, 0};
    EXPECT_EQ(q.zrng_seed_64(&b, 10), 2);
    EXPECT_EQ(q.zrng_key_32(&b, 3), 1);
    Sub64 copy = b;
    // High halves of 7, 4, 1, then of 2^64 - 2 after the wrap.
    for (uint32_t want : {0u, 0u, 0u, 0xFFFFFFFFu}) EXPECT_EQ(q.zrng_uint32(&b), want);
    EXPECT_EQ(q.zrng_uint64(&copy), 7u);
    EXPECT_EQ(q.zrng_double_53_open_closed(&copy), 1.0 * 0x1p-53); // 4 >> 11 = 0, plus 1

    EXPECT_EQ(q.zrng_seed_32(&b, 0xFFFFFFFFu), 1);
    EXPECT_EQ(b.x, 0xFFFFFFFFull); // widened, not folded
    EXPECT_EQ(b.key, 3u);
    EXPECT_EQ(q.zrng_key_64(&b, 0xFFFFFFFFFFFFFFFFull), 2); // subtracting -1 counts up
    EXPECT_EQ(q.zrng_uint64(&b), 0x100000000ull);
    EXPECT_EQ(q.zrng_key_double(&b, 0x1p64 + 0x1p60), 1); // reduced modulo 2^64
    EXPECT_EQ(b.key, 1ull << 60);
    EXPECT_EQ(q.zrng_key_double(&b, -2.5), 1);
    EXPECT_EQ(b.key, 0u);
    EXPECT_EQ(q.zrng_thread_64(&b, 4), 0);

    // Key 0 and x within 2^10 of 2^64: every draw would round to 1.0, yet
    // the stream uniform ends, inside (0, 1).
    b.x = 0xFFFFFFFFFFFFFC00ull;
    const double u = q.zrng_double_open(&b);
    EXPECT_GT(u, 0.0);
    EXPECT_LT(u, 1.0);
    EXPECT_EQ(q.zrng_double_64_closed_open(&b), 0.0); // folded onto (u AND 0x3FF) * 2^-10

    uint8_t three[3] = {1, 2, 3};
    EXPECT_EQ(q.zrng_state(&b, three, 3, 0), 4);
    EXPECT_EQ(b.x, 0x030201u);
    EXPECT_EQ(b.key, 0u);
}

// ---- journal: seed source, dumps ---------------------------------------------------------

class LegacyHost : public vxtest::HostFixture {};

TEST_F(LegacyHost, ZeroSeedsComeFromTheSeedSource)
{
    setDouble("vxbug.RNGSEED", 42.0);
    ZRNG_S t = descriptor(zrnfTORVEL);
    int64_t v = 5;
    EXPECT_EQ(t.zrng_seed_32(&v, 0), 2);
    EXPECT_EQ(v, 42);
    v = 5;
    EXPECT_EQ(t.zrng_seed_64(&v, 0), 1);
    EXPECT_EQ(v, 42);
    EXPECT_EQ(t.zrng_seed_double(&v, -1.0), 1);
    EXPECT_EQ(v, 42);

    ZRNG_S s32 = descriptor(zrnfSUBKEY32);
    ZRNG_S s64 = descriptor(zrnfSUBKEY64);
    Sub32 a{1, 7};
    Sub64 b{1, 7};
    EXPECT_EQ(s32.zrng_seed_64(&a, 0), 1);
    EXPECT_EQ(s64.zrng_seed_32(&b, 0), 1);
    EXPECT_EQ(a.x, 42u);
    EXPECT_EQ(b.x, 42u);
    EXPECT_EQ(a.key, 7u);
    EXPECT_EQ(b.key, 7u);
}

TEST_F(LegacyHost, DumpsShowValueAndKey)
{
    ZRNG_S q = descriptor(zrnfSUBKEY64);
    Sub64 b{0x0123456789ABCDEFull, 3};
    clearJournal();
    q.zrng_dump_blob_64(&b, 10);
    q.zrng_dump_blob_32(&b, 3);
    char l64[96], l32a[96];
    std::snprintf(l64, sizeof l64, "   %3i: %16llx  %3i: %16llx", 0, 0x0123456789ABCDEFull, 1, 3ull);
    std::snprintf(l32a, sizeof l32a, "   %3i: %8x  %3i: %8x  %3i: %8x", 0, 0x89ABCDEFu, 1, 0x01234567u, 2, 3u);
    EXPECT_EQ(takeJournalTexts(), (std::vector<std::string>{l64, l32a, "        Further elements omitted."}));

    ZRNG_S t = descriptor(zrnfTORVEL);
    int64_t v = 397204094;
    t.zrng_dump_blob_32(&v, 5);
    std::snprintf(l32a, sizeof l32a, "   %3i: %8x  %3i: %8x", 0, 397204094u, 1, 0u);
    EXPECT_EQ(takeJournalTexts(), std::vector<std::string>{l32a});

    // The hardware slot has no dump at all.
    ZRNG_S r = descriptor(zrnfRDRAND);
    uint64_t none = 0;
    r.zrng_dump_blob_32(&none, 10);
    r.zrng_dump_blob_64(&none, 0);
    EXPECT_TRUE(takeJournalTexts().empty());
}

// A stream seeds the Subtract Key engines at their own width and, since
// they take no thread number, folds the thread into the low bits of the key
// it hands them: key 3 and thread 5 become (3 << 21) | 5 at 32 bits and
// (3 << 43) | 5 at 64 bits.
TEST_F(LegacyHost, SubtractKeyInAStream)
{
    VXPoolh pool = vxhost_pool_create(host(), "subkey");
    ASSERT_NE(pool, nullptr);
    for (const char* method : {"subkey32", "SUBKEY64"}) {
        ZRANSTR* z = zrand_alloc_vx(pool);
        ASSERT_NE(z, nullptr);
        z->UserMethod = const_cast<char*>(method);
        z->Seed = 10;
        z->Key = 3;
        z->Thread = 5;
        ASSERT_EQ(zrand_init(z), 0) << method << journalDump();
        const bool wide = z->rng.zrng_bits == 64;
        const uint64_t key = wide ? (3ull << 43) | 5 : (3ull << 21) | 5;
        uint64_t x = 10;
        for (int i = 0; i < 3; ++i) {
            x = wide ? x - key : static_cast<uint32_t>(x - key);
            const double want = wide ? static_cast<double>(x) * 0x1p-64 : static_cast<double>(x) * 0x1p-32;
            EXPECT_EQ(z->rangen(z->Blob), want) << method << " " << i;
        }
    }
}

// ---- RDRAND placeholder ---------------------------------------------------------------

TEST(Rdrand, PlaceholderDrawsZeroThroughEveryConversion)
{
    ZRNG_S q = descriptor(zrnfRDRAND);
    EXPECT_STREQ(q.zrng_name, "RDRAND");
    EXPECT_STREQ(q.zrng_label, "Intel RDRAND");
    EXPECT_EQ(q.zrng_state_size, 0u);
    EXPECT_EQ(q.zrng_blob_size(), 0u);
    EXPECT_EQ(q.zrng_bits, 0u);
    EXPECT_EQ(q.zrng_log2_period, 0u);
    EXPECT_EQ(q.zrng_has, 0x3801u);
    EXPECT_EQ(q.zrng_max_seed, 0u);
    EXPECT_EQ(q.zrng_max_key, 0u);
    EXPECT_EQ(q.zrng_double_open, q.zrng_double_64_reject_zero_one);
    EXPECT_EQ(q.zrng_double_fast, q.zrng_double_64_closed_closed);
    EXPECT_EQ(q.zrng_double_crude, nullptr);
    EXPECT_EQ(q.zrng_count_32, nullptr);
    EXPECT_EQ(q.zrng_count_64, nullptr);

    uint64_t blob = 0x5A5A5A5A5A5A5A5Aull; // never read or written
    uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(q.zrng_seed_32(&blob, 5), 0);
    EXPECT_EQ(q.zrng_seed_64(&blob, 5), 0);
    EXPECT_EQ(q.zrng_seed_double(&blob, 5.0), 0);
    EXPECT_EQ(q.zrng_key_32(&blob, 5), 0);
    EXPECT_EQ(q.zrng_key_64(&blob, 5), 0);
    EXPECT_EQ(q.zrng_key_double(&blob, 5.0), 0);
    EXPECT_EQ(q.zrng_thread_32(&blob, 5), 0);
    EXPECT_EQ(q.zrng_thread_64(&blob, 5), 0);
    EXPECT_EQ(q.zrng_state(&blob, bytes, 4, 0), 0);
    EXPECT_EQ(q.zrng_state(&blob, bytes, 0, 0), 0);
    EXPECT_EQ(q.zrng_uint32(&blob), 0u);
    EXPECT_EQ(q.zrng_uint64(&blob), 0u);

    struct Want {
        zrng_double_fn f;
        double value;
    } wants[] = {
        {q.zrng_double_32_reject_zero, 0.0},    {q.zrng_double_32_open_open, 0x1p-33},
        {q.zrng_double_32_open_closed, 0x1p-32}, {q.zrng_double_32_closed_open, 0.0},
        {q.zrng_double_32_closed_closed, 0.0},  {q.zrng_double_53_reject_zero, 0.0},
        {q.zrng_double_53_open_open, 0x1p-53},  {q.zrng_double_53_open_closed, 0x1p-53},
        {q.zrng_double_53_closed_open, 0.0},    {q.zrng_double_53_closed_closed, 0.0},
        {q.zrng_double_64_open_open, 0x1p-64},  {q.zrng_double_64_open_closed, 0x1p-64},
        {q.zrng_double_64_closed_open, 0.0},    {q.zrng_double_64_closed_closed, 0.0},
        {q.zrng_double_infinite, 0.0},
    };
    for (size_t i = 0; i < sizeof wants / sizeof wants[0]; ++i) {
        ASSERT_NE(wants[i].f, nullptr) << i;
        EXPECT_EQ(wants[i].f(&blob), wants[i].value) << i;
    }
    // Not reachable through a stream, but it must still end inside (0, 1).
    const double u = q.zrng_double_open(&blob);
    EXPECT_GT(u, 0.0);
    EXPECT_LT(u, 1.0);
    EXPECT_EQ(blob, 0x5A5A5A5A5A5A5A5Aull);
}

} // namespace
