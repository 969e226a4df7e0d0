/* State import from bytes (zrng_state) for engines whose imported area is
 * the first `size` bytes of their blob. */
#ifndef VX_SUBS_ENGINES_ZRNGIMPORT_H
#define VX_SUBS_ENGINES_ZRNGIMPORT_H

#include <cstdint>

#include "mk/vxhost.h"

namespace vxeng {

/* Fills area[0, size) from state_l bytes of state under the flags
 * (ZRNG_STATE_PARTIAL, ZRNG_STATE_REPEAT) and returns zrng_state's result:
 * 0 nothing imported, 1 partial, 2 whole, 3 repeated, 4 extended by the
 * finaliser chain.  Bytes from size on are never touched. */
int importBytes(uint8_t* area, VXMemSize size, const uint8_t* state, int state_l, uint64_t flags);

} // namespace vxeng

#endif
