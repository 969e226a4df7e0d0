// Many OS threads at once on what the module shares between them: the
// message limit counters kept in the host registry, and streams cloned
// from one source stream.  Built and run under ThreadSanitizer by the tsan
// preset; in the release build it checks the results the threads reach.
#include <gtest/gtest.h>

#include <barrier>
#include <thread>
#include <vector>

#include "host/vxhost_api.h"
#include "subs/zrand.h"
#include "subs/zrngmsg.h"
#include "support/host_fixture.h"

namespace {

class Concurrency : public vxtest::HostFixture {};

// The limit counter is a read-modify-write of a registry entry with no lock
// of its own: a lost update lets one more message through, never fewer, and
// the class ends silenced whatever the interleaving.
TEST_F(Concurrency, MessageLimitsAreSharedByAllThreads)
{
    constexpr int kThreads = 8;
    constexpr int kEach = 60;
    std::barrier start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            start.arrive_and_wait();
            for (int i = 0; i < kEach; ++i) zrngmsg(VXSeverityError, ZRNG_M_SEED_RANGE, -1.0, 2.0, 0.0);
        });
    for (auto& th : threads) th.join();

    const size_t shown = countCode(ZRNG_M_SEED_RANGE);
    EXPECT_GE(shown, 101u) << "the default limit lets 101 errors through";
    EXPECT_LE(shown, static_cast<size_t>(kThreads * kEach));
    EXPECT_GE(countCode(0x8C7FE8CAu), 1u) << "the limit note";
    EXPECT_EQ(longValue("OSENV.QOR_RNG_ERROR_LIMIT"), -1);

    const size_t before = journalCount();
    zrngmsg(VXSeverityError, ZRNG_M_SEED_RANGE, -1.0, 2.0, 0.0);
    EXPECT_EQ(journalCount(), before) << "errors stay silenced after the race";
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
    std::vector<std::vector<double>> together(kThreads);
    std::barrier start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            ZRAND_S* c = zrand_clone_vx(pool, static_cast<uint64_t>(t + 1), from);
            if (!c) return;
            together[t].resize(kDraws);
            for (double& x : together[t]) x = c->rangen(c->Blob);
        });
    for (auto& th : threads) th.join();

    for (int t = 0; t < kThreads; ++t) {
        ZRAND_S* c = zrand_clone_vx(pool, static_cast<uint64_t>(t + 1), from);
        ASSERT_NE(c, nullptr);
        std::vector<double> alone(kDraws);
        for (double& x : alone) x = c->rangen(c->Blob);
        EXPECT_EQ(together[t], alone) << "clone with key " << t + 1;
        if (t > 0) {
            EXPECT_NE(together[t], together[t - 1]) << "keys select different substreams";
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
