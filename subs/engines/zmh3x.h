/* MurmurHash3 finalisers, used for seeding and state scrambling. */
#ifndef VX_SUBS_ENGINES_ZMH3X_H
#define VX_SUBS_ENGINES_ZMH3X_H

#include <stdint.h>

static inline uint64_t zmh3x64(uint64_t x)
{
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    x ^= x >> 33;
    return x;
}

static inline uint32_t zmh3x32(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

#endif
