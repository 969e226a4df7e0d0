/* Embedding the project's host kernel.
 *
 * A VXHost is a small but complete host: memory pools, locks, a journal
 * with a message catalogue, a name-value registry, NLS pipelines, a clock
 * and process statistics, all reached by a module through the VXHndl this
 * host hands out.  Programs (the command-line tool, the tests, examples)
 * create a host, optionally put entries in its registry, load the module
 * by name and then call the module's exported functions.
 *
 * Names and texts at this interface are UTF-8; the registry stores them as
 * VXChar. */
#ifndef VX_HOST_VXHOST_API_H
#define VX_HOST_VXHOST_API_H

#include <stddef.h>
#include <stdint.h>

#include "../mk/vxhost.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VXHost VXHost;
typedef struct VXHostModule VXHostModule;

/* Host statuses beyond those of mk/vxhost.h; the catalogue has texts for them. */
#define VXHOST_STATUS_TRUNCATED ((VXStatus)0x803FC011u)    /* output did not fit */
#define VXHOST_STATUS_INVALID_TEXT ((VXStatus)0x803FC012u) /* input not valid in its encoding */
#define VXHOST_STATUS_LOCK_BUSY ((VXStatus)0x803FC013u)    /* lock held (no-wait get, or by the caller) */
#define VXHOST_STATUS_LOCK_NOT_HELD ((VXStatus)0x803FC014u) /* release by a thread not holding it */
#define VXHOST_STATUS_BAD_SIZE ((VXStatus)0x803FC015u)     /* value size unfit for the entry kind */
#define VXHOST_STATUS_JOURNAL_FAILED ((VXStatus)0x803FC016u) /* a journal write failed (for vxhost_journal_fail) */

/* ---- lifetime ------------------------------------------------------------- */
VXHost* vxhost_create(void);
/* Unloads loaded modules (destroyExtension, dlclose) and releases everything. */
void vxhost_destroy(VXHost* host);
VXHndlp vxhost_handle(VXHost* host);

/* ---- registry (UTF-8 names and texts) ------------------------------------- */
VXStatus vxhost_set_text(VXHost* host, const char* name, const char* value);
VXStatus vxhost_set_long(VXHost* host, const char* name, int64_t value);
VXStatus vxhost_set_double(VXHost* host, const char* name, double value);
VXStatus vxhost_remove(VXHost* host, const char* name);
int vxhost_exists(VXHost* host, const char* name);
/* The read-back functions (exists, kind, get_text, count) look at the entries
 * directly and ignore vxhost_registry_fail; the others go through the
 * handle's nameSet / nameGet and see forced failures as the module does.
 * get_long and get_double convert as nameGet does (no integer from a text).
 * Kind of the entry (VXNameDouble, VXNameQORLong, VXNameString) or 0 when absent. */
int vxhost_kind(VXHost* host, const char* name);
/* Text form of any entry (numbers formatted), NUL-terminated into buf;
 * returns the length needed, or -1 when the entry is absent. */
int vxhost_get_text(VXHost* host, const char* name, char* buf, size_t capacity);
VXStatus vxhost_get_long(VXHost* host, const char* name, int64_t* value);
VXStatus vxhost_get_double(VXHost* host, const char* name, double* value);
/* Make every later registry operation fail with status (0 restores);
 * nameExists then answers false. */
void vxhost_registry_fail(VXHost* host, VXStatus status);
/* Number of registry entries. */
size_t vxhost_registry_count(VXHost* host);

/* ---- journal ----------------------------------------------------------------- */
typedef struct VXJournalLine {
    VXSeverity severity;
    VXStatus code;     /* status of statusToJnl; 0 for messageToJnl lines */
    const char* text;  /* formatted text, UTF-8 */
} VXJournalLine;

size_t vxhost_journal_count(VXHost* host);
/* Line i (0-based), valid until the journal is cleared or the host destroyed. */
int vxhost_journal_line(VXHost* host, size_t i, VXJournalLine* line);
void vxhost_journal_clear(VXHost* host);
/* Copy every new line to stderr as "[severity] 0xCODE text". */
void vxhost_journal_echo(VXHost* host, int on);
/* Make the next `count` journal writes fail with status (count < 0: all;
 * count 0 or status 0 restores). */
void vxhost_journal_fail(VXHost* host, VXStatus status, int count);
/* Remove the default journal from the handle (vxjnl = null) or put it back. */
void vxhost_journal_detach(VXHost* host, int detached);
/* Catalogue text of a code (UTF-8 format), or null when the catalogue has none. */
const char* vxhost_catalogue_text(VXStatus code);
/* The catalogue text of code formatted with the arguments that follow, as
 * statusToJnl would write it (a generic line for unknown codes), into buf
 * (NUL-terminated, cut at a whole character); returns the length needed. */
int vxhost_format_status(char* buf, size_t capacity, VXStatus code, ...);
/* printf-like formatting with the journal's format language; format UTF-8. */
int vxhost_format(char* buf, size_t capacity, const char* format, ...);

/* ---- pools ------------------------------------------------------------------- */
VXPoolh vxhost_pool_create(VXHost* host, const char* name);
/* Live allocations of one pool, and of all pools of the host. */
size_t vxhost_pool_live(VXPoolh pool);
size_t vxhost_live_allocations(VXHost* host);
size_t vxhost_live_pools(VXHost* host);
/* The pool's k-th allocation from now (1 = the next) and every later one
 * fail; k <= 0 turns failures off. */
void vxhost_pool_fail_at(VXPoolh pool, long k);
/* Make the host's next poolCreate / lockCreate calls fail (count < 0: all). */
void vxhost_fail_pool_create(VXHost* host, int count);
void vxhost_fail_lock_create(VXHost* host, int count);
/* Every pool created from now on fails its k-th allocation (0: off). */
void vxhost_fail_new_pools_at(VXHost* host, long k);

/* ---- lock statistics ----------------------------------------------------------- */
/* Number of successful get() calls on all locks of the host so far. */
uint64_t vxhost_lock_acquisitions(VXHost* host);
/* Make lock get() answer status instead of taking the lock (0 restores). */
void vxhost_lock_fail(VXHost* host, VXStatus status);

/* ---- misuse counter --------------------------------------------------------------- */
/* Misuses the host survived: memFree of a pointer its pool does not own,
 * release of a lock the caller does not hold, and the like. */
uint64_t vxhost_host_errors(VXHost* host);

/* ---- clock -------------------------------------------------------------------- */
/* Version of this host: 9.1.1. */
#define VXHOST_VERSION_MAJOR 9
#define VXHOST_VERSION_MINOR 1
#define VXHOST_VERSION_DELTA 1
/* Freeze the clock at seconds (request 16 then always reports gmt =
 * seconds and offset 0, so the module's clock reads exactly seconds), or
 * unfreeze with a NaN. */
void vxhost_clock_freeze(VXHost* host, double seconds);

/* ---- NLS ----------------------------------------------------------------------- */
void vxhost_set_server_role(VXHost* host, uint64_t role);
/* Number of pipelines the NLS extension has made so far. */
size_t vxhost_nls_pipelines_made(VXHost* host);
/* Remove the NLS extension (vxnls = null) or put it back. */
void vxhost_nls_detach(VXHost* host, int detached);

/* ---- loading modules ------------------------------------------------------------ */
/* Finds lib<name>.so on search_path (colon-separated directories; null: the
 * VXHOST_MODULE_PATH environment variable, then the directory
 * ../lib relative to the running executable, then the dynamic loader's
 * default), calls vxextver with the host handle, checks the versions, calls
 * the entry function named <name>, and keeps the extension record.
 * Null on failure; vxhost_last_error tells why. */
VXHostModule* vxhost_load(VXHost* host, const char* name, const char* search_path);
/* Why the last failing load failed; valid until the next failing load. */
const char* vxhost_last_error(VXHost* host);
/* The record returned by the entry function (a VXExtension*). */
void* vxhost_module_extension(VXHostModule* module);
/* Address of an exported symbol of the module, or null. */
void* vxhost_module_symbol(VXHostModule* module, const char* symbol);
const char* vxhost_module_path(VXHostModule* module);
/* Versions read at load time: the host version the module requires
 * (getReqVersion) and the module's own (getVersion); either may be null. */
void vxhost_module_versions(VXHostModule* module, size_t required[3], size_t version[3]);
/* destroyExtension, then dlclose. */
void vxhost_unload(VXHostModule* module);

/* ---- text helpers ----------------------------------------------------------------- */
/* UTF-8 to NUL-terminated VXChar; returns code units written (without NUL). */
size_t vxhost_utf8_to_vxchar(const char* in, VXChar* out, size_t capacity);
/* VXChar (length <= 0: NUL-terminated) to NUL-terminated UTF-8; returns bytes. */
size_t vxhost_vxchar_to_utf8(const VXChar* in, int length, char* out, size_t capacity);

#ifdef __cplusplus
}
#endif

#endif
