// Method names of any length and content, 8-bit and VXChar, through zrngmeth;
// the descriptor must always come back usable.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_host.h"
#include "subs/zrng.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzHost();
    if (size < 1)
        return 0;
    const bool wide = data[0] & 1;
    const bool terminated = data[0] & 2;
    data++;
    size--;
    ZRNG_S q;
    std::memset(&q, 0, sizeof q);
    VXStatus s;
    if (wide) {
        std::vector<VXChar> name(size / 4 + 1, 0);
        std::memcpy(name.data(), data, size / 4 * 4);
        s = zrngmeth(reinterpret_cast<char*>(name.data()), terminated ? -1 : int(size / 4), &q, 1);
    } else {
        std::vector<char> name(data, data + size);
        name.push_back(0);
        s = zrngmeth(name.data(), terminated ? -1 : int(size), &q, 0);
    }
    if (q.zrng_state_size == 0 || q.zrng_uint32 == nullptr || q.zrng_double_open == nullptr)
        __builtin_trap();
    if (s != 0 && std::strcmp(q.zrng_name, "MTHYBRID") != 0)
        __builtin_trap();
    return 0;
}
