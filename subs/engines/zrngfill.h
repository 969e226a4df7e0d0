/* Seed fill for engines whose state is an array of 64-bit words.
 *
 * Word 0 holds the seed itself, so a nonzero seed never gives the all-zero
 * state a linear recurrence cannot leave.  The other words are the Murmur
 * finaliser of seed + i: a bijection, so two seeds that differ in any bit
 * give words that differ in about half their bits, and nearby seeds do not
 * start on nearby states. */
#ifndef VX_SUBS_ENGINES_ZRNGFILL_H
#define VX_SUBS_ENGINES_ZRNGFILL_H

#include <cstdint>

#include "subs/engines/zmh3x.h"

namespace vxeng {

template <int N>
inline void zrngfill(uint64_t (&s)[N], uint64_t seed)
{
    static_assert(N >= 1);
    s[0] = seed;
    for (int i = 1; i < N; ++i) s[i] = zmh3x64(seed + static_cast<uint64_t>(i));
}

} // namespace vxeng

#endif
