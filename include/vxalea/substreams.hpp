/* Which keys and thread numbers an engine applies as distinct substreams,
 * read from its descriptor.  One source for the tool, the C++ layer and the
 * Python package, so that all three refuse the same requests.
 *
 * An engine with both hooks takes any thread number of its width and any key
 * up to zrng_max_key.  An engine with keys only packs the thread number into
 * the low bits of the key (ZRNG_FOLD_*), so both are bounded by that packing:
 * past it, thread 2^43 of PCG64I is key 1's stream.  An engine with neither
 * ignores them, and asking for one is a mistake worth refusing. */
#ifndef VXALEA_SUBSTREAMS_HPP
#define VXALEA_SUBSTREAMS_HPP

#include <cstdint>
#include <string_view>

#include "subs/zrng.h"

namespace vxalea {

struct substream_limits {
    bool takes_key = false;
    bool takes_thread = false;
    uint64_t max_key = 0;    /* largest key applied as its own substream */
    uint64_t max_thread = 0; /* largest thread number likewise */
    bool folded = false;     /* thread numbers share the key's word */
};

inline substream_limits limits_of(const ZRNG_S& d) noexcept
{
    substream_limits l;
    const bool wide = d.zrng_bits > 32;
    const uint64_t width_max = wide ? UINT64_MAX : UINT32_MAX;
    l.takes_key = (d.zrng_has & ZRNG_HAS_KEY) != 0;
    const bool thread_hook = (d.zrng_has & ZRNG_HAS_THREAD) != 0;
    if (thread_hook) {
        l.takes_thread = true;
        l.max_thread = width_max;
        l.max_key = l.takes_key ? d.zrng_max_key : 0;
    } else if (l.takes_key) {
        l.takes_thread = true;
        l.folded = true;
        const unsigned thread_bits = wide ? ZRNG_FOLD_THREAD_BITS_64 : ZRNG_FOLD_THREAD_BITS_32;
        const uint64_t key_limit = wide ? ZRNG_FOLD_KEY_LIMIT_64 : ZRNG_FOLD_KEY_LIMIT_32;
        l.max_thread = (uint64_t{1} << thread_bits) - 1;
        l.max_key = key_limit - 1 < d.zrng_max_key ? key_limit - 1 : d.zrng_max_key;
    }
    return l;
}

/* SUBKEY32/64 are an arithmetic sequence (constant with key 0), and TORVEL
 * is only the legacy uniform step behind ztorvel: engines that exist for
 * compatibility, not for statistics, benchmarks or test batteries. */
inline bool is_statistical(std::string_view engine_name) noexcept
{
    return engine_name != "SUBKEY32" && engine_name != "SUBKEY64" && engine_name != "TORVEL";
}

} // namespace vxalea

#endif
