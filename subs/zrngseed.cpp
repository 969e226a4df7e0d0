/* Seed sources: the time of day at a clock tick, the process's system CPU
 * time and the thread identity, hashed; and the mapping of a double seed
 * into an engine's integer range. */
#include <cmath>

#include "mk/vxbind.h"
#include "subs/engines/zmh3x.h"
#include "subs/vxnr.h"
#include "subs/zrngmsg.h"
#include "subs/zrngseed.h"

namespace {

constexpr int kTickReads = 10000000;

struct Tick {
    double t0;
    double t1;
};

/* Waits for the clock to move so that two self-seeded streams started in
 * the same tick still see different times; bounded for a frozen clock. */
Tick tickWait()
{
    Tick t;
    t.t0 = vxzdttme();
    t.t1 = t.t0;
    for (int i = 0; i < kTickReads; ++i) {
        t.t1 = vxzdttme();
        if (t.t1 != t.t0) break;
    }
    return t;
}

uint64_t u64Sat(double d)
{
    if (!(d > 0.0)) return 0;
    if (d >= 0x1p64) return UINT64_MAX;
    return static_cast<uint64_t>(d);
}

uint32_t u32Sat(double d)
{
    if (!(d > 0.0)) return 0;
    if (d >= 0x1p32) return UINT32_MAX;
    return static_cast<uint32_t>(d);
}

/* "vxbug.RNGSEED": a fixed seed for debugging runs that normally seed
 * themselves. */
double debugSeed()
{
    return vxnrdget(const_cast<VXChar*>(VXT("vxbug.RNGSEED")), 13, 0.0);
}

} // namespace

extern "C" {

VXAPI uint64_t zrngt64(void)
{
    const Tick t = tickWait();
    uint64_t x = u64Sat(t.t1 * 1000000000.0);
    if (VXHndlp h = Exported_VXHandle; h != nullptr) {
        if (h->ConfigureSystem != nullptr) {
            VXProcessStats stats{};
            if (h->ConfigureSystem(h, VX_SYS_PROCESS_STATS, &stats, 0) == 0)
                x += static_cast<uint64_t>(stats.system_cpu_time.microseconds);
        }
        if (h->threadGetHandle != nullptr) {
            if (VXThreadh th = h->threadGetHandle(h); th != nullptr) x += 2 * th->vxtID;
        }
    }
    x += 1;
    return zmh3x64(x);
}

VXAPI uint64_t zrngi64(void)
{
    if (const uint64_t fixed = u64Sat(debugSeed()); fixed != 0) return fixed;
    const uint64_t x = zrngt64();
    return x > 2048 ? x >> 11 : x;
}

VXAPI uint32_t zrngt32(void)
{
    const Tick t = tickWait();
    const double d = t.t1 - t.t0;
    const double q = d == 0.0 ? std::fmod(t.t1, 4294967296.0)
                              : std::fmod(t.t1 * 1.0000000000000009 / d, 4294967296.0);
    const uint32_t r = u32Sat(q);
    return r != 0 ? r : 1;
}

VXAPI int32_t zrngi31(void)
{
    if (const uint32_t fixed = u32Sat(debugSeed()); fixed != 0) return static_cast<int32_t>(fixed);
    uint32_t r = zrngt32() & 0x7FFFFFFFu;
    if (r == 0x7FFFFFFFu) r = 1;
    return static_cast<int32_t>(r);
}

/* Whole seeds in range pass unchanged; anything else is mapped by its
 * mantissa alone, so the result does not depend on the binary exponent. */
VXAPI double zrngd2i(double old_seed, uint64_t max_seed)
{
    if (!(old_seed > 0.0)) return 0.0;
    if (old_seed < 0x1p64 && old_seed == std::floor(old_seed) &&
        static_cast<uint64_t>(old_seed) <= max_seed)
        return old_seed;
    int e = 0;
    const double m = std::frexp(old_seed, &e);
    const double f = (m - 0.5) + (m - 0.5);
    double bound;
    double seed;
    if (static_cast<double>(max_seed) > 9007199254740992.0) {
        bound = 9007199254740992.0;
        seed = std::floor(9007199254740990.0 * f + 1.0);
    } else {
        bound = static_cast<double>(max_seed);
        seed = std::floor(std::fma(static_cast<double>(max_seed - 2), f, 1.0));
    }
    if (seed < 1.0 || seed > bound) zrngmsg(VXSeverityError, ZRNG_M_SEED_RANGE, old_seed, bound, seed);
    return seed;
}

} // extern "C"
