// The module's samplers on an MT64 stream beside their inline twins: the
// same algorithm (bench/sampler_references.h) on the same uniforms, drawn
// from an inline MT19937-64 through the conversion the stream's rangen makes,
// with nothing between the caller and the engine: the floor of the
// sampler-vs-inline benchmark (bench/samplers_inline_bench.cpp, names
// dist/<DIST>/<parameters>/... as in bench/distributions_bench.cpp).
#ifndef VX_BENCH_INLINE_SAMPLERS_H
#define VX_BENCH_INLINE_SAMPLERS_H

#include <cstdint>
#include <memory>
#include <tuple>

#include "subs/zrand.h"
#include "sampler_references.h"

namespace vxinline {

// MT19937-64 (Nishimura, ACM TOMACS 10(4), 2000) with the reference
// initialisation by one 64-bit seed: the words of std::mt19937_64, but the
// state regenerated without a branch on each word's low bit.  libstdc++'s
// regeneration branches there, a misprediction on every other word, and
// costs about three times as much per word as the module's engine: a floor
// built on it would flatter every sampler that draws many uniforms.
class Mt19937_64 {
public:
    explicit Mt19937_64(uint64_t seed)
    {
        mt_[0] = seed;
        for (int i = 1; i < kN; ++i)
            mt_[i] = 6364136223846793005ull * (mt_[i - 1] ^ (mt_[i - 1] >> 62)) +
                     static_cast<uint64_t>(i);
    }
    uint64_t operator()()
    {
        if (at_ >= kN) [[unlikely]]
            regenerate();
        uint64_t x = mt_[at_++];
        x ^= (x >> 29) & 0x5555555555555555ull;
        x ^= (x << 17) & 0x71D67FFFEDA60000ull;
        x ^= (x << 37) & 0xFFF7EEE000000000ull;
        return x ^ (x >> 43);
    }

private:
    static constexpr int kN = 312, kM = 156;
    static constexpr uint64_t kA = 0xB5026F5AA96619E9ull;
    static uint64_t twist(uint64_t upper, uint64_t lower, uint64_t far)
    {
        const uint64_t y = (upper & 0xFFFFFFFF80000000ull) | (lower & 0x7FFFFFFFull);
        return far ^ (y >> 1) ^ ((0u - (y & 1u)) & kA);
    }
    [[gnu::noinline]] void regenerate()
    {
        int i = 0;
        for (; i < kN - kM; ++i) mt_[i] = twist(mt_[i], mt_[i + 1], mt_[i + kM]);
        for (; i < kN - 1; ++i) mt_[i] = twist(mt_[i], mt_[i + 1], mt_[i + kM - kN]);
        mt_[kN - 1] = twist(mt_[kN - 1], mt_[0], mt_[kM - 1]);
        at_ = 0;
    }

    uint64_t mt_[kN];
    int at_ = kN;
};

// The MT64 stream's uniform: 64 bits from the engine, 0 rejected, converted
// exactly (each 32-bit half is exact in a double, the one rounding is the
// sum's, as a direct conversion would round), and 1.0 (the top 2^10 values
// round to 2^64) rejected.
class Mt64Uniform {
public:
    explicit Mt64Uniform(uint64_t seed) : g_(seed) {}
    double operator()()
    {
        for (;;) {
            const uint64_t u = g_();
            if (u == 0) [[unlikely]]
                continue;
            const double hi = static_cast<double>(static_cast<int64_t>(u >> 32));
            const double lo = static_cast<double>(static_cast<int64_t>(u & 0xFFFFFFFFu));
            const double x = (hi * 0x1p32 + lo) * 0x1p-64;
            if (x != 1.0) [[likely]]
                return x;
        }
    }

private:
    Mt19937_64 g_;
};

inline std::unique_ptr<MERSENNE_RAND> mt64Stream(uint64_t seed)
{
    auto q = std::make_unique<MERSENNE_RAND>();
    q->UserMethod = const_cast<char*>("MT64");
    q->UserSeed = static_cast<double>(seed);
    zmrsrnd(q.get());
    return q;
}

// The compiler may not know a parameter from one draw to the next, or it
// could fold the cache's comparison away; the module's samplers receive
// theirs as arguments of an external call.  An empty asm that claims to
// change the value, and costs no instruction.
#if defined(__x86_64__) || defined(__i386__)
inline void opaque(double& x) { asm volatile("" : "+x"(x)); }
#else
inline void opaque(double& x) { asm volatile("" : "+m"(x)); }
#endif
inline void opaque(long& x) { asm volatile("" : "+r"(x)); }

// A set-up kept across draws the module's way: the parameters compared on
// every draw, the set-up rebuilt when they differ.
template <class S, class... P>
class CachedDraw {
public:
    explicit CachedDraw(P... params) : params_(params...) {}
    template <class U>
    double operator()(U& u)
    {
        return std::apply(
            [&](P... p) {
                (opaque(p), ...);
                return cache_(u, p...);
            },
            params_);
    }

private:
    std::tuple<P...> params_;
    vxref::Cached<S> cache_;
};

// No saved set-up: only the hoisted twin.
struct NoCache {};

inline double gTable[] = {0.2, 0.3, 0.1};

// row(dist, parameters, ours, twin, cached): ours draws one variate from a
// stream, twin (copied afresh for each run, its set-up already built) from a
// uniform source, cached is a CachedDraw or NoCache.  The twins hold their
// parameters as data, not as constants the compiler could fold into the
// loop, since the module's samplers receive theirs at run time.
template <class Row>
void forEachRow(Row&& row)
{
    using namespace vxref;
    using G = CachedDraw<Gamma, double>;
    using B = CachedDraw<Beta, double, double>;
    using Bin = CachedDraw<Binomial, long, double>;
    using P = CachedDraw<Poisson, double>;

    row("UNIFORM", "MT64", [](MRandPtr q) { return GetOneVariateUNIFORM(q); },
        [](auto& u) { return u(); }, NoCache{});
    row("NORMAL", "MT64", [](MRandPtr q) { return GetOneVariateNORMAL(q); }, Normal{}, NoCache{});

    row("GAMMA", "0.3", [](MRandPtr q) { return GetOneVariateGAMMA(q, 0.3); }, Gamma(0.3), G(0.3));
    row("GAMMA", "1", [](MRandPtr q) { return GetOneVariateGAMMA(q, 1.0); }, Gamma(1.0), G(1.0));
    row("GAMMA", "2.5", [](MRandPtr q) { return GetOneVariateGAMMA(q, 2.5); }, Gamma(2.5), G(2.5));
    row("GAMMA", "40", [](MRandPtr q) { return GetOneVariateGAMMA(q, 40.0); }, Gamma(40.0),
        G(40.0));
    row("GAMMA", "1e6", [](MRandPtr q) { return GetOneVariateGAMMA(q, 1e6); }, Gamma(1e6), G(1e6));
    row("ERLANG", "3", [](MRandPtr q) { return GetOneVariateERLANG(q, 3); }, Gamma(3.0), NoCache{});
    row("CHISQUARE", "1", [](MRandPtr q) { return GetOneVariateCHISQUARE(q, 1.0); },
        ChiSquare(1.0), NoCache{});
    row("CHISQUARE", "5", [](MRandPtr q) { return GetOneVariateCHISQUARE(q, 5.0); },
        ChiSquare(5.0), NoCache{});

    row("BETA", "A_0.3_0.6", [](MRandPtr q) { return GetOneVariateBETA(q, 0.3, 0.6); },
        Beta(0.3, 0.6), B(0.3, 0.6));
    row("BETA", "BB_2.5_4", [](MRandPtr q) { return GetOneVariateBETA(q, 2.5, 4.0); },
        Beta(2.5, 4.0), B(2.5, 4.0));
    row("BETA", "BC_0.5_3", [](MRandPtr q) { return GetOneVariateBETA(q, 0.5, 3.0); },
        Beta(0.5, 3.0), B(0.5, 3.0));
    row("BETA", "unit_2_1", [](MRandPtr q) { return GetOneVariateBETA(q, 2.0, 1.0); },
        Beta(2.0, 1.0), B(2.0, 1.0));
    row("F", "BB_4_7", [](MRandPtr q) { return GetOneVariateF(q, 4.0, 7.0); }, F(4.0, 7.0),
        NoCache{});
    row("F", "BC_1_3", [](MRandPtr q) { return GetOneVariateF(q, 1.0, 3.0); }, F(1.0, 3.0),
        NoCache{});
    row("T", "1", [](MRandPtr q) { return GetOneVariateT(q, 1.0); }, T(1.0), NoCache{});
    row("T", "5", [](MRandPtr q) { return GetOneVariateT(q, 5.0); }, T(5.0), NoCache{});
    row("T", "30", [](MRandPtr q) { return GetOneVariateT(q, 30.0); }, T(30.0), NoCache{});

    row("BINOMIAL", "inv_20_0.3", [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 20, 0.3); },
        Binomial(20, 0.3), Bin(20, 0.3));
    row("BINOMIAL", "inv_300_0.5", [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 300, 0.5); },
        Binomial(300, 0.5), Bin(300, 0.5));
    row("BINOMIAL", "normal_1000_0.4",
        [](MRandPtr q) { return GetOneVariateBINOMIAL(q, 1000, 0.4); }, Binomial(1000, 0.4),
        Bin(1000, 0.4));
    row("POISSON", "flag0_3.5", [](MRandPtr q) { return GetOneVariatePOISSON(q, 3.5); },
        Poisson(3.5), P(3.5));
    row("POISSON", "flag1_3", [](MRandPtr q) { return GetOneVariatePOISSON(q, 3.0); },
        Poisson(3.0), P(3.0));
    row("POISSON", "flag1_10.5", [](MRandPtr q) { return GetOneVariatePOISSON(q, 10.5); },
        Poisson(10.5), P(10.5));
    row("POISSON", "flag1_40.3", [](MRandPtr q) { return GetOneVariatePOISSON(q, 40.3); },
        Poisson(40.3), P(40.3));
    row("POISSON", "flag2_200.5", [](MRandPtr q) { return GetOneVariatePOISSON(q, 200.5); },
        Poisson(200.5), P(200.5));
    row("GEOMETRIC", "count_0.3", [](MRandPtr q) { return GetOneVariateGEOMETRIC(q, 0.3); },
        Geometric(0.3), NoCache{});
    row("GEOMETRIC", "inv_0.0005", [](MRandPtr q) { return GetOneVariateGEOMETRIC(q, 0.0005); },
        Geometric(0.0005), NoCache{});
    row("NEGBINOMIAL", "0.4_2.5", [](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, 0.4, 2.5); },
        NegBinomial(0.4, 2.5), NoCache{});
    row("NEGBINOMIAL", "0.25_6", [](MRandPtr q) { return GetOneVariateNEGBINOMIAL(q, 0.25, 6.0); },
        NegBinomial(0.25, 6.0), NoCache{});
    row("HYPERGEOMETRIC", "50_20_15",
        [](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, 50, 20, 15); },
        [nn = 50L, n = 20L, k = 15L](auto& u) { return refHypergeometric(u, nn, n, k); }, NoCache{});
    row("HYPERGEOMETRIC", "1000_10_500",
        [](MRandPtr q) { return GetOneVariateHYPERGEOMETRIC(q, 1000, 10, 500); },
        [nn = 1000L, n = 10L, k = 500L](auto& u) { return refHypergeometric(u, nn, n, k); }, NoCache{});
    row("BERNOULLI", "0.3", [](MRandPtr q) { return GetOneVariateBERNOULLI(q, 0.3); },
        [p = 0.3](auto& u) { return refBernoulli(u, p); }, NoCache{});
    row("TABLE", "3", [](MRandPtr q) { return GetOneVariateTABLE(q, 3, gTable); },
        [n = 3L, t = gTable](auto& u) { return refTable(u, n, t); }, NoCache{});

    row("EXPONENTIAL", "standard", [](MRandPtr q) { return GetOneVariateEXPONENTIAL(q); },
        [](auto& u) { return refExponential(u); }, NoCache{});
    row("CAUCHY", "standard", [](MRandPtr q) { return GetOneVariateCAUCHY(q); },
        [](auto& u) { return refCauchy(u); }, NoCache{});
    row("WEIBULL", "1.5_2", [](MRandPtr q) { return GetOneVariateWEIBULL(q, 1.5, 2.0); },
        [k = 1.5, s = 2.0](auto& u) { return refWeibull(u, k, s); }, NoCache{});
    row("TRIANGLE", "0.3", [](MRandPtr q) { return GetOneVariateTRIANGLE(q, 0.3); },
        [h = 0.3](auto& u) { return refTriangle(u, h); }, NoCache{});
}

} // namespace vxinline

#endif
