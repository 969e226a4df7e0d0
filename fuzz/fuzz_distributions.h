// The distributions as the fuzz targets pick them: by their row of the
// module's list.  A row without its case in a target's switch stops the
// build, so a new distribution is fuzzed as soon as it is listed.
#pragma once
#include "subs/zmrslist.h"

#pragma GCC diagnostic error "-Wswitch"
#define VX_FUZZ_DIST(NAME, ...) NAME,
enum class Dist { VX_DISTRIBUTION_LIST(VX_FUZZ_DIST) };
#undef VX_FUZZ_DIST
#define VX_FUZZ_ONE(...) +1
constexpr int kDistributions = 0 VX_DISTRIBUTION_LIST(VX_FUZZ_ONE);
#undef VX_FUZZ_ONE
