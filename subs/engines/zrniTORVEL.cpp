/* TORVEL: the legacy Lehmer generator behind the descriptor.
 *
 * Its set-up declares state size 0, so method selection never installs it;
 * a caller that wants it calls zrnfTORVEL itself.  Draws are 31-bit values
 * below 2^31 - 1.  The 32-bit conversions take them as they stand, as for
 * every other engine, so they cover [0, 0.5); only the crude conversion,
 * one ztorvel step, covers [0, 1).  Rescaling the draws for those
 * conversions would give them a second meaning of "one 32-bit draw" that no
 * other engine has. */
#include <cstdint>

#include "subs/engines/zrngener.h"
#include "subs/ztorvel.h"

namespace {

struct TorvelState {
    int64_t iSeed; /* only the low 32 bits are read */
};
static_assert(sizeof(TorvelState) == 8);

struct Torvel {
    using state = TorvelState;
    static constexpr const char* name = "TORVEL";
    static constexpr const char* label = nullptr;
    static constexpr uint32_t bits = 31;
    static constexpr uint64_t has = ZRNG_HAS_DUMP | ZRNG_HAS_SEED_32 | ZRNG_HAS_DOUBLE_32;
    static constexpr VXMemSize state_size = 0;
    static constexpr uint32_t log2_period = 0;
    static constexpr uint64_t max_seed = 0xFFFFFFFFu;
    static constexpr uint64_t max_key = 0;

    /* The step of ztorvel, inlined here so a draw makes no further call. */
    [[gnu::always_inline]] static inline uint32_t step(state& s)
    {
        const uint64_t p = 397204094u * (static_cast<uint64_t>(s.iSeed) & 0xFFFFFFFFu);
        uint64_t x = (p & 0x7FFFFFFFu) + (p >> 31);
        if (x >= 0x7FFFFFFFu) x -= 0x7FFFFFFFu;
        s.iSeed = static_cast<int64_t>(x);
        return static_cast<uint32_t>(x);
    }
    /* Seeds are stored unreduced; the first step reduces them. */
    static void seed(state& s, uint32_t x) { s.iSeed = static_cast<int64_t>(x); }
    static double crude(state& s) { return ztorvel(&s.iSeed); }
};

} // namespace

VX_ENGINE(TORVEL, Torvel)
