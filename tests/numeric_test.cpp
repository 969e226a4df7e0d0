// ln(1 + z), ln(e^a + e^b) and the trap-guarded exp and pow.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <fenv.h>
#include <limits>
#include <random>

#include "subs/zln1px.h"

namespace {

double ulpsApart(double a, double b)
{
    if (a == b) return 0;
    return std::fabs(a - b) / (std::nextafter(std::fabs(b), INFINITY) - std::fabs(b));
}

TEST(Ln1px, AgreesWithLog1pAcrossBothBranches)
{
    EXPECT_EQ(zln1px(0.0), 0.0);
    EXPECT_EQ(zln1px(-1.0), -INFINITY);
    // At and below 2^-5 the rational form, tiny arguments included where
    // 1 + z would lose z; above it exactly the library's log(1 + z).
    for (double z : {0.03125, -0.03125, 1e-300, -1e-17, 3e-9, 0.03}) {
        EXPECT_LE(ulpsApart(zln1px(z), std::log1p(z)), 4.0) << z;
    }
    for (double z : {0.0313, -0.0313, 0.5, 10.0, -0.9}) {
        EXPECT_EQ(zln1px(z), std::log(1.0 + z)) << z;
    }
    EXPECT_EQ(zln1px(1e-300), 1e-300);
    std::mt19937_64 gen(5u);
    std::uniform_real_distribution<double> small(-0.03125, 0.03125);
    double worst = 0;
    for (int i = 0; i < 100000; ++i) {
        double z = small(gen) * std::ldexp(1.0, -int(gen() % 40));
        worst = std::max(worst, ulpsApart(zln1px(z), std::log1p(z)));
    }
    EXPECT_LE(worst, 4.0);
}

TEST(LnSumOfExp, StaysFiniteAndExact)
{
    const double ln2 = std::log(2.0);
    EXPECT_EQ(zlnSumOfExp(0, 0), 0.6931471805599453);
    EXPECT_EQ(zlnSumOfExp(1000, 1000), 1000 + 0.6931471805599453);
    EXPECT_EQ(zlnSumOfExp(-INFINITY, 3), 3.0);
    EXPECT_EQ(zlnSumOfExp(3, -INFINITY), 3.0);
    EXPECT_NEAR(zlnSumOfExp(710, 709), 710 + std::log1p(std::exp(-1.0)), 1e-12);
    EXPECT_NEAR(zlnSumOfExp(1.0, 2.0), std::log(std::exp(1.0) + std::exp(2.0)), 1e-15);
    EXPECT_NEAR(zlnSumOfExp(-800, -800), -800 + ln2, 1e-12);
    EXPECT_TRUE(std::isnan(zlnSumOfExp(NAN, 1.0)));
}

// The guard must survive a caller that runs with traps on (a trap would kill
// the test with SIGFPE), then bring back the host's usual set (invalid,
// overflow, zero-divide) whatever the caller had, and keep the rounding mode;
// a caller without traps gets none.
TEST(GuardedExp, HoldsTrapsOffThenRestoresTheHostSet)
{
    constexpr int kHostSet = FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO;
    const struct {
        int traps, round;
        double (*f)();
        double want;
    } rows[] = {
        {FE_OVERFLOW | FE_UNDERFLOW, FE_TONEAREST, [] { return vxexp(1000.0); }, INFINITY},
        {FE_OVERFLOW | FE_UNDERFLOW, FE_TONEAREST, [] { return vxexp(-1000.0); }, 0.0},
        {FE_INVALID, FE_TONEAREST, [] { return vxpow(-8.0, 1.0 / 3); }, NAN},
        {FE_INVALID | FE_OVERFLOW, FE_TONEAREST, [] { return vxpow(10.0, 400.0); }, INFINITY},
        {FE_INEXACT, FE_DOWNWARD, [] { return vxexp(0.0); }, 1.0},
        {0, FE_DOWNWARD, [] { return vxexp(0.0); }, 1.0},
        {0, FE_TONEAREST, [] { return vxexp(1.0); }, std::exp(1.0)},
    };
    for (const auto& r : rows) {
        fedisableexcept(FE_ALL_EXCEPT);
        feclearexcept(FE_ALL_EXCEPT); // a flag already raised would trap as soon as it is enabled
        ASSERT_EQ(fesetround(r.round), 0);
        ASSERT_NE(feenableexcept(r.traps), -1);
        ASSERT_EQ(fegetexcept(), r.traps);
        const double got = r.f();
        const int after = fegetexcept(), round = fegetround();
        fedisableexcept(FE_ALL_EXCEPT);
        fesetround(FE_TONEAREST);
        EXPECT_TRUE(got == r.want || (std::isnan(got) && std::isnan(r.want))) << got << " with traps " << r.traps;
        EXPECT_EQ(after, r.traps != 0 ? kHostSet : 0) << "traps " << r.traps;
        EXPECT_EQ(round, r.round) << "traps " << r.traps;
    }
}

} // namespace
