/* ln(1 + z), ln(e^x1 + e^x2), and exp/pow guarded against the caller's
 * floating-point traps. */
#include <bit>
#include <cstdint>
#include <cfenv>
#include <cmath>
#include <fenv.h>

#include "subs/zln1px.h"

namespace {

/* The trap enables are read and changed with glibc's fegetexcept /
 * fedisableexcept / feenableexcept, which touch only the enable bits of the
 * control registers (rounding mode and raised flags are kept). */
#if defined(__GLIBC__) && defined(FE_OVERFLOW) && defined(FE_UNDERFLOW)
constexpr int kAllTraps = FE_INVALID | FE_OVERFLOW | FE_UNDERFLOW | FE_DIVBYZERO | FE_INEXACT;
constexpr int kRestoredTraps = FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO;

template <class F>
double guarded(F f)
{
    if (vxnum::trapsMasked()) [[likely]]
        return f();
    const int enabled = fegetexcept();
    fedisableexcept(kAllTraps);
    const bool stuck = fegetexcept() != 0;
    const double r = f();
    /* Hosts that run with traps on run with these three; the others are
     * deliberately not brought back. */
    if (enabled != 0 || stuck) feenableexcept(kRestoredTraps);
    return r;
}
#else
template <class F>
double guarded(F f)
{
    return f();
}
#endif

} // namespace

extern "C" {

/* Below 2^-5 the rational form 2 atanh(z / (2 + z)) avoids the cancellation
 * in 1 + z. */
VXAPI double zln1px(double z)
{
    if (std::fabs(z) > 0.03125) return std::log(1.0 + z);
    const double p0 = std::bit_cast<double>(0x3FB5555555555599ull);
    const double p1 = std::bit_cast<double>(0xBF6381EC323585F1ull);
    const double q1 = std::bit_cast<double>(0xBFC6DB8F7C275AA3ull);
    const double w = z / (1.0 + 0.5 * z);
    const double s = w * w;
    return w + w * s * ((p0 + p1 * s) / (1.0 + q1 * s));
}

VXAPI double zlnSumOfExp(double x1, double x2)
{
    if (x1 > x2) return x1 + zln1px(vxexp(x2 - x1));
    if (x1 == x2) return x1 + 0.6931471805599453;
    return x2 + zln1px(vxexp(x1 - x2));
}

VXAPI double vxexp(double x)
{
    return guarded([x] { return std::exp(x); });
}

VXAPI double vxpow(double x, double y)
{
    return guarded([x, y] { return std::pow(x, y); });
}

} // extern "C"
