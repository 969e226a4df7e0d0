/* RDRAND: the slot for a hardware random instruction.
 *
 * The target processor has none, so this is the placeholder: state size 0
 * (method selection installs MTHYBRID instead), nothing to seed, key or
 * import, and every draw 0.  The descriptor is still complete, with both
 * conversion families, so a caller that sets it up directly gets defined
 * results rather than null pointers. */
#include <cstdint>

#include "subs/engines/zrngener.h"

namespace {

struct RdrandState {
    uint8_t unused; /* never read: the engine has no state */
};

struct Rdrand {
    using state = RdrandState;
    static constexpr const char* name = "RDRAND";
    static constexpr const char* label = "Intel RDRAND";
    /* Drawn as a 64-bit engine, which gives the 64-bit composition and the
     * 64-bit zrng_double_open and _fast, yet declaring no random bits. */
    static constexpr uint32_t bits = 64;
    static constexpr uint32_t declared_bits = 0;
    static constexpr uint64_t has = ZRNG_HAS_LABEL | ZRNG_HAS_DOUBLE_32 | ZRNG_HAS_DOUBLE_64 | ZRNG_HAS_NONZERO;
    static constexpr VXMemSize state_size = 0;
    static constexpr VXMemSize blob_size = 0;
    static constexpr uint32_t log2_period = 0;
    static constexpr uint64_t max_seed = 0;
    static constexpr uint64_t max_key = 0;

    [[gnu::always_inline]] static inline uint64_t step(state&) { return 0; }
    /* Nothing to import, and nothing refused either. */
    static int import_state(state&, uint8_t*, int, uint64_t) { return 0; }
};

} // namespace

VX_ENGINE(RDRAND, Rdrand)
