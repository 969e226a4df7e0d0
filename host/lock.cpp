/* Locks.  Not recursive, like the kernel's own: a second get by the thread
 * that holds the lock answers a status instead of deadlocking, and a
 * release by a thread that does not hold it is refused and counted. */
#include <new>

#include "host/host_internal.h"

namespace vxh {
namespace {

VXStatus lockGet(VXLockh l, int32_t /*exclusive: all locks are exclusive*/, int32_t wait)
{
    if (!l) return VX_STATUS_NULL_ARGUMENT;
    Lock* lock = static_cast<Lock*>(l);
    VXStatus forced = lock->host->lockFailStatus.load();
    if (forced != 0) return forced;
    std::unique_lock<std::mutex> g(lock->mu);
    const std::thread::id self = std::this_thread::get_id();
    if (lock->held && lock->owner == self) {
        lock->host->hostErrors.fetch_add(1);
        return VXHOST_STATUS_LOCK_BUSY;
    }
    if (lock->held && !wait) return VXHOST_STATUS_LOCK_BUSY;
    lock->cv.wait(g, [lock] { return !lock->held; });
    lock->held = true;
    lock->owner = self;
    lock->host->lockAcquisitions.fetch_add(1);
    return 0;
}

VXStatus lockRelease(VXLockh l)
{
    if (!l) return VX_STATUS_NULL_ARGUMENT;
    Lock* lock = static_cast<Lock*>(l);
    {
        std::lock_guard<std::mutex> g(lock->mu);
        if (!lock->held || lock->owner != std::this_thread::get_id()) {
            lock->host->hostErrors.fetch_add(1);
            return VXHOST_STATUS_LOCK_NOT_HELD;
        }
        lock->held = false;
        lock->owner = std::thread::id();
    }
    lock->cv.notify_one();
    return 0;
}

void lockDestroy(VXLockh l)
{
    if (!l) return;
    Lock* lock = static_cast<Lock*>(l);
    Host* host = lock->host;
    {
        std::lock_guard<std::mutex> g(host->locksMu);
        if (host->locks.erase(lock) == 0) {
            host->hostErrors.fetch_add(1);
            return;
        }
    }
    delete lock;
}

VXLockh handleLockCreate(VXHndlp h, const VXLockParms*, VXJnlh, const char*)
{
    if (!h) return nullptr;
    Host* host = fromHandle(h);
    if (takeCreateFailure(host->failLockCreate)) return nullptr;
    Lock* lock = new (std::nothrow) Lock();
    if (!lock) return nullptr;
    lock->get = lockGet;
    lock->release = lockRelease;
    lock->destroy = lockDestroy;
    lock->host = host;
    try {
        std::lock_guard<std::mutex> g(host->locksMu);
        host->locks.insert(lock);
    } catch (...) {
        delete lock;
        return nullptr;
    }
    return lock;
}

} // namespace

void locksInit(Host* host) { host->lockCreate = handleLockCreate; }

void locksShutdown(Host* host)
{
    std::unordered_set<Lock*> left;
    {
        std::lock_guard<std::mutex> g(host->locksMu);
        left.swap(host->locks);
    }
    for (Lock* lock : left) delete lock;
}

} // namespace vxh

using namespace vxh;

extern "C" {

uint64_t vxhost_lock_acquisitions(VXHost* host) { return host ? host->lockAcquisitions.load() : 0; }

void vxhost_lock_fail(VXHost* host, VXStatus status)
{
    if (host) host->lockFailStatus.store(status);
}

} // extern "C"
