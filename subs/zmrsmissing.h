/* The missing value: what a sampler returns for a parameter it rejects.
 * A quiet NaN with the sign bit set and a fixed payload, produced bit for
 * bit from a constant so that callers can recognise it exactly. */
#ifndef VX_SUBS_ZMRSMISSING_H
#define VX_SUBS_ZMRSMISSING_H

#include <bit>
#include <cstdint>

inline constexpr uint64_t ZMRS_MISSING_BITS = 0xFFFFFE0000000000ull;

static inline double zmrsMissing()
{
    return std::bit_cast<double>(ZMRS_MISSING_BITS);
}

static inline bool zmrsIsMissing(double x)
{
    return std::bit_cast<uint64_t>(x) == ZMRS_MISSING_BITS;
}

#endif
