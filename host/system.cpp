/* System services: time of day, process statistics and thread records. */
#include <cmath>
#include <ctime>
#include <sys/resource.h>

#include "host/host_internal.h"

namespace vxh {
namespace {

std::atomic<uint64_t> nextThreadId{1};

VXThreadh threadGetHandle(VXHndlp)
{
    /* One record per OS thread for the life of the thread, shared by all
     * hosts in the process: the ID names the thread, not the host. */
    thread_local VXThread record{nextThreadId.fetch_add(1)};
    return &record;
}

void timeOfDay(Host* host, vxzTime_t* t)
{
    double frozen = host->frozenClock.load();
    if (!std::isnan(frozen)) {
        t->gmt = frozen;
        t->offset = 0.0;
        return;
    }
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    t->gmt = static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    time_t now = ts.tv_sec;
    tm local{};
    localtime_r(&now, &local);
    t->offset = -static_cast<double>(local.tm_gmtoff);
}

/* The flag word selects behaviours of the kernel's call that this host does
 * not have; it is not examined. */
VXStatus configureSystem(VXHndlp h, int32_t request, void* data, VXFlags)
{
    if (!h || !data) return VX_STATUS_NULL_ARGUMENT;
    switch (request) {
    case VX_SYS_TIME_OF_DAY:
        timeOfDay(fromHandle(h), static_cast<vxzTime_t*>(data));
        return 0;
    case VX_SYS_PROCESS_STATS: {
        rusage ru{};
        if (getrusage(RUSAGE_SELF, &ru) != 0) return VX_STATUS_UNSUPPORTED;
        auto* st = static_cast<VXProcessStats*>(data);
        st->user_cpu_time = {static_cast<int64_t>(ru.ru_utime.tv_sec), static_cast<int64_t>(ru.ru_utime.tv_usec)};
        st->system_cpu_time = {static_cast<int64_t>(ru.ru_stime.tv_sec), static_cast<int64_t>(ru.ru_stime.tv_usec)};
        return 0;
    }
    default:
        return VX_STATUS_UNSUPPORTED;
    }
}

} // namespace

void systemInit(Host* host)
{
    host->threadGetHandle = threadGetHandle;
    host->ConfigureSystem = configureSystem;
}

} // namespace vxh

extern "C" void vxhost_clock_freeze(VXHost* host, double seconds)
{
    if (host) host->frozenClock.store(seconds);
}
