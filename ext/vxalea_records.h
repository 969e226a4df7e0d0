/* The extension record the host drives, its private record and the task
 * parameter block of runTask.  The entry function that makes the record is
 * declared in vxalea.h: it is named after the module, and C++ code with a
 * namespace of that name (the C++ layer) includes these records alone. */
#ifndef VX_EXT_VXALEA_RECORDS_H
#define VX_EXT_VXALEA_RECORDS_H

#include "../subs/zrand.h"

VX_EXTERN_C_BEGIN

typedef struct VXExtension VXExtension;
typedef VXExtension* VXExtensionh;

/* The host's extension header. */
struct VXExtension {
    struct {
        uint32_t oven;
        const char* name;
        VXStatus (*destroy)(VXExtensionh ext);
    } generic;
    VXStatus (*getReqVersion)(VXExtensionh ext, size_t* major, size_t* minor, size_t* delta);
    VXStatus (*getVersion)(VXExtensionh ext, size_t* major, size_t* minor, size_t* delta);
    VXHndlp hndl;
    VXStatus (*realDestroy)(VXExtensionh ext);
    void* (*findFunction)(VXExtensionh ext, const char* name);
    void* handle;
};

typedef struct VXALEA VXALEA;
typedef VXALEA* vxaleaExtPtr;

struct VXALEA {
    VXExtension generic;
    VXPoolh Pool;
    void* privatePtr;
    VXStatus (*runTask)(vxaleaExtPtr extPtr, int32_t taskType, VXMemPtr parms, VXMemSize parmsSize);
};

/* streamStatus bits and the task block's status bits. */
#define VXALEA_SEED_FROM_CLOCK  0x2u
#define VXALEA_SEED_FROM_CALLER 0x8u
#define VXALEA_SEEDED_BEFORE    0x10u

typedef struct vxaleaPrivate {
    VXLockh sharedLock;
    int32_t clockBasedSeed;
    int32_t initialSeed;
    int32_t nThreads;
    uint64_t streamStatus;
    MRandPtr mrsnPtrs;
    int64_t nCallers;
    VXBoolean initialized;
} vxaleaPrivate;
typedef vxaleaPrivate* vxaleaPrivatePtr;

/* runTask task types. */
enum { VXALEA_TASK_ATTACH = 1, VXALEA_TASK_SEED = 2, VXALEA_TASK_DETACH = 3 };

/* The caller's parameter block of runTask. */
typedef struct vxaleaTaskParms {
    int32_t nGenerators;   /* in, task 1 */
    int32_t seedWanted;    /* in, task 2; <= 0: the clock-based seed */
    int32_t seedInUse;     /* out, task 2 */
    uint8_t reserved[4];
    MRandPtr generators;   /* out, tasks 1 and 2 */
    uint64_t status;       /* in/out, task 2 */
} vxaleaTaskParms;

/* Build identification copied out by vxvercn1. */
typedef struct vxaleaBuildInfo {
    char buildDate[32];
    char product[32];
    char version[16];
    char hotfix[16];
    char description[80];
    char buildTime[32];
    int64_t buildEpoch;
    int32_t productNumber;
} vxaleaBuildInfo;

VXAPI void vxvercn1(vxaleaBuildInfo* record);

VX_EXTERN_C_END

#endif
