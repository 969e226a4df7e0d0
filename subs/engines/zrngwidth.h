/* Seeds and keys given at another width than the engine's: folding,
 * truncation and the double entries' conversions. */
#ifndef VX_SUBS_ENGINES_ZRNGWIDTH_H
#define VX_SUBS_ENGINES_ZRNGWIDTH_H

#include <cmath>
#include <cstdint>

namespace vxeng {

/* Saturating double -> unsigned conversions: NaN and negatives give 0, values
 * at or above 2^64 (2^32) give the largest value.  Plain casts are undefined
 * out of range. */
inline uint64_t u64FromDouble(double d)
{
    if (!(d > 0.0)) return 0;
    if (d >= 0x1p64) return UINT64_MAX;
    return static_cast<uint64_t>(d);
}

inline uint32_t u32FromDouble(double d)
{
    if (!(d > 0.0)) return 0;
    if (d >= 0x1p32) return UINT32_MAX;
    return static_cast<uint32_t>(d);
}

/* 64-bit seed to a 32-bit engine: both halves contribute. */
inline constexpr uint32_t fold64(uint64_t s)
{
    return static_cast<uint32_t>((s ^ (s >> 32)) & 0xFFFFFFFFu);
}

/* Key of zrng_key_double: fmod into the engine's width, negatives (and the
 * NaN fmod gives for an infinite key) become 0, the fraction is dropped. */
inline uint32_t key32FromDouble(double d)
{
    return u32FromDouble(std::fmod(d, 0x1p32));
}

inline uint64_t key64FromDouble(double d)
{
    return u64FromDouble(std::fmod(d, 0x1p64));
}

} // namespace vxeng

#endif
