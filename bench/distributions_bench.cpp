// Cost per variate of the seventeen parametric samplers on an MT64 stream,
// one at a time and by the buffer, beside the same distribution from the
// standard library on std::mt19937_64 and from GSL on gsl_rng_mt19937, in
// the same run.  Parameter sets cover each algorithm regime.
//
// Names follow  dist/<DIST>/<parameters>/<implementation>  with the
// implementation one of
//   ours_one  GetOneVariate<DIST> per value
//   ours_buf  FillTheBuffer<DIST> for the whole batch
//   std       the <random> distribution (or the composition noted at its
//             row where <random> has none)
//   gsl       gsl_ran_*
// so that bench/ratios.py can pair every ours_* with every peer of the same
// dist/<DIST>/<parameters> group.  Every benchmark makes kBatch values per
// iteration.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "bench/bench_loop.h"
#include "subs/zrand.h"

#ifdef VXALEA_HAVE_GSL
#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>
#endif

namespace {

using vxbench::kBatch;
using vxbench::perValue;
constexpr uint64_t kSeed = 5489;

std::unique_ptr<MERSENNE_RAND> mt64Stream()
{
    auto q = std::make_unique<MERSENNE_RAND>();
    q->UserMethod = const_cast<char*>("MT64");
    q->UserSeed = static_cast<double>(kSeed);
    zmrsrnd(q.get());
    return q;
}

// No peer for this row.
struct None {};

// <random> has no beta: X / (X + Y) of two gamma variates, the usual way.
struct StdBeta {
    std::gamma_distribution<double> x, y;
    StdBeta(double a, double b) : x(a), y(b) {}
    double operator()(std::mt19937_64& g)
    {
        const double u = x(g);
        return u / (u + y(g));
    }
};

// Trials up to the first success, as ours counts them.
struct StdGeometric {
    std::geometric_distribution<long> d;
    explicit StdGeometric(double p) : d(p) {}
    double operator()(std::mt19937_64& g) { return static_cast<double>(d(g) + 1); }
};

// Triangle on [0, 1] with mode h, as a piecewise linear density.
struct StdTriangle {
    std::piecewise_linear_distribution<double> d;
    explicit StdTriangle(double h)
    {
        const double x[] = {0.0, h, 1.0};
        const double w[] = {0.0, 1.0, 0.0};
        d = std::piecewise_linear_distribution<double>(std::begin(x), std::end(x), std::begin(w));
    }
    double operator()(std::mt19937_64& g) { return d(g); }
};

// Index 1 ... n + 1 from the table and its remainder.
struct StdTable {
    std::discrete_distribution<int> d;
    explicit StdTable(std::vector<double> p) : d(p.begin(), p.end()) {}
    double operator()(std::mt19937_64& g) { return d(g) + 1.0; }
};

template <class Dist>
struct StdPlain {
    Dist d;
    double operator()(std::mt19937_64& g) { return static_cast<double>(d(g)); }
};
template <class Dist>
StdPlain<Dist> plain(Dist d)
{
    return {d};
}

double gTable[] = {0.2, 0.3, 0.1};

#ifdef VXALEA_HAVE_GSL
struct GslRng {
    gsl_rng* r;
    GslRng() : r(gsl_rng_alloc(gsl_rng_mt19937)) { gsl_rng_set(r, kSeed); }
    ~GslRng() { gsl_rng_free(r); }
    GslRng(const GslRng&) = delete;
    GslRng& operator=(const GslRng&) = delete;
};

struct GslTable {
    gsl_ran_discrete_t* t;
    GslTable()
    {
        const double p[] = {0.2, 0.3, 0.1, 0.4};
        t = gsl_ran_discrete_preproc(4, p);
    }
    ~GslTable() { gsl_ran_discrete_free(t); }
};
const gsl_ran_discrete_t* gslTable()
{
    static GslTable table;
    return table.t;
}
#endif

// One row: our two forms, then the peers that exist.
template <class One, class Fill, class Std, class Gsl>
void row(const char* dist, const char* params, One one, Fill fill, Std stdPeer, Gsl gslPeer)
{
    const std::string base = std::string("dist/") + dist + "/" + params + "/";
    benchmark::RegisterBenchmark((base + "ours_one").c_str(), [one](benchmark::State& state) {
        auto q = mt64Stream();
        MRandPtr p = q.get();
        perValue(state, [&] { return one(p); });
    });
    benchmark::RegisterBenchmark((base + "ours_buf").c_str(), [fill](benchmark::State& state) {
        auto q = mt64Stream();
        std::vector<double> buf(kBatch);
        q->VBuffer = buf.data();
        q->NBuffer = kBatch;
        for (auto _ : state) {
            benchmark::DoNotOptimize(fill(q.get()));
            benchmark::ClobberMemory();
        }
        state.SetItemsProcessed(state.iterations() * kBatch);
    });
    if constexpr (!std::is_same_v<Std, None>) {
        benchmark::RegisterBenchmark((base + "std").c_str(), [stdPeer](benchmark::State& state) {
            std::mt19937_64 g(kSeed);
            Std d = stdPeer;
            perValue(state, [&] { return d(g); });
        });
    }
#ifdef VXALEA_HAVE_GSL
    if constexpr (!std::is_same_v<Gsl, None>) {
        benchmark::RegisterBenchmark((base + "gsl").c_str(), [gslPeer](benchmark::State& state) {
            GslRng g;
            gsl_rng* r = g.r;
            perValue(state, [&] { return gslPeer(r); });
        });
    }
#else
    (void)gslPeer;
#endif
}

#ifdef VXALEA_HAVE_GSL
#define VX_GSL(expr) [](gsl_rng * r) { return static_cast<double>(expr); }
#else
#define VX_GSL(expr) None{}
#endif

#define VX_OURS(DIST, ...)                                                                   \
    [](MRandPtr q) { return GetOneVariate##DIST(q __VA_OPT__(, ) __VA_ARGS__); },            \
        [](MRandPtr q) { return FillTheBuffer##DIST(q __VA_OPT__(, ) __VA_ARGS__); }

[[maybe_unused]] const bool kRegistered = [] {
    // Gamma: envelope and product (alpha <= 1), Cheng's GB above.
    row("GAMMA", "0.3", VX_OURS(GAMMA, 0.3), plain(std::gamma_distribution<double>(0.3)),
        VX_GSL(gsl_ran_gamma(r, 0.3, 1.0)));
    row("GAMMA", "1", VX_OURS(GAMMA, 1.0), plain(std::gamma_distribution<double>(1.0)),
        VX_GSL(gsl_ran_gamma(r, 1.0, 1.0)));
    row("GAMMA", "2.5", VX_OURS(GAMMA, 2.5), plain(std::gamma_distribution<double>(2.5)),
        VX_GSL(gsl_ran_gamma(r, 2.5, 1.0)));
    row("GAMMA", "40", VX_OURS(GAMMA, 40.0), plain(std::gamma_distribution<double>(40.0)),
        VX_GSL(gsl_ran_gamma(r, 40.0, 1.0)));
    row("GAMMA", "1e6", VX_OURS(GAMMA, 1e6), plain(std::gamma_distribution<double>(1e6)),
        VX_GSL(gsl_ran_gamma(r, 1e6, 1.0)));
    row("ERLANG", "3", VX_OURS(ERLANG, 3), plain(std::gamma_distribution<double>(3.0)),
        VX_GSL(gsl_ran_erlang(r, 1.0, 3.0)));
    row("CHISQUARE", "1", VX_OURS(CHISQUARE, 1.0), plain(std::chi_squared_distribution<double>(1.0)),
        VX_GSL(gsl_ran_chisq(r, 1.0)));
    row("CHISQUARE", "5", VX_OURS(CHISQUARE, 5.0), plain(std::chi_squared_distribution<double>(5.0)),
        VX_GSL(gsl_ran_chisq(r, 5.0)));

    // Beta: regimes A, BB, BC and a unit shape.
    row("BETA", "A_0.3_0.6", VX_OURS(BETA, 0.3, 0.6), StdBeta(0.3, 0.6),
        VX_GSL(gsl_ran_beta(r, 0.3, 0.6)));
    row("BETA", "BB_2.5_4", VX_OURS(BETA, 2.5, 4.0), StdBeta(2.5, 4.0),
        VX_GSL(gsl_ran_beta(r, 2.5, 4.0)));
    row("BETA", "BC_0.5_3", VX_OURS(BETA, 0.5, 3.0), StdBeta(0.5, 3.0),
        VX_GSL(gsl_ran_beta(r, 0.5, 3.0)));
    row("BETA", "unit_2_1", VX_OURS(BETA, 2.0, 1.0), StdBeta(2.0, 1.0),
        VX_GSL(gsl_ran_beta(r, 2.0, 1.0)));
    row("F", "BB_4_7", VX_OURS(F, 4.0, 7.0), plain(std::fisher_f_distribution<double>(4.0, 7.0)),
        VX_GSL(gsl_ran_fdist(r, 4.0, 7.0)));
    row("F", "BC_1_3", VX_OURS(F, 1.0, 3.0), plain(std::fisher_f_distribution<double>(1.0, 3.0)),
        VX_GSL(gsl_ran_fdist(r, 1.0, 3.0)));
    row("T", "1", VX_OURS(T, 1.0), plain(std::student_t_distribution<double>(1.0)),
        VX_GSL(gsl_ran_tdist(r, 1.0)));
    row("T", "5", VX_OURS(T, 5.0), plain(std::student_t_distribution<double>(5.0)),
        VX_GSL(gsl_ran_tdist(r, 5.0)));
    row("T", "30", VX_OURS(T, 30.0), plain(std::student_t_distribution<double>(30.0)),
        VX_GSL(gsl_ran_tdist(r, 30.0)));

    // Discrete.
    row("BINOMIAL", "inv_20_0.3", VX_OURS(BINOMIAL, 20L, 0.3),
        plain(std::binomial_distribution<long>(20, 0.3)), VX_GSL(gsl_ran_binomial(r, 0.3, 20)));
    row("BINOMIAL", "inv_300_0.5", VX_OURS(BINOMIAL, 300L, 0.5),
        plain(std::binomial_distribution<long>(300, 0.5)), VX_GSL(gsl_ran_binomial(r, 0.5, 300)));
    row("BINOMIAL", "normal_1000_0.4", VX_OURS(BINOMIAL, 1000L, 0.4),
        plain(std::binomial_distribution<long>(1000, 0.4)),
        VX_GSL(gsl_ran_binomial(r, 0.4, 1000)));
    row("POISSON", "flag0_3.5", VX_OURS(POISSON, 3.5), plain(std::poisson_distribution<long>(3.5)),
        VX_GSL(gsl_ran_poisson(r, 3.5)));
    row("POISSON", "flag1_3", VX_OURS(POISSON, 3.0), plain(std::poisson_distribution<long>(3.0)),
        VX_GSL(gsl_ran_poisson(r, 3.0)));
    row("POISSON", "flag1_10.5", VX_OURS(POISSON, 10.5),
        plain(std::poisson_distribution<long>(10.5)), VX_GSL(gsl_ran_poisson(r, 10.5)));
    row("POISSON", "flag1_40.3", VX_OURS(POISSON, 40.3),
        plain(std::poisson_distribution<long>(40.3)), VX_GSL(gsl_ran_poisson(r, 40.3)));
    row("POISSON", "flag2_200.5", VX_OURS(POISSON, 200.5),
        plain(std::poisson_distribution<long>(200.5)), VX_GSL(gsl_ran_poisson(r, 200.5)));
    row("GEOMETRIC", "count_0.3", VX_OURS(GEOMETRIC, 0.3), StdGeometric(0.3),
        VX_GSL(gsl_ran_geometric(r, 0.3)));
    row("GEOMETRIC", "inv_0.0005", VX_OURS(GEOMETRIC, 0.0005), StdGeometric(0.0005),
        VX_GSL(gsl_ran_geometric(r, 0.0005)));
    row("NEGBINOMIAL", "0.4_2.5", VX_OURS(NEGBINOMIAL, 0.4, 2.5), None{},
        VX_GSL(gsl_ran_negative_binomial(r, 0.4, 2.5)));
    row("NEGBINOMIAL", "0.25_6", VX_OURS(NEGBINOMIAL, 0.25, 6.0),
        plain(std::negative_binomial_distribution<long>(6, 0.25)),
        VX_GSL(gsl_ran_negative_binomial(r, 0.25, 6.0)));
    row("HYPERGEOMETRIC", "50_20_15", VX_OURS(HYPERGEOMETRIC, 50L, 20L, 15L), None{},
        VX_GSL(gsl_ran_hypergeometric(r, 20, 30, 15)));
    row("HYPERGEOMETRIC", "1000_10_500", VX_OURS(HYPERGEOMETRIC, 1000L, 10L, 500L), None{},
        VX_GSL(gsl_ran_hypergeometric(r, 10, 990, 500)));
    row("BERNOULLI", "0.3", VX_OURS(BERNOULLI, 0.3), plain(std::bernoulli_distribution(0.3)),
        VX_GSL(gsl_ran_bernoulli(r, 0.3)));
    row("TABLE", "3", VX_OURS(TABLE, 3L, gTable), StdTable({0.2, 0.3, 0.1, 0.4}),
        VX_GSL(gsl_ran_discrete(r, gslTable()) + 1));

    // Small continuous.
    row("EXPONENTIAL", "standard", VX_OURS(EXPONENTIAL), plain(std::exponential_distribution<double>(1.0)),
        VX_GSL(gsl_ran_exponential(r, 1.0)));
    row("CAUCHY", "standard", VX_OURS(CAUCHY), plain(std::cauchy_distribution<double>(0.0, 1.0)),
        VX_GSL(gsl_ran_cauchy(r, 1.0)));
    row("WEIBULL", "1.5_2", VX_OURS(WEIBULL, 1.5, 2.0),
        plain(std::weibull_distribution<double>(1.5, 2.0)), VX_GSL(gsl_ran_weibull(r, 2.0, 1.5)));
    row("TRIANGLE", "0.3", VX_OURS(TRIANGLE, 0.3), StdTriangle(0.3), None{});
    return true;
}();

} // namespace
