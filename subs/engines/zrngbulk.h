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
