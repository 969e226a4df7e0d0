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
 * VXChar.  The tests' instruments (forced failures, live counters, a frozen
 * clock) are declared apart, in vxhost_testing.h, which is not installed. */
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
/* Kind of the entry (VXNameDouble, VXNameQORLong, VXNameString) or 0 when absent. */
int vxhost_kind(VXHost* host, const char* name);
/* Text form of any entry (numbers formatted), NUL-terminated into buf;
 * returns the length needed, or -1 when the entry is absent. */
int vxhost_get_text(VXHost* host, const char* name, char* buf, size_t capacity);
/* Through the handle's nameGet, converting as it does (no integer from a text). */
VXStatus vxhost_get_long(VXHost* host, const char* name, int64_t* value);
VXStatus vxhost_get_double(VXHost* host, const char* name, double* value);

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
/* Catalogue text of a code (UTF-8 format), or null when the catalogue has none. */
const char* vxhost_catalogue_text(VXStatus code);

/* ---- pools ------------------------------------------------------------------- */
VXPoolh vxhost_pool_create(VXHost* host, const char* name);
/* Live allocations of one pool. */
size_t vxhost_pool_live(VXPoolh pool);

/* ---- version ------------------------------------------------------------------ */
/* Version of this host: 9.1.1. */
#define VXHOST_VERSION_MAJOR 9
#define VXHOST_VERSION_MINOR 1
#define VXHOST_VERSION_DELTA 1

/* ---- NLS ----------------------------------------------------------------------- */
/* Non-zero: the host runs as a server, and all 8-bit text is UTF-8. */
void vxhost_set_server_role(VXHost* host, uint64_t role);

/* ---- loading modules ------------------------------------------------------------ */
/* Finds lib<name>.so on search_path (colon-separated directories; null: the
 * VXHOST_MODULE_PATH environment variable, then the library directory beside
 * the running executable, ../lib or the installed one, then the dynamic
 * loader's default), calls vxextver with the host handle, checks the
 * versions, calls the entry function named <name>, and keeps the extension
 * record.  A library another live host of the process holds is refused: the
 * module keeps one host handle.  Null on failure; vxhost_last_error tells why. */
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
