/* Student's t variates: z / sqrt(2 g / df) with z standard normal and g a
 * gamma variate of shape df/2.  The normal comes first, from the stream's
 * pair cache (so a waiting second deviate is used before any uniform is
 * drawn), then the gamma through the shared gamma sampler and its saved
 * set-up. */
#include <cmath>

#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zmrsnormal.h"
#include "subs/zrand.h"

namespace {

/* Below 0.1 degrees of freedom the tails are too heavy to be of use.  An
 * infinite df (or a NaN, which fails the first test) is rejected too: the
 * gamma shape would be infinite, and the normal must not be taken for a
 * variate that cannot be finished. */
bool tOk(double df) { return df >= 0.1 && zmrs::gammaShapeOk(0.5 * df); }

[[gnu::always_inline]] inline double tDraw(MRandPtr q, double df)
{
    const double z = MakeNormalSequence(q);
    if (zmrsIsMissing(z)) return z;
    const double g = zmrs::gammaVariate(q, 0.5 * df);
    if (zmrsIsMissing(g)) return g;
    return z / std::sqrt(2.0 * g / df);
}

} // namespace

extern "C" {

VXAPI double GetOneVariateT(MRandPtr q, double df)
{
    zrand_check(q, 1);
    if (!zmrs::usable(q) || !tOk(df)) return zmrsMissing();
    return tDraw(q, df);
}

VXAPI int FillTheBufferT(MRandPtr q, double df)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, zmrs::usable(q) && tOk(df),
                               [df](MRandPtr r) { return tDraw(r, df); });
}

} // extern "C"
