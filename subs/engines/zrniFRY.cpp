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

/* What differs between the three shapes: the block function, the carry and
 * the seed's key schedule.  Key and thread mixing sit in the shape too,
 * because the 4x64 engine keeps its thread number in a key word. */
struct Shape2x32 {
    using state = Fry2x32State;
    using W = uint32_t;
    static constexpr unsigned N = 2;
    [[gnu::always_inline]] static inline void block(state& s)
    {
        s.rand = threefry2x32_R(kRounds, s.ctr, s.key);
    }
    /* A wrap of the high word is lost: the period is 2^32 blocks. */
    [[gnu::always_inline]] static inline void carry(state& s)
    {
        if (++s.ctr.v[0] == 0) ++s.ctr.v[1];
    }
    static void schedule(state& s, W x)
    {
        s.key.v[0] = x;
        s.key.v[1] = zmh3x32(x + 1u);
    }
    static W mix(W x) { return zmh3x32(x); }
    static void thread(state& s, W t)
    {
        if (t != 0) s.ctr.v[1] = mix(t);
    }
};

struct Shape2x64 {
    using state = Fry2x64State;
    using W = uint64_t;
    static constexpr unsigned N = 2;
    [[gnu::always_inline]] static inline void block(state& s)
    {
        s.rand = threefry2x64_R(kRounds, s.ctr, s.key);
    }
    [[gnu::always_inline]] static inline void carry(state& s)
    {
        if (++s.ctr.v[0] == 0) ++s.ctr.v[1];
    }
    static void schedule(state& s, W x)
    {
        s.key.v[0] = x;
        s.key.v[1] = zmh3x64(x + 1u);
    }
    static W mix(W x) { return zmh3x64(x); }
    static void thread(state& s, W t)
    {
        if (t != 0) s.ctr.v[1] = mix(t);
    }
};

struct Shape4x64 {
    using state = Fry4x64State;
    using W = uint64_t;
    static constexpr unsigned N = 4;
    [[gnu::always_inline]] static inline void block(state& s)
    {
        s.rand = threefry4x64_R(kRounds, s.ctr, s.key);
    }
    [[gnu::always_inline]] static inline void carry(state& s)
    {
        if (++s.ctr.v[0] == 0 && ++s.ctr.v[1] == 0 && ++s.ctr.v[2] == 0) ++s.ctr.v[3];
    }
    static void schedule(state& s, W x)
    {
        s.key.v[0] = x;
        s.key.v[1] = zmh3x64(x + 1u);
        s.key.v[2] = zmh3x64(x + 2u);
        s.key.v[3] = zmh3x64(x + 3u);
    }
    static W mix(W x) { return zmh3x64(x); }
    /* The counter's high words carry, so a thread number there would run
     * into the next substream; a key word keeps the substreams apart. */
    static void thread(state& s, W t)
    {
        if (t != 0) s.key.v[2] ^= mix(t);
    }
};

template <class Sh>
struct Fry {
    using state = typename Sh::state;
    using W = typename Sh::W;
    static constexpr uint32_t bits = sizeof(W) * 8;
    static constexpr uint64_t has = bits == 32 ? 0x0AAF : 0x1557;
    static constexpr VXMemSize state_size = sizeof(W) * Sh::N; /* the ctr words */
    static constexpr uint32_t log2_period = bits * Sh::N;
    static constexpr uint64_t max_seed = W(~W(0));
    static constexpr uint64_t max_key = W(~W(0));

    [[gnu::always_inline]] static inline W step(state& s)
    {
        /* One unsigned compare catches both "no block buffered" (which = 0
         * wraps to the largest value) and a corrupt which >= N, so a bad
         * blob regenerates instead of reading outside rand. */
        if (static_cast<W>(s.which - 1u) >= static_cast<W>(Sh::N - 1u)) {
            Sh::block(s);
            s.which = 0;
        }
        const W x = s.rand.v[s.which];
        if (++s.which == Sh::N) {
            s.which = 0;
            Sh::carry(s);
        }
        return x;
    }

    static void seed(state& s, W x)
    {
        Sh::schedule(s, x);
        for (unsigned i = 0; i < Sh::N; ++i) {
            s.ctr.v[i] = 0;
            s.rand.v[i] = 0;
        }
        s.ctr.v[0] = 1;
        s.which = 0;
    }

    /* A 64-bit key truncated to a zero low word reaches here as 0; the
     * finaliser maps 0 to 0, so the exclusive-or leaves the key unchanged
     * as that case requires. */
    static void key(state& s, W k) { s.key.v[1] ^= Sh::mix(k); }
    static void thread(state& s, W t) { Sh::thread(s, t); }

    /* Lane n mod N of block n / N.  Only counter word 0 moves: the high
     * words hold the thread number of the two-lane engines. */
    static void count(state& s, uint64_t n)
    {
        s.ctr.v[0] = static_cast<W>(n / Sh::N);
        s.which = static_cast<decltype(s.which)>(n % Sh::N);
        if (s.which != 0) Sh::block(s);
    }
};

struct Fry2x32 : Fry<Shape2x32> {
    static constexpr const char* name = "FRY2X32";
    static constexpr const char* label = "32-bit Random123 2x32-bit Threefry";
};
struct Fry2x64 : Fry<Shape2x64> {
    static constexpr const char* name = "FRY2X64";
    static constexpr const char* label = "64-bit Random123 2x64-bit Threefry";
};
struct Fry4x64 : Fry<Shape4x64> {
    static constexpr const char* name = "FRY4X64";
    static constexpr const char* label = "64-bit Random123 4x64-bit Threefry";
};

} // namespace

/* The template installs the count hook at both widths; these engines offer
 * positioning only at their native width, the one their has bits declare. */
extern "C" {
VXAPI void zrnfFRY2X32(zrngptr q, uint64_t)
{
    vxeng::Engine<Fry2x32>::setup(q);
    if (q != nullptr) q->zrng_count_64 = nullptr;
}
VXAPI void zrnfFRY2X64(zrngptr q, uint64_t)
{
    vxeng::Engine<Fry2x64>::setup(q);
    if (q != nullptr) q->zrng_count_32 = nullptr;
}
VXAPI void zrnfFRY4X64(zrngptr q, uint64_t)
{
    vxeng::Engine<Fry4x64>::setup(q);
    if (q != nullptr) q->zrng_count_32 = nullptr;
}
}
