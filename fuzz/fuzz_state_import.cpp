// State imports of any length and flags for every engine; afterwards every
// installed draw must terminate.
#include <cstdint>
#include <cstring>

#include "fuzz_host.h"
#include "subs/zrand.h"

namespace {
using Setup = void (*)(zrngptr, uint64_t);
const Setup kEngines[] = {zrnfSUBKEY32, zrnfSUBKEY64, zrnfTORVEL,  zrnfRDRAND,  zrnfMT1998,
                          zrnfMTHYBRID, zrnfMT32,     zrnfMT64,    zrnfMH3,     zrnfXOR64,
                          zrnfXOR128,   zrnfXOR1024,  zrnfXOR4096, zrnfXORGENS, zrnfFRY2X32,
                          zrnfFRY2X64,  zrnfFRY4X64,  zrnfPCG32I,  zrnfPCG64I};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzHost();
    if (size < 2)
        return 0;
    const Setup setup = kEngines[data[0] % 19];
    const uint64_t flags = data[1] & 3;
    data += 2;
    size -= 2;
    static ZRNG_S q;
    static ZRANMT blob;
    std::memset(&q, 0, sizeof q);
    setup(&q, 0);
    if (q.zrng_state_size == 0)
        return 0;
    if (q.zrng_blob_size() > sizeof blob)
        __builtin_trap();
    std::memset(&blob, 0, sizeof blob);
    q.zrng_seed_64(&blob, 12345);
    q.zrng_state(&blob, const_cast<uint8_t*>(data), int(size), flags);
    zrng_double_fn conversions[] = {
        q.zrng_double_open, q.zrng_double_fast, q.zrng_double_crude,
        q.zrng_double_32_reject_zero, q.zrng_double_32_open_open, q.zrng_double_32_closed_closed,
        q.zrng_double_53_reject_zero, q.zrng_double_53_open_open, q.zrng_double_64_reject_zero_one,
        q.zrng_double_64_open_open, q.zrng_double_64_closed_open, q.zrng_double_infinite};
    for (zrng_double_fn f : conversions) {
        if (!f)
            continue;
        for (int i = 0; i < 8; i++) {
            const double u = f(&blob);
            if (!(u >= 0.0 && u <= 1.0))
                __builtin_trap();
        }
    }
    for (int i = 0; i < 8; i++) {
        q.zrng_uint32(&blob);
        q.zrng_uint64(&blob);
    }
    return 0;
}
