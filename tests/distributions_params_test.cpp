// Parameters the samplers refuse, and parameters at the edges of what a
// double holds, in one table.  Each row is run one variate at a time and by
// the buffer on a stream whose saved records are all in use (a normal
// deviate waiting, gamma, beta, binomial and Poisson set-ups present):
//   refused  the missing value (bit pattern 0xFFFFFE0000000000), no uniform
//            drawn, every saved record as it was; the buffer form fills
//            every element with it and returns 0;
//   ends     whatever the sampler makes of it, the call returns a value in
//            the distribution's support or the missing value, and the
//            buffer equals one-at-a-time calls;
//   exactly  as ends, with the one value the algorithm gives there (an
//            infinite shape that passes the sampler's test runs it).
// Rows with `stuck` set run on a generator that repeats one value for ever,
// one that no attempt of the rejection loop accepts: the call must still
// end, with the missing value.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "subs/zmrsmissing.h"
#include "subs/zrand.h"
#include "support/sampler_forms.h"
#include "support/scripted_stream.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr uint64_t kMissingBits = 0xFFFFFE0000000000ull;

uint64_t bitsOf(double x) { return std::bit_cast<uint64_t>(x); }

enum class Expect { Refused, Ends };

struct Row {
    explicit Row(vxtest::SamplerForms forms) : s(std::move(forms)) {}
    vxtest::SamplerForms s;
    Expect expect = Expect::Refused;
    // Ends: what the variate may be besides the missing value.
    std::function<bool(double)> inSupport;
    bool missingAllowed = true;
    // Refused rows whose shape passes the first test and is refused after
    // its set-up was derived (the gamma shape whose set-up overflows) may
    // leave the new set-up in the record.
    bool setUpMayChange = false;
    double stuck = kNaN;
};

void PrintTo(const Row& r, std::ostream* os) { *os << r.s.name; }

bool nonNegative(double x) { return x >= 0.0; }
bool unit(double x) { return x >= 0.0 && x <= 1.0; }
bool count(double x) { return x >= 0.0 && std::floor(x) == x; }
bool real(double x) { return !std::isnan(x); }

#define VX_ROW(label, DIST, ...) Row{VX_SAMPLER_FORMS(label, DIST __VA_OPT__(, ) __VA_ARGS__)}

Row ends(Row r, std::function<bool(double)> support, bool setUpMayChange = false)
{
    r.expect = Expect::Ends;
    r.inSupport = std::move(support);
    r.setUpMayChange = setUpMayChange;
    return r;
}
Row exactly(Row r, double value)
{
    r = ends(std::move(r), [value](double x) { return bitsOf(x) == bitsOf(value); }, true);
    r.missingAllowed = false;
    return r;
}
Row refusedAfterSetUp(Row r)
{
    r.setUpMayChange = true;
    return r;
}
Row stuckAt(Row r, double u)
{
    r.stuck = u;
    r.setUpMayChange = true;
    return r;
}

double gOddTable[] = {kNaN, kInf, -kInf, 0.5};

std::vector<Row> rows()
{
    return {
        // Refused by rule.
        VX_ROW("CHISQUARE_0", CHISQUARE, 0.0), VX_ROW("CHISQUARE_minus_0", CHISQUARE, -0.0),
        VX_ROW("CHISQUARE_minus_1", CHISQUARE, -1.0),
        VX_ROW("F_ndf_0", F, 0.0, 3.0), VX_ROW("F_ddf_0", F, 3.0, 0.0),
        VX_ROW("F_ndf_negative", F, -2.0, 3.0), VX_ROW("F_ddf_negative", F, 2.0, -3.0),
        VX_ROW("T_0_09", T, 0.09), VX_ROW("T_just_below_0_1", T, 0.09999999999999999),
        VX_ROW("T_0", T, 0.0), VX_ROW("T_negative", T, -4.0),
        VX_ROW("BETA_0_0_5", BETA, 0.0, 0.5), VX_ROW("BETA_minus_1_2", BETA, -1.0, 2.0),
        VX_ROW("BETA_2_0", BETA, 2.0, 0.0), VX_ROW("BETA_0_5_minus_1", BETA, 0.5, -1.0),
        VX_ROW("NEGBINOMIAL_p_0", NEGBINOMIAL, 0.0, 2.0), VX_ROW("NEGBINOMIAL_p_negative", NEGBINOMIAL, -0.5, 2.0),
        VX_ROW("NEGBINOMIAL_p_1_5", NEGBINOMIAL, 1.5, 2.0), VX_ROW("NEGBINOMIAL_r_0", NEGBINOMIAL, 0.5, 0.0),
        VX_ROW("NEGBINOMIAL_r_negative", NEGBINOMIAL, 0.5, -1.0), VX_ROW("NEGBINOMIAL_p_1_r_0", NEGBINOMIAL, 1.0, 0.0),
        VX_ROW("HYPERGEOMETRIC_nn_0", HYPERGEOMETRIC, 0L, 0L, 0L),
        VX_ROW("HYPERGEOMETRIC_nn_negative", HYPERGEOMETRIC, -5L, -6L, -6L),
        VX_ROW("HYPERGEOMETRIC_n_above_nn", HYPERGEOMETRIC, 10L, 11L, 5L),
        VX_ROW("HYPERGEOMETRIC_k_above_nn", HYPERGEOMETRIC, 10L, 5L, 11L),
        VX_ROW("BERNOULLI_negative", BERNOULLI, -0.1), VX_ROW("BERNOULLI_above_1", BERNOULLI, 1.1),
        VX_ROW("BERNOULLI_just_above_1", BERNOULLI, 1.0000000000000002),
        VX_ROW("WEIBULL_shape_0", WEIBULL, 0.0, 1.0), VX_ROW("WEIBULL_scale_negative", WEIBULL, 2.0, -1.0),
        VX_ROW("WEIBULL_shape_negative", WEIBULL, -1.0, 1.0), VX_ROW("WEIBULL_scale_0", WEIBULL, 1.0, 0.0),
        VX_ROW("TRIANGLE_1_5", TRIANGLE, 1.5), VX_ROW("TRIANGLE_minus_0_1", TRIANGLE, -0.1),
        VX_ROW("TRIANGLE_just_above_1", TRIANGLE, 1.0000000000000002),
        VX_ROW("TRIANGLE_just_below_0", TRIANGLE, -DBL_TRUE_MIN),

        // Left to us and refused: NaN anywhere, shapes and means outside
        // their range, infinities, counts past the 32-bit draw counter.
        VX_ROW("GAMMA_0", GAMMA, 0.0), VX_ROW("GAMMA_negative", GAMMA, -1.0), VX_ROW("GAMMA_nan", GAMMA, kNaN),
        VX_ROW("GAMMA_inf", GAMMA, kInf), VX_ROW("GAMMA_minus_inf", GAMMA, -kInf),
        VX_ROW("ERLANG_0", ERLANG, 0), VX_ROW("ERLANG_negative", ERLANG, -3),
        VX_ROW("ERLANG_int_min", ERLANG, INT32_MIN),
        VX_ROW("CHISQUARE_nan", CHISQUARE, kNaN), VX_ROW("CHISQUARE_inf", CHISQUARE, kInf),
        VX_ROW("BETA_nan_1", BETA, kNaN, 1.0), VX_ROW("BETA_1_nan", BETA, 1.0, kNaN),
        VX_ROW("F_nan", F, kNaN, 2.0), VX_ROW("F_ddf_nan", F, 2.0, kNaN), VX_ROW("F_ddf_inf", F, 2.0, kInf),
        VX_ROW("T_nan", T, kNaN), VX_ROW("T_inf", T, kInf),
        VX_ROW("BINOMIAL_n_negative", BINOMIAL, -1L, 0.5), VX_ROW("BINOMIAL_n_long_min", BINOMIAL, LONG_MIN, 0.5),
        VX_ROW("BINOMIAL_p_negative", BINOMIAL, 10L, -0.1), VX_ROW("BINOMIAL_p_above_1", BINOMIAL, 10L, 1.1),
        VX_ROW("BINOMIAL_p_nan", BINOMIAL, 10L, kNaN), VX_ROW("BINOMIAL_p_inf", BINOMIAL, 1000L, kInf),
        VX_ROW("POISSON_negative", POISSON, -1.0), VX_ROW("POISSON_tiny_negative", POISSON, -DBL_TRUE_MIN),
        VX_ROW("POISSON_nan", POISSON, kNaN), VX_ROW("POISSON_inf", POISSON, kInf),
        VX_ROW("GEOMETRIC_0", GEOMETRIC, 0.0), VX_ROW("GEOMETRIC_negative", GEOMETRIC, -0.5),
        VX_ROW("GEOMETRIC_above_1", GEOMETRIC, 1.5), VX_ROW("GEOMETRIC_nan", GEOMETRIC, kNaN),
        VX_ROW("NEGBINOMIAL_p_nan", NEGBINOMIAL, kNaN, 2.0), VX_ROW("NEGBINOMIAL_r_nan", NEGBINOMIAL, 0.5, kNaN),
        VX_ROW("NEGBINOMIAL_r_inf", NEGBINOMIAL, 0.5, kInf),
        VX_ROW("HYPERGEOMETRIC_k_past_int32", HYPERGEOMETRIC, 1L << 40, 1L << 20, 1L << 31),
        VX_ROW("BERNOULLI_nan", BERNOULLI, kNaN), VX_ROW("WEIBULL_shape_nan", WEIBULL, kNaN, 1.0),
        VX_ROW("WEIBULL_scale_nan", WEIBULL, 1.0, kNaN), VX_ROW("TRIANGLE_nan", TRIANGLE, kNaN),
        VX_ROW("TABLE_null_with_entries", TABLE, 3L, nullptr),
        // 2 alpha - 1 overflows: GB's set-up has no envelope left.
        refusedAfterSetUp(VX_ROW("GAMMA_dbl_max", GAMMA, DBL_MAX)),
        // alpha + beta overflows in BB.
        refusedAfterSetUp(VX_ROW("BETA_dbl_max_pair", BETA, DBL_MAX, DBL_MAX)),
        // An infinite shape against one above 1, or two: BB's set-up is NaN.
        refusedAfterSetUp(VX_ROW("BETA_inf_2", BETA, kInf, 2.0)),
        refusedAfterSetUp(VX_ROW("BETA_2_inf", BETA, 2.0, kInf)),
        refusedAfterSetUp(VX_ROW("BETA_inf_inf", BETA, kInf, kInf)),
        refusedAfterSetUp(VX_ROW("F_inf_3", F, kInf, 3.0)),

        // Infinite shapes that pass the test run the algorithm.
        exactly(VX_ROW("BETA_inf_1", BETA, kInf, 1.0), 1.0), exactly(VX_ROW("BETA_1_inf", BETA, 1.0, kInf), 0.0),
        exactly(VX_ROW("BETA_inf_0_5", BETA, kInf, 0.5), 1.0),
        exactly(VX_ROW("BETA_0_5_inf", BETA, 0.5, kInf), 0.0),
        exactly(VX_ROW("F_inf_2", F, kInf, 2.0), 0.0), exactly(VX_ROW("F_inf_1", F, kInf, 1.0), 0.0),
        exactly(VX_ROW("NEGBINOMIAL_p_1_r_inf", NEGBINOMIAL, 1.0, kInf), 0.0),

        // Huge and tiny values: the call ends with a value of the support
        // (or the missing value where nothing can be sampled).
        ends(VX_ROW("GAMMA_1e300", GAMMA, 1e300), nonNegative, true),
        ends(VX_ROW("GAMMA_tiny", GAMMA, DBL_TRUE_MIN), nonNegative, true),
        ends(VX_ROW("GAMMA_1e_300", GAMMA, 1e-300), nonNegative, true),
        ends(VX_ROW("GAMMA_whole_part_capped", GAMMA, 2147483647.0), nonNegative, true),
        ends(VX_ROW("ERLANG_int_max", ERLANG, INT32_MAX), nonNegative, true),
        ends(VX_ROW("CHISQUARE_dbl_max", CHISQUARE, DBL_MAX), nonNegative, true),
        ends(VX_ROW("CHISQUARE_tiny", CHISQUARE, DBL_TRUE_MIN), nonNegative, true),
        ends(VX_ROW("BETA_tiny_tiny", BETA, DBL_TRUE_MIN, DBL_TRUE_MIN), unit, true),
        ends(VX_ROW("BETA_1e_300_0_5", BETA, 1e-300, 0.5), unit, true),
        ends(VX_ROW("BETA_1e_300_2", BETA, 1e-300, 2.0), unit, true),
        ends(VX_ROW("BETA_1e300_0_5", BETA, 1e300, 0.5), unit, true),
        ends(VX_ROW("BETA_1e300_1e300", BETA, 1e300, 1e300), unit, true),
        ends(VX_ROW("BETA_just_above_1", BETA, 1.0000000000000002, 1.0000000000000002), unit, true),
        ends(VX_ROW("BETA_just_below_1", BETA, 0.9999999999999999, 0.9999999999999999), unit, true),
        ends(VX_ROW("BETA_tiny_1", BETA, DBL_TRUE_MIN, 1.0), unit, true),
        ends(VX_ROW("F_tiny_huge", F, 1e-300, 1e300), nonNegative, true),
        ends(VX_ROW("F_dbl_max", F, DBL_MAX, DBL_MAX), nonNegative, true),
        ends(VX_ROW("T_1e300", T, 1e300), real, true), ends(VX_ROW("T_dbl_max", T, DBL_MAX), real, true),
        ends(VX_ROW("BINOMIAL_long_max_half", BINOMIAL, LONG_MAX, 0.5), count, true),
        ends(VX_ROW("BINOMIAL_long_max_tiny_p", BINOMIAL, LONG_MAX, 1e-300), count, true),
        ends(VX_ROW("BINOMIAL_long_max_p_near_1", BINOMIAL, LONG_MAX, 1.0 - 1e-16), count, true),
        ends(VX_ROW("BINOMIAL_long_max_p_0", BINOMIAL, LONG_MAX, 0.0), count, true),
        ends(VX_ROW("BINOMIAL_long_max_p_1", BINOMIAL, LONG_MAX, 1.0), count, true),
        ends(VX_ROW("POISSON_1e300", POISSON, 1e300), count, true),
        ends(VX_ROW("POISSON_dbl_max", POISSON, DBL_MAX), count, true),
        ends(VX_ROW("POISSON_just_below_85", POISSON, 84.99999999999999), count, true),
        ends(VX_ROW("POISSON_tiny", POISSON, DBL_TRUE_MIN), count, true),
        ends(VX_ROW("GEOMETRIC_tiny", GEOMETRIC, DBL_TRUE_MIN), count),
        ends(VX_ROW("GEOMETRIC_dbl_min", GEOMETRIC, DBL_MIN), count),
        ends(VX_ROW("GEOMETRIC_just_below_0_001", GEOMETRIC, 0.0009999999999999998), count),
        ends(VX_ROW("NEGBINOMIAL_tiny_p", NEGBINOMIAL, DBL_TRUE_MIN, 1.0), count, true),
        ends(VX_ROW("NEGBINOMIAL_huge_r", NEGBINOMIAL, 1e-300, 1e300), count, true),
        ends(VX_ROW("NEGBINOMIAL_tiny_r", NEGBINOMIAL, 0.5, DBL_TRUE_MIN), count, true),
        ends(VX_ROW("HYPERGEOMETRIC_huge_population", HYPERGEOMETRIC, LONG_MAX, LONG_MAX / 2, 1000L), count),
        ends(VX_ROW("WEIBULL_tiny_shape", WEIBULL, DBL_TRUE_MIN, 1.0), nonNegative),
        ends(VX_ROW("WEIBULL_inf_shape", WEIBULL, kInf, 1.0), nonNegative),
        ends(VX_ROW("WEIBULL_inf_scale", WEIBULL, 1.0, kInf), nonNegative),
        ends(VX_ROW("WEIBULL_dbl_max", WEIBULL, DBL_MAX, DBL_MAX), nonNegative),
        ends(VX_ROW("TABLE_nan_and_infinite_entries", TABLE, 4L, gOddTable),
             [](double x) { return x >= 1.0 && x <= 5.0 && std::floor(x) == x; }),

        // A generator stuck where no attempt accepts.
        stuckAt(VX_ROW("GAMMA_GB_stuck", GAMMA, 2.5), 1.0 - 0x1p-53),
        stuckAt(VX_ROW("GAMMA_envelope_stuck", GAMMA, 0.05), 0.95),
        stuckAt(VX_ROW("BETA_A_stuck", BETA, 0.3, 0.6), 1.0 - 0x1p-53),
        stuckAt(VX_ROW("BETA_BB_stuck", BETA, 2.5, 4.0), 1.0 - 0x1p-53),
        stuckAt(VX_ROW("BETA_BC_stuck", BETA, 0.5, 3.0), 0x1p-53),
        stuckAt(VX_ROW("CAUCHY_stuck", CAUCHY), 0.9),
        // The centre of the disk has no ratio (0/0).
        stuckAt(VX_ROW("CAUCHY_stuck_at_centre", CAUCHY), 0.5),
        // An infinite scale times a power that underflows to 0.
        stuckAt(VX_ROW("WEIBULL_inf_scale_power_0", WEIBULL, 1e-300, kInf), 0.5),
        stuckAt(VX_ROW("T_stuck", T, 5.0), 0.9), stuckAt(VX_ROW("GEOMETRIC_stuck", GEOMETRIC, 0.3), 0.9),
        stuckAt(VX_ROW("NEGBINOMIAL_stuck", NEGBINOMIAL, 0.4, 2.5), 1.0 - 0x1p-53),
    };
}

// A stream with every saved record in use, so that a refused call that
// touched one would show.
void warm(MRandPtr q)
{
    GetOneVariateNORMAL(q);
    GetOneVariateGAMMA(q, 2.5);
    GetOneVariateBETA(q, 2.5, 4.0);
    GetOneVariateBINOMIAL(q, 20, 0.3);
    GetOneVariatePOISSON(q, 3.5);
    ASSERT_EQ(q->nor.HaveOne, 1);
}

class Parameters : public ::testing::TestWithParam<Row> {};

TEST_P(Parameters, RefusedWithTheMissingValueOrEndInTheSupport)
{
    const Row& r = GetParam();
    const std::string& label = r.s.name;
    const bool stuck = !std::isnan(r.stuck);
    vxtest::ScriptedStream one(77), byBuffer(77);
    warm(one.get());
    warm(byBuffer.get());
    if (stuck) {
        one.feed().stick(r.stuck);
        byBuffer.feed().stick(r.stuck);
    }
    const MERSENNE_RAND was = *one.get();
    const uint64_t drawn = one.calls();

    constexpr int kN = 7;
    std::vector<double> viaOne(kN);
    for (double& x : viaOne) x = r.s.one(one.get());
    std::vector<double> buf(kN, 0.25);
    byBuffer.useBuffer(buf);
    ASSERT_EQ(r.s.fill(byBuffer.get()), 0) << label;

    if (r.expect == Expect::Refused || stuck) {
        for (int i = 0; i < kN; ++i) {
            EXPECT_EQ(bitsOf(viaOne[i]), kMissingBits) << label << " #" << i << ": " << viaOne[i];
            EXPECT_EQ(bitsOf(buf[i]), kMissingBits) << label << " buffer #" << i;
        }
        if (!stuck) {
            EXPECT_EQ(one.calls(), drawn) << label << ": drew uniforms";
            EXPECT_EQ(byBuffer.calls(), drawn) << label << ": the buffer drew uniforms";
        }
        if (!r.setUpMayChange) {
            vxtest::expectSameRecords(was, *one.get(), label);
            vxtest::expectSameRecords(was, *byBuffer.get(), label + " buffer");
        }
        return;
    }
    for (int i = 0; i < kN; ++i) {
        EXPECT_TRUE((r.missingAllowed && zmrsIsMissing(viaOne[i])) || r.inSupport(viaOne[i]))
            << label << " #" << i << ": " << viaOne[i];
        EXPECT_EQ(bitsOf(buf[i]), bitsOf(viaOne[i])) << label << " buffer #" << i;
    }
    EXPECT_EQ(byBuffer.calls(), one.calls()) << label;
    if (!r.setUpMayChange) vxtest::expectSameRecords(was, *one.get(), label);
}

INSTANTIATE_TEST_SUITE_P(Samplers, Parameters, ::testing::ValuesIn(rows()),
                         [](const auto& info) { return info.param.s.name; });

// The binomial's guard against a P(0) in the subnormals: no valid (n, p)
// reaches it (P(0) stays above 0.5^300 in the inversion regime), so the
// record is planted.  The variate is missing, no uniform is drawn, the
// record notes the underflow until the stream is rewound.
TEST(BinomialUnderflow, IsMissingWithoutADrawAndNotedUntilRewind)
{
    vxtest::ScriptedStream s(3);
    GetOneVariateBINOMIAL(s.get(), 20, 0.3);
    s->bin.omega = 1e-308;
    const uint64_t drawn = s.calls();
    EXPECT_EQ(bitsOf(GetOneVariateBINOMIAL(s.get(), 20, 0.3)), kMissingBits);
    EXPECT_EQ(s->bin.underflow, 1);
    std::vector<double> buf(5);
    s.useBuffer(buf);
    EXPECT_EQ(FillTheBufferBINOMIAL(s.get(), 20, 0.3), 0);
    for (double x : buf) EXPECT_EQ(bitsOf(x), kMissingBits);
    EXPECT_EQ(s.calls(), drawn);
    // Other parameters derive a sound set-up; the note stays.
    EXPECT_TRUE(count(GetOneVariateBINOMIAL(s.get(), 20, 0.4)));
    EXPECT_EQ(s->bin.underflow, 1);
    zrand_rewind(reinterpret_cast<ZRAND_S*>(s.get()));
    EXPECT_EQ(s->bin.underflow, 0);
    EXPECT_TRUE(count(GetOneVariateBINOMIAL(s.get(), 20, 0.3)));
}

} // namespace
