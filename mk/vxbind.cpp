/* Host binding and the module's clock. */
#include <cmath>
#include <ctime>

#include "mk/vxbind.h"

extern "C" {

VXAPI VXHndlp Exported_VXHandle = nullptr;

VXAPI void vxextent(VXHndlp hndl) { Exported_VXHandle = hndl; }

VXAPI int vxextver(VXHndlp hndl, size_t* major, size_t* minor)
{
    if (major) *major = 9;
    if (minor) *minor = 1;
    Exported_VXHandle = hndl;
    return 0;
}

/* Without a host, or when the host refuses request 16, the module still needs
 * a moving clock (the seed sources poll it until it changes), so it reads the
 * wall clock itself and shifts it to local time the way the host would:
 * gmt - offset with offset = -(seconds east of UTC). */
VXAPI double vxzdttme(void)
{
    VXHndlp h = Exported_VXHandle;
    if (h && h->ConfigureSystem) {
        vxzTime_t t{0.0, 0.0};
        if (h->ConfigureSystem(h, VX_SYS_TIME_OF_DAY, &t, 0x10800000u) == 0) return t.gmt - t.offset;
    }
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    time_t secs = ts.tv_sec;
    tm local{};
    double east = 0.0;
    if (localtime_r(&secs, &local)) east = static_cast<double>(local.tm_gmtoff);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9 + east;
}

} // extern "C"
