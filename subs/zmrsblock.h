/* Buffer forms that draw their uniforms in blocks.
 *
 * A buffer is filled with exactly the variates, the stream state and the
 * saved set-ups that one-at-a-time calls would give; only the way the
 * uniforms are made changes.  When the stream's rangen is an engine
 * conversion the module knows (vxeng::uniformFillFor), uniforms are made
 * ahead in blocks by the engine's own loop.  A block is never longer than
 * what the variates still to come will certainly take, so the engine stops
 * where one-at-a-time calls stop:
 *   - a sampler of one uniform per variate makes the buffer a block of
 *     uniforms and transforms it in place (fillOnePerVariate);
 *   - a rejection sampler whose attempts take a fixed number of uniforms
 *     makes one attempt per variate still to come (fillByAttempts);
 *   - the polar method does the same with its pairs (subs/zmrsnormal.cpp). */
#ifndef VX_SUBS_ZMRSBLOCK_H
#define VX_SUBS_ZMRSBLOCK_H

#include <cstdint>
#include <cstring>

#include "subs/engines/zrngbulk.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace zmrs {

/* Shorter buffers are not worth the table search. */
inline constexpr int64_t kBlockMinimum = 16;

/* The stream's bulk fill, or nullptr when rangen is not a known conversion,
 * the buffer is short, or it overlaps the record or the engine state
 * (writing a block of variates there would change what the later uniforms
 * are; element by element keeps the one-at-a-time order of reads and
 * writes).  *positive: the fill never gives 0.  q usable, with a buffer. */
inline vxeng::UniformFill blockFillFor(MRandPtr q, bool* positive = nullptr)
{
    if (q->NBuffer < kBlockMinimum) return nullptr;
    const auto* lo = reinterpret_cast<const char*>(q->VBuffer);
    const auto* hi = reinterpret_cast<const char*>(q->VBuffer + q->NBuffer);
    auto clear = [lo, hi](const void* base, uint64_t size) {
        const auto* b = static_cast<const char*>(base);
        return hi <= b || lo >= b + size;
    };
    if (!clear(q, sizeof(MERSENNE_RAND)) || !clear(q->Blob, sizeof(ZRANMT))) return nullptr;
    return vxeng::uniformFillFor(q->rangen, positive);
}

/* What packing a block of attempts found: `kept` accepted attempts, moved
 * to the front in order, and the rejections before the first of them (all
 * of the block when there is none) and after the last. */
struct PackedAttempts {
    int kept;
    int rejectedBefore;
    int rejectedAfter;
    /* Whether the run of rejections carried in from earlier blocks could
     * reach the attempt bound inside this one: the block must then be taken
     * attempt by attempt, where the bound ends a variate. */
    bool reachesBound(int carried) const { return carried + rejectedBefore >= kAttemptsPerVariate; }
    /* The run of rejections carried on to the next block of m attempts. */
    int carriedAfter(int carried, int m) const { return kept == 0 ? carried + m : rejectedAfter; }
};

/* Moves the accepted attempts of a block of m to its front without a branch
 * on the flags (a branch on them mispredicts once in every few attempts):
 * `move(k, j)` copies attempt j into slot k for every j, and slot k is
 * claimed only when attempt j was accepted. */
template <class Flag, class Move>
[[gnu::always_inline]] inline PackedAttempts packAccepted(const Flag* accepted, int m, Move move)
{
    int k = 0;
    int before = 0;
    int after = 0;
    for (int j = 0; j < m; ++j) {
        const int a = accepted[j] ? 1 : 0;
        move(k, j);
        before += static_cast<int>(k == 0) & (1 - a);
        after = (after + 1) * (1 - a);
        k += a;
    }
    return {k, before, after};
}

/* Rejection samplers whose attempts each take K uniforms and are accepted
 * or not on those alone.  A block of attempts, one per variate still to
 * come, is computed before any is looked at, so that their logarithms and
 * powers overlap; the block is then scanned as one-at-a-time calls would
 * take it: the first accepted attempt gives the variate (through `map`),
 * kAttemptsPerVariate rejected in a row the missing value.  `one` is the
 * one-variate draw, for streams without a bulk fill.  q usable, with a
 * buffer, parameters accepted. */
/* `prepare(u, m)` may first rework the m attempts' uniforms in place, in a
 * pass of its own (what of an attempt vectorises), for `attempt` to finish. */
template <int K, class Prepare, class Attempt, class Map, class One>
[[gnu::always_inline]] inline int fillByAttempts(MRandPtr q, Prepare prepare, Attempt attempt, Map map, One one)
{
    vxeng::UniformFill fill = blockFillFor(q);
    if (fill == nullptr) return fillTheBuffer(q, true, one);
    constexpr int kBlock = 64;
    double u[K * kBlock];
    double x[kBlock], y[kBlock];
    bool accepted[kBlock];
    double* const out = q->VBuffer;
    const int64_t n = q->NBuffer;
    int64_t i = 0;
    int run = 0; /* rejected attempts since the last variate */
    while (i < n) {
        const int m = n - i < kBlock ? static_cast<int>(n - i) : kBlock;
        fill(q->Blob, u, K * m);
        prepare(u, m);
        for (int j = 0; j < m; ++j) accepted[j] = attempt(u + K * j, x[j]);
        const PackedAttempts packed = packAccepted(accepted, m, [&](int k, int j) { y[k] = map(x[j]); });
        if (!packed.reachesBound(run)) [[likely]] {
            std::memcpy(out + i, y, static_cast<size_t>(packed.kept) * sizeof(double));
            i += packed.kept;
            run = packed.carriedAfter(run, m);
            continue;
        }
        for (int j = 0; j < m; ++j) {
            if (accepted[j]) {
                out[i++] = map(x[j]);
                run = 0;
            } else if (++run == kAttemptsPerVariate) {
                out[i++] = zmrsMissing();
                run = 0;
            }
        }
    }
    return 0;
}

template <int K, class Attempt, class Map, class One>
[[gnu::always_inline]] inline int fillByAttempts(MRandPtr q, Attempt attempt, Map map, One one)
{
    return fillByAttempts<K>(q, [](double*, int) {}, attempt, map, one);
}

/* Samplers that take exactly one uniform per variate, map(u).  `ok` false:
 * the parameters were rejected and every element is the missing value. */
template <class Map>
[[gnu::always_inline]] inline int fillOnePerVariate(MRandPtr q, bool ok, Map map)
{
    if (q == nullptr || q->VBuffer == nullptr || q->NBuffer < 1) return 1;
    if (ok) {
        if (vxeng::UniformFill fill = blockFillFor(q)) {
            double* const out = q->VBuffer;
            const int64_t n = q->NBuffer;
            fill(q->Blob, out, n);
            for (int64_t i = 0; i < n; ++i) out[i] = map(out[i]);
            return 0;
        }
    }
    return fillTheBuffer(q, ok, [map](MRandPtr r) { return map(Uniform(r)()); });
}

} // namespace zmrs

#endif
