/* Exponential, Cauchy, Weibull and triangular variates: no saved state, one
 * uniform per variate except Cauchy's two per attempt. */
#include <cmath>

#include "subs/zln1px.h"
#include "subs/zmrsblock.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace {

using zmrs::kAttemptsPerVariate;
using zmrs::Uniform;
using zmrs::usable;

/* The one-uniform samplers are functions of their uniform, so the buffer
 * forms can transform a block of uniforms in place. */
[[gnu::always_inline]] inline double exponentialOf(double u) { return -std::log(u); }

/* x/y of a point uniform in the disk of radius 1/2 about (1/2, 1/2); the
 * boundary circle is inside.  A point on the horizontal diameter (u2
 * exactly 1/2, which a 32-bit engine delivers once in 2^32 draws) gives
 * x/0, an infinity, and is kept: rejecting it would shift every later
 * variate of the stream by two uniforms.  Only the centre itself (both
 * uniforms exactly 1/2, once in 2^64 pairs, or for ever on an engine stuck
 * there) has no ratio, 0/0, and is rejected with the points outside. */
/* The quotient is formed for rejected points too. */
[[gnu::always_inline]] inline bool cauchyAttempt(const double* u, double& ratio)
{
    const double x = u[0] - 0.5;
    const double y = u[1] - 0.5;
    ratio = x / y;
    return !(x * x + y * y > 0.25) & !(x == 0.0 && y == 0.0);
}

[[gnu::always_inline]] inline double cauchyDraw(MRandPtr q)
{
    const Uniform next(q);
    for (int attempt = 0; attempt < kAttemptsPerVariate; ++attempt) {
        const double u[2] = {next(), next()};
        double ratio;
        if (cauchyAttempt(u, ratio)) return ratio;
    }
    return zmrsMissing();
}

/* NaN shape or scale is rejected like a non-positive one. */
bool weibullOk(double shape, double scale) { return shape > 0.0 && scale > 0.0; }

/* An infinite scale times a power that underflows to 0 (a tiny shape, or
 * v = 0 from a crude stream's u = 1) has no value: the missing value
 * there, rather than a NaN of another pattern. */
[[gnu::always_inline]] inline double weibullOf(double u, double shape, double scale)
{
    const double v = -std::log(u);
    const double x = scale * vxnum::pow(v, 1.0 / shape);
    return x == x ? x : zmrsMissing();
}

/* A NaN mode is rejected like one outside [0, 1]. */
bool triangleOk(double h) { return h >= 0.0 && h <= 1.0; }

/* Inversion of the two quadratic pieces of the distribution function; the
 * upper piece as (1 - h) - u (1 - h) so that h = 0 gives 1 - sqrt(1 - u). */
[[gnu::always_inline]] inline double triangleOf(double u, double h)
{
    if (u <= h) return std::sqrt(h * u);
    return 1.0 - std::sqrt((1.0 - h) - u * (1.0 - h));
}

} // namespace

extern "C" {

VXAPI double GetOneVariateEXPONENTIAL(MRandPtr q)
{
    zrand_check(q, 1);
    if (!usable(q)) return zmrsMissing();
    return exponentialOf(Uniform(q)());
}

VXAPI int FillTheBufferEXPONENTIAL(MRandPtr q)
{
    zrand_check(q, 1);
    return zmrs::fillOnePerVariate(q, usable(q), exponentialOf);
}

VXAPI double GetOneVariateCAUCHY(MRandPtr q)
{
    zrand_check(q, 1);
    if (!usable(q)) return zmrsMissing();
    return cauchyDraw(q);
}

VXAPI int FillTheBufferCAUCHY(MRandPtr q)
{
    zrand_check(q, 1);
    if (!usable(q) || q->VBuffer == nullptr || q->NBuffer < 1)
        return zmrs::fillTheBuffer(q, false, [](MRandPtr) { return 0.0; });
    return zmrs::fillByAttempts<2>(q, cauchyAttempt, [](double r) { return r; },
                                   cauchyDraw);
}

VXAPI double GetOneVariateWEIBULL(MRandPtr q, double shape, double scale)
{
    zrand_check(q, 1);
    if (!usable(q) || !weibullOk(shape, scale)) return zmrsMissing();
    return weibullOf(Uniform(q)(), shape, scale);
}

VXAPI int FillTheBufferWEIBULL(MRandPtr q, double shape, double scale)
{
    zrand_check(q, 1);
    return zmrs::fillOnePerVariate(q, usable(q) && weibullOk(shape, scale),
                                   [shape, scale](double u) { return weibullOf(u, shape, scale); });
}

VXAPI double GetOneVariateTRIANGLE(MRandPtr q, double h)
{
    zrand_check(q, 1);
    if (!usable(q) || !triangleOk(h)) return zmrsMissing();
    return triangleOf(Uniform(q)(), h);
}

VXAPI int FillTheBufferTRIANGLE(MRandPtr q, double h)
{
    zrand_check(q, 1);
    return zmrs::fillOnePerVariate(q, usable(q) && triangleOk(h),
                                   [h](double u) { return triangleOf(u, h); });
}

} // extern "C"
