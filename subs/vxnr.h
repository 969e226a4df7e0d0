/* Registry access: one entry per call, by VXChar name.  Getters never fail
 * towards the caller; problems go to the host journal. */
#ifndef VX_SUBS_VXNR_H
#define VX_SUBS_VXNR_H

#include "../mk/vxhost.h"

VX_EXTERN_C_BEGIN

/* What vxnrlget answers for a value that is not an integer. */
#define VXNR_NOT_A_NUMBER (-9007199254740992LL) /* -2^53 */

VXAPI int vxnrtget(VXChar* name, int name_l, VXChar* result, int result_l);
VXAPI int vxnrcget(VXChar* name, int name_l, char* result, int result_l);
VXAPI QORLONG vxnrlget(VXChar* name, int name_l, QORLONG defval);
VXAPI double vxnrdget(VXChar* name, int name_l, double defval);
/* Variable part: pairs (VXChar* keyword, int value) ended by a null keyword. */
VXAPI int vxnrlook(VXChar* name, int name_l, int defval, ...);
VXAPI int vxnrlimit(VXChar* name, int name_l, QORLONG limit);
VXAPI QORLONG vxnrstol(VXChar* text);
VXAPI VXStatus vxnrtset(VXChar* name, int name_l, VXChar* value, int value_l);
VXAPI VXStatus vxnrlset(VXChar* name, int name_l, QORLONG value);
VXAPI VXStatus vxnrdset(VXChar* name, int name_l, double value);

VX_EXTERN_C_END

#endif
