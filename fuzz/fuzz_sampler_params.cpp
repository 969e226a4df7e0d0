// Sampler parameters of any bit pattern (NaN, infinities, negative, huge)
// for all twenty distributions: every call must end.
#include <climits>
#include <cstdint>
#include <cstring>

#include "fuzz_distributions.h"
#include "fuzz_host.h"
#include "fuzz_input.h"
#include "subs/zrand.h"

namespace {
/* The first byte picks a distribution (fuzz_distributions.h). */

MERSENNE_RAND* stream()
{
    static MERSENNE_RAND q;
    static bool ready = [] {
        std::memset(&q, 0, sizeof q);
        static char method[] = "MT64";
        q.UserMethod = method;
        q.UserSeed = 7;
        zmrsrnd(&q);
        return true;
    }();
    (void)ready;
    return &q;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzHost();
    if (size < 1)
        return 0;
    MERSENNE_RAND* q = stream();
    const Dist which = static_cast<Dist>(data[0] % kDistributions);
    const bool buffer = data[0] & 0x80;
    /* Long enough for the buffer forms' block paths, or below their floor. */
    const bool block = data[0] & 0x40;
    data++;
    size--;
    const double a = take<double>(data, size), b = take<double>(data, size);
    const long n1 = take<long>(data, size), n2 = take<long>(data, size), n3 = take<long>(data, size);
    double table[8];
    const long tblcnt = take<uint8_t>(data, size) % 9;
    for (long i = 0; i < tblcnt; i++)
        table[i] = take<double>(data, size);
    double out[20];
    q->NBuffer = block ? 20 : 4;
    q->VBuffer = out;
    switch (which) {
    case Dist::BERNOULLI: buffer ? (void)FillTheBufferBERNOULLI(q, a) : (void)GetOneVariateBERNOULLI(q, a); break;
    case Dist::BETA: buffer ? (void)FillTheBufferBETA(q, a, b) : (void)GetOneVariateBETA(q, a, b); break;
    case Dist::BINOMIAL: buffer ? (void)FillTheBufferBINOMIAL(q, n1, a) : (void)GetOneVariateBINOMIAL(q, n1, a); break;
    case Dist::CAUCHY: buffer ? (void)FillTheBufferCAUCHY(q) : (void)GetOneVariateCAUCHY(q); break;
    case Dist::CHISQUARE: buffer ? (void)FillTheBufferCHISQUARE(q, a) : (void)GetOneVariateCHISQUARE(q, a); break;
    case Dist::ERLANG:
        buffer ? (void)FillTheBufferERLANG(q, int32_t(n1)) : (void)GetOneVariateERLANG(q, int32_t(n1));
        break;
    case Dist::EXPONENTIAL: buffer ? (void)FillTheBufferEXPONENTIAL(q) : (void)GetOneVariateEXPONENTIAL(q); break;
    case Dist::F: buffer ? (void)FillTheBufferF(q, a, b) : (void)GetOneVariateF(q, a, b); break;
    case Dist::GAMMA: buffer ? (void)FillTheBufferGAMMA(q, a) : (void)GetOneVariateGAMMA(q, a); break;
    case Dist::GEOMETRIC: buffer ? (void)FillTheBufferGEOMETRIC(q, a) : (void)GetOneVariateGEOMETRIC(q, a); break;
    case Dist::HYPERGEOMETRIC:
    {
        // The sampler draws one uniform per item taken, up to 2^31 - 1 of
        // them by design: a sample size that would be drawn is kept below
        // 512, so an input takes at most 20 x 512 uniforms (sizes that are
        // refused, zero or negative reach the sampler as given).
        const long k = n3 > 256 && n3 <= n1 && n3 <= INT32_MAX ? 256 + n3 % 256 : n3;
        buffer ? (void)FillTheBufferHYPERGEOMETRIC(q, n1, n2, k) : (void)GetOneVariateHYPERGEOMETRIC(q, n1, n2, k);
        break;
    }
    case Dist::LOGNORMAL: buffer ? (void)FillTheBufferLOGNORMAL(q) : (void)GetOneVariateLOGNORMAL(q); break;
    case Dist::NEGBINOMIAL:
        buffer ? (void)FillTheBufferNEGBINOMIAL(q, a, b) : (void)GetOneVariateNEGBINOMIAL(q, a, b);
        break;
    case Dist::NORMAL: buffer ? (void)FillTheBufferNORMAL(q) : (void)GetOneVariateNORMAL(q); break;
    case Dist::POISSON: buffer ? (void)FillTheBufferPOISSON(q, a) : (void)GetOneVariatePOISSON(q, a); break;
    case Dist::TABLE:
        buffer ? (void)FillTheBufferTABLE(q, tblcnt, table) : (void)GetOneVariateTABLE(q, tblcnt, table);
        break;
    case Dist::T: buffer ? (void)FillTheBufferT(q, a) : (void)GetOneVariateT(q, a); break;
    case Dist::TRIANGLE: buffer ? (void)FillTheBufferTRIANGLE(q, a) : (void)GetOneVariateTRIANGLE(q, a); break;
    case Dist::UNIFORM: buffer ? (void)FillTheBufferUNIFORM(q) : (void)GetOneVariateUNIFORM(q); break;
    case Dist::WEIBULL: buffer ? (void)FillTheBufferWEIBULL(q, a, b) : (void)GetOneVariateWEIBULL(q, a, b); break;
    }
    return 0;
}
