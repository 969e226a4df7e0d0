/* The MH3 engine: MurmurHash3's 64-bit finaliser iterated on its own output.
 * The finaliser is a bijection of the 64-bit words, so the state walks one of
 * its cycles; it fixes 0, which the seed entries never pass.
 *
 * An imported zero state is accepted as it is: every output is then 0, and
 * the stream's uniform (zrng_double_64_reject_zero_one) gives up after the
 * template's bounded number of draws instead of spinning, so refusing the
 * import would only make state round trips fail for one value. */
#include <cstdint>

#include "subs/engines/zrngener.h"

namespace {

struct Mh3State {
    uint64_t x;
};
static_assert(sizeof(Mh3State) == 8);

struct Mh3 {
    using state = Mh3State;
    static constexpr const char* name = "MH3";
    static constexpr const char* label = "64-bit Murmur Hash 3";
    static constexpr uint32_t bits = 64;
    static constexpr uint64_t has = ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE | ZRNG_HAS_SEED_64 | ZRNG_HAS_DOUBLE_64;
    static constexpr VXMemSize state_size = 8;
    static constexpr uint32_t log2_period = 64;
    static constexpr uint64_t max_seed = UINT64_MAX;
    static constexpr uint64_t max_key = 0;

    [[gnu::always_inline]] static inline uint64_t step(state& s)
    {
        s.x = zmh3x64(s.x);
        return s.x;
    }
    static void seed(state& s, uint64_t x) { s.x = x; }
};

} // namespace

VX_ENGINE(MH3, Mh3)
