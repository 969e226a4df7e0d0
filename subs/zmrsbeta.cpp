/* Beta and F variates.
 *
 * Four regimes by the shapes (alpha, beta), each with its set-up in q->bet:
 *   A   both below one: the switching rejection method of Atkinson and
 *       Whittaker (Applied Statistics 25(1), 1976): a power-law piece on
 *       [0, t] chosen with probability p, its mirror on [t, 1];
 *   BB  both above one: Cheng's algorithm BB;
 *   BC  one below one, the other above: Cheng's algorithm BC
 *       (R.C.H. Cheng, "Generating beta variates with nonintegral shape
 *       parameters", CACM 21(4), 1978);
 *   a shape equal to one: one uniform through a power.
 * A, BB and BC take two uniforms per attempt, the unit regimes one.
 *
 * The set-up depends on nothing but (alpha, beta), so rewind leaves q->bet
 * alone; a zeroed record holds (0, 0), which is rejected before the record is
 * read. */
#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>

#include "subs/zln1px.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace {

using zmrs::kInf;
using zmrs::kAttemptsPerVariate;
using zmrs::Uniform;
using zmrs::usable;

/* Cheng's constants as he printed them: ln 4 and 1 + ln 5 to eight places. */
constexpr double kLn4 = 1.38629436;
constexpr double kOnePlusLn5 = 2.60943791;
/* ln DBL_MAX: d1 e^v overflows once v passes toobig = kLnMax - ln d1. */
constexpr double kLnMax = 709.782712893384;
/* Keeps the logarithm finite when d3 / (d2 + DBL_MAX) underflows to 0. */
constexpr double kLogFloor = std::bit_cast<double>(0x0010000000000001ull);

enum class Regime { A, BB, BC, Uniform, PowerAlpha, PowerBeta };

Regime regimeOf(double alpha, double beta)
{
    if (alpha < 1.0 && beta < 1.0) return Regime::A;
    if (alpha > 1.0 && beta > 1.0) return Regime::BB;
    if ((alpha < 1.0 && beta > 1.0) || (beta < 1.0 && alpha > 1.0)) return Regime::BC;
    if (alpha == 1.0 && beta == 1.0) return Regime::Uniform;
    return beta == 1.0 ? Regime::PowerAlpha : Regime::PowerBeta;
}

void betaSetUp(ZRANBET& s, Regime regime, double alpha, double beta)
{
    s.alphasave = alpha;
    s.betasave = beta;
    switch (regime) {
    case Regime::A: {
        const double t = 1.0 / (1.0 + std::sqrt(beta * (1.0 - beta) / (alpha * (1.0 - alpha))));
        s.d1 = t;
        s.d2 = beta * t / (beta * t + alpha * (1.0 - t));
        break;
    }
    case Regime::BB:
        s.d1 = std::min(alpha, beta);
        s.d2 = std::max(alpha, beta);
        s.d3 = alpha + beta;
        s.d4 = std::sqrt((alpha + beta - 2.0) / (2.0 * s.d1 * s.d2 - alpha - beta));
        s.d5 = s.d1 + 1.0 / s.d4;
        break;
    case Regime::BC:
        s.d1 = std::max(alpha, beta);
        s.d2 = std::min(alpha, beta);
        s.d3 = alpha + beta;
        s.d4 = 1.0 / s.d2;
        s.d5 = 1.0 + s.d1 - s.d2;
        s.d6 = s.d5 * (0.0138888889 + 0.0416666667 * s.d2) / (s.d1 * s.d4 - 0.777777778);
        s.d7 = 0.25 + (0.5 + 0.25 / s.d5) * s.d2;
        s.toobig = kLnMax - std::log(s.d1);
        break;
    case Regime::Uniform:
        break;
    case Regime::PowerAlpha:
        s.d1 = 1.0 / alpha;
        break;
    case Regime::PowerBeta:
        s.d2 = 1.0 / beta;
        break;
    }
}

/* BETA refuses only shapes that are not above zero (a NaN among them).  An
 * infinite shape runs the algorithm of its regime like any other:
 *   BETA(inf, 1) is u^0 = 1 and BETA(1, inf) is 1 - u^0 = 0 (unit regimes);
 *   BETA(inf, b) and BETA(b, inf) with b < 1 fall in BC, where toobig is
 *   -inf and k1 is NaN: step 1 rejects nothing, every w is DBL_MAX and every
 *   test value +inf, so the first attempt that reaches a test gives 1 (0
 *   for the infinite beta);
 *   with b > 1, or both infinite, they fall in BB, whose set-up has no value
 *   (d4 = sqrt(inf / NaN)): no attempt could ever be accepted, and the
 *   variate is the missing value, before a uniform is drawn (setUpUsable). */
bool betaShapesOk(double alpha, double beta) { return alpha > 0.0 && beta > 0.0; }

/* Shapes whose set-up leaves nothing to sample from (t rounded to 0 or 1 in
 * regime A when one shape is below about 1e-300 against the other; 2 d1 d2
 * overflowing in BB, or an infinite shape there; d4 = 1/d2 overflowing in
 * BC) would reject every attempt: the missing value instead, before a
 * uniform is drawn.  BC with an infinite larger shape keeps its NaN k1 and
 * infinite d5: it ends, as above. */
bool setUpUsable(const ZRANBET& s, Regime regime)
{
    switch (regime) {
    case Regime::A:
        return s.d1 > 0.0 && s.d1 < 1.0;
    case Regime::BB:
        return std::isfinite(s.d4) && s.d4 > 0.0 && std::isfinite(s.d5);
    case Regime::BC:
        if (s.d1 == kInf) return std::isfinite(s.d4);
        return std::isfinite(s.d4) && std::isfinite(s.d5) && !std::isnan(s.d6) &&
               !std::isnan(s.d7);
    default:
        return true;
    }
}

double drawA(const Uniform& next, const ZRANBET& s, double alpha, double beta)
{
    const double t = s.d1, p = s.d2;
    for (int attempt = 0; attempt < kAttemptsPerVariate; ++attempt) {
        const double u1 = next();
        const double u2 = next();
        const double e = -std::log(u2);
        if (u1 <= p) {
            const double x = t * vxnum::pow(u1 / p, 1.0 / alpha);
            /* The linear bound is the quick acceptance: ln y <= y - 1. */
            if (e >= (1.0 - beta) * (t - x) / (1.0 - t)) return x;
            if (e >= (1.0 - beta) * std::log((1.0 - x) / (1.0 - t))) return x;
        } else {
            const double x = 1.0 - (1.0 - t) * vxnum::pow((1.0 - u1) / (1.0 - p), 1.0 / beta);
            if (e >= (1.0 - alpha) * (x / t - 1.0)) return x;
            if (e >= (1.0 - alpha) * std::log(x / t)) return x;
        }
    }
    return zmrsMissing();
}

double drawBB(const Uniform& next, const ZRANBET& s, double alpha)
{
    const double d1 = s.d1, d2 = s.d2, d3 = s.d3, d4 = s.d4, d5 = s.d5;
    for (int attempt = 0; attempt < kAttemptsPerVariate; ++attempt) {
        const double u1 = next();
        const double u2 = next();
        const double v = d4 * std::log(u1 / (1.0 - u1));
        const double w = d1 * vxnum::exp(v);
        const double z = u1 * u1 * u2;
        const double r = d5 * v - kLn4;
        const double sv = d1 + r - w;
        bool accept = sv + kOnePlusLn5 > 5.0 * z;
        if (!accept) {
            const double t = std::log(z);
            accept = sv >= t || r + d3 * std::log(d3 / (d2 + w)) >= t;
        }
        if (accept) return d1 == alpha ? w / (d2 + w) : d2 / (d2 + w);
    }
    return zmrsMissing();
}

double drawBC(const Uniform& next, const ZRANBET& s, double alpha)
{
    const double d1 = s.d1, d2 = s.d2, d3 = s.d3, d4 = s.d4;
    const double k1 = s.d6, k2 = s.d7, toobig = s.toobig;
    for (int attempt = 0; attempt < kAttemptsPerVariate; ++attempt) {
        const double u1 = next();
        const double u2 = next();
        double z;
        double w = 0.0;
        bool tested = true;
        if (u1 < 0.5) {
            const double y = u1 * u2;
            z = u1 * y;
            if (0.25 * u2 + z - y >= k1) continue;
        } else {
            z = u1 * u1 * u2;
            if (z <= 0.25) {
                const double v = d4 * std::log(u1 / (1.0 - u1));
                w = v > toobig ? DBL_MAX : d1 * vxnum::exp(v);
                tested = false;
            } else if (z >= k2) {
                continue;
            }
        }
        if (tested) {
            const double v = d4 * std::log(u1 / (1.0 - u1));
            double test;
            if (v > toobig) {
                w = DBL_MAX;
                test = d3 * (v + std::log(d3 / (d2 + w) + kLogFloor)) - kLn4;
            } else {
                w = d1 * vxnum::exp(v);
                test = d3 * (v + std::log(d3 / (d2 + w))) - kLn4;
            }
            if (!(test >= std::log(z))) continue;
        }
        if (d1 == alpha) return w == DBL_MAX ? 1.0 : w / (d2 + w);
        return w == DBL_MAX ? 0.0 : d2 / (d2 + w);
    }
    return zmrsMissing();
}

/* Shapes already accepted by betaShapesOk, q usable. */
[[gnu::always_inline]] inline double betaDraw(MRandPtr q, double alpha, double beta)
{
    ZRANBET& s = q->bet;
    const Regime regime = regimeOf(alpha, beta);
    if (alpha != s.alphasave || beta != s.betasave) betaSetUp(s, regime, alpha, beta);
    if (!setUpUsable(s, regime)) return zmrsMissing();
    const Uniform next(q);
    switch (regime) {
    case Regime::A:
        return drawA(next, s, alpha, beta);
    case Regime::BB:
        return drawBB(next, s, alpha);
    case Regime::BC:
        return drawBC(next, s, alpha);
    case Regime::Uniform:
        return next();
    case Regime::PowerAlpha:
        return vxnum::pow(next(), s.d1);
    case Regime::PowerBeta:
        return 1.0 - vxnum::pow(next(), s.d2);
    }
    return zmrsMissing();
}

/* F from the beta variate x of the half degrees of freedom.  x = 1 exactly
 * (possible in regime BC, or when u rounds, or always for an infinite ndf
 * against ddf <= 2) gives 0 rather than +inf. */
[[gnu::always_inline]] inline double fDraw(MRandPtr q, double ndf, double ddf)
{
    const double x = betaDraw(q, 0.5 * ndf, 0.5 * ddf);
    if (zmrsIsMissing(x)) return x;
    if (x == 1.0) return 0.0;
    return (ddf * x / ndf) / (1.0 - x);
}

/* F refuses ndf <= 0 or ddf <= 0, a NaN failing too.  An infinite ddf is
 * refused as well, before a uniform is drawn: the beta variate is then 0 (or
 * has no value) and ddf x = inf * 0 has none, so the quotient could only be
 * a NaN that is not the missing value.  The halves must pass as shapes (the
 * smallest ndf halves to 0). */
bool fOk(double ndf, double ddf)
{
    return ndf > 0.0 && ddf > 0.0 && ddf < kInf && betaShapesOk(0.5 * ndf, 0.5 * ddf);
}

} // namespace

extern "C" {

VXAPI double GetOneVariateBETA(MRandPtr q, double alpha, double beta)
{
    zrand_check(q, 1);
    if (!usable(q) || !betaShapesOk(alpha, beta)) return zmrsMissing();
    return betaDraw(q, alpha, beta);
}

VXAPI int FillTheBufferBETA(MRandPtr q, double alpha, double beta)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, usable(q) && betaShapesOk(alpha, beta),
                               [alpha, beta](MRandPtr r) { return betaDraw(r, alpha, beta); });
}

VXAPI double GetOneVariateF(MRandPtr q, double ndf, double ddf)
{
    zrand_check(q, 1);
    if (!usable(q) || !fOk(ndf, ddf)) return zmrsMissing();
    return fDraw(q, ndf, ddf);
}

VXAPI int FillTheBufferF(MRandPtr q, double ndf, double ddf)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, usable(q) && fOk(ndf, ddf),
                               [ndf, ddf](MRandPtr r) { return fDraw(r, ndf, ddf); });
}

} // extern "C"
