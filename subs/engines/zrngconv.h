/* Raw outputs to doubles: the conversions of one raw value, and the bound
 * on the rejecting conversions' redraws. */
#ifndef VX_SUBS_ENGINES_ZRNGCONV_H
#define VX_SUBS_ENGINES_ZRNGCONV_H

#include <cstdint>

namespace vxeng {

inline constexpr double k2m32 = 0x1p-32;
inline constexpr double k2m53 = 0x1p-53;
inline constexpr double k2m64 = 0x1p-64;

/* Raw draws one uniform of a rejecting conversion may take, at most.  A
 * genuine generator never comes near it (99 rejected draws in a row have
 * probability below 2^-3000); only a stuck one does: SUBKEY64 with key 0
 * and a seed of 2^64 - 2^10 or more, an imported all-zero state, RDRAND's
 * placeholder.  The 32-bit Mersenne Twisters' zero-skipping draw stops at
 * the same count (zrniMT.cpp), so on every engine one uniform of a stream
 * costs at most 99 raw words.  The samplers bound their attempts counting
 * at most 100 draws per uniform, so on a stuck engine one variate stays
 * within their attempt bound times 100 draws.
 *
 * When the bound is reached the last draw is used as it is:
 *  - zrng_double_32_reject_zero and zrng_double_53_reject_zero convert it
 *    closed-open, so they return 0.0 after 99 zero draws;
 *  - zrng_double_64_reject_zero_one converts it open-open: 2^-64 for a
 *    generator stuck at 0, (u AND 0x3FF OR 1) * 2^-10 for one stuck within
 *    2^10 of 2^64.  Both lie inside (0, 1): the stream's uniform of a 64-bit
 *    engine promises never to be 0 or 1, and samplers take its logarithm
 *    and divide by it without checking.
 * The bulk fills apply the same bound to the same runs of draws, so they
 * stay value for value what one call at a time gives. */
inline constexpr int kMaxDrawsPerUniform = 99;
/* The same bound under the names of the loops it ends. */
inline constexpr int kRejectZeroDraws = kMaxDrawsPerUniform;
inline constexpr int kRejectZeroOneDraws = kMaxDrawsPerUniform;

namespace conv {

inline double d32ClosedOpen(uint32_t i) { return static_cast<double>(i) * k2m32; }
inline double d32OpenOpen(uint32_t i) { return (static_cast<double>(i) + 0.5) * k2m32; }
inline double d32OpenClosed(uint32_t i) { return (static_cast<double>(i) + 1.0) * k2m32; }
/* Rounding odd values up keeps the two ends at half weight; done in 64 bits
 * because 0xFFFFFFFF + 1 overflows the 32-bit word. */
inline double d32ClosedClosed(uint32_t i)
{
    return static_cast<double>(static_cast<uint64_t>(i) + (i & 1u)) * k2m32;
}

/* Values below 2^54 convert exactly through the signed instruction. */
inline double i54(uint64_t j) { return static_cast<double>(static_cast<int64_t>(j)); }
inline double d53ClosedOpen(uint64_t u) { return i54(u >> 11) * k2m53; }
inline double d53OpenOpen(uint64_t u) { return i54((u >> 11) | 1u) * k2m53; }
inline double d53OpenClosed(uint64_t u) { return i54((u >> 11) + 1u) * k2m53; }
inline double d53ClosedClosed(uint64_t u)
{
    uint64_t j = u >> 11;
    return i54(j + (j & 1u)) * k2m53;
}

/* uint64 -> double without the sign-bit branch the compiler emits for an
 * unsigned conversion (it mispredicts on every other random value).  Both
 * halves convert exactly and the one rounding in the addition is the same
 * rounding the direct conversion makes, in any rounding mode. */
inline double u64ToDouble(uint64_t u)
{
    const double hi = static_cast<double>(static_cast<int64_t>(u >> 32));
    const double lo = static_cast<double>(static_cast<int64_t>(u & 0xFFFFFFFFu));
    return hi * 0x1p32 + lo;
}

inline double d64ClosedClosed(uint64_t u) { return u64ToDouble(u) * k2m64; }
inline double d64OpenClosed(uint64_t u) { return (u64ToDouble(u) + 1.0) * k2m64; }
/* The top 1023 values round to 2^64 and would give 1.0; they are folded onto
 * the multiples of 2^-10 below 1 instead: double(u << 54) * 2^-64, which is
 * (u AND 0x3FF) * 2^-10. */
inline double d64ClosedOpen(uint64_t u)
{
    if (u >= 0xFFFFFFFFFFFFFC00ull) return static_cast<double>(static_cast<int64_t>(u & 0x3FFu)) * 0x1p-10;
    return u64ToDouble(u) * k2m64;
}
inline double d64OpenOpen(uint64_t u) { return d64ClosedOpen(u | 1u); }

} // namespace conv
} // namespace vxeng

#endif
