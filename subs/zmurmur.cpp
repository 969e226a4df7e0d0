/* MurmurHash3 (Austin Appleby, public domain): x86_32 on bytes, and the
 * x64_128 mixing applied to arrays of 64-bit words. */
#include <cstring>

#include "subs/engines/zmh3x.h"
#include "subs/zmurmur.h"

namespace {

inline uint32_t rotl32(uint32_t x, int r) { return (x << r) | (x >> (32 - r)); }
inline uint64_t rotl64(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

} // namespace

extern "C" {

VXAPI uint32_t zmurmur32(const void* bytes, int byte_len, uint32_t seed)
{
    constexpr uint32_t c1 = 0xCC9E2D51u, c2 = 0x1B873593u;
    const auto* data = static_cast<const uint8_t*>(bytes);
    const int blocks = byte_len > 0 ? byte_len / 4 : 0;
    uint32_t h = seed;
    for (int i = 0; i < blocks; ++i) {
        uint32_t k;
        std::memcpy(&k, data + 4 * i, 4); /* little-endian target: native read */
        k *= c1;
        k = rotl32(k, 15);
        k *= c2;
        h ^= k;
        h = rotl32(h, 13);
        h = h * 5 + 0xE6546B64u;
    }
    const int tail = byte_len > 0 ? byte_len & 3 : 0;
    if (tail != 0) {
        const uint8_t* t = data + 4 * blocks;
        uint32_t k = 0;
        switch (tail) {
        case 3: k ^= static_cast<uint32_t>(t[2]) << 16; [[fallthrough]];
        case 2: k ^= static_cast<uint32_t>(t[1]) << 8; [[fallthrough]];
        default: k ^= t[0];
        }
        k *= c1;
        k = rotl32(k, 15);
        k *= c2;
        h ^= k;
    }
    h ^= static_cast<uint32_t>(byte_len);
    return zmh3x32(h);
}

/* An odd word count pads the last block with the finalised seed rather than
 * zero, so {w} and {w, 0} hash differently. */
VXAPI void zmurmur128(const uint64_t* data, const int length, const uint64_t seed, uint64_t* out)
{
    constexpr uint64_t c1 = 0x87C37B91114253D5ull, c2 = 0x4CF5AD432745937Full;
    uint64_t h1 = seed, h2 = seed;
    for (int i = 0; i < length; i += 2) {
        uint64_t k1 = data[i];
        uint64_t k2 = (i + 1 < length) ? data[i + 1] : zmh3x64(seed);
        k1 *= c1;
        k1 = rotl64(k1, 31);
        k1 *= c2;
        h1 ^= k1;
        h1 = rotl64(h1, 27);
        h1 += h2;
        h1 = h1 * 5 + 0x52DCE729u;
        k2 *= c2;
        k2 = rotl64(k2, 33);
        k2 *= c1;
        h2 ^= k2;
        h2 = rotl64(h2, 31);
        h2 += h1;
        h2 = h2 * 5 + 0x38495AB5u;
    }
    const uint64_t padded = length > 0 ? static_cast<uint64_t>(length) + (length & 1) : 0;
    const uint64_t bytes = 8 * padded;
    h1 ^= bytes;
    h2 ^= bytes;
    h1 += h2;
    h2 += h1;
    h1 = zmh3x64(h1);
    h2 = zmh3x64(h2);
    h1 += h2;
    h2 += h1;
    out[0] = h1;
    out[1] = h2;
}

VXAPI uint64_t zmurmur64(const uint64_t* data, const int length, const uint64_t seed)
{
    uint64_t out[2];
    zmurmur128(data, length, seed, out);
    return out[0] ^ out[1];
}

} // extern "C"
