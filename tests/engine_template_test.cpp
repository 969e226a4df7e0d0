// The engine template driven by a scripted engine whose raw outputs each test dictates.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "subs/engines/zmh3x.h"
#include "subs/engines/zrngener.h"
#include "support/host_fixture.h"

namespace {

constexpr size_t kArea = 44; // imported bytes: five whole words and a partial one

struct ScriptState {
    uint8_t area[kArea];
    uint8_t beyond[4]; // blob bytes after the imported area
    const uint64_t* outs;
    size_t n;
    size_t pos;
    uint64_t draws;
    uint64_t seeded;
    int seeds;
    uint64_t keyed;
    int keys;
    uint64_t threaded;
    int threads;
    uint64_t counted;
};

struct ScriptBase {
    using state = ScriptState;
    static constexpr VXMemSize state_size = kArea;
    static constexpr uint32_t log2_period = 7;
    static constexpr uint64_t max_key = 99;
};

// Outputs cycle through the script; the last entry repeats when pos runs past
// it if the script has one entry.
template <uint32_t kBits, uint64_t kHas>
struct Script : ScriptBase {
    using W = std::conditional_t<(kBits > 32), uint64_t, uint32_t>;
    static constexpr const char* name = kBits > 32 ? "SCRIPT64" : "SCRIPT32";
    static constexpr const char* label = "Scripted test engine";
    static constexpr uint32_t bits = kBits;
    static constexpr uint64_t has = kHas;
    static constexpr uint64_t max_seed = kBits > 32 ? UINT64_MAX : 0xFFFFFFFFu;
    static W step(state& s)
    {
        ++s.draws;
        return static_cast<W>(s.outs[s.pos++ % s.n]);
    }
    static void seed(state& s, W x) { s.seeded = x, ++s.seeds; }
    static void key(state& s, W k) { s.keyed = k, ++s.keys; }
    static void thread(state& s, W t) { s.threaded = t, ++s.threads; }
};

using S32 = Script<32, 0x0AAF>; // 32-bit family, dump, state
using S64 = Script<64, 0x1557>; // 64-bit family

struct S64Count : S64 {
    static void count(state& s, uint64_t n) { s.counted = n; }
    static double crude(state&) { return 0.25; }
};
struct S32ZeroKey : S32 {
    static constexpr bool key_double_zero_applies = true;
};
struct Bare {
    using state = ScriptState;
    static constexpr const char* name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"; // cut to 15
    static constexpr const char* label = nullptr;
    static constexpr uint32_t bits = 31;
    static constexpr uint64_t has = 0x080A; // no state import, no key
    static constexpr VXMemSize state_size = 8;
    static constexpr uint32_t log2_period = 0;
    static constexpr uint64_t max_seed = 0x7FFFFFFF, max_key = 0;
    static uint32_t step(state& s) { return static_cast<uint32_t>(s.outs[s.pos++ % s.n]); }
    static void seed(state& s, uint32_t x) { s.seeded = x; }
};
struct Seedless { // a hardware source: no seed, key, thread, import or dump
    using state = ScriptState;
    static constexpr const char* name = "HW";
    static constexpr const char* label = "Hardware";
    static constexpr uint32_t bits = 64;
    static constexpr uint64_t has = 0x3801;
    static constexpr VXMemSize state_size = 0;
    static constexpr uint32_t log2_period = 0;
    static constexpr uint64_t max_seed = 0, max_key = 0;
    static uint64_t step(state& s) { return s.outs[s.pos++ % s.n]; }
};
struct LongLabel : Bare {
    static constexpr const char* label =
        "0123456789012345678901234567890123456789012345678901234567890123456789";
};

template <class E>
ZRNG_S setUp()
{
    ZRNG_S q;
    std::memset(&q, 0xA5, sizeof q);
    vxeng::Engine<E>::setup(&q);
    return q;
}

struct Blob {
    std::vector<uint64_t> script;
    ScriptState s{};
    explicit Blob(std::vector<uint64_t> v) : script(std::move(v))
    {
        s.outs = script.data();
        s.n = script.size();
    }
    void* p() { return &s; }
};

// ---- set-up ---------------------------------------------------------------------

// Names, sizes, flags and which slots are filled, for every real engine: descriptor_values_test.
TEST(TemplateSetup, CutsNamesClearsReservedFieldsAndWiresOrStubsHooks)
{
    ZRNG_S q = setUp<Bare>();
    EXPECT_STREQ(q.zrng_name, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(q.zrng_vxname[14], VXChar('O'));
    EXPECT_EQ(q.zrng_vxname[15], 0u);
    EXPECT_STREQ(q.zrng_label, "");
    EXPECT_EQ(q.msglev, 0); // the 0xA5 fill is gone from reserved fields too
    EXPECT_EQ(std::string(setUp<LongLabel>().zrng_label), std::string(LongLabel::label).substr(0, 63));
    EXPECT_EQ(setUp<S32>().zrng_blob_size(), sizeof(ScriptState));

    Blob b({5});
    std::memset(b.s.area, 0x11, kArea);
    uint8_t in[4] = {1, 2, 3, 4};
    EXPECT_EQ(q.zrng_state(b.p(), in, 4, 0), -1);
    EXPECT_EQ(q.zrng_state(b.p(), in, 0, 0), 0);
    EXPECT_EQ(b.s.area[0], 0x11);
    ZRNG_S h = setUp<Seedless>();
    EXPECT_NE(h.zrng_double_32_open_open, nullptr); // both families
    EXPECT_NE(h.zrng_double_64_open_open, nullptr);
    EXPECT_EQ(h.zrng_double_32_closed_open(b.p()), 0.0); // the high half of 5

    ZRNG_S w = setUp<S64Count>();
    w.zrng_count_32(b.p(), 7);
    EXPECT_EQ(b.s.counted, 7u);
    w.zrng_count_64(b.p(), 1ull << 40);
    EXPECT_EQ(b.s.counted, 1ull << 40);
    EXPECT_EQ(w.zrng_double_crude(b.p()), 0.25);
}

// ---- raw compositions and conversions ----------------------------------------------

TEST(TemplateRaw, CompositionOrder)
{
    ZRNG_S q = setUp<S32>();
    Blob b({0x11111111, 0x22222222, 0xDEADBEEF});
    EXPECT_EQ(q.zrng_uint64(b.p()), 0x1111111122222222ull);
    EXPECT_EQ(q.zrng_uint32(b.p()), 0xDEADBEEFu);
    EXPECT_EQ(b.s.draws, 3u);

    ZRNG_S w = setUp<S64>();
    Blob c({0x0123456789ABCDEFull});
    EXPECT_EQ(w.zrng_uint32(c.p()), 0x01234567u);
    EXPECT_EQ(w.zrng_uint64(c.p()), 0x0123456789ABCDEFull);
    EXPECT_EQ(c.s.draws, 2u);

    // An engine with both families (as RDRAND has) composes two draws.
    ZRNG_S both = setUp<Script<32, 0x1800>>();
    Blob d({0x80000000u, 0x00000001u});
    EXPECT_EQ(both.zrng_double_64_closed_closed(d.p()), static_cast<double>(0x8000000000000001ull) * 0x1p-64);
    EXPECT_EQ(d.s.draws, 2u);
}

double conv(zrng_double_fn f, uint64_t u)
{
    Blob b({u});
    return f(b.p());
}

// Every value here is exact, so the expected values need no rounding either.
TEST(TemplateConvert, ThirtyTwoBitFamilyAtBoundaries)
{
    ZRNG_S q = setUp<S32>();
    const double u = 0x1p-32;
    for (uint32_t i : {0u, 1u, 2u, 3u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        const double di = static_cast<double>(i);
        EXPECT_EQ(conv(q.zrng_double_32_closed_open, i), di * u) << i;
        EXPECT_EQ(conv(q.zrng_double_32_open_open, i), (di + 0.5) * u) << i;
        EXPECT_EQ(conv(q.zrng_double_32_open_closed, i), (di + 1) * u) << i;
        // Odd values round up, so both ends have half weight and 0xFFFFFFFF gives 1.0.
        EXPECT_EQ(conv(q.zrng_double_32_closed_closed, i), (di + (i & 1)) * u) << i;
    }
}

TEST(TemplateConvert, FiftyThreeAndSixtyFourBitFamiliesAtBoundaries)
{
    ZRNG_S q = setUp<S64>();
    const uint64_t top = 0xFFFFFFFFFFFFFC00ull;
    EXPECT_EQ(conv(q.zrng_double_64_closed_open, top + 1), 0.0009765625);
    EXPECT_EQ(conv(q.zrng_double_64_closed_open, top), 0.0);
    EXPECT_EQ(conv(q.zrng_double_64_closed_open, UINT64_MAX), 1023 * 0x1p-10);
    EXPECT_EQ(conv(q.zrng_double_64_closed_open, top - 1), 1.0 - 0x1p-53); // the last value not folded
    EXPECT_EQ(conv(q.zrng_double_64_open_open, 0), 0x1p-64);
    EXPECT_EQ(conv(q.zrng_double_64_open_open, top), 0x1p-10); // top | 1
    EXPECT_EQ(conv(q.zrng_double_64_closed_closed, UINT64_MAX), 1.0);
    EXPECT_EQ(conv(q.zrng_double_64_closed_closed, top), 1.0);
    EXPECT_LT(conv(q.zrng_double_64_closed_closed, top - 1), 1.0);
    EXPECT_EQ(conv(q.zrng_double_64_closed_closed, 0), 0.0);
    EXPECT_EQ(conv(q.zrng_double_64_open_closed, 0), 0x1p-64);
    EXPECT_EQ(conv(q.zrng_double_64_open_closed, UINT64_MAX), 1.0);
    // Rounds to nearest: 2^53 + 1 is a tie that goes to even.
    EXPECT_EQ(conv(q.zrng_double_64_closed_closed, (1ull << 53) + 1), 0x1p-11);

    const double e = 0x1p-53;
    for (uint64_t u : std::initializer_list<uint64_t>{0, 1, 0x7FF, 0x800, 0x1000, 0x1800, top, UINT64_MAX}) {
        const uint64_t j = u >> 11;
        const double dj = static_cast<double>(j);
        EXPECT_EQ(conv(q.zrng_double_53_closed_open, u), dj * e) << u;
        EXPECT_EQ(conv(q.zrng_double_53_open_open, u), static_cast<double>(j | 1) * e) << u;
        EXPECT_EQ(conv(q.zrng_double_53_open_closed, u), (dj + 1) * e) << u;
        EXPECT_EQ(conv(q.zrng_double_53_closed_closed, u), static_cast<double>(j + (j & 1)) * e);
    }
}

// The 64-bit conversions avoid the compiler's branchy unsigned conversion;
// they must still round exactly as double(u) does, in every rounding mode.
TEST(TemplateConvert, SixtyFourBitConversionRoundsLikeTheCast)
{
    ZRNG_S q = setUp<S64>();
    std::vector<uint64_t> us = {1, (1ull << 53) + 1, (1ull << 53) + 3, (1ull << 63) + 1024,
                                (1ull << 63) + 1025, 0xFFFFFFFFFFFFF800ull, 0xFFFFFFFFFFFFFBFFull};
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 20000; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        us.push_back(x >> (i % 64));
    }
    for (int mode : {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        for (uint64_t u : us) {
            const volatile uint64_t vu = u; // keep the reference cast at run time
            const double want = static_cast<double>(vu) * 0x1p-64;
            Blob b({u});
            ASSERT_EQ(q.zrng_double_64_closed_closed(b.p()), want) << u << " mode " << mode;
        }
    }
    std::fesetround(FE_TONEAREST);
}

// Each row: the script the engine replays, the expected value and how many draws it took.
TEST(TemplateReject, DrawCountsOfTheRejectingAndInfiniteLoops)
{
    ZRNG_S q = setUp<S32>(), w = setUp<S64>();
    const uint64_t top = 0xFFFFFFFFFFFFFC00ull, v = 0xF0F0F0F0F0F0F0F1ull, stuck = vxeng::kRejectZeroOneDraws;
    std::vector<uint64_t> late(98, 0), deep(15, 0); // a late nonzero word; fifteen zero words
    late.push_back(7);
    deep.push_back(1);
    deep.push_back(UINT64_MAX);
    const struct {
        zrng_double_fn f;
        std::vector<uint64_t> script;
        double want;
        uint64_t draws;
    } rows[] = {
        {q.zrng_double_32_reject_zero, {0}, 0.0, 99},
        {q.zrng_double_32_reject_zero, late, 7 * 0x1p-32, 99},
        {q.zrng_double_open, {0, 0, 0, 5}, 5 * 0x1p-32, 4},
        {w.zrng_double_53_reject_zero, {0x7FF}, 0.0, 99}, // j = 0 although u is not
        {w.zrng_double_53_reject_zero, {0x7FF, 0x800}, 0x1p-53, 2},
        {w.zrng_double_64_reject_zero_one, {0, top, UINT64_MAX, 3}, 3 * 0x1p-64, 4},
        {w.zrng_double_open, {0xFFFFFFFFFFFFFBFFull}, 1.0 - 0x1p-53, 1},
        // A stuck generator ends the loop after the documented bound, inside (0, 1).
        {w.zrng_double_64_reject_zero_one, {0}, 0x1p-64, stuck},
        {w.zrng_double_64_reject_zero_one, {UINT64_MAX}, 1023 * 0x1p-10, stuck},
        {w.zrng_double_infinite, {0}, 0.0, 16},
        {w.zrng_double_infinite, {1, v}, std::ldexp(double(((1ull << 63) | (v >> 1)) | 1), -127), 2},
        {w.zrng_double_infinite, {1ull << 63}, std::ldexp(double(0x8000000000000001ull), -64), 1},
        {w.zrng_double_infinite, {top}, 1.0, 1},
        // Three zero words, then 2^40: exponent -64*4 - 23, refilled from v.
        {w.zrng_double_infinite, {0, 0, 0, 1ull << 40, v}, std::ldexp(double(((1ull << 63) | (v >> 41)) | 1), -64 * 4 - 23), 5},
        // Fifteen zeros then 1: the result is subnormal, still nonzero.
        {w.zrng_double_infinite, deep, std::ldexp(double(UINT64_MAX), -64 * 16 - 63), 17},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Blob b(rows[i].script);
        EXPECT_EQ(rows[i].f(b.p()), rows[i].want) << "row " << i;
        EXPECT_EQ(b.s.draws, rows[i].draws) << "row " << i;
    }
}

// ---- seeds, keys and threads --------------------------------------------------------

// Calls op ('s'eed, 'k'ey, 't'hread) at width w ('3'2, '6'4, 'd'ouble) on a fresh blob.
int callOp(const ZRNG_S& q, ScriptState& s, char op, char w, uint64_t u, double d)
{
    void* p = &s;
    if (op == 's') return w == '3' ? q.zrng_seed_32(p, uint32_t(u)) : w == '6' ? q.zrng_seed_64(p, u) : q.zrng_seed_double(p, d);
    if (op == 'k') return w == '3' ? q.zrng_key_32(p, uint32_t(u)) : w == '6' ? q.zrng_key_64(p, u) : q.zrng_key_double(p, d);
    return w == '3' ? q.zrng_thread_32(p, uint32_t(u)) : w == '6' ? q.zrng_thread_64(p, u) : 0;
}

// Code, value reaching the engine and whether the engine was called at all (-1: not counted).
// kAny: the value is not checked.
constexpr uint64_t kAny = 0xA5A5A5A5A5A5A5A5ull;

TEST(TemplateSeedKeyThread, CodesFoldsTruncationsAndZeros)
{
    const ZRNG_S a = setUp<S32>(), c = setUp<S64>(), z = setUp<S32ZeroKey>(), r = setUp<Bare>(), h = setUp<Seedless>();
    const struct {
        const ZRNG_S* q;
        char op, w;
        uint64_t u;
        double d;
        int code;
        uint64_t stored;
        int calls;
    } rows[] = {
        {&a, 's', '3', 7, 0, 2, 7, 1},
        {&a, 's', '6', 0x0000000100000001ull, 0, 1, 0, 1}, // folds to 0 and is used as 0
        {&a, 's', '6', 0x0000000500000007ull, 0, 1, 2, 1},
        {&a, 's', 'd', 0, 12345.0, 1, 12345, 1},
        {&a, 's', 'd', 0, 1.5, 1, 2147483647u, 1},
        {&a, 's', 'd', 0, 4294967295.0, 1, 4294967295u, 1},
        {&a, 's', 'd', 0, 0x1p40, 1, 1, 1}, // power of two above the range
        {&c, 's', '6', 0xFEDCBA9876543210ull, 0, 2, 0xFEDCBA9876543210ull, 1},
        {&c, 's', '3', 0x89ABCDEFu, 0, 1, 0x89ABCDEFull, 1},
        {&c, 's', 'd', 0, 18446744073709549568.0, 1, 18446744073709549568ull, 1}, // 2^64 - 2^11, whole
        {&c, 's', 'd', 0, 0x1p64, 1, 1, 1},
        {&c, 's', 'd', 0, INFINITY, 1, kAny, -1}, // saturates, never undefined
        {&a, 'k', '3', 0, 0, 0, kAny, 0},
        {&a, 'k', '6', 0, 0, 0, kAny, 0},
        {&a, 'k', '3', 5, 0, 2, 5, 1},
        {&a, 'k', '6', 0x100000000ull, 0, 1, 0, 1}, // nonzero, truncates to 0
        {&a, 'k', '6', 0x1200000034ull, 0, 1, 0x34, 1},
        {&a, 'k', 'd', 0, NAN, 0, kAny, 0},
        {&a, 'k', 'd', 0, 0.0, 0, kAny, 0},
        {&a, 'k', 'd', 0, -0.0, 0, kAny, 0},
        {&a, 'k', 'd', 0, -5.0, 1, kAny, 0}, // becomes 0: no change
        {&a, 'k', 'd', 0, 0x1p32, 1, kAny, 0},
        {&a, 'k', 'd', 0, INFINITY, 1, kAny, 0},
        {&a, 'k', 'd', 0, 0x1p32 + 7.75, 1, 7, 1},
        {&a, 'k', 'd', 0, 3.9, 1, 3, 1},
        {&z, 'k', 'd', 0, -5.0, 1, 0, 1},
        {&c, 'k', '3', 9, 0, 1, 9, 1},
        {&c, 'k', '6', 1ull << 63, 0, 2, 1ull << 63, 1},
        {&c, 'k', 'd', 0, 0x1p64 + 0x1p12, 1, 4096, 1},
        {&a, 't', '3', 0, 0, 2, kAny, 0}, // zero keeps the state but returns the code
        {&a, 't', '6', 0, 0, 1, kAny, 0},
        {&a, 't', '3', 4, 0, 2, 4, 1},
        {&a, 't', '6', 0x500000006ull, 0, 1, 6, 1},
        {&c, 't', '6', 0, 0, 2, kAny, 0},
        {&c, 't', '3', 0, 0, 1, kAny, 0},
        {&c, 't', '3', 3, 0, 1, 3, 1},
        // Missing operations are stubs returning 0; a 31-bit engine is a 32-bit one for widths.
        {&r, 'k', '3', 5, 0, 0, kAny, 0},
        {&r, 'k', '6', 5, 0, 0, kAny, 0},
        {&r, 'k', 'd', 0, 5.0, 0, kAny, 0},
        {&r, 't', '3', 5, 0, 0, kAny, 0},
        {&r, 't', '6', 5, 0, 0, kAny, 0},
        {&h, 's', '3', 9, 0, 0, 0, 0},
        {&h, 's', '6', 9, 0, 0, 0, 0},
        {&h, 's', 'd', 0, 9.0, 0, 0, 0},
        {&r, 's', '3', 9, 0, 2, 9, -1},
        {&r, 's', '6', 9, 0, 1, 9, -1},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& w = rows[i];
        Blob b({1});
        EXPECT_EQ(callOp(*w.q, b.s, w.op, w.w, w.u, w.d), w.code) << "row " << i;
        const uint64_t got = w.op == 's' ? b.s.seeded : w.op == 'k' ? b.s.keyed : b.s.threaded;
        const int calls = w.op == 's' ? b.s.seeds : w.op == 'k' ? b.s.keys : b.s.threads;
        EXPECT_TRUE(w.stored == kAny || got == w.stored) << "row " << i << ": " << got;
        EXPECT_TRUE(w.calls < 0 || calls == w.calls) << "row " << i << ": " << calls;
    }
    Blob b({1}); // fmod keeps a huge key below 2^64
    EXPECT_EQ(c.zrng_key_double(b.p(), 1e300), 1);
    EXPECT_LT(static_cast<double>(b.s.keyed), 0x1p64);
}

// ---- state import ----------------------------------------------------------------------

TEST(TemplateImport, EmptyFullShortPartialAndRepeated)
{
    ZRNG_S q = setUp<S32>();
    Blob b({1});
    uint8_t in[64];
    for (int i = 0; i < 64; ++i) in[i] = static_cast<uint8_t>(i + 1);
    const auto reset = [&] {
        std::memset(b.s.area, 0xEE, kArea);
        std::memset(b.s.beyond, 0xBB, sizeof b.s.beyond);
    };
    const auto word = [&](int k) {
        uint64_t w;
        std::memcpy(&w, b.s.area + 8 * k, 8);
        return w;
    };
    const auto beyondKept = [&] {
        for (uint8_t c : b.s.beyond) EXPECT_EQ(c, 0xBB);
    };

    reset();
    EXPECT_EQ(q.zrng_state(b.p(), in, 0, 0), 0);
    EXPECT_EQ(q.zrng_state(b.p(), in, -4, ZRNG_STATE_REPEAT), 0);
    EXPECT_EQ(b.s.area[0], 0xEE);
    EXPECT_EQ(q.zrng_state(b.p(), in, int(kArea) + 5, 0), 2);
    EXPECT_EQ(std::memcmp(b.s.area, in, kArea), 0);
    beyondKept();

    // Too short: zero-filled to a word, then a finaliser chain over the whole words.
    reset();
    EXPECT_EQ(q.zrng_state(b.p(), in, 3, 0), 4);
    EXPECT_EQ(word(0), 0x030201ull);
    for (int k = 1; k < 5; ++k) EXPECT_EQ(word(k), zmh3x64(word(k - 1))) << k;
    for (size_t i = 40; i < kArea; ++i) EXPECT_EQ(b.s.area[i], 0xEE) << i;
    beyondKept();

    reset();
    EXPECT_EQ(q.zrng_state(b.p(), in, 12, ZRNG_STATE_PARTIAL), 1);
    EXPECT_EQ(std::memcmp(b.s.area, in, 12), 0);
    for (size_t i = 12; i < kArea; ++i) EXPECT_EQ(b.s.area[i], 0xEE);
    EXPECT_EQ(q.zrng_state(b.p(), in, 3, ZRNG_STATE_REPEAT | ZRNG_STATE_PARTIAL), 3);
    for (size_t i = 0; i < kArea; ++i) EXPECT_EQ(b.s.area[i], in[i % 3]) << i;
    beyondKept();
}

// ---- journal: dumps and set-up messages -------------------------------------------

struct DumpState {
    uint32_t w[11]; // 44 bytes: eleven 32-bit elements, five whole 64-bit ones
};
struct DumpEngine {
    using state = DumpState;
    static constexpr const char* name = "DUMPER";
    static constexpr const char* label = "Dump test engine";
    static constexpr uint32_t bits = 32;
    static constexpr uint64_t has = 0x080B;
    static constexpr VXMemSize state_size = 40;
    static constexpr uint32_t log2_period = 0;
    static constexpr uint64_t max_seed = 0xFFFFFFFFu, max_key = 0;
    static uint32_t step(state& s) { return s.w[0]++; }
    static void seed(state& s, uint32_t x) { s.w[0] = x; }
};
struct NoDump : DumpEngine {
    static constexpr uint64_t has = 0x0809;
};

class TemplateJournal : public vxtest::HostFixture {
protected:
    DumpState blob{};
    void SetUp() override
    {
        for (uint32_t i = 0; i < 11; ++i) blob.w[i] = 0x10000000u * (i + 1) + i;
        blob.w[3] = 7; // short values are padded to the field width
    }
    std::vector<std::string> lines()
    {
        std::vector<std::string> out;
        for (const auto& e : takeJournal()) {
            EXPECT_EQ(e.severity, VXSeverityNull);
            EXPECT_EQ(e.code, 0);
            out.push_back(e.text);
        }
        return out;
    }
    // One dump line of 32- or 64-bit elements, formatted independently of the module.
    std::string line(int bits, int first, int count)
    {
        std::string out;
        char buf[64];
        for (int i = first; i < first + count; ++i) {
            unsigned long long v = 0;
            std::memcpy(&v, reinterpret_cast<const uint8_t*>(&blob) + bits / 8 * i, bits / 8);
            std::snprintf(buf, sizeof buf, "%*s%3i: %*llx", i == first ? 3 : 2, "", i, bits / 4, v);
            out += buf;
        }
        return out;
    }
};

const std::string kOmitted = "        Further elements omitted.";

TEST_F(TemplateJournal, DumpLineShapesAndStubs)
{
    EXPECT_EQ(line(32, 0, 2), "     0: 10000000    1: 20000001");
    EXPECT_EQ(line(32, 3, 1), "     3:        7");
    EXPECT_EQ(line(64, 2, 1), "     2: 6000000550000004");
    using V = std::vector<std::string>;
    const struct {
        int bits, n;
        V want;
    } rows[] = {
        {32, 0, {kOmitted}},
        {32, -3, {kOmitted}},
        {32, 6, {line(32, 0, 4), line(32, 4, 2), kOmitted}},
        {32, 1000, {line(32, 0, 4), line(32, 4, 4), line(32, 8, 3)}},
        {32, 11, {line(32, 0, 4), line(32, 4, 4), line(32, 8, 3)}},
        {32, 9, {line(32, 0, 4), line(32, 4, 4), line(32, 8, 1), kOmitted}},
        {64, 400, {line(64, 0, 4), line(64, 4, 1)}},
        {64, 3, {line(64, 0, 3), kOmitted}},
    };
    ZRNG_S q = setUp<DumpEngine>();
    clearJournal();
    for (const auto& r : rows) {
        (r.bits == 32 ? q.zrng_dump_blob_32 : q.zrng_dump_blob_64)(&blob, r.n);
        EXPECT_EQ(lines(), r.want) << r.bits << "-bit elements, at most " << r.n;
    }

    ZRNG_S n = setUp<NoDump>();
    clearJournal();
    n.zrng_dump_blob_32(&blob, 100);
    n.zrng_dump_blob_64(&blob, 0);
    EXPECT_TRUE(lines().empty());

    // Without a journal the dump writes nothing and does not fail.
    vxhost_journal_detach(host(), 1);
    q.zrng_dump_blob_32(&blob, 5);
    vxhost_journal_detach(host(), 0);
    EXPECT_TRUE(lines().empty());
}

TEST_F(TemplateJournal, SetUpAndBlobSizeMessages)
{
    setText("OSENV.QOR_RNG_MESSAGES", "ALL");
    clearJournal();
    ZRNG_S q = setUp<DumpEngine>();
    setUp<Bare>();
    EXPECT_EQ(q.zrng_blob_size(), 44u);
    auto j = takeJournal();
    ASSERT_EQ(j.size(), 3u) << journalDump();
    EXPECT_EQ(j[0].code, static_cast<VXStatus>(0x8C7FE851u));
    EXPECT_NE(j[0].text.find("Dump test engine"), std::string::npos) << j[0].text;
    EXPECT_EQ(j[1].code, static_cast<VXStatus>(0x8C7FE851u));
    EXPECT_NE(j[1].text.find("ABCDEFGHIJKLMNO"), std::string::npos) << j[1].text; // no label: name
    EXPECT_EQ(j[1].text.find("ABCDEFGHIJKLMNOP"), std::string::npos);
    EXPECT_EQ(j[2].code, static_cast<VXStatus>(0x8C7FE852u));
    EXPECT_NE(j[2].text.find("DUMPER"), std::string::npos) << j[2].text;
    EXPECT_NE(j[2].text.find("44"), std::string::npos) << j[2].text;
    EXPECT_EQ(j[0].severity, VXSeverityNote);
}

} // namespace
