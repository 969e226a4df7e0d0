/* The module's entry function, which the host calls after binding its
 * handle, with the records it returns (vxalea_records.h). */
#ifndef VX_EXT_VXALEA_H
#define VX_EXT_VXALEA_H

#include "vxalea_records.h"

VX_EXTERN_C_BEGIN

/* Both arguments are ignored; the handle must already be stored by vxextver
 * or vxextent.  The extension record, or null. */
VXAPI VXExtensionh vxalea(VXHndlp hndl, VXJnlh jnlh);

VX_EXTERN_C_END

#endif
