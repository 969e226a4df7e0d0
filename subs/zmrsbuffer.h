/* What the gamma-family, discrete and small continuous samplers share: the
 * stream's uniform source, the attempt bound of the rejection loops, the
 * buffer form, and the few samplers that other units build on. */
#ifndef VX_SUBS_ZMRSBUFFER_H
#define VX_SUBS_ZMRSBUFFER_H

#include <cstdint>
#include <limits>

#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace zmrs {

inline constexpr double kInf = std::numeric_limits<double>::infinity();

/* Rejected attempts in a row after which a rejection loop gives the missing
 * value instead of looping on.  Every rejection loop accepts with
 * probability above 1/4 per attempt for any parameter it is given, so a
 * working generator reaches this with probability below 0.75^1000 < 1e-124;
 * reaching it means the engine is stuck (a constant or an all-zero imported
 * state) or the set-up is degenerate.
 *
 * It also bounds what one variate can cost.  An attempt takes at most three
 * uniforms and a uniform at most 100 engine draws (the conversions that
 * reject 0 or 1 give up after that many on a stuck engine), so a variate
 * costs at most 3 x 10^5 engine draws, and T, a normal pair and a gamma
 * variate, 5 x 10^5: no call that looks valid runs for long, since every
 * sampler keeps within about 10^6 engine draws per variate.  The two
 * samplers whose work is set by their parameters say so where they count:
 * GEOMETRIC's counting method and HYPERGEOMETRIC's one uniform per item. */
inline constexpr int kAttemptsPerVariate = 1000;

/* One uniform per call of the stream's rangen, nothing else touches the
 * engine.  Taken once per variate. */
struct Uniform {
    double (*gen)(void*);
    void* blob;
    explicit Uniform(MRandPtr q) : gen(q->rangen), blob(q->Blob) {}
    double operator()() const { return gen(blob); }
};

/* A stream that was never initialized has no rangen; its samplers give the
 * missing value rather than jump through a null pointer. */
inline bool usable(MRandPtr q) { return q != nullptr && q->rangen != nullptr; }

/* The buffer form of every sampler: nothing for a null buffer or a count
 * below one; otherwise every element is what the one-variate form returns,
 * the missing value throughout when the parameters were rejected (`ok`
 * false).  Parameters are checked once by the caller; the set-up caches are
 * still consulted per element, which costs one comparison and keeps the
 * buffer identical to one-at-a-time calls.  NBuffer is read again before
 * every element. */
template <class Draw>
[[gnu::always_inline]] inline int fillTheBuffer(MRandPtr q, bool ok, Draw draw)
{
    if (q == nullptr || q->VBuffer == nullptr || q->NBuffer < 1) return 1;
    if (!ok) {
        for (int64_t i = 0; i < q->NBuffer; ++i) q->VBuffer[i] = zmrsMissing();
        return 0;
    }
    for (int64_t i = 0; i < q->NBuffer; ++i) q->VBuffer[i] = draw(q);
    return 0;
}

/* Samplers used across units, on parameters their callers have already
 * accepted (gammaShapeOk, poissonMeanOk) and a usable stream.
 * Each is exactly the one-variate form, saved set-up included. */
inline bool gammaShapeOk(double alpha) { return alpha > 0.0 && alpha < kInf; }
inline bool poissonMeanOk(double lambda) { return lambda >= 0.0 && lambda < kInf; }

double gammaVariate(MRandPtr q, double alpha);              /* zmrsgamma.cpp */
double poissonVariate(MRandPtr q, double lambda);           /* zmrspoisson.cpp */

} // namespace zmrs

#endif
