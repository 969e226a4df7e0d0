/* Memory pools.  A pool remembers every block it handed out, so destroying
 * it releases everything still allocated and a free of a foreign pointer
 * can be recognised and survived instead of corrupting the heap. */
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/host_internal.h"

namespace vxh {
namespace {

/* Generous alignment: engine state blocks may hold vector-aligned words. */
constexpr size_t kAlign = 64;
/* Memory handed out without the zero-fill flag gets this pattern, so code
 * that silently relies on zeroed memory shows itself. */
constexpr unsigned char kGarbage = 0xA5;

void* poolAlloc(VXPoolh p, VXMemSize size, VXFlags flags)
{
    if (!p) return nullptr;
    Pool* pool = static_cast<Pool*>(p);
    std::lock_guard<std::mutex> g(pool->mu);
    ++pool->attempts;
    if (pool->failFrom > 0 && pool->attempts >= pool->failFrom) return nullptr;
    if (size > (static_cast<size_t>(-1) - kAlign)) return nullptr;
    /* Zero-byte requests still get a distinct block that can be freed. */
    size_t rounded = (size == 0 ? kAlign : (size + kAlign - 1) / kAlign * kAlign);
    void* mem = std::aligned_alloc(kAlign, rounded);
    if (!mem) return nullptr;
    try {
        pool->blocks.emplace(mem, size);
    } catch (...) {
        std::free(mem);
        return nullptr;
    }
    std::memset(mem, (pool->zeroAll || (flags & VX_MEM_ZERO)) ? 0 : kGarbage, rounded);
    pool->host->liveAllocations.fetch_add(1);
    return mem;
}

void poolFree(VXPoolh p, void* mem)
{
    if (!p || !mem) return;
    Pool* pool = static_cast<Pool*>(p);
    {
        std::lock_guard<std::mutex> g(pool->mu);
        auto it = pool->blocks.find(mem);
        if (it == pool->blocks.end()) {
            pool->host->hostErrors.fetch_add(1);
            return;
        }
        pool->blocks.erase(it);
    }
    std::free(mem);
    pool->host->liveAllocations.fetch_sub(1);
}

void releaseAll(Pool* pool)
{
    std::lock_guard<std::mutex> g(pool->mu);
    for (auto& [mem, size] : pool->blocks) {
        (void)size;
        std::free(mem);
        pool->host->liveAllocations.fetch_sub(1);
    }
    pool->blocks.clear();
}

void poolDestroy(VXPoolh p)
{
    if (!p) return;
    Pool* pool = static_cast<Pool*>(p);
    Host* host = pool->host;
    {
        std::lock_guard<std::mutex> g(host->poolsMu);
        if (host->pools.erase(pool) == 0) {
            host->hostErrors.fetch_add(1);
            return;
        }
    }
    releaseAll(pool);
    delete pool;
}

/* Consumes one failure from a "fail the next n" counter; n < 0 fails forever. */
bool takeFailure(std::atomic<int>& counter)
{
    int n = counter.load();
    while (n != 0) {
        if (n < 0) return true;
        if (counter.compare_exchange_weak(n, n - 1)) return true;
    }
    return false;
}

VXPoolh handlePoolCreate(VXHndlp h, const VXPoolParms* parms, VXJnlh, const char* name)
{
    if (!h) return nullptr;
    Host* host = fromHandle(h);
    if (takeFailure(host->failPoolCreate)) return nullptr;
    return poolMake(host, parms, name);
}

} // namespace

Pool* poolMake(Host* host, const VXPoolParms* parms, const char* name)
{
    Pool* pool = new (std::nothrow) Pool();
    if (!pool) return nullptr;
    pool->memAlloc = poolAlloc;
    pool->memFree = poolFree;
    pool->destroy = poolDestroy;
    pool->host = host;
    pool->zeroAll = parms && (parms->flags & VX_MEM_ZERO);
    try {
        pool->name = name ? name : "";
        long k = host->failNewPoolsAt.load();
        if (k > 0) pool->failFrom = k;
        std::lock_guard<std::mutex> g(host->poolsMu);
        host->pools.insert(pool);
    } catch (...) {
        delete pool;
        return nullptr;
    }
    return pool;
}

void poolsInit(Host* host) { host->poolCreate = handlePoolCreate; }

void poolsShutdown(Host* host)
{
    std::unordered_set<Pool*> left;
    {
        std::lock_guard<std::mutex> g(host->poolsMu);
        left.swap(host->pools);
    }
    for (Pool* pool : left) {
        releaseAll(pool);
        delete pool;
    }
}

bool takeCreateFailure(std::atomic<int>& counter) { return takeFailure(counter); }

} // namespace vxh

using namespace vxh;

extern "C" {

VXPoolh vxhost_pool_create(VXHost* host, const char* name)
{
    if (!host) return nullptr;
    return poolMake(host, nullptr, name);
}

size_t vxhost_pool_live(VXPoolh p)
{
    if (!p) return 0;
    Pool* pool = static_cast<Pool*>(p);
    std::lock_guard<std::mutex> g(pool->mu);
    return pool->blocks.size();
}

size_t vxhost_live_allocations(VXHost* host) { return host ? host->liveAllocations.load() : 0; }

size_t vxhost_live_pools(VXHost* host)
{
    if (!host) return 0;
    std::lock_guard<std::mutex> g(host->poolsMu);
    return host->pools.size();
}

void vxhost_pool_fail_at(VXPoolh p, long k)
{
    if (!p) return;
    Pool* pool = static_cast<Pool*>(p);
    std::lock_guard<std::mutex> g(pool->mu);
    pool->failFrom = k > 0 ? pool->attempts + k : 0;
}

void vxhost_fail_pool_create(VXHost* host, int count)
{
    if (host) host->failPoolCreate.store(count);
}

void vxhost_fail_lock_create(VXHost* host, int count)
{
    if (host) host->failLockCreate.store(count);
}

void vxhost_fail_new_pools_at(VXHost* host, long k)
{
    if (host) host->failNewPoolsAt.store(k > 0 ? k : 0);
}

} // extern "C"
