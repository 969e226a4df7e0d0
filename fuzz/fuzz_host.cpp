#include "fuzz_host.h"

#include "mk/vxbind.h"

VXHost* fuzzHost()
{
    static VXHost* host = [] {
        VXHost* h = vxhost_create();
        size_t major = 0, minor = 0;
        vxextver(vxhost_handle(h), &major, &minor);
        return h;
    }();
    return host;
}
