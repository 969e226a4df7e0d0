/* The module's C ABI in one header: every function libvxalea.so exports, the
 * host handle it keeps (Exported_VXHandle), the records they take, the
 * module's status and message codes and the missing value.
 *
 *   #include <vxalea/vxalea.h>                // the module
 *   #include <vxalea/host/vxhost_api.h>       // the host that loads it
 *
 * A program usually loads the module through the host and looks its
 * functions up by name; one that links libvxalea.so may call them directly.
 * C++ code using the C++ layer includes <vxalea/vxalea.hpp> instead: the
 * entry function declared here is called vxalea, like the layer's namespace,
 * and the two cannot meet in one translation unit. */
#ifndef VXALEA_VXALEA_H
#define VXALEA_VXALEA_H

#include "ext/vxalea.h"     /* entry, extension and task records, vxvercn1 */
#include "mk/vxbind.h"      /* Exported_VXHandle, vxextent, vxextver, vxzdttme */
#include "subs/vxnls.h"     /* transcoding */
#include "subs/vxnr.h"      /* registry access: one entry per call, by VXChar name */
#include "subs/zmurmur.h"   /* MurmurHash3 */
#include "subs/zrand.h"     /* streams, the variate generator, samplers */
#include "subs/zrng.h"      /* descriptor, engine set-up, method selection */
#include "subs/zrngmsg.h"   /* status and message codes, zrngmsg */
#include "subs/zrngseed.h"  /* seed sources and conversion */
#include "subs/ztorvel.h"   /* the legacy uniform step */
#include "missing.h"

VX_EXTERN_C_BEGIN

/* ---- numeric helpers of the samplers ------------------------------------------ */
/* log(1 + z), and log(exp(x1) + exp(x2)) without overflow. */
VXAPI double zln1px(double z);
VXAPI double zlnSumOfExp(double x1, double x2);
/* exp and pow with the caller's overflow and underflow traps held off. */
VXAPI double vxexp(double x);
VXAPI double vxpow(double x, double y);

VX_EXTERN_C_END

#endif
