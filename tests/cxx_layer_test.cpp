// The C++ layer over the loaded module: streams against std::mt19937(_64),
// wrappers against the C sampler table, refusals, checkpoints and discard on
// every engine (against Random123 and pcg-cpp), task streams, the shared
// array, one host per module, and everything released again.
#include <gtest/gtest.h>

#include <Random123/threefry.h>
#include <pcg_random.hpp>

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "host/vxhost_testing.h"
#include "include/vxalea/vxalea.hpp"

namespace {

static_assert(std::uniform_random_bit_generator<vxalea::stream64> &&
              std::uniform_random_bit_generator<vxalea::stream64_ref>);
static_assert(std::same_as<vxalea::stream32::result_type, uint32_t> && vxalea::stream32::max() == 0xFFFFFFFFu);
static_assert(!std::is_copy_constructible_v<vxalea::stream64> && std::is_nothrow_move_constructible_v<vxalea::stream64>);

constexpr VXStatus kUnknownMethod = static_cast<VXStatus>(0x8C7FE80Bu);
using vxalea::errc;

bool has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Runs f, which must throw vxalea::error (of `code` unless errc{}); the error.
template <class F>
vxalea::error refusal(F&& f, errc code = errc{})
{
    try {
        f();
    } catch (const vxalea::error& e) {
        EXPECT_TRUE(code == errc{} || (e.code() == code && e.status() == 0)) << e.what();
        return e;
    }
    ADD_FAILURE() << "no exception";
    return vxalea::error(0);
}
#define EXPECT_REFUSED(CALL, CODE, SAYS)                                          \
    do {                                                                          \
        const std::string what_ = refusal([&] { (void)CALL; }, CODE).what();      \
        EXPECT_TRUE(has(what_, SAYS)) << what_;                                   \
    } while (0)

template <class F>
void byWidth(uint32_t bits, F&& f)
{
    bits == 32 ? f(std::type_identity<vxalea::stream32>{}) : f(std::type_identity<vxalea::stream64>{});
}

class CxxLayer : public ::testing::Test {
protected:
    vxalea::host host;
    vxalea::module mod{host, "vxalea", VXALEA_MODULE_DIR};
    vxalea::pool pool{host};
    std::vector<vxalea::method_info> available()
    {
        auto all = vxalea::methods(mod);
        std::erase_if(all, [](const auto& m) { return !m.available; });
        return all;
    }
    vxalea::method_info info(std::string_view name)
    {
        for (const auto& m : vxalea::methods(mod))
            if (m.name == name) return m;
        ADD_FAILURE() << name << " is not listed";
        return {};
    }
};

TEST_F(CxxLayer, StreamsAreTheStandardMersenneTwistersForStdAlgorithms)
{
    vxalea::stream64 s64(mod, pool, {.seed = 5489}); // stream64's own engine, MT64
    vxalea::stream32 s32(mod, pool, {.method = "mt32", .seed = 5489});
    EXPECT_TRUE(s64.method() == "MT64" && s32.method() == "MT32" && !s64.status());
    EXPECT_EQ(vxalea::stream32(mod, pool, {.seed = 1}).method(), "MTHYBRID");
    std::mt19937_64 p64(5489);
    std::mt19937 p32(5489);
    for (int i = 0; i < 2000; ++i) ASSERT_TRUE(s64() == p64() && s32() == p32()) << i; // several regenerations

    // The standard distributions (and std::shuffle) consume only operator(),
    // min() and max(), so they give exactly what they give on the standard engines.
    std::uniform_int_distribution<int> die(1, 6);
    std::normal_distribution<double> nd, peerNd; // each keeps a spare deviate
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(die(s32) == die(p32) && die(s64) == die(p64) && nd(s64) == peerNd(p64)) << i;

    // The raw entries of the other width follow the descriptor's rules.
    std::mt19937 q32(77);
    s32.reseed(77), s64.reseed(77);
    const uint64_t joined = s32.next64(), hi = q32();
    EXPECT_EQ(joined, (hi << 32) | q32());
    EXPECT_EQ(s64.next32(), static_cast<uint32_t>(std::mt19937_64(77)() >> 32));
}

// One sampler in both forms: the wrapper on a stream, the table entry (or its buffer form) on the C record.
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
        VX_CASE(UNIFORM, uniform, (q)), VX_CASE(NORMAL, normal, (q)), VX_CASE(LOGNORMAL, lognormal, (q)),
        VX_CASE(EXPONENTIAL, exponential, (q)), VX_CASE(CAUCHY, cauchy, (q)), VX_CASE(GAMMA, gamma, (q, 2.5), 2.5),
        VX_CASE(ERLANG, erlang, (q, 3), 3), VX_CASE(CHISQUARE, chisquare, (q, 4.5), 4.5),
        VX_CASE(BETA, beta, (q, 0.5, 2.5), 0.5, 2.5), VX_CASE(F, f, (q, 3.0, 7.0), 3.0, 7.0),
        VX_CASE(T, t, (q, 5.0), 5.0), VX_CASE(WEIBULL, weibull, (q, 1.5, 2.0), 1.5, 2.0),
        VX_CASE(TRIANGLE, triangle, (q, 0.3), 0.3), VX_CASE(BERNOULLI, bernoulli, (q, 0.25), 0.25),
        VX_CASE(BINOMIAL, binomial, (q, 400L, 0.3), 400L, 0.3), VX_CASE(POISSON, poisson, (q, 10.5), 10.5),
        VX_CASE(GEOMETRIC, geometric, (q, 0.2), 0.2), VX_CASE(NEGBINOMIAL, negbinomial, (q, 0.4, 3.0), 0.4, 3.0),
        VX_CASE(HYPERGEOMETRIC, hypergeometric, (q, 50L, 20L, 10L), 50L, 20L, 10L),
        VX_CASE(TRIANGLE, triangle, (q, 1.5), 1.5), // refused: the missing value in both forms
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
        auto q = std::make_unique<MERSENNE_RAND>(); // the same, set up the C way
        q->UserMethod = const_cast<char*>("MT64"), q->Seed = 20261206;
        ASSERT_EQ(mod.functions().zmrsrnd(q.get()), 0);
        // Single variates, an odd-length buffer (a cached normal crosses over), single variates again.
        for (int i = 0; i < 25; ++i) ASSERT_TRUE(sameBits(c.one(s), c.cOne(q.get()))) << i;
        std::vector<double> mine(37), theirs(37);
        c.fill(s, mine);
        q->VBuffer = theirs.data(), q->NBuffer = 37;
        ASSERT_EQ(c.cFill(q.get()), 0);
        q->VBuffer = nullptr, q->NBuffer = 0;
        for (int i = 0; i < 37; ++i) ASSERT_TRUE(sameBits(mine[i], theirs[i])) << i;
        EXPECT_TRUE(s.get()->VBuffer == nullptr && s.get()->NBuffer == 0);
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(sameBits(c.one(s), c.cOne(q.get()))) << i;
        c.fill(s, {}); // an empty span draws nothing
        ASSERT_TRUE(sameBits(c.one(s), c.cOne(q.get())));
    }
    vxalea::stream64 s(mod, pool, {.method = "MT64", .seed = 1});
    EXPECT_TRUE(vxalea::is_missing(s.weibull(0.0, 1.0)) && !vxalea::is_missing(s.weibull(1.0, 1.0)));
}

TEST_F(CxxLayer, RewindReseedAndSubstreamsMatchTheCOperations)
{
    vxalea::stream64 s(mod, pool, {.method = "MT64", .seed = 99, .thread = 3});
    std::vector<uint64_t> first(700);
    for (auto& x : first) x = s();
    s.normal();
    s.rewind();
    for (size_t i = 0; i < first.size(); ++i) ASSERT_EQ(s(), first[i]);

    // A substream is the stream of the same seed and thread under another key
    // (what zrand_clone makes of it, zrand_test shows).
    vxalea::stream64 sub = s.substream(12345);
    vxalea::stream64 keyed(mod, pool, {.method = "MT64", .seed = 99, .key = 12345, .thread = 3});
    EXPECT_TRUE(sub.key() == 12345u && sub.seed() == 99u && sub.thread() == 3u);
    bool differs = false;
    for (int i = 0; i < 700; ++i) {
        const uint64_t x = sub();
        ASSERT_EQ(x, keyed());
        differs |= x != first[static_cast<size_t>(i)];
    }
    EXPECT_TRUE(differs);

    // Reseeding keeps key and thread: the same as a fresh stream of that seed.
    sub.reseed(7);
    vxalea::stream64 fresh(mod, pool, {.method = "MT64", .seed = 7, .key = 12345, .thread = 3});
    for (int i = 0; i < 700; ++i) ASSERT_EQ(sub(), fresh());
}

// What the layer refuses: the code, and a fragment of the message naming the engine's limits (errc{}: accepted).
const struct Request {
    const char* method;
    uint64_t seed, key, thread;
    errc refusal;
    const char* names;
} kRequests[] = {
    {"PCG32I", 1ull << 32, 0, 0, errc::seed_out_of_range, "seeds 1 to 4294967295"},
    {"MH3", 1, 1, 0, errc::key_not_taken, "neither keys nor thread numbers"},
    {"XOR128", 1, 0, 1, errc::thread_not_taken, "neither keys nor thread numbers"},
    {"PCG64I", 1, 1ull << 20, 0, errc::key_out_of_range, "keys 0 to 1048575 and thread numbers 0 to 8796093022207"},
    {"PCG64I", 1, 0, 1ull << 43, errc::thread_out_of_range, "thread numbers 0 to 8796093022207"},
    {"PCG64I", 1, (1ull << 20) - 1, (1ull << 43) - 1, errc{}, ""},
    {"PCG32I", 1, 1024, 0, errc::key_out_of_range, "keys 0 to 1023 and thread numbers 0 to 2097151"},
    {"MT32", 1, 1ull << 32, 0, errc::key_out_of_range, "keys 0 to 4294967295"},
    {"FRY4X64", ~0ull, ~0ull, ~0ull, errc{}, ""},
};

TEST_F(CxxLayer, RequestsTheEngineWouldNotHonourAreRefusedNamingItsLimits)
{
    for (const Request& r : kRequests) {
        SCOPED_TRACE(testing::Message() << r.method << " seed " << r.seed << " key " << r.key << " thr " << r.thread);
        byWidth(info(r.method).bits, [&]<class S>(std::type_identity<S>) {
            const vxalea::stream_options o{r.method, r.seed, r.key, r.thread};
            std::error_code ec;
            S kept(mod, pool, o, ec); // the error_code form opens it regardless
            EXPECT_TRUE(kept);
            EXPECT_EQ(ec, r.refusal == errc{} ? std::error_code() : make_error_code(r.refusal));
            if (r.refusal == errc{}) {
                EXPECT_NO_THROW((void)S(mod, pool, o));
                return;
            }
            const std::string what = refusal([&] { (void)S(mod, pool, o); }, r.refusal).what();
            EXPECT_TRUE(has(what, r.names) && has(what, r.method)) << what;
        });
    }
    // Kept despite the refusal, the stream runs as C would run it: MT32
    // leaves a key above its maximum unapplied.
    std::error_code ec;
    vxalea::stream32 k(mod, pool, {.method = "MT32", .seed = 5, .key = 1ull << 40}, ec);
    EXPECT_EQ(ec, errc::key_out_of_range);
    EXPECT_EQ(k(), std::mt19937(5)());
    EXPECT_THROW(vxalea::stream64(mod, pool, {.method = "PCG64I", .seed = 1}).substream(1ull << 20), vxalea::error);
    k.reseed(1ull << 32, ec);
    EXPECT_EQ(ec, errc::seed_out_of_range);
    EXPECT_THROW(k.reseed(1ull << 32), vxalea::error);
}

TEST_F(CxxLayer, StatusesWidthsAndDefaultMethods)
{
    // An unknown name still gives a working stream (MTHYBRID), with the code.
    std::error_code ec;
    vxalea::stream32 s(mod, pool, {.method = "  nosuch  ", .seed = 5}, ec);
    EXPECT_TRUE(ec.value() == kUnknownMethod && &ec.category() == &vxalea::status_category());
    EXPECT_EQ(ec.message(), vxhost_catalogue_text(kUnknownMethod));
    EXPECT_TRUE(s && s.method() == "MTHYBRID" && s.status() == ec);
    const vxalea::error e = refusal([&] { (void)vxalea::stream32(mod, pool, {.method = "nosuch"}); });
    EXPECT_TRUE(e.status() == kUnknownMethod && has(e.what(), "nosuch")) << e.what();
    EXPECT_STREQ(e.catalogue_text(), vxhost_catalogue_text(kUnknownMethod));

    // A width that is not the engine's gives no stream, and says which type fits.
    EXPECT_REFUSED(vxalea::stream64(mod, pool, {.method = "MT32"}), errc::wrong_width,
                   "MT32 is an engine of 32 bits per output, not 64: open it as vxalea::stream32");
    EXPECT_REFUSED(vxalea::stream32(mod, pool, {.method = "PCG64I"}), errc::wrong_width,
                   "PCG64I is an engine of 64 bits per output, not 32: open it as vxalea::stream64");
    vxalea::stream64 w(mod, pool, {.method = "MT32"}, ec);
    EXPECT_TRUE(ec == errc::wrong_width && !w);

    // No name: the registry's method when it names one, refused at the wrong width.
    host.set_text("OSENV.QOR_RNG_METHOD", "mt32");
    vxalea::stream32 byRegistry(mod, pool, {.seed = 5489});
    EXPECT_TRUE(byRegistry.method() == "MT32" && byRegistry() == std::mt19937(5489)());
    EXPECT_REFUSED(vxalea::stream64(mod, pool, {.seed = 5489}), errc{},
                   "the registry's OSENV.QOR_RNG_METHOD chose MT32");
    vxhost_registry_fail(host.get(), VX_STATUS_WRONG_KIND);
    host.set_long("vxbug.RNGSEED", 42, ec);
    EXPECT_EQ(ec.value(), VX_STATUS_WRONG_KIND);
    EXPECT_THROW(host.set_double("vxbug.RNGSEED", 42.0), vxalea::error);
    vxhost_registry_fail(host.get(), 0);

    vxhost_pool_fail_at(pool.get(), 1);
    vxalea::stream64 none(mod, pool, {.method = "MT64"}, ec);
    EXPECT_TRUE(ec.value() == VX_STATUS_NULL_ARGUMENT && !none);
    EXPECT_THROW(vxalea::stream64(mod, pool, {.method = "MT64"}), vxalea::error);
    vxhost_pool_fail_at(pool.get(), 0);

    // Loading: the reason is the loader's.
    vxalea::module missing(host, "vxnothere", VXALEA_MODULE_DIR, ec);
    EXPECT_TRUE(ec.value() == VX_STATUS_UNSUPPORTED && !missing && has(host.last_error(), "vxnothere"));
    EXPECT_REFUSED(vxalea::module(host, "vxnothere", VXALEA_MODULE_DIR), errc{}, "not found");
    EXPECT_TRUE(!vxalea::make_status(0) && vxalea::status_category().message(0x12345678) == "status 0x12345678");
}

TEST_F(CxxLayer, MethodsListEveryEngineWithItsSubstreams)
{
    ASSERT_EQ(vxalea::methods(mod).size(), std::size(vxalea::engine_names));
    const uint64_t all = ~0ull;
    using enum vxalea::advance_cost;
    const struct {
        const char* name;
        bool available, statistical;
        uint32_t bits;
        bool keys, threads;
        uint64_t maxKey, maxThread;
        vxalea::advance_cost discard;
        std::optional<uint64_t> lastTask;
    } rows[] = {
        {"MT64", true, true, 64, true, true, all, all, linear, all - 1},
        {"PCG32I", true, true, 32, true, true, 1023, (1u << 21) - 1, logarithmic, 1022},
        {"FRY4X64", true, true, 64, true, true, all, all, constant, all - 1},
        {"MH3", true, true, 64, false, false, 0, 0, linear, std::nullopt},
        {"SUBKEY64", true, false, 64, true, true, (1ull << 20) - 1, (1ull << 43) - 1, constant, std::nullopt},
        {"TORVEL", false, false, 31, false, false, 0, 0, linear, std::nullopt},
        {"RDRAND", false, true, 0, false, false, 0, 0, linear, std::nullopt},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const vxalea::method_info m = info(r.name);
        EXPECT_TRUE(m.name == r.name && m.available == r.available && m.statistical == r.statistical);
        EXPECT_TRUE(m.bits == r.bits && m.substreams.takes_key == r.keys && m.substreams.takes_thread == r.threads);
        EXPECT_TRUE(m.substreams.max_key == r.maxKey && m.substreams.max_thread == r.maxThread);
        EXPECT_TRUE(m.discard == r.discard && m.last_task == r.lastTask);
    }
    const vxalea::method_info fry = info("FRY4X64");
    EXPECT_EQ(fry.aliases, (std::vector<std::string_view>{"THREEFRY4X64", "THREEFRY", "TF4", "TF"}));
    EXPECT_TRUE(fry.label == "64-bit Random123 4x64-bit Threefry" && fry.blob_size == 104u) << fry.label;
}

// Raw draws, uniforms, normals (a pair cache) and samplers with a saved set-up, as bits.
template <class S>
std::vector<uint64_t> mixedDraws(S& s, int n)
{
    std::vector<uint64_t> out;
    double buf[3];
    auto bits = [](double d) { return std::bit_cast<uint64_t>(d); };
    for (int i = 0; i < n; i += 9) {
        out.insert(out.end(), {s(), bits(s.uniform()), bits(s.normal()), bits(s.gamma(2.5))});
        out.insert(out.end(), {bits(s.binomial(40, 0.3)), bits(s.poisson(7.5)), bits(s.beta(0.5, 2.5)), s.next32()});
        s.fill_normal(buf);
        out.push_back(bits(buf[2]));
    }
    return out;
}

TEST_F(CxxLayer, CheckpointsContinueExactlyOnEveryEngine)
{
    for (const auto& m : available())
        for (int saveAt : {0, 1, 7, 312, 1000, -1})
            byWidth(m.bits, [&]<class S>(std::type_identity<S>) {
                const bool normals = saveAt < 0;
                SCOPED_TRACE(std::string(m.name) + (normals ? " after 3 normals" : " after " + std::to_string(saveAt)));
                const uint64_t key = m.substreams.takes_key ? std::min<uint64_t>(3, m.substreams.max_key) : 0;
                const uint64_t thread = m.substreams.takes_thread ? 5 : 0;
                S a(mod, pool, {m.name, 20260101, key, thread});
                for (int i = 0; i < (normals ? 101 : saveAt); ++i) a();
                if (normals) {
                    a.normal(), a.normal(), a.normal(); // one deviate of a pair waits
                    a.gamma(2.5), a.binomial(40, 0.3), a.beta(0.5, 2.5);
                }
                const std::vector<std::byte> saved = a.checkpoint();
                S b = S::from_checkpoint(mod, pool, saved);
                S c(mod, pool, {m.name, 99}); // another stream of the engine, restored in place
                c.restore(saved);
                EXPECT_TRUE(b.seed() == a.seed() && b.key() == key && c.thread() == thread);
                const auto expect = mixedDraws(a, 2000);
                EXPECT_EQ(mixedDraws(b, 2000), expect);
                EXPECT_EQ(mixedDraws(c, 2000), expect);
                a.rewind(), b.rewind(); // the seed, key and thread came along
                for (int i = 0; i < 10; ++i) ASSERT_EQ(a(), b());
            });
}

TEST_F(CxxLayer, CheckpointsOfAnotherKindAreRefusedAndChangeNothing)
{
    // The format's own refusals are the Python package's table; here the ways into a stream.
    vxalea::stream64 s(mod, pool, {.method = "PCG64I", .seed = 8}), peer(mod, pool, {.method = "PCG64I", .seed = 8});
    const std::vector<std::byte> good = s.checkpoint(), truncated(good.begin(), good.end() - 1);
    const std::vector<std::byte> other = vxalea::stream64(mod, pool, {.method = "MT64", .seed = 1}).checkpoint();
    for (const auto& bytes : {other, truncated}) {
        std::error_code ec;
        s.restore(bytes, ec);
        EXPECT_EQ(ec, errc::bad_checkpoint);
    }
    EXPECT_REFUSED(s.restore(other), errc::bad_checkpoint, "engine MT64 cannot be restored into a stream of PCG64I");
    EXPECT_REFUSED(s.restore(truncated), errc::bad_checkpoint, "truncated or has extra bytes");
    EXPECT_THROW(vxalea::stream64::from_checkpoint(mod, pool, truncated), vxalea::error); // `other` opens an MT64
    ASSERT_EQ(s(), peer()); // nothing was changed
    EXPECT_REFUSED(vxalea::stream32::from_checkpoint(mod, pool, good), errc::wrong_width, "as vxalea::stream64");
}

TEST_F(CxxLayer, StateImportIsTheEnginesAndDumpsGoToTheJournal)
{
    vxalea::stream64 a(mod, pool, {.method = "MT64", .seed = 31337});
    for (int i = 0; i < 312; ++i) a(); // a whole block: the read position is back at its end
    const std::vector<std::byte> saved(a.state().begin(), a.state().end());
    ASSERT_EQ(saved.size(), 2496u);
    vxalea::stream64 b(mod, pool, {.method = "MT64", .seed = 1});
    EXPECT_EQ(b.import_state(saved), 2);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(a(), b());
    // Twelve bytes: word 0 kept, the rest hashed from it.
    EXPECT_EQ(b.import_state(std::span(saved).first(12)), 4);
    std::error_code ec;
    EXPECT_TRUE(b.import_state({}, 0, ec) == 0 && !ec);
    // An engine without an import refuses the bytes and keeps its state.
    vxalea::stream64 g(mod, pool, {.method = "XORGENS", .seed = 7}), h(mod, pool, {.method = "XORGENS", .seed = 7});
    EXPECT_TRUE(g.import_state(saved, 0, ec) == 0 && ec.value() == VX_STATUS_UNSUPPORTED);
    EXPECT_THROW(g.import_state(saved), vxalea::error);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(g(), h());

    vxalea::stream64 c(mod, pool, {.method = "MT64", .seed = 5489});
    host.clear_journal();
    c.dump_state(6);
    ASSERT_EQ(host.journal_size(), 3u); // four elements, two, and the note
    EXPECT_EQ(host.journal(0).text.substr(0, 24), "     0:             1571"); // 64-bit words: word 0 is the seed
    EXPECT_EQ(host.journal(2).text, "        Further elements omitted.");
}

// Two equal streams, after `offset` draws and `prepare` on each: discard(n)
// on one is n draws on the other.
template <class S, class P>
void discardIsStepping(const vxalea::module& mod, vxalea::pool& pool, const vxalea::stream_options& o, int offset,
                       uint64_t n, P prepare)
{
    SCOPED_TRACE(std::string(o.method) + " offset " + std::to_string(offset) + " n " + std::to_string(n));
    S jumped(mod, pool, o), stepped(mod, pool, o);
    for (int i = 0; i < offset; ++i) jumped(), stepped();
    prepare(jumped), prepare(stepped);
    jumped.discard(n);
    for (uint64_t i = 0; i < n; ++i) stepped();
    for (int i = 0; i < 20; ++i) ASSERT_EQ(jumped(), stepped()) << i;
}

TEST_F(CxxLayer, DiscardEqualsSteppingOnEveryEngine)
{
    for (const auto& m : available())
        for (int offset : {0, 1, 3})
            for (uint64_t n : {0, 1, 2, 3, 4, 7, 311, 312, 313, 624, 625, 4099})
                byWidth(m.bits, [&]<class S>(std::type_identity<S>) {
                    discardIsStepping<S>(mod, pool, {m.name, 4242, m.substreams.takes_key ? 1u : 0u}, offset, n,
                                         [](S&) {});
                });
    // Counters next to a carry, imported into a fresh stream or into one whose
    // buffered block is half used (the leftover lanes are the old counter's).
    const std::array<uint32_t, 2> c2x32{0xFFFFFFFDu, 7};
    const std::array<uint64_t, 2> c2x64{~0ull - 2, 7};
    const std::array<uint64_t, 4> c4x64{~0ull - 2, ~0ull, ~0ull, 9};
    auto importing = [](const auto& ctr) {
        return [&ctr](auto& s) { ASSERT_EQ(s.import_state(std::as_bytes(std::span(ctr))), 2); };
    };
    for (int offset : {0, 1})
        for (uint64_t n = 0; n < 20; ++n) {
            discardIsStepping<vxalea::stream32>(mod, pool, {"FRY2X32", 9}, offset, n, importing(c2x32));
            discardIsStepping<vxalea::stream64>(mod, pool, {"FRY2X64", 9}, offset, n, importing(c2x64));
            discardIsStepping<vxalea::stream64>(mod, pool, {"FRY4X64", 9}, offset, n, importing(c4x64));
        }
}

// After discard(n) a fresh Threefry stream draws lane p mod N of Random123's
// block at counter 1 + p / N (words 0 and 1 one number, wrapping at the top).
template <class Threefry>
void threefryPeer(const vxalea::module& mod, vxalea::pool& pool, const char* method, uint64_t n)
{
    SCOPED_TRACE(std::string(method) + " n " + std::to_string(n));
    using Ctr = typename Threefry::ctr_type;
    using Key = typename Threefry::key_type;
    using V = typename Ctr::value_type;
    using S = std::conditional_t<sizeof(V) == 4, vxalea::stream32, vxalea::stream64>;
    constexpr size_t lanes = Ctr::static_size;
    constexpr unsigned width = 8 * sizeof(V);
    S s(mod, pool, {method, 77, 3, 5});
    Ctr start;
    Key key;
    std::memcpy(start.v, s.blob(), sizeof start.v);
    std::memcpy(key.v, static_cast<const char*>(s.blob()) + sizeof start.v, sizeof key.v);
    ASSERT_EQ(start.v[0], 1u);
    const unsigned __int128 low = start.v[0] | static_cast<unsigned __int128>(start.v[1]) << width;
    s.discard(n);
    for (uint64_t p = n; p < n + 6; ++p) {
        const unsigned __int128 at = low + p / lanes;
        Ctr ctr = start;
        ctr.v[0] = static_cast<V>(at);
        ctr.v[1] = static_cast<V>(at >> width);
        ASSERT_EQ(s(), Threefry()(ctr, key).v[p % lanes]) << p;
    }
}

TEST_F(CxxLayer, DiscardJumpsAsTheirPeersDo)
{
    for (uint64_t n : {uint64_t{1} << 40, (uint64_t{1} << 33) + 3, ~uint64_t{0} - 6}) {
        threefryPeer<r123::Threefry2x32_R<20>>(mod, pool, "FRY2X32", n);
        threefryPeer<r123::Threefry2x64_R<20>>(mod, pool, "FRY2X64", n);
        threefryPeer<r123::Threefry4x64_R<20>>(mod, pool, "FRY4X64", n);
    }
    // PCG: seed s and thread k are pcg-cpp's (s, k).
    for (uint64_t n : {uint64_t{1000000000007}, (uint64_t{1} << 63) + 3}) {
        SCOPED_TRACE(n);
        pcg_engines::setseq_rxs_m_xs_32_32 p32(123, 9);
        pcg_engines::setseq_rxs_m_xs_64_64 p64(123, 9);
        vxalea::stream32 s32(mod, pool, {"PCG32I", 123, 0, 9});
        vxalea::stream64 s64(mod, pool, {"PCG64I", 123, 0, 9});
        p32.discard(n), p64.discard(n), s32.discard(n), s64.discard(n);
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(s32() == p32() && s64() == p64()) << i;
    }
}

TEST_F(CxxLayer, TaskStreamsAreTheDocumentedSubstreams)
{
    // task t: key t + 1, thread 0.
    const struct { const char* method; uint32_t bits; uint64_t task; } rows[] = {
        {"MT64", 64, ~0ull - 1}, {"FRY2X32", 32, 9}, {"PCG32I", 32, 1022}, {"PCG64I", 64, (1ull << 20) - 2}};
    for (const auto& r : rows)
        byWidth(r.bits, [&]<class S>(std::type_identity<S>) {
            SCOPED_TRACE(r.method);
            S task = vxalea::task_stream<S>(mod, pool, 2026, r.task, r.method);
            S explicitly(mod, pool, {r.method, 2026, r.task + 1, 0});
            EXPECT_TRUE(task.key() == r.task + 1 && task.thread() == 0);
            for (int i = 0; i < 5; ++i) ASSERT_EQ(task(), explicitly());
        });
    EXPECT_EQ(vxalea::task_stream(mod, pool, 11, 5).method(), "MT64");

    const struct { const char* method; uint64_t seed, task; errc refusal; const char* says; } refusals[] = {
        {"MH3", 1, 0, errc::no_task_substreams, "MH3 has no keys"},
        {"SUBKEY64", 1, 0, errc::no_task_substreams, "SUBKEY64 is not a statistical generator"},
        {"MT64", 0, 0, errc::seed_out_of_range, "from the clock"},
        {"PCG64I", 1, (1ull << 20) - 1, errc::task_out_of_range, "beyond the last task 1048574"},
    };
    for (const auto& r : refusals) {
        std::error_code ec;
        EXPECT_FALSE(vxalea::stream64::for_task(mod, pool, r.seed, r.task, r.method, ec));
        EXPECT_EQ(ec, r.refusal);
        EXPECT_REFUSED(vxalea::task_stream(mod, pool, r.seed, r.task, r.method), r.refusal, r.says);
    }
    EXPECT_THROW(vxalea::task_stream<vxalea::stream32>(mod, pool, 1, 1023, "PCG32I"), vxalea::error);
}

TEST_F(CxxLayer, SharedGeneratorsAreTheSeededArray)
{
    {
        vxalea::shared_generators g(mod, 4);
        vxalea::shared_generators later(mod, 4);
        EXPECT_EQ(later.data(), g.data());
        EXPECT_THROW(g[0], vxalea::error); // not before seed()
        auto first = g.seed(100), second = later.seed(555);
        EXPECT_TRUE(first.seed == 100 && first.status == VXALEA_SEED_FROM_CALLER);
        EXPECT_TRUE(second.seed == 100 && second.status == (VXALEA_SEED_FROM_CALLER | VXALEA_SEEDED_BEFORE));
        for (size_t i = 0; i < g.size(); ++i) {
            vxalea::stream64_ref r = g[i];
            std::mt19937_64 peer(100 + i);
            for (int k = 0; k < 400; ++k) ASSERT_EQ(r(), peer());
        }
        EXPECT_THROW(g[4], vxalea::error);
        // The module cannot say how many generators an earlier caller made,
        // so another count is refused rather than trusted.
        std::error_code ec;
        vxalea::shared_generators other(mod, 8, ec);
        EXPECT_TRUE(ec == errc::count_mismatch && !other);
        EXPECT_REFUSED(vxalea::shared_generators(mod, 8), errc::count_mismatch, "the array has 4 generators");
    }
    // Both detached: the array is gone, a new attachment starts afresh.
    vxalea::shared_generators again(mod, 2);
    EXPECT_TRUE(again.size() == 2u && again.seed(9).status == VXALEA_SEED_FROM_CALLER);
}

TEST_F(CxxLayer, SharedGeneratorsNeverHandOutAnUninitializedOne)
{
    // Attached with no generators and seeded: the module marks an array seeded that does not exist yet.
    VXALEA* ext = mod.extension();
    vxaleaTaskParms p{};
    p.nGenerators = -63;
    ASSERT_EQ(ext->runTask(ext, VXALEA_TASK_ATTACH, &p, sizeof p), 0);
    ASSERT_EQ(ext->runTask(ext, VXALEA_TASK_SEED, &p, sizeof p), 0);
    {
        vxalea::shared_generators g(mod, 37); // makes the array, never initialized
        std::error_code seeding, at;
        g.seed(5, seeding), g.at(0, at);
        EXPECT_TRUE(seeding == errc::not_seeded && at == errc::not_seeded) << seeding << " " << at;
        EXPECT_REFUSED(g.seed(5), errc::not_seeded, "");
        EXPECT_REFUSED(g[0], errc::not_seeded, "");
    }
    EXPECT_EQ(ext->runTask(ext, VXALEA_TASK_DETACH, &p, sizeof p), 0);
}

TEST_F(CxxLayer, TheModuleServesOneLiveHostAtATime)
{
    vxalea::host second;
    std::error_code ec;
    vxalea::module refused(second, "vxalea", VXALEA_MODULE_DIR, ec);
    EXPECT_TRUE(!refused && has(second.last_error(), "already loaded into another live host")) << second.last_error();
    EXPECT_EQ(vxalea::stream64(mod, pool, {.seed = 5489})(), std::mt19937_64(5489)()); // the first host's run on
    { vxalea::module gone(std::move(mod)); } // unloaded from the first host
    vxalea::module accepted(second, "vxalea", VXALEA_MODULE_DIR);
    EXPECT_TRUE(accepted);
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
            b = std::move(c); // frees b's own record
            EXPECT_TRUE(!a && pool.live_allocations() == 1u);
            b = vxalea::stream64(); // and this one
            EXPECT_EQ(pool.live_allocations(), 0u);
            vxalea::stream64 d(mod, pool, {.method = "MT64"});
            vxalea::shared_generators g(mod, 3);
            g.seed(0);
            EXPECT_GT(vxhost_live_allocations(host.get()), moduleOnly + 1);
            // Refused requests leave nothing behind.
            EXPECT_THROW(vxalea::stream64(mod, pool, {.method = "MH3", .key = 1}), vxalea::error);
            EXPECT_THROW(vxalea::stream64::from_checkpoint(mod, pool, {}), vxalea::error);
            EXPECT_THROW(vxalea::task_stream(mod, pool, 1, 0, "MH3"), vxalea::error);
            EXPECT_EQ(pool.live_allocations(), 1u);
        }
        {
            vxalea::pool first(host, "P1");
            vxalea::stream64 e(mod, first, {.method = "MT64"});
            vxalea::pool moved(std::move(first)); // the stream's pool lives on in `moved`
            EXPECT_TRUE(!first && moved.live_allocations() == 1u);
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
    EXPECT_EQ(vxhost_live_pools(host.get()) + vxhost_live_allocations(host.get()) + vxhost_host_errors(host.get()), 0u);

    std::error_code ec;
    vxalea::host h2(ec);
    vxalea::host h3(std::move(h2));
    EXPECT_TRUE(!ec && !h2 && h3);
}

} // namespace
