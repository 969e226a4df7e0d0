/* Uniform, normal and lognormal variates, one at a time and by the buffer.
 *
 * Normal deviates come from Marsaglia's polar method (Marsaglia and Bray,
 * SIAM Review 6(3), 1964), one pair per accepted point, the second deviate
 * of a pair cached in q->nor.  The order and number of uniforms consumed is
 * part of the samplers' behaviour: two per attempt, u1 then u2. */
#include <cmath>
#include <cstdint>

#include "subs/zln1px.h"
#include "subs/zmrsblock.h"
#include "subs/zmrsmissing.h"
#include "subs/zmrsnormal.h"
#include "subs/zrand.h"

namespace {

/* Points are accepted with probability pi/4, so a working generator
 * reaches the attempt bound with probability (1 - pi/4)^1000 < 1e-600. */
using zmrs::kAttemptsPerVariate;

/* Without a uniform source only a cached deviate can still be handed out. */
[[gnu::always_inline]] inline double nextNormal(MRandPtr q)
{
    ZRANNOR& nor = q->nor;
    if (nor.HaveOne) {
        nor.HaveOne = 0;
        return nor.storedVariate;
    }
    if (!zmrs::usable(q)) [[unlikely]]
        return zmrsMissing();
    const zmrs::Uniform next(q);
    for (int attempt = 0; attempt < kAttemptsPerVariate; ++attempt) {
        const double u1 = next();
        const double u2 = next();
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

/* f[j] = sqrt(-2 f[j] / s[j]): the factor of each accepted point from the
 * logarithm of its radius, in vector registers (four lanes where the
 * processor has AVX2).  This unit is built without math errno, whose branch
 * would keep the loop scalar: every argument here is positive, and square
 * root and quotient are correctly rounded at any width. */
VX_WIDE_VECTORS void radii(double* f, const double* s, int m)
{
    for (int j = 0; j < m; ++j) f[j] = std::sqrt(-2.0 * f[j] / s[j]);
}

/* The polar method on a block of attempts.  Uniforms are made for as many
 * pairs as the buffer still certainly needs (a pair per two deviates, one
 * more pair for an odd count; a missing deviate takes a thousand pairs), so
 * the engine stops where one-at-a-time calls stop.  Each attempt's point and
 * radius are computed for the whole block, the accepted ones packed without
 * a branch, their logarithms taken in one independent run, and the square
 * roots and quotients in one more pass: the same operations on the same
 * operands as nextNormal, in an order the processor can overlap.  A block
 * in which a run of rejections could reach the attempt bound goes attempt
 * by attempt instead. */
template <class Map>
void fillNormalBlocks(MRandPtr q, vxeng::UniformFill fill, Map map)
{
    constexpr int kPairs = 128;
    ZRANNOR& nor = q->nor;
    double* const out = q->VBuffer;
    const int64_t n = q->NBuffer;
    int64_t i = 0;
    if (nor.HaveOne) {
        nor.HaveOne = 0;
        out[i++] = map(nor.storedVariate);
    }
    auto emit = [&](double z1, double z2) {
        out[i++] = map(z1);
        nor.storedVariate = z2;
        if (i < n) out[i++] = map(z2);
        else nor.HaveOne = 1;
    };
    double u[2 * kPairs], radius[kPairs], w1[kPairs], w2[kPairs], s[kPairs], f[kPairs];
    int64_t ok[kPairs];
    int run = 0; /* rejected attempts since the last deviate */
    while (i < n) {
        const int64_t want = (n - i + 1) / 2;
        const int pairs = want < kPairs ? static_cast<int>(want) : kPairs;
        fill(q->Blob, u, 2 * pairs);
        /* The points and their acceptance in one vectorisable pass (r is
         * never NaN, so r < 1 and r != 0 is the negation of the rejection
         * test), then packed by arithmetic on the flags: a branch on the
         * acceptance mispredicts one attempt in five. */
        for (int a = 0; a < pairs; ++a) {
            const double x1 = 2.0 * u[2 * a] - 1.0;
            const double x2 = 2.0 * u[2 * a + 1] - 1.0;
            const double r = x1 * x1 + x2 * x2;
            u[2 * a] = x1;
            u[2 * a + 1] = x2;
            ok[a] = static_cast<int64_t>(r < 1.0) & static_cast<int64_t>(r != 0.0);
            radius[a] = r;
        }
        const zmrs::PackedAttempts packed = zmrs::packAccepted(ok, pairs, [&](int k, int a) {
            w1[k] = u[2 * a];
            w2[k] = u[2 * a + 1];
            s[k] = radius[a];
        });
        if (packed.reachesBound(run)) [[unlikely]] {
            for (int a = 0; a < pairs && i < n; ++a) {
                const double x1 = u[2 * a], x2 = u[2 * a + 1], r = radius[a];
                if (ok[a] == 0) {
                    if (++run == kAttemptsPerVariate) {
                        out[i++] = map(zmrsMissing());
                        run = 0;
                    }
                    continue;
                }
                const double g = std::sqrt(-2.0 * std::log(r) / r);
                emit(x1 * g, x2 * g);
                run = 0;
            }
            continue;
        }
        const int m = packed.kept;
        run = packed.carriedAfter(run, pairs);
        for (int j = 0; j < m; ++j) f[j] = std::log(s[j]);
        radii(f, s, m);
        for (int j = 0; j < m; ++j) emit(w1[j] * f[j], w2[j] * f[j]);
    }
}

template <class Map>
int fillNormals(MRandPtr q, Map map)
{
    if (q != nullptr && q->VBuffer != nullptr && q->NBuffer >= 1 && zmrs::usable(q)) {
        if (vxeng::UniformFill fill = zmrs::blockFillFor(q)) {
            fillNormalBlocks(q, fill, map);
            return 0;
        }
    }
    return zmrs::fillTheBuffer(q, true, [map](MRandPtr r) { return map(nextNormal(r)); });
}

/* What LOGNORMAL makes of a normal deviate. */
double lognormalOf(double z) { return zmrsIsMissing(z) ? z : vxnum::exp(z); }

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
    return zmrs::fillOnePerVariate(q, zmrs::usable(q), [](double u) { return u; });
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
    return fillNormals(q, [](double z) { return z; });
}

VXAPI double GetOneVariateLOGNORMAL(MRandPtr q)
{
    zrand_check(q, 1);
    if (q == nullptr) [[unlikely]]
        return zmrsMissing();
    return lognormalOf(nextNormal(q));
}

VXAPI int FillTheBufferLOGNORMAL(MRandPtr q)
{
    zrand_check(q, 1);
    return fillNormals(q, lognormalOf);
}

} // extern "C"
