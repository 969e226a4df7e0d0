// Exact behaviour of the seventeen parametric samplers on uniforms the test
// controls:
//   - closed forms: the samplers that are a formula of their uniforms
//     (GAMMA(1) = -ln u, BETA(2, 1) = u^(1/2), TRIANGLE(1) = sqrt(u), ...)
//     give that formula bit for bit, with the stated number of uniforms;
//   - compositions: ERLANG, CHISQUARE, F, T and NEGBINOMIAL equal the gamma,
//     beta, normal and Poisson samplers they are built from, on a twin stream;
//   - replays: every uniform a sampler took is fed to a reference written
//     from the published algorithm (Cheng's GB, BB and BC, the
//     Atkinson-Whittaker switch, the envelope for small gamma shapes,
//     binomial and Poisson inversion, ...; support/sampler_references.h,
//     which the benchmarks also time), which must use exactly those
//     uniforms and give the same variate;
//   - hand-worked cases for paths a random replay rarely takes;
//   - the saved set-up: kept for a repeated parameter, re-derived after a
//     rewind (beta's kept), invisible in the results;
//   - buffer forms equal to one-at-a-time calls, stream and records included.
#include <gtest/gtest.h>

#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/poisson.hpp>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "stream_test_util.h"
#include "subs/zln1px.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"
#include "support/host_fixture.h"
#include "support/sampler_forms.h"
#include "support/sampler_references.h"
#include "support/scripted_stream.h"

namespace {

using Draw = std::function<double(MRandPtr)>;
using Uniforms = std::vector<double>;

uint64_t bitsOf(double x) { return std::bit_cast<uint64_t>(x); }

// Uniforms at the ends of what the engines' conversions deliver, met first
// by every closed-form case.
const Uniforms kEdgeUniforms = {0x1p-64, 0x1p-53, 0x1p-32, 0.25, 0.5, 0.75, 1.0 - 0x1p-32,
                                1.0 - 0x1p-53};

void rewind(MRandPtr q) { zrand_rewind(reinterpret_cast<ZRAND_S*>(q)); }

// ---- closed forms --------------------------------------------------------------------

struct ClosedForm {
    std::string name;
    Draw draw;
    int uniforms;                                // taken per variate
    std::function<double(const Uniforms&)> want; // of exactly those uniforms
};

std::vector<ClosedForm> closedForms()
{
    static double table[] = {0.2, 0.3, 0.1};
    auto tableIndex = [](double u) {
        double s = 0.0;
        for (int i = 0; i < 3; ++i) {
            s += table[i];
            if (u <= s) return i + 1.0;
        }
        return 4.0;
    };
    auto triangle = [](double h, double u) {
        return u <= h ? std::sqrt(h * u) : 1.0 - std::sqrt((1.0 - h) - u * (1.0 - h));
    };
    return {
        {"GAMMA_1", [](MRandPtr q) { return GetOneVariateGAMMA(q, 1.0); }, 1,
         [](const Uniforms& u) { return -std::log(u[0]); }},
        {"ERLANG_1", [](MRandPtr q) { return GetOneVariateERLANG(q, 1); }, 1,
         [](const Uniforms& u) { return -std::log(u[0]); }},
        {"CHISQUARE_2", [](MRandPtr q) { return GetOneVariateCHISQUARE(q, 2.0); }, 1,
         [](const Uniforms& u) { return 2.0 * -std::log(u[0]); }},
        {"EXPONENTIAL", [](MRandPtr q) { return GetOneVariateEXPONENTIAL(q); }, 1,
         [](const Uniforms& u) { return -std::log(u[0]); }},
        {"WEIBULL_1_scale_3", [](MRandPtr q) { return GetOneVariateWEIBULL(q, 1.0, 3.0); }, 1,
         [](const Uniforms& u) { return 3.0 * -std::log(u[0]); }},
        {"WEIBULL_2_5_scale_0_5", [](MRandPtr q) { return GetOneVariateWEIBULL(q, 2.5, 0.5); },
         1, [](const Uniforms& u) { return 0.5 * std::pow(-std::log(u[0]), 1.0 / 2.5); }},
        {"BETA_1_1", [](MRandPtr q) { return GetOneVariateBETA(q, 1.0, 1.0); }, 1,
         [](const Uniforms& u) { return u[0]; }},
        {"BETA_2_1", [](MRandPtr q) { return GetOneVariateBETA(q, 2.0, 1.0); }, 1,
         [](const Uniforms& u) { return std::pow(u[0], 1.0 / 2.0); }},
        {"BETA_0_4_1", [](MRandPtr q) { return GetOneVariateBETA(q, 0.4, 1.0); }, 1,
         [](const Uniforms& u) { return std::pow(u[0], 1.0 / 0.4); }},
        {"BETA_1_2", [](MRandPtr q) { return GetOneVariateBETA(q, 1.0, 2.0); }, 1,
         [](const Uniforms& u) { return 1.0 - std::pow(u[0], 1.0 / 2.0); }},
        {"BETA_1_0_7", [](MRandPtr q) { return GetOneVariateBETA(q, 1.0, 0.7); }, 1,
         [](const Uniforms& u) { return 1.0 - std::pow(u[0], 1.0 / 0.7); }},
        {"TRIANGLE_1", [](MRandPtr q) { return GetOneVariateTRIANGLE(q, 1.0); }, 1,
         [](const Uniforms& u) { return std::sqrt(u[0]); }},
        {"TRIANGLE_0", [](MRandPtr q) { return GetOneVariateTRIANGLE(q, 0.0); }, 1,
         [](const Uniforms& u) { return 1.0 - std::sqrt(1.0 - u[0]); }},
        {"TRIANGLE_0_3", [](MRandPtr q) { return GetOneVariateTRIANGLE(q, 0.3); }, 1,
         [triangle](const Uniforms& u) { return triangle(0.3, u[0]); }},
        {"TRIANGLE_0_75", [](MRandPtr q) { return GetOneVariateTRIANGLE(q, 0.75); }, 1,
         [triangle](const Uniforms& u) { return triangle(0.75, u[0]); }},
        {"BERNOULLI_0_3", [](MRandPtr q) { return GetOneVariateBERNOULLI(q, 0.3); }, 1,
         [](const Uniforms& u) { return u[0] <= 0.3 ? 1.0 : 0.0; }},
        {"BERNOULLI_0", [](MRandPtr q) { return GetOneVariateBERNOULLI(q, 0.0); }, 1,
         [](const Uniforms&) { return 0.0; }},
        {"BERNOULLI_1", [](MRandPtr q) { return GetOneVariateBERNOULLI(q, 1.0); }, 1,
         [](const Uniforms&) { return 1.0; }},
        {"TABLE_3", [](MRandPtr q) { return GetOneVariateTABLE(q, 3, table); }, 1,
         [tableIndex](const Uniforms& u) { return tableIndex(u[0]); }},
        {"TABLE_empty", [](MRandPtr q) { return GetOneVariateTABLE(q, 0, table); }, 1,
         [](const Uniforms&) { return 1.0; }},
        {"TABLE_negative_count", [](MRandPtr q) { return GetOneVariateTABLE(q, -4, nullptr); }, 1,
         [](const Uniforms&) { return 1.0; }},
        {"GEOMETRIC_inversion_0_0005",
         [](MRandPtr q) { return GetOneVariateGEOMETRIC(q, 0.0005); }, 1,
         [](const Uniforms& u) { return std::ceil(std::log(u[0]) / zln1px(-0.0005)); }},
        {"GEOMETRIC_1", [](MRandPtr q) { return GetOneVariateGEOMETRIC(q, 1.0); }, 0,
         [](const Uniforms&) { return 1.0; }},
        {"BINOMIAL_p_0", [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 40, 0.0); }, 1,
         [](const Uniforms&) { return 0.0; }},
        {"BINOMIAL_p_1", [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 40, 1.0); }, 1,
         [](const Uniforms&) { return 40.0; }},
        {"BINOMIAL_n_0", [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 0, 0.7); }, 1,
         [](const Uniforms&) { return 0.0; }},
        {"BINOMIAL_large_n_p_1", [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 5000, 1.0); },
         1, [](const Uniforms&) { return 5000.0; }},
        {"POISSON_0", [](MRandPtr q) { return GetOneVariatePOISSON(q, 0.0); }, 1,
         [](const Uniforms&) { return 0.0; }},
        {"NEGBINOMIAL_p_1", [](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, 1.0, 2.5); }, 0,
         [](const Uniforms&) { return 0.0; }},
        {"HYPERGEOMETRIC_all_marked",
         [](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, 10, 10, 10); }, 10,
         [](const Uniforms&) { return 10.0; }},
        {"HYPERGEOMETRIC_none_marked",
         [](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, 10, 0, 5); }, 5,
         [](const Uniforms&) { return 0.0; }},
        {"HYPERGEOMETRIC_no_draws",
         [](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, 10, 4, 0); }, 0,
         [](const Uniforms&) { return 0.0; }},
        {"HYPERGEOMETRIC_negative_marked",
         [](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, 10, -3, 5); }, 0,
         [](const Uniforms&) { return 0.0; }},
    };
}

void PrintTo(const ClosedForm& c, std::ostream* os) { *os << c.name; }

class ClosedForms : public ::testing::TestWithParam<ClosedForm> {};

TEST_P(ClosedForms, AreTheFormulaOfTheirUniforms)
{
    const ClosedForm& c = GetParam();
    vxtest::ScriptedStream s(0xC0FFEE, kEdgeUniforms);
    s.feed().record(true);
    for (int i = 0; i < 2000; ++i) {
        s.feed().clearTaken();
        const uint64_t before = s.calls();
        const double got = c.draw(s.get());
        ASSERT_EQ(s.calls() - before, static_cast<uint64_t>(c.uniforms)) << c.name << " #" << i;
        ASSERT_EQ(bitsOf(got), bitsOf(c.want(s.feed().taken())))
            << c.name << " #" << i << ": " << got << " from u = "
            << (c.uniforms ? s.feed().taken()[0] : 0.0);
    }
}

// The closed forms the unit beta regimes reduce to: u^(1/2) is the square
// root to within the last place.
TEST(ClosedFormsNear, BetaTwoOneIsTheSquareRoot)
{
    vxtest::ScriptedStream s(11, kEdgeUniforms);
    s.feed().record(true);
    for (int i = 0; i < 5000; ++i) {
        s.feed().clearTaken();
        const double x = GetOneVariateBETA(s.get(), 2.0, 1.0);
        const double r = std::sqrt(s.feed().taken().at(0));
        ASSERT_LE(std::fabs(x - r), std::nextafter(r, 2.0) - r) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Samplers, ClosedForms, ::testing::ValuesIn(closedForms()),
                         [](const auto& info) { return info.param.name; });

// ---- compositions on twin streams -----------------------------------------------------------

struct Composition {
    std::string name;
    Draw composite;
    Draw parts; // the same variate from the samplers it is built from
};

std::vector<Composition> compositions()
{
    auto f = [](double n, double d) {
        return [n, d](MRandPtr q) {
            const double x = GetOneVariateBETA(q, 0.5 * n, 0.5 * d);
            return x == 1.0 ? 0.0 : (d * x / n) / (1.0 - x);
        };
    };
    auto t = [](double df) {
        return [df](MRandPtr q) {
            const double z = GetOneVariateNORMAL(q);
            const double g = GetOneVariateGAMMA(q, 0.5 * df);
            return z / std::sqrt(2.0 * g / df);
        };
    };
    auto negbin = [](double p, double r) {
        return [p, r](MRandPtr q) {
            const double g = GetOneVariateGAMMA(q, r);
            return GetOneVariatePOISSON(q, g * (1.0 - p) / p);
        };
    };
    return {
        {"ERLANG_3_is_GAMMA_3", [](MRandPtr q) { return GetOneVariateERLANG(q, 3); },
         [](MRandPtr q) { return GetOneVariateGAMMA(q, 3.0); }},
        {"ERLANG_12_is_GAMMA_12", [](MRandPtr q) { return GetOneVariateERLANG(q, 12); },
         [](MRandPtr q) { return GetOneVariateGAMMA(q, 12.0); }},
        {"CHISQUARE_1_is_2_GAMMA_half", [](MRandPtr q) { return GetOneVariateCHISQUARE(q, 1.0); },
         [](MRandPtr q) { return 2.0 * GetOneVariateGAMMA(q, 0.5); }},
        {"CHISQUARE_7_is_2_GAMMA_3_5", [](MRandPtr q) { return GetOneVariateCHISQUARE(q, 7.0); },
         [](MRandPtr q) { return 2.0 * GetOneVariateGAMMA(q, 3.5); }},
        {"F_4_7_of_BETA_BB", [](MRandPtr q) { return GetOneVariateF(q, 4.0, 7.0); }, f(4.0, 7.0)},
        {"F_1_3_of_BETA_BC", [](MRandPtr q) { return GetOneVariateF(q, 1.0, 3.0); }, f(1.0, 3.0)},
        {"F_1_1_of_BETA_A", [](MRandPtr q) { return GetOneVariateF(q, 1.0, 1.0); }, f(1.0, 1.0)},
        {"F_2_2_of_BETA_unit", [](MRandPtr q) { return GetOneVariateF(q, 2.0, 2.0); },
         f(2.0, 2.0)},
        {"T_0_1", [](MRandPtr q) { return GetOneVariateT(q, 0.1); }, t(0.1)},
        {"T_1", [](MRandPtr q) { return GetOneVariateT(q, 1.0); }, t(1.0)},
        {"T_5", [](MRandPtr q) { return GetOneVariateT(q, 5.0); }, t(5.0)},
        {"NEGBINOMIAL_0_4_2_5", [](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, 0.4, 2.5); },
         negbin(0.4, 2.5)},
        {"NEGBINOMIAL_0_5_0_3", [](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, 0.5, 0.3); },
         negbin(0.5, 0.3)},
        {"NEGBINOMIAL_0_02_40", [](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, 0.02, 40.0); },
         negbin(0.02, 40.0)},
    };
}

void PrintTo(const Composition& c, std::ostream* os) { *os << c.name; }

class Compositions : public ::testing::TestWithParam<Composition> {};

TEST_P(Compositions, EqualTheirPartsOnTheSameUniforms)
{
    const Composition& c = GetParam();
    vxtest::ScriptedStream a(4242), b(4242);
    for (int i = 0; i < 3000; ++i) {
        const double x = c.composite(a.get());
        const double y = c.parts(b.get());
        ASSERT_EQ(bitsOf(x), bitsOf(y)) << c.name << " #" << i << ": " << x << " vs " << y;
        ASSERT_EQ(a.calls(), b.calls()) << c.name << " #" << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Samplers, Compositions, ::testing::ValuesIn(compositions()),
                         [](const auto& info) { return info.param.name; });

// ---- replays against the published algorithms -------------------------------------------------

// The uniforms one variate took, handed out again in order.  Asking for more
// than were taken is a failure of the sampler (it stopped early) or of the
// reference.
class Tape {
public:
    explicit Tape(const Uniforms& u) : u_(u) {}
    double operator()()
    {
        if (at_ == u_.size()) throw std::out_of_range("reference wants more uniforms");
        return u_[at_++];
    }
    size_t used() const { return at_; }

private:
    const Uniforms& u_;
    size_t at_ = 0;
};

using vxref::refBeta;
using vxref::refBinomial;
using vxref::refCauchy;
using vxref::refGamma;
using vxref::refGeometric;
using vxref::refHypergeometric;
using vxref::refPoisson;

std::string num(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", x);
    return text;
}

struct Replay {
    std::string name;
    Draw draw;
    std::function<double(Tape&)> ref;
};

std::vector<Replay> replays()
{
    std::vector<Replay> v;
    for (double a : {0.05, 0.3, 0.7, 1.0, 1.0000001, 1.7, 2.5, 40.0, 1e6})
        v.push_back({"GAMMA_" + num(a),
                     [a](MRandPtr q) { return GetOneVariateGAMMA(q, a); },
                     [a](Tape& u) { return refGamma(u, a); }});
    for (auto [a, b] : std::vector<std::pair<double, double>>{{0.3, 0.6},
                                                               {0.5, 0.5},
                                                               {0.9, 0.2},
                                                               {2.5, 4.0},
                                                               {4.0, 2.5},
                                                               {3.0, 3.0},
                                                               {1.5, 60.0},
                                                               {0.5, 3.0},
                                                               {3.0, 0.5},
                                                               {0.05, 50.0},
                                                               {40.0, 0.3},
                                                               {2.0, 0.001},
                                                               {0.001, 2.0},
                                                               {0.4, 1.0},
                                                               {1.0, 3.0}})
        v.push_back({"BETA_" + num(a) + "_" + num(b),
                     [a, b](MRandPtr q) { return GetOneVariateBETA(q, a, b); },
                     [a, b](Tape& u) { return refBeta(u, a, b); }});
    for (auto [n, p] : std::vector<std::pair<long, double>>{
             {20, 0.3}, {50, 0.8}, {300, 0.5}, {100000, 0.00001}, {400, 0.99}, {301, 0.5},
             {1000, 0.4}, {5000, 0.002}})
        v.push_back({"BINOMIAL_" + std::to_string(n) + "_" + num(p),
                     [n, p](MRandPtr q) { return GetOneVariateBINOMIAL(q, n, p); },
                     [n, p](Tape& u) { return refBinomial(u, n, p); }});
    for (double l : {0.4, 3.5, 7.9, 3.0, 8.0, 10.5, 40.3, 84.9, 85.0, 200.5})
        v.push_back({"POISSON_" + num(l),
                     [l](MRandPtr q) { return GetOneVariatePOISSON(q, l); },
                     [l](Tape& u) { return refPoisson(u, l); }});
    for (double pr : {0.3, 0.95, 0.001, 0.0005})
        v.push_back({"GEOMETRIC_" + num(pr),
                     [pr](MRandPtr q) { return GetOneVariateGEOMETRIC(q, pr); },
                     [pr](Tape& u) { return refGeometric(u, pr); }});
    for (auto [nn, n, k] : std::vector<std::tuple<long, long, long>>{
             {50, 20, 15}, {1000, 10, 500}, {30, 25, 20}, {7, 7, 3}})
        v.push_back({"HYPERGEOMETRIC_" + std::to_string(nn) + "_" + std::to_string(n) + "_" +
                         std::to_string(k),
                     [nn, n, k](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, nn, n, k); },
                     [nn, n, k](Tape& u) { return refHypergeometric(u, nn, n, k); }});
    v.push_back({"CAUCHY", [](MRandPtr q) { return GetOneVariateCAUCHY(q); },
                 [](Tape& u) { return refCauchy(u); }});
    for (auto [p, r] : std::vector<std::pair<double, double>>{{0.4, 2.5}, {0.25, 6.0}, {0.9, 0.3}})
        v.push_back({"NEGBINOMIAL_" + num(p) + "_" + num(r),
                     [p, r](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, p, r); },
                     [p, r](Tape& u) {
                         const double g = refGamma(u, r);
                         return refPoisson(u, g * (1.0 - p) / p);
                     }});
    for (auto& c : v)
        for (char& ch : c.name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return v;
}

void PrintTo(const Replay& c, std::ostream* os) { *os << c.name; }

class Replays : public ::testing::TestWithParam<Replay> {};

TEST_P(Replays, MatchThePublishedAlgorithmUniformForUniform)
{
    const Replay& c = GetParam();
    uint64_t seed = 1469598103934665603ull;
    for (char ch : c.name) seed = (seed ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
    vxtest::ScriptedStream s(seed);
    s.feed().record(true);
    for (int i = 0; i < 4000; ++i) {
        s.feed().clearTaken();
        const double got = c.draw(s.get());
        const Uniforms& taken = s.feed().taken();
        Tape tape(taken);
        double want;
        try {
            want = c.ref(tape);
        } catch (const std::out_of_range&) {
            FAIL() << c.name << " #" << i << ": stopped after " << taken.size()
                   << " uniforms, the algorithm needs more";
        }
        ASSERT_EQ(tape.used(), taken.size()) << c.name << " #" << i << ": took extra uniforms";
        ASSERT_EQ(bitsOf(got), bitsOf(want)) << c.name << " #" << i << ": " << got << " vs "
                                             << want;
    }
}

INSTANTIATE_TEST_SUITE_P(Samplers, Replays, ::testing::ValuesIn(replays()),
                         [](const auto& info) { return info.param.name; });

// ---- worked cases ------------------------------------------------------------------------

struct Worked {
    std::string name;
    Uniforms script;
    Draw draw;
    double want;
    uint64_t uniforms;
};

// Smallest x with F(x) >= u, from Boost.Math's distribution function.
template <class Dist>
double quantileByCdf(const Dist& d, double u)
{
    double x = 0.0;
    while (boost::math::cdf(d, x) < u) x += 1.0;
    return x;
}

std::vector<Worked> worked()
{
    namespace bm = boost::math;
    const double inf = std::numeric_limits<double>::infinity();
    return {
        // GB, shape 2.5 (a = 1/2): u1 = 0.999 puts x near 79, far beyond the
        // bound, so the pair is rejected; (1/2, 1/2) gives v = 0, x = alpha,
        // and b - alpha = -ln 4 >= ln(1/8) accepts.
        {"GAMMA_GB_reject_then_accept", {0.999, 0.5, 0.5, 0.5},
         [](MRandPtr q) { return GetOneVariateGAMMA(q, 2.5); }, 2.5, 4},
        // Shape 1/2: u1 <= p takes the power piece: x = u2^2 / 2 = 1/8,
        // accepted since u3 <= e^(-1/8).
        {"GAMMA_envelope_power_piece", {0.1, 0.5, 0.5},
         [](MRandPtr q) { return GetOneVariateGAMMA(q, 0.5); }, 0.125, 3},
        // u1 > p takes the exponential tail: x = 1/2 - ln(1/2); u3 = 1 - 2^-53
        // is above (2x)^(-1/2) and rejects; the next triple accepts.
        {"GAMMA_envelope_tail_reject", {0.9, 0.5, 1.0 - 0x1p-53, 0.9, 0.5, 0.1},
         [](MRandPtr q) { return GetOneVariateGAMMA(q, 0.5); }, 0.5 - std::log(0.5), 6},
        // Poisson(3): P(X <= 2) = 0.4232 < 1/2 <= P(X <= 3), found from the
        // mode downwards.
        {"POISSON_whole_from_mode_down", {0.5},
         [](MRandPtr q) { return GetOneVariatePOISSON(q, 3.0); },
         quantileByCdf(bm::poisson_distribution<>(3.0), 0.5), 1},
        {"POISSON_whole_from_mode_up", {0.999},
         [](MRandPtr q) { return GetOneVariatePOISSON(q, 3.0); },
         quantileByCdf(bm::poisson_distribution<>(3.0), 0.999), 1},
        {"POISSON_from_zero", {0.9}, [](MRandPtr q) { return GetOneVariatePOISSON(q, 3.5); },
         quantileByCdf(bm::poisson_distribution<>(3.5), 0.9), 1},
        // Poisson(10) from its mode, then Poisson(0.5) from zero on a second
        // uniform: 10 + 0 and 10 + 2.
        {"POISSON_mode_plus_fraction", {0.5, 0.5},
         [](MRandPtr q) { return GetOneVariatePOISSON(q, 10.5); },
         quantileByCdf(bm::poisson_distribution<>(10.0), 0.5), 2},
        {"POISSON_mode_plus_fraction_2", {0.5, 0.95},
         [](MRandPtr q) { return GetOneVariatePOISSON(q, 10.5); },
         quantileByCdf(bm::poisson_distribution<>(10.0), 0.5) +
             quantileByCdf(bm::poisson_distribution<>(0.5), 0.95),
         2},
        // cos(2 pi / 4) is 6e-17: the rounded mean.
        {"POISSON_normal_at_mean", {0.3, 0.25},
         [](MRandPtr q) { return GetOneVariatePOISSON(q, 85.0); }, 85.0, 2},
        // u1 = 2^-64 (a 64-bit conversion can give it) and cos = -1 put the
        // normal value below zero: the count is 0, not negative.
        {"POISSON_normal_floored_at_zero", {0x1p-64, 0.5},
         [](MRandPtr q) { return GetOneVariatePOISSON(q, 85.0); }, 0.0, 2},
        {"BINOMIAL_inversion", {0.5}, [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 20, 0.3); },
         quantileByCdf(bm::binomial_distribution<>(20, 0.3), 0.5), 1},
        // p > 1/2 counts failures and returns n minus the count.
        {"BINOMIAL_inversion_folded", {0.5},
         [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 50, 0.8); },
         50.0 - quantileByCdf(bm::binomial_distribution<>(50, 0.2), 0.5), 1},
        {"BINOMIAL_300_is_inversion", {0.5},
         [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 300, 0.5); }, 150.0, 1},
        // n = 301 is the normal regime: u1 = 1e-70 and cos(pi) give z = -18,
        // a value below zero, rejected; then the mean 150.5 + 0.5.
        {"BINOMIAL_301_is_normal", {1e-70, 0.5, 0.3, 0.25},
         [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 301, 0.5); }, 151.0, 4},
        {"CAUCHY_reject_outside_disk", {0.9, 0.9, 0.7, 0.8},
         [](MRandPtr q) { return GetOneVariateCAUCHY(q); }, (0.7 - 0.5) / (0.8 - 0.5), 4},
        // A point on the boundary circle belongs to the disk: (0, 1/2).
        {"CAUCHY_on_the_circle", {0.5, 1.0, 0.25, 0.25},
         [](MRandPtr q) { return GetOneVariateCAUCHY(q); }, 0.0, 2},
        // A point on the horizontal diameter is a point of the disk like any
        // other: x / 0 is an infinity, and no further uniform is drawn.
        {"CAUCHY_on_the_diameter", {0.3, 0.5, 0.7, 0.8},
         [](MRandPtr q) { return GetOneVariateCAUCHY(q); }, -inf, 2},
        // BC, alpha = 2 the larger shape: u1 = 0.9, z = 0.081 <= 1/4 accepts
        // at once, and v = 1000 ln 9 is past toobig: exactly 1, or exactly 0
        // with the shapes swapped.
        {"BETA_BC_past_toobig_is_one", {0.9, 0.1},
         [](MRandPtr q) { return GetOneVariateBETA(q, 2.0, 0.001); }, 1.0, 2},
        {"BETA_BC_past_toobig_is_zero", {0.9, 0.1},
         [](MRandPtr q) { return GetOneVariateBETA(q, 0.001, 2.0); }, 0.0, 2},
        // F(2, 0.02) is BETA(1, 0.01) = 1 - u^100; u = 2^-53 makes it 1, and
        // the F variate 0 instead of infinity.
        {"F_of_beta_one_is_zero", {0x1p-53},
         [](MRandPtr q) { return GetOneVariateF(q, 2.0, 0.02); }, 0.0, 1},
        {"GEOMETRIC_counts_trials", {0.9, 0.8, 0.31, 0.3},
         [](MRandPtr q) { return GetOneVariateGEOMETRIC(q, 0.3); }, 4.0, 4},
        {"TABLE_sum_above_one_cut", {0.95},
         [](MRandPtr q) {
             static double t[] = {0.5, 0.3, 0.4, 0.2};
             return GetOneVariateTABLE(q, 4, t);
         },
         3.0, 1},
        {"TABLE_sum_below_one_rest", {0.95},
         [](MRandPtr q) {
             static double t[] = {0.2, 0.3, 0.1};
             return GetOneVariateTABLE(q, 3, t);
         },
         4.0, 1},
    };
}

void PrintTo(const Worked& c, std::ostream* os) { *os << c.name; }

class WorkedCases : public ::testing::TestWithParam<Worked> {};

TEST_P(WorkedCases, GiveTheHandComputedVariate)
{
    const Worked& c = GetParam();
    vxtest::ScriptedStream s(1, c.script);
    const double got = c.draw(s.get());
    EXPECT_EQ(bitsOf(got), bitsOf(c.want)) << c.name << ": " << got << " vs " << c.want;
    EXPECT_EQ(s.calls(), c.uniforms) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Samplers, WorkedCases, ::testing::ValuesIn(worked()),
                         [](const auto& info) { return info.param.name; });

// ---- uniform counts ------------------------------------------------------------------------

// Counts the algorithms fix, as a rule on (variate, uniforms taken).
struct CountRule {
    std::string name;
    Draw draw;
    std::function<bool(double, uint64_t)> holds;
};

std::vector<CountRule> countRules()
{
    auto even = [](double, uint64_t n) { return n >= 2 && n % 2 == 0; };
    auto exactly = [](uint64_t k) { return [k](double, uint64_t n) { return n == k; }; };
    return {
        {"GAMMA_GB_two_per_attempt", [](MRandPtr q) { return GetOneVariateGAMMA(q, 2.5); }, even},
        {"BETA_A_two_per_attempt", [](MRandPtr q) { return GetOneVariateBETA(q, 0.3, 0.6); }, even},
        {"BETA_BB_two_per_attempt", [](MRandPtr q) { return GetOneVariateBETA(q, 2.5, 4.0); },
         even},
        {"BETA_BC_two_per_attempt", [](MRandPtr q) { return GetOneVariateBETA(q, 0.5, 3.0); },
         even},
        {"CAUCHY_two_per_attempt", [](MRandPtr q) { return GetOneVariateCAUCHY(q); }, even},
        {"BINOMIAL_normal_two_per_attempt",
         [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 2000, 0.5); }, even},
        {"BINOMIAL_small_mean_inversion_one",
         [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 100000, 0.000001); }, exactly(1)},
        {"POISSON_flag0_one", [](MRandPtr q) { return GetOneVariatePOISSON(q, 3.5); }, exactly(1)},
        {"POISSON_flag1_whole_one", [](MRandPtr q) { return GetOneVariatePOISSON(q, 30.0); },
         exactly(1)},
        {"POISSON_flag1_fraction_two", [](MRandPtr q) { return GetOneVariatePOISSON(q, 10.5); },
         exactly(2)},
        {"POISSON_flag2_two", [](MRandPtr q) { return GetOneVariatePOISSON(q, 85.0); },
         exactly(2)},
        {"GEOMETRIC_counting_as_many_as_the_count",
         [](MRandPtr q) { return GetOneVariateGEOMETRIC(q, 0.5); },
         [](double x, uint64_t n) { return static_cast<double>(n) == x; }},
        {"HYPERGEOMETRIC_exactly_k",
         [](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, 1000, 10, 500); }, exactly(500)},
        {"T_normal_pair_then_gamma",
         [](MRandPtr q) {
             // Two t variates: the first takes a fresh normal pair, the
             // second the cached deviate; gamma 1/2 (df 1) takes 3 per try.
             return GetOneVariateT(q, 1.0) + GetOneVariateT(q, 1.0);
         },
         [](double, uint64_t n) { return n >= 2 + 3 + 3; }},
    };
}

void PrintTo(const CountRule& c, std::ostream* os) { *os << c.name; }

class UniformCounts : public ::testing::TestWithParam<CountRule> {};

TEST_P(UniformCounts, FollowTheAlgorithm)
{
    const CountRule& c = GetParam();
    vxtest::ScriptedStream s(99);
    for (int i = 0; i < 3000; ++i) {
        const uint64_t before = s.calls();
        const double x = c.draw(s.get());
        ASSERT_TRUE(c.holds(x, s.calls() - before))
            << c.name << " #" << i << ": " << x << " after " << s.calls() - before << " uniforms";
    }
}

INSTANTIATE_TEST_SUITE_P(Samplers, UniformCounts, ::testing::ValuesIn(countRules()),
                         [](const auto& info) { return info.param.name; });

// ---- the saved set-up ---------------------------------------------------------------------

// A planted value in a set-up field shows whether the set-up ran: a repeated
// parameter uses the record as it stands, a rewind (the stream's own
// zrand_rewind) forces it to be derived again, except for beta's.
TEST(SavedSetUp, GammaKeptForItsShapeAndRederivedAfterRewind)
{
    vxtest::ScriptedStream s(5);
    s.feed().record(true);
    GetOneVariateGAMMA(s.get(), 1.0);
    s->gam.k = 3; // -ln of three uniforms instead of one
    s.feed().clearTaken();
    const double planted = GetOneVariateGAMMA(s.get(), 1.0);
    ASSERT_EQ(s.feed().taken().size(), 3u);
    const Uniforms& u = s.feed().taken();
    EXPECT_EQ(planted, -std::log(u[0] * u[1] * u[2]));

    rewind(s.get());
    EXPECT_EQ(s->gam.alphasave, -3.141592653589793);
    s.feed().clearTaken();
    const double fresh = GetOneVariateGAMMA(s.get(), 1.0);
    ASSERT_EQ(s.feed().taken().size(), 1u);
    EXPECT_EQ(fresh, -std::log(s.feed().taken()[0]));
    EXPECT_EQ(s->gam.k, 1);
}

TEST(SavedSetUp, SharedByChiSquareAndTWithGamma)
{
    vxtest::ScriptedStream s(6);
    GetOneVariateCHISQUARE(s.get(), 4.0);
    EXPECT_EQ(s->gam.alphasave, 2.0);
    s->gam.d = 42.0; // written by the set-up, never read for shapes above one
    GetOneVariateGAMMA(s.get(), 2.0);
    EXPECT_EQ(s->gam.d, 42.0);
    GetOneVariateT(s.get(), 5.0);
    EXPECT_EQ(s->gam.alphasave, 2.5);
    EXPECT_EQ(s->gam.d, 0.5);
    GetOneVariateF(s.get(), 4.0, 7.0);
    EXPECT_EQ(s->bet.alphasave, 2.0);
    EXPECT_EQ(s->bet.betasave, 3.5);
}

TEST(SavedSetUp, BinomialAndPoissonKeptForTheirParametersAndRederivedAfterRewind)
{
    vxtest::ScriptedStream s(7, {0.99, 0.99, 0.99, 0.9, 0.9, 0.9});
    const double honest = GetOneVariateBINOMIAL(s.get(), 20, 0.3);
    EXPECT_GT(honest, 0.0);
    s->bin.omega = 1.0; // P(0) = 1: every u gives 0
    EXPECT_EQ(GetOneVariateBINOMIAL(s.get(), 20, 0.3), 0.0);
    rewind(s.get());
    EXPECT_EQ(s->bin.nsave, -9007199254740992LL);
    EXPECT_EQ(GetOneVariateBINOMIAL(s.get(), 20, 0.3), honest);

    const double mean = GetOneVariatePOISSON(s.get(), 3.5);
    EXPECT_GT(mean, 0.0);
    s->poi.savea = 1.0;
    EXPECT_EQ(GetOneVariatePOISSON(s.get(), 3.5), 0.0);
    rewind(s.get());
    EXPECT_EQ(s->poi.lambdasave, -3.141592653589793);
    EXPECT_EQ(GetOneVariatePOISSON(s.get(), 3.5), mean);
}

TEST(SavedSetUp, BetaSurvivesRewindAndIsRederivedForANewPair)
{
    vxtest::ScriptedStream s(8, {0.25, 0.25, 0.25, 0.25, 0.25});
    EXPECT_EQ(GetOneVariateBETA(s.get(), 2.0, 1.0), std::pow(0.25, 0.5));
    s->bet.d1 = 1.0; // u^1: the uniform itself
    EXPECT_EQ(GetOneVariateBETA(s.get(), 2.0, 1.0), 0.25);
    const ZRANBET before = s->bet;
    rewind(s.get());
    EXPECT_EQ(std::memcmp(&before, &s->bet, sizeof before), 0);
    EXPECT_EQ(GetOneVariateBETA(s.get(), 2.0, 1.0), 0.25);
    // Another pair and back: derived afresh.
    GetOneVariateBETA(s.get(), 3.0, 1.0);
    EXPECT_EQ(GetOneVariateBETA(s.get(), 2.0, 1.0), std::pow(0.25, 0.5));
}

// Alternating parameters re-derives the set-up on every call; the variates
// are those of a stream whose records are invalidated before every call.
TEST(SavedSetUp, IsInvisibleInTheVariates)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto forget = [nan](MRandPtr q) {
        q->gam.alphasave = nan;
        q->bet.alphasave = q->bet.betasave = nan;
        q->bin.psave = nan;
        q->poi.lambdasave = nan;
    };
    static double table[] = {0.1, 0.6, 0.2};
    const std::vector<Draw> mix = {
        [](MRandPtr q) { return GetOneVariateGAMMA(q, 2.5); },
        [](MRandPtr q) { return GetOneVariateGAMMA(q, 0.7); },
        [](MRandPtr q) { return GetOneVariateGAMMA(q, 1.0); },
        [](MRandPtr q) { return GetOneVariateBETA(q, 0.3, 0.6); },
        [](MRandPtr q) { return GetOneVariateBETA(q, 2.5, 4.0); },
        [](MRandPtr q) { return GetOneVariateBETA(q, 0.5, 3.0); },
        [](MRandPtr q) { return GetOneVariateBETA(q, 2.0, 1.0); },
        [](MRandPtr q) { return GetOneVariateBETA(q, 1.0, 2.0); },
        [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 20, 0.3); },
        [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 1000, 0.4); },
        [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 50, 0.8); },
        [](MRandPtr q) { return GetOneVariatePOISSON(q, 3.5); },
        [](MRandPtr q) { return GetOneVariatePOISSON(q, 10.5); },
        [](MRandPtr q) { return GetOneVariatePOISSON(q, 200.5); },
        [](MRandPtr q) { return GetOneVariatePOISSON(q, 3.0); },
        [](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, 0.4, 2.5); },
        [](MRandPtr q) { return GetOneVariateT(q, 5.0); },
        [](MRandPtr q) { return GetOneVariateCHISQUARE(q, 3.0); },
        [](MRandPtr q) { return GetOneVariateF(q, 4.0, 7.0); },
        [](MRandPtr q) { return GetOneVariateTABLE(q, 3, table); },
    };
    vxtest::ScriptedStream cached(31), fresh(31);
    std::mt19937 pick(3);
    for (int i = 0; i < 20000; ++i) {
        const Draw& d = mix[pick() % mix.size()];
        const double a = d(cached.get());
        forget(fresh.get());
        const double b = d(fresh.get());
        ASSERT_EQ(bitsOf(a), bitsOf(b)) << "#" << i;
        ASSERT_EQ(cached.calls(), fresh.calls()) << "#" << i;
    }
}

// On a real MT64 stream: rewinding repeats every sampler's sequence, the
// saved set-ups and the normal pair having been invalidated with it.
class RealStream : public vxtest::HostFixture {};

TEST_F(RealStream, RewindRepeatsEverySequence)
{
    auto q = vxtest::zeroed<MERSENNE_RAND>();
    q->UserMethod = const_cast<char*>("MT64");
    q->UserSeed = 20261206;
    ASSERT_EQ(zmrsrnd(q.get()), 0);
    auto run = [&] {
        std::vector<double> v;
        for (int i = 0; i < 200; ++i) {
            v.push_back(GetOneVariateGAMMA(q.get(), 2.5));
            v.push_back(GetOneVariateT(q.get(), 3.0));
            v.push_back(GetOneVariateBETA(q.get(), 0.5, 3.0));
            v.push_back(GetOneVariateBINOMIAL(q.get(), 1000, 0.4));
            v.push_back(GetOneVariatePOISSON(q.get(), 10.5));
            v.push_back(GetOneVariateNEGBINOMIAL(q.get(), 0.3, 1.5));
            v.push_back(GetOneVariateCAUCHY(q.get()));
        }
        return v;
    };
    const std::vector<double> first = run();
    const ZRANBET bet = q->bet;
    rewind(q.get());
    EXPECT_EQ(std::memcmp(&bet, &q->bet, sizeof bet), 0);
    EXPECT_EQ(q->gam.alphasave, -3.141592653589793);
    EXPECT_EQ(q->nor.HaveOne, 0);
    EXPECT_EQ(run(), first);
}

// ---- buffer forms ---------------------------------------------------------------------------

using BufferCase = vxtest::SamplerForms;

double gTable[] = {0.2, 0.3, 0.1};

std::vector<BufferCase> bufferCases()
{
    return {
        VX_SAMPLER_FORMS("GAMMA_0_3", GAMMA, 0.3),
        VX_SAMPLER_FORMS("GAMMA_1", GAMMA, 1.0),
        VX_SAMPLER_FORMS("GAMMA_2_5", GAMMA, 2.5),
        VX_SAMPLER_FORMS("ERLANG_3", ERLANG, 3),
        VX_SAMPLER_FORMS("CHISQUARE_5", CHISQUARE, 5.0),
        VX_SAMPLER_FORMS("BETA_A", BETA, 0.3, 0.6),
        VX_SAMPLER_FORMS("BETA_BB", BETA, 2.5, 4.0),
        VX_SAMPLER_FORMS("BETA_BC", BETA, 0.5, 3.0),
        VX_SAMPLER_FORMS("BETA_unit", BETA, 1.0, 2.0),
        VX_SAMPLER_FORMS("F_4_7", F, 4.0, 7.0),
        VX_SAMPLER_FORMS("T_0_1", T, 0.1),
        VX_SAMPLER_FORMS("T_5", T, 5.0),
        VX_SAMPLER_FORMS("BINOMIAL_inversion", BINOMIAL, 20L, 0.3),
        VX_SAMPLER_FORMS("BINOMIAL_normal", BINOMIAL, 1000L, 0.4),
        VX_SAMPLER_FORMS("POISSON_flag0", POISSON, 3.5),
        VX_SAMPLER_FORMS("POISSON_flag1", POISSON, 10.5),
        VX_SAMPLER_FORMS("POISSON_flag2", POISSON, 200.5),
        VX_SAMPLER_FORMS("GEOMETRIC_counting", GEOMETRIC, 0.3),
        VX_SAMPLER_FORMS("GEOMETRIC_inversion", GEOMETRIC, 0.0005),
        VX_SAMPLER_FORMS("GEOMETRIC_1", GEOMETRIC, 1.0),
        VX_SAMPLER_FORMS("NEGBINOMIAL", NEGBINOMIAL, 0.4, 2.5),
        VX_SAMPLER_FORMS("NEGBINOMIAL_p_1", NEGBINOMIAL, 1.0, 2.5),
        VX_SAMPLER_FORMS("HYPERGEOMETRIC", HYPERGEOMETRIC, 50L, 20L, 15L),
        VX_SAMPLER_FORMS("HYPERGEOMETRIC_zero", HYPERGEOMETRIC, 50L, 20L, 0L),
        VX_SAMPLER_FORMS("BERNOULLI", BERNOULLI, 0.3),
        VX_SAMPLER_FORMS("TABLE", TABLE, 3L, gTable),
        VX_SAMPLER_FORMS("EXPONENTIAL", EXPONENTIAL),
        VX_SAMPLER_FORMS("CAUCHY", CAUCHY),
        VX_SAMPLER_FORMS("WEIBULL", WEIBULL, 1.5, 2.0),
        VX_SAMPLER_FORMS("TRIANGLE", TRIANGLE, 0.3),
    };
}

void expectSameRecords(MRandPtr a, MRandPtr b, const std::string& what)
{
    auto same = [](const auto& x, const auto& y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    EXPECT_TRUE(same(a->gam, b->gam)) << what << ": gam";
    EXPECT_TRUE(same(a->bet, b->bet)) << what << ": bet";
    EXPECT_EQ(bitsOf(a->bin.psave), bitsOf(b->bin.psave)) << what;
    EXPECT_EQ(bitsOf(a->bin.omega), bitsOf(b->bin.omega)) << what;
    EXPECT_EQ(bitsOf(a->bin.mean), bitsOf(b->bin.mean)) << what;
    EXPECT_EQ(a->bin.nsave, b->bin.nsave) << what;
    EXPECT_EQ(a->bin.underflow, b->bin.underflow) << what;
    EXPECT_EQ(bitsOf(a->poi.lambdasave), bitsOf(b->poi.lambdasave)) << what;
    EXPECT_EQ(bitsOf(a->poi.qm), bitsOf(b->poi.qm)) << what;
    EXPECT_EQ(a->poi.flag, b->poi.flag) << what;
    EXPECT_EQ(a->nor.HaveOne, b->nor.HaveOne) << what;
    EXPECT_EQ(bitsOf(a->nor.storedVariate), bitsOf(b->nor.storedVariate)) << what;
}

class BufferForms : public ::testing::TestWithParam<BufferCase> {};

// Two buffers of odd length (so that the normal pair of T is split across
// them), then one-at-a-time calls and a buffer again on the same stream.
TEST_P(BufferForms, EqualOneAtATime)
{
    const BufferCase& c = GetParam();
    vxtest::ScriptedStream byBuffer(2718), byOne(2718);
    std::vector<double> buf(257);
    byBuffer.useBuffer(buf);
    for (int round = 0; round < 3; ++round) {
        std::fill(buf.begin(), buf.end(), -1.0);
        ASSERT_EQ(c.fill(byBuffer.get()), 0) << c.name;
        for (size_t i = 0; i < buf.size(); ++i) {
            const double x = c.one(byOne.get());
            ASSERT_EQ(bitsOf(buf[i]), bitsOf(x)) << c.name << " round " << round << " #" << i;
        }
        ASSERT_EQ(byBuffer.calls(), byOne.calls()) << c.name;
        expectSameRecords(byBuffer.get(), byOne.get(), c.name);
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(bitsOf(c.one(byBuffer.get())), bitsOf(c.one(byOne.get()))) << c.name;
    }

    // No buffer, or no room: status 1, nothing drawn, nothing written.
    const uint64_t before = byBuffer.calls();
    byBuffer->NBuffer = 0;
    EXPECT_EQ(c.fill(byBuffer.get()), 1) << c.name;
    byBuffer->NBuffer = -5;
    EXPECT_EQ(c.fill(byBuffer.get()), 1) << c.name;
    byBuffer->NBuffer = 4;
    byBuffer->VBuffer = nullptr;
    EXPECT_EQ(c.fill(byBuffer.get()), 1) << c.name;
    EXPECT_EQ(byBuffer.calls(), before) << c.name;
    EXPECT_EQ(bitsOf(c.one(byBuffer.get())), bitsOf(c.one(byOne.get()))) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Samplers, BufferForms, ::testing::ValuesIn(bufferCases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
