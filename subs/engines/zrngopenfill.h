/* One engine's uniforms in bulk: n values of the stream's open (or crude)
 * conversion in one loop, value for value what n calls give, published as
 * the engine's BulkTable (subs/engines/zrngbulk.h). */
#ifndef VX_SUBS_ENGINES_ZRNGOPENFILL_H
#define VX_SUBS_ENGINES_ZRNGOPENFILL_H

#include <bit>
#include <cstdint>

#include "subs/engines/zrngbulk.h"
#include "subs/engines/zrngconv.h"
#include "subs/engines/zrngdraws.h"
#include "subs/engines/zrnghooks.h"

namespace vxeng {

template <class E>
struct OpenFill {
    using D = Draws<E>;
    using State = typename Shape<E>::State;
    using Word = typename Shape<E>::Word;
    static constexpr bool kWide = Shape<E>::kWide;

    /* n calls of the conversion in one loop: the call is direct, so the step
     * and the conversion are inlined and the state stays in registers. */
    template <double (*Conv)(void*)>
    static void fillWith(void* blob, double* out, int64_t n)
    {
        for (int64_t i = 0; i < n; ++i) out[i] = Conv(blob);
    }

    /* n raw words, the ones n calls of step give; E::fill_raw when the
     * engine has a faster way to make a run of them. */
    [[gnu::always_inline]] static inline void rawBlock(State& s, Word* out, int n)
    {
        if constexpr (HasRawFill<E>) E::fill_raw(s, out, n);
        else
            for (int i = 0; i < n; ++i) out[i] = E::step(s);
    }

    /* The open conversion of one raw word, without its rejection loop.  The
     * integer-to-double steps are written with the exponent-bias constants
     * so that a run of them vectorises; each gives the exact value the
     * scalar conversion gives (one rounding, in hi + lo, as in u64ToDouble). */
    [[gnu::always_inline]] static inline double openValue(Word w)
    {
        if constexpr (kWide) {
            const double hi = std::bit_cast<double>((w >> 32) | 0x4530000000000000ull) - 0x1p84;
            const double lo = std::bit_cast<double>((w & 0xFFFFFFFFull) | 0x4330000000000000ull) - 0x1p52;
            return (hi + lo) * k2m64;
        } else {
            return (std::bit_cast<double>(static_cast<uint64_t>(w) | 0x4330000000000000ull) - 0x1p52) * k2m32;
        }
    }
    /* 1 when the conversion rejects the word that gave x, else 0.  Tested on
     * the value (0 exactly for the zero word; x (1 - x) is 0 exactly at 0
     * and 1, and at least 2^-117 between) through its bit pattern, 0 only
     * for +0: SSE2 has neither 64-bit integer nor mask-to-integer compares,
     * and this keeps the pass in vector registers. */
    [[gnu::always_inline]] static inline uint64_t openRejects(double x)
    {
        if constexpr (kWide) x *= 1.0 - x;
        return (std::bit_cast<uint64_t>(x) - 1) >> 63;
    }

    /* The rejection loop as a filter over the raw words: a rejected word is
     * skipped, and the word that ends a run of kRejectZeroOneDraws
     * (kRejectZeroDraws) rejected ones in a row is the loop's last resort,
     * converted as the loop converts it.  `run` carries a run across chunks.
     * Returns the uniforms made, written from out[0] on (never past the word
     * they came from). */
    static int filterOpen(const Word* raw, int k, double* out, int& run)
    {
        constexpr int limit = kWide ? kRejectZeroOneDraws : kRejectZeroDraws;
        int m = 0;
        for (int j = 0; j < k; ++j) {
            const Word w = raw[j];
            const double x = openValue(w);
            if (openRejects(x) == 0) {
                out[m++] = x;
                run = 0;
            } else if (++run == limit) {
                if constexpr (kWide) out[m++] = conv::d64OpenOpen(w);
                else out[m++] = conv::d32ClosedOpen(w);
                run = 0;
            }
        }
        return m;
    }

    /* n values of zrng_double_open.  Raw words are made a chunk at a time,
     * never more than the uniforms still wanted, converted in one pass and
     * checked for a rejected word; only a chunk holding one (a zero word,
     * once in 2^32 or 2^64 draws) goes through the filter. */
    VX_WIDE_VECTORS static void fillOpen(void* blob, double* out, int64_t n)
    {
        constexpr int kChunk = 256;
        State& s = Shape<E>::st(blob);
        Word raw[kChunk];
        int run = 0;
        while (n > 0) {
            const int k = n < kChunk ? static_cast<int>(n) : kChunk;
            rawBlock(s, raw, k);
            uint64_t rejected = 0;
            for (int j = 0; j < k; ++j) {
                const double x = openValue(raw[j]);
                out[j] = x;
                rejected |= openRejects(x);
            }
            int m = k;
            if (rejected != 0) [[unlikely]]
                m = filterOpen(raw, k, out, run);
            else
                run = 0;
            out += m;
            n -= m;
        }
    }

    /* The two conversions a stream's rangen is set to.  The 64-bit open
     * conversion's last resort is above 0; the 32-bit one's is 0 after 99
     * zero words, which only an engine without zero words rules out. */
    static constexpr BulkTable kTable = [] {
        BulkTable t{};
        if constexpr (kWide) t.open = {&D::d64RejectZeroOne, &fillOpen, true};
        else t.open = {&D::d32RejectZero, &fillOpen, NonzeroWords<E>};
        if constexpr (HasCrudeHook<E>) t.crude = {&D::crude, &fillWith<&D::crude>, false};
        return t;
    }();
};

} // namespace vxeng

#endif
