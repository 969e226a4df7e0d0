// The variate generator: set-up of the embedded areas, the sampler table in
// its documented order, reseeding in place and copying a Mersenne Twister
// position between objects.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "stream_test_util.h"
#include "subs/zrand.h"
#include "subs/zrngmsg.h"
#include "support/host_fixture.h"

namespace {

char* name(const char* text) { return const_cast<char*>(text); }

class VariateGenerator : public vxtest::HostFixture {
protected:
    void SetUp() override { setText("OSENV.QOR_RNG_MESSAGES", "NOTE"); }

    std::unique_ptr<MERSENNE_RAND> make(const char* method, double seed, uint64_t key = 0,
                                        uint64_t thread = 0)
    {
        auto q = vxtest::zeroed<MERSENNE_RAND>();
        q->UserMethod = name(method);
        q->UserSeed = seed;
        q->Key = key;
        q->Thread = thread;
        EXPECT_EQ(zmrsrnd(q.get()), 0);
        return q;
    }

    static std::vector<double> uniforms(MERSENNE_RAND* q, int n)
    {
        std::vector<double> v(n);
        for (double& x : v) x = GetOneVariateUNIFORM(q);
        return v;
    }
};

TEST_F(VariateGenerator, TableHoldsTheFortySamplersInTableOrder)
{
    auto q = make("MT64", 7);
    // The documented order, written out here rather than taken from
    // subs/zmrslist.h, which fills the table.
#define VX_NAMES(X)                                                                         \
    X(BERNOULLI) X(BETA) X(BINOMIAL) X(CAUCHY) X(CHISQUARE) X(ERLANG) X(EXPONENTIAL) X(F)     \
    X(GAMMA) X(GEOMETRIC) X(HYPERGEOMETRIC) X(LOGNORMAL) X(NEGBINOMIAL) X(NORMAL) X(POISSON) \
    X(TABLE) X(T) X(TRIANGLE) X(UNIFORM) X(WEIBULL)
#define VX_ONE(D) reinterpret_cast<void*>(GetOneVariate##D),
#define VX_FILL(D) reinterpret_cast<void*>(FillTheBuffer##D),
    const void* want[40] = {VX_NAMES(VX_ONE) VX_NAMES(VX_FILL)};
    // Read as the raw block that follows the stream, so the check does not
    // lean on the header's field names.
    const auto* table = reinterpret_cast<const unsigned char*>(q.get()) + sizeof(ZRANSTR);
    for (int i = 0; i < 40; ++i) {
        void* got;
        std::memcpy(&got, table + i * sizeof(void*), sizeof got);
        EXPECT_EQ(got, want[i]) << "entry " << i + 1;
    }
    EXPECT_EQ(sizeof(MERSENNE_RAND), sizeof(ZRANSTR) + 40 * sizeof(void*));
    EXPECT_EQ(q->GetOneVariateUNIFORM(q.get()), GetOneVariateUNIFORM(make("MT64", 7).get()));
}

TEST_F(VariateGenerator, SetUpPointsAtTheEmbeddedAreasAndKeepsCallerFields)
{
    EXPECT_EQ(zmrsrnd(nullptr), 1);
    auto q = vxtest::zeroed<MERSENNE_RAND>();
    double elsewhere[4];
    q->Functions = nullptr;
    q->Blob = elsewhere;
    q->UserMethod = name("MT1998");
    q->UserSeed = 7;
    q->nrv = 5;
    q->NBuffer = 3;
    q->VBuffer = elsewhere;
    ASSERT_EQ(zmrsrnd(q.get()), 0);
    EXPECT_EQ(q->Functions, &q->rng);
    EXPECT_EQ(q->Blob, static_cast<void*>(&q->mt));
    EXPECT_EQ(static_cast<void*>(q->State32), static_cast<void*>(&q->mt));
    EXPECT_EQ(static_cast<void*>(q->State64), static_cast<void*>(&q->mt));
    EXPECT_EQ(q->nrv, 5);
    EXPECT_EQ(q->NBuffer, 3);
    EXPECT_EQ(q->VBuffer, elsewhere);
    EXPECT_EQ(q->Seed, 7u);
    EXPECT_EQ(q->IsUsable, 1);
    EXPECT_EQ(zmrsetp(3, q.get()), 0);
}

TEST_F(VariateGenerator, SameSeedSameVariatesAndSeedZeroSelfSeeds)
{
    auto a = make("MT64", 7);
    auto b = make("MT64", 7);
    const std::vector<double> va = uniforms(a.get(), 700);
    EXPECT_EQ(va, uniforms(b.get(), 700));

    // An unknown method still ends usable, so zmrsrnd succeeds.
    auto c = make("nonesuch", 0);
    EXPECT_EQ(c->Status, ZRNG_S_BAD_METHOD);
    EXPECT_NE(c->Seed, 0u) << "no seed given: one from the clock sources";
}

TEST_F(VariateGenerator, ResetRestartsWithTheNewSeedKeepingKeyThreadAndMethod)
{
    for (const char* method : {"MT64", "MT1998", "MTHYBRID"}) {
        auto q = make(method, 5, 3, 2);
        uniforms(q.get(), 1000);
        GetOneVariateNORMAL(q.get());
        clearJournal();
        q->UserMethod = name("MT32"); // not looked at: the method stays
        zmrsReset32(4242, q.get());
        EXPECT_EQ(q->Seed, 4242u);
        EXPECT_EQ(q->UserSeed, 4242.0);
        EXPECT_EQ(q->nor.HaveOne, 0);
        EXPECT_EQ(journalCount(), 0u) << journalDump();
        EXPECT_STREQ(q->rng.zrng_name, make(method, 1)->rng.zrng_name);
        auto fresh = make(method, 4242, 3, 2);
        EXPECT_EQ(uniforms(q.get(), 1500), uniforms(fresh.get(), 1500)) << method;
    }
    zmrsReset32(1, nullptr);
}

TEST_F(VariateGenerator, CloneStateContinuesFromTheSourcePosition)
{
    for (const char* method : {"MT64", "MT32", "MTHYBRID"}) {
        auto from = make(method, 11, 4);
        auto to = make(method, 99);
        uniforms(from.get(), 777); // into the second state block
        to->nor.HaveOne = 1;
        to->nor.storedVariate = 0.25;
        to->gam.alphasave = 2.5;
        ZRNG_S* descriptor = to->Functions;
        zmrsCloneState32(from.get(), to.get());
        EXPECT_EQ(to->Seed, from->Seed);
        EXPECT_EQ(to->UserSeed, from->UserSeed);
        EXPECT_EQ(to->Key, 4u);
        EXPECT_EQ(to->Functions, descriptor);
        EXPECT_EQ(to->nor.HaveOne, 1) << "saved state stays the target's";
        EXPECT_EQ(to->nor.storedVariate, 0.25);
        EXPECT_EQ(to->gam.alphasave, 2.5);
        EXPECT_EQ(uniforms(to.get(), 1500), uniforms(from.get(), 1500)) << method;
    }
    zmrsCloneState32(nullptr, nullptr);
}

} // namespace
