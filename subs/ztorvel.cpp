/* The legacy Lehmer step x <- 397204094 x mod (2^31 - 1).
 *
 * The reduction uses 2^31 = 1 (mod 2^31 - 1): the high part of the product
 * is folded onto the low 31 bits, and the sum, below 2^31 + 2^30, needs at
 * most one subtraction.  No division, and no 128-bit product. */
#include "subs/ztorvel.h"

#include <cstdint>

extern "C" VXAPI double ztorvel(int64_t* iSeed)
{
    constexpr uint64_t kA = 397204094u;
    constexpr uint64_t kM = 0x7FFFFFFFu;
    if (iSeed == nullptr) return 0.0; /* no state to step */
    /* Only the low 32 bits of the caller's value are read. */
    const uint64_t s = static_cast<uint64_t>(*iSeed) & 0xFFFFFFFFu;
    const uint64_t p = kA * s;
    uint64_t x = (p & kM) + (p >> 31);
    if (x >= kM) x -= kM;
    *iSeed = static_cast<int64_t>(x);
    return static_cast<double>(x) / 2147483647.0;
}
