/* The engines' bulk tables, searched by rangen address.  Thirty-eight
 * pointer comparisons at most: callers only search for buffers long enough
 * to repay it. */
#include "subs/engines/zrngbulk.h"

#include <initializer_list>

namespace vxeng::bulk {
extern const BulkTable MT1998, MT32, MTHYBRID, MT64;
extern const BulkTable XOR64, XOR128, XOR1024, XOR4096, XORGENS;
extern const BulkTable FRY2X32, FRY2X64, FRY4X64;
extern const BulkTable PCG32I, PCG64I, MH3, SUBKEY32, SUBKEY64, TORVEL, RDRAND;
} // namespace vxeng::bulk

namespace {

using namespace vxeng::bulk;

const vxeng::BulkTable* const kTables[] = {
    &MT64,    &MTHYBRID, &MT32,     &MT1998,   &XOR64,    &XOR128,   &XOR1024,
    &XOR4096, &XORGENS,  &FRY2X32,  &FRY2X64,  &FRY4X64,  &PCG32I,   &PCG64I,
    &MH3,     &SUBKEY32, &SUBKEY64, &TORVEL,   &RDRAND,
};

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
