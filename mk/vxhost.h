/* The host kernel as the module sees it.
 *
 * Everything the module needs from its host is reached through one handle
 * (struct VXHndl), stored in Exported_VXHandle before anything else runs.
 * The records below are the host's; the module only calls through their
 * function pointers and reads the fields it is documented to read.  The
 * project's own host (host/) fills them in; any host that does so will do.
 *
 * Every host operation takes the object it belongs to as first argument, so
 * several hosts can live in one process (the tests make one per case). */
#ifndef VX_MK_VXHOST_H
#define VX_MK_VXHOST_H

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

#include "vxexport.h"

VX_EXTERN_C_BEGIN

/* ---- scalar types -------------------------------------------------------- */
typedef int32_t VXStatus;   /* 0 = success */
typedef int32_t VXSeverity;
typedef uint32_t VXChar;    /* one 32-bit code unit */
typedef int32_t VXStrSize;  /* text length in code units; <= 0: NUL-terminated */
typedef int64_t QORLONG;
typedef size_t VXMemSize;
typedef uint8_t VXBoolean;
typedef uint32_t VXFlags;
typedef void* VXMemPtr;
typedef int32_t NLScei;     /* encoding number */

enum {
    VXSeverityNull = 0,
    VXSeverityNone = 1,
    VXSeverityNote = 2,
    VXSeverityWarning = 3,
    VXSeverityError = 4
};

/* Registry entry kinds. */
enum { VXNameDouble = 2, VXNameQORLong = 3, VXNameString = 4 };

/* Encoding numbers. */
enum { U_UTF8_CE = 20, U_WLATIN1_CE = 62 };

#define VX_MEM_ZERO 0x80000000u          /* memAlloc / poolCreate: zero-filled */

/* Host status codes the module passes on or relies on. */
#define VX_STATUS_NULL_ARGUMENT ((VXStatus)0x803FC002u)  /* null argument, allocation failure */
#define VX_STATUS_UNSUPPORTED ((VXStatus)0x803FC009u)  /* request not recognised */
#define VX_STATUS_WRONG_KIND ((VXStatus)0x803FC264u)  /* registry entry of another kind */
#define VX_STATUS_NOT_FOUND ((VXStatus)0x803FC26Au)  /* registry entry absent */

/* ---- handles ------------------------------------------------------------- */
typedef struct VXHndl* VXHndlp;
typedef struct VXPool* VXPoolh;
typedef struct VXLock* VXLockh;
typedef struct VXJnl* VXJnlh;
typedef struct VXNLSPipeline* VXNLSPipelineh;
typedef struct VXNLSExt* VXNLSExth;
typedef void* VXLocaleh;
typedef struct VXThread* VXThreadh;

/* ---- memory pools -------------------------------------------------------- */
typedef struct VXPoolParms {
    VXFlags flags;       /* 0x80000000: allocations are zero-filled */
    VXMemSize initial;   /* initial size hint; 0 = host default */
    void* numaNode;      /* null = any node */
} VXPoolParms;

struct VXPool {
    void* (*memAlloc)(VXPoolh pool, VXMemSize size, VXFlags flags); /* null on failure */
    void (*memFree)(VXPoolh pool, void* p);
    void (*destroy)(VXPoolh pool); /* releases the pool and all its memory */
};

/* ---- locks --------------------------------------------------------------- */
typedef struct VXLockParms {
    uint64_t reserved[4];
} VXLockParms;

struct VXLock {
    VXStatus (*get)(VXLockh lock, int32_t exclusive, int32_t wait); /* 0 once held */
    VXStatus (*release)(VXLockh lock);
    void (*destroy)(VXLockh lock);
};

/* ---- journal --------------------------------------------------------------
 * Formats are VXChar text.  Conversions the module uses: %s and %.*S for
 * VXChar text, %hs for 8-bit text, %i %3i %lli %20g %8x %16llx; the host
 * accepts the usual printf flags, widths, precisions and length modifiers. */
struct VXJnl {
    VXStatus (*messageToJnl)(VXJnlh jnl, VXSeverity severity, const VXChar* format,
                             VXStrSize format_l, va_list args);
    VXStatus (*statusToJnl)(VXJnlh jnl, VXSeverity severity, VXStatus status, va_list args);
};

/* ---- NLS ------------------------------------------------------------------- */
struct VXNLSPipeline {
    /* Converts in_bytes bytes of input into out (capacity in bytes); stores
     * the number of bytes written.  Non-zero status: partial result. */
    VXStatus (*Transcode)(VXNLSPipelineh pipeline, const void* in, VXMemSize in_bytes, void* out,
                          VXMemSize out_capacity, VXMemSize* written, VXFlags options);
    void (*destroy)(VXNLSPipelineh pipeline);
};

struct VXNLSExt {
    /* Pipelines between an encoding and VXChar; null when the encoding is unknown. */
    VXNLSPipelineh (*makeToVXChar)(VXNLSExth ext, NLScei cei, int32_t a, int32_t b);
    VXNLSPipelineh (*makeFromVXChar)(VXNLSExth ext, NLScei cei, int32_t a, int32_t b);
    VXChar (*toUpper)(VXNLSExth ext, VXChar c); /* upper case of one code unit */
};

typedef struct VXNLSExtended {
    VXNLSPipelineh toUTF8;   /* VXChar -> UTF-8 */
    VXNLSPipelineh fromUTF8; /* UTF-8 -> VXChar */
} VXNLSExtended;

typedef struct VXNLSRecord {
    VXLocaleh Localeh;
    VXNLSPipelineh toCompiler;   /* VXChar -> the encoding of the module's own text */
    VXNLSPipelineh fromCompiler; /* the encoding of the module's own text -> VXChar */
    NLScei SessCei;              /* active encoding; 0 = not set */
    VXNLSPipelineh SessToVXChar; /* active encoding -> VXChar, made lazily */
    VXNLSPipelineh SessFromVXChar;
    VXNLSExtended* extended;
} VXNLSRecord;

typedef struct VXServerData {
    uint64_t server_role; /* non-zero: the host runs as a server, all 8-bit text is UTF-8 */
} VXServerData;

/* ---- threads and system services ---------------------------------------- */
struct VXThread {
    uint64_t vxtID; /* distinct per OS thread */
};

typedef struct vxzTime_t {
    double gmt;    /* seconds of the current time */
    double offset; /* seconds to subtract for local time */
} vxzTime_t;

typedef struct VXTimeValue {
    int64_t seconds;
    int64_t microseconds;
} VXTimeValue;

typedef struct VXProcessStats {
    VXTimeValue user_cpu_time;
    VXTimeValue system_cpu_time;
} VXProcessStats;

enum { VX_SYS_PROCESS_STATS = 8, VX_SYS_TIME_OF_DAY = 16 };

/* ---- the handle ------------------------------------------------------------ */
struct VXHndl {
    VXPoolh (*poolCreate)(VXHndlp h, const VXPoolParms* parms, VXJnlh jnl, const char* name);
    VXLockh (*lockCreate)(VXHndlp h, const VXLockParms* parms, VXJnlh jnl, const char* name);
    VXJnlh vxjnl; /* default journal; null: nothing is written */

    VXBoolean (*nameExists)(VXHndlp h, const VXChar* name, VXStrSize name_l);
    /* size: in, capacity in bytes; out, bytes stored. */
    VXStatus (*nameGet)(VXHndlp h, const VXChar* name, VXStrSize name_l, int32_t kind, void* buffer,
                        VXMemSize* size);
    VXStatus (*nameSet)(VXHndlp h, const VXChar* name, VXStrSize name_l, VXFlags flags, int32_t kind,
                        const void* value, VXMemSize size, void* reserved, int32_t reserved_l);

    VXThreadh (*threadGetHandle)(VXHndlp h);
    /* 16: data is a vxzTime_t; 8: data is a VXProcessStats. */
    VXStatus (*ConfigureSystem)(VXHndlp h, int32_t request, void* data, VXFlags flags);

    VXNLSExth vxnls;        /* NLS extension; may be null */
    VXNLSRecord* nls;       /* NLS record; may be null */
    VXServerData* server;   /* server data; may be null */
};

/* Variable-argument forwarders to the journal. */
static inline VXStatus vxlMessageToJnl(VXJnlh jnl, VXSeverity severity, const VXChar* format,
                                       VXStrSize format_l, ...)
{
    va_list ap;
    va_start(ap, format_l);
    VXStatus s = jnl->messageToJnl(jnl, severity, format, format_l, ap);
    va_end(ap);
    return s;
}

static inline VXStatus vxlStatusToJnl(VXJnlh jnl, VXSeverity severity, VXStatus status, ...)
{
    va_list ap;
    va_start(ap, status);
    VXStatus s = jnl->statusToJnl(jnl, severity, status, ap);
    va_end(ap);
    return s;
}

VX_EXTERN_C_END

#ifdef __cplusplus
/* VXChar literal: VXT("text") */
#define VXT(s) (reinterpret_cast<const VXChar*>(U"" s))
#endif

#endif
