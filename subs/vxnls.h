/* Text transcoding through the host's NLS pipelines. */
#ifndef VX_SUBS_VXNLS_H
#define VX_SUBS_VXNLS_H

#include "../mk/vxhost.h"

VX_EXTERN_C_BEGIN

VXAPI VXStatus zpvnls(NLScei cei);
VXAPI NLScei zSessCei(void);
VXAPI VXNLSPipelineh zSessToVXChar(void);
VXAPI VXNLSPipelineh zSessFromVXChar(void);
VXAPI VXNLSPipelineh zCompToVXChar(void);
VXAPI VXNLSPipelineh zCompFromVXChar(void);
VXAPI VXLocaleh zLocaleh(void);
/* Converts n bytes of 8-bit text; returns the number of code units written. */
VXAPI int zCharToVXChar(char* in, VXChar* out, int n);
VXAPI VXNLSPipelineh vxzGetTpToUTF8(VXHndlp handle);
VXAPI VXNLSPipelineh vxzGetTpFromUTF8(VXHndlp handle);

VX_EXTERN_C_END

#endif
