// Every path of the module that allocates, run with its pool failing at the
// k-th allocation for k = 1, 2, ... until the path succeeds: each failure
// gives the path's failure result, leaves no allocation or pool behind, and
// the count of allocations a path makes is the one it is known to make.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ext/vxalea.h"
#include "host/vxhost_api.h"
#include "subs/vxnr.h"
#include "subs/zrand.h"
#include "support/host_fixture.h"

namespace {

class AllocationFailures : public vxtest::HostFixture {
protected:
    // Arms a failure at allocation k, runs the path, disarms; true when the
    // path succeeded.  Between runs the host must hold exactly what it held
    // before the first one, plus what successful runs keep.
    int sweep(const std::string& what, const std::function<void(long)>& arm,
              const std::function<bool()>& run, const std::function<void()>& release = [] {})
    {
        for (long k = 1; k <= 16; ++k) {
            const size_t allocations = vxhost_live_allocations(host());
            const size_t pools = vxhost_live_pools(host());
            arm(k);
            const bool ok = run();
            arm(0);
            if (ok) {
                release();
                return static_cast<int>(k - 1);
            }
            EXPECT_EQ(vxhost_live_allocations(host()), allocations) << what << ", allocation " << k << " failing";
            EXPECT_EQ(vxhost_live_pools(host()), pools) << what << ", allocation " << k << " failing";
        }
        ADD_FAILURE() << what << " never succeeded";
        return -1;
    }
};

TEST_F(AllocationFailures, EveryAllocatingPathFailsCleanlyAtEveryAllocation)
{
    VXPoolh pool = vxhost_pool_create(host(), "sweep");
    ASSERT_NE(pool, nullptr);
    auto poolFails = [&](long k) { vxhost_pool_fail_at(pool, k); };
    auto newPoolsFail = [&](long k) { vxhost_fail_new_pools_at(host(), k); };

    ZRANSTR* made = nullptr;
    EXPECT_EQ(sweep("zrand_alloc_vx", poolFails, [&] { return (made = zrand_alloc_vx(pool)) != nullptr; }), 1);

    ZRANSTR* source = zrand_alloc_vx(pool);
    ASSERT_NE(source, nullptr);
    source->UserMethod = const_cast<char*>("MT64");
    source->UserSeed = 99.0;
    ASSERT_EQ(zrand_init(source), 0);
    ZRAND_S* clone = nullptr;
    EXPECT_EQ(sweep("zrand_clone_vx", poolFails,
                    [&] { return (clone = zrand_clone_vx(pool, 3, reinterpret_cast<ZRAND_S*>(source))) != nullptr; }),
              2)
        << "the record and the engine's blob";
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->Key, 3u);

    VXALEA* ext = nullptr;
    EXPECT_EQ(sweep("the entry", newPoolsFail, [&] { return (ext = reinterpret_cast<VXALEA*>(vxalea(handle(), nullptr))) != nullptr; }),
              2)
        << "the extension record and its private record";
    ASSERT_NE(ext, nullptr);

    vxaleaTaskParms parms{};
    EXPECT_EQ(sweep("attaching to the shared generators", [&](long k) { vxhost_pool_fail_at(ext->Pool, k); },
                    [&] {
                        parms = {};
                        parms.nGenerators = 3;
                        const VXStatus s = ext->runTask(ext, VXALEA_TASK_ATTACH, &parms, sizeof parms);
                        EXPECT_TRUE(s == 0 || s == VX_STATUS_NULL_ARGUMENT) << s;
                        return s == 0;
                    }),
              1)
        << "the array";
    ASSERT_NE(parms.generators, nullptr);
    vxaleaTaskParms detach{};
    EXPECT_EQ(ext->runTask(ext, VXALEA_TASK_DETACH, &detach, sizeof detach), 0);
    ext->generic.realDestroy(&ext->generic);

    // A registry value longer than the stack buffer is read again through a
    // scratch pool; without one it is cut, never lost past the buffer.
    const std::string longValue(700, 'v');
    setText("SWEEP.LONG", longValue);
    vxtest::VxText name("SWEEP.LONG");
    char out[1024];
    int got = 0;
    EXPECT_EQ(sweep("vxnrcget", newPoolsFail,
                    [&] {
                        got = vxnrcget(name, -1, out, sizeof out);
                        return got == static_cast<int>(longValue.size());
                    }),
              1)
        << "the scratch buffer";
    EXPECT_EQ(std::string(out), longValue);
    vxhost_fail_pool_create(host(), 1);
    EXPECT_EQ(vxnrcget(name, -1, out, sizeof out), 512) << "no scratch pool: the stack buffer's worth";
    EXPECT_EQ(std::string(out), longValue.substr(0, 512));

    pool->destroy(pool);
    EXPECT_EQ(vxhost_live_allocations(host()), 0u);
}

} // namespace
