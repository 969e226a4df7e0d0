/* The Threefry counter engines FRY2X32, FRY2X64 and FRY4X64: Random123's
 * Threefry block functions with 20 rounds encrypt a counter under a key, and
 * the lanes of each block are handed out one per draw.
 *
 * Salmon, Moraes, Dror and Shaw, "Parallel random numbers: as easy as 1, 2,
 * 3", SC'11.  The block functions come from the system's Random123 headers;
 * they are declared always-inline there, and with the round count a constant
 * the compiler unrolls them into every draw and conversion. */
#include <cstddef>
#include <cstdint>

/* Random123's array header includes <iostream> for its stream operators,
 * and with it an ios_base::Init object: a run-time initialised static the
 * module must not have.  The operators need only <istream> and <ostream>, so
 * the header is read with <iostream>'s guard already set. */
#include <istream>
#include <ostream>
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_IOSTREAM)
#define _GLIBCXX_IOSTREAM 1
#define VX_FRY_IOSTREAM_HELD 1
#endif
#include <Random123/threefry.h>
#ifdef VX_FRY_IOSTREAM_HELD
#undef _GLIBCXX_IOSTREAM
#undef VX_FRY_IOSTREAM_HELD
#endif

#include "subs/engines/zrngener.h"

namespace {

/* ctr, key and the buffered block share one array type per shape; which is
 * the next lane of rand to hand out, 0 meaning no block is buffered. */
template <class Arr, class Which>
struct FryState {
    Arr ctr;
    Arr key;
    Arr rand;
    Which which;
};

using Fry2x32State = FryState<r123array2x32, uint32_t>;
using Fry2x64State = FryState<r123array2x64, uint64_t>;
using Fry4x64State = FryState<r123array4x64, uint64_t>;

static_assert(offsetof(Fry2x32State, ctr) == 0 && offsetof(Fry2x32State, key) == 8 &&
              offsetof(Fry2x32State, rand) == 16 && offsetof(Fry2x32State, which) == 24 &&
              sizeof(Fry2x32State) == 28);
static_assert(offsetof(Fry2x64State, key) == 16 && offsetof(Fry2x64State, rand) == 32 &&
              offsetof(Fry2x64State, which) == 48 && sizeof(Fry2x64State) == 56);
static_assert(offsetof(Fry4x64State, key) == 32 && offsetof(Fry4x64State, rand) == 64 &&
              offsetof(Fry4x64State, which) == 96 && sizeof(Fry4x64State) == 104);

constexpr unsigned kRounds = 20;

[[gnu::always_inline]] inline void block(Fry2x32State& s) { s.rand = threefry2x32_R(kRounds, s.ctr, s.key); }
[[gnu::always_inline]] inline void block(Fry2x64State& s) { s.rand = threefry2x64_R(kRounds, s.ctr, s.key); }
[[gnu::always_inline]] inline void block(Fry4x64State& s) { s.rand = threefry4x64_R(kRounds, s.ctr, s.key); }

inline uint32_t mix(uint32_t x) { return zmh3x32(x); }
inline uint64_t mix(uint64_t x) { return zmh3x64(x); }

template <class S, class W, unsigned N>
struct Fry {
    using state = S;
    static constexpr uint32_t bits = sizeof(W) * 8;
    static constexpr uint64_t has =
        ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE |
        (bits == 32 ? ZRNG_HAS_SEED_32 | ZRNG_HAS_KEY_32 | ZRNG_HAS_THREAD_32 | ZRNG_HAS_COUNT_32 | ZRNG_HAS_DOUBLE_32
                    : ZRNG_HAS_SEED_64 | ZRNG_HAS_KEY_64 | ZRNG_HAS_THREAD_64 | ZRNG_HAS_COUNT_64 | ZRNG_HAS_DOUBLE_64);
    /* Positioning is offered at the native width only, the one has names. */
    static constexpr bool count_native_only = true;
    static constexpr VXMemSize state_size = sizeof(W) * N; /* the ctr words */
    static constexpr uint32_t log2_period = bits * N;
    static constexpr uint64_t max_seed = W(~W(0));
    static constexpr uint64_t max_key = W(~W(0));

    [[gnu::always_inline]] static inline W step(state& s)
    {
        /* One unsigned compare catches both "no block buffered" (which = 0
         * wraps to the largest value) and a corrupt which >= N, so a bad
         * blob regenerates instead of reading outside rand. */
        if (static_cast<W>(s.which - 1u) >= static_cast<W>(N - 1u)) {
            block(s);
            s.which = 0;
        }
        const W x = s.rand.v[s.which];
        if (++s.which == N) {
            s.which = 0;
            /* Carry through every word; a wrap of the top word is lost, so
             * the two-lane period is 2^W blocks per thread number. */
            for (unsigned i = 0; i < N; ++i)
                if (++s.ctr.v[i] != 0) break;
        }
        return x;
    }

    static void seed(state& s, W x)
    {
        s.key.v[0] = x;
        for (unsigned i = 1; i < N; ++i) s.key.v[i] = mix(static_cast<W>(x + i));
        for (unsigned i = 0; i < N; ++i) {
            s.ctr.v[i] = 0;
            s.rand.v[i] = 0;
        }
        s.ctr.v[0] = 1;
        s.which = 0;
    }

    /* A 64-bit key truncated to a zero low word reaches here as 0; the
     * finaliser maps 0 to 0, so the exclusive-or leaves the key unchanged
     * as that case requires. */
    static void key(state& s, W k) { s.key.v[1] ^= mix(k); }

    /* The two-lane engines give each thread number its own counter high
     * word.  The four-lane counter carries through its high words, where a
     * thread number would run into the next substream, so it goes into a
     * key word instead. */
    static void thread(state& s, W t)
    {
        if (t == 0) return;
        if constexpr (N == 2) s.ctr.v[1] = mix(t);
        else s.key.v[2] ^= mix(t);
    }

    /* Lane n mod N of block n / N.  Only counter word 0 moves: the high
     * words hold the thread number of the two-lane engines. */
    static void count(state& s, uint64_t n)
    {
        s.ctr.v[0] = static_cast<W>(n / N);
        s.which = static_cast<decltype(s.which)>(n % N);
        if (s.which != 0) block(s);
    }
};

struct Fry2x32 : Fry<Fry2x32State, uint32_t, 2> {
    static constexpr const char* name = "FRY2X32";
    static constexpr const char* label = "32-bit Random123 2x32-bit Threefry";
};
struct Fry2x64 : Fry<Fry2x64State, uint64_t, 2> {
    static constexpr const char* name = "FRY2X64";
    static constexpr const char* label = "64-bit Random123 2x64-bit Threefry";
};
struct Fry4x64 : Fry<Fry4x64State, uint64_t, 4> {
    static constexpr const char* name = "FRY4X64";
    static constexpr const char* label = "64-bit Random123 4x64-bit Threefry";
};

} // namespace

VX_ENGINE(FRY2X32, Fry2x32)
VX_ENGINE(FRY2X64, Fry2x64)
VX_ENGINE(FRY4X64, Fry4x64)
