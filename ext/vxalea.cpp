/* The entry function, the extension record the host drives and the task
 * dispatch.  Everything the entry makes lives in the module's own pool, so
 * destroying the pool is the whole clean-up. */
#include <cmath>
#include <cstddef>
#include <cstring>

#include "ext/vxalea.h"
#include "ext/vxalea_tasks.h"
#include "mk/vxbind.h"

/* The host and the cooperating callers read these records by offset. */
static_assert(offsetof(VXExtension, generic) == 0);
static_assert(offsetof(VXExtension, getReqVersion) == 24);
static_assert(offsetof(VXExtension, getVersion) == 32);
static_assert(offsetof(VXExtension, hndl) == 40);
static_assert(offsetof(VXExtension, realDestroy) == 48);
static_assert(offsetof(VXExtension, findFunction) == 56);
static_assert(offsetof(VXExtension, handle) == 64);
static_assert(sizeof(VXExtension) == 72);

static_assert(offsetof(VXALEA, generic) == 0);
static_assert(offsetof(VXALEA, Pool) == 72);
static_assert(offsetof(VXALEA, privatePtr) == 80);
static_assert(offsetof(VXALEA, runTask) == 88);
static_assert(sizeof(VXALEA) == 96);

static_assert(offsetof(vxaleaPrivate, sharedLock) == 0);
static_assert(offsetof(vxaleaPrivate, clockBasedSeed) == 8);
static_assert(offsetof(vxaleaPrivate, initialSeed) == 12);
static_assert(offsetof(vxaleaPrivate, nThreads) == 16);
static_assert(offsetof(vxaleaPrivate, streamStatus) == 24);
static_assert(offsetof(vxaleaPrivate, mrsnPtrs) == 32);
static_assert(offsetof(vxaleaPrivate, nCallers) == 40);
static_assert(offsetof(vxaleaPrivate, initialized) == 48);
static_assert(sizeof(vxaleaPrivate) == 56);

static_assert(offsetof(vxaleaTaskParms, nGenerators) == 0);
static_assert(offsetof(vxaleaTaskParms, seedWanted) == 4);
static_assert(offsetof(vxaleaTaskParms, seedInUse) == 8);
static_assert(offsetof(vxaleaTaskParms, reserved) == 12);
static_assert(offsetof(vxaleaTaskParms, generators) == 16);
static_assert(offsetof(vxaleaTaskParms, status) == 24);
static_assert(sizeof(vxaleaTaskParms) == 32);

static_assert(offsetof(vxaleaBuildInfo, buildEpoch) == 208);
static_assert(offsetof(vxaleaBuildInfo, productNumber) == 216);
static_assert(sizeof(vxaleaBuildInfo) == 224);

namespace {

VXStatus getReqVersion(VXExtensionh, size_t* major, size_t* minor, size_t* delta)
{
    if (major) *major = 9;
    if (minor) *minor = 1;
    if (delta) *delta = 1;
    return 0;
}

VXStatus getVersion(VXExtensionh, size_t* major, size_t* minor, size_t* delta)
{
    if (major) *major = 1;
    if (minor) *minor = 0;
    if (delta) *delta = 0;
    return 0;
}

VXStatus destroyExtension(VXExtensionh p)
{
    if (!p) return 0;
    VXALEA* ext = reinterpret_cast<VXALEA*>(p);
    auto* priv = static_cast<vxaleaPrivatePtr>(ext->privatePtr);
    if (priv && priv->sharedLock) {
        VXLockh lock = priv->sharedLock;
        lock->destroy(lock);
        priv->sharedLock = nullptr;
    }
    VXPoolh pool = ext->Pool;
    if (pool) pool->destroy(pool); /* releases ext and priv too */
    return 0;
}

VXStatus runTask(vxaleaExtPtr extPtr, int32_t taskType, VXMemPtr parms, VXMemSize)
{
    if (taskType != VXALEA_TASK_ATTACH && taskType != VXALEA_TASK_SEED &&
        taskType != VXALEA_TASK_DETACH)
        return VX_STATUS_UNSUPPORTED;
    /* Checked before the lock is taken so that a bad call cannot leave the
     * lock held: the tasks themselves assume a record and a block. */
    if (!extPtr || !parms) return VX_STATUS_NULL_ARGUMENT;
    auto* priv = static_cast<vxaleaPrivatePtr>(extPtr->privatePtr);
    if (!priv || !priv->sharedLock) return VX_STATUS_NULL_ARGUMENT;

    VXLockh lock = priv->sharedLock;
    if (lock->get(lock, 1, 1) != 0) return 0;

    auto* block = static_cast<vxaleaTaskParms*>(parms);
    switch (taskType) {
    case VXALEA_TASK_ATTACH: return vxaleaTaskAttach(extPtr, priv, block);
    case VXALEA_TASK_SEED: return vxaleaTaskSeed(extPtr, priv, block);
    default: return vxaleaTaskDetach(extPtr, priv, block);
    }
}

/* frac(t / 1000) spread over 1..1e9.  A clock that is not a finite number
 * (a broken host) still gives a valid seed, 1. */
int32_t clockSeed(double t)
{
    double x = t * 0.001;
    double frac = x - std::floor(x);
    double s = std::floor(frac * 1000000000.0) + 1.0;
    if (!(s >= 1.0)) return 1;
    if (s > 1000000000.0) return 1000000000;
    return static_cast<int32_t>(s);
}

/* The build identification is fixed per release rather than taken from the
 * compiler's date and time, so that two builds of one release are
 * byte-identical; buildEpoch is the release date at 00:00 UTC. */
constexpr vxaleaBuildInfo kBuildInfo = {
    "2026-12-06",
    "vxalea",
    "1.0.0",
    "0",
    "Pseudo-random numbers, variates and hashing for the host kernel",
    "00:00:00",
    1796515200,
    1,
};

} // namespace

extern "C" {

VXAPI VXExtensionh vxalea(VXHndlp, VXJnlh)
{
    VXHndlp h = Exported_VXHandle;
    if (!h || !h->poolCreate || !h->lockCreate) return nullptr;

    VXPoolParms pparms{VX_MEM_ZERO, 0, nullptr};
    VXPoolh pool = h->poolCreate(h, &pparms, nullptr, "WORKPOOL");
    if (!pool) return nullptr;

    auto* ext = static_cast<VXALEA*>(pool->memAlloc(pool, sizeof(VXALEA), VX_MEM_ZERO));
    auto* priv = ext ? static_cast<vxaleaPrivatePtr>(pool->memAlloc(pool, sizeof(vxaleaPrivate), VX_MEM_ZERO))
                     : nullptr;
    if (!ext || !priv) {
        pool->destroy(pool);
        return nullptr;
    }
    std::memset(static_cast<void*>(ext), 0, sizeof *ext);
    std::memset(static_cast<void*>(priv), 0, sizeof *priv);

    VXLockParms lparms{};
    priv->sharedLock = h->lockCreate(h, &lparms, nullptr, nullptr);
    if (!priv->sharedLock) {
        pool->destroy(pool);
        return nullptr;
    }

    ext->Pool = pool;
    ext->privatePtr = priv;
    ext->generic.getReqVersion = getReqVersion;
    ext->generic.getVersion = getVersion;
    ext->generic.realDestroy = destroyExtension;
    ext->runTask = runTask;
    priv->clockBasedSeed = clockSeed(vxzdttme());
    return &ext->generic;
}

VXAPI void vxvercn1(vxaleaBuildInfo* record)
{
    if (record) *record = kBuildInfo;
}

} // extern "C"
