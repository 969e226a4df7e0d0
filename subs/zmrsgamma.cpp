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
using zmrs::kAttemptsPerVariate;
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

/* One attempt of GB on u[0], u[1]: the candidate x, and whether it is
 * accepted.  Attempts depend on nothing but their uniforms and the set-up,
 * which lets the buffer form compute a block of them ahead, the quotient
 * and product of each pair's uniforms (gbPrepare) in one vectorised pass. */
[[gnu::always_inline]] inline void gbPrepare(double* u)
{
    const double u1 = u[0], u2 = u[1];
    u[0] = u1 / (1.0 - u1);
    u[1] = u1 * u1 * u2;
}

[[gnu::always_inline]] inline bool gbDecide(const ZRANGAM& g, double alpha, const double* p, double& x)
{
    const double v = g.a * std::log(p[0]);
    x = alpha * vxnum::exp(v);
    return g.b + g.c * v - x >= std::log(p[1]);
}

[[gnu::always_inline]] inline bool gbAttempt(const ZRANGAM& g, double alpha, const double* u, double& x)
{
    double p[2] = {u[0], u[1]};
    gbPrepare(p);
    return gbDecide(g, alpha, p, x);
}

/* A set-up where GB can run: above about DBL_MAX/2, 2 alpha - 1 overflows,
 * a is 0 and the test is NaN for every pair, so no uniform is drawn for
 * nothing. */
bool gbRuns(const ZRANGAM& g) { return g.a > 0.0 && g.c < kInf && g.b < kInf; }

/* One attempt for the fractional shape below one on u[0..2]: u[0] picks the
 * half of the envelope, u[1] the candidate, u[2] accepts it. */
[[gnu::always_inline]] inline bool fractionAttempt(const ZRANGAM& g, const double* u, double& x)
{
    if (u[0] <= g.p) {
        const double y = vxnum::pow(u[1], g.dinv);
        x = 0.5 * y;
        return u[2] <= vxnum::exp(-0.5 * y);
    }
    x = 0.5 - std::log(u[1]);
    return u[2] <= vxnum::pow(2.0 * x, g.dm1);
}

/* alpha already accepted by gammaShapeOk, q usable. */
[[gnu::always_inline]] inline double gammaDraw(MRandPtr q, double alpha)
{
    const Uniform next(q);
    ZRANGAM& g = q->gam;
    if (alpha != g.alphasave) gammaSetUp(g, alpha);

    if (alpha > 1.0) {
        if (!gbRuns(g)) return zmrsMissing();
        for (int attempt = 0; attempt < kAttemptsPerVariate; ++attempt) {
            const double u[2] = {next(), next()};
            double x;
            if (gbAttempt(g, alpha, u, x)) return x;
        }
        return zmrsMissing();
    }

    double x = 0.0;
    if (g.d != 0.0) {
        bool accepted = false;
        for (int attempt = 0; attempt < kAttemptsPerVariate && !accepted; ++attempt) {
            const double u[3] = {next(), next(), next()};
            accepted = fractionAttempt(g, u, x);
        }
        if (!accepted) return zmrsMissing();
    }
    double product = 1.0;
    for (int64_t i = 0; i < g.k; ++i) product *= next();
    return x - std::log(product);
}

[[gnu::always_inline]] inline double chiSquareDraw(MRandPtr q, double halfDf)
{
    const double g = gammaDraw(q, halfDf);
    return zmrsIsMissing(g) ? g : 2.0 * g;
}

/* GAMMA and ERLANG leave alpha > 0 to the caller.  A shape that is not a
 * positive finite number (zero, negative, NaN, infinite) gives the missing
 * value without a uniform drawn or the set-up touched: no attempt of either
 * algorithm could be accepted there.  For an infinite shape GB's set-up
 * overflows (2 alpha - 1 = inf, so a = 0 and b = c = inf) and every
 * acceptance test compares NaN: the algorithm would never end, and there is
 * no variate to give.  CHISQUARE(inf), T(inf) and NEGBINOMIAL(p < 1, inf)
 * are the missing value for the same reason. */
bool chiSquareOk(double df) { return df > 0.0 && gammaShapeOk(0.5 * df); }

/* The buffer forms, `twice` for CHISQUARE.  The set-up is made before the
 * first variate rather than by it, which leaves the same record.  Each
 * regime's attempts take a fixed number of uniforms (GB two, the
 * fractional shape three and then a product of no uniforms, shape one just
 * the product of one), so blocks of attempts are computed ahead. */
int fillGammas(MRandPtr q, bool ok, double alpha, bool twice)
{
    auto one = [alpha, twice](MRandPtr r) { return twice ? chiSquareDraw(r, alpha) : gammaDraw(r, alpha); };
    if (!ok || q->VBuffer == nullptr || q->NBuffer < 1) return zmrs::fillTheBuffer(q, false, one);
    ZRANGAM& g = q->gam;
    if (alpha != g.alphasave) gammaSetUp(g, alpha);
    const double scale = twice ? 2.0 : 1.0;
    if (alpha > 1.0 && gbRuns(g)) {
        return zmrs::fillByAttempts<2>(
            q,
            [](double* u, int m) {
                for (int j = 0; j < m; ++j) gbPrepare(u + 2 * j);
            },
            [&g, alpha](const double* p, double& x) { return gbDecide(g, alpha, p, x); },
            [scale](double x) { return scale * x; }, one);
    }
    if (alpha < 1.0) {
        return zmrs::fillByAttempts<3>(
            q, [&g](const double* u, double& x) { return fractionAttempt(g, u, x); },
            [scale](double x) { return scale * (x - std::log(1.0)); }, one);
    }
    if (alpha == 1.0)
        return zmrs::fillOnePerVariate(q, true, [scale](double u) { return scale * (0.0 - std::log(u)); });
    return zmrs::fillTheBuffer(q, true, one);
}

} // namespace

double zmrs::gammaVariate(MRandPtr q, double alpha) { return gammaDraw(q, alpha); }

extern "C" {

VXAPI double GetOneVariateGAMMA(MRandPtr q, double alpha)
{
    zrand_check(q, 1);
    if (!usable(q) || !gammaShapeOk(alpha)) return zmrsMissing();
    return gammaDraw(q, alpha);
}

VXAPI int FillTheBufferGAMMA(MRandPtr q, double alpha)
{
    zrand_check(q, 1);
    return fillGammas(q, usable(q) && gammaShapeOk(alpha), alpha, false);
}

VXAPI double GetOneVariateERLANG(MRandPtr q, int32_t alpha)
{
    zrand_check(q, 1);
    const double shape = static_cast<double>(alpha);
    if (!usable(q) || !gammaShapeOk(shape)) return zmrsMissing();
    return gammaDraw(q, shape);
}

VXAPI int FillTheBufferERLANG(MRandPtr q, int32_t alpha)
{
    zrand_check(q, 1);
    const double shape = static_cast<double>(alpha);
    return fillGammas(q, usable(q) && gammaShapeOk(shape), shape, false);
}

VXAPI double GetOneVariateCHISQUARE(MRandPtr q, double df)
{
    zrand_check(q, 1);
    if (!usable(q) || !chiSquareOk(df)) return zmrsMissing();
    return chiSquareDraw(q, 0.5 * df);
}

VXAPI int FillTheBufferCHISQUARE(MRandPtr q, double df)
{
    zrand_check(q, 1);
    const double half = 0.5 * df;
    return fillGammas(q, usable(q) && chiSquareOk(df), half, true);
}

} // extern "C"
