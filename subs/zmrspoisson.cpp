/* Poisson variates.  Three methods by the mean, chosen at set-up (q->poi,
 * recomputed whenever lambda differs from poi.lambdasave):
 *   flag 0  lambda < 8 and not whole: inversion from zero, one uniform;
 *   flag 1  8 <= lambda < 85, or lambda whole: inversion from the mode
 *           m = floor(lambda) of Poisson(m), searching down or up from
 *           P(X <= m), plus a Poisson(lambda - m) count by inversion from
 *           zero on a second uniform when lambda is not whole;
 *   flag 2  lambda >= 85: the normal approximation, rounded and floored at
 *           zero, two uniforms (Box-Muller, cosine half only). */
#include <bit>
#include <cmath>
#include <cstdint>

#include "subs/zln1px.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace {

using zmrs::poissonMeanOk;
using zmrs::Uniform;
using zmrs::usable;

constexpr double kNormalFrom = 85.0;
constexpr double kModeFrom = 8.0;
constexpr double kTwoPi = 6.283185307179586;
/* The largest double below one: a running sum that reaches it is complete. */
constexpr double kSumComplete = std::bit_cast<double>(0x3FEFFFFFFFFFFFFFull);
/* Terms this small no longer move a sum near one. */
constexpr double kTermNegligible = std::bit_cast<double>(0x3CA0000000000002ull);

void poissonSetUp(ZRANPOI& s, double lambda)
{
    s.lambdasave = lambda;
    if (lambda >= kNormalFrom) {
        s.flag = 2;
        return;
    }
    s.test = kSumComplete;
    s.m = std::floor(lambda);
    s.omega = vxnum::exp(s.m - lambda);
    s.qm = s.pm = vxnum::exp(-s.m);
    s.savea = vxnum::exp(-lambda);
    s.flag = (lambda >= kModeFrom || s.m == lambda) ? 1 : 0;
    const int32_t whole = static_cast<int32_t>(s.m);
    for (int32_t i = 1; i <= whole; ++i) {
        s.pm = s.pm * (s.m / i);
        s.qm = s.qm + s.pm;
    }
}

/* Inversion from zero with P(0) = p0: terms stop at the first cumulative sum
 * that covers u, passes `test`, or after a term below the threshold.  The
 * loop ends for every input: past the mean the terms shrink geometrically. */
double fromZero(double u, double mean, double p0, double test)
{
    double x = 0.0;
    double term = p0;
    double cum = p0;
    while (u > cum && cum <= test && term >= kTermNegligible) {
        x = x + 1.0;
        term = term * mean / x;
        cum = cum + term;
    }
    return x;
}

/* Poisson(m) from its mode; m < 85, so either search takes fewer than a few
 * hundred steps. */
double fromMode(double u, const ZRANPOI& s)
{
    const double m = s.m;
    double x = m;
    double cum = s.qm;
    double term = s.pm;
    if (u <= s.qm) {
        for (;;) {
            cum = cum - term;
            /* x = 0 is the bottom of the support.  Tested before the step
             * rather than after it, so that m = 0 (lambda = 0) with a
             * uniform of exactly 0 stays at 0 instead of stepping below. */
            if (u > cum || !(x > 0.0)) break;
            x = x - 1.0;
            term = term * (x + 1.0) / m;
        }
    } else {
        for (;;) {
            x = x + 1.0;
            term = term * m / x;
            cum = cum + term;
            if (u <= cum || cum >= s.test || term <= kTermNegligible) break;
        }
    }
    return x;
}

/* lambda already accepted by poissonMeanOk, q usable. */
[[gnu::always_inline]] inline double poissonDraw(MRandPtr q, double lambda)
{
    ZRANPOI& s = q->poi;
    if (lambda != s.lambdasave) poissonSetUp(s, lambda);
    const Uniform next(q);
    if (s.flag == 2) {
        const double u1 = next();
        const double u2 = next();
        const double x =
            std::floor(lambda + 0.5 + std::sqrt(-2.0 * lambda * std::log(u1)) * std::cos(kTwoPi * u2));
        return x > 0.0 ? x : 0.0;
    }
    if (s.flag == 0) return fromZero(next(), lambda, s.savea, s.test);
    const double x = fromMode(next(), s);
    if (s.m == lambda) return x;
    return x + fromZero(next(), lambda - s.m, s.omega, s.test);
}

} // namespace

double zmrs::poissonVariate(MRandPtr q, double lambda) { return poissonDraw(q, lambda); }

/* Poisson leaves lambda >= 0 to the caller.  A negative, NaN or infinite
 * mean gives the missing value without a uniform drawn or the set-up
 * touched: a NaN would keep the inversion loops from ever stopping, and for
 * an infinite mean the normal approximation is inf + inf cos(2 pi u2), a NaN
 * for half the draws and inf for the rest, no count at all. */
extern "C" {

VXAPI double GetOneVariatePOISSON(MRandPtr q, double lambda)
{
    zrand_check(q, 1);
    if (!usable(q) || !poissonMeanOk(lambda)) return zmrsMissing();
    return poissonDraw(q, lambda);
}

VXAPI int FillTheBufferPOISSON(MRandPtr q, double lambda)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, usable(q) && poissonMeanOk(lambda),
                               [lambda](MRandPtr r) { return poissonDraw(r, lambda); });
}

} // extern "C"
