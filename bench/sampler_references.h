// The samplers' algorithms written again from their papers, on any uniform
// source U (an object with double operator()()): Cheng's GB, BB and BC, the
// Atkinson-Whittaker switch, the envelope for small gamma shapes, binomial
// and Poisson inversion, the polar method, and the few one-line inversions.
// Each takes exactly the uniforms the module's sampler takes for a variate,
// in the same order, and gives the same value bit for bit; exp and pow are
// the C library's, which the module's guarded vxexp and vxpow call.
//
// The benchmarks run them on an inline MT64 source as the floor a sampler's
// cost is judged against, the same algorithm with none of
// the stream's indirection.  Parameters the module rejects, and the degenerate
// set-ups it answers with its missing value, are outside them.
//
// Gamma, beta, binomial and Poisson have a set-up worth keeping.  Each is a
// struct built from the parameters whose call operator draws one variate, so
// a caller can build it once outside its loop (hoisted), or hold a Cached<>
// that compares the parameters on every draw and rebuilds on a change, as
// the module does with the records of its stream.
#ifndef VX_BENCH_SAMPLER_REFERENCES_H
#define VX_BENCH_SAMPLER_REFERENCES_H

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "subs/zln1px.h"

namespace vxref {

// Cheng's constants as he printed them: ln 4 and 1 + ln 5 to eight places.
inline constexpr double kLn4Short = 1.38629436;
inline constexpr double kOnePlusLn5Short = 2.60943791;
// The largest double below one: a running sum that reaches it is complete.
inline constexpr double kSumComplete = 0.9999999999999999;
// Poisson terms this small no longer move a sum near one.
inline constexpr double kPoissonTerm = 1.110223024625157e-16;
// Binomial terms below this would continue in the subnormals.
inline constexpr double kBinomialTerm = 2.2250738585072018e-307;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A set-up kept across draws and rebuilt only when the parameters differ
// from the ones it was built for.  S() must match no parameters at all (its
// saved parameters are NaN).  The rebuild is kept out of the draw's code: a
// loop that repeats its parameters never runs it.
template <class S>
class Cached {
public:
    template <class U, class... P>
    double operator()(U& u, P... params)
    {
        if (!s_.matches(params...)) [[unlikely]]
            rebuild(params...);
        return s_(u);
    }

private:
    template <class... P>
    [[gnu::noinline, gnu::cold]] void rebuild(P... params)
    {
        s_ = S(params...);
    }

    S s_;
};

// ---- gamma ------------------------------------------------------------------------------

// Cheng (1977), algorithm GB without its pretest, for shape > 1; below 1 the
// fractional shape d by rejection from x^(d-1) on [0, 1/2] and 2^(1-d) e^-x
// beyond, each half chosen with the probability of its area, and the whole
// part as -ln of a product of uniforms.
struct Gamma {
    double alpha = kNaN;
    double a = 0.0, b = 0.0, c = 0.0;         // GB
    double k = 0.0, d = 0.0, p = 0.0;         // envelope: whole part, fraction, P(left)
    double dinv = 0.0, dm1 = 0.0;

    Gamma() = default;
    explicit Gamma(double shape) : alpha(shape)
    {
        if (alpha > 1.0) {
            a = 1.0 / std::sqrt(2.0 * alpha - 1.0);
            b = alpha - std::log(4.0);
            c = alpha + 1.0 / a;
            return;
        }
        k = std::floor(alpha);
        d = alpha - k;
        if (d != 0.0) dinv = 1.0 / d;
        dm1 = d - 1.0;
        p = 0.5 / (0.5 + d * 0.606530659712633);
    }
    bool matches(double shape) const { return shape == alpha; }

    template <class U>
    double operator()(U& u) const
    {
        if (alpha > 1.0) {
            for (;;) {
                const double u1 = u(), u2 = u();
                const double v = a * std::log(u1 / (1.0 - u1));
                const double x = alpha * std::exp(v);
                if (b + c * v - x >= std::log(u1 * u1 * u2)) return x;
            }
        }
        double x = 0.0;
        if (d != 0.0) {
            for (;;) {
                const double u1 = u(), u2 = u();
                if (u1 <= p) {
                    const double u3 = u();
                    const double y = std::pow(u2, dinv);
                    x = 0.5 * y;
                    if (u3 <= std::exp(-0.5 * y)) break;
                } else {
                    x = 0.5 - std::log(u2);
                    const double u3 = u();
                    if (u3 <= std::pow(2.0 * x, dm1)) break;
                }
            }
        }
        double product = 1.0;
        for (double i = 0; i < k; ++i) product *= u();
        return x - std::log(product);
    }
};

// ---- beta -------------------------------------------------------------------------------

// Atkinson and Whittaker's switching method (both shapes below one), Cheng's
// BB (both above) and BC (one on each side), and the power forms for a unit
// shape.
struct Beta {
    enum class Regime { A, BB, BC, Uniform, PowerAlpha, PowerBeta };
    double alpha = kNaN, beta = kNaN;
    Regime regime = Regime::Uniform;
    double t = 0.0, p = 0.0;                      // A: switch point, P(left piece)
    double lo = 0.0, hi = 0.0, sum = 0.0;         // BB, BC (lo/hi: smaller/larger)
    double scale = 0.0, shift = 0.0;              // BB: Cheng's beta, gamma; BC: beta, delta
    double k1 = 0.0, k2 = 0.0, toobig = 0.0;      // BC
    double power = 0.0;                           // unit shape

    Beta() = default;
    Beta(double a, double b) : alpha(a), beta(b)
    {
        if (a < 1.0 && b < 1.0) {
            regime = Regime::A;
            t = 1.0 / (1.0 + std::sqrt(b * (1.0 - b) / (a * (1.0 - a))));
            p = b * t / (b * t + a * (1.0 - t));
        } else if (a > 1.0 && b > 1.0) {
            regime = Regime::BB;
            lo = std::min(a, b);
            hi = std::max(a, b);
            sum = a + b;
            scale = std::sqrt((sum - 2.0) / (2.0 * lo * hi - sum));
            shift = lo + 1.0 / scale;
        } else if ((a < 1.0 && b > 1.0) || (b < 1.0 && a > 1.0)) {
            regime = Regime::BC;
            hi = std::max(a, b);
            lo = std::min(a, b);
            sum = a + b;
            scale = 1.0 / lo;
            shift = 1.0 + hi - lo;
            k1 = shift * (0.0138888889 + 0.0416666667 * lo) / (hi * scale - 0.777777778);
            k2 = 0.25 + (0.5 + 0.25 / shift) * lo;
            // ln DBL_MAX - ln hi: past it hi e^v overflows.
            toobig = 709.782712893384 - std::log(hi);
        } else if (a == 1.0 && b == 1.0) {
            regime = Regime::Uniform;
        } else if (b == 1.0) {
            regime = Regime::PowerAlpha;
            power = 1.0 / a;
        } else {
            regime = Regime::PowerBeta;
            power = 1.0 / b;
        }
    }
    bool matches(double a, double b) const { return a == alpha && b == beta; }

    template <class U>
    double operator()(U& u) const
    {
        switch (regime) {
        case Regime::A:
            return switching(u);
        case Regime::BB:
            return chengBB(u);
        case Regime::BC:
            return chengBC(u);
        case Regime::Uniform:
            return u();
        case Regime::PowerAlpha:
            return std::pow(u(), power);
        case Regime::PowerBeta:
            return 1.0 - std::pow(u(), power);
        }
        return kNaN;
    }

private:
    template <class U>
    double switching(U& u) const
    {
        const double a = alpha, b = beta;
        for (;;) {
            const double u1 = u(), u2 = u();
            const double e = -std::log(u2);
            if (u1 <= p) {
                const double x = t * std::pow(u1 / p, 1.0 / a);
                if (e >= (1.0 - b) * (t - x) / (1.0 - t)) return x;
                if (e >= (1.0 - b) * std::log((1.0 - x) / (1.0 - t))) return x;
            } else {
                const double x = 1.0 - (1.0 - t) * std::pow((1.0 - u1) / (1.0 - p), 1.0 / b);
                if (e >= (1.0 - a) * (x / t - 1.0)) return x;
                if (e >= (1.0 - a) * std::log(x / t)) return x;
            }
        }
    }

    template <class U>
    double chengBB(U& u) const
    {
        for (;;) {
            const double u1 = u(), u2 = u();
            const double v = scale * std::log(u1 / (1.0 - u1));
            const double w = lo * std::exp(v);
            const double z = u1 * u1 * u2;
            const double r = shift * v - kLn4Short;
            const double s = lo + r - w;
            bool ok = s + kOnePlusLn5Short > 5.0 * z;
            if (!ok) {
                const double lz = std::log(z);
                ok = s >= lz || r + sum * std::log(sum / (hi + w)) >= lz;
            }
            if (ok) return lo == alpha ? w / (hi + w) : hi / (hi + w);
        }
    }

    template <class U>
    double chengBC(U& u) const
    {
        for (;;) {
            const double u1 = u(), u2 = u();
            double z, w = 0.0;
            bool test = true;
            if (u1 < 0.5) {
                const double y = u1 * u2;
                z = u1 * y;
                if (0.25 * u2 + z - y >= k1) continue;
            } else {
                z = u1 * u1 * u2;
                if (z <= 0.25) {
                    const double v = scale * std::log(u1 / (1.0 - u1));
                    w = v > toobig ? DBL_MAX : hi * std::exp(v);
                    test = false;
                } else if (z >= k2) {
                    continue;
                }
            }
            if (test) {
                const double v = scale * std::log(u1 / (1.0 - u1));
                double bound;
                if (v > toobig) {
                    // The smallest normal added keeps the logarithm finite when
                    // sum / (lo + DBL_MAX) underflows.
                    w = DBL_MAX;
                    bound = sum * (v + std::log(sum / (lo + w) + 0x1.0000000000001p-1022)) -
                            kLn4Short;
                } else {
                    w = hi * std::exp(v);
                    bound = sum * (v + std::log(sum / (lo + w))) - kLn4Short;
                }
                if (!(bound >= std::log(z))) continue;
            }
            if (hi == alpha) return w == DBL_MAX ? 1.0 : w / (lo + w);
            return w == DBL_MAX ? 0.0 : lo / (lo + w);
        }
    }
};

// ---- binomial ---------------------------------------------------------------------------

// The normal approximation with continuity correction for n > 300 and both
// tails above 5 (Box-Muller, cosine half only), otherwise inversion of the
// rarer outcome's count from P(0) by the recurrence P(x) = P(x-1) (c/x - b).
struct Binomial {
    long n = -1;
    double p = kNaN;
    bool normal = false;
    double nd = 0.0, mean = 0.0, sd = 0.0;
    double omega = 0.0, b = 0.0, c = 0.0;

    Binomial() = default;
    Binomial(long trials, double prob) : n(trials), p(prob), nd(static_cast<double>(trials))
    {
        normal = n > 300 && nd * p > 5.0 && nd * (1.0 - p) > 5.0;
        if (normal) {
            mean = nd * p;
            sd = std::sqrt(nd * p * (1.0 - p));
            return;
        }
        const double rare = p <= 0.5 ? p : 1.0 - p;
        omega = std::exp(nd * std::log(p <= 0.5 ? 1.0 - p : p));
        b = rare / (1.0 - rare);
        c = b * (nd + 1.0);
    }
    bool matches(long trials, double prob) const { return prob == p && trials == n; }

    template <class U>
    double operator()(U& u) const
    {
        if (normal) {
            for (;;) {
                const double u1 = u(), u2 = u();
                const double z = std::sqrt(-2.0 * std::log(u1)) * std::cos(kTwoPi * u2);
                const double y = mean + sd * z + 0.5;
                const double x = std::trunc(y);
                if (x >= 0.0 && x <= nd) return x + 0.0; // -0 for y in (-1, 0) is a count of 0
            }
        }
        const double v = u();
        double x = 0.0, term = omega, cum = omega;
        // Rounding can leave the sum of all n + 1 terms just below a v near
        // one: the count stops at n.
        while (v > cum && cum <= kSumComplete && term >= kBinomialTerm && x < nd) {
            x += 1.0;
            term = term * (c / x - b);
            cum = cum + term;
        }
        return p <= 0.5 ? x : nd - x;
    }
};

// ---- Poisson ----------------------------------------------------------------------------

inline double poissonFromZero(double v, double mean, double p0)
{
    double x = 0.0, term = p0, cum = p0;
    while (v > cum && cum <= kSumComplete && term >= kPoissonTerm) {
        x += 1.0;
        term = term * mean / x;
        cum = cum + term;
    }
    return x;
}

// Inversion from zero for small fractional means; from the mode of
// Poisson(floor(lambda)) plus the fractional part by inversion from zero on
// a second uniform otherwise; a rounded normal from 85 on.
struct Poisson {
    enum class Method { FromZero, FromMode, Normal };
    double lambda = kNaN;
    Method method = Method::Normal;
    double m = 0.0, pm = 0.0, qm = 0.0; // mode, P(m), P(X <= m) of Poisson(m)
    double p0 = 0.0, fractionP0 = 0.0;  // e^-lambda, e^-(lambda - m)

    Poisson() = default;
    explicit Poisson(double mean) : lambda(mean)
    {
        if (lambda >= 85.0) return;
        m = std::floor(lambda);
        if (!(lambda >= 8.0 || m == lambda)) {
            method = Method::FromZero;
            p0 = std::exp(-lambda);
            return;
        }
        method = Method::FromMode;
        pm = qm = std::exp(-m);
        for (int i = 1; i <= static_cast<int>(m); ++i) {
            pm = pm * (m / i);
            qm = qm + pm;
        }
        fractionP0 = std::exp(m - lambda);
    }
    bool matches(double mean) const { return mean == lambda; }

    template <class U>
    double operator()(U& u) const
    {
        if (method == Method::Normal) {
            const double u1 = u(), u2 = u();
            const double x = std::floor(lambda + 0.5 + std::sqrt(-2.0 * lambda * std::log(u1)) *
                                                           std::cos(kTwoPi * u2));
            return x > 0.0 ? x : 0.0;
        }
        if (method == Method::FromZero) return poissonFromZero(u(), lambda, p0);
        const double v = u();
        double x = m, cum = qm, term = pm;
        if (v <= qm) {
            for (;;) {
                cum -= term;
                if (v > cum) break;
                x -= 1.0;
                if (x == 0.0) break;
                term = term * (x + 1.0) / m;
            }
        } else {
            do {
                x += 1.0;
                term = term * m / x;
                cum += term;
            } while (!(v <= cum || cum >= kSumComplete || term <= kPoissonTerm));
        }
        if (m == lambda) return x;
        return x + poissonFromZero(u(), lambda - m, fractionP0);
    }
};

// ---- the samplers without a set-up ----------------------------------------------------------

// Counting trials to the first success; below 0.001 one uniform through the
// inverse distribution function, ln(1 - pr) by the module's own zln1px so
// that the quotient rounds the same.
struct Geometric {
    double pr;
    double lnq;
    explicit Geometric(double prob) : pr(prob), lnq(zln1px(-prob)) {}
    template <class U>
    double operator()(U& u) const
    {
        if (pr == 1.0) return 1.0;
        if (pr < 0.001) return std::ceil(std::log(u()) / lnq);
        for (double count = 1.0;; count += 1.0)
            if (u() <= pr) return count;
    }
};

// k draws without replacement, each marked with probability
// (marked left) / (items left).
template <class U>
double refHypergeometric(U& u, long nn, long n, long k)
{
    double x = 0.0, marked = static_cast<double>(n), left = static_cast<double>(nn);
    for (long i = 0; i < k; ++i) {
        if (u() <= marked / left) {
            x += 1.0;
            marked -= 1.0;
        }
        left -= 1.0;
    }
    return x;
}

// x/y of a point uniform in the disk of radius 1/2 about (1/2, 1/2).
template <class U>
double refCauchy(U& u)
{
    for (;;) {
        const double x = u() - 0.5, y = u() - 0.5;
        if (x * x + y * y <= 0.25) return x / y;
    }
}

template <class U>
double refExponential(U& u)
{
    return -std::log(u());
}

template <class U>
double refWeibull(U& u, double shape, double scale)
{
    return scale * std::pow(-std::log(u()), 1.0 / shape);
}

// Inversion of the two quadratic pieces, the upper one as (1 - h) - u (1 - h)
// so that h = 0 is 1 - sqrt(1 - u).
template <class U>
double refTriangle(U& u, double h)
{
    const double v = u();
    return v <= h ? std::sqrt(h * v) : 1.0 - std::sqrt((1.0 - h) - v * (1.0 - h));
}

template <class U>
double refBernoulli(U& u, double p)
{
    return u() <= p ? 1.0 : 0.0;
}

// The first index whose running sum of the table covers u, counted from 1;
// count + 1 past the end (1 for an empty table).
template <class U>
double refTable(U& u, long count, const double* table)
{
    const double v = u();
    double s = 0.0;
    for (long i = 0; i < count; ++i) {
        s += table[i];
        if (v <= s) return static_cast<double>(i) + 1.0;
    }
    return count > 0 ? static_cast<double>(count) + 1.0 : 1.0;
}

// Marsaglia's polar method: one pair per accepted point of the unit disk
// (its centre excluded), the second deviate kept for the next call.
struct Normal {
    bool have = false;
    double stored = 0.0;
    template <class U>
    double operator()(U& u)
    {
        if (have) {
            have = false;
            return stored;
        }
        for (;;) {
            const double w1 = 2.0 * u() - 1.0;
            const double w2 = 2.0 * u() - 1.0;
            const double s = w1 * w1 + w2 * w2;
            if (s >= 1.0 || s == 0.0) continue;
            const double f = std::sqrt(-2.0 * std::log(s) / s);
            stored = w2 * f;
            have = true;
            return w1 * f;
        }
    }
};

// ---- compositions -------------------------------------------------------------------------

struct ChiSquare {
    Gamma g;
    explicit ChiSquare(double df) : g(0.5 * df) {}
    template <class U>
    double operator()(U& u) const
    {
        return 2.0 * g(u);
    }
};

// F from the beta variate x of the half degrees of freedom; x = 1 gives 0.
struct F {
    double ndf, ddf;
    Beta x;
    F(double n, double d) : ndf(n), ddf(d), x(0.5 * n, 0.5 * d) {}
    template <class U>
    double operator()(U& u) const
    {
        const double v = x(u);
        return v == 1.0 ? 0.0 : (ddf * v / ndf) / (1.0 - v);
    }
};

// z / sqrt(2 g / df): the normal first (a kept deviate before any uniform),
// then a gamma of shape df / 2.
struct T {
    double df;
    Normal z;
    Gamma g;
    explicit T(double d) : df(d), g(0.5 * d) {}
    template <class U>
    double operator()(U& u)
    {
        const double n = z(u);
        return n / std::sqrt(2.0 * g(u) / df);
    }
};

// The gamma-Poisson mixture: Poisson of mean g (1 - p) / p for g gamma of
// shape r; the Poisson set-up follows g, so it is built for every variate.
struct NegBinomial {
    double p;
    Gamma g;
    NegBinomial(double prob, double r) : p(prob), g(r) {}
    template <class U>
    double operator()(U& u) const
    {
        if (p == 1.0) return 0.0;
        const double mean = g(u) * (1.0 - p) / p;
        return Poisson(mean)(u);
    }
};

// ---- one-variate forms -----------------------------------------------------------------------

template <class U>
double refGamma(U& u, double alpha)
{
    return Gamma(alpha)(u);
}

template <class U>
double refBeta(U& u, double a, double b)
{
    return Beta(a, b)(u);
}

template <class U>
double refBinomial(U& u, long n, double p)
{
    return Binomial(n, p)(u);
}

template <class U>
double refPoisson(U& u, double lambda)
{
    return Poisson(lambda)(u);
}

template <class U>
double refGeometric(U& u, double pr)
{
    return Geometric(pr)(u);
}

} // namespace vxref

#endif
