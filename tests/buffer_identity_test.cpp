// Buffers equal one-at-a-time calls, for every sampler on every engine.
//
// The buffer forms of the one-uniform samplers, the normal family, Cauchy and
// the gamma family make their uniforms ahead with the engine's own loop when
// they recognise the stream's rangen; the others loop over one-at-a-time
// draws.  For each engine, on its default and on its crude conversion, a run
// of buffers of awkward lengths (below the block threshold, odd, across the
// block size, longer than a block) is compared with one-at-a-time calls on a
// twin stream: every variate bit for bit, then the engine state byte for
// byte and the samplers' records, so a uniform made too many or too few
// shows even where the variates agree.  The twin's uniforms are counted, and
// a sampler that takes far more than any regime needs stops the program at
// once: a fault that loops fails fast instead of hanging.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "subs/zrand.h"
#include "subs/zrng.h"
#include "support/host_fixture.h"
#include "support/sampler_forms.h"

namespace {

uint64_t bitsOf(double x) { return std::bit_cast<uint64_t>(x); }

using Sampler = vxtest::SamplerForms;

double gTable[] = {0.1, 0.25, 0.3, 0.2};

const std::vector<Sampler>& samplers()
{
    static const std::vector<Sampler> all = {
        VX_SAMPLER_FORMS("UNIFORM", UNIFORM),
        VX_SAMPLER_FORMS("EXPONENTIAL", EXPONENTIAL),
        VX_SAMPLER_FORMS("WEIBULL", WEIBULL, 0.7, 3.0),
        VX_SAMPLER_FORMS("TRIANGLE", TRIANGLE, 0.25),
        VX_SAMPLER_FORMS("BERNOULLI", BERNOULLI, 0.3),
        VX_SAMPLER_FORMS("TABLE", TABLE, 4L, gTable),
        VX_SAMPLER_FORMS("GEOMETRIC_inversion", GEOMETRIC, 0.0005),
        VX_SAMPLER_FORMS("HYPERGEOMETRIC", HYPERGEOMETRIC, 50L, 20L, 15L),
        VX_SAMPLER_FORMS("CAUCHY", CAUCHY),
        VX_SAMPLER_FORMS("NORMAL", NORMAL),
        VX_SAMPLER_FORMS("LOGNORMAL", LOGNORMAL),
        VX_SAMPLER_FORMS("GAMMA_0_3", GAMMA, 0.3),
        VX_SAMPLER_FORMS("GAMMA_1", GAMMA, 1.0),
        VX_SAMPLER_FORMS("GAMMA_2_5", GAMMA, 2.5),
        VX_SAMPLER_FORMS("GAMMA_1e6", GAMMA, 1e6),
        // 2 alpha - 1 overflows: every variate is missing and takes nothing.
        VX_SAMPLER_FORMS("GAMMA_huge", GAMMA, 1.7e308),
        VX_SAMPLER_FORMS("ERLANG_3", ERLANG, 3),
        VX_SAMPLER_FORMS("CHISQUARE_1", CHISQUARE, 1.0),
        VX_SAMPLER_FORMS("CHISQUARE_5", CHISQUARE, 5.0),
        VX_SAMPLER_FORMS("BETA_A", BETA, 0.3, 0.6),
        VX_SAMPLER_FORMS("BETA_BB", BETA, 2.5, 4.0),
        VX_SAMPLER_FORMS("BETA_BC", BETA, 0.5, 3.0),
        VX_SAMPLER_FORMS("F_4_7", F, 4.0, 7.0),
        VX_SAMPLER_FORMS("T_5", T, 5.0),
        VX_SAMPLER_FORMS("BINOMIAL_inversion", BINOMIAL, 20L, 0.3),
        VX_SAMPLER_FORMS("BINOMIAL_normal", BINOMIAL, 1000L, 0.4),
        VX_SAMPLER_FORMS("POISSON_from_zero", POISSON, 3.5),
        VX_SAMPLER_FORMS("POISSON_from_mode", POISSON, 10.5),
        VX_SAMPLER_FORMS("POISSON_normal", POISSON, 200.5),
        VX_SAMPLER_FORMS("NEGBINOMIAL", NEGBINOMIAL, 0.4, 2.5),
        VX_SAMPLER_FORMS("GEOMETRIC_counting", GEOMETRIC, 0.3),
    };
    return all;
}

const Sampler& sampler(const std::string& name)
{
    for (const Sampler& s : samplers())
        if (s.name == name) return s;
    throw std::invalid_argument(name);
}

const int64_t kLengths[] = {16, 15, 17, 255, 256, 1001, 4099};

// The twin's rangen: the engine's, counted against a bound no regime comes
// near (a few dozen uniforms a variate at most, and the attempt bounds).
double (*gRangen)(void*) = nullptr;
uint64_t gDraws = 0;
constexpr uint64_t kDrawBound = 100000000;
double boundedRangen(void* blob)
{
    if (++gDraws > kDrawBound) {
        std::fprintf(stderr, "more than %llu uniforms for one comparison: a sampler loops\n",
                     static_cast<unsigned long long>(kDrawBound));
        std::abort();
    }
    return gRangen(blob);
}
void bound(MRandPtr q)
{
    gRangen = q->rangen;
    gDraws = 0;
    q->rangen = boundedRangen;
}

struct Engine {
    const char* method;
    bool crude;
    void (*install)(zrngptr, uint64_t) = nullptr; // set by hand: not selectable by name
};

// A stream on a descriptor installed by hand, seeded through it.
std::unique_ptr<MERSENNE_RAND> installed(void (*install)(zrngptr, uint64_t), bool crude)
{
    auto q = std::make_unique<MERSENNE_RAND>();
    install(&q->rng, 0);
    q->Functions = &q->rng;
    q->Blob = &q->mt;
    q->BlobSize = q->rng.zrng_blob_size();
    q->rng.zrng_seed_64(q->Blob, 8191);
    q->rangen = crude && q->rng.zrng_double_crude != nullptr ? q->rng.zrng_double_crude : q->rng.zrng_double_open;
    return q;
}

// A stream set up by method name.
std::unique_ptr<MERSENNE_RAND> named(const char* method, double seed)
{
    auto q = std::make_unique<MERSENNE_RAND>();
    q->UserMethod = const_cast<char*>(method);
    q->UserSeed = seed;
    zmrsrnd(q.get());
    return q;
}

std::string engineName(const Engine& e) { return std::string(e.method) + (e.crude ? "_crude" : ""); }

class BlockBuffers : public vxtest::HostFixture, public ::testing::WithParamInterface<Engine> {
protected:
    std::unique_ptr<MERSENNE_RAND> stream() const
    {
        if (GetParam().install != nullptr) return installed(GetParam().install, GetParam().crude);
        auto q = std::make_unique<MERSENNE_RAND>();
        q->UserMethod = const_cast<char*>(GetParam().method);
        q->UserSeed = 8191;
        // The Subtract Key engines are a Weyl sequence of their key: a
        // constant without one, nearly so with a small one.
        q->Key = std::string(GetParam().method) == "SUBKEY64" ? 0x9E3779B97F4A7C15ull : 0x9E3779B9ull;
        EXPECT_EQ(zmrsrnd(q.get()), 0);
        if (GetParam().crude) zrand_crude(reinterpret_cast<ZRANSTR*>(q.get()));
        EXPECT_EQ(engineName({q->rng.zrng_name, GetParam().crude}), engineName(GetParam()));
        return q;
    }
};

void expectSameStreams(MRandPtr a, MRandPtr b, const std::string& what)
{
    ASSERT_EQ(a->BlobSize, b->BlobSize);
    EXPECT_EQ(std::memcmp(a->Blob, b->Blob, a->BlobSize), 0) << what << ": engine state";
    vxtest::expectSameRecords(*a, *b, what);
}

// A buffer of n from byBuffer equals n calls on byOne, and so do the
// streams after them.
void expectBufferAsOneAtATime(MRandPtr byBuffer, MRandPtr byOne, const Sampler& s, size_t n, const std::string& what)
{
    std::vector<double> buf(n, -1.0);
    byBuffer->VBuffer = buf.data();
    byBuffer->NBuffer = static_cast<int64_t>(n);
    gDraws = 0;
    ASSERT_EQ(s.fill(byBuffer), 0) << what;
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(bitsOf(buf[i]), bitsOf(s.one(byOne))) << what << " #" << i;
    expectSameStreams(byBuffer, byOne, what);
}

TEST_P(BlockBuffers, EqualOneAtATime)
{
    for (const Sampler& s : samplers()) {
        auto byBuffer = stream();
        auto byOne = stream();
        bound(byOne.get());
        // Start the normal family with a deviate cached, then alternate.
        GetOneVariateNORMAL(byBuffer.get());
        GetOneVariateNORMAL(byOne.get());
        for (int64_t n : kLengths) {
            expectBufferAsOneAtATime(byBuffer.get(), byOne.get(), s, n, s.name + " length " + std::to_string(n));
            if (::testing::Test::HasFailure()) return;
        }
        // No buffer, or no room: status 1, nothing drawn.
        for (auto [buffer, n] : {std::pair<double*, int64_t>{nullptr, 4}, {&gTable[0], 0}, {&gTable[0], -5}}) {
            byBuffer->VBuffer = buffer;
            byBuffer->NBuffer = n;
            EXPECT_EQ(s.fill(byBuffer.get()), 1) << s.name;
        }
        for (int i = 0; i < 5; ++i)
            ASSERT_EQ(bitsOf(GetOneVariateUNIFORM(byBuffer.get())), bitsOf(GetOneVariateUNIFORM(byOne.get())))
                << s.name;
    }
}

// A buffer lying over the engine state must see the state change under it
// element by element, exactly as one-at-a-time calls writing there would.
TEST_P(BlockBuffers, BufferOverTheEngineStateKeepsTheElementOrder)
{
    auto byBuffer = stream();
    auto byOne = stream();
    const int64_t n = 64;
    byBuffer->VBuffer = reinterpret_cast<double*>(byBuffer->Blob);
    byBuffer->NBuffer = n;
    ASSERT_EQ(FillTheBufferUNIFORM(byBuffer.get()), 0);
    auto* over = reinterpret_cast<double*>(byOne->Blob);
    for (int64_t i = 0; i < n; ++i) over[i] = GetOneVariateUNIFORM(byOne.get());
    EXPECT_EQ(std::memcmp(byBuffer->Blob, byOne->Blob, byOne->BlobSize), 0);
}

// A TABLE whose entries lie inside the buffer is read as the buffer is
// written, element by element, as one-at-a-time calls writing there see it.
TEST(BlockBuffersTable, TableInsideTheBufferIsReadAsItIsOverwritten)
{
    auto byBuffer = named("MT64", 99), byOne = named("MT64", 99);
    std::vector<double> a(64, 0.25), b(64, 0.25);
    byBuffer->VBuffer = a.data();
    byBuffer->NBuffer = 64;
    ASSERT_EQ(FillTheBufferTABLE(byBuffer.get(), 4, a.data() + 10), 0);
    for (size_t i = 0; i < b.size(); ++i) b[i] = GetOneVariateTABLE(byOne.get(), 4, b.data() + 10);
    for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(bitsOf(a[i]), bitsOf(b[i])) << "#" << i;
}

std::vector<Engine> engines()
{
    std::vector<Engine> all;
    for (const char* m : {"MT1998", "MT32", "MTHYBRID", "MT64", "XOR64", "XOR128", "XOR1024", "XOR4096",
                          "XORGENS", "FRY2X32", "FRY2X64", "FRY4X64", "PCG32I", "PCG64I", "MH3",
                          "SUBKEY32", "SUBKEY64"})
        for (bool crude : {false, true}) all.push_back({m, crude});
    all.push_back({"TORVEL", false, zrnfTORVEL});
    all.push_back({"TORVEL", true, zrnfTORVEL});
    return all;
}

INSTANTIATE_TEST_SUITE_P(AllEngines, BlockBuffers, ::testing::ValuesIn(engines()),
                         [](const auto& info) { return engineName(info.param); });

// Subtract Key with key 1 counts down through 0: the 32-bit engine's open
// conversion rejects the zero word, the 64-bit one rejects it and the 1024
// words below 2^64 that round to 1, a run longer than the raw chunks the
// buffers convert at a time.  Stuck at 0 (an all-zero state, key 0), every
// uniform is the rejection loop's last resort.  Held near 0.9 (key 1 on a
// 64-bit word), every polar and Cauchy attempt is rejected and each deviate
// is the missing value after the attempt bound.
TEST(BlockBuffersRejections, RejectedWordsAndAttemptsCountAsOneAtATime)
{
    struct Case {
        const char* method;
        uint64_t seed, key;
        std::vector<std::string> samplers;
        size_t length;
    };
    // A uniform of exactly 0 marks every item: HYPERGEOMETRIC stops early.
    const std::vector<std::string> oneUniform = {"UNIFORM", "EXPONENTIAL", "TRIANGLE", "GAMMA_1", "HYPERGEOMETRIC"};
    const std::vector<std::string> attempts = {"NORMAL", "LOGNORMAL", "CAUCHY", "GAMMA_0_3", "GAMMA_2_5", "CHISQUARE_5"};
    const Case cases[] = {
        {"SUBKEY32", 300, 1, oneUniform, 2000},
        {"SUBKEY64", 300, 1, oneUniform, 2000},
        {"SUBKEY32", 0, 0, oneUniform, 2000},
        {"SUBKEY64", 0, 0, oneUniform, 2000},
        {"SUBKEY64", 0xE666666666666666ull, 1, attempts, 20},
        // Falling by 1e-6 a draw from twenty accepted pairs above 0.1464
        // into the band where both methods reject: deviates, then a run of
        // rejections begun inside a block that ends in the missing value.
        {"SUBKEY64", static_cast<uint64_t>(0.14648661 * 0x1p64), 18446744073710ull, attempts, 100},
        // Key 1 from a small even x: x - 1 uniforms near 0, then the words
        // about 0 and 2^64 that the conversion rejects, each uniform the
        // 99th of them (a sweep down (0, 1) whose polar attempts x / 2 - 5
        // to x / 2 - 2 are accepted), then 1 - 2^-53 for ever.  Those four
        // lie in the block of 128 attempts where the run begun in block 0
        // reaches the bound: one rejection short of it, at it, and five
        // rejections past it; the rejections after them run on into later
        // blocks, counted from the last accepted point.
        {"SUBKEY64", 1998, 1, attempts, 300},
        {"SUBKEY64", 2000, 1, attempts, 300},
        {"SUBKEY64", 2010, 1, attempts, 300},
    };
    for (const Case& c : cases) {
        auto make = [&c] {
            auto q = named(c.method, 1);
            // The engine's own entries: x and key exactly as given.
            uint8_t x[8];
            std::memcpy(x, &c.seed, 8);
            q->rng.zrng_state(q->Blob, x, 8, 0);
            q->rng.zrng_key_64(q->Blob, c.key);
            return q;
        };
        for (const std::string& name : c.samplers)
            expectBufferAsOneAtATime(make().get(), make().get(), sampler(name), c.length,
                                     std::string(c.method) + " seed " + std::to_string(c.seed) + " " + name);
    }
}

// A Twister word that tempers to 0 is skipped: a run of words holding one is
// made again word by word, one draw per uniform as one at a time.  RDRAND's
// placeholder step is stuck at 0, so each uniform is the bounded rejection
// loop's last resort, made as many times as one call makes it.
TEST(BlockBuffersZeroWords, SkippedOrTakenAtTheBoundAsOneAtATime)
{
    for (const char* method : {"MT32", "MT1998"}) {
        auto make = [method] {
            auto q = named(method, 5);
            GetOneVariateUNIFORM(q.get()); // the block is made; the next word read is word 1
            std::vector<uint32_t> words(624);
            for (uint32_t i = 0; i < 624; ++i) words[i] = i == 7 || i == 300 ? 0 : 0x9E3779B9u * (i + 1);
            q->rng.zrng_state(q->Blob, reinterpret_cast<uint8_t*>(words.data()), 2496, 0);
            return q;
        };
        expectBufferAsOneAtATime(make().get(), make().get(), sampler("UNIFORM"), 1000, method);
    }
    expectBufferAsOneAtATime(installed(zrnfRDRAND, false).get(), installed(zrnfRDRAND, false).get(),
                             sampler("EXPONENTIAL"), 20, "RDRAND");
}

} // namespace
