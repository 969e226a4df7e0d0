/* The variate generator: a random stream with its descriptor and engine
 * state embedded, and the table of the forty samplers. */
#include <cstring>

#include "subs/zrand.h"
#include "subs/zrandvx.h"

namespace {

/* Mersenne Twister positions: 2500 bytes for the 32-bit engines (624 words
 * and the read index), 2504 for MT64 (312 words and the read index). */
constexpr size_t kMersenneStateBytes = 2504;
static_assert(kMersenneStateBytes <= sizeof(ZRANMT));

void fillTable(MRandPtr q)
{
    q->GetOneVariateBERNOULLI = GetOneVariateBERNOULLI;
    q->GetOneVariateBETA = GetOneVariateBETA;
    q->GetOneVariateBINOMIAL = GetOneVariateBINOMIAL;
    q->GetOneVariateCAUCHY = GetOneVariateCAUCHY;
    q->GetOneVariateCHISQUARE = GetOneVariateCHISQUARE;
    q->GetOneVariateERLANG = GetOneVariateERLANG;
    q->GetOneVariateEXPONENTIAL = GetOneVariateEXPONENTIAL;
    q->GetOneVariateF = GetOneVariateF;
    q->GetOneVariateGAMMA = GetOneVariateGAMMA;
    q->GetOneVariateGEOMETRIC = GetOneVariateGEOMETRIC;
    q->GetOneVariateHYPERGEOMETRIC = GetOneVariateHYPERGEOMETRIC;
    q->GetOneVariateLOGNORMAL = GetOneVariateLOGNORMAL;
    q->GetOneVariateNEGBINOMIAL = GetOneVariateNEGBINOMIAL;
    q->GetOneVariateNORMAL = GetOneVariateNORMAL;
    q->GetOneVariatePOISSON = GetOneVariatePOISSON;
    q->GetOneVariateTABLE = GetOneVariateTABLE;
    q->GetOneVariateT = GetOneVariateT;
    q->GetOneVariateTRIANGLE = GetOneVariateTRIANGLE;
    q->GetOneVariateUNIFORM = GetOneVariateUNIFORM;
    q->GetOneVariateWEIBULL = GetOneVariateWEIBULL;
    q->FillTheBufferBERNOULLI = FillTheBufferBERNOULLI;
    q->FillTheBufferBETA = FillTheBufferBETA;
    q->FillTheBufferBINOMIAL = FillTheBufferBINOMIAL;
    q->FillTheBufferCAUCHY = FillTheBufferCAUCHY;
    q->FillTheBufferCHISQUARE = FillTheBufferCHISQUARE;
    q->FillTheBufferERLANG = FillTheBufferERLANG;
    q->FillTheBufferEXPONENTIAL = FillTheBufferEXPONENTIAL;
    q->FillTheBufferF = FillTheBufferF;
    q->FillTheBufferGAMMA = FillTheBufferGAMMA;
    q->FillTheBufferGEOMETRIC = FillTheBufferGEOMETRIC;
    q->FillTheBufferHYPERGEOMETRIC = FillTheBufferHYPERGEOMETRIC;
    q->FillTheBufferLOGNORMAL = FillTheBufferLOGNORMAL;
    q->FillTheBufferNEGBINOMIAL = FillTheBufferNEGBINOMIAL;
    q->FillTheBufferNORMAL = FillTheBufferNORMAL;
    q->FillTheBufferPOISSON = FillTheBufferPOISSON;
    q->FillTheBufferTABLE = FillTheBufferTABLE;
    q->FillTheBufferT = FillTheBufferT;
    q->FillTheBufferTRIANGLE = FillTheBufferTRIANGLE;
    q->FillTheBufferUNIFORM = FillTheBufferUNIFORM;
    q->FillTheBufferWEIBULL = FillTheBufferWEIBULL;
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
