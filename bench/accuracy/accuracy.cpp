// The samplers' known accuracy limits, measured against the exact laws
// (Boost.Math): each row draws from the module's own samplers on an MT64
// stream with a fixed seed and prints the figure docs/accuracy.md quotes.
//
//   cmake --build build --target vxalea_accuracy && build/bin/vxalea_accuracy
//
// Prints a Markdown table on stdout (a few minutes at most, most of it the
// hypergeometric timing).  Neighbouring regimes that are exact are measured
// the same way, so each limit is seen against what the sampler does well.
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/gamma.hpp>
#include <boost/math/distributions/poisson.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "subs/zrand.h"
#include "tests/support/chi_square_bins.h"

namespace {

namespace bm = boost::math;

MERSENNE_RAND* stream(double seed)
{
    static MERSENNE_RAND q;
    std::memset(static_cast<void*>(&q), 0, sizeof q);
    q.UserMethod = const_cast<char*>("MT64");
    q.UserSeed = seed;
    zmrsrnd(&q);
    return &q;
}

std::vector<double> draw(int64_t n, double seed, const std::function<double(MRandPtr)>& f)
{
    MRandPtr q = stream(seed);
    std::vector<double> x(static_cast<size_t>(n));
    for (double& v : x) v = f(q);
    return x;
}

/* Chi-square p-value of whole-valued draws against a probability function
 * on 0, 1, 2, ...; bins merged to an expected count of at least 5, the mass
 * beyond `last` in the top bin. */
double chiSquareP(const std::vector<double>& x, const std::function<double(int64_t)>& pmf, int64_t last)
{
    std::map<int64_t, double> counts;
    double above = 0.0;
    for (double v : x) {
        if (!(v <= static_cast<double>(last))) above += 1.0;
        else counts[static_cast<int64_t>(v)] += 1.0;
    }
    const ChiSquareBins bins = chiSquareBins(counts, above, static_cast<double>(x.size()), 0, last, pmf);
    if (bins.expected.size() < 2) return 1.0;
    return bm::cdf(bm::complement(bm::chi_squared(static_cast<double>(bins.expected.size() - 1)), bins.statistic()));
}

double fraction(const std::vector<double>& x, const std::function<bool(double)>& is)
{
    return static_cast<double>(std::count_if(x.begin(), x.end(), is)) / static_cast<double>(x.size());
}

double mean(const std::vector<double>& x)
{
    double s = 0.0;
    for (double v : x) s += v;
    return s / static_cast<double>(x.size());
}

/* Moments of (x - centre) / scale, accumulated in long double. */
struct Moments {
    double mean, sd, skew;
};
Moments standardised(const std::vector<double>& x, double centre, double scale)
{
    long double s1 = 0, s2 = 0, s3 = 0;
    for (double v : x) {
        const long double z = (static_cast<long double>(v) - centre) / scale;
        s1 += z;
    }
    const long double n = static_cast<long double>(x.size());
    const long double m = s1 / n;
    for (double v : x) {
        const long double d = (static_cast<long double>(v) - centre) / scale - m;
        s2 += d * d;
        s3 += d * d * d;
    }
    const long double var = s2 / (n - 1);
    return {static_cast<double>(m), static_cast<double>(std::sqrt(var)),
            static_cast<double>(s3 / n / std::pow(var, 1.5L))};
}

std::string pValue(double p)
{
    char b[32];
    if (p < 1e-300) return "p < 1e-300";
    std::snprintf(b, sizeof b, p < 1e-3 ? "p = %.1e" : "p = %.3f", p);
    return b;
}

void row(const char* regime, const char* params, int64_t n, const std::string& measured, const std::string& exact,
         const std::string& note)
{
    std::printf("| %s | %s | %lld | %s | %s | %s |\n", regime, params, static_cast<long long>(n), measured.c_str(),
                exact.c_str(), note.c_str());
    std::fflush(stdout);
}

std::string fmt(const char* f, double v)
{
    char b[64];
    std::snprintf(b, sizeof b, f, v);
    return b;
}

constexpr int64_t kDraws = 1000000;

void binomialRows()
{
    for (auto [n, p, regime] : {std::tuple<long, double, const char*>{300, 0.02, "inversion (n <= 300)"},
                                {301, 0.02, "normal approximation"},
                                {1000, 0.01, "normal approximation"},
                                {1000, 0.4, "normal approximation"},
                                {100000, 0.00005, "inversion (np <= 5)"}}) {
        const bm::binomial law(static_cast<double>(n), p);
        const auto x = draw(kDraws, 1001, [n = n, p = p](MRandPtr q) { return GetOneVariateBINOMIAL(q, n, p); });
        char params[64];
        std::snprintf(params, sizeof params, "BINOMIAL(%ld, %g)", n, p);
        /* The normal approximation misses the skew: near 0 when the mean is
         * small, everywhere otherwise. */
        std::string measured, exact;
        if (n * p < 50) {
            measured = "P(X=0) = " + fmt("%.5f", fraction(x, [](double v) { return v == 0.0; }));
            exact = fmt("%.5f", bm::pdf(law, 0.0));
        } else {
            const double sd = std::sqrt(n * p * (1 - p));
            measured = "skewness " + fmt("%.4f", standardised(x, n * p, sd).skew);
            exact = fmt("%.4f", (1 - 2 * p) / sd);
        }
        row(regime, params, kDraws, measured, exact,
            "chi-square " + pValue(chiSquareP(x, [&](int64_t k) { return bm::pdf(law, double(k)); }, n)));
    }
    /* exp(n log(1 - p)) loses p below about 1e-13. */
    for (double p : {1e-13, 1e-16, 1e-17}) {
        const long n = static_cast<long>(4.0 / p);
        const auto x = draw(kDraws, 1002, [n, p](MRandPtr q) { return GetOneVariateBINOMIAL(q, n, p); });
        char params[64];
        std::snprintf(params, sizeof params, "BINOMIAL(%.0e, %g)", static_cast<double>(n), p);
        row("inversion, tiny p", params, kDraws,
            "mean " + fmt("%.2f", mean(x)) + ", P(X=0) = " + fmt("%.4f", fraction(x, [](double v) { return v == 0.0; })),
            "mean " + fmt("%.2f", static_cast<double>(n) * p) + ", P(X=0) = " + fmt("%.4f", std::exp(-4.0)),
            "");
    }
}

void poissonRows()
{
    for (auto [lambda, regime] : {std::pair<double, const char*>{84.9, "inversion from the mode"},
                                  {85.0, "normal approximation"},
                                  {200.5, "normal approximation"},
                                  {1000.0, "normal approximation"}}) {
        const bm::poisson law(lambda);
        const auto x = draw(kDraws, 1003, [lambda = lambda](MRandPtr q) { return GetOneVariatePOISSON(q, lambda); });
        const Moments m = standardised(x, lambda, std::sqrt(lambda));
        char params[64];
        std::snprintf(params, sizeof params, "POISSON(%g)", lambda);
        row(regime, params, kDraws, "skewness " + fmt("%.4f", m.skew), fmt("%.4f", 1.0 / std::sqrt(lambda)),
            "chi-square " +
                pValue(chiSquareP(x, [&](int64_t k) { return bm::pdf(law, double(k)); },
                                  static_cast<int64_t>(lambda + 12 * std::sqrt(lambda) + 20))));
    }
    for (double lambda : {1e306, 1e307, 1e308, 1.7976931348623157e308}) {
        const auto x = draw(kDraws, 1004, [lambda](MRandPtr q) { return GetOneVariatePOISSON(q, lambda); });
        char params[64];
        std::snprintf(params, sizeof params, "POISSON(%g)", lambda);
        row("normal approximation, huge mean", params, kDraws,
            "inf " + fmt("%.4f", fraction(x, [](double v) { return std::isinf(v); })) + ", 0 " +
                fmt("%.4f", fraction(x, [](double v) { return v == 0.0; })),
            "neither", "-2 lambda ln u1 overflows");
    }
}

void shapeRows()
{
    for (double a : {1e6, 1e12, 1e15, 1e16, 1e18, 1e20}) {
        const auto x = draw(kDraws, 1005, [a](MRandPtr q) { return GetOneVariateGAMMA(q, a); });
        const Moments m = standardised(x, a, std::sqrt(a));
        char params[64];
        std::snprintf(params, sizeof params, "GAMMA(%g)", a);
        row("GB", params, kDraws, "standardised mean " + fmt("%+.4f", m.mean) + ", sd " + fmt("%.4f", m.sd),
            "0, 1", "");
    }
    for (double df : {2e15, 2e18}) {
        const auto x = draw(kDraws, 1006, [df](MRandPtr q) { return GetOneVariateCHISQUARE(q, df); });
        const Moments m = standardised(x, df, std::sqrt(2 * df));
        char params[64];
        std::snprintf(params, sizeof params, "CHISQUARE(%g)", df);
        row("2 GAMMA(df/2), GB", params, kDraws,
            "standardised mean " + fmt("%+.4f", m.mean) + ", sd " + fmt("%.4f", m.sd), "0, 1", "");
    }
    for (double a : {1e6, 1e12, 1e15, 1e18}) {
        const auto x = draw(kDraws, 1007, [a](MRandPtr q) { return GetOneVariateBETA(q, a, a); });
        /* BETA(a, a): mean 1/2, variance 1 / (4 (2a + 1)). */
        const Moments m = standardised(x, 0.5, 0.5 / std::sqrt(2 * a + 1));
        char params[64];
        std::snprintf(params, sizeof params, "BETA(%g, %g)", a, a);
        row("BB", params, kDraws, "standardised mean " + fmt("%+.4f", m.mean) + ", sd " + fmt("%.4f", m.sd),
            "0, 1", "");
    }
}

void hypergeometricRow()
{
    /* One uniform per item drawn: time a large k and scale to the largest. */
    constexpr long k = 20000000;
    MRandPtr q = stream(1008);
    const auto t0 = std::chrono::steady_clock::now();
    const double x = GetOneVariateHYPERGEOMETRIC(q, 4 * k, 2 * k, k);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    row("one uniform per item", "HYPERGEOMETRIC(8e7, 4e7, 2e7)", 1, fmt("%.2f s", s) + fmt(" (x = %.0f)", x),
        "", fmt("k = 2^31 - 1 would take %.0f s", s * 2147483647.0 / k));
}

} // namespace

int main()
{
    std::printf("| Regime | Parameters | Draws | Measured | Exact law | Note |\n");
    std::printf("|---|---|---|---|---|---|\n");
    binomialRows();
    poissonRows();
    shapeRows();
    hypergeometricRow();
    return 0;
}
