// Uniform, normal and lognormal samplers: the normal sequence reproduced
// exactly by an independent polar-method computation on the standard
// library's 64-bit Mersenne Twister, the uniform count of each draw on a
// scripted engine, the pair cache, the buffer forms against one-at-a-time,
// and Kolmogorov-Smirnov goodness of fit against Boost.Math.
#include <gtest/gtest.h>

#include <boost/math/distributions/lognormal.hpp>
#include <boost/math/distributions/normal.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <vector>

#include "stream_test_util.h"
#include "subs/zmrsmissing.h"
#include "subs/zmrsnormal.h"
#include "subs/zrand.h"
#include "support/host_fixture.h"

namespace {

char* name(const char* text) { return const_cast<char*>(text); }

class Samplers : public vxtest::HostFixture {
protected:
    std::unique_ptr<MERSENNE_RAND> make(const char* method, double seed)
    {
        auto q = vxtest::zeroed<MERSENNE_RAND>();
        q->UserMethod = name(method);
        q->UserSeed = seed;
        EXPECT_EQ(zmrsrnd(q.get()), 0);
        return q;
    }

    // A variate generator on the scripted engine, uniforms as given.
    std::unique_ptr<MERSENNE_RAND> scripted(std::vector<double> uniforms)
    {
        auto q = vxtest::zeroed<MERSENNE_RAND>();
        vxtest::installScripted(q.get(), vxtest::scriptedDescriptor("SCRIPT", 64, 0, 0, 0),
                                std::move(uniforms));
        EXPECT_EQ(zrand_init(reinterpret_cast<ZRANSTR*>(q.get())), 0);
        return q;
    }

    static vxtest::ScriptBlob& blob(MERSENNE_RAND* q)
    {
        return *static_cast<vxtest::ScriptBlob*>(q->Blob);
    }
};

// Marsaglia's polar method, written out independently of the module.
class PolarPeer {
public:
    explicit PolarPeer(std::function<double()> uniform) : uniform_(std::move(uniform)) {}
    double operator()()
    {
        if (have_) {
            have_ = false;
            return spare_;
        }
        double x, y, r2;
        do {
            x = 2.0 * uniform_() - 1.0;
            y = 2.0 * uniform_() - 1.0;
            r2 = x * x + y * y;
        } while (r2 >= 1.0 || r2 == 0.0);
        const double scale = std::sqrt(-2.0 * std::log(r2) / r2);
        spare_ = y * scale;
        have_ = true;
        return x * scale;
    }

private:
    std::function<double()> uniform_;
    double spare_ = 0;
    bool have_ = false;
};

// ---- exact reproduction ------------------------------------------------------------
TEST_F(Samplers, NormalIsThePolarMethodOnTheStandardEngine)
{
    auto q = make("MT64", 20261206);
    vxtest::Mt64Uniform u(20261206);
    PolarPeer peer([&] { return u(); });
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(GetOneVariateNORMAL(q.get()), peer()) << i;
    // LOGNORMAL and buffers draw from the same sequence.
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(GetOneVariateLOGNORMAL(q.get()), std::exp(peer())) << i;
}

TEST_F(Samplers, NormalReproducesFromEachEngineOwnUniforms)
{
    for (const char* method : {"MTHYBRID", "MT1998", "MT32", "MT64"}) {
        auto q = make(method, 77);
        auto twin = make(method, 77);
        PolarPeer peer([&] { return twin->rangen(twin->Blob); });
        for (int i = 0; i < 5000; ++i) ASSERT_EQ(GetOneVariateNORMAL(q.get()), peer()) << method << i;
        // Rewinding restarts the normal sequence from its first pair.
        zrand_rewind(reinterpret_cast<ZRAND_S*>(q.get()));
        zrand_rewind(reinterpret_cast<ZRAND_S*>(twin.get()));
        PolarPeer again([&] { return twin->rangen(twin->Blob); });
        for (int i = 0; i < 11; ++i) ASSERT_EQ(GetOneVariateNORMAL(q.get()), again()) << method;
    }
}

TEST_F(Samplers, UniformIsExactlyTheStreamUniform)
{
    auto q = make("MT64", 3);
    vxtest::Mt64Uniform u(3);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(GetOneVariateUNIFORM(q.get()), u());
    auto s = scripted({0.125, 0.5, 0.875});
    EXPECT_EQ(GetOneVariateUNIFORM(s.get()), 0.125);
    EXPECT_EQ(GetOneVariateUNIFORM(s.get()), 0.5);
    EXPECT_EQ(blob(s.get()).draws, 2);
}

// ---- uniforms consumed and the pair cache ---------------------------------------------
TEST_F(Samplers, PairsConsumeTwoUniformsPerAttemptAndRejectTheOutside)
{
    // First attempt lies outside the unit circle and is discarded whole.
    auto q = scripted({0.99, 0.995, 0.25, 0.75});
    const double f = std::sqrt(-2.0 * std::log(0.5) / 0.5);
    EXPECT_EQ(GetOneVariateNORMAL(q.get()), -0.5 * f);
    EXPECT_EQ(blob(q.get()).draws, 4);
    EXPECT_EQ(q->nor.HaveOne, 1);
    EXPECT_EQ(q->nor.storedVariate, 0.5 * f);
    EXPECT_EQ(GetOneVariateNORMAL(q.get()), 0.5 * f);
    EXPECT_EQ(blob(q.get()).draws, 4) << "the second of a pair costs nothing";
    EXPECT_EQ(q->nor.HaveOne, 0);

    // The centre of the circle is rejected as well: the formula has no value there.
    auto c = scripted({0.5, 0.5, 0.25, 0.75});
    EXPECT_EQ(GetOneVariateNORMAL(c.get()), -0.5 * f);
    EXPECT_EQ(blob(c.get()).draws, 4);
}

TEST_F(Samplers, AStuckEngineGivesTheMissingValueInsteadOfHanging)
{
    auto q = scripted({0.999});
    const double x = GetOneVariateNORMAL(q.get());
    EXPECT_TRUE(zmrsIsMissing(x)) << x;
    EXPECT_EQ(q->nor.HaveOne, 0);
    EXPECT_TRUE(zmrsIsMissing(GetOneVariateLOGNORMAL(q.get())));
}

TEST_F(Samplers, LognormalTakesTheCachedSecondDeviate)
{
    auto q = make("MT64", 8);
    const double z1 = GetOneVariateNORMAL(q.get());
    ASSERT_EQ(q->nor.HaveOne, 1);
    const double z2 = q->nor.storedVariate;
    EXPECT_EQ(GetOneVariateLOGNORMAL(q.get()), std::exp(z2));
    EXPECT_EQ(q->nor.HaveOne, 0);
    // MakeNormalSequence is the same source.
    auto twin = make("MT64", 8);
    EXPECT_EQ(MakeNormalSequence(twin.get()), z1);
    EXPECT_EQ(MakeNormalSequence(twin.get()), z2);
}

TEST_F(Samplers, NullGeneratorOrUninitialisedStreamGivesTheMissingValue)
{
    EXPECT_TRUE(zmrsIsMissing(GetOneVariateUNIFORM(nullptr)));
    EXPECT_TRUE(zmrsIsMissing(GetOneVariateNORMAL(nullptr)));
    EXPECT_TRUE(zmrsIsMissing(GetOneVariateLOGNORMAL(nullptr)));
    EXPECT_EQ(FillTheBufferUNIFORM(nullptr), 1);
    EXPECT_EQ(FillTheBufferNORMAL(nullptr), 1);
    EXPECT_EQ(FillTheBufferLOGNORMAL(nullptr), 1);
    auto q = vxtest::zeroed<MERSENNE_RAND>();
    EXPECT_TRUE(zmrsIsMissing(GetOneVariateUNIFORM(q.get())));
    EXPECT_TRUE(zmrsIsMissing(GetOneVariateNORMAL(q.get())));
}

// ---- buffers -----------------------------------------------------------------------------
using One = double (*)(MRandPtr);
using Fill = int (*)(MRandPtr);
struct Form {
    const char* name;
    One one;
    Fill fill;
};
const Form kForms[] = {
    {"UNIFORM", GetOneVariateUNIFORM, FillTheBufferUNIFORM},
    {"NORMAL", GetOneVariateNORMAL, FillTheBufferNORMAL},
    {"LOGNORMAL", GetOneVariateLOGNORMAL, FillTheBufferLOGNORMAL},
};

TEST_F(Samplers, BuffersEqualOneAtATimeAndMixFreely)
{
    for (const Form& form : kForms) {
        for (const char* method : {"MT64", "MTHYBRID"}) {
            auto q = make(method, 31);
            auto twin = make(method, 31);
            std::vector<double> got;
            for (int64_t n : {7, 1, 5, 64, 3}) {
                std::vector<double> buf(n + 2, -7.0);
                q->VBuffer = buf.data();
                q->NBuffer = n;
                ASSERT_EQ(form.fill(q.get()), 0);
                EXPECT_EQ(buf[n], -7.0) << "nothing beyond NBuffer";
                got.insert(got.end(), buf.begin(), buf.begin() + n);
                got.push_back(form.one(q.get()));
            }
            std::vector<double> want;
            for (size_t i = 0; i < got.size(); ++i) want.push_back(form.one(twin.get()));
            EXPECT_EQ(got, want) << form.name << " " << method;
            EXPECT_EQ(q->nor.HaveOne, twin->nor.HaveOne);
        }
    }
}

TEST_F(Samplers, OddNormalBufferLeavesTheSecondDeviateWaiting)
{
    auto q = make("MT64", 5);
    auto twin = make("MT64", 5);
    std::vector<double> buf(3);
    q->VBuffer = buf.data();
    q->NBuffer = 3;
    ASSERT_EQ(FillTheBufferNORMAL(q.get()), 0);
    EXPECT_EQ(q->nor.HaveOne, 1);
    for (double x : buf) EXPECT_EQ(x, GetOneVariateNORMAL(twin.get()));
    EXPECT_EQ(GetOneVariateNORMAL(q.get()), GetOneVariateNORMAL(twin.get()));
}

TEST_F(Samplers, EmptyOrMissingBufferChangesNothing)
{
    for (const Form& form : kForms) {
        auto q = make("MT64", 9);
        auto twin = make("MT64", 9);
        GetOneVariateNORMAL(q.get());
        GetOneVariateNORMAL(twin.get());
        double sentinel = 42.0;
        struct Case {
            double* buffer;
            int64_t n;
        };
        for (Case c : {Case{&sentinel, 0}, Case{&sentinel, -4}, Case{nullptr, 5}}) {
            q->VBuffer = c.buffer;
            q->NBuffer = c.n;
            EXPECT_EQ(form.fill(q.get()), 1) << form.name;
        }
        EXPECT_EQ(sentinel, 42.0);
        EXPECT_EQ(q->nor.HaveOne, 1) << form.name;
        EXPECT_EQ(GetOneVariateNORMAL(q.get()), GetOneVariateNORMAL(twin.get())) << form.name;
        EXPECT_EQ(GetOneVariateUNIFORM(q.get()), GetOneVariateUNIFORM(twin.get())) << form.name;
    }
}

TEST_F(Samplers, UniformBufferCallsTheEngineOncePerValue)
{
    auto q = scripted({0.1, 0.2, 0.3, 0.4, 0.6});
    std::vector<double> buf(4);
    q->VBuffer = buf.data();
    q->NBuffer = 4;
    ASSERT_EQ(FillTheBufferUNIFORM(q.get()), 0);
    EXPECT_EQ(buf, (std::vector<double>{0.1, 0.2, 0.3, 0.4}));
    EXPECT_EQ(blob(q.get()).draws, 4);
}

// ---- goodness of fit ----------------------------------------------------------------------
// Kolmogorov-Smirnov statistic of a sample against a continuous CDF.
template <class Cdf>
double ksStatistic(std::vector<double> x, Cdf cdf)
{
    std::sort(x.begin(), x.end());
    const double n = static_cast<double>(x.size());
    double d = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double f = cdf(x[i]);
        d = std::max({d, f - static_cast<double>(i) / n, static_cast<double>(i + 1) / n - f});
    }
    return d;
}

// P(sqrt(n) D > t) <= 2 exp(-2 t^2) (Dvoretzky-Kiefer-Wolfowitz with Massart's
// constant); t = 2.7 gives a false failure probability below 1e-6.
constexpr double kKsBound = 2.7;

TEST_F(Samplers, NormalAndLognormalFitTheirDistributions)
{
    constexpr int n = 200000;
    const boost::math::normal normal;
    const boost::math::lognormal lognormal;
    for (const char* method : {"MT64", "MTHYBRID"}) {
        auto q = make(method, 123457);
        std::vector<double> z(n), y(n);
        q->VBuffer = z.data();
        q->NBuffer = n;
        ASSERT_EQ(FillTheBufferNORMAL(q.get()), 0);
        q->VBuffer = y.data();
        ASSERT_EQ(FillTheBufferLOGNORMAL(q.get()), 0);
        const double dz = ksStatistic(z, [&](double v) { return boost::math::cdf(normal, v); });
        const double dy = ksStatistic(y, [&](double v) { return boost::math::cdf(lognormal, v); });
        EXPECT_LT(std::sqrt(double(n)) * dz, kKsBound) << method;
        EXPECT_LT(std::sqrt(double(n)) * dy, kKsBound) << method;
        // The two deviates of a pair are independent: their correlation is
        // N(0, 1/m) for m pairs; 5 sigma.
        double sxy = 0;
        for (int i = 0; i + 1 < n; i += 2) sxy += z[i] * z[i + 1];
        EXPECT_LT(std::fabs(sxy / (n / 2)), 5.0 / std::sqrt(n / 2.0)) << method;
    }
}

} // namespace
