/* XORGENS: the 64-bit xorgens generator of Brent, "Some long-period random
 * number generators using shifts and xors", ANZIAM J. 48, 2007, with the
 * parameters of his xor4096i (r = 64, s = 53, shifts 33, 26, 27, 29) and its
 * Weyl sequence added to each output. */
#include <cstddef>
#include <cstdint>

#include "subs/engines/zrngener.h"

namespace {

struct XorgensState {
    uint64_t x[64];
    uint64_t w; /* Weyl sequence */
    int32_t i;  /* word last written */
};
static_assert(offsetof(XorgensState, w) == 512 && offsetof(XorgensState, i) == 520);
static_assert(sizeof(XorgensState) == 528);

constexpr int kR = 64;
constexpr int kLag = 11; /* r - s: the second operand lies this far ahead */
constexpr uint64_t kWeyl = 0x61C8864680B583EBull;

/* The array recurrence alone, without the Weyl part. */
[[gnu::always_inline]] inline uint64_t recur(XorgensState& s, int i)
{
    uint64_t t = s.x[i];
    uint64_t v = s.x[(i + kLag) & (kR - 1)];
    t ^= t << 33;
    t ^= t >> 26;
    v ^= v << 27;
    v ^= v >> 29;
    v ^= t;
    s.x[i] = v;
    return v;
}

/* A full-period 64-bit xorshift: spreads the seed over the array. */
inline uint64_t scramble(uint64_t v)
{
    v ^= v << 10;
    v ^= v >> 15;
    v ^= v << 4;
    v ^= v >> 13;
    return v;
}

struct Xorgens {
    using state = XorgensState;
    static constexpr const char* name = "XORGENS";
    static constexpr const char* label = "64-bit XORGENS*";
    static constexpr uint32_t bits = 64;
    static constexpr uint64_t has = ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_SEED_64 | ZRNG_HAS_DOUBLE_64;
    /* 520, although nothing is imported.  Two rules meet here and cannot
     * both hold: an engine that imports nothing leaves its state size 0,
     * and a state size of 0 is how an engine tells method selection it
     * cannot run, so that the name "XORGENS" would install MTHYBRID, making
     * it a third engine, beside TORVEL and RDRAND, that never ends in its
     * own engine.  The name selecting the engine is what users see, so it
     * wins: the size given is the generator's own state (the 64 words and
     * the Weyl value), and zrng_state still refuses every input, as the
     * missing ZRNG_HAS_STATE says. */
    static constexpr VXMemSize state_size = 520;
    static constexpr uint32_t log2_period = 0;
    static constexpr uint64_t max_seed = UINT64_MAX;
    static constexpr uint64_t max_key = 0;

    [[gnu::always_inline]] static inline uint64_t step(state& s)
    {
        /* Masked before the increment: a hand-filled index can neither
         * overflow nor point outside the array. */
        const int i = ((s.i & (kR - 1)) + 1) & (kR - 1);
        s.i = i;
        const uint64_t v = recur(s, i);
        const uint64_t w = s.w + kWeyl;
        s.w = w;
        return v + (w ^ (w >> 27));
    }

    static void seed(state& s, uint64_t v)
    {
        for (int k = 0; k < kR; ++k) v = scramble(v);
        uint64_t w = v;
        for (int k = 0; k < kR; ++k) {
            v = scramble(v);
            w += kWeyl;
            s.x[k] = v + w;
        }
        s.w = w;
        /* Discard 4r outputs; four whole turns of the array leave the index
         * where it started, and with the inner loop unrolled every index is
         * a constant. */
        for (int turn = 0; turn < 4; ++turn) {
#pragma GCC unroll 64
            for (int k = 0; k < kR; ++k) recur(s, k);
        }
        s.i = kR - 1;
    }
};

} // namespace

VX_ENGINE(XORGENS, Xorgens)
