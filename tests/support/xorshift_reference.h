// The published xorshift and xorgens generators, written from their
// papers, with the engines' shared seed fill (MurmurHash3's finaliser of
// seed + i): the peers of the engines' known answers (tests/kat_peers.cpp)
// and the floor of their benchmarks.
#ifndef VX_TESTS_SUPPORT_XORSHIFT_REFERENCE_H
#define VX_TESTS_SUPPORT_XORSHIFT_REFERENCE_H

#include <cstddef>
#include <cstdint>

namespace vxref {

// MurmurHash3's 64-bit finaliser, as published.
inline uint64_t fmix64(uint64_t k)
{
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdull;
    k ^= k >> 33;
    k *= 0xc4ceb9fe1a85ec53ull;
    return k ^ (k >> 33);
}

struct RefXorshift64Star {
    uint64_t x;
    uint64_t operator()()
    {
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        return x * 0x2545F4914F6CDD1Dull;
    }
};

struct RefXorshift128Plus {
    uint64_t s[2];
    uint64_t operator()()
    {
        uint64_t s1 = s[0];
        const uint64_t s0 = s[1];
        s[0] = s0;
        s1 ^= s1 << 23;
        s[1] = s1 ^ s0 ^ (s1 >> 17) ^ (s0 >> 26);
        return s[1] + s0;
    }
};

struct RefXorshift1024Star {
    uint64_t s[16];
    int p = 0;
    uint64_t operator()()
    {
        const uint64_t s0 = s[p];
        uint64_t s1 = s[p = (p + 1) & 15];
        s1 ^= s1 << 31;
        s[p] = s1 ^ s0 ^ (s1 >> 11) ^ (s0 >> 30);
        return s[p] * 1181783497276652981ull;
    }
};

struct RefXorshift4096Star {
    uint64_t s[64];
    int p = 0;
    uint64_t operator()()
    {
        const uint64_t s0 = s[p];
        uint64_t s1 = s[p = (p + 1) & 63];
        s1 ^= s1 << 25;
        s1 ^= s1 >> 3;
        s[p] = s0 ^ (s0 >> 49) ^ s1;
        return s[p] * 8372773778140471301ull;
    }
};

// Brent's xor4096i, 64-bit branch, with seeding and the 4r discarded outputs.
struct RefXorgens {
    static constexpr uint64_t weyl = 0x61C8864680B583EBull;
    uint64_t x[64];
    uint64_t w;
    int i;
    explicit RefXorgens(uint64_t seed)
    {
        uint64_t v = seed, t;
        int k;
        for (k = 64; k > 0; k--) {
            v ^= v << 10; v ^= v >> 15;
            v ^= v << 4;  v ^= v >> 13;
        }
        for (w = v, k = 0; k < 64; k++) {
            v ^= v << 10; v ^= v >> 15;
            v ^= v << 4;  v ^= v >> 13;
            x[k] = v + (w += weyl);
        }
        for (i = 63, k = 256; k > 0; k--) {
            t = x[i = (i + 1) & 63]; t ^= t << 33; t ^= t >> 26;
            v = x[(i + 11) & 63];    v ^= v << 27; v ^= v >> 29;
            x[i] = t ^ v;
        }
    }
    uint64_t operator()()
    {
        uint64_t t = x[i = (i + 1) & 63];
        uint64_t v = x[(i + 11) & 63];
        t ^= t << 33; t ^= t >> 26;
        v ^= v << 27; v ^= v >> 29;
        x[i] = (v ^= t);
        w += weyl;
        return v + (w ^ (w >> 27));
    }
};

// The shared seed fill: the seed, then the finaliser of seed + i.
template <size_t N>
void fill(uint64_t (&s)[N], uint64_t seed)
{
    s[0] = seed;
    for (size_t i = 1; i < N; ++i) s[i] = fmix64(seed + i);
}

} // namespace vxref

#endif
