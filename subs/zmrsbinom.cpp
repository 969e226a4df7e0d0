/* Binomial and negative binomial variates.
 *
 * Binomial, two regimes by (n, p), set-up in q->bin (recomputed whenever n or
 * p differs from bin.nsave, bin.psave):
 *   normal   n > 300, np > 5 and n(1-p) > 5: the normal approximation with
 *            continuity correction, truncated, attempts outside 0..n
 *            rejected; two uniforms per attempt (Box-Muller, cosine half
 *            only, nothing cached);
 *   folded   otherwise: inversion on one uniform of the count of the rarer
 *            outcome, q = min(p, 1-p), from P(0) = omega upwards with the
 *            recurrence P(x) = P(x-1) (c/x - b), b = q/(1-q), c = b(n+1).
 *
 * Negative binomial: the gamma-Poisson mixture, Poisson of mean
 * g (1-p)/p with g gamma of shape num_succ. */
#include <bit>
#include <cmath>
#include <cstdint>

#include "subs/zln1px.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace {

using zmrs::kAttemptsPerVariate;
using zmrs::Uniform;
using zmrs::usable;

constexpr long kNormalAbove = 300;
constexpr double kNormalTail = 5.0;
constexpr double kTwoPi = 6.283185307179586;
/* Below this P(0) the recurrence would start in the subnormals. */
constexpr double kUnderflow = std::bit_cast<double>(0x0044000000000001ull);
constexpr double kSumComplete = std::bit_cast<double>(0x3FEFFFFFFFFFFFFFull);
/* 2^63: the first double outside int64_t. */
constexpr double kInt64End = 9223372036854775808.0;

bool normalRegime(long n, double p)
{
    const double nd = static_cast<double>(n);
    return n > kNormalAbove && nd * p > kNormalTail && nd * (1.0 - p) > kNormalTail;
}

void binomialSetUp(ZRANBIN& s, bool normal, long n, double p)
{
    s.psave = p;
    s.nsave = n;
    const double nd = static_cast<double>(n);
    if (normal) {
        s.mean = nd * p;
        s.sd = std::sqrt(nd * p * (1.0 - p));
        return;
    }
    const bool lower = p <= 0.5;
    const double rare = lower ? p : 1.0 - p;
    s.omega = lower ? vxnum::exp(nd * std::log(1.0 - p)) : vxnum::exp(nd * std::log(p));
    s.b = rare / (1.0 - rare);
    /* n + 1 in unsigned arithmetic: exact for every n >= 0, LONG_MAX too. */
    s.c = s.b * static_cast<double>(static_cast<uint64_t>(n) + 1u);
}

/* BINOMIAL leaves 0 <= p <= 1 and n >= 0 to the caller.  Outside that, or
 * for a NaN p, the missing value without a uniform drawn or the set-up
 * touched: the recurrence would run on negative or NaN terms. */
bool binomialOk(long n, double p) { return n >= 0 && p >= 0.0 && p <= 1.0; }

/* n and p already accepted, q usable. */
[[gnu::always_inline]] inline double binomialDraw(MRandPtr q, long n, double p)
{
    ZRANBIN& s = q->bin;
    const bool normal = normalRegime(n, p);
    if (p != s.psave || n != s.nsave) binomialSetUp(s, normal, n, p);
    const Uniform next(q);

    if (normal) {
        const double mean = s.mean, sd = s.sd;
        for (int attempt = 0; attempt < kAttemptsPerVariate; ++attempt) {
            const double u1 = next();
            const double u2 = next();
            const double z = std::sqrt(-2.0 * std::log(u1)) * std::cos(kTwoPi * u2);
            const double y = mean + sd * z + 0.5;
            /* Truncation toward zero maps (-1, 0) to 0; the range test comes
             * before the conversion so that it is always defined. */
            if (!(y > -1.0 && y < kInt64End)) continue;
            const int64_t x = static_cast<int64_t>(y);
            if (x <= n) return static_cast<double>(x);
        }
        return zmrsMissing();
    }

    const double omega = s.omega;
    if (omega < kUnderflow) {
        s.underflow = 1;
        return zmrsMissing();
    }
    const double b = s.b, c = s.c;
    const double u = next();
    int64_t x = 0;
    double term = omega;
    double cum = omega;
    /* Rounding can leave the sum of all n + 1 terms just below a u near one;
     * the count then stops at n instead of running past it. */
    while (u > cum && cum <= kSumComplete && term >= kUnderflow && x < n) {
        ++x;
        term = term * (c / static_cast<double>(x) - b);
        cum = cum + term;
    }
    return static_cast<double>(p <= 0.5 ? x : n - x);
}

/* The missing value outside 0 < prob_succ <= 1 or for num_succ <= 0, a NaN
 * of either failing too. */
bool negBinomialOk(double prob, double num) { return prob > 0.0 && prob <= 1.0 && num > 0.0; }

[[gnu::always_inline]] inline double negBinomialDraw(MRandPtr q, double prob, double num)
{
    if (prob == 1.0) return 0.0;
    /* An infinite num_succ: no gamma variate of that shape exists (GB never
     * ends there), so the missing value, nothing drawn; prob_succ = 1 gave 0
     * above without a draw. */
    if (!zmrs::gammaShapeOk(num)) return zmrsMissing();
    const double g = zmrs::gammaVariate(q, num);
    if (zmrsIsMissing(g)) return g;
    /* A mean past the largest double (prob near the smallest doubles) has no
     * count to give. */
    const double lambda = g * (1.0 - prob) / prob;
    if (!zmrs::poissonMeanOk(lambda)) return zmrsMissing();
    return zmrs::poissonVariate(q, lambda);
}

} // namespace

extern "C" {

VXAPI double GetOneVariateBINOMIAL(MRandPtr q, long n, double p)
{
    zrand_check(q, 1);
    if (!usable(q) || !binomialOk(n, p)) return zmrsMissing();
    return binomialDraw(q, n, p);
}

VXAPI int FillTheBufferBINOMIAL(MRandPtr q, long n, double p)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, usable(q) && binomialOk(n, p),
                               [n, p](MRandPtr r) { return binomialDraw(r, n, p); });
}

VXAPI double GetOneVariateNEGBINOMIAL(MRandPtr q, double prob_succ, double num_succ)
{
    zrand_check(q, 1);
    if (!usable(q) || !negBinomialOk(prob_succ, num_succ)) return zmrsMissing();
    return negBinomialDraw(q, prob_succ, num_succ);
}

VXAPI int FillTheBufferNEGBINOMIAL(MRandPtr q, double prob_succ, double num_succ)
{
    zrand_check(q, 1);
    return zmrs::fillTheBuffer(q, usable(q) && negBinomialOk(prob_succ, num_succ),
                               [prob_succ, num_succ](MRandPtr r) {
                                   return negBinomialDraw(r, prob_succ, num_succ);
                               });
}

} // extern "C"
