/* Message reporting and the module's status and message codes. */
#ifndef VX_SUBS_ZRNGMSG_H
#define VX_SUBS_ZRNGMSG_H

#include "../mk/vxhost.h"

VX_EXTERN_C_BEGIN

#define ZRNG_CODE(x) ((VXStatus)(x##u))

/* Stream statuses. */
#define ZRNG_S_NOT_INITIALIZED  ZRNG_CODE(0x8C7FE80A)
#define ZRNG_S_BAD_METHOD       ZRNG_CODE(0x8C7FE80B)
#define ZRNG_S_NO_ENGINE        ZRNG_CODE(0x8C7FE80C)
#define ZRNG_S_SEED_IGNORED     ZRNG_CODE(0x8C7FE80D)
#define ZRNG_S_KEY_IGNORED      ZRNG_CODE(0x8C7FE80F)
#define ZRNG_S_BAD_KEY          ZRNG_CODE(0x8C7FE810)
/* Messages passed to zrngmsg. */
#define ZRNG_M_SEED_IGNORED     ZRNG_CODE(0x8C7FE817)
#define ZRNG_M_SEED_REPLACED    ZRNG_CODE(0x8C7FE818)
#define ZRNG_M_SEED_RANGE       ZRNG_CODE(0x8C7FE819)
#define ZRNG_M_KEY_IGNORED      ZRNG_CODE(0x8C7FE81A)
#define ZRNG_M_USER_KEY_BAD     ZRNG_CODE(0x8C7FE81B)
#define ZRNG_M_KEY_TOO_LARGE    ZRNG_CODE(0x8C7FE81C)
#define ZRNG_M_METHOD           ZRNG_CODE(0x8C7FE828)
#define ZRNG_M_METHOD_SEED      ZRNG_CODE(0x8C7FE829)
#define ZRNG_M_METHOD_SEED_KEY  ZRNG_CODE(0x8C7FE82A)
#define ZRNG_M_ENGINE_SETUP     ZRNG_CODE(0x8C7FE851)
#define ZRNG_M_BLOB_SIZE        ZRNG_CODE(0x8C7FE852)
/* Registry access reports. */
#define VXNR_M_NOT_INTEGER      ZRNG_CODE(0x8C7FE8C8)
#define VXNR_M_NOT_KEYWORD      ZRNG_CODE(0x8C7FE8C9)
#define VXNR_M_LIMIT_REACHED    ZRNG_CODE(0x8C7FE8CA)

VXAPI VXStatus zrngmsg(VXSeverity severity, VXStatus msg, ...);

VX_EXTERN_C_END

#endif
