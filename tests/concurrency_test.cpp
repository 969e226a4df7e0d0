// Many OS threads at once on what the module shares between them: the
// message limit counters kept in the host registry, the transcoding
// pipelines kept in the host's NLS record, and streams cloned from one
// source stream.  Built and run under ThreadSanitizer by the tsan preset
// (and AddressSanitizer by asan-ubsan); in the release build it checks the
// results the threads reach.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <string>
#include <thread>
#include <vector>

#include "host/vxhost_api.h"
#include "subs/vxnls.h"
#include "subs/zrand.h"
#include "subs/zrngmsg.h"
#include "support/host_fixture.h"

namespace {

class Concurrency : public vxtest::HostFixture {};

/* body(t) for t = 0 .. n-1, each on its own thread, all released at once. */
template <class Body>
void together(int n, Body body)
{
    std::barrier start(n);
    std::vector<std::thread> threads;
    for (int t = 0; t < n; ++t) threads.emplace_back([&, t] { start.arrive_and_wait(), body(t); });
    for (auto& th : threads) th.join();
}

// Every message counts exactly once against its class's limit, whatever the
// interleaving: the default limit lets exactly 101 through and the limit
// note appears once; a large limit ends exactly one lower per message.
TEST_F(Concurrency, MessageLimitsCountDownExactlyAcrossThreads)
{
    constexpr int kThreads = 16;
    constexpr int kEach = 250;
    auto race = [](VXSeverity severity, VXStatus code) {
        together(kThreads, [&](int) { for (int i = 0; i < kEach; ++i) zrngmsg(severity, code, -1.0, 2.0, 0.0); });
    };

    race(VXSeverityError, ZRNG_M_SEED_RANGE);
    EXPECT_EQ(countCode(ZRNG_M_SEED_RANGE), 101u) << "the default limit lets 101 errors through";
    EXPECT_EQ(countCode(VXNR_M_LIMIT_REACHED), 1u);
    EXPECT_EQ(longValue("OSENV.QOR_RNG_ERROR_LIMIT"), -1);

    setText("OSENV.QOR_RNG_MESSAGES", "NOTE");
    setLong("OSENV.QOR_RNG_NOTE_LIMIT", 100000);
    race(VXSeverityNote, ZRNG_M_SEED_RANGE);
    EXPECT_EQ(longValue("OSENV.QOR_RNG_NOTE_LIMIT"), 100000 - kThreads * kEach);
    EXPECT_EQ(countCode(ZRNG_M_SEED_RANGE), 101u + kThreads * kEach);
}

// Threads converting text while another switches the active encoding back
// and forth: a pipeline in use is never freed under its reader, and every
// conversion of ASCII text (the same in both encodings) is exact.
TEST_F(Concurrency, EncodingSwitchesDoNotFreePipelinesInUse)
{
    constexpr int kReaders = 4;
    constexpr int kSwitches = 400;
    constexpr int kConversions = 4000; /* at least, made while switches go on */
    std::atomic<int> wrong{0}, converted{0};
    std::atomic<bool> done{false};
    together(kReaders + 1, [&](int t) {
        if (t == kReaders) { /* the switcher */
            for (int i = 0; i < kSwitches || converted.load() < kConversions || i % 2 == 1; ++i)
                zpvnls(i % 2 ? U_WLATIN1_CE : U_UTF8_CE);
            done = true;
            return;
        }
        char name[] = "MT64";
        while (!done.load()) {
            VXChar out[4] = {};
            if (zCharToVXChar(name, out, 4) != 4 || out[0] != 'M' || out[3] != '4') ++wrong;
            ++converted;
        }
    });
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(zSessCei(), U_WLATIN1_CE);
}

// Clones made at the same time from one stream only read it: each equals
// the clone made alone with the same key, and the source is unchanged.
TEST_F(Concurrency, ClonesOfOneStreamMadeAtOnceMatchClonesMadeAlone)
{
    setText("OSENV.QOR_RNG_MESSAGES", "NOTE"); // clones report their method: journal traffic too
    VXPoolh pool = vxhost_pool_create(host(), "clones");
    ASSERT_NE(pool, nullptr);
    ZRANSTR* source = zrand_alloc_vx(pool);
    ASSERT_NE(source, nullptr);
    source->UserMethod = const_cast<char*>("MT64");
    source->UserSeed = 4242.0;
    ASSERT_EQ(zrand_init(source), 0) << journalDump();
    auto* from = reinterpret_cast<ZRAND_S*>(source);

    constexpr int kThreads = 6;
    constexpr int kDraws = 5000;
    std::vector<std::vector<double>> drawn(kThreads);
    together(kThreads, [&](int t) {
        ZRAND_S* c = zrand_clone_vx(pool, static_cast<uint64_t>(t + 1), from);
        if (!c) return;
        drawn[t].resize(kDraws);
        for (double& x : drawn[t]) x = c->rangen(c->Blob);
    });

    for (int t = 0; t < kThreads; ++t) {
        ZRAND_S* c = zrand_clone_vx(pool, static_cast<uint64_t>(t + 1), from);
        ASSERT_NE(c, nullptr);
        std::vector<double> alone(kDraws);
        for (double& x : alone) x = c->rangen(c->Blob);
        EXPECT_EQ(drawn[t], alone) << "clone with key " << t + 1;
        if (t > 0) {
            EXPECT_NE(drawn[t], drawn[t - 1]) << "keys select different substreams";
        }
    }

    ZRANSTR* fresh = zrand_alloc_vx(pool);
    ASSERT_NE(fresh, nullptr);
    fresh->UserMethod = const_cast<char*>("MT64");
    fresh->UserSeed = 4242.0;
    ASSERT_EQ(zrand_init(fresh), 0);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(source->rangen(source->Blob), fresh->rangen(fresh->Blob));
}

} // namespace
