/* The stream operations on the variate generator's own record type, for
 * the variate generator unit (internal). */
#ifndef VX_SUBS_ZRANDVX_H
#define VX_SUBS_ZRANDVX_H

#include "zrand.h"

int zrandInitRecord(MRandPtr q);   /* zrand_init */
int zrandRewindRecord(MRandPtr q); /* zrand_rewind */

#endif
