/* The legacy multiplicative congruential step. */
#ifndef VX_SUBS_ZTORVEL_H
#define VX_SUBS_ZTORVEL_H

#include <stdint.h>
#include "../mk/vxexport.h"

VX_EXTERN_C_BEGIN

VXAPI double ztorvel(int64_t* iSeed);

VX_EXTERN_C_END

#endif
