/* The variate generator: a random stream with its descriptor and engine
 * state embedded, and the table of the forty samplers. */
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "subs/zmrslist.h"
#include "subs/zrand.h"
#include "subs/zrandvx.h"

namespace {

/* Mersenne Twister positions: 2500 bytes for the 32-bit engines (624 words
 * and the read index), 2504 for MT64 (312 words and the read index). */
constexpr size_t kMersenneStateBytes = 2504;
static_assert(kMersenneStateBytes <= sizeof(ZRANMT));

/* The rows of subs/zmrslist.h name the forty pointers of the sampler table,
 * in its order and with its types: consecutive from the end of the ZRANSTR
 * part to the end of the record, the one-variate half first. */
#define VX_ONE_OFFSET(NAME, name, FORM, DECL, ARGS) offsetof(MERSENNE_RAND, GetOneVariate##NAME),
#define VX_FILL_OFFSET(NAME, name, FORM, DECL, ARGS) offsetof(MERSENNE_RAND, FillTheBuffer##NAME),
constexpr size_t kSamplerOffsets[] = {VX_DISTRIBUTION_LIST(VX_ONE_OFFSET) VX_DISTRIBUTION_LIST(VX_FILL_OFFSET)};
#undef VX_ONE_OFFSET
#undef VX_FILL_OFFSET

constexpr bool samplerTableListed()
{
    size_t at = sizeof(ZRANSTR);
    for (size_t offset : kSamplerOffsets) {
        if (offset != at) return false;
        at += sizeof(void (*)());
    }
    return at == sizeof(MERSENNE_RAND);
}
static_assert(samplerTableListed(), "subs/zmrslist.h and MERSENNE_RAND_SAMPLER_FIELDS list other samplers");

#define VX_SAMPLER_TYPES(NAME, name, FORM, DECL, ARGS)                                                          \
    static_assert(std::is_same_v<decltype(MERSENNE_RAND::GetOneVariate##NAME),                                  \
                                 double (*)(MRandPtr VX_DISTRIBUTION_TAIL DECL)> &&                             \
                      std::is_same_v<decltype(MERSENNE_RAND::FillTheBuffer##NAME),                              \
                                     int (*)(MRandPtr VX_DISTRIBUTION_TAIL DECL)>,                              \
                  "the parameters of " #NAME " in subs/zmrslist.h are not the table's");
VX_DISTRIBUTION_LIST(VX_SAMPLER_TYPES)
#undef VX_SAMPLER_TYPES

void fillTable(MRandPtr q)
{
#define VX_SET_SAMPLERS(NAME, name, FORM, DECL, ARGS)                                                           \
    q->GetOneVariate##NAME = GetOneVariate##NAME;                                                               \
    q->FillTheBuffer##NAME = FillTheBuffer##NAME;
    VX_DISTRIBUTION_LIST(VX_SET_SAMPLERS)
#undef VX_SET_SAMPLERS
}

} // namespace

extern "C" {

VXAPI int zmrsrnd(MRandPtr q)
{
    if (q == nullptr) return 1;
    q->Functions = &q->rng;
    q->State32 = reinterpret_cast<uint32_t*>(&q->mt);
    q->State64 = reinterpret_cast<uint64_t*>(&q->mt);
    q->Blob = &q->mt;
    zrandInitRecord(q);
    fillTable(q);
    return q->IsUsable != 0 ? 0 : 1;
}

VXAPI int zmrsetp(int, MRandPtr) { return 0; }

VXAPI void zmrsReset32(uint64_t seed, MRandPtr q)
{
    if (q == nullptr) return;
    q->Seed = seed;
    q->UserSeed = static_cast<double>(seed);
    zrandRewindRecord(q);
}

/* Both objects must already run the same Mersenne Twister; the descriptor,
 * rangen and the samplers' saved state stay the target's own. */
VXAPI void zmrsCloneState32(MRandPtr from, MRandPtr to)
{
    if (from == nullptr || to == nullptr || from == to) return;
    to->UserSeed = from->UserSeed;
    to->Seed = from->Seed;
    to->UserKey = from->UserKey;
    to->Key = from->Key;
    std::memcpy(&to->mt, &from->mt, kMersenneStateBytes);
}

} // extern "C"
