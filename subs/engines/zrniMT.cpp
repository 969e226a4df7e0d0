/* The Mersenne Twister engines: MT19937 behind three initialisations
 * (MT1998, MT32, MTHYBRID) and MT19937-64 (MT64).
 *
 * Matsumoto and Nishimura, "Mersenne Twister: a 623-dimensionally
 * equidistributed uniform pseudo-random number generator", ACM TOMACS 8(1),
 * 1998; the 64-bit variant after Nishimura, ACM TOMACS 10(4), 2000, with the
 * 2004 initialisation. */
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "subs/engines/zrngener.h"
#include "subs/zmurmur.h"

namespace {

/* ---- MT19937 --------------------------------------------------------------- */
struct MtState32 {
    uint32_t mt[624];
    int32_t mti; /* next word to temper; 624: block used up */
};
static_assert(offsetof(MtState32, mt) == 0);
static_assert(offsetof(MtState32, mti) == 2496);
static_assert(sizeof(MtState32) == 2500);

constexpr int kN32 = 624;
constexpr int kM32 = 397;
/* The draw skips zero words, so an all-zero state (imported, or MT1998
 * seeded with a 64-bit seed that folds to 0), which stays all-zero under the
 * recurrence, would never give one.  After as many zero words in a row as a
 * rejecting conversion may draw for one uniform, the draw gives up and
 * returns 1, the smallest nonzero output: the engine's never-zero promise
 * and every conversion's range still hold, and one uniform still costs at
 * most that many words.  A seeded state has such a run with probability
 * below 2^-3000. */
constexpr int kMaxZeroRun = vxeng::kMaxDrawsPerUniform;

[[gnu::always_inline]] inline void regen32(MtState32& s)
{
    constexpr uint32_t kUpper = 0x80000000u, kLower = 0x7FFFFFFFu, kA = 0x9908B0DFu;
    uint32_t* mt = s.mt;
    int i = 0;
    for (; i < kN32 - kM32; ++i) {
        uint32_t y = (mt[i] & kUpper) | (mt[i + 1] & kLower);
        mt[i] = mt[i + kM32] ^ (y >> 1) ^ ((0u - (y & 1u)) & kA);
    }
    for (; i < kN32 - 1; ++i) {
        uint32_t y = (mt[i] & kUpper) | (mt[i + 1] & kLower);
        mt[i] = mt[i + (kM32 - kN32)] ^ (y >> 1) ^ ((0u - (y & 1u)) & kA);
    }
    uint32_t y = (mt[kN32 - 1] & kUpper) | (mt[0] & kLower);
    mt[kN32 - 1] = mt[kM32 - 1] ^ (y >> 1) ^ ((0u - (y & 1u)) & kA);
    s.mti = 0;
}

void init1998(MtState32& s, uint32_t x)
{
    s.mt[0] = x;
    for (int i = 1; i < kN32; ++i) s.mt[i] = 69069u * s.mt[i - 1];
    s.mti = kN32;
}

void init2002(MtState32& s, uint32_t x)
{
    s.mt[0] = x;
    for (int i = 1; i < kN32; ++i)
        s.mt[i] = 1812433253u * (s.mt[i - 1] ^ (s.mt[i - 1] >> 30)) + static_cast<uint32_t>(i);
    s.mti = kN32;
}

/* Key (c = 15) and thread (c = 255) mixing: every word rehashed with itself
 * as the hash seed, so substreams differ from the first regeneration on. */
void mix32(MtState32& s, uint32_t c, uint32_t k)
{
    for (int i = 0; i < kN32; ++i) {
        uint32_t b[3] = {static_cast<uint32_t>(i), c, k};
        s.mt[i] = zmurmur32(b, 12, s.mt[i]);
    }
}

enum class Init32 { y1998, y2002, hybrid };

template <Init32 kInit>
struct Mt32Base {
    using state = MtState32;
    static constexpr uint32_t bits = 32;
    static constexpr uint64_t has = ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE | ZRNG_HAS_SEED_32 |
                                    ZRNG_HAS_KEY_32 | ZRNG_HAS_THREAD_32 | ZRNG_HAS_DOUBLE_32 | ZRNG_HAS_NONZERO;
    static constexpr VXMemSize state_size = 2496;
    static constexpr uint32_t log2_period = 19968;
    static constexpr uint64_t max_seed = 0xFFFFFFFFu;
    static constexpr uint64_t max_key = 0xFFFFFFFFu;
    static constexpr bool nonzero_words = true; /* see kMaxZeroRun */

    [[gnu::always_inline]] static inline uint32_t temper(uint32_t y)
    {
        y ^= y >> 11;
        y ^= (y << 7) & 0x9D2C5680u;
        y ^= (y << 15) & 0xEFC60000u;
        return y ^ (y >> 18);
    }

    [[gnu::always_inline]] static inline uint32_t step(state& s)
    {
        for (int zeros = 0;;) {
            /* Unsigned compare: a corrupt negative read position regenerates
             * instead of indexing outside the block. */
            if (static_cast<uint32_t>(s.mti) >= static_cast<uint32_t>(kN32)) [[unlikely]]
                regen32(s);
            const uint32_t y = temper(s.mt[s.mti++]);
            if (y != 0) [[likely]]
                return y;
            if (++zeros >= kMaxZeroRun) return 1;
        }
    }

    /* The rest of the block tempered in one pass; a run holding a zero word
     * (which step skips) is made again by step. */
    [[gnu::always_inline]] static inline void fill_raw(state& s, uint32_t* out, int n)
    {
        while (n > 0) {
            if (static_cast<uint32_t>(s.mti) >= static_cast<uint32_t>(kN32)) regen32(s);
            const int take = n < kN32 - s.mti ? n : kN32 - s.mti;
            const uint32_t* w = s.mt + s.mti;
            unsigned zero = 0;
            for (int j = 0; j < take; ++j) {
                out[j] = temper(w[j]);
                zero |= static_cast<unsigned>(out[j] == 0);
            }
            if (zero != 0) [[unlikely]]
                for (int j = 0; j < take; ++j) out[j] = step(s);
            else
                s.mti += take;
            out += take;
            n -= take;
        }
    }

    static void seed(state& s, uint32_t x)
    {
        if constexpr (kInit == Init32::y1998) init1998(s, x);
        else if constexpr (kInit == Init32::y2002) init2002(s, x);
        else if ((x & 0x1FFFu) == 0) init2002(s, x);
        else init1998(s, x);
    }

    static void key(state& s, uint32_t k) { mix32(s, 15, k); }
    static void thread(state& s, uint32_t t) { mix32(s, 255, t); }

    /* The largest double below 2^-32 keeps 0xFFFFFFFF * c below 1. */
    static double crude(state& s)
    {
        constexpr double c = std::bit_cast<double>(0x3DEFFFFFFFFFFFFFull);
        return static_cast<double>(step(s)) * c;
    }
};

struct Mt1998 : Mt32Base<Init32::y1998> {
    static constexpr const char* name = "MT1998";
    static constexpr const char* label = "1998 32-bit Mersenne Twister";
};
struct Mt32 : Mt32Base<Init32::y2002> {
    static constexpr const char* name = "MT32";
    static constexpr const char* label = "2002 32-bit Mersenne Twister";
};
struct MtHybrid : Mt32Base<Init32::hybrid> {
    static constexpr const char* name = "MTHYBRID";
    static constexpr const char* label = "Hybrid 1998/2002 32-bit Mersenne Twister";
};

/* ---- MT19937-64 --------------------------------------------------------------- */
struct MtState64 {
    uint64_t mt[312];
    int32_t mti; /* next word to temper; 312: block used up */
};
static_assert(offsetof(MtState64, mt) == 0);
static_assert(offsetof(MtState64, mti) == 2496);
static_assert(sizeof(MtState64) == 2504);

constexpr int kN64 = 312;
constexpr int kM64 = 156;

[[gnu::always_inline]] inline void regen64(MtState64& s)
{
    constexpr uint64_t kUpper = 0xFFFFFFFF80000000ull, kLower = 0x7FFFFFFFull;
    constexpr uint64_t kA = 0xB5026F5AA96619E9ull;
    uint64_t* mt = s.mt;
    int i = 0;
    for (; i < kN64 - kM64; ++i) {
        uint64_t y = (mt[i] & kUpper) | (mt[i + 1] & kLower);
        mt[i] = mt[i + kM64] ^ (y >> 1) ^ ((0u - (y & 1u)) & kA);
    }
    for (; i < kN64 - 1; ++i) {
        uint64_t y = (mt[i] & kUpper) | (mt[i + 1] & kLower);
        mt[i] = mt[i + (kM64 - kN64)] ^ (y >> 1) ^ ((0u - (y & 1u)) & kA);
    }
    uint64_t y = (mt[kN64 - 1] & kUpper) | (mt[0] & kLower);
    mt[kN64 - 1] = mt[kM64 - 1] ^ (y >> 1) ^ ((0u - (y & 1u)) & kA);
    s.mti = 0;
}

void mix64(MtState64& s, uint64_t c, uint64_t k)
{
    for (int i = 0; i < kN64; ++i) {
        uint64_t w[3] = {static_cast<uint64_t>(i), c, k};
        s.mt[i] = zmurmur64(w, 3, s.mt[i]);
    }
}

struct Mt64 {
    using state = MtState64;
    static constexpr const char* name = "MT64";
    static constexpr const char* label = "64-bit Mersenne Twister";
    static constexpr uint32_t bits = 64;
    static constexpr uint64_t has = ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE | ZRNG_HAS_SEED_64 |
                                    ZRNG_HAS_KEY_64 | ZRNG_HAS_THREAD_64 | ZRNG_HAS_DOUBLE_64;
    static constexpr VXMemSize state_size = 2496;
    static constexpr uint32_t log2_period = 19968;
    static constexpr uint64_t max_seed = UINT64_MAX;
    static constexpr uint64_t max_key = UINT64_MAX;

    [[gnu::always_inline]] static inline uint64_t temper(uint64_t x)
    {
        x ^= (x >> 29) & 0x5555555555555555ull;
        x ^= (x << 17) & 0x71D67FFFEDA60000ull;
        x ^= (x << 37) & 0xFFF7EEE000000000ull;
        return x ^ (x >> 43);
    }

    [[gnu::always_inline]] static inline uint64_t step(state& s)
    {
        if (static_cast<uint32_t>(s.mti) >= static_cast<uint32_t>(kN64)) [[unlikely]]
            regen64(s);
        return temper(s.mt[s.mti++]);
    }

    /* The rest of the block tempered in one pass. */
    [[gnu::always_inline]] static inline void fill_raw(state& s, uint64_t* out, int n)
    {
        while (n > 0) {
            if (static_cast<uint32_t>(s.mti) >= static_cast<uint32_t>(kN64)) regen64(s);
            const int take = n < kN64 - s.mti ? n : kN64 - s.mti;
            const uint64_t* w = s.mt + s.mti;
            for (int j = 0; j < take; ++j) out[j] = temper(w[j]);
            s.mti += take;
            out += take;
            n -= take;
        }
    }

    static void seed(state& s, uint64_t x)
    {
        s.mt[0] = x;
        for (int i = 1; i < kN64; ++i)
            s.mt[i] = 6364136223846793005ull * (s.mt[i - 1] ^ (s.mt[i - 1] >> 62)) +
                      static_cast<uint64_t>(i);
        s.mti = kN64;
    }

    static void key(state& s, uint64_t k) { mix64(s, 15, k); }
    static void thread(state& s, uint64_t t) { mix64(s, 255, t); }
};

} // namespace

VX_ENGINE(MT1998, Mt1998)
VX_ENGINE(MT32, Mt32)
VX_ENGINE(MTHYBRID, MtHybrid)
VX_ENGINE(MT64, Mt64)
