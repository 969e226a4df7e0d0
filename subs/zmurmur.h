/* MurmurHash3 of bytes (x86_32) and of 64-bit word arrays (x64_128). */
#ifndef VX_SUBS_ZMURMUR_H
#define VX_SUBS_ZMURMUR_H

#include <stdint.h>
#include "../mk/vxexport.h"

VX_EXTERN_C_BEGIN

VXAPI uint32_t zmurmur32(const void* bytes, int byte_len, uint32_t seed);
VXAPI void zmurmur128(const uint64_t* data, const int length, const uint64_t seed, uint64_t* out);
VXAPI uint64_t zmurmur64(const uint64_t* data, const int length, const uint64_t seed);

VX_EXTERN_C_END

#endif
