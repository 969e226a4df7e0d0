/* The PCG engines PCG32I and PCG64I: a linear congruential state at the
 * output width, permuted by RXS M XS, with the key choosing the increment and
 * thereby the stream.
 *
 * O'Neill, "PCG: A family of simple fast space-efficient statistically good
 * algorithms for random number generation", HMC-CS-2014-0905, 2014. */
#include <cstddef>
#include <cstdint>

#include "subs/engines/zrngener.h"

namespace {

template <class W>
struct PcgState {
    W state;
    W inc; /* odd */
};
static_assert(offsetof(PcgState<uint32_t>, inc) == 4 && sizeof(PcgState<uint32_t>) == 8);
static_assert(offsetof(PcgState<uint64_t>, inc) == 8 && sizeof(PcgState<uint64_t>) == 16);

template <class W, W kMul, W kPerm, unsigned kOpBits>
struct PcgBase {
    using state = PcgState<W>;
    static constexpr uint32_t bits = sizeof(W) * 8;
    static constexpr uint64_t has =
        ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE |
        (bits == 32 ? ZRNG_HAS_SEED_32 | ZRNG_HAS_KEY_32 | ZRNG_HAS_DOUBLE_32
                    : ZRNG_HAS_SEED_64 | ZRNG_HAS_KEY_64 | ZRNG_HAS_DOUBLE_64);
    static constexpr VXMemSize state_size = sizeof(W); /* state, not inc */
    static constexpr uint32_t log2_period = bits;
    static constexpr uint64_t max_seed = W(~W(0));
    /* 2k + 1 must not lose a bit of k. */
    static constexpr uint64_t max_key = W(~W(0)) >> 1;

    /* The output is the permutation of the state after the step. */
    [[gnu::always_inline]] static inline W step(state& s)
    {
        const W x = s.state * kMul + s.inc;
        s.state = x;
        const W w = ((x >> ((x >> (bits - kOpBits)) + kOpBits)) ^ x) * kPerm;
        return (w >> ((2u * bits + 2u) / 3u)) ^ w;
    }

    /* With state = seed + 1 and inc = 1, and keying below, the first output
     * is the published generator's first output for initial state = seed
     * and stream = key. */
    static void seed(state& s, W x)
    {
        s.state = x + 1u;
        s.inc = 1u;
    }

    /* Raises the state by 2k over the unkeyed seed, as that generator's
     * seeding adds its increment; the constant 1 (not the previous inc) is
     * taken off, so a second key adds to the first.  A 64-bit key whose low
     * word is 0 reaches a 32-bit engine as 0 and changes nothing. */
    static void key(state& s, W k)
    {
        if (k == 0) return;
        s.inc = static_cast<W>(2u * k + 1u);
        s.state = (s.state - 1u) + s.inc;
    }
};

struct Pcg32i : PcgBase<uint32_t, 747796405u, 277803737u, 4> {
    static constexpr const char* name = "PCG32I";
    static constexpr const char* label = "32-bit PCG32i";
};
struct Pcg64i : PcgBase<uint64_t, 6364136223846793005ull, 12605985483714917081ull, 5> {
    static constexpr const char* name = "PCG64I";
    static constexpr const char* label = "64-bit PCG64i";
};

} // namespace

VX_ENGINE(PCG32I, Pcg32i)
VX_ENGINE(PCG64I, Pcg64i)
