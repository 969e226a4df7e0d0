/* The host's lifetime: creating the handle with every service wired in,
 * and tearing everything down again in an order that lets modules still
 * use the services while they are being unloaded. */
#include <cmath>
#include <limits>
#include <new>

#include "host/host_internal.h"

namespace vxh {

void setError(Host* host, std::string text)
{
    std::lock_guard<std::mutex> g(host->errorMu);
    host->lastError = std::move(text);
}

} // namespace vxh

using namespace vxh;

extern "C" {

VXHost* vxhost_create(void)
{
    VXHost* host = new (std::nothrow) VXHost();
    if (!host) return nullptr;
    host->frozenClock.store(std::numeric_limits<double>::quiet_NaN());
    poolsInit(host);
    locksInit(host);
    journalInit(host);
    registryInit(host);
    systemInit(host);
    nlsInit(host);
    return host;
}

void vxhost_destroy(VXHost* host)
{
    if (!host) return;
    /* Modules first: their destructors free into pools, release locks and
     * may still write to the journal. */
    loaderShutdown(host);
    nlsShutdown(host);
    locksShutdown(host);
    poolsShutdown(host);
    delete host;
}

VXHndlp vxhost_handle(VXHost* host) { return host; }

const char* vxhost_last_error(VXHost* host)
{
    if (!host) return "no host";
    std::lock_guard<std::mutex> g(host->errorMu);
    return host->lastError.c_str();
}

uint64_t vxhost_host_errors(VXHost* host) { return host ? host->hostErrors.load() : 0; }

} // extern "C"
