/* Seed sources (clock, CPU time, thread identity) and seed conversion. */
#ifndef VX_SUBS_ZRNGSEED_H
#define VX_SUBS_ZRNGSEED_H

#include "../mk/vxhost.h"

VX_EXTERN_C_BEGIN

VXAPI uint64_t zrngt64(void);
VXAPI uint64_t zrngi64(void);
VXAPI uint32_t zrngt32(void);
VXAPI int32_t zrngi31(void);
VXAPI double zrngd2i(double old_seed, uint64_t max_seed);

VX_EXTERN_C_END

#endif
