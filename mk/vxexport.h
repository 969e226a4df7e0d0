/* Visibility control for the module's C ABI.
 *
 * The module is built with -fvisibility=hidden; only declarations marked
 * VXAPI appear in the dynamic symbol table of libvxalea.so. */
#ifndef VX_MK_VXEXPORT_H
#define VX_MK_VXEXPORT_H

#define VXAPI __attribute__((visibility("default")))

#ifdef __cplusplus
#define VX_EXTERN_C_BEGIN extern "C" {
#define VX_EXTERN_C_END }
#else
#define VX_EXTERN_C_BEGIN
#define VX_EXTERN_C_END
#endif

#endif
