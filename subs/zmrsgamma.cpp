/* Gamma, Erlang and chi-square variates (shape alpha, scale 1).
 *
 * alpha > 1: Cheng's rejection algorithm GB (R.C.H. Cheng, "The generation of
 * gamma variables with non-integral shape parameter", Applied Statistics
 * 26(1), 1977), without its quick-acceptance pretest; two uniforms per
 * attempt.
 *
 * alpha <= 1: the fractional part d = alpha - k by rejection from an envelope
 * split at 1/2 (x^(d-1) on [0, 1/2], 2^(1-d) e^-x beyond; a half is chosen
 * with the probability of its area, p), then the whole part k as minus the
 * log of a product of k uniforms.  Here k is 0 or 1, so GAMMA(1) is -ln(u).
 *
 * The set-up lives in q->gam and is recomputed only when alpha differs from
 * gam.alphasave (rewind stores -pi there).  ERLANG and CHISQUARE, and T in its
 * own unit, draw through the same code and share that record. */
#include <cmath>
#include <cstdint>

#include "subs/zln1px.h"
#include "subs/zmrsblock.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace {

using zmrs::gammaShapeOk;
using zmrs::kInf;
using zmrs::kMaxAttempts;
using zmrs::Uniform;
using zmrs::usable;

/* k is capped where a 32-bit count of uniforms would end; only shapes above
 * one reach the cap, and those never use k. */
constexpr double kWholeCap = 2147483647.0;
constexpr double kExpMinusHalf = 0.606530659712633;

void gammaSetUp(ZRANGAM& g, double alpha)
{
    g.alphasave = alpha;
    if (alpha >= kWholeCap) {
        g.k = 2147483647;
        g.d = alpha - kWholeCap;
    } else {
        g.k = static_cast<int64_t>(std::floor(alpha));
        g.d = alpha - static_cast<double>(g.k);
    }
    if (alpha > 1.0) {
        g.a = 1.0 / std::sqrt(2.0 * alpha - 1.0);
        g.b = alpha - std::log(4.0);
        g.c = alpha + 1.0 / g.a;
    } else {
        if (g.d != 0.0) g.dinv = 1.0 / g.d;
        g.dm1 = g.d - 1.0;
        g.p = 0.5 / (0.5 + g.d * kExpMinusHalf);
    }
}

/* alpha already accepted by gammaShapeOk, q usable, `next` the stream's
 * uniform source. */
template <class U>
[[gnu::always_inline]] inline double gammaDraw(MRandPtr q, double alpha, U&& next)
{
    ZRANGAM& g = q->gam;
    if (alpha != g.alphasave) gammaSetUp(g, alpha);

    if (alpha > 1.0) {
        const double a = g.a, b = g.b, c = g.c;
        /* Above about DBL_MAX/2, 2 alpha - 1 overflows, a is 0 and the test
         * below is NaN for every pair: no uniform is drawn for nothing. */
        if (!(a > 0.0) || !(c < kInf) || !(b < kInf)) return zmrsMissing();
        for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
            const double u1 = next();
            const double u2 = next();
            const double v = a * std::log(u1 / (1.0 - u1));
            const double x = alpha * vxexp(v);
            if (b + c * v - x >= std::log(u1 * u1 * u2)) return x;
        }
        return zmrsMissing();
    }

    double x = 0.0;
    if (g.d != 0.0) {
        const double p = g.p, dinv = g.dinv, dm1 = g.dm1;
        bool accepted = false;
        for (int attempt = 0; attempt < kMaxAttempts && !accepted; ++attempt) {
            const double u1 = next();
            const double u2 = next();
            if (u1 <= p) {
                const double u3 = next();
                const double y = vxpow(u2, dinv);
                x = 0.5 * y;
                accepted = u3 <= vxexp(-0.5 * y);
            } else {
                x = 0.5 - std::log(u2);
                const double u3 = next();
                accepted = u3 <= vxpow(2.0 * x, dm1);
            }
        }
        if (!accepted) return zmrsMissing();
    }
    double product = 1.0;
    for (int64_t i = 0; i < g.k; ++i) product *= next();
    return x - std::log(product);
}

/* The fewest uniforms a variate takes once the set-up for alpha is saved:
 * a pair per GB attempt (none where GB cannot run), a triple per attempt for
 * a fractional shape below one, the one uniform of GAMMA(1). */
int64_t gammaMinimum(const ZRANGAM& g, double alpha)
{
    if (alpha > 1.0) return (g.a > 0.0 && g.c < kInf && g.b < kInf) ? 2 : 0;
    return g.d != 0.0 ? 3 : g.k;
}

template <class U>
[[gnu::always_inline]] inline double chiSquareDraw(MRandPtr q, double halfDf, U&& next)
{
    const double g = gammaDraw(q, halfDf, next);
    return zmrsIsMissing(g) ? g : 2.0 * g;
}

/* GAMMA and ERLANG leave alpha > 0 to the caller.  A shape that is not a
 * positive finite number (zero, negative, NaN, infinite) gives the missing
 * value without a uniform drawn or the set-up touched: no attempt of either
 * algorithm could be accepted there. */
bool chiSquareOk(double df) { return df > 0.0 && gammaShapeOk(0.5 * df); }

/* The set-up is made before the first variate rather than by it, which
 * leaves the same record. */
template <class Draw>
int fillGammas(MRandPtr q, bool ok, double alpha, Draw draw)
{
    int64_t m = 0;
    if (ok && q->VBuffer != nullptr && q->NBuffer >= 1) {
        if (alpha != q->gam.alphasave) gammaSetUp(q->gam, alpha);
        m = gammaMinimum(q->gam, alpha);
    }
    return zmrs::fillByBlocks(
        q, ok, [m](MRandPtr, int64_t r) { return zmrs::Minimums{m, m * r}; }, draw);
}

} // namespace

double zmrs::gammaVariate(MRandPtr q, double alpha) { return gammaDraw(q, alpha, Uniform(q)); }

extern "C" {

VXAPI double GetOneVariateGAMMA(MRandPtr q, double alpha)
{
    zrand_check(q, 1);
    if (!usable(q) || !gammaShapeOk(alpha)) return zmrsMissing();
    return gammaDraw(q, alpha, Uniform(q));
}

VXAPI int FillTheBufferGAMMA(MRandPtr q, double alpha)
{
    zrand_check(q, 1);
    return fillGammas(q, usable(q) && gammaShapeOk(alpha), alpha,
                      [alpha](MRandPtr r, auto&& next) { return gammaDraw(r, alpha, next); });
}

VXAPI double GetOneVariateERLANG(MRandPtr q, int32_t alpha)
{
    zrand_check(q, 1);
    const double shape = static_cast<double>(alpha);
    if (!usable(q) || !gammaShapeOk(shape)) return zmrsMissing();
    return gammaDraw(q, shape, Uniform(q));
}

VXAPI int FillTheBufferERLANG(MRandPtr q, int32_t alpha)
{
    zrand_check(q, 1);
    const double shape = static_cast<double>(alpha);
    return fillGammas(q, usable(q) && gammaShapeOk(shape), shape,
                      [shape](MRandPtr r, auto&& next) { return gammaDraw(r, shape, next); });
}

VXAPI double GetOneVariateCHISQUARE(MRandPtr q, double df)
{
    zrand_check(q, 1);
    if (!usable(q) || !chiSquareOk(df)) return zmrsMissing();
    return chiSquareDraw(q, 0.5 * df, Uniform(q));
}

VXAPI int FillTheBufferCHISQUARE(MRandPtr q, double df)
{
    zrand_check(q, 1);
    const double half = 0.5 * df;
    return fillGammas(q, usable(q) && chiSquareOk(df), half,
                      [half](MRandPtr r, auto&& next) { return chiSquareDraw(r, half, next); });
}

} // extern "C"
