/* The engines' bulk tables, searched by rangen address.  Two pointer
 * comparisons per engine at most: callers only search for buffers long
 * enough to repay it. */
#include "subs/engines/zrngbulk.h"

#include <initializer_list>

#include "subs/engines/zrnglist.h"

/* Defined beside each engine's set-up (VX_ENGINE); a row of the list whose
 * engine was never defined fails to link. */
namespace vxeng::bulk {
#define VX_BULK_DECLARE(NAME, ...) extern const BulkTable NAME;
VX_ENGINE_LIST(VX_BULK_DECLARE)
#undef VX_BULK_DECLARE
} // namespace vxeng::bulk

namespace {

#define VX_BULK_ADDRESS(NAME, ...) &vxeng::bulk::NAME,
const vxeng::BulkTable* const kTables[] = {VX_ENGINE_LIST(VX_BULK_ADDRESS)};
#undef VX_BULK_ADDRESS

} // namespace

vxeng::UniformFill vxeng::uniformFillFor(double (*rangen)(void*), bool* positive)
{
    if (rangen == nullptr) return nullptr;
    for (const BulkTable* t : kTables) {
        for (const BulkEntry* e : {&t->open, &t->crude}) {
            if (e->conv != rangen) continue;
            if (positive != nullptr) *positive = e->positive;
            return e->fill;
        }
    }
    return nullptr;
}
