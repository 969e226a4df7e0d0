/* The xorshift engines XOR64, XOR128, XOR1024 and XOR4096.
 *
 * Marsaglia, "Xorshift RNGs", J. Stat. Softw. 8(14), 2003, with the
 * multiplied and added outputs of Vigna, "An experimental exploration of
 * Marsaglia's xorshift generators, scrambled", ACM TOMS 42(4), 2016, and
 * "Further scramblings of Marsaglia's xorshift generators", J. Comput. Appl.
 * Math. 315, 2017.
 *
 * An imported all-zero state stays all-zero and every output is 0.  Import
 * does not refuse it: the state is the caller's, and the stream's uniform
 * (the 64-bit reject-zero-and-one conversion) bounds its own loop, so such a
 * stream is useless but never hangs. */
#include <cstddef>
#include <cstdint>

#include "subs/engines/zrngener.h"
#include "subs/engines/zrngfill.h"

namespace {

struct Xor64State {
    uint64_t x;
};
struct Xor128State {
    uint64_t s[2];
};
struct Xor1024State {
    uint64_t s[16];
    int32_t p; /* word last written */
};
struct Xor4096State {
    uint64_t s[64];
    int32_t p;
};
static_assert(sizeof(Xor64State) == 8);
static_assert(sizeof(Xor128State) == 16);
static_assert(offsetof(Xor1024State, p) == 128 && sizeof(Xor1024State) == 136);
static_assert(offsetof(Xor4096State, p) == 512 && sizeof(Xor4096State) == 520);

struct XorCommon {
    static constexpr uint32_t bits = 64;
    static constexpr uint64_t has = ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE |
                                    ZRNG_HAS_SEED_64 | ZRNG_HAS_DOUBLE_64;
    static constexpr uint64_t max_seed = UINT64_MAX;
    static constexpr uint64_t max_key = 0;
};

struct Xor64 : XorCommon {
    using state = Xor64State;
    static constexpr const char* name = "XOR64";
    static constexpr const char* label = "64-bit XORSHIFT64*";
    static constexpr VXMemSize state_size = 8;
    static constexpr uint32_t log2_period = 64;

    [[gnu::always_inline]] static inline uint64_t step(state& s)
    {
        uint64_t x = s.x;
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        s.x = x;
        return x * 0x2545F4914F6CDD1Dull;
    }
    static void seed(state& s, uint64_t x) { s.x = x; }
};

/* The sum, not the exclusive-or, is stored back: after the first output
 * the stream leaves the published xorshift128+ sequence. */
struct Xor128 : XorCommon {
    using state = Xor128State;
    static constexpr const char* name = "XOR128";
    static constexpr const char* label = "64-bit XORSHIFT128+";
    static constexpr VXMemSize state_size = 16;
    static constexpr uint32_t log2_period = 128;

    [[gnu::always_inline]] static inline uint64_t step(state& s)
    {
        uint64_t a = s.s[0];
        const uint64_t b = s.s[1];
        s.s[0] = b;
        a ^= a << 23;
        const uint64_t v = (a ^ b ^ (a >> 17) ^ (b >> 26)) + b;
        s.s[1] = v;
        return v;
    }
    static void seed(state& s, uint64_t x) { vxeng::zrngfill(s.s, x); }
};

/* One xorshift* over a circular array of N words (N a power of two).  The
 * index is masked on read as well: p is not part of an imported state, so
 * a blob the caller filled by hand cannot make the step index outside it. */
template <int N, int A, int B, int C, uint64_t kMul, class S>
struct XorArray : XorCommon {
    using state = S;
    static constexpr VXMemSize state_size = N * 8;
    static constexpr uint32_t log2_period = N * 64;

    [[gnu::always_inline]] static inline uint64_t step(state& s)
    {
        constexpr int kMask = N - 1;
        const int i = s.p & kMask;
        const int j = (i + 1) & kMask;
        uint64_t a = s.s[i];
        uint64_t b = s.s[j];
        b ^= b << A;
        b ^= b >> B;
        a ^= a >> C;
        const uint64_t v = a ^ b;
        s.s[j] = v;
        s.p = j;
        return v * kMul;
    }
    static void seed(state& s, uint64_t x)
    {
        s.p = 0;
        vxeng::zrngfill(s.s, x);
    }
};

struct Xor1024 : XorArray<16, 31, 11, 30, 0x106689D45497FDB5ull, Xor1024State> {
    static constexpr const char* name = "XOR1024";
    static constexpr const char* label = "64-bit XORSHIFT1024*";
};
struct Xor4096 : XorArray<64, 25, 3, 49, 0x74321163EEC4A005ull, Xor4096State> {
    static constexpr const char* name = "XOR4096";
    static constexpr const char* label = "64-bit XORSHIFT4096*";
};

} // namespace

VX_ENGINE(XOR64, Xor64)
VX_ENGINE(XOR128, Xor128)
VX_ENGINE(XOR1024, Xor1024)
VX_ENGINE(XOR4096, Xor4096)
