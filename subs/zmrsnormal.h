/* The stream's source of standard normal deviates (polar method with a
 * one-deviate cache in q->nor).  NORMAL, LOGNORMAL and T draw their normal
 * deviates only through it. */
#ifndef VX_SUBS_ZMRSNORMAL_H
#define VX_SUBS_ZMRSNORMAL_H

#include "zrand.h"

double MakeNormalSequence(MRandPtr q);

#endif
