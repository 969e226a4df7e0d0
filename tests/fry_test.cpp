// The Threefry engines against Random123's block functions called here
// directly: published answers, seeded streams with thread numbers and keys
// across counter carries, counter positioning at block, carry and width
// boundaries, key and thread return codes, state import into a partly used
// block, the journal dumps and the descriptor values.
#include <gtest/gtest.h>

#include <Random123/threefry.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "subs/engines/zmh3x.h"
#include "subs/zrand.h"
#include "subs/zrng.h"
#include "support/host_fixture.h"

namespace {

// ---- the three shapes as the test sees them ------------------------------------------

struct T2x32 {
    using Ctr = threefry2x32_ctr_t;
    using Key = threefry2x32_key_t;
    using W = uint32_t;
    using Which = uint32_t;
    static constexpr unsigned N = 2;
    static constexpr auto setup = zrnfFRY2X32;
    static constexpr const char* name = "FRY2X32";
    static Ctr block(Ctr c, Key k) { return threefry2x32_R(20, c, k); }
    static W fmix(W x) { return zmh3x32(x); }
    static Key schedule(W s) { return {{s, zmh3x32(s + 1u)}}; }
    static void thread(Ctr& c, Key&, W t) { c.v[1] = fmix(t); }
    // Published answer of Threefry-2x32-20 at counter 0, key 0.
    static std::vector<W> zeroBlock() { return {0x6B200159u, 0x99BA4EFEu}; }
    static Key keyOfSeed1() { return {{1u, 0x30F4C306u}}; }
    static std::vector<W> seed1() { return {0x826B67FDu, 0x6DCDC2BBu, 0xB5D8AF90u}; }
};

struct T2x64 {
    using Ctr = threefry2x64_ctr_t;
    using Key = threefry2x64_key_t;
    using W = uint64_t;
    using Which = uint64_t;
    static constexpr unsigned N = 2;
    static constexpr auto setup = zrnfFRY2X64;
    static constexpr const char* name = "FRY2X64";
    static Ctr block(Ctr c, Key k) { return threefry2x64_R(20, c, k); }
    static W fmix(W x) { return zmh3x64(x); }
    static Key schedule(W s) { return {{s, zmh3x64(s + 1u)}}; }
    static void thread(Ctr& c, Key&, W t) { c.v[1] = fmix(t); }
    static std::vector<W> zeroBlock() { return {0xC2B6E3A8C2C69865ull, 0x6F81ED42F350084Dull}; }
    static Key keyOfSeed1() { return {{1u, 0x3ABF2A20650683E7ull}}; }
    static std::vector<W> seed1()
    {
        return {0xA6091ABD7B1BB83Full, 0x30171C4DEF4B4450ull, 0x7A439D39CCF4A649ull};
    }
};

struct T4x64 {
    using Ctr = threefry4x64_ctr_t;
    using Key = threefry4x64_key_t;
    using W = uint64_t;
    using Which = uint64_t;
    static constexpr unsigned N = 4;
    static constexpr auto setup = zrnfFRY4X64;
    static constexpr const char* name = "FRY4X64";
    static Ctr block(Ctr c, Key k) { return threefry4x64_R(20, c, k); }
    static W fmix(W x) { return zmh3x64(x); }
    static Key schedule(W s) { return {{s, zmh3x64(s + 1u), zmh3x64(s + 2u), zmh3x64(s + 3u)}}; }
    static void thread(Ctr&, Key& k, W t) { k.v[2] ^= fmix(t); }
    static std::vector<W> zeroBlock()
    {
        return {0x09218EBDE6C85537ull, 0x55941F5266D86105ull, 0x4BD25E16282434DCull,
                0xEE29EC846BD2E40Bull};
    }
    static Key keyOfSeed1()
    {
        return {{1u, zmh3x64(2), zmh3x64(3), zmh3x64(4)}};
    }
    static std::vector<W> seed1()
    {
        return {0x90CF21ADE14CB4E7ull, 0x669672777274F82Bull, 0xD51444F7B3BEDFCAull,
                0xED482234743379D4ull, 0x655E4E9AE8D61F9Full};
    }
};

// The engine's blob, read white box.
template <class T>
struct Blob {
    typename T::Ctr ctr;
    typename T::Key key;
    typename T::Ctr rand;
    typename T::Which which;
};
static_assert(sizeof(Blob<T2x32>) == 28 && sizeof(Blob<T2x64>) == 56 && sizeof(Blob<T4x64>) == 104);

// The published generator: Random123's block function on a counter advanced
// with r123array's own incr(), which carries through every word (and so
// loses the top word's wrap, as the two-lane engines do).
template <class T>
struct Peer {
    typename T::Ctr ctr;
    typename T::Key key;
    typename T::Ctr blk{};
    unsigned lane = T::N;

    static Peer seeded(typename T::W s)
    {
        Peer p;
        p.ctr = {};
        p.ctr.v[0] = 1;
        p.key = T::schedule(s);
        return p;
    }
    void thread(typename T::W t)
    {
        if (t != 0) T::thread(ctr, key, t);
    }
    void keyed(typename T::W k) { key.v[1] ^= T::fmix(k); }
    // Output n of the current key, thread and high counter words.
    void at(uint64_t n)
    {
        ctr.v[0] = static_cast<typename T::W>(n / T::N);
        lane = T::N;
        for (uint64_t i = 0; i < n % T::N; ++i) next();
    }
    typename T::W next()
    {
        if (lane == T::N) {
            blk = T::block(ctr, key);
            ctr.incr();
            lane = 0;
        }
        return blk.v[lane++];
    }
};

template <class T>
struct Eng {
    ZRNG_S q;
    Blob<T> b;
    Eng() { T::setup(&q, 0); }
    void* p() { return &b; }
    typename T::W next()
    {
        if constexpr (sizeof(typename T::W) == 4) return q.zrng_uint32(p());
        else return q.zrng_uint64(p());
    }
    void count(uint64_t n)
    {
        if constexpr (sizeof(typename T::W) == 4) q.zrng_count_32(p(), static_cast<uint32_t>(n));
        else q.zrng_count_64(p(), n);
    }
    int seed(uint64_t s)
    {
        if constexpr (sizeof(typename T::W) == 4) return q.zrng_seed_32(p(), static_cast<uint32_t>(s));
        else return q.zrng_seed_64(p(), s);
    }
    int thread(uint64_t t)
    {
        if constexpr (sizeof(typename T::W) == 4) return q.zrng_thread_32(p(), static_cast<uint32_t>(t));
        else return q.zrng_thread_64(p(), t);
    }
    int key(uint64_t k)
    {
        if constexpr (sizeof(typename T::W) == 4) return q.zrng_key_32(p(), static_cast<uint32_t>(k));
        else return q.zrng_key_64(p(), k);
    }
    void importCtr(const typename T::Ctr& c)
    {
        typename T::Ctr copy = c;
        ASSERT_EQ(q.zrng_state(p(), reinterpret_cast<uint8_t*>(&copy), sizeof copy, 0), 2);
    }
};

template <class T>
::testing::AssertionResult samePath(Eng<T>& e, Peer<T>& p, int n)
{
    for (int i = 0; i < n; ++i) {
        auto a = e.next();
        auto b = p.next();
        if (a != b)
            return ::testing::AssertionFailure() << "draw " << i << ": engine " << std::hex << a
                                                 << ", Random123 " << b;
    }
    return ::testing::AssertionSuccess();
}

template <class T>
class Fry : public ::testing::Test {};
using Shapes = ::testing::Types<T2x32, T2x64, T4x64>;
class ShapeNames {
public:
    template <class T>
    static std::string GetName(int) { return T::name; }
};
TYPED_TEST_SUITE(Fry, Shapes, ShapeNames);

// ---- known answers ---------------------------------------------------------------------

TYPED_TEST(Fry, PublishedAndSeededAnswers)
{
    using T = TypeParam;
    Eng<T> e;
    // Counter 0 under key 0: the published Random123 answer, through the
    // engine's own block buffer.
    e.seed(1);
    e.b.key = {};
    e.count(0);
    for (auto w : T::zeroBlock()) EXPECT_EQ(e.next(), w);

    EXPECT_EQ(e.seed(1), 2);
    EXPECT_EQ(e.b.key, T::keyOfSeed1());
    EXPECT_EQ(e.b.ctr.v[0], 1u);
    EXPECT_EQ(e.b.which, 0u);
    for (auto w : T::seed1()) EXPECT_EQ(e.next(), w);

    // The other width: halves and pairs of the same lanes.
    std::vector<typename T::W> lanes = T::seed1();
    e.seed(1);
    if constexpr (sizeof(typename T::W) == 4) {
        EXPECT_EQ(e.q.zrng_uint64(e.p()), 0x826B67FD6DCDC2BBull);
        EXPECT_EQ(e.q.zrng_double_open(e.p()), lanes[2] * 0x1p-32);
    } else {
        EXPECT_EQ(e.q.zrng_uint32(e.p()), lanes[0] >> 32);
        EXPECT_EQ(e.q.zrng_double_64_closed_closed(e.p()), static_cast<double>(lanes[1]) * 0x1p-64);
        EXPECT_EQ(e.q.zrng_double_open(e.p()), static_cast<double>(lanes[2]) * 0x1p-64);
    }
}

TEST(FrySeeds, WidthRulesOfTheTwoLaneEngines)
{
    Eng<T2x32> e;
    // Nonzero, but folds to 0: used as 0, not replaced by a fresh seed.
    EXPECT_EQ(e.q.zrng_seed_64(e.p(), 0x100000001ull), 1);
    EXPECT_EQ(e.b.key, (threefry2x32_key_t{{0u, 0x514E28B7u}}));
    EXPECT_EQ(e.q.zrng_seed_64(e.p(), 0x0000000700000003ull), 1);
    EXPECT_EQ(e.b.key, T2x32::schedule(4));

    Eng<T2x64> f;
    EXPECT_EQ(f.q.zrng_seed_32(f.p(), 0xFFFFFFFFu), 1);
    EXPECT_EQ(f.b.key, T2x64::schedule(0xFFFFFFFFull));
    // Thread and key are cleared by seeding: the same seed restarts the stream.
    f.thread(9);
    f.key(10);
    f.next();
    f.seed(1);
    Peer<T2x64> p = Peer<T2x64>::seeded(1);
    EXPECT_TRUE(samePath(f, p, 20));
}

// ---- the published generator as a peer ------------------------------------------------

TYPED_TEST(Fry, StreamsWithThreadAndKeyMatchRandom123AcrossCarries)
{
    using T = TypeParam;
    using W = typename T::W;
    constexpr W kMax = static_cast<W>(~W(0));
    for (W seed : {W(1), W(0x9E3779B9u), kMax}) {
        for (W thread : {W(0), W(7), kMax}) {
            Eng<T> e;
            Peer<T> p = Peer<T>::seeded(seed);
            e.seed(seed);
            e.thread(thread);
            e.key(0xC0FFEEu);
            p.thread(thread);
            p.keyed(0xC0FFEEu);
            ASSERT_TRUE(samePath(e, p, 5000)) << seed << " " << thread;

            // Counter word 0 runs over into the higher words.
            typename T::Ctr c = p.ctr;
            c.v[0] = kMax - 2;
            e.importCtr(c);
            p.ctr = c;
            ASSERT_TRUE(samePath(e, p, 12 * T::N)) << seed << " " << thread;
            EXPECT_NE(e.b.ctr.v[1], c.v[1]);

            // All words at their maximum: the whole counter wraps to 0.
            for (auto& w : c.v) w = kMax;
            e.importCtr(c);
            p.ctr = c;
            ASSERT_TRUE(samePath(e, p, 3 * T::N));
            EXPECT_EQ(e.b.ctr.v[T::N - 1], 0u);
        }
    }
}

TEST(FryCarry, FourLaneCarryRunsThroughEveryWord)
{
    Eng<T4x64> e;
    Peer<T4x64> p = Peer<T4x64>::seeded(42);
    e.seed(42);
    threefry4x64_ctr_t c = {{UINT64_MAX, UINT64_MAX, UINT64_MAX, 5}};
    e.importCtr(c);
    p.ctr = c;
    ASSERT_TRUE(samePath(e, p, 4));
    EXPECT_EQ(e.b.ctr, (threefry4x64_ctr_t{{0, 0, 0, 6}}));
    ASSERT_TRUE(samePath(e, p, 4000));

    // The two-lane engine loses the wrap of its high word.
    Eng<T2x64> f;
    f.seed(42);
    f.importCtr({{UINT64_MAX, UINT64_MAX}});
    f.next();
    f.next();
    EXPECT_EQ(f.b.ctr, (threefry2x64_ctr_t{{0, 0}}));
}

// ---- counter positioning ------------------------------------------------------------

TYPED_TEST(Fry, CountMovesToAnyOutputOfTheSubstream)
{
    using T = TypeParam;
    constexpr uint64_t N = T::N;
    constexpr uint64_t kTop = sizeof(typename T::W) == 4 ? 0xFFFFFFFFull : UINT64_MAX;
    if constexpr (sizeof(typename T::W) == 4) {
        Eng<T> e;
        EXPECT_NE(e.q.zrng_count_32, nullptr);
        EXPECT_EQ(e.q.zrng_count_64, nullptr);
    } else {
        Eng<T> e;
        EXPECT_EQ(e.q.zrng_count_32, nullptr);
        EXPECT_NE(e.q.zrng_count_64, nullptr);
    }

    // A fresh stream stands at output N; output N + m is its m-th draw.
    Eng<T> fresh;
    fresh.seed(77);
    fresh.thread(3);
    fresh.key(5);
    std::vector<typename T::W> ref;
    for (uint64_t i = 0; i < 12 * N; ++i) ref.push_back(fresh.next());
    for (uint64_t n = N; n < 9 * N; ++n) {
        Eng<T> e;
        e.seed(77);
        e.thread(3);
        e.key(5);
        e.next(); // a block already buffered must not leak through
        e.count(n);
        for (uint64_t m = n - N; m < n - N + 2 * N + 1; ++m)
            ASSERT_EQ(e.next(), ref[m]) << "count " << n << " draw " << m;
    }

    // Positions below N, across 2^32 lanes and at the top, including the
    // last lane of the last block; high counter words keep their values.
    const uint64_t ns[] = {0,          1,          N - 1,          (1ull << 32) - 1, 1ull << 32,
                           kTop - N,   kTop - 1,   kTop,           (kTop / N) * N,   12345 * N + N - 1};
    for (uint64_t n : ns) {
        if (n > kTop) continue; // the 2x32 engine counts in 32 bits
        Eng<T> e;
        Peer<T> p = Peer<T>::seeded(77);
        e.seed(77);
        e.thread(3);
        p.thread(3);
        typename T::Ctr c = {};
        for (unsigned i = 1; i < N; ++i) c.v[i] = static_cast<typename T::W>(0x1111 * i);
        e.importCtr(c);
        p.ctr = c;
        e.count(n);
        p.at(n);
        EXPECT_EQ(e.b.which, n % N);
        ASSERT_TRUE(samePath(e, p, 3 * T::N)) << "count " << n;
    }
}

// ---- keys and threads -----------------------------------------------------------------

TYPED_TEST(Fry, KeysCancelAndThreadsSelectSubstreams)
{
    using T = TypeParam;
    constexpr bool k32 = sizeof(typename T::W) == 4;
    Eng<T> e, f;
    e.seed(1);
    f.seed(1);
    const auto key0 = e.b.key;
    EXPECT_EQ(e.key(0), 0);
    EXPECT_EQ(e.thread(0), 2);
    EXPECT_EQ(e.q.zrng_key_double(e.p(), NAN), 0);
    EXPECT_EQ(e.q.zrng_key_double(e.p(), 0.0), 0);
    EXPECT_EQ(e.q.zrng_key_double(e.p(), -5.0), 1); // key 0: no change
    EXPECT_EQ(e.b.key, key0);
    EXPECT_EQ(e.b.ctr, f.b.ctr);

    EXPECT_EQ(e.key(5), 2);
    EXPECT_EQ(e.b.key.v[1], key0.v[1] ^ T::fmix(5));
    EXPECT_EQ(e.key(5), 2);
    EXPECT_EQ(e.b.key, key0);
    EXPECT_EQ(e.q.zrng_key_double(e.p(), 5.75), 1);
    EXPECT_EQ(e.b.key.v[1], key0.v[1] ^ T::fmix(5));
    EXPECT_EQ(k32 ? e.q.zrng_key_64(e.p(), 5) : e.q.zrng_key_32(e.p(), 5), 1);
    EXPECT_EQ(e.b.key, key0);

    Eng<T> t7;
    t7.seed(1);
    EXPECT_EQ(k32 ? t7.q.zrng_thread_64(t7.p(), 7) : t7.q.zrng_thread_32(t7.p(), 7), 1);
    auto a = t7.next();
    EXPECT_NE(a, f.next());
    Eng<T> t8;
    t8.seed(1);
    t8.thread(8);
    EXPECT_NE(t8.next(), a);
}

TEST(FryKeys, LowWordRulesAndWorkedValues)
{
    Eng<T2x32> e;
    e.seed(1);
    EXPECT_EQ(e.q.zrng_key_32(e.p(), 5), 2);
    EXPECT_EQ(e.b.key.v[1], 0xFCF990CBu);
    e.seed(1);
    const auto before = e.b;
    EXPECT_EQ(e.q.zrng_key_64(e.p(), 0x500000000ull), 1);    // low word 0
    EXPECT_EQ(e.q.zrng_thread_64(e.p(), 0x500000000ull), 1); // low word 0
    EXPECT_EQ(e.q.zrng_key_double(e.p(), 0x1p32), 1);        // mod 2^32 is 0
    EXPECT_EQ(std::memcmp(&before, &e.b, sizeof before), 0);
    EXPECT_EQ(e.q.zrng_key_64(e.p(), 0x500000009ull), 1);
    EXPECT_EQ(e.b.key.v[1], before.key.v[1] ^ zmh3x32(9));
    EXPECT_EQ(e.q.zrng_thread_64(e.p(), 0x500000009ull), 1);
    EXPECT_EQ(e.b.ctr.v[1], zmh3x32(9));
    EXPECT_EQ(e.q.zrng_key_double(e.p(), 0x1p32 + 3.0), 1);
    EXPECT_EQ(e.b.key.v[1], before.key.v[1] ^ zmh3x32(9) ^ zmh3x32(3));

    Eng<T4x64> f;
    f.seed(1);
    const uint64_t k2 = f.b.key.v[2];
    EXPECT_EQ(f.q.zrng_thread_32(f.p(), 7), 1);
    EXPECT_EQ(f.b.key.v[2], k2 ^ 0x740729CBE468D1DDull);
    EXPECT_EQ(f.b.ctr, (threefry4x64_ctr_t{{1, 0, 0, 0}}));
    EXPECT_EQ(f.q.zrng_key_double(f.p(), 0x1p70 + 0x1p20), 1); // fmod 2^64 leaves 2^20
    EXPECT_EQ(f.b.key.v[1], zmh3x64(2) ^ zmh3x64(1ull << 20));
}

// ---- state import ----------------------------------------------------------------------

TEST(FryState, ImportReplacesTheCounterAndKeepsTheBufferedBlock)
{
    Eng<T2x64> e;
    Peer<T2x64> p = Peer<T2x64>::seeded(3);
    e.seed(3);
    EXPECT_EQ(e.next(), p.next()); // lane 0 handed out, lane 1 still buffered
    const uint64_t lane1 = p.next();
    threefry2x64_ctr_t c = {{1000, 2000}};
    e.importCtr(c);
    EXPECT_EQ(e.next(), lane1);
    p.ctr = c; // the used-up block advanced the imported counter
    p.ctr.incr();
    EXPECT_TRUE(samePath(e, p, 100));

    // Short input: word 1 is the finaliser of word 0; key untouched.
    const auto key = e.b.key;
    uint8_t bytes[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(e.q.zrng_state(e.p(), bytes, 8, 0), 4);
    EXPECT_EQ(e.b.ctr, (threefry2x64_ctr_t{{1, zmh3x64(1)}}));
    EXPECT_EQ(e.b.key, key);

    Eng<T2x32> f;
    f.seed(3);
    uint8_t eight[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9};
    EXPECT_EQ(f.q.zrng_state(f.p(), eight, 12, 0), 2); // only the 8 counter bytes
    EXPECT_EQ(f.b.ctr, (threefry2x32_ctr_t{{0x04030201u, 0x08070605u}}));
    EXPECT_EQ(f.b.key, T2x32::schedule(3));
}

// ---- dumps -------------------------------------------------------------------------------

class FryDump : public vxtest::HostFixture {};

TEST_F(FryDump, TheRecordAsWords)
{
    Eng<T2x32> e;
    e.seed(1);
    e.next(); // which = 1, the block buffered
    clearJournal();
    e.q.zrng_dump_blob_32(e.p(), 100);
    auto j = takeJournal();
    ASSERT_EQ(j.size(), 2u); // seven words: ctr, key, rand, which
    char want[160];
    std::snprintf(want, sizeof want, "     0: %8x    1: %8x    2: %8x    3: %8x", 1u, 0u, 1u, 0x30F4C306u);
    EXPECT_EQ(j[0].text, want);
    std::snprintf(want, sizeof want, "     4: %8x    5: %8x    6: %8x", 0x826B67FDu, 0x6DCDC2BBu, 1u);
    EXPECT_EQ(j[1].text, want);

    Eng<T4x64> f;
    f.seed(1);
    f.q.zrng_dump_blob_64(f.p(), 12);
    j = takeJournal();
    ASSERT_EQ(j.size(), 4u); // thirteen words, twelve shown
    std::snprintf(want, sizeof want, "   %3i: %16llx", 4, 1ull); // key word 0
    EXPECT_EQ(j[1].text.substr(0, 24), want);
    EXPECT_EQ(j[3].text, "        Further elements omitted.");
}

// ---- through a random stream --------------------------------------------------------------

// The stream seeds, then applies the thread number, then the key, at the
// engine's own width; its uniform rejects 0 (and, at 64 bits, the values
// that round to 1).
template <class T>
double streamUniform(Peer<T>& p)
{
    for (;;) {
        const auto u = p.next();
        if constexpr (sizeof u == 4) {
            if (u != 0) return u * 0x1p-32;
        } else if (u != 0 && u < 0xFFFFFFFFFFFFFC00ull) {
            return static_cast<double>(u) * 0x1p-64;
        }
    }
}

class FryStream : public vxtest::HostFixture {};

TEST_F(FryStream, SeedThreadAndKeyOfAStream)
{
    VXPoolh pool = vxhost_pool_create(host(), "fry");
    ASSERT_NE(pool, nullptr);
    auto check = [&]<class T>(T, const char* method) {
        ZRANSTR* z = zrand_alloc_vx(pool);
        ASSERT_NE(z, nullptr);
        z->UserMethod = const_cast<char*>(method);
        z->Seed = 0xABCDEF12u;
        z->Thread = 4;
        z->Key = 6;
        ASSERT_EQ(zrand_init(z), 0) << method;
        EXPECT_STREQ(z->rng.zrng_name, T::name);
        Peer<T> p = Peer<T>::seeded(0xABCDEF12u);
        p.thread(4);
        p.keyed(6);
        for (int i = 0; i < 1000; ++i) ASSERT_EQ(z->rangen(z->Blob), streamUniform(p)) << method << " " << i;
        zrand_rewind(reinterpret_cast<ZRAND_S*>(z));
        p = Peer<T>::seeded(0xABCDEF12u);
        p.thread(4);
        p.keyed(6);
        EXPECT_EQ(z->rangen(z->Blob), streamUniform(p)) << method;
    };
    check(T2x32{}, "threefry2x32");
    check(T2x64{}, "TF2");
    check(T4x64{}, " tf ");
}

// ---- distribution -------------------------------------------------------------------------

// Pearson chi-square of 10^6 stream uniforms over 100 bins, and of the
// 2 x 16 bits of the lane halves over 16 bins each: 99 and 15 degrees of
// freedom, bounds 170 and 50 each exceeded with probability below 10^-6 by a
// uniform source.  Seeds fixed.
TYPED_TEST(Fry, StreamUniformsAreUniform)
{
    using T = TypeParam;
    Eng<T> e;
    e.seed(20261206);
    e.thread(1);
    std::vector<int> bins(100, 0), nib(16, 0);
    const int n = 1000000;
    for (int i = 0; i < n; ++i) {
        const double x = e.q.zrng_double_open(e.p());
        ASSERT_TRUE(x > 0.0 && x < 1.0);
        ++bins[static_cast<size_t>(x * 100)];
        ++nib[e.q.zrng_uint32(e.p()) & 15u];
    }
    double c = 0, d = 0;
    for (int k : bins) c += (k - n / 100.0) * (k - n / 100.0) / (n / 100.0);
    for (int k : nib) d += (k - n / 16.0) * (k - n / 16.0) / (n / 16.0);
    EXPECT_LT(c, 170.0);
    EXPECT_LT(d, 50.0);
}

} // namespace
