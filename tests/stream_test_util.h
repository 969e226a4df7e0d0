// Helpers for the stream and variate-generator tests: zeroed records, an
// independent model of the MT64 stream uniform, and a scripted engine whose
// seed, thread and key entries record their calls.
#ifndef VX_TESTS_STREAM_TEST_UTIL_H
#define VX_TESTS_STREAM_TEST_UTIL_H

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "subs/zrand.h"
#include "subs/zrng.h"

namespace vxtest {

// Records are plain data: value-initialisation zeroes them as a pool would.
template <class T>
std::unique_ptr<T> zeroed()
{
    return std::make_unique<T>();
}

inline std::string methodText(const VXChar* units)
{
    std::string s;
    for (int i = 0; i < 16 && units[i] != 0; ++i) s.push_back(static_cast<char>(units[i]));
    return s;
}

// The stream uniform of a 64-bit engine, modelled on the standard 64-bit
// Mersenne Twister: 0 and the values that round to 1 are rejected.
class Mt64Uniform {
public:
    explicit Mt64Uniform(uint64_t seed) : g_(seed) {}
    double operator()()
    {
        for (;;) {
            uint64_t u = g_();
            if (u != 0 && u < 0xFFFFFFFFFFFFFC00ull) return static_cast<double>(u) * 0x1p-64;
        }
    }

private:
    std::mt19937_64 g_;
};

// ---- the scripted engine -----------------------------------------------------
struct ScriptEvent {
    char op;    // 's' seed, 't' thread, 'k' key
    int width;  // 32 or 64
    uint64_t value;
    bool operator==(const ScriptEvent&) const = default;
};

struct ScriptBlob {
    int nEvents;
    ScriptEvent events[32];
};
static_assert(sizeof(ScriptBlob) <= sizeof(ZRANMT));

namespace script_detail {
inline ScriptBlob& sb(void* blob) { return *static_cast<ScriptBlob*>(blob); }
inline int record(void* blob, char op, int width, uint64_t v)
{
    ScriptBlob& b = sb(blob);
    if (b.nEvents < 32) b.events[b.nEvents++] = {op, width, v};
    return 2;
}
inline double next(void*) { return 0.5; }
inline VXMemSize blobSize() { return sizeof(ScriptBlob); }
inline int seed32(void* b, uint32_t v) { return record(b, 's', 32, v); }
inline int seed64(void* b, uint64_t v) { return record(b, 's', 64, v); }
inline int key32(void* b, uint32_t v) { return record(b, 'k', 32, v); }
inline int key64(void* b, uint64_t v) { return record(b, 'k', 64, v); }
inline int thread32(void* b, uint32_t v) { return record(b, 't', 32, v); }
inline int thread64(void* b, uint64_t v) { return record(b, 't', 64, v); }
} // namespace script_detail

inline ZRNG_S scriptedDescriptor(const char* name, uint32_t bits, uint64_t has,
                                 uint64_t maxSeed, uint64_t maxKey)
{
    using namespace script_detail;
    ZRNG_S d;
    std::memset(&d, 0, sizeof d);
    d.zrng_name_length = 16;
    d.zrng_label_length = 64;
    std::strncpy(d.zrng_name, name, 15);
    for (int i = 0; i < 15 && name[i]; ++i) d.zrng_vxname[i] = static_cast<unsigned char>(name[i]);
    d.zrng_state_size = 8;
    d.zrng_bits = bits;
    d.zrng_has = has;
    d.zrng_max_seed = maxSeed;
    d.zrng_max_key = maxKey;
    d.zrng_blob_size = blobSize;
    d.zrng_seed_32 = seed32;
    d.zrng_seed_64 = seed64;
    d.zrng_key_32 = key32;
    d.zrng_key_64 = key64;
    d.zrng_thread_32 = thread32;
    d.zrng_thread_64 = thread64;
    d.zrng_double_open = next;
    return d;
}

// Puts the descriptor into the record as an already resolved method, so the
// next zrand_init uses it as it stands.
template <class S>
ScriptBlob& installScripted(S* z, const ZRNG_S& d)
{
    z->rng = d;
    z->Functions = &z->rng;
    z->UserMethod = z->rng.zrng_name;
    std::memcpy(z->Method, z->rng.zrng_vxname, sizeof z->Method);
    z->rangen = z->rng.zrng_double_open;
    z->BlobSize = sizeof(ScriptBlob);
    z->Blob = &z->mt;
    z->State32 = reinterpret_cast<uint32_t*>(&z->mt);
    z->State64 = reinterpret_cast<uint64_t*>(&z->mt);
    ScriptBlob& b = script_detail::sb(z->Blob);
    std::memset(&b, 0, sizeof b);
    return b;
}

inline std::vector<ScriptEvent> events(const ScriptBlob& b)
{
    return std::vector<ScriptEvent>(b.events, b.events + b.nEvents);
}

inline void clearEvents(ScriptBlob& b) { b.nEvents = 0; }

} // namespace vxtest

#endif
