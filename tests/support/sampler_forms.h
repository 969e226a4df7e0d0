// A sampler's two forms side by side, for tests that compare a buffer with
// one-at-a-time calls: VX_SAMPLER_FORMS("GAMMA_2_5", GAMMA, 2.5) names
// GetOneVariateGAMMA(q, 2.5) and FillTheBufferGAMMA(q, 2.5); and the
// comparison of the records the samplers keep between calls.
#ifndef VX_TESTS_SUPPORT_SAMPLER_FORMS_H
#define VX_TESTS_SUPPORT_SAMPLER_FORMS_H

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
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

// The saved set-ups and the waiting normal deviate of two streams (or of a
// stream and an earlier copy of it) agree: every field a later variate
// reads, bit for bit.
inline void expectSameRecords(const MERSENNE_RAND& a, const MERSENNE_RAND& b, const std::string& what)
{
    auto same = [](double x, double y) { return std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y); };
    EXPECT_EQ(std::memcmp(&a.gam, &b.gam, sizeof a.gam), 0) << what << ": gamma set-up";
    EXPECT_EQ(std::memcmp(&a.bet, &b.bet, sizeof a.bet), 0) << what << ": beta set-up";
    EXPECT_TRUE(same(a.bin.psave, b.bin.psave) && same(a.bin.omega, b.bin.omega) && a.bin.nsave == b.bin.nsave &&
                a.bin.underflow == b.bin.underflow)
        << what << ": binomial set-up";
    EXPECT_TRUE(same(a.poi.lambdasave, b.poi.lambdasave) && same(a.poi.qm, b.poi.qm) && a.poi.flag == b.poi.flag)
        << what << ": Poisson set-up";
    EXPECT_TRUE(a.nor.HaveOne == b.nor.HaveOne && same(a.nor.storedVariate, b.nor.storedVariate))
        << what << ": normal deviate";
}

} // namespace vxtest

#define VX_SAMPLER_FORMS(label, DIST, ...)                                                  \
    ::vxtest::SamplerForms                                                                   \
    {                                                                                        \
        label, [](MRandPtr q) { return GetOneVariate##DIST(q __VA_OPT__(, ) __VA_ARGS__); }, \
            [](MRandPtr q) { return FillTheBuffer##DIST(q __VA_OPT__(, ) __VA_ARGS__); }     \
    }

#endif
