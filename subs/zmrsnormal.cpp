/* Uniform, normal and lognormal variates, one at a time and by the buffer.
 *
 * Normal deviates come from Marsaglia's polar method (Marsaglia and Bray,
 * SIAM Review 6(3), 1964), one pair per accepted point, the second deviate
 * of a pair cached in q->nor.  The order and number of uniforms consumed is
 * part of the samplers' behaviour: two per attempt, u1 then u2. */
#include <cmath>
#include <cstdint>

#include "subs/zln1px.h"
#include "subs/zmrsmissing.h"
#include "subs/zmrsnormal.h"
#include "subs/zrand.h"

namespace {

/* A working generator needs more than this many attempts with probability
 * (1 - pi/4)^1000 < 1e-600; reaching it means the engine is stuck (an
 * all-zero imported state, say) and would otherwise loop for ever. */
constexpr int kMaxPairAttempts = 1000;

[[gnu::always_inline]] inline double nextNormal(MRandPtr q)
{
    ZRANNOR& nor = q->nor;
    if (nor.HaveOne) {
        nor.HaveOne = 0;
        return nor.storedVariate;
    }
    double (*const gen)(void*) = q->rangen;
    if (gen == nullptr) [[unlikely]]
        return zmrsMissing();
    void* const blob = q->Blob;
    for (int attempt = 0; attempt < kMaxPairAttempts; ++attempt) {
        const double u1 = gen(blob);
        const double u2 = gen(blob);
        const double w1 = 2.0 * u1 - 1.0;
        const double w2 = 2.0 * u2 - 1.0;
        const double s = w1 * w1 + w2 * w2;
        /* s = 0 (both uniforms exactly 1/2) is rejected too: the formula
         * below would give 0 * infinity there. */
        if (s >= 1.0 || s == 0.0) continue;
        const double f = std::sqrt(-2.0 * std::log(s) / s);
        nor.storedVariate = w2 * f;
        nor.HaveOne = 1;
        return w1 * f;
    }
    return zmrsMissing();
}

[[gnu::always_inline]] inline double nextLognormal(MRandPtr q)
{
    const double z = nextNormal(q);
    if (zmrsIsMissing(z)) [[unlikely]]
        return z;
    return vxexp(z);
}

/* The bulk hook: a stream whose rangen is one of the engine conversions
 * known to this unit could fill a block of uniforms in one loop with the
 * step inlined.  None is registered yet, so every buffer goes through
 * rangen, one call per uniform. */
using BulkUniform = void (*)(void* blob, double* out, int64_t n);
BulkUniform bulkUniformFor(double (*)(void*)) { return nullptr; }

/* The buffer contract shared by the three forms below: nothing happens for
 * a null buffer or a count below one; NBuffer and VBuffer are read again
 * before every element, so a buffer that overlaps the record still sees
 * exactly the one-at-a-time sequence. */
template <class Draw>
[[gnu::always_inline]] inline int fillBuffer(MRandPtr q, Draw draw)
{
    if (q == nullptr || q->VBuffer == nullptr || q->NBuffer < 1) return 1;
    for (int64_t i = 0; i < q->NBuffer; ++i) q->VBuffer[i] = draw(q);
    return 0;
}

} // namespace

double MakeNormalSequence(MRandPtr q) { return nextNormal(q); }

extern "C" {

VXAPI double GetOneVariateUNIFORM(MRandPtr q)
{
    zrand_check(q, 1);
    if (q == nullptr || q->rangen == nullptr) [[unlikely]]
        return zmrsMissing();
    return q->rangen(q->Blob);
}

VXAPI int FillTheBufferUNIFORM(MRandPtr q)
{
    zrand_check(q, 1);
    if (q == nullptr || q->VBuffer == nullptr || q->NBuffer < 1) return 1;
    double (*const gen)(void*) = q->rangen;
    if (gen == nullptr) [[unlikely]]
        return fillBuffer(q, [](MRandPtr) { return zmrsMissing(); });
    if (BulkUniform bulk = bulkUniformFor(gen)) {
        bulk(q->Blob, q->VBuffer, q->NBuffer);
        return 0;
    }
    return fillBuffer(q, [gen](MRandPtr r) { return gen(r->Blob); });
}

VXAPI double GetOneVariateNORMAL(MRandPtr q)
{
    zrand_check(q, 1);
    if (q == nullptr) [[unlikely]]
        return zmrsMissing();
    return nextNormal(q);
}

VXAPI int FillTheBufferNORMAL(MRandPtr q)
{
    zrand_check(q, 1);
    return fillBuffer(q, [](MRandPtr r) { return nextNormal(r); });
}

VXAPI double GetOneVariateLOGNORMAL(MRandPtr q)
{
    zrand_check(q, 1);
    if (q == nullptr) [[unlikely]]
        return zmrsMissing();
    return nextLognormal(q);
}

VXAPI int FillTheBufferLOGNORMAL(MRandPtr q)
{
    zrand_check(q, 1);
    return fillBuffer(q, [](MRandPtr r) { return nextLognormal(r); });
}

} // extern "C"
