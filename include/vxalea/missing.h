/* The missing value: what a sampler returns for a parameter it rejects, a
 * quiet NaN with the sign bit set and a fixed payload.  Other NaNs (from a
 * NaN parameter passed through arithmetic) are not it, so compare bits. */
#ifndef VXALEA_MISSING_H
#define VXALEA_MISSING_H

#include <stdint.h>
#include <string.h>

#define VXALEA_MISSING_BITS UINT64_C(0xFFFFFE0000000000)

static inline int vxalea_is_missing(double x)
{
    uint64_t bits;
    memcpy(&bits, &x, sizeof bits);
    return bits == VXALEA_MISSING_BITS;
}

#endif
