/* Exponential, Cauchy, Weibull and triangular variates: no saved state, one
 * uniform per variate except Cauchy's two per attempt. */
#include <cmath>

#include "subs/zln1px.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace {

using zmrs::kMaxAttempts;
using zmrs::Uniform;
using zmrs::usable;

[[gnu::always_inline]] inline double exponentialDraw(MRandPtr q)
{
    return -std::log(Uniform(q)());
}

/* x/y of a point uniform in the disk of radius 1/2 about (1/2, 1/2); the
 * boundary circle is inside.  Only points outside the disk are rejected: a
 * point on the horizontal diameter (u2 exactly 1/2, which a 32-bit engine
 * delivers once in 2^32 draws) gives x/0, an infinity, and rejecting it
 * instead would shift every later variate of the stream by two uniforms. */
[[gnu::always_inline]] inline double cauchyDraw(MRandPtr q)
{
    const Uniform next(q);
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const double x = next() - 0.5;
        const double y = next() - 0.5;
        if (x * x + y * y > 0.25) continue;
        return x / y;
    }
    return zmrsMissing();
}

/* NaN shape or scale is rejected like a non-positive one. */
bool weibullOk(double shape, double scale) { return shape > 0.0 && scale > 0.0; }

[[gnu::always_inline]] inline double weibullDraw(MRandPtr q, double shape, double scale)
{
    const double v = -std::log(Uniform(q)());
    return scale * vxpow(v, 1.0 / shape);
}

/* A NaN mode is rejected like one outside [0, 1]. */
bool triangleOk(double h) { return h >= 0.0 && h <= 1.0; }

/* Inversion of the two quadratic pieces of the distribution function; the
 * upper piece as (1 - h) - u (1 - h) so that h = 0 gives 1 - sqrt(1 - u). */
[[gnu::always_inline]] inline double triangleDraw(MRandPtr q, double h)
{
    const double u = Uniform(q)();
    if (u <= h) return std::sqrt(h * u);
    return 1.0 - std::sqrt((1.0 - h) - u * (1.0 - h));
}

} // namespace

extern "C" {

VXAPI double GetOneVariateEXPONENTIAL(MRandPtr q)
{
    zrand_check(q, 1);
    if (!usable(q)) return zmrsMissing();
    return exponentialDraw(q);
}

VXAPI int FillTheBufferEXPONENTIAL(MRandPtr q)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, usable(q), [](MRandPtr r) { return exponentialDraw(r); });
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
    return zmrs::fillTheBuffer(q, usable(q), [](MRandPtr r) { return cauchyDraw(r); });
}

VXAPI double GetOneVariateWEIBULL(MRandPtr q, double shape, double scale)
{
    zrand_check(q, 1);
    if (!usable(q) || !weibullOk(shape, scale)) return zmrsMissing();
    return weibullDraw(q, shape, scale);
}

VXAPI int FillTheBufferWEIBULL(MRandPtr q, double shape, double scale)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, usable(q) && weibullOk(shape, scale),
                               [shape, scale](MRandPtr r) { return weibullDraw(r, shape, scale); });
}

VXAPI double GetOneVariateTRIANGLE(MRandPtr q, double h)
{
    zrand_check(q, 1);
    if (!usable(q) || !triangleOk(h)) return zmrsMissing();
    return triangleDraw(q, h);
}

VXAPI int FillTheBufferTRIANGLE(MRandPtr q, double h)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, usable(q) && triangleOk(h),
                               [h](MRandPtr r) { return triangleDraw(r, h); });
}

} // extern "C"
