/* Case mapping of single VXChar code units: an index of 128-unit blocks
 * into byte-sized deltas, with the few mappings that need more than a byte
 * kept in short exception lists. */
#include <cstdint>

#include "mk/vxbind.h"
#include "subs/vxcasemap.h"
#include "subs/vxnr.h"

namespace {

#include "subs/vxcasemap_tables.inc"

static_assert(sizeof kUpperDelta == sizeof kLowerDelta);
static_assert(sizeof kUpperExceptions / sizeof(VXChar) == 2 * 20 + 1);
static_assert(sizeof kLowerExceptions / sizeof(VXChar) == 2 * 19 + 1);

VXChar mapWith(VXChar c, const int8_t* delta, const VXChar* exceptions)
{
    if (c >= 0x10000) return c;
    int entry = kCaseIndex[c >> 7];
    if (entry < 0) return c;
    int d = delta[entry + static_cast<int>(c & 127)];
    if (d != -128) return static_cast<VXChar>(static_cast<int32_t>(c) + d);
    for (const VXChar* p = exceptions; *p; p += 2)
        if (p[0] == c) return p[1];
    return c;
}

} // namespace

VXChar vxUpperCaseTable(VXChar c) { return mapWith(c, kUpperDelta, kUpperExceptions); }

VXChar vxLowerCase(VXChar c) { return mapWith(c, kLowerDelta, kLowerExceptions); }

VXChar vxUpperCase(VXChar c)
{
    if (c >= 0x80) {
        VXHndlp h = Exported_VXHandle;
        if (h && h->vxnls && h->vxnls->toUpper) return h->vxnls->toUpper(h->vxnls, c);
    }
    return vxUpperCaseTable(c);
}
