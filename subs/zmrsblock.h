/* Buffer forms that draw their uniforms in blocks.
 *
 * A buffer is filled with exactly the variates, the stream state and the
 * saved set-ups that one-at-a-time calls would give; only the way the
 * uniforms are made changes.  When the stream's rangen is an engine
 * conversion the module knows (vxeng::uniformFillFor), uniforms are made
 * ahead in blocks by the engine's inlined loop and handed out in order.  A
 * rejection sampler takes an unknown number of them, so a block is never made
 * longer than what the variates still to come will certainly take: the
 * current variate's remaining minimum (at least the one asked for) plus the
 * minimum of every later variate.  The last variate therefore takes the last
 * uniform made, and the engine stops where one-at-a-time calls stop. */
#ifndef VX_SUBS_ZMRSBLOCK_H
#define VX_SUBS_ZMRSBLOCK_H

#include <cstdint>

#include "subs/engines/zrngbulk.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace zmrs {

/* Shorter buffers are not worth the table search. */
inline constexpr int64_t kBlockMinimum = 16;

/* The stream's bulk fill, or nullptr when rangen is not a known conversion
 * or the buffer overlaps the record or the engine state (writing a block of
 * variates there would change what the later uniforms are; element by
 * element keeps the one-at-a-time order of reads and writes). */
inline vxeng::UniformFill blockFillFor(MRandPtr q)
{
    if (q->NBuffer < kBlockMinimum) return nullptr;
    const auto* lo = reinterpret_cast<const char*>(q->VBuffer);
    const auto* hi = reinterpret_cast<const char*>(q->VBuffer + q->NBuffer);
    auto clear = [lo, hi](const void* base, uint64_t size) {
        const auto* b = static_cast<const char*>(base);
        return hi <= b || lo >= b + size;
    };
    if (!clear(q, sizeof(MERSENNE_RAND)) || !clear(q->Blob, sizeof(ZRANMT))) return nullptr;
    return vxeng::uniformFillFor(q->rangen);
}

/* {now, later}: see BlockUniform::expect. */
struct Minimums {
    int64_t now;
    int64_t later;
};

class BlockUniform {
public:
    BlockUniform(vxeng::UniformFill fill, void* blob) : fill_(fill), blob_(blob) {}

    /* Before each variate: the fewest uniforms it takes, and the fewest all
     * the variates after it take together. */
    void expect(int64_t now, int64_t later)
    {
        now_ = now;
        later_ = later;
    }

    double operator()()
    {
        if (pos_ == len_) refill();
        --now_;
        return buf_[pos_++];
    }

private:
    static constexpr int64_t kCapacity = 256;

    [[gnu::noinline]] void refill()
    {
        int64_t want = (now_ > 1 ? now_ : 1) + later_;
        len_ = static_cast<int>(want < kCapacity ? want : kCapacity);
        fill_(blob_, buf_, len_);
        pos_ = 0;
    }

    vxeng::UniformFill fill_;
    void* blob_;
    int64_t now_ = 0;
    int64_t later_ = 0;
    int pos_ = 0;
    int len_ = 0;
    double buf_[kCapacity];
};

/* The buffer form of a sampler whose draw takes any uniform source:
 * draw(q, next) for one variate, bounds(q, r) the {now, later} minimums of
 * the next variate with r variates after it.  `ok` false: the parameters
 * were rejected and every element is the missing value. */
template <class Bounds, class Draw>
[[gnu::always_inline]] inline int fillByBlocks(MRandPtr q, bool ok, Bounds bounds, Draw draw)
{
    if (q == nullptr || q->VBuffer == nullptr || q->NBuffer < 1) return 1;
    if (!ok) {
        for (int64_t i = 0; i < q->NBuffer; ++i) q->VBuffer[i] = zmrsMissing();
        return 0;
    }
    vxeng::UniformFill fill = blockFillFor(q);
    if (fill == nullptr) {
        for (int64_t i = 0; i < q->NBuffer; ++i) q->VBuffer[i] = draw(q, Uniform(q));
        return 0;
    }
    BlockUniform next(fill, q->Blob);
    double* const out = q->VBuffer;
    const int64_t n = q->NBuffer;
    for (int64_t i = 0; i < n; ++i) {
        const Minimums m = bounds(q, n - 1 - i);
        next.expect(m.now, m.later);
        out[i] = draw(q, next);
    }
    return 0;
}

/* Samplers that take exactly one uniform per variate: the block is the
 * buffer itself, transformed in place. */
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
    return fillByBlocks(q, ok, [](MRandPtr, int64_t r) { return Minimums{1, r};  },
                        [map](MRandPtr, auto&& next) { return map(next()); });
}

} // namespace zmrs

#endif
