// The C++ layer over the module loaded through the host: streams as standard
// bit generators against std::mt19937(_64), the sampler wrappers against the
// C sampler table of an identically seeded record, statuses both as
// error codes and as exceptions, and everything released again.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstring>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "host/vxhost_testing.h"
#include "include/vxalea/vxalea.hpp"

namespace {

static_assert(std::uniform_random_bit_generator<vxalea::stream64>);
static_assert(std::uniform_random_bit_generator<vxalea::stream32>);
static_assert(std::uniform_random_bit_generator<vxalea::stream64_ref>);
static_assert(std::same_as<vxalea::stream64::result_type, uint64_t>);
static_assert(std::same_as<vxalea::stream32::result_type, uint32_t>);
static_assert(vxalea::stream32::max() == 0xFFFFFFFFu && vxalea::stream64::min() == 0);
static_assert(!std::is_copy_constructible_v<vxalea::stream64> && std::is_nothrow_move_constructible_v<vxalea::stream64>);

constexpr VXStatus kUnknownMethod = static_cast<VXStatus>(0x8C7FE80Bu);
constexpr VXStatus kBadKey = static_cast<VXStatus>(0x8C7FE810u);

class CxxLayer : public ::testing::Test {
protected:
    vxalea::host host;
    vxalea::module mod{host, "vxalea", VXALEA_MODULE_DIR};
    vxalea::pool pool{host};

    // A variate generator set up the C way: zeroed record, method and seed,
    // zmrsrnd of the loaded module.
    std::unique_ptr<MERSENNE_RAND> cRecord(const char* method, uint64_t seed, uint64_t key = 0)
    {
        auto q = std::make_unique<MERSENNE_RAND>();
        q->UserMethod = const_cast<char*>(method);
        q->Seed = seed;
        q->Key = key;
        EXPECT_EQ(mod.functions().zmrsrnd(q.get()), 0);
        return q;
    }
};

TEST_F(CxxLayer, StreamsAreTheStandardMersenneTwistersForStdAlgorithms)
{
    vxalea::stream64 s64(mod, pool, {.method = "MT64", .seed = 5489});
    vxalea::stream32 s32(mod, pool, {.method = "mt32", .seed = 5489});
    EXPECT_EQ(s64.method(), "MT64");
    EXPECT_EQ(s32.method(), "MT32");
    EXPECT_FALSE(s64.status());
    std::mt19937_64 p64(5489);
    std::mt19937 p32(5489);
    EXPECT_EQ(s64(), 14514284786278117030ull);
    p64();
    for (int i = 1; i < 2000; ++i) ASSERT_EQ(s64(), p64()) << i; // across several regenerations
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(s32(), p32()) << i;

    // The standard algorithms consume only operator(), min() and max(), so
    // they give exactly what they give on the standard engines.
    std::vector<int> a(500), b(500);
    std::iota(a.begin(), a.end(), 0);
    b = a;
    std::shuffle(a.begin(), a.end(), s64);
    std::shuffle(b.begin(), b.end(), p64);
    EXPECT_EQ(a, b);
    std::uniform_int_distribution<int> die(1, 6);
    std::normal_distribution<double> nd, peerNd; // each keeps a spare deviate
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(die(s32), die(p32));
        ASSERT_EQ(nd(s64), peerNd(p64));
    }

    // The raw entries of the other width follow the descriptor's rules.
    std::mt19937 q32(77);
    s32.reseed(77);
    uint64_t joined = s32.next64();
    uint64_t hi = q32();
    EXPECT_EQ(joined, (hi << 32) | q32());
    std::mt19937_64 q64(77);
    s64.reseed(77);
    EXPECT_EQ(s64.next32(), static_cast<uint32_t>(q64() >> 32));
}

// One sampler call in both forms: the wrapper on a stream, the table entry
// (or its buffer form) on the C record.
struct SamplerCase {
    const char* name;
    std::function<double(vxalea::stream64&)> one;
    std::function<double(MRandPtr)> cOne;
    std::function<void(vxalea::stream64&, std::span<double>)> fill;
    std::function<int(MRandPtr)> cFill;
};

const double kTable[] = {0.2, 0.3, 0.1};

std::vector<SamplerCase> samplerCases()
{
    using S = vxalea::stream64&;
    using B = std::span<double>;
#define VX_CASE(NAME, CALL, CARGS, ...)                                                         \
    SamplerCase{#NAME, [](S s) { return s.CALL(__VA_ARGS__); },                                 \
                [](MRandPtr q) { return q->GetOneVariate##NAME CARGS; },                     \
                [](S s, B b) { s.fill_##CALL(b __VA_OPT__(, ) __VA_ARGS__); },                  \
                [](MRandPtr q) { return q->FillTheBuffer##NAME CARGS; }}
    return {
        VX_CASE(UNIFORM, uniform, (q)),
        VX_CASE(NORMAL, normal, (q)),
        VX_CASE(LOGNORMAL, lognormal, (q)),
        VX_CASE(EXPONENTIAL, exponential, (q)),
        VX_CASE(CAUCHY, cauchy, (q)),
        VX_CASE(GAMMA, gamma, (q, 2.5), 2.5),
        VX_CASE(ERLANG, erlang, (q, 3), 3),
        VX_CASE(CHISQUARE, chisquare, (q, 4.5), 4.5),
        VX_CASE(BETA, beta, (q, 0.5, 2.5), 0.5, 2.5),
        VX_CASE(F, f, (q, 3.0, 7.0), 3.0, 7.0),
        VX_CASE(T, t, (q, 5.0), 5.0),
        VX_CASE(WEIBULL, weibull, (q, 1.5, 2.0), 1.5, 2.0),
        VX_CASE(TRIANGLE, triangle, (q, 0.3), 0.3),
        VX_CASE(BERNOULLI, bernoulli, (q, 0.25), 0.25),
        VX_CASE(BINOMIAL, binomial, (q, 400L, 0.3), 400L, 0.3),
        VX_CASE(POISSON, poisson, (q, 10.5), 10.5),
        VX_CASE(GEOMETRIC, geometric, (q, 0.2), 0.2),
        VX_CASE(NEGBINOMIAL, negbinomial, (q, 0.4, 3.0), 0.4, 3.0),
        VX_CASE(HYPERGEOMETRIC, hypergeometric, (q, 50L, 20L, 10L), 50L, 20L, 10L),
        // Rejected parameters come back as the missing value in both forms.
        VX_CASE(TRIANGLE, triangle, (q, 1.5), 1.5),
        SamplerCase{"TABLE", [](S s) { return s.table(kTable); },
                    [](MRandPtr q) { return q->GetOneVariateTABLE(q, 3, const_cast<double*>(kTable)); },
                    [](S s, B b) { s.fill_table(b, kTable); },
                    [](MRandPtr q) { return q->FillTheBufferTABLE(q, 3, const_cast<double*>(kTable)); }},
    };
#undef VX_CASE
}

bool sameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

TEST_F(CxxLayer, WrappersGiveTheNumbersOfTheCSamplerTable)
{
    for (const SamplerCase& c : samplerCases()) {
        SCOPED_TRACE(c.name);
        vxalea::stream64 s(mod, pool, {.method = "MT64", .seed = 20261206});
        auto q = cRecord("MT64", 20261206);
        // Single variates, then a buffer (odd length, so a cached normal
        // crosses into the next call), then single variates again.
        for (int i = 0; i < 25; ++i) ASSERT_TRUE(sameBits(c.one(s), c.cOne(q.get()))) << i;
        std::vector<double> mine(37), theirs(37);
        c.fill(s, mine);
        q->VBuffer = theirs.data();
        q->NBuffer = 37;
        ASSERT_EQ(c.cFill(q.get()), 0);
        q->VBuffer = nullptr;
        q->NBuffer = 0;
        for (int i = 0; i < 37; ++i) ASSERT_TRUE(sameBits(mine[i], theirs[i])) << i;
        EXPECT_EQ(s.get()->VBuffer, nullptr);
        EXPECT_EQ(s.get()->NBuffer, 0);
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(sameBits(c.one(s), c.cOne(q.get()))) << i;
        c.fill(s, {}); // an empty span draws nothing
        ASSERT_TRUE(sameBits(c.one(s), c.cOne(q.get())));
    }
    vxalea::stream64 s(mod, pool, {.method = "MT64", .seed = 1});
    EXPECT_TRUE(vxalea::is_missing(s.triangle(-0.1)));
    EXPECT_TRUE(vxalea::is_missing(s.weibull(0.0, 1.0)));
    EXPECT_FALSE(vxalea::is_missing(s.weibull(1.0, 1.0)));
}

TEST_F(CxxLayer, RewindReseedAndSubstreamsMatchTheCOperations)
{
    vxalea::stream64 s(mod, pool, {.method = "MT64", .seed = 99, .thread = 3});
    std::vector<uint64_t> first(700);
    for (auto& x : first) x = s();
    s.normal();
    s.rewind();
    for (size_t i = 0; i < first.size(); ++i) ASSERT_EQ(s(), first[i]);

    // A substream is what zrand_clone makes of the same stream.
    using Clone = ZRAND_S* (*)(VXPoolh, uint64_t, ZRAND_S*);
    auto clone = reinterpret_cast<Clone>(mod.symbol("zrand_clone_vx"));
    ASSERT_NE(clone, nullptr);
    vxalea::stream64 sub = s.substream(12345);
    EXPECT_EQ(sub.key(), 12345u);
    EXPECT_EQ(sub.seed(), 99u);
    EXPECT_EQ(sub.thread(), 3u);
    ZRAND_S* c = clone(pool.get(), 12345, reinterpret_cast<ZRAND_S*>(s.get()));
    ASSERT_NE(c, nullptr);
    bool differs = false;
    for (int i = 0; i < 700; ++i) {
        uint64_t x = sub();
        ASSERT_EQ(x, c->Functions->zrng_uint64(c->Blob));
        differs |= x != first[static_cast<size_t>(i)];
    }
    EXPECT_TRUE(differs);
    pool.get()->memFree(pool.get(), c->Blob);
    pool.get()->memFree(pool.get(), c);

    // Reseeding keeps key and thread: the same as a fresh stream of that seed.
    sub.reseed(7);
    vxalea::stream64 fresh(mod, pool, {.method = "MT64", .seed = 7, .key = 12345, .thread = 3});
    for (int i = 0; i < 700; ++i) ASSERT_EQ(sub(), fresh());
}

TEST_F(CxxLayer, StatusesAsErrorCodesOrExceptions)
{
    // An unknown name still gives a working stream (MTHYBRID), with the code.
    std::error_code ec;
    vxalea::stream32 s(mod, pool, {.method = "  nosuch  ", .seed = 5}, ec);
    EXPECT_EQ(ec.value(), kUnknownMethod);
    EXPECT_EQ(&ec.category(), &vxalea::status_category());
    EXPECT_EQ(ec.message(), vxhost_catalogue_text(kUnknownMethod));
    ASSERT_TRUE(s);
    EXPECT_EQ(s.method(), "MTHYBRID");
    EXPECT_EQ(s.status(), ec);
    s();
    try {
        vxalea::stream32 t(mod, pool, {.method = "nosuch"});
        ADD_FAILURE() << "no exception";
    } catch (const vxalea::error& e) {
        EXPECT_EQ(e.status(), kUnknownMethod);
        EXPECT_STREQ(e.catalogue_text(), vxhost_catalogue_text(kUnknownMethod));
        EXPECT_NE(std::string(e.what()).find("nosuch"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(e.catalogue_text()), std::string::npos) << e.what();
    }

    // A key above the engine's maximum; the stream runs in the unkeyed
    // substream of seed 5 anyway.
    vxalea::stream32 k(mod, pool, {.method = "MT32", .seed = 5, .key = 1ull << 40}, ec);
    EXPECT_EQ(ec.value(), kBadKey);
    std::mt19937 peer(5);
    EXPECT_EQ(k(), peer());
    EXPECT_THROW(vxalea::stream32(mod, pool, {.method = "MT32", .seed = 5, .key = 1ull << 40}), vxalea::error);

    // No name: the registry's method.  A registry that refuses the entry.
    host.set_text("OSENV.QOR_RNG_METHOD", "mt64");
    vxalea::stream64 byRegistry(mod, pool, {.seed = 5489});
    EXPECT_EQ(byRegistry.method(), "MT64");
    EXPECT_EQ(byRegistry(), 14514284786278117030ull);
    vxhost_registry_fail(host.get(), VX_STATUS_WRONG_KIND);
    host.set_long("vxbug.RNGSEED", 42, ec);
    EXPECT_EQ(ec.value(), VX_STATUS_WRONG_KIND);
    EXPECT_THROW(host.set_double("vxbug.RNGSEED", 42.0), vxalea::error);
    vxhost_registry_fail(host.get(), 0);

    // A width that is not the engine's gives no stream at all.
    vxalea::stream64 w(mod, pool, {.method = "MT32"}, ec);
    EXPECT_EQ(ec.value(), VX_STATUS_UNSUPPORTED);
    EXPECT_FALSE(w);
    vxalea::stream32 w2(mod, pool, {.method = "nosuch64"}, ec); // MTHYBRID fits 32 bits
    EXPECT_TRUE(w2);
    EXPECT_THROW(vxalea::stream64(mod, pool, {.method = "MTHYBRID"}), vxalea::error);

    // The pool refusing memory.
    vxhost_pool_fail_at(pool.get(), 1);
    vxalea::stream64 none(mod, pool, {.method = "MT64"}, ec);
    EXPECT_EQ(ec.value(), VX_STATUS_NULL_ARGUMENT);
    EXPECT_FALSE(none);
    EXPECT_THROW(vxalea::stream64(mod, pool, {.method = "MT64"}), vxalea::error);
    vxhost_pool_fail_at(pool.get(), 0);

    // Loading: the reason is the loader's.
    vxalea::module missing(host, "vxnothere", VXALEA_MODULE_DIR, ec);
    EXPECT_EQ(ec.value(), VX_STATUS_UNSUPPORTED);
    EXPECT_FALSE(missing);
    EXPECT_NE(std::string(host.last_error()).find("vxnothere"), std::string::npos);
    try {
        vxalea::module m(host, "vxnothere", VXALEA_MODULE_DIR);
        ADD_FAILURE() << "no exception";
    } catch (const vxalea::error& e) {
        EXPECT_EQ(e.status(), VX_STATUS_UNSUPPORTED);
        EXPECT_NE(std::string(e.what()).find("not found"), std::string::npos) << e.what();
    }
    EXPECT_EQ(vxalea::make_status(0), std::error_code());
    EXPECT_EQ(vxalea::status_category().message(0x12345678), "status 0x12345678");
}

TEST_F(CxxLayer, StateImportAndJournalDump)
{
    vxalea::stream64 a(mod, pool, {.method = "MT64", .seed = 31337});
    for (int i = 0; i < 312; ++i) a(); // a whole block: the read position is back at its end
    std::vector<std::byte> saved(a.state().begin(), a.state().end());
    ASSERT_EQ(saved.size(), 2496u);
    vxalea::stream64 b(mod, pool, {.method = "MT64", .seed = 1});
    EXPECT_EQ(b.import_state(saved), 2);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(a(), b());
    // Twelve bytes: word 0 kept, the rest hashed from it.
    EXPECT_EQ(b.import_state(std::span(saved).first(12)), 4);
    std::error_code ec;
    EXPECT_EQ(b.import_state({}, 0, ec), 0);
    EXPECT_FALSE(ec);

    host.clear_journal();
    vxalea::stream64 c(mod, pool, {.method = "MT64", .seed = 5489});
    host.clear_journal();
    c.dump_state(6);
    ASSERT_EQ(host.journal_size(), 3u);
    uint64_t w0;
    std::memcpy(&w0, c.state().data(), 8);
    char expect[64];
    std::snprintf(expect, sizeof expect, "     0: %16llx", static_cast<unsigned long long>(w0));
    EXPECT_EQ(host.journal(0).text.substr(0, std::strlen(expect)), expect);
    EXPECT_EQ(host.journal(2).text, "        Further elements omitted.");
}

TEST_F(CxxLayer, SharedGeneratorsAreTheSeededArray)
{
    {
        vxalea::shared_generators g(mod, 4);
        vxalea::shared_generators later(mod, 8); // the first count made the array
        EXPECT_EQ(g.size(), 4u);
        EXPECT_EQ(later.size(), 4u);
        EXPECT_EQ(later.data(), g.data());
        auto first = g.seed(100);
        EXPECT_EQ(first.seed, 100);
        EXPECT_EQ(first.status, VXALEA_SEED_FROM_CALLER);
        auto second = later.seed(555);
        EXPECT_EQ(second.seed, 100);
        EXPECT_EQ(second.status, VXALEA_SEED_FROM_CALLER | VXALEA_SEEDED_BEFORE);
        for (size_t i = 0; i < g.size(); ++i) {
            vxalea::stream64_ref r = g[i];
            EXPECT_EQ(r.method(), "MT64");
            std::mt19937_64 peer(100 + i);
            for (int k = 0; k < 400; ++k) ASSERT_EQ(r(), peer());
        }
    }
    // Both detached: the array is gone, a new attachment starts afresh.
    vxalea::shared_generators again(mod, 2);
    EXPECT_EQ(again.size(), 2u);
    EXPECT_EQ(again.seed(9).status, VXALEA_SEED_FROM_CALLER);
}

TEST(CxxLayerOwnership, EverythingIsReleasedAndMovesDoNotDoubleFree)
{
    vxalea::host host;
    ASSERT_EQ(vxhost_live_pools(host.get()), 0u);
    {
        vxalea::module mod(host, "vxalea", VXALEA_MODULE_DIR);
        const size_t moduleOnly = vxhost_live_allocations(host.get());
        {
            vxalea::pool pool(host, "TESTPOOL");
            vxalea::stream64 a(mod, pool, {.method = "MT64", .seed = 1});
            vxalea::stream64 b = a.substream(2);
            EXPECT_EQ(pool.live_allocations(), 2u);
            vxalea::stream64 c(std::move(a));
            EXPECT_FALSE(a);
            b = std::move(c);                 // frees b's own record
            EXPECT_EQ(pool.live_allocations(), 1u);
            b = vxalea::stream64();           // and this one
            EXPECT_EQ(pool.live_allocations(), 0u);
            vxalea::stream64 d(mod, pool, {.method = "MT64"});
            vxalea::shared_generators g(mod, 3);
            g.seed(0);
            EXPECT_GT(vxhost_live_allocations(host.get()), moduleOnly + 1);
        }
        {
            vxalea::pool first(host, "P1");
            vxalea::stream64 e(mod, first, {.method = "MT64"});
            vxalea::pool moved(std::move(first)); // the stream's pool lives on in `moved`
            EXPECT_FALSE(first);
            EXPECT_EQ(moved.live_allocations(), 1u);
            e = vxalea::stream64();
            EXPECT_EQ(moved.live_allocations(), 0u);
            moved = vxalea::pool(host, "P2"); // P1 destroyed
            EXPECT_EQ(vxhost_live_pools(host.get()), 2u);
        }
        EXPECT_EQ(vxhost_live_allocations(host.get()), moduleOnly);
        EXPECT_EQ(vxhost_live_pools(host.get()), 1u); // the module's own
        vxalea::module other(std::move(mod));
        EXPECT_TRUE(other);
    }
    EXPECT_EQ(vxhost_live_pools(host.get()), 0u);
    EXPECT_EQ(vxhost_live_allocations(host.get()), 0u);
    EXPECT_EQ(vxhost_host_errors(host.get()), 0u);

    std::error_code ec;
    vxalea::host h2(ec);
    EXPECT_FALSE(ec);
    vxalea::host h3(std::move(h2));
    EXPECT_FALSE(h2);
    EXPECT_TRUE(h3);
}

} // namespace
