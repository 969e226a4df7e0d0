// Goodness of fit of the seventeen parametric samplers, one case per
// distribution and algorithm regime, against distribution functions from
// Boost.Math: Kolmogorov-Smirnov for the continuous ones, chi-square on
// binned counts (bins merged to an expected count of at least 5) for the
// discrete ones.  Uniforms come from std::mt19937_64 with a fixed seed per
// case; each threshold is the level a correct sampler exceeds with
// probability 1e-6.  The normal-approximation regimes (binomial with large
// n, Poisson with lambda >= 85) are compared with the exact law of the
// approximation, so a fault in them is not hidden by its own error.
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
#include <string>
#include <vector>

#include "subs/zrand.h"
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

template <class Dist>
GofCase continuous(std::string name, std::function<double(MRandPtr)> draw, Dist dist,
                   double lo = 0.0, double hi = INFINITY)
{
    GofCase c;
    c.name = std::move(name);
    c.draw = std::move(draw);
    c.cdf = [dist](double x) { return bm::cdf(dist, x); };
    c.lo = lo;
    c.hi = hi;
    return c;
}

GofCase discrete(std::string name, std::function<double(MRandPtr)> draw,
                 std::function<double(int64_t)> pmf, int64_t first, int64_t last)
{
    GofCase c;
    c.name = std::move(name);
    c.draw = std::move(draw);
    c.pmf = std::move(pmf);
    c.first = first;
    c.last = last;
    return c;
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
        const bm::normal z;
        auto cdf = [&](double y) { return bm::cdf(z, (y - mean) / sd); };
        if (n < 0) {
            if (k == 0) return cdf(0.5);
            return cdf(k + 0.5) - cdf(k - 0.5);
        }
        const double accepted = cdf(n + 0.5) - cdf(-1.5);
        if (k == 0) return (cdf(0.5) - cdf(-1.5)) / accepted;
        return (cdf(k + 0.5) - cdf(k - 0.5)) / accepted;
    };
}

std::vector<GofCase> cases()
{
    std::vector<GofCase> v;
    auto gamma = [&](double a, const char* regime) {
        v.push_back(continuous("GAMMA_" + std::string(regime),
                               [a](MRandPtr q) { return GetOneVariateGAMMA(q, a); },
                               bm::gamma_distribution<>(a)));
    };
    gamma(0.05, "0_05");
    gamma(0.3, "0_3");
    gamma(1.0, "1");
    gamma(1.7, "1_7");
    gamma(2.5, "2_5");
    gamma(40.0, "40");
    gamma(1e6, "1e6");
    gamma(3e9, "3e9_whole_part_capped");
    for (int32_t a : {1, 3, 12})
        v.push_back(continuous("ERLANG_" + std::to_string(a),
                               [a](MRandPtr q) { return GetOneVariateERLANG(q, a); },
                               bm::gamma_distribution<>(a)));
    for (double df : {1.0, 5.0})
        v.push_back(continuous("CHISQUARE_" + std::to_string(int(df)),
                               [df](MRandPtr q) { return GetOneVariateCHISQUARE(q, df); },
                               bm::chi_squared(df)));

    auto beta = [&](double a, double b, std::string name) {
        v.push_back(continuous("BETA_" + name,
                               [a, b](MRandPtr q) { return GetOneVariateBETA(q, a, b); },
                               bm::beta_distribution<>(a, b), 0.0, 1.0));
    };
    beta(0.3, 0.6, "A_0_3_0_6");
    beta(0.5, 0.5, "A_0_5_0_5");
    beta(0.9, 0.2, "A_0_9_0_2");
    beta(2.5, 4.0, "BB_alpha_smaller");
    beta(4.0, 2.5, "BB_alpha_larger");
    beta(3.0, 3.0, "BB_equal");
    beta(1.5, 60.0, "BB_1_5_60");
    beta(0.5, 3.0, "BC_alpha_small");
    beta(3.0, 0.5, "BC_alpha_large");
    beta(0.05, 50.0, "BC_0_05_50");
    beta(40.0, 0.3, "BC_40_0_3");
    beta(1.0, 1.0, "unit_1_1");
    beta(2.0, 1.0, "unit_2_1");
    beta(0.4, 1.0, "unit_0_4_1");
    beta(1.0, 3.0, "unit_1_3");
    beta(1.0, 0.7, "unit_1_0_7");

    auto f = [&](double n, double d, std::string name) {
        v.push_back(continuous("F_" + name, [n, d](MRandPtr q) { return GetOneVariateF(q, n, d); },
                               bm::fisher_f(n, d)));
    };
    f(4, 7, "4_7_BB");
    f(1, 3, "1_3_BC");
    f(2, 2, "2_2_unit");
    f(1, 1, "1_1_A");
    auto t = [&](double df, std::string name) {
        v.push_back(continuous("T_" + name, [df](MRandPtr q) { return GetOneVariateT(q, df); },
                               bm::students_t(df), -INFINITY, INFINITY));
    };
    t(0.1, "0_1");
    t(1.0, "1");
    t(5.0, "5");
    t(30.0, "30");

    v.push_back(continuous("EXPONENTIAL", [](MRandPtr q) { return GetOneVariateEXPONENTIAL(q); },
                           bm::exponential_distribution<>(1.0)));
    v.push_back(continuous("CAUCHY", [](MRandPtr q) { return GetOneVariateCAUCHY(q); },
                           bm::cauchy_distribution<>(0.0, 1.0), -INFINITY, INFINITY));
    v.push_back(continuous("WEIBULL_1_5_2",
                           [](MRandPtr q) { return GetOneVariateWEIBULL(q, 1.5, 2.0); },
                           bm::weibull_distribution<>(1.5, 2.0)));
    v.push_back(continuous("WEIBULL_0_5_1",
                           [](MRandPtr q) { return GetOneVariateWEIBULL(q, 0.5, 1.0); },
                           bm::weibull_distribution<>(0.5, 1.0)));
    for (double h : {0.0, 0.3, 1.0})
        v.push_back(continuous("TRIANGLE_" + std::to_string(int(h * 10)),
                               [h](MRandPtr q) { return GetOneVariateTRIANGLE(q, h); },
                               bm::triangular_distribution<>(0.0, h, 1.0), 0.0, 1.0));

    auto binomial = [&](long n, double p, std::string name) {
        v.push_back(discrete("BINOMIAL_" + name,
                             [n, p](MRandPtr q) { return GetOneVariateBINOMIAL(q, n, p); },
                             pmfOf(bm::binomial_distribution<>(double(n), p)), 0, n));
    };
    binomial(20, 0.3, "inversion_20_0_3");
    binomial(50, 0.8, "inversion_folded_50_0_8");
    binomial(300, 0.5, "inversion_300_0_5");
    binomial(100000, 0.00001, "inversion_large_n");
    binomial(400, 0.99, "inversion_folded_400_0_99");
    for (auto [n, p] : {std::pair<long, double>{1000, 0.4}, {301, 0.5}, {5000, 0.002}}) {
        const double mean = n * p, sd = std::sqrt(n * p * (1 - p));
        v.push_back(discrete("BINOMIAL_normal_" + std::to_string(n),
                             [n = n, p = p](MRandPtr q) { return GetOneVariateBINOMIAL(q, n, p); },
                             roundedNormal(mean, sd, n), 0, n));
    }

    auto poisson = [&](double lambda, std::string name) {
        v.push_back(discrete("POISSON_" + name,
                             [lambda](MRandPtr q) { return GetOneVariatePOISSON(q, lambda); },
                             pmfOf(bm::poisson_distribution<>(lambda)), 0,
                             int64_t(lambda + 12 * std::sqrt(lambda) + 20)));
    };
    poisson(0.4, "flag0_0_4");
    poisson(3.5, "flag0_3_5");
    poisson(7.9, "flag0_7_9");
    poisson(3.0, "flag1_whole_3");
    poisson(8.0, "flag1_8");
    poisson(10.5, "flag1_fraction_10_5");
    poisson(40.3, "flag1_40_3");
    poisson(84.9, "flag1_84_9");
    for (double lambda : {85.0, 200.5})
        v.push_back(discrete("POISSON_flag2_" + std::to_string(int(lambda)),
                             [lambda](MRandPtr q) { return GetOneVariatePOISSON(q, lambda); },
                             roundedNormal(lambda, std::sqrt(lambda), -1), 0,
                             int64_t(lambda + 12 * std::sqrt(lambda))));

    auto geometric = [&](double p, std::string name, int64_t last) {
        v.push_back(discrete("GEOMETRIC_" + name,
                             [p](MRandPtr q) { return GetOneVariateGEOMETRIC(q, p); },
                             pmfOf(bm::geometric_distribution<>(p), 1), 1, last));
    };
    geometric(0.3, "counting_0_3", 80);
    geometric(0.95, "counting_0_95", 20);
    geometric(0.001, "counting_0_001", 20000);
    geometric(0.0005, "inversion_0_0005", 40000);

    auto negbin = [&](double p, double r, std::string name, int64_t last) {
        v.push_back(discrete("NEGBINOMIAL_" + name,
                             [p, r](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, p, r); },
                             pmfOf(bm::negative_binomial_distribution<>(r, p)), 0, last));
    };
    negbin(0.4, 2.5, "0_4_2_5", 100);
    negbin(0.7, 1.0, "0_7_1", 60);
    negbin(0.5, 0.3, "0_5_0_3", 80);
    negbin(0.25, 6.0, "0_25_6", 200);

    auto hyper = [&](long nn, long n, long k) {
        v.push_back(discrete(
            "HYPERGEOMETRIC_" + std::to_string(nn) + "_" + std::to_string(n) + "_" +
                std::to_string(k),
            [nn, n, k](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, nn, n, k); },
            pmfOf(bm::hypergeometric_distribution<>(unsigned(n), unsigned(k), unsigned(nn))),
            std::max<long>(0, n + k - nn), std::min(n, k)));
    };
    hyper(50, 20, 15);
    hyper(1000, 10, 500);
    hyper(30, 25, 20);

    for (double p : {0.3, 0.999})
        v.push_back(discrete("BERNOULLI_" + std::to_string(int(p * 1000)),
                             [p](MRandPtr q) { return GetOneVariateBERNOULLI(q, p); },
                             pmfOf(bm::bernoulli_distribution<>(p)), 0, 1));

    static double shortTable[] = {0.2, 0.3, 0.1};
    v.push_back(discrete("TABLE_sum_below_one",
                         [](MRandPtr q) { return GetOneVariateTABLE(q, 3, shortTable); },
                         [](int64_t k) { return k <= 3 ? shortTable[k - 1] : 0.4; }, 1, 4));
    static double longTable[] = {0.5, 0.3, 0.4, 0.2};
    v.push_back(discrete("TABLE_sum_above_one_cut",
                         [](MRandPtr q) { return GetOneVariateTABLE(q, 4, longTable); },
                         [](int64_t k) { return k == 1 ? 0.5 : k == 2 ? 0.3 : k == 3 ? 0.2 : 0.0; },
                         1, 5));
    return v;
}

class GoodnessOfFit : public ::testing::TestWithParam<GofCase> {};

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
    const double n = static_cast<double>(x.size());
    std::vector<double> expected, observed;
    double e = 0.0, o = 0.0, mass = 0.0;
    for (int64_t k = c.first; k <= c.last; ++k) {
        const double p = c.pmf(k);
        if (p == 0.0 && counts.count(k)) {
            ADD_FAILURE() << c.name << " gave the impossible value " << k;
            return;
        }
        mass += p;
        e += n * p;
        o += counts.count(k) ? counts[k] : 0.0;
        if (e >= 5.0) {
            expected.push_back(e);
            observed.push_back(o);
            e = o = 0.0;
        }
    }
    e += n * std::max(0.0, 1.0 - mass);
    o += above;
    if (expected.empty() || e >= 5.0) {
        expected.push_back(e);
        observed.push_back(o);
    } else {
        expected.back() += e;
        observed.back() += o;
    }
    ASSERT_GE(expected.size(), 2u) << c.name;
    double stat = 0.0;
    for (size_t i = 0; i < expected.size(); ++i)
        stat += (observed[i] - expected[i]) * (observed[i] - expected[i]) / expected[i];
    const bm::chi_squared law(static_cast<double>(expected.size() - 1));
    const double critical = bm::quantile(bm::complement(law, kFalseAlarm));
    EXPECT_LT(stat, critical) << c.name << ": " << expected.size() << " bins";
}

TEST_P(GoodnessOfFit, MatchesItsDistribution)
{
    const GofCase& c = GetParam();
    uint64_t seed = 0x9E3779B97F4A7C15ull;
    for (char ch : c.name) seed = (seed ^ static_cast<unsigned char>(ch)) * 0x100000001B3ull;
    vxtest::ScriptedStream s(seed);
    std::vector<double> x(kDraws);
    for (double& v : x) {
        v = c.draw(s.get());
        ASSERT_FALSE(std::isnan(v)) << c.name;
    }
    if (c.pmf) {
        chiSquare(c, x);
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

} // namespace
