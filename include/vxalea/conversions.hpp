/* The descriptor's double conversions by name: one table for the tool and
 * the Python package (and C++ callers that choose a conversion by name), so
 * that `vxalea uniform --conversion C` and `Stream.uniform(conversion=C)`
 * cannot differ. */
#ifndef VXALEA_CONVERSIONS_HPP
#define VXALEA_CONVERSIONS_HPP

#include "subs/zrng.h"

namespace vxalea {

struct conversion {
    const char* name;
    zrng_double_fn ZRNG_S::*slot; /* null: the stream's own uniform (rangen) */
};

inline constexpr conversion conversions[] = {
    {"open", nullptr},
    {"fast", &ZRNG_S::zrng_double_fast},
    {"crude", &ZRNG_S::zrng_double_crude},
    {"infinite", &ZRNG_S::zrng_double_infinite},
    {"32_closed_open", &ZRNG_S::zrng_double_32_closed_open},
    {"32_open_open", &ZRNG_S::zrng_double_32_open_open},
    {"32_open_closed", &ZRNG_S::zrng_double_32_open_closed},
    {"32_closed_closed", &ZRNG_S::zrng_double_32_closed_closed},
    {"32_reject_zero", &ZRNG_S::zrng_double_32_reject_zero},
    {"53_closed_open", &ZRNG_S::zrng_double_53_closed_open},
    {"53_open_open", &ZRNG_S::zrng_double_53_open_open},
    {"53_open_closed", &ZRNG_S::zrng_double_53_open_closed},
    {"53_closed_closed", &ZRNG_S::zrng_double_53_closed_closed},
    {"53_reject_zero", &ZRNG_S::zrng_double_53_reject_zero},
    {"64_closed_open", &ZRNG_S::zrng_double_64_closed_open},
    {"64_open_open", &ZRNG_S::zrng_double_64_open_open},
    {"64_open_closed", &ZRNG_S::zrng_double_64_open_closed},
    {"64_closed_closed", &ZRNG_S::zrng_double_64_closed_closed},
    {"64_reject_zero_one", &ZRNG_S::zrng_double_64_reject_zero_one},
};

} // namespace vxalea

#endif
