/* The host binding, the clock reader, the entry function, the extension
 * record and the task dispatch. */
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>

#include "ext/vxalea.h"
#include "support/host_fixture.h"

namespace {

using vxtest::HostFixture;

/* A handle that offers only the system service, to see exactly what the
 * clock reader asks and how it combines the answer. */
struct ClockOnlyHandle {
    VXHndl h{};
    static inline int32_t lastRequest = 0;
    static inline VXFlags lastFlags = 0;
    static inline double gmt = 0.0, offset = 0.0;
    static inline VXStatus answer = 0;

    ClockOnlyHandle() { h.ConfigureSystem = configure; }
    static VXStatus configure(VXHndlp, int32_t request, void* data, VXFlags flags)
    {
        lastRequest = request;
        lastFlags = flags;
        if (answer != 0) return answer;
        auto* t = static_cast<vxzTime_t*>(data);
        t->gmt = gmt;
        t->offset = offset;
        return 0;
    }
};

class ClockReader : public ::testing::Test {
protected:
    ~ClockReader() override { vxextent(nullptr); }
};

TEST_F(ClockReader, ReturnsGmtMinusOffsetFromRequest16)
{
    ClockOnlyHandle fake;
    vxextent(&fake.h);
    const struct { double gmt, offset; } cases[] = {
        {1796515200.25, 0.0}, {1796515200.25, -3600.0}, {1796515200.25, 19800.0}, {0.0, 0.0}, {-1.5, 2.0}};
    for (const auto& c : cases) {
        ClockOnlyHandle::gmt = c.gmt;
        ClockOnlyHandle::offset = c.offset;
        EXPECT_EQ(vxzdttme(), c.gmt - c.offset);
        EXPECT_EQ(ClockOnlyHandle::lastRequest, 16);
        EXPECT_EQ(ClockOnlyHandle::lastFlags, 0x10800000u);
    }
}

/* Both fallbacks read the local wall clock; compare with the C library's. */
TEST_F(ClockReader, FallsBackToLocalWallClock)
{
    auto localNow = [] {
        time_t now = time(nullptr);
        tm local{};
        localtime_r(&now, &local);
        return static_cast<double>(now) + static_cast<double>(local.tm_gmtoff);
    };
    vxextent(nullptr);
    EXPECT_NEAR(vxzdttme(), localNow(), 2.0);

    ClockOnlyHandle fake;
    ClockOnlyHandle::answer = static_cast<VXStatus>(0x803FC009u);
    vxextent(&fake.h);
    EXPECT_NEAR(vxzdttme(), localNow(), 2.0);
    ClockOnlyHandle::answer = 0;
}

TEST(HostBinding, SecondVxextverWinsAndVersionIsReportedEachTime)
{
    VXHndl a{}, b{};
    for (VXHndl* h : {&a, &b}) {
        size_t major = 0, minor = 0;
        EXPECT_EQ(vxextver(h, &major, &minor), 0);
        EXPECT_EQ(Exported_VXHandle, h);
        EXPECT_EQ((std::array<size_t, 2>{major, minor}), (std::array<size_t, 2>{9, 1}));
    }
    vxextent(&a);
    EXPECT_EQ(Exported_VXHandle, &a);
    vxextent(nullptr);
}

class Entry : public HostFixture {
protected:
    VXALEA* load()
    {
        VXExtensionh e = vxalea(handle(), nullptr);
        return reinterpret_cast<VXALEA*>(e);
    }
    static vxaleaPrivate* priv(VXALEA* ext) { return static_cast<vxaleaPrivate*>(ext->privatePtr); }
};

TEST_F(Entry, BuildsRecordWithOnlyTheDocumentedFieldsSet)
{
    size_t pools = vxhost_live_pools(host());
    VXALEA* ext = load();
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(vxhost_live_pools(host()), pools + 1);
    EXPECT_NE(ext->Pool, nullptr);
    EXPECT_NE(ext->runTask, nullptr);
    EXPECT_NE(ext->generic.getReqVersion, nullptr);
    EXPECT_NE(ext->generic.getVersion, nullptr);
    EXPECT_NE(ext->generic.realDestroy, nullptr);
    EXPECT_EQ(ext->generic.generic.oven, 0u);
    EXPECT_EQ(ext->generic.generic.name, nullptr);
    EXPECT_EQ(ext->generic.generic.destroy, nullptr);
    EXPECT_EQ(ext->generic.hndl, nullptr);
    EXPECT_EQ(ext->generic.findFunction, nullptr);
    EXPECT_EQ(ext->generic.handle, nullptr);
    /* Both records live in the module's pool. */
    EXPECT_EQ(vxhost_pool_live(ext->Pool), 2u);

    vxaleaPrivate* p = priv(ext);
    ASSERT_NE(p, nullptr);
    EXPECT_NE(p->sharedLock, nullptr);
    EXPECT_GE(p->clockBasedSeed, 1);
    EXPECT_LE(p->clockBasedSeed, 1000000000);
    EXPECT_EQ(p->initialSeed, 0);
    EXPECT_EQ(p->nThreads, 0);
    EXPECT_EQ(p->streamStatus, 0u);
    EXPECT_EQ(p->mrsnPtrs, nullptr);
    EXPECT_EQ(p->nCallers, 0);
    EXPECT_EQ(p->initialized, 0);

    size_t a = 0, b = 0, c = 0;
    EXPECT_EQ(ext->generic.getReqVersion(&ext->generic, &a, &b, &c), 0);
    EXPECT_EQ((std::array<size_t, 3>{a, b, c}), (std::array<size_t, 3>{9, 1, 1}));
    EXPECT_EQ(ext->generic.getVersion(nullptr, &a, &b, &c), 0);
    EXPECT_EQ((std::array<size_t, 3>{a, b, c}), (std::array<size_t, 3>{1, 0, 0}));

    EXPECT_EQ(ext->generic.realDestroy(nullptr), 0);
    EXPECT_EQ(vxhost_live_pools(host()), pools + 1) << "destroying null does nothing";
    EXPECT_EQ(ext->generic.realDestroy(&ext->generic), 0);
    EXPECT_EQ(vxhost_live_pools(host()), pools);
    EXPECT_EQ(vxhost_live_allocations(host()), 0u);
}

TEST_F(Entry, ClockBasedSeedFollowsTheClockAndStaysInRange)
{
    /* The seed is the clock's fraction of a thousand seconds in
     * nanoseconds, plus one, capped at 10^9; worked out once in double
     * arithmetic and reviewed.  Rows where rounding decides are the point:
     * 1e-6 s gives 2 (x * 1e9 rounds just above 1), 1e300 s gives 1 (x is
     * whole), and the cap is met from below and from negative clocks. */
    const struct {
        double clock;
        int32_t seed;
    } rows[] = {
        {0.0, 1},                    {0.000001, 2},          {999.9999999999, 1000000000},
        {1000.0, 1},                 {1234567.891, 567891001}, {-5.0, 995000001},
        {-0.0000001, 1000000000},    {1796515200.125, 200125000}, {4.5e15, 1},
        {1e300, 1},                  {86399.999999, 400000000}, {1796515199.99999, 199999990},
        {12345.6789e3, 678900001},   {-1e9 + 0.37, 370001},  {7.0e-300, 1},
    };
    for (const auto& row : rows) {
        vxhost_clock_freeze(host(), row.clock);
        VXALEA* ext = load();
        ASSERT_NE(ext, nullptr);
        EXPECT_EQ(priv(ext)->clockBasedSeed, row.seed) << "clock " << row.clock;
        ext->generic.realDestroy(&ext->generic);
    }
    vxhost_clock_freeze(host(), std::nan(""));
}

TEST_F(Entry, EverySetUpFailureOrNoHostReturnsNullAndLeavesNoPool)
{
    size_t pools = vxhost_live_pools(host());

    // 0: the pool, 1: the lock, 2 and 3: the first and second allocation.
    for (int k = 0; k < 4; ++k) {
        if (k < 2) (k == 0 ? vxhost_fail_pool_create : vxhost_fail_lock_create)(host(), 1);
        else vxhost_fail_new_pools_at(host(), k - 1);
        EXPECT_EQ(load(), nullptr) << "failure " << k;
        EXPECT_EQ(vxhost_live_pools(host()), pools) << "failure " << k;
    }
    vxhost_fail_new_pools_at(host(), 3);
    VXALEA* ext = load();
    ASSERT_NE(ext, nullptr) << "the entry makes exactly two allocations";
    vxhost_fail_new_pools_at(host(), 0);
    ext->generic.realDestroy(&ext->generic);

    EXPECT_EQ(vxhost_live_allocations(host()), 0u);
    EXPECT_EQ(vxhost_journal_count(host()), 0u) << "the entry reports nothing";

    /* No host: no record. */
    vxextent(nullptr);
    EXPECT_EQ(vxalea(handle(), nullptr), nullptr);
    vxextent(handle());
    EXPECT_EQ(vxhost_live_pools(host()), pools);
}

TEST_F(Entry, DispatchRejectsUnknownTasksWithoutTheLockAndNeedsTheLock)
{
    VXALEA* ext = load();
    ASSERT_NE(ext, nullptr);
    vxaleaTaskParms block{};
    uint64_t before = vxhost_lock_acquisitions(host());
    for (int32_t type : {0, 4, 5, -1, 99, INT32_MIN, INT32_MAX})
        EXPECT_EQ(ext->runTask(ext, type, &block, sizeof block), static_cast<VXStatus>(0x803FC009u))
            << "task " << type;
    EXPECT_EQ(vxhost_lock_acquisitions(host()), before);

    /* A missing block is refused before the lock is taken. */
    EXPECT_EQ(ext->runTask(ext, VXALEA_TASK_ATTACH, nullptr, 0), static_cast<VXStatus>(0x803FC002u));
    EXPECT_EQ(vxhost_lock_acquisitions(host()), before);

    /* Attach without an array, then detach: each takes the lock once and
     * gives it back (a second task would otherwise wait for ever). */
    EXPECT_EQ(ext->runTask(ext, VXALEA_TASK_ATTACH, &block, sizeof block), 0);
    EXPECT_EQ(block.generators, nullptr);
    EXPECT_EQ(ext->runTask(ext, VXALEA_TASK_DETACH, &block, sizeof block), 0);
    EXPECT_EQ(vxhost_lock_acquisitions(host()), before + 2);

    /* The lock not obtained: nothing done, and no error either. */
    vxhost_lock_fail(host(), static_cast<VXStatus>(0x803FC100u));
    block = {};
    block.nGenerators = 4;
    for (int32_t type : {VXALEA_TASK_ATTACH, VXALEA_TASK_SEED, VXALEA_TASK_DETACH})
        EXPECT_EQ(ext->runTask(ext, type, &block, sizeof block), 0) << "task " << type;
    vxhost_lock_fail(host(), 0);
    EXPECT_EQ(priv(ext)->nCallers, 0);
    EXPECT_EQ(priv(ext)->mrsnPtrs, nullptr);
    EXPECT_EQ(block.generators, nullptr);
    EXPECT_EQ(block.seedInUse, 0);
    ext->generic.realDestroy(&ext->generic);
}

TEST(BuildInfo, StringsAreTerminatedAndNameTheRelease)
{
    vxaleaBuildInfo info;
    std::memset(&info, 0x5A, sizeof info);
    vxvercn1(&info);
    auto terminated = [](const auto& field) { return std::memchr(field, 0, sizeof field) != nullptr; };
    for (bool t : {terminated(info.buildDate), terminated(info.product), terminated(info.version),
                   terminated(info.hotfix), terminated(info.description), terminated(info.buildTime)})
        EXPECT_TRUE(t);
    EXPECT_STREQ(info.product, "vxalea");
    EXPECT_STREQ(info.version, "1.0.0");
    EXPECT_GT(info.buildEpoch, 0);
    vxvercn1(nullptr);
}

} // namespace
