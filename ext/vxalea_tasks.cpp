/* The shared generator tasks: callers attach to one array of MT64 variate
 * generators, seed it once from a base seed (element i gets base + i), and
 * detach; the last one out frees the array.  The dispatch holds sharedLock
 * when a task starts, and every path of a task releases it. */
#include <cstddef>
#include <cstring>

#include "ext/vxalea.h"
#include "ext/vxalea_tasks.h"

/* The caller's parameter block is a byte layout. */
static_assert(offsetof(vxaleaTaskParms, nGenerators) == 0);
static_assert(offsetof(vxaleaTaskParms, seedWanted) == 4);
static_assert(offsetof(vxaleaTaskParms, seedInUse) == 8);
static_assert(offsetof(vxaleaTaskParms, reserved) == 12);
static_assert(offsetof(vxaleaTaskParms, generators) == 16);
static_assert(offsetof(vxaleaTaskParms, status) == 24);
static_assert(sizeof(vxaleaTaskParms) == 32);

static_assert(offsetof(vxaleaPrivate, sharedLock) == 0);
static_assert(offsetof(vxaleaPrivate, clockBasedSeed) == 8);
static_assert(offsetof(vxaleaPrivate, initialSeed) == 12);
static_assert(offsetof(vxaleaPrivate, nThreads) == 16);
static_assert(offsetof(vxaleaPrivate, streamStatus) == 24);
static_assert(offsetof(vxaleaPrivate, mrsnPtrs) == 32);
static_assert(offsetof(vxaleaPrivate, nCallers) == 40);
static_assert(offsetof(vxaleaPrivate, initialized) == 48);

namespace {

/* Read only; zrngmeth never writes through the name it is given. */
constexpr char kSharedMethod[] = "MT64";

VXStatus release(vxaleaPrivatePtr priv, VXStatus status)
{
    if (priv->sharedLock != nullptr && priv->sharedLock->release != nullptr)
        priv->sharedLock->release(priv->sharedLock);
    return status;
}

/* Base seed + i wraps like 32-bit signed arithmetic, without the overflow. */
int32_t elementSeed(int32_t base, int32_t i)
{
    return static_cast<int32_t>(static_cast<uint32_t>(base) + static_cast<uint32_t>(i));
}

} // namespace

VXStatus vxaleaTaskAttach(VXALEA* ext, vxaleaPrivatePtr priv, vxaleaTaskParms* parms)
{
    if (priv == nullptr) return VX_STATUS_NULL_ARGUMENT;
    if (ext == nullptr || parms == nullptr) return release(priv, VX_STATUS_NULL_ARGUMENT);

    const int32_t n = parms->nGenerators;
    if (priv->mrsnPtrs == nullptr && n > 0) {
        VXPoolh pool = ext->Pool;
        const VXMemSize bytes = static_cast<VXMemSize>(n) * sizeof(MERSENNE_RAND);
        void* array = (pool != nullptr && pool->memAlloc != nullptr)
                          ? pool->memAlloc(pool, bytes, VX_MEM_ZERO)
                          : nullptr;
        /* On failure nothing changes: no caller is counted and the count
         * stays 0, so a later attach may try again. */
        if (array == nullptr) return release(priv, VX_STATUS_NULL_ARGUMENT);
        /* Seeding relies on every field it does not set being zero. */
        std::memset(array, 0, bytes);
        priv->mrsnPtrs = static_cast<MRandPtr>(array);
        priv->nThreads = n;
    }
    priv->nCallers += 1;
    parms->generators = priv->mrsnPtrs;
    return release(priv, 0);
}

VXStatus vxaleaTaskSeed(VXALEA*, vxaleaPrivatePtr priv, vxaleaTaskParms* parms)
{
    if (priv == nullptr) return VX_STATUS_NULL_ARGUMENT;
    if (parms == nullptr) return release(priv, VX_STATUS_NULL_ARGUMENT);

    if (priv->initialized) {
        parms->status |= priv->streamStatus | VXALEA_SEEDED_BEFORE;
        parms->seedInUse = priv->initialSeed;
        parms->generators = priv->mrsnPtrs;
        return release(priv, 0);
    }

    if (parms->seedWanted > 0) {
        priv->initialSeed = parms->seedWanted;
        priv->streamStatus |= VXALEA_SEED_FROM_CALLER;
    } else {
        priv->initialSeed = priv->clockBasedSeed;
        priv->streamStatus |= VXALEA_SEED_FROM_CLOCK;
    }

    if (MRandPtr array = priv->mrsnPtrs; array != nullptr) {
        for (int32_t i = 0; i < priv->nThreads; ++i) {
            MRandPtr element = &array[i];
            element->UserSeed = static_cast<double>(elementSeed(priv->initialSeed, i));
            element->UserMethod = const_cast<char*>(kSharedMethod);
            zmrsrnd(element);
        }
    }

    parms->status |= priv->streamStatus;
    priv->initialized = 1;
    parms->seedInUse = priv->initialSeed;
    parms->generators = priv->mrsnPtrs;
    return release(priv, 0);
}

VXStatus vxaleaTaskDetach(VXALEA* ext, vxaleaPrivatePtr priv, vxaleaTaskParms*)
{
    if (priv == nullptr) return VX_STATUS_NULL_ARGUMENT;
    /* A detach with nobody attached changes nothing: the count never goes
     * negative, so the array is still freed by the last real caller. */
    if (priv->nCallers <= 0) return release(priv, 0);

    priv->nCallers -= 1;
    if (priv->nCallers == 0) {
        VXPoolh pool = ext != nullptr ? ext->Pool : nullptr;
        if (priv->mrsnPtrs != nullptr && pool != nullptr && pool->memFree != nullptr)
            pool->memFree(pool, priv->mrsnPtrs);
        priv->nThreads = 0;
        priv->streamStatus = 0;
        priv->mrsnPtrs = nullptr;
        priv->initialized = 0;
        priv->clockBasedSeed = 0;
        priv->initialSeed = 0;
    }
    return release(priv, static_cast<VXStatus>(priv->nCallers));
}
