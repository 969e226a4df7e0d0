#include "subs/engines/zrngimport.h"

#include <cstring>

#include "subs/engines/zmh3x.h"
#include "subs/zrng.h"

int vxeng::importBytes(uint8_t* area, VXMemSize size, const uint8_t* state, int state_l, uint64_t flags)
{
    if (state_l < 1 || state == nullptr) return 0;
    const VXMemSize len = static_cast<VXMemSize>(state_l);
    if (len >= size) {
        std::memcpy(area, state, size);
        return 2;
    }
    if ((flags & ZRNG_STATE_REPEAT) != 0) {
        for (VXMemSize at = 0; at < size; at += len)
            std::memcpy(area + at, state, (size - at < len) ? size - at : len);
        return 3;
    }
    std::memcpy(area, state, len);
    if ((flags & ZRNG_STATE_PARTIAL) != 0) return 1;
    /* Short input: the rest of word 0 is zero, and each later word is the
     * finaliser of the word n places before it, n being the whole words
     * given (at least 1), so every word depends on the input. */
    const VXMemSize head = size < 8 ? size : 8;
    if (len < head) std::memset(area + len, 0, head - len);
    const VXMemSize words = size / 8;
    const VXMemSize n = (len / 8) == 0 ? 1 : len / 8;
    for (VXMemSize k = n; k < words; ++k) {
        uint64_t w;
        std::memcpy(&w, area + (k - n) * 8, 8);
        w = zmh3x64(w);
        std::memcpy(area + k * 8, &w, 8);
    }
    return 4;
}
