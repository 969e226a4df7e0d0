// Goodness of fit of the seventeen parametric samplers, one case per
// distribution and algorithm regime, against distribution functions from
// Boost.Math: Kolmogorov-Smirnov for the continuous ones, chi-square on
// binned counts (bins merged to an expected count of at least 5) for the
// discrete ones.  Uniforms come from std::mt19937_64 with a fixed seed per
// case; each threshold is the level a correct sampler exceeds with
// probability 1e-6.
//
// Where an algorithm is an approximation or loses precision (the normal
// approximations of binomial and Poisson, inversion at a tiny p, shapes of
// 1e16 and more, a Poisson mean past DBL_MAX / 2) the sampler is compared
// with the exact law too, and its measured deviation is pinned as a known
// limit: one statistic per regime must lie within six standard errors of
// what the algorithm gives (from its own law where that has a closed form,
// else as bench/accuracy measured it on 10^6 draws), outside the exact
// law's value.  docs/accuracy.md states each one; a change in either
// direction fails here.
#include <gtest/gtest.h>

#include <boost/math/distributions/bernoulli.hpp>
#include <boost/math/distributions/beta.hpp>
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/cauchy.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/exponential.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/gamma.hpp>
#include <boost/math/distributions/geometric.hpp>
#include <boost/math/distributions/hypergeometric.hpp>
#include <boost/math/distributions/negative_binomial.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/poisson.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/distributions/triangular.hpp>
#include <boost/math/distributions/weibull.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "subs/zrand.h"
#include "support/chi_square_bins.h"
#include "support/scripted_stream.h"

namespace {

namespace bm = boost::math;

constexpr int kDraws = 20000;
constexpr double kFalseAlarm = 1e-6;

struct GofCase {
    std::string name;
    std::function<double(MRandPtr)> draw;
    // Continuous: the distribution function and the closed support.
    std::function<double(double)> cdf;
    double lo = -INFINITY, hi = INFINITY;
    // Discrete: the probability of each whole value in [first, last]; the
    // mass above `last` forms the top bin.
    std::function<double(int64_t)> pmf;
    int64_t first = 0, last = 0;
};

void PrintTo(const GofCase& c, std::ostream* os) { *os << c.name; }

template <class Dist>
GofCase continuous(std::string name, std::function<double(MRandPtr)> draw, Dist dist, double lo = 0.0,
                   double hi = INFINITY)
{
    return {std::move(name), std::move(draw), [dist](double x) { return bm::cdf(dist, x); }, lo, hi, {}, 0, 0};
}

GofCase discrete(std::string name, std::function<double(MRandPtr)> draw, std::function<double(int64_t)> pmf,
                 int64_t first, int64_t last)
{
    return {std::move(name), std::move(draw), {}, -INFINITY, INFINITY, std::move(pmf), first, last};
}

template <class Dist>
std::function<double(int64_t)> pmfOf(Dist dist, int64_t shift = 0)
{
    return [dist, shift](int64_t k) { return bm::pdf(dist, static_cast<double>(k - shift)); };
}

// Law of floor-or-truncate(mean + sd z + 0.5) for a standard normal z,
// accepted on 0..n (n < 0: no upper bound, negatives folded into 0).
std::function<double(int64_t)> roundedNormal(double mean, double sd, int64_t n)
{
    return [=](int64_t k) {
        auto cdf = [&](double y) { return bm::cdf(bm::normal(), (y - mean) / sd); };
        const double below = k > 0 ? cdf(k - 0.5) : n < 0 ? 0.0 : cdf(-1.5);
        const double accepted = n < 0 ? 1.0 : cdf(n + 0.5) - cdf(-1.5);
        return (cdf(k + 0.5) - below) / accepted;
    };
}

// The one-variate form of DIST with the given parameters, as a draw.
#define VX_DRAW(DIST, ...) [=](MRandPtr q) { return GetOneVariate##DIST(q __VA_OPT__(, ) __VA_ARGS__); }

std::vector<GofCase> cases()
{
    std::vector<GofCase> v;
    using Named = std::pair<double, const char*>;
    for (Named c : {Named{0.05, "0_05"}, {0.3, "0_3"}, {1.0, "1"}, {1.7, "1_7"}, {2.5, "2_5"}, {40.0, "40"},
                    {1e6, "1e6"}, {3e9, "3e9_whole_part_capped"}}) {
        const double a = c.first;
        v.push_back(continuous("GAMMA_" + std::string(c.second), VX_DRAW(GAMMA, a), bm::gamma_distribution<>(a)));
    }
    for (int32_t a : {1, 3, 12})
        v.push_back(continuous("ERLANG_" + std::to_string(a), VX_DRAW(ERLANG, a), bm::gamma_distribution<>(a)));
    for (double df : {1.0, 5.0})
        v.push_back(continuous("CHISQUARE_" + std::to_string(int(df)), VX_DRAW(CHISQUARE, df), bm::chi_squared(df)));

    auto beta = [&](double a, double b, std::string name) {
        v.push_back(continuous("BETA_" + name, VX_DRAW(BETA, a, b), bm::beta_distribution<>(a, b), 0.0, 1.0));
    };
    beta(0.3, 0.6, "A_0_3_0_6"); beta(0.5, 0.5, "A_0_5_0_5"); beta(0.9, 0.2, "A_0_9_0_2");
    beta(2.5, 4.0, "BB_alpha_smaller"); beta(4.0, 2.5, "BB_alpha_larger"); beta(3.0, 3.0, "BB_equal");
    beta(1.5, 60.0, "BB_1_5_60");
    beta(0.5, 3.0, "BC_alpha_small"); beta(3.0, 0.5, "BC_alpha_large"); beta(0.05, 50.0, "BC_0_05_50");
    beta(40.0, 0.3, "BC_40_0_3");
    beta(1.0, 1.0, "unit_1_1"); beta(2.0, 1.0, "unit_2_1"); beta(0.4, 1.0, "unit_0_4_1"); beta(1.0, 3.0, "unit_1_3");
    beta(1.0, 0.7, "unit_1_0_7");

    auto f = [&](double n, double d, std::string name) {
        v.push_back(continuous("F_" + name, VX_DRAW(F, n, d), bm::fisher_f(n, d)));
    };
    f(4, 7, "4_7_BB"); f(1, 3, "1_3_BC"); f(2, 2, "2_2_unit"); f(1, 1, "1_1_A");
    for (Named c : {Named{0.1, "0_1"}, {1.0, "1"}, {5.0, "5"}, {30.0, "30"}}) {
        const double df = c.first;
        v.push_back(continuous("T_" + std::string(c.second), VX_DRAW(T, df), bm::students_t(df), -INFINITY, INFINITY));
    }

    v.push_back(continuous("EXPONENTIAL", VX_DRAW(EXPONENTIAL), bm::exponential_distribution<>(1.0)));
    v.push_back(continuous("CAUCHY", VX_DRAW(CAUCHY), bm::cauchy_distribution<>(0.0, 1.0), -INFINITY, INFINITY));
    v.push_back(continuous("WEIBULL_1_5_2", VX_DRAW(WEIBULL, 1.5, 2.0), bm::weibull_distribution<>(1.5, 2.0)));
    v.push_back(continuous("WEIBULL_0_5_1", VX_DRAW(WEIBULL, 0.5, 1.0), bm::weibull_distribution<>(0.5, 1.0)));
    for (double h : {0.0, 0.3, 1.0})
        v.push_back(continuous("TRIANGLE_" + std::to_string(int(h * 10)), VX_DRAW(TRIANGLE, h),
                               bm::triangular_distribution<>(0.0, h, 1.0), 0.0, 1.0));

    auto binomial = [&](long n, double p, std::string name) {
        v.push_back(discrete("BINOMIAL_" + name, VX_DRAW(BINOMIAL, n, p),
                             pmfOf(bm::binomial_distribution<>(double(n), p)), 0, n));
    };
    binomial(20, 0.3, "inversion_20_0_3");
    binomial(50, 0.8, "inversion_folded_50_0_8");
    binomial(300, 0.5, "inversion_300_0_5");
    binomial(100000, 0.00001, "inversion_large_n");
    binomial(400, 0.99, "inversion_folded_400_0_99");
    // The normal approximation where its error is below what these draws
    // see (the others are known limits, below).
    binomial(1000, 0.4, "normal_1000_0_4");
    binomial(301, 0.5, "normal_301_0_5");

    for (Named c : {Named{0.4, "flag0_0_4"}, {3.5, "flag0_3_5"}, {7.9, "flag0_7_9"}, {3.0, "flag1_whole_3"},
                    {8.0, "flag1_8"}, {10.5, "flag1_fraction_10_5"}, {40.3, "flag1_40_3"}, {84.9, "flag1_84_9"}}) {
        const double lambda = c.first;
        v.push_back(discrete("POISSON_" + std::string(c.second), VX_DRAW(POISSON, lambda),
                             pmfOf(bm::poisson_distribution<>(lambda)), 0, int64_t(lambda + 12 * std::sqrt(lambda) + 20)));
    }

    auto geometric = [&](double p, std::string name, int64_t last) {
        v.push_back(discrete("GEOMETRIC_" + name, VX_DRAW(GEOMETRIC, p), pmfOf(bm::geometric_distribution<>(p), 1), 1,
                             last));
    };
    geometric(0.3, "counting_0_3", 80); geometric(0.95, "counting_0_95", 20);
    geometric(0.001, "counting_0_001", 20000); geometric(0.0005, "inversion_0_0005", 40000);

    auto negbin = [&](double p, double r, std::string name, int64_t last) {
        v.push_back(discrete("NEGBINOMIAL_" + name, VX_DRAW(NEGBINOMIAL, p, r),
                             pmfOf(bm::negative_binomial_distribution<>(r, p)), 0, last));
    };
    negbin(0.4, 2.5, "0_4_2_5", 100); negbin(0.7, 1.0, "0_7_1", 60);
    negbin(0.5, 0.3, "0_5_0_3", 80); negbin(0.25, 6.0, "0_25_6", 200);

    auto hyper = [&](long nn, long n, long k) {
        v.push_back(discrete("HYPERGEOMETRIC_" + std::to_string(nn) + "_" + std::to_string(n) + "_" + std::to_string(k),
                             VX_DRAW(HYPERGEOMETRIC, nn, n, k),
                             pmfOf(bm::hypergeometric_distribution<>(unsigned(n), unsigned(k), unsigned(nn))),
                             std::max<long>(0, n + k - nn), std::min(n, k)));
    };
    hyper(50, 20, 15); hyper(1000, 10, 500); hyper(30, 25, 20);

    for (double p : {0.3, 0.999})
        v.push_back(discrete("BERNOULLI_" + std::to_string(int(p * 1000)), VX_DRAW(BERNOULLI, p),
                             pmfOf(bm::bernoulli_distribution<>(p)), 0, 1));

    static double shortTable[] = {0.2, 0.3, 0.1};
    v.push_back(discrete("TABLE_sum_below_one", VX_DRAW(TABLE, 3, shortTable),
                         [](int64_t k) { return k <= 3 ? shortTable[k - 1] : 0.4; }, 1, 4));
    static double longTable[] = {0.5, 0.3, 0.4, 0.2};
    v.push_back(discrete("TABLE_sum_above_one_cut", VX_DRAW(TABLE, 4, longTable),
                         [](int64_t k) { return k == 1 ? 0.5 : k == 2 ? 0.3 : k == 3 ? 0.2 : 0.0; }, 1, 5));
    return v;
}

class GoodnessOfFit : public ::testing::TestWithParam<GofCase> {};

// n variates from a stream seeded by the case's name.
std::vector<double> sample(const std::string& name, const std::function<double(MRandPtr)>& draw, int n)
{
    uint64_t seed = 0x9E3779B97F4A7C15ull;
    for (char ch : name) seed = (seed ^ static_cast<unsigned char>(ch)) * 0x100000001B3ull;
    vxtest::ScriptedStream s(seed);
    std::vector<double> x(static_cast<size_t>(n));
    for (double& v : x) v = draw(s.get());
    return x;
}

// One-sample Kolmogorov-Smirnov with Stephens' small-sample scaling; the
// critical value solves 2 exp(-2 c^2) = alpha (the first term of the
// Kolmogorov series, exact to far below alpha there).
void kolmogorovSmirnov(const GofCase& c, std::vector<double>& x)
{
    std::sort(x.begin(), x.end());
    const double n = static_cast<double>(x.size());
    double d = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double f = c.cdf(x[i]);
        d = std::max({d, f - i / n, (i + 1) / n - f});
    }
    const double scaled = (std::sqrt(n) + 0.12 + 0.11 / std::sqrt(n)) * d;
    const double critical = std::sqrt(-std::log(kFalseAlarm / 2) / 2);
    EXPECT_LT(scaled, critical) << c.name << ": D = " << d;
}

void chiSquare(const GofCase& c, const std::vector<double>& x)
{
    std::map<int64_t, double> counts;
    double above = 0.0;
    for (double v : x) {
        ASSERT_EQ(v, std::floor(v)) << c.name << " gave a fraction";
        ASSERT_GE(v, double(c.first)) << c.name << " below its support";
        if (v > double(c.last))
            above += 1.0;
        else
            counts[static_cast<int64_t>(v)] += 1.0;
    }
    for (const auto& [k, count] : counts)
        if (c.pmf(k) == 0.0) {
            ADD_FAILURE() << c.name << " gave the impossible value " << k;
            return;
        }
    const ChiSquareBins bins = chiSquareBins(counts, above, static_cast<double>(x.size()), c.first, c.last, c.pmf);
    ASSERT_GE(bins.expected.size(), 2u) << c.name;
    const bm::chi_squared law(static_cast<double>(bins.expected.size() - 1));
    const double critical = bm::quantile(bm::complement(law, kFalseAlarm));
    EXPECT_LT(bins.statistic(), critical) << c.name << ": " << bins.expected.size() << " bins";
}

TEST_P(GoodnessOfFit, MatchesItsDistribution)
{
    const GofCase& c = GetParam();
    std::vector<double> x = sample(c.name, c.draw, kDraws);
    if (c.pmf) {
        chiSquare(c, x); // a NaN fails its whole-value test
        return;
    }
    for (double v : x) {
        ASSERT_GE(v, c.lo) << c.name;
        ASSERT_LE(v, c.hi) << c.name;
    }
    kolmogorovSmirnov(c, x);
}

INSTANTIATE_TEST_SUITE_P(Samplers, GoodnessOfFit, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<GofCase>& info) {
                             std::string s = info.param.name;
                             for (char& ch : s)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return s;
                         });

// ---- known limits ------------------------------------------------------------------------

using Statistic = std::function<double(const std::vector<double>&)>;

struct KnownLimit {
    std::string name;
    std::function<double(MRandPtr)> draw;
    int draws;
    Statistic statistic;
    double algorithm; // what the sampler's algorithm gives
    double tolerance; // six standard errors at `draws`
    double exact;     // the exact law's value
};

void PrintTo(const KnownLimit& k, std::ostream* os) { *os << k.name; }

double fractionOf(const std::vector<double>& x, bool (*is)(double))
{
    return static_cast<double>(std::count_if(x.begin(), x.end(), is)) / static_cast<double>(x.size());
}
double zeroFraction(const std::vector<double>& x)
{
    return fractionOf(x, [](double v) { return v == 0.0; });
}

double sampleMean(const std::vector<double>& x)
{
    double s = 0.0;
    for (double v : x) s += v;
    return s / static_cast<double>(x.size());
}

// Sample sd of (x - centre) / scale, and sample skewness.
Statistic standardisedSd(double centre, double scale)
{
    return [=](const std::vector<double>& x) {
        double s1 = 0.0, s2 = 0.0;
        for (double v : x) s1 += (v - centre) / scale;
        const double m = s1 / static_cast<double>(x.size());
        for (double v : x) s2 += ((v - centre) / scale - m) * ((v - centre) / scale - m);
        return std::sqrt(s2 / static_cast<double>(x.size() - 1));
    };
}
double skewness(const std::vector<double>& x)
{
    const double m = sampleMean(x);
    double s2 = 0.0, s3 = 0.0;
    for (double v : x) {
        s2 += (v - m) * (v - m);
        s3 += (v - m) * (v - m) * (v - m);
    }
    const double n = static_cast<double>(x.size());
    return (s3 / n) / std::pow(s2 / n, 1.5);
}

// Skewness of a law on 0 .. last given by its probabilities.
double skewnessOf(const std::function<double(int64_t)>& pmf, int64_t last)
{
    double m1 = 0.0, m2 = 0.0, m3 = 0.0;
    for (int64_t k = 0; k <= last; ++k) m1 += double(k) * pmf(k);
    for (int64_t k = 0; k <= last; ++k) {
        const double d = double(k) - m1;
        m2 += d * d * pmf(k);
        m3 += d * d * d * pmf(k);
    }
    return m3 / std::pow(m2, 1.5);
}

std::vector<KnownLimit> knownLimits()
{
    std::vector<KnownLimit> v;
    // Normal approximation of the binomial: too much mass at 0 when the
    // mean is small.
    for (std::pair<long, double> np : {std::pair<long, double>{301, 0.02}, {1000, 0.01}}) {
        const long n = np.first;
        const double p = np.second, zero = roundedNormal(n * p, std::sqrt(n * p * (1 - p)), n)(0);
        v.push_back({"BINOMIAL_normal_" + std::to_string(n) + "_P0", VX_DRAW(BINOMIAL, n, p), 10 * kDraws, zeroFraction,
                     zero, 6 * std::sqrt(zero * (1 - zero) / (10 * kDraws)),
                     bm::pdf(bm::binomial_distribution<>(double(n), p), 0.0)});
    }
    // Normal approximation of Poisson: no skew.
    for (double lambda : {85.0, 200.5}) {
        const int draws = 10 * kDraws;
        const int64_t last = int64_t(lambda + 14 * std::sqrt(lambda));
        v.push_back({"POISSON_normal_" + std::to_string(int(lambda)) + "_skewness", VX_DRAW(POISSON, lambda), draws, skewness,
                     skewnessOf(roundedNormal(lambda, std::sqrt(lambda), -1), last), 6 * std::sqrt(6.0 / draws),
                     1 / std::sqrt(lambda)});
    }
    // Inversion from exp(n ln(1 - p)), which loses p below about 1e-13:
    // P(0) comes out too small, the sum of the terms stops short of 1 and
    // the uniforms above it run the count up to where the terms underflow.
    // At 1e-17, 1 - p is 1 and every variate 0.  Measured mean and sd of
    // the variates: 4.26, 8.25 and 84.70, 108.2.
    v.push_back({"BINOMIAL_inversion_4e13_1e_13_mean", VX_DRAW(BINOMIAL, 40000000000000L, 1e-13), 10 * kDraws,
                 sampleMean, 4.26, 6 * 8.25 / std::sqrt(10.0 * kDraws), 4.0});
    v.push_back({"BINOMIAL_inversion_4e16_1e_16_mean", VX_DRAW(BINOMIAL, 40000000000000000L, 1e-16), kDraws,
                 sampleMean, 84.70, 6 * 108.2 / std::sqrt(double(kDraws)), 4.0});
    v.push_back({"BINOMIAL_inversion_4e17_1e_17_P0", VX_DRAW(BINOMIAL, 400000000000000000L, 1e-17), kDraws,
                 zeroFraction, 1.0, 0.0, std::exp(-4.0)});
    // Huge shapes: b + c v - x cancels in GB (and d1 + r - w in BB), and the
    // spread grows.  Measured standardised sd; its standard error at 20000
    // draws is at most 0.008.
    v.push_back({"GAMMA_1e16_sd", VX_DRAW(GAMMA, 1e16), kDraws, standardisedSd(1e16, 1e8), 1.0643, 6 * 0.0053, 1.0});
    v.push_back({"CHISQUARE_2e18_sd", VX_DRAW(CHISQUARE, 2e18), kDraws, standardisedSd(2e18, 2e9), 1.2724, 6 * 0.008,
                 1.0});
    v.push_back({"BETA_BB_1e18_sd", VX_DRAW(BETA, 1e18, 1e18), kDraws, standardisedSd(0.5, 0.5 / std::sqrt(2e18 + 1)),
                 1.2714, 6 * 0.008, 1.0});
    // Poisson past DBL_MAX / 2: -2 lambda overflows, every variate is inf
    // (cosine above 0) or 0.
    v.push_back({"POISSON_1e308_inf_or_0", VX_DRAW(POISSON, 1e308), kDraws,
                 [](const std::vector<double>& x) {
                     return fractionOf(x, [](double y) { return std::isinf(y) || y == 0.0; });
                 },
                 1.0, 0.0, 0.0});
    return v;
}

class KnownLimits : public ::testing::TestWithParam<KnownLimit> {};

TEST_P(KnownLimits, DeviateFromTheExactLawAsMeasured)
{
    const KnownLimit& k = GetParam();
    EXPECT_NEAR(k.statistic(sample(k.name, k.draw, k.draws)), k.algorithm, k.tolerance) << k.name;
    EXPECT_GT(std::fabs(k.exact - k.algorithm), 2 * k.tolerance) << k.name << ": not a visible limit";
}

INSTANTIATE_TEST_SUITE_P(Samplers, KnownLimits, ::testing::ValuesIn(knownLimits()),
                         [](const ::testing::TestParamInfo<KnownLimit>& info) { return info.param.name; });

} // namespace
