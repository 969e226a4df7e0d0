// A sampler's two forms side by side, for tests that compare a buffer with
// one-at-a-time calls: VX_SAMPLER_FORMS("GAMMA_2_5", GAMMA, 2.5) names
// GetOneVariateGAMMA(q, 2.5) and FillTheBufferGAMMA(q, 2.5).
#ifndef VX_TESTS_SUPPORT_SAMPLER_FORMS_H
#define VX_TESTS_SUPPORT_SAMPLER_FORMS_H

#include <functional>
#include <ostream>
#include <string>

#include "subs/zrand.h"

namespace vxtest {

struct SamplerForms {
    std::string name;
    std::function<double(MRandPtr)> one;
    std::function<int(MRandPtr)> fill;
};

inline void PrintTo(const SamplerForms& s, std::ostream* os) { *os << s.name; }

} // namespace vxtest

#define VX_SAMPLER_FORMS(label, DIST, ...)                                                  \
    ::vxtest::SamplerForms                                                                   \
    {                                                                                        \
        label, [](MRandPtr q) { return GetOneVariate##DIST(q __VA_OPT__(, ) __VA_ARGS__); }, \
            [](MRandPtr q) { return FillTheBuffer##DIST(q __VA_OPT__(, ) __VA_ARGS__); }     \
    }

#endif
