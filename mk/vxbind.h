/* Host binding: the module's one global, how the host stores it, and the
 * module's clock reader. */
#ifndef VX_MK_VXBIND_H
#define VX_MK_VXBIND_H

#include "vxhost.h"

VX_EXTERN_C_BEGIN

/* The host handle; null until the host stores it, never cleared. */
VXAPI extern VXHndlp Exported_VXHandle;

VXAPI void vxextent(VXHndlp hndl);
VXAPI int vxextver(VXHndlp hndl, size_t* major, size_t* minor);
/* Time of day in seconds (gmt - offset), as the host reports it. */
VXAPI double vxzdttme(void);

VX_EXTERN_C_END

#endif
