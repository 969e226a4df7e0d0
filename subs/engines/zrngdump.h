/* Journal dumps of an engine's blob (zrng_dump_blob_32 and _64). */
#ifndef VX_SUBS_ENGINES_ZRNGDUMP_H
#define VX_SUBS_ENGINES_ZRNGDUMP_H

#include "mk/vxhost.h"

namespace vxeng {

/* Writes elements 0 .. min(max_len, blob_size / 4 or 8) - 1 of the blob as
 * 32-bit or 64-bit words, four to a journal line, then "Further elements
 * omitted." when max_len is below the count. */
void dumpWords32(const void* blob, VXMemSize blob_size, int max_len);
void dumpWords64(const void* blob, VXMemSize blob_size, int max_len);

} // namespace vxeng

#endif
