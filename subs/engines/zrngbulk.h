/* Uniforms in bulk: a stream's rangen recognised as one of an engine's own
 * conversions, and a loop that makes n of them with the engine's step
 * inlined, value for value what n calls of rangen would give.
 *
 * The descriptor's layout is fixed and has no slot for a bulk entry, so each
 * engine unit publishes a constant table (open conversion and crude
 * conversion, each with its fill) and uniformFillFor searches those tables by
 * the address in rangen.  A rangen it does not know (a caller's own function,
 * a test's scripted engine) gives nullptr and the samplers call rangen as
 * before. */
#ifndef VX_SUBS_ENGINES_ZRNGBULK_H
#define VX_SUBS_ENGINES_ZRNGBULK_H

#include <cstdint>

/* Bulk loops are also built for AVX2 and chosen when the processor has it
 * (ifunc): integer steps and correctly rounded double arithmetic give the
 * same values at any vector width, and FMA, which would not, is not part of
 * the target.  Not under ThreadSanitizer, whose instrumented resolvers
 * would run before its runtime is up. */
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define VX_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define VX_WIDE_VECTORS
#endif

namespace vxeng {

using UniformFill = void (*)(void* blob, double* out, int64_t n);

struct BulkEntry {
    double (*conv)(void*);
    UniformFill fill;
    bool positive; /* never gives 0, even from a stuck engine */
};

struct BulkTable {
    BulkEntry open;   /* zrng_double_open, every stream's default rangen */
    BulkEntry crude;  /* zrng_double_crude, {nullptr, nullptr} when the engine has none */
};

/* The fill for rangen, or nullptr; *positive (when asked) tells whether its
 * values are all above 0. */
UniformFill uniformFillFor(double (*rangen)(void*), bool* positive = nullptr);

} // namespace vxeng

#endif
