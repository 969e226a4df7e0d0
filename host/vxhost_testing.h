/* The host's instruments for tests: forced failures, counters of what is
 * live, a frozen clock.  Not installed: a program embedding the host has
 * vxhost_api.h, and these exist so that tests can drive the module into the
 * corners a real host seldom reaches. */
#ifndef VX_HOST_VXHOST_TESTING_H
#define VX_HOST_VXHOST_TESTING_H

#include "vxhost_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- registry ------------------------------------------------------------------ */
/* Make every later registry operation fail with status (0 restores);
 * nameExists then answers false.  The read-back functions of vxhost_api.h
 * look at the entries directly and ignore it. */
void vxhost_registry_fail(VXHost* host, VXStatus status);
/* Number of registry entries. */
size_t vxhost_registry_count(VXHost* host);

/* ---- journal ------------------------------------------------------------------- */
/* Make the next `count` journal writes fail with status (count < 0: all;
 * count 0 or status 0 restores). */
void vxhost_journal_fail(VXHost* host, VXStatus status, int count);
/* Remove the default journal from the handle (vxjnl = null) or put it back. */
void vxhost_journal_detach(VXHost* host, int detached);
/* The catalogue text of code formatted with the arguments that follow, as
 * statusToJnl would write it (a generic line for unknown codes), into buf
 * (NUL-terminated, cut at a whole character); returns the length needed. */
int vxhost_format_status(char* buf, size_t capacity, VXStatus code, ...);
/* printf-like formatting with the journal's format language; format UTF-8. */
int vxhost_format(char* buf, size_t capacity, const char* format, ...);

/* ---- pools --------------------------------------------------------------------- */
/* Live allocations of all pools of the host, and the number of live pools. */
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

/* ---- locks --------------------------------------------------------------------- */
/* Number of successful get() calls on all locks of the host so far. */
uint64_t vxhost_lock_acquisitions(VXHost* host);
/* Make lock get() answer status instead of taking the lock (0 restores). */
void vxhost_lock_fail(VXHost* host, VXStatus status);

/* ---- misuse counter ------------------------------------------------------------ */
/* Misuses the host survived: memFree of a pointer its pool does not own,
 * release of a lock the caller does not hold, and the like. */
uint64_t vxhost_host_errors(VXHost* host);

/* ---- clock --------------------------------------------------------------------- */
/* Freeze the clock at seconds (request 16 then always reports gmt =
 * seconds and offset 0, so the module's clock reads exactly seconds), or
 * unfreeze with a NaN. */
void vxhost_clock_freeze(VXHost* host, double seconds);

/* ---- NLS ----------------------------------------------------------------------- */
/* Number of pipelines the NLS extension has made so far. */
size_t vxhost_nls_pipelines_made(VXHost* host);
/* Remove the NLS extension (vxnls = null) or put it back. */
void vxhost_nls_detach(VXHost* host, int detached);

#ifdef __cplusplus
}
#endif

#endif
