// Random streams: allocation, method resolution, seeds and keys with their messages, rewind,
// crude streams and clones; sequences against std:: Mersenne Twisters, calls against a scripted engine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/vxhost_api.h"
#include "stream_test_util.h"
#include "subs/zrand.h"
#include "subs/zrngmsg.h"
#include "support/host_fixture.h"

namespace {

using vxtest::JournalEntry;
using vxtest::ScriptEvent;

constexpr VXStatus kNullArgument = VX_STATUS_NULL_ARGUMENT;
constexpr double kMinusPi = -3.141592653589793;

char* name(const char* text) { return const_cast<char*>(text); }

template <class S>
std::vector<double> draw(S* z, int n)
{
    std::vector<double> v(n);
    for (double& x : v) x = z->rangen(z->Blob);
    return v;
}

class Streams : public vxtest::HostFixture {
protected:
    void SetUp() override
    {
        setText("OSENV.QOR_RNG_MESSAGES", "NOTE");
        pool = vxhost_pool_create(host(), "streams");
        ASSERT_NE(pool, nullptr);
    }

    ZRANSTR* stream(const char* method, double userSeed = 0.0)
    {
        ZRANSTR* z = zrand_alloc_vx(pool);
        EXPECT_NE(z, nullptr);
        z->UserMethod = name(method);
        z->UserSeed = userSeed;
        return z;
    }

    // The only journal line with this code; fails unless there is exactly one.
    JournalEntry only(VXStatus code)
    {
        std::vector<JournalEntry> hits;
        for (const JournalEntry& e : journal())
            if (e.code == code) hits.push_back(e);
        EXPECT_EQ(hits.size(), 1u) << journalDump();
        return hits.empty() ? JournalEntry{} : hits.front();
    }

    VXPoolh pool = nullptr;
};

// ---- allocation ----------------------------------------------------------------------
TEST_F(Streams, AllocationAndNullArguments)
{
    ZRANSTR* z = zrand_alloc_vx(pool);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->Status, ZRNG_S_NOT_INITIALIZED);
    EXPECT_EQ(z->IsUsable, 0);
    EXPECT_EQ(z->Functions, &z->rng);
    EXPECT_EQ(z->Blob, static_cast<void*>(&z->mt));
    EXPECT_EQ(static_cast<void*>(z->State64), static_cast<void*>(&z->mt));
    EXPECT_EQ(z->nrv, 1);
    vxhost_pool_fail_at(pool, 1);
    EXPECT_EQ(zrand_alloc_vx(pool), nullptr);
    EXPECT_EQ(journalCount(), 0u) << "allocation failures are silent";

    auto* s = reinterpret_cast<ZRAND_S*>(z);
    EXPECT_EQ(zrand_alloc_vx(nullptr), nullptr);
    EXPECT_EQ(zrand_method(name("MT64"), -1, nullptr), kNullArgument);
    EXPECT_EQ(zrand_init(nullptr), kNullArgument);
    EXPECT_EQ(zrand_seed(1, nullptr), kNullArgument);
    EXPECT_EQ(zrand_crude(nullptr), kNullArgument);
    EXPECT_EQ(zrand_rewind(nullptr), kNullArgument);
    EXPECT_EQ(zrand_clone(nullptr, 1, s), kNullArgument);
    EXPECT_EQ(zrand_clone(s, 1, nullptr), kNullArgument);
    EXPECT_EQ(zrand_clone_vx(nullptr, 1, s), nullptr);
    EXPECT_EQ(zrand_clone_vx(pool, 1, nullptr), nullptr);
}

// ---- sequences against the standard engines -------------------------------------
TEST_F(Streams, InitializedRecordAndItsNote)
{
    ZRANSTR* z = stream("MT64", 12345);
    ASSERT_EQ(zrand_init(z), 0) << journalDump();
    EXPECT_EQ(z->Seed, 12345u);
    EXPECT_EQ(z->InitialSeed, 12345u);
    EXPECT_EQ(z->finalSeed, 0x17D2ABFBF90BAEF9ull) << "MurmurHash3's finaliser of the seed";
    EXPECT_EQ(z->Check1, 123456789);
    EXPECT_EQ(z->IsUsable, 1);
    EXPECT_EQ(vxtest::methodText(z->Method), "MT64");
    EXPECT_EQ(z->UserMethod, z->rng.zrng_name);
    EXPECT_EQ(z->rangen, z->rng.zrng_double_open);
    EXPECT_EQ(z->BlobSize, 2504u);
    EXPECT_EQ(z->Jnlh, handle()->vxjnl);
    const JournalEntry note = only(ZRNG_M_METHOD_SEED);
    EXPECT_EQ(note.severity, VXSeverityNote);
    EXPECT_EQ(note.text, "Random number method 64-bit Mersenne Twister with seed 12345 (0x3039).");
}

// ---- seeds ---------------------------------------------------------------------------------
TEST_F(Streams, DoubleSeedsAreMappedAndReplacementsWarned)
{
    const struct {
        double userSeed; // a power of two above the maximum has mantissa 1/2
        uint64_t seed;
        size_t replaced;
    } rows[] = {{1.5, 2147483647u, 1}, {0x1p40, 1, 1}, {7.0, 7, 0}};
    for (const auto& r : rows) {
        clearJournal();
        ZRANSTR* z = stream("MT1998", r.userSeed);
        ASSERT_EQ(zrand_init(z), 0) << "a replaced seed is a warning only";
        EXPECT_EQ(z->Seed, r.seed);
        EXPECT_EQ(z->IsUsable, 1);
        EXPECT_EQ(countCode(ZRNG_M_SEED_REPLACED), r.replaced) << r.userSeed;
        if (r.userSeed != 1.5) continue;
        JournalEntry w = only(ZRNG_M_SEED_REPLACED);
        EXPECT_EQ(w.severity, VXSeverityWarning);
        EXPECT_EQ(w.text, "The seed 1.5 is not a whole number from 1 to 4294967295 as method MT1998 requires; "
                          "the seed 2147483647 (0x7FFFFFFF) is used instead.");
    }
}

TEST_F(Streams, NegativeOrNanSeedsSeedFromTheClockSilently)
{
    for (double s : {-3.0, std::nan("")}) {
        ZRANSTR* z = stream("MT64", s);
        ASSERT_EQ(zrand_init(z), 0);
        EXPECT_NE(z->Seed, 0u);
        EXPECT_EQ(z->UserSeed, std::isnan(s) ? 0.0 : s) << "a NaN seed counts as none";
        EXPECT_EQ(countCode(ZRNG_M_SEED_REPLACED), 0u);
    }
    // The debugging override makes self-seeding repeatable.
    setDouble("vxbug.RNGSEED", 42);
    for (const char* m : {"MT64", "MT1998"}) {
        ZRANSTR* z = stream(m);
        zrand_init(z);
        EXPECT_EQ(z->Seed, 42u) << m;
    }
}

TEST_F(Streams, ZrandSeedClearsKeysBeforeInitializing)
{
    ZRANSTR* z = stream("MT64", 5);
    z->Key = 9;
    z->UserKey = 2.5;
    ASSERT_EQ(zrand_seed(77, z), 0) << "the bad user key is gone";
    EXPECT_EQ(z->Key, 0u);
    vxtest::Mt64Uniform peer(77);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(z->rangen(z->Blob), peer());
}

// ---- keys ----------------------------------------------------------------------------------
TEST_F(Streams, BadUserKeysAreErrorsAndTheStreamKeepsItsKey)
{
    ZRANSTR* ref = stream("MT64", 11);
    ref->Key = 5;
    zrand_init(ref);
    const std::vector<double> keyed = draw(ref, 20);

    struct Case {
        double userKey;
        const char* shown; // nullptr: a valid key
    };
    for (Case c : {Case{2.5, "2.5"}, Case{-1.0, "-1"}, Case{0x1p65, "3.6893488147419103e+19"}, Case{3, nullptr}}) {
        clearJournal();
        ZRANSTR* z = stream("MT64", 11);
        z->Key = 5;
        z->UserKey = c.userKey;
        EXPECT_EQ(zrand_init(z), c.shown ? ZRNG_S_BAD_KEY : 0) << c.userKey;
        EXPECT_EQ(z->Status, c.shown ? ZRNG_S_BAD_KEY : 0);
        EXPECT_EQ(z->IsUsable, 1);
        EXPECT_EQ(z->Key, 5u) << "a user key is checked, never copied into Key";
        EXPECT_EQ(draw(z, 20), keyed) << "still usable with its previous key";
        if (!c.shown) {
            EXPECT_EQ(countSeverity(VXSeverityError), 0u) << journalDump();
            continue;
        }
        JournalEntry e = only(ZRNG_M_USER_KEY_BAD);
        EXPECT_EQ(e.severity, VXSeverityError);
        EXPECT_EQ(e.text, std::string("The key ") + c.shown +
                              " is not a whole number from 0 to 18446744073709551615 as method MT64 "
                              "requires; the key is not changed.");
    }
}

TEST_F(Streams, KeyAboveTheEngineMaximumIsAnError)
{
    ZRANSTR* z = stream("MT1998", 3);
    z->Key = 0x100000000ull;
    EXPECT_EQ(zrand_init(z), ZRNG_S_BAD_KEY);
    EXPECT_EQ(z->IsUsable, 1);
    EXPECT_EQ(only(ZRNG_M_KEY_TOO_LARGE).text,
              "The key 4294967296 is larger than the maximum 4294967295 of random number method "
              "MT1998.");
    // A user key out of range is reported instead of (not besides) the Key.
    clearJournal();
    z->UserKey = 0x1p33;
    zrand_init(z);
    EXPECT_EQ(countCode(ZRNG_M_USER_KEY_BAD), 1u);
    EXPECT_EQ(countCode(ZRNG_M_KEY_TOO_LARGE), 0u);
}

// ---- engines that take no seed or no key, and seed/thread/key widths (scripted) -------------
TEST_F(Streams, SeedOrKeyGivenToAnEngineWithoutThem)
{
    const std::string seed = "is ignored because the random number method BARE takes no seed.";
    const std::string key = "is ignored because the random number method BARE takes no key.";
    // The user seed is shown in preference to the seed; the first status is kept.
    const struct {
        uint64_t seed;
        double userSeed, userKey;
        uint64_t key;
        VXStatus rc;
        std::string seedText, keyText;
    } rows[] = {
        {9, 0, 0, 0, ZRNG_S_SEED_IGNORED, "The seed 9 " + seed, ""},
        {9, 2.5, 4, 3, ZRNG_S_SEED_IGNORED, "The seed 2.5 " + seed, "The key 4 " + key},
        {0, 0, 0, 3, ZRNG_S_KEY_IGNORED, "", "The key 3 " + key},
    };
    for (const auto& r : rows) {
        clearJournal();
        auto z = vxtest::zeroed<ZRANSTR>();
        auto& blob = vxtest::installScripted(z.get(), vxtest::scriptedDescriptor("BARE", 64, 0, 0, 0));
        z->Seed = r.seed, z->UserSeed = r.userSeed, z->UserKey = r.userKey, z->Key = r.key;
        EXPECT_EQ(zrand_init(z.get()), r.rc) << r.seedText << r.keyText;
        EXPECT_EQ(z->IsUsable, 1);
        EXPECT_TRUE(vxtest::events(blob).empty()) << "the engine is not seeded";
        for (const auto& [code, text] : {std::pair{ZRNG_M_SEED_IGNORED, r.seedText}, std::pair{ZRNG_M_KEY_IGNORED, r.keyText}}) {
            if (text.empty()) {
                EXPECT_EQ(countCode(code), 0u) << journalDump();
                continue;
            }
            const JournalEntry w = only(code);
            EXPECT_EQ(w.text, text);
            EXPECT_EQ(w.severity, VXSeverityWarning);
        }
    }
    // Named, such a method is noted without a seed.
    clearJournal();
    auto z = vxtest::zeroed<ZRANSTR>();
    vxtest::installScripted(z.get(), vxtest::scriptedDescriptor("BARE", 64, 0, 0, 0));
    z->Flags = ZRAND_FLAG_NAMED;
    zrand_init(z.get());
    EXPECT_EQ(only(ZRNG_M_METHOD).text, "Random number method BARE.");
}

TEST_F(Streams, SeedThenThreadThenKeyReachTheEngineAtItsWidth)
{
    constexpr uint64_t h32 = ZRNG_HAS_SEED_32 | ZRNG_HAS_KEY_32, h64 = ZRNG_HAS_SEED_64 | ZRNG_HAS_KEY_64;
    const struct {
        const char* method;
        uint32_t bits;
        uint64_t has, max, seed, thread, key;
        bool rewind;
        VXStatus rc;
        std::vector<ScriptEvent> events;
        const char* error;
    } rows[] = {
        // A 32-bit engine gets the low halves.
        {"FULL32", 32, h32 | ZRNG_HAS_THREAD_32, 0xFFFFFFFFu, 0x100000005ull, 0x200000007ull, 9, false, 0,
         {{'s', 32, 5}, {'t', 32, 7}, {'k', 32, 9}}, nullptr},
        {"FULL64", 64, h64 | ZRNG_HAS_THREAD_64, ~0ull, 0x100000005ull, 0x200000007ull, 9, false, 0,
         {{'s', 64, 0x100000005ull}, {'t', 64, 0x200000007ull}, {'k', 64, 9}}, nullptr},
        // Without threads the thread is folded into the key; a key too large is applied after the error.
        {"KEY32", 32, h32, 0xFFFFFFFFu, 1, 5, 1023, false, 0, {{'s', 32, 1}, {'k', 32, (1023u << 21) | 5u}}, nullptr},
        {"KEY32", 32, h32, 0xFFFFFFFFu, 1, 5, 1024, true, ZRNG_S_BAD_KEY, {{'s', 32, 1}, {'k', 32, 0x80000005u}},
         "The key 1024 is larger than the maximum 1023 of random number method KEY32."},
        {"KEY64", 64, h64, ~0ull, 1, 7, 1048575, false, 0, {{'s', 64, 1}, {'k', 64, (1048575ull << 43) | 7u}}, nullptr},
        {"KEY64", 64, h64, ~0ull, 1, 7, 1048576, false, ZRNG_S_BAD_KEY, {{'s', 64, 1}, {'k', 64, (1ull << 63) | 7u}},
         "The key 1048576 is larger than the maximum 1048575 of random number method KEY64."},
    };
    for (const auto& r : rows) {
        clearJournal();
        auto z = vxtest::zeroed<ZRANSTR>();
        auto& blob = vxtest::installScripted(z.get(), vxtest::scriptedDescriptor(r.method, r.bits, r.has, r.max, r.max));
        z->Seed = r.seed, z->Thread = r.thread, z->Key = r.key;
        if (r.rewind) { // rewinding repeats the same calls
            zrand_init(z.get());
            clearJournal();
            vxtest::clearEvents(blob);
        }
        EXPECT_EQ(r.rewind ? zrand_rewind(reinterpret_cast<ZRAND_S*>(z.get())) : zrand_init(z.get()), r.rc) << r.method;
        EXPECT_EQ(vxtest::events(blob), r.events) << r.method << ' ' << r.key;
        if (r.error) {
            EXPECT_EQ(only(ZRNG_M_KEY_TOO_LARGE).text, r.error);
        } else {
            EXPECT_EQ(countSeverity(VXSeverityError), 0u) << journalDump();
        }
    }
}

// ---- notes ------------------------------------------------------------------------------------
TEST_F(Streams, NamedMethodIsNotedOnceWithSeedAndKey)
{
    ZRANSTR* z = stream("MT64", 7);
    z->Key = 3;
    zrand_init(z);
    EXPECT_EQ(only(ZRNG_M_METHOD_SEED_KEY).text,
              "Random number method 64-bit Mersenne Twister with seed 7 (0x7) and key 3 (0x3).");
    EXPECT_NE(z->Flags & 0x2u, 0u);
    EXPECT_NE(z->Flags & 0x4u, 0u);
    clearJournal();
    zrand_init(z);
    zrand_seed(8, z);
    EXPECT_EQ(countSeverity(VXSeverityNote), 0u) << journalDump();

    // Naming a method again earns a new note.
    z->UserMethod = name("MT1998");
    zrand_init(z);
    EXPECT_EQ(only(ZRNG_M_METHOD_SEED).text,
              "Random number method 1998 32-bit Mersenne Twister with seed 8 (0x8).");

    // The registry default is not a named method.
    clearJournal();
    ZRANSTR* y = stream(nullptr, 5);
    zrand_init(y);
    EXPECT_EQ(countSeverity(VXSeverityNote), 0u) << journalDump();
    EXPECT_EQ(y->Flags & 0x4u, 0u);
}

// ---- method resolution ---------------------------------------------------------------------
TEST_F(Streams, MethodIsResolvedOnce)
{
    ZRANSTR* z = zrand_alloc_vx(pool);
    EXPECT_EQ(zrand_method(name("mt1998"), -1, z), 0);
    EXPECT_EQ(z->Status, 0);
    EXPECT_EQ(z->IsUsable, 0);
    EXPECT_EQ(vxtest::methodText(z->Method), "MT1998");
    EXPECT_EQ(z->BlobSize, 2500u);
    EXPECT_EQ(z->rangen, z->rng.zrng_double_open);
    EXPECT_EQ(z->UserMethod, z->rng.zrng_name);
    EXPECT_EQ(z->Flags, static_cast<uint64_t>(ZRAND_FLAG_NAMED));

    z->Flags |= 0x100; // a caller's bit: must survive untouched
    const uint64_t flags = z->Flags;
    EXPECT_EQ(zrand_method(name("MT64"), -1, z), 0);
    EXPECT_STREQ(z->rng.zrng_name, "MT1998");
    EXPECT_EQ(z->Flags, flags);
    EXPECT_EQ(z->Status, 0);

    ZRANSTR* bad = zrand_alloc_vx(pool);
    EXPECT_EQ(zrand_method(name("nonesuch"), -1, bad), ZRNG_S_BAD_METHOD);
    EXPECT_EQ(bad->Status, ZRNG_S_BAD_METHOD);
    EXPECT_STREQ(bad->rng.zrng_name, "MTHYBRID");
    EXPECT_EQ(bad->Flags, static_cast<uint64_t>(ZRAND_FLAG_NAMED));

    // A zero length is no name: the registry default, and not a named method.
    setText("OSENV.QOR_RNG_METHOD", "MT64");
    ZRANSTR* dflt = zrand_alloc_vx(pool);
    EXPECT_EQ(zrand_method(name("MT1998"), 0, dflt), 0);
    EXPECT_STREQ(dflt->rng.zrng_name, "MT64");
    EXPECT_EQ(dflt->Flags, 0u);
}

TEST_F(Streams, MethodStatusComesFirstAndLaterProblemsAreStillReported)
{
    ZRANSTR* z = stream("TORVEL", 6);
    z->UserKey = 2.5;
    EXPECT_EQ(zrand_init(z), ZRNG_S_NO_ENGINE);
    EXPECT_EQ(z->IsUsable, 1);
    EXPECT_EQ(vxtest::methodText(z->Method), "MTHYBRID");
    EXPECT_EQ(only(ZRNG_M_USER_KEY_BAD).text,
              "The key 2.5 is not a whole number from 0 to 4294967295 as method MTHYBRID "
              "requires; the key is not changed.");
    EXPECT_EQ(z->Seed, 6u);
}

// ---- rewind and crude --------------------------------------------------------------------------
TEST_F(Streams, RewindInvalidatesEveryCacheButBeta)
{
    ZRANSTR* z = stream("MT64", 1);
    zrand_init(z);
    double* reset[] = {&z->gam.alphasave, &z->bin.psave, &z->poi.lambdasave};
    double* kept[] = {&z->bet.alphasave, &z->bet.d3, &z->gam.a, &z->bin.mean, &z->nor.storedVariate};
    for (double* d : reset) *d = 2.0;
    for (double* d : kept) *d = 0.75;
    z->bin.nsave = 10;
    z->bin.underflow = 1;
    z->nor.HaveOne = 1;
    EXPECT_EQ(zrand_rewind(reinterpret_cast<ZRAND_S*>(z)), 0);
    for (double* d : reset) EXPECT_EQ(*d, kMinusPi);
    for (double* d : kept) EXPECT_EQ(*d, 0.75);
    EXPECT_EQ(z->bin.nsave, -9007199254740992LL);
    EXPECT_EQ(z->bin.underflow, 0);
    EXPECT_EQ(z->nor.HaveOne, 0);
}

TEST_F(Streams, CrudeStreamsUseTheEngineQuickConversionWhenThereIsOne)
{
    ZRANSTR* c = stream("MT1998", 21);
    ASSERT_EQ(zrand_crude(c), 0);
    ASSERT_NE(c->rng.zrng_double_crude, nullptr);
    EXPECT_EQ(c->rangen, c->rng.zrng_double_crude);
    ZRANSTR* w = stream("MT64", 21);
    ZRANSTR* i = stream("MT64", 21);
    ASSERT_EQ(zrand_crude(w), 0);
    zrand_init(i);
    EXPECT_EQ(w->rangen, w->rng.zrng_double_open);
    EXPECT_EQ(draw(w, 100), draw(i, 100));
}

// ---- clones ------------------------------------------------------------------------------------
TEST_F(Streams, ClonesRunTheSourceEngineInTheSubstreamOfTheirKey)
{
    ZRANSTR* src = stream("MT64", 99);
    src->Thread = 2;
    src->reb = &pool;
    zrand_init(src);
    auto* from = reinterpret_cast<ZRAND_S*>(src);
    const std::vector<double> head = draw(src, 30);

    ZRAND_S* same = zrand_clone_vx(pool, 0, from);
    ZRAND_S* k1 = zrand_clone_vx(pool, 1, from);
    ZRAND_S* k2 = zrand_clone_vx(pool, 2, from);
    ASSERT_TRUE(same && k1 && k2);
    EXPECT_EQ(draw(same, 30), head) << "key 0 clone restarts the source's own sequence";
    const std::vector<double> a = draw(k1, 30), b = draw(k2, 30);
    EXPECT_NE(a, head);
    EXPECT_NE(b, head);
    EXPECT_NE(a, b);

    // A clone with key 1 is the stream initialized with key 1.
    ZRANSTR* ref = stream("MT64", 99);
    ref->Thread = 2;
    ref->Key = 1;
    zrand_init(ref);
    EXPECT_EQ(draw(ref, 30), a);

    EXPECT_EQ(k1->Functions, src->Functions) << "the descriptor is shared";
    EXPECT_NE(k1->Blob, src->Blob);
    EXPECT_EQ(k1->reb, &pool);
    EXPECT_EQ(k1->Status, 0);
    EXPECT_EQ(vxtest::methodText(k1->Method), "MT64");

    EXPECT_EQ(draw(src, 10), draw(same, 10)) << "the source is not disturbed by cloning";
    EXPECT_EQ(journalCount(), countSeverity(VXSeverityNote)) << journalDump();
}

TEST_F(Streams, CloneIntoCallerMemoryAndFromASourceWithoutState)
{
    ZRANSTR* src = stream("MT1998", 5);
    zrand_init(src);
    auto target = vxtest::zeroed<ZRAND_S>();
    EXPECT_EQ(zrand_clone(target.get(), 4, reinterpret_cast<ZRAND_S*>(src)), kNullArgument)
        << "no state memory";
    std::vector<uint64_t> state(src->BlobSize / 8 + 1);
    target->Blob = state.data();
    target->Status = ZRNG_S_NOT_INITIALIZED;
    EXPECT_EQ(zrand_clone(target.get(), 4, reinterpret_cast<ZRAND_S*>(src)), 0);
    EXPECT_EQ(target->Status, 0);
    ZRANSTR* ref = stream("MT1998", 5);
    ref->Key = 4;
    zrand_init(ref);
    EXPECT_EQ(draw(target.get(), 20), draw(ref, 20));

    // Re-cloning the same record with a key too large for the fold is still
    // done, and reported.
    ZRANSTR* sub = stream("MT1998", 5);
    zrand_init(sub);
    sub->rng.zrng_has &= ~static_cast<uint64_t>(ZRNG_HAS_THREAD);
    EXPECT_EQ(zrand_clone(target.get(), 1024, reinterpret_cast<ZRAND_S*>(sub)), ZRNG_S_BAD_KEY);
    EXPECT_EQ(target->Status, ZRNG_S_BAD_KEY);
    EXPECT_EQ(target->IsUsable, 1);
    EXPECT_EQ(countCode(ZRNG_M_KEY_TOO_LARGE), 1u);

    // A source without state still clones.  (Failing allocations: allocation_failure_test.)
    auto empty = vxtest::zeroed<ZRAND_S>();
    ZRAND_S* e = zrand_clone_vx(pool, 1, empty.get());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->IsUsable, 1);
    EXPECT_NE(e->Blob, nullptr);
}

} // namespace
