/* Numeric helpers for the samplers. */
#ifndef VX_SUBS_ZLN1PX_H
#define VX_SUBS_ZLN1PX_H

#include "../mk/vxexport.h"

VX_EXTERN_C_BEGIN

VXAPI double zln1px(double z);
VXAPI double zlnSumOfExp(double x1, double x2);
/* exp and pow with the caller's overflow/underflow traps held off. */
VXAPI double vxexp(double x);
VXAPI double vxpow(double x, double y);

VX_EXTERN_C_END

#ifdef __cplusplus
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <fenv.h>

namespace vxnum {

/* Every trap masked, the common case, in which vxexp and vxpow are exp and
 * pow.  Read from the x87 control word, as fegetexcept does
 * (feenableexcept sets both units alike); reading MXCSR instead stalls the
 * calls around it. */
inline bool trapsMasked()
{
#if defined(__x86_64__) || defined(__i386__)
    uint16_t cw;
    __asm__ volatile("fnstcw %0" : "=m"(cw));
    return (cw & FE_ALL_EXCEPT) == FE_ALL_EXCEPT;
#elif defined(__GLIBC__)
    return fegetexcept() == 0;
#else
    return true; /* no portable way to read the enables; none are switched either */
#endif
}

/* vxexp and vxpow with that case inlined into the samplers. */
inline double exp(double x) { return trapsMasked() ? std::exp(x) : vxexp(x); }
inline double pow(double x, double y) { return trapsMasked() ? std::pow(x, y) : vxpow(x, y); }

} // namespace vxnum
#endif

#endif
