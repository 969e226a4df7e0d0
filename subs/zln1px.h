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

#endif
