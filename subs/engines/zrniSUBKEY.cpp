/* SUBKEY32 and SUBKEY64: x <- x - key modulo 2^32 or 2^64.
 *
 * The key is the whole generator: key 0 gives a constant stream, an odd key
 * one that passes through every value once per period.  The key lives in a
 * field of its own, so seeding moves x and keeps the key, and state import
 * replaces x only. */
#include <cstddef>
#include <cstdint>

#include "subs/engines/zrngener.h"

namespace {

template <class W>
struct SubkeyState {
    W x;
    W key;
};
static_assert(sizeof(SubkeyState<uint32_t>) == 8 && offsetof(SubkeyState<uint32_t>, key) == 4);
static_assert(sizeof(SubkeyState<uint64_t>) == 16 && offsetof(SubkeyState<uint64_t>, key) == 8);

template <class W>
struct Subkey {
    using state = SubkeyState<W>;
    static constexpr uint32_t bits = 8 * sizeof(W);
    static constexpr VXMemSize state_size = sizeof(W);
    static constexpr uint32_t log2_period = bits;
    static constexpr uint64_t max_seed = static_cast<W>(~W{0});
    static constexpr uint64_t max_key = static_cast<W>(~W{0});
    /* A key given as a negative double becomes key 0 and is stored. */
    static constexpr bool key_double_zero_applies = true;

    [[gnu::always_inline]] static inline W step(state& s)
    {
        s.x = static_cast<W>(s.x - s.key);
        return s.x;
    }
    static void seed(state& s, W x) { s.x = x; }
    static void key(state& s, W k) { s.key = k; }
};

struct Subkey32 : Subkey<uint32_t> {
    static constexpr const char* name = "SUBKEY32";
    static constexpr const char* label = "32-bit Subtract Key";
    static constexpr uint64_t has = ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE | ZRNG_HAS_SEED_32 |
                                    ZRNG_HAS_KEY_32 | ZRNG_HAS_DOUBLE_32;
};
struct Subkey64 : Subkey<uint64_t> {
    static constexpr const char* name = "SUBKEY64";
    static constexpr const char* label = "64-bit Subtract Key";
    static constexpr uint64_t has = ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE | ZRNG_HAS_SEED_64 |
                                    ZRNG_HAS_KEY_64 | ZRNG_HAS_DOUBLE_64;
};

} // namespace

VX_ENGINE(SUBKEY32, Subkey32)
VX_ENGINE(SUBKEY64, Subkey64)
