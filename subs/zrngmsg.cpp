/* Message reporting: the registry decides whether a message is shown and at
 * which severity; the host catalogue supplies its text. */
#include <cstdarg>

#include "mk/vxbind.h"
#include "subs/vxnr.h"
#include "subs/zrngmsg.h"

namespace {

/* vxnrlook only reads the names, the casts just meet its C signature. */
VXChar* key(const VXChar* k) { return const_cast<VXChar*>(k); }

#define VX_SEVERITY_KEYWORDS                                                                       \
    VXT("ERROR"), 4, VXT("ERRORS"), 4, VXT("WARN"), 3, VXT("WARNING"), 3, VXT("WARNINGS"), 3,        \
        VXT("NOTE"), 2, VXT("NOTES"), 2, VXT("YES"), 2, VXT("INFO"), 1, VXT("ALL"), 0

} // namespace

extern "C" VXAPI VXStatus zrngmsg(VXSeverity severity, VXStatus msg, ...)
{
    VXHndlp h = Exported_VXHandle;
    VXJnlh jnl = h ? h->vxjnl : nullptr;
    if (!jnl) return 0;

    if (severity < VXSeverityNote)
        severity = vxnrlook(key(VXT("OSENV.QOR_RNG_SEVERITY")), 0, severity, VX_SEVERITY_KEYWORDS,
                            static_cast<const VXChar*>(nullptr));
    /* Only the level knows "nothing at all": a severity of 9 would outrank
     * every message instead of silencing them. */
    int level = vxnrlook(key(VXT("OSENV.QOR_RNG_MESSAGES")), 0, VXSeverityError, VXT("NO"), 9, VXT("NONE"),
                         9, VX_SEVERITY_KEYWORDS, static_cast<const VXChar*>(nullptr));
    if (severity < level) return 0;

    int count;
    if (severity <= VXSeverityNote) {
        severity = VXSeverityNote;
        count = vxnrlimit(key(VXT("OSENV.QOR_RNG_NOTE_LIMIT")), 0, 100);
    } else {
        count = vxnrlimit(key(VXT("OSENV.QOR_RNG_ERROR_LIMIT")), 0, 100);
    }
    if (count < 0) return 0;

    va_list ap;
    va_start(ap, msg);
    VXStatus status = jnl->statusToJnl(jnl, severity, msg, ap);
    va_end(ap);
    if (status != 0) vxlStatusToJnl(jnl, VXSeverityError, status);
    return status;
}
