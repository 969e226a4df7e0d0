/* The project's host kernel, service by service, through the records the
 * module sees (VXHndl and what it hands out) and the embedding API. */
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <thread>
#include <vector>

#include "host/vxhost_testing.h"
#include "support/host_fixture.h"

namespace {

const VXChar* vx(const char32_t* s) { return reinterpret_cast<const VXChar*>(s); }

class HostTest : public vxtest::HostFixture {
protected:
    /* Formats through the handle's journal, as the module does. */
    std::string fmt(const char32_t* format, ...)
    {
        va_list ap;
        va_start(ap, format);
        VXStatus s = h->vxjnl->messageToJnl(h->vxjnl, VXSeverityNote, vx(format), 0, ap);
        va_end(ap);
        EXPECT_EQ(s, 0);
        return journal().empty() ? "<no line>" : journal().back().text;
    }

    VXHndlp h = handle();
};

/* ---- pools --------------------------------------------------------------------- */

TEST_F(HostTest, PoolsCountLiveBlocksAndDestroyReleasesThem)
{
    VXPoolParms parms{0, 0, nullptr};
    VXPoolh a = h->poolCreate(h, &parms, nullptr, "A");
    VXPoolh b = vxhost_pool_create(host(), "B");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(vxhost_live_pools(host()), 2u);

    std::vector<void*> blocks;
    for (int i = 0; i < 10; ++i) blocks.push_back(a->memAlloc(a, 16 * i, 0));
    void* fromB = b->memAlloc(b, 100, 0);
    EXPECT_EQ(vxhost_pool_live(a), 10u);
    EXPECT_EQ(vxhost_pool_live(b), 1u);
    EXPECT_EQ(vxhost_live_allocations(host()), 11u);

    a->memFree(a, blocks[3]);
    a->memFree(a, fromB);       /* not a's: survived and counted */
    int local = 0;
    a->memFree(a, &local);      /* not heap memory at all */
    a->memFree(a, nullptr);     /* nothing to do, not an error */
    EXPECT_EQ(vxhost_pool_live(a), 9u);
    EXPECT_EQ(vxhost_pool_live(b), 1u);
    EXPECT_EQ(vxhost_host_errors(host()), 2u);

    a->destroy(a);
    EXPECT_EQ(vxhost_live_pools(host()), 1u);
    EXPECT_EQ(vxhost_live_allocations(host()), 1u);
    b->destroy(b);
    EXPECT_EQ(vxhost_live_pools(host()), 0u);
    EXPECT_EQ(vxhost_live_allocations(host()), 0u);
}

/* The failure instruments the other tests rely on fail exactly where asked. */
TEST_F(HostTest, PoolsAllocationsAndLocksFailOnDemand)
{
    VXPoolh p = vxhost_pool_create(host(), "p");
    ASSERT_NE(p->memAlloc(p, 8, 0), nullptr);
    vxhost_pool_fail_at(p, 3);
    EXPECT_NE(p->memAlloc(p, 8, 0), nullptr);
    EXPECT_NE(p->memAlloc(p, 8, 0), nullptr);
    EXPECT_EQ(p->memAlloc(p, 8, 0), nullptr);
    EXPECT_EQ(p->memAlloc(p, 8, 0), nullptr); /* and every later one */
    vxhost_pool_fail_at(p, 0);
    EXPECT_NE(p->memAlloc(p, 8, 0), nullptr);
    EXPECT_EQ(vxhost_pool_live(p), 4u);

    vxhost_fail_new_pools_at(host(), 2);
    VXPoolParms parms{VX_MEM_ZERO, 0, nullptr};
    VXPoolh q = h->poolCreate(h, &parms, nullptr, "WORKPOOL");
    EXPECT_NE(q->memAlloc(q, 8, 0), nullptr);
    EXPECT_EQ(q->memAlloc(q, 8, 0), nullptr);
    EXPECT_NE(p->memAlloc(p, 8, 0), nullptr) << "older pools are not affected";
    vxhost_fail_new_pools_at(host(), 0);
    VXPoolh r = h->poolCreate(h, &parms, nullptr, "r");
    EXPECT_NE(r->memAlloc(r, 8, 0), nullptr);
    EXPECT_NE(r->memAlloc(r, 8, 0), nullptr);

    VXLockParms lp{};
    vxhost_fail_pool_create(host(), 2);
    EXPECT_EQ(h->poolCreate(h, &parms, nullptr, "x"), nullptr);
    EXPECT_EQ(h->poolCreate(h, &parms, nullptr, "x"), nullptr);
    EXPECT_NE(h->poolCreate(h, &parms, nullptr, "x"), nullptr);
    vxhost_fail_pool_create(host(), -1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(h->poolCreate(h, &parms, nullptr, "x"), nullptr);
    vxhost_fail_pool_create(host(), 0);
    EXPECT_NE(h->poolCreate(h, &parms, nullptr, "x"), nullptr);

    vxhost_fail_lock_create(host(), 1);
    EXPECT_EQ(h->lockCreate(h, &lp, nullptr, nullptr), nullptr);
    VXLockh l = h->lockCreate(h, &lp, nullptr, nullptr);
    ASSERT_NE(l, nullptr);
    l->destroy(l);
    EXPECT_EQ(vxhost_live_pools(host()), 5u);
}

/* ---- lock -------------------------------------------------------------------------- */

TEST_F(HostTest, LockExcludesAndCountsAcquisitions)
{
    VXLockParms lp{};
    VXLockh l = h->lockCreate(h, &lp, nullptr, nullptr);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->get(l, 1, 1), 0);
    EXPECT_EQ(l->get(l, 1, 1), VXHOST_STATUS_LOCK_BUSY) << "not recursive, and no deadlock";
    VXStatus other = 0;
    std::thread([&] { other = l->get(l, 1, 0); }).join();
    EXPECT_EQ(other, VXHOST_STATUS_LOCK_BUSY);
    std::thread([&] { other = l->release(l); }).join();
    EXPECT_EQ(other, VXHOST_STATUS_LOCK_NOT_HELD);
    EXPECT_EQ(l->release(l), 0);
    EXPECT_EQ(l->release(l), VXHOST_STATUS_LOCK_NOT_HELD);
    EXPECT_EQ(vxhost_lock_acquisitions(host()), 1u);

    long counter = 0; /* plain: only the lock protects it */
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                ASSERT_EQ(l->get(l, 1, 1), 0);
                ++counter;
                l->release(l);
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(counter, 20000);
    EXPECT_EQ(vxhost_lock_acquisitions(host()), 20001u);

    vxhost_lock_fail(host(), 0x12345678);
    EXPECT_EQ(l->get(l, 1, 1), 0x12345678);
    EXPECT_EQ(vxhost_lock_acquisitions(host()), 20001u);
    vxhost_lock_fail(host(), 0);
    EXPECT_EQ(l->get(l, 1, 1), 0);
    l->destroy(l); /* destroyed while held: allowed */
}

/* ---- journal format language ------------------------------------------------------------ */

TEST_F(HostTest, FormatsTheConversionsTheModuleUses)
{
    EXPECT_EQ(fmt(U"[%s]", vx(U"MT64")), "[MT64]");
    EXPECT_EQ(fmt(U"[%.*S]", 3, vx(U"abcdef")), "[abc]");
    EXPECT_EQ(fmt(U"[%.*S]", 0, vx(U"abcdef")), "[]");
    EXPECT_EQ(fmt(U"[%.*S]", -1, vx(U"abcdef")), "[abcdef]");
    EXPECT_EQ(fmt(U"[%hs]", "label"), "[label]");
    EXPECT_EQ(fmt(U"[%s|%hs|%.*S]", static_cast<VXChar*>(nullptr), static_cast<char*>(nullptr), 4,
                  static_cast<VXChar*>(nullptr)),
              "[(null)|(null)|(null)]");
    EXPECT_EQ(fmt(U"%i %3i %3i", -42, 7, 12345), "-42   7 12345");
    EXPECT_EQ(fmt(U"%lli", -9007199254740992LL), "-9007199254740992");
    EXPECT_EQ(fmt(U"[%20g]", 0.5), "[                 0.5]");
    EXPECT_EQ(fmt(U"[%20g]", 1e300), "[              1e+300]");
    EXPECT_EQ(fmt(U"[%8x]", 0xBEEFu), "[    beef]");
    EXPECT_EQ(fmt(U"[%16llx]", 0x0123456789ABCDEFull), "[ 123456789abcdef]");
    EXPECT_EQ(fmt(U"%zu", static_cast<size_t>(2504)), "2504");
    EXPECT_EQ(fmt(U"%.17g", 0.1), "0.10000000000000001");
}

TEST_F(HostTest, JournalKeepsLinesWithSeverityAndCode)
{
    VXJnlh j = h->vxjnl;
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(vxlMessageToJnl(j, VXSeverityWarning, vx(U"abcdef"), 3), 0);
    EXPECT_EQ(vxlStatusToJnl(j, VXSeverityError, static_cast<VXStatus>(0x8C7FE828u), "MT64"), 0);
    EXPECT_EQ(vxlStatusToJnl(j, VXSeverityNote, 0x12345678, 1, 2, 3), 0);
    /* An explicit format length; a catalogue text; a code without one. */
    EXPECT_EQ(journal(), (std::vector<vxtest::JournalEntry>{
                             {VXSeverityWarning, 0, "abc"},
                             {VXSeverityError, static_cast<VXStatus>(0x8C7FE828u), "Random number method MT64."},
                             {VXSeverityNote, 0x12345678, "status 0x12345678"}}));
    VXJournalLine l{};
    EXPECT_NE(vxhost_journal_line(host(), 3, &l), 0);

    /* Forced failures write nothing and answer the status. */
    vxhost_journal_fail(host(), 0x0BAD0BAD, 2);
    EXPECT_EQ(vxlMessageToJnl(j, VXSeverityNote, vx(U"x"), 0), 0x0BAD0BAD);
    EXPECT_EQ(vxlStatusToJnl(j, VXSeverityNote, 0x803FC002), 0x0BAD0BAD);
    EXPECT_EQ(vxlMessageToJnl(j, VXSeverityNote, vx(U"y"), 0), 0);
    vxhost_journal_fail(host(), 0x0BAD0BAD, -1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(vxlMessageToJnl(j, VXSeverityNote, vx(U"z"), 0), 0x0BAD0BAD);
    vxhost_journal_fail(host(), 0, 0);
    EXPECT_EQ(vxhost_journal_count(host()), 4u);
    EXPECT_EQ(journal().back().text, "y");
    EXPECT_EQ(j->messageToJnl(j, VXSeverityNote, nullptr, 0, nullptr), VX_STATUS_NULL_ARGUMENT);

    vxhost_journal_echo(host(), 1);
    ::testing::internal::CaptureStderr();
    vxlStatusToJnl(j, VXSeverityNote, static_cast<VXStatus>(0x8C7FE828u), "MT64");
    vxlMessageToJnl(j, VXSeverityError, vx(U"free %i"), 0, 7);
    const std::string echoed = ::testing::internal::GetCapturedStderr();
    vxhost_journal_echo(host(), 0);
    EXPECT_EQ(echoed, "[NOTE] 0x8C7FE828 Random number method MT64.\n[ERROR] 0x00000000 free 7\n");

    vxhost_journal_detach(host(), 1);
    EXPECT_EQ(h->vxjnl, nullptr);
    vxhost_journal_detach(host(), 0);
    EXPECT_EQ(h->vxjnl, j);
    vxhost_journal_clear(host());
    EXPECT_EQ(vxhost_journal_count(host()), 0u);
}

/* ---- registry ---------------------------------------------------------------------------------- */

TEST_F(HostTest, RegistryApiSpeaksUtf8AndFailsOnDemand)
{
    ASSERT_EQ(vxhost_set_text(host(), "Größe", "π ≈ 3.14159"), 0);
    ASSERT_EQ(vxhost_set_long(host(), "n", INT64_MIN), 0);
    ASSERT_EQ(vxhost_set_double(host(), "x", -0.25), 0);
    char buf[64];
    EXPECT_EQ(vxhost_get_text(host(), "Größe", nullptr, 0), 14);
    EXPECT_EQ(vxhost_get_text(host(), "Größe", buf, sizeof buf), 14);
    EXPECT_STREQ(buf, "π ≈ 3.14159");
    EXPECT_EQ(vxhost_get_text(host(), "Größe", buf, 2), 14);
    EXPECT_STREQ(buf, "") << "never half a character";
    EXPECT_EQ(vxhost_get_text(host(), "n", buf, sizeof buf), 20);
    EXPECT_STREQ(buf, "-9223372036854775808");
    EXPECT_EQ(vxhost_get_text(host(), "nope", buf, sizeof buf), -1);
    int64_t v = 0;
    double x = 0;
    EXPECT_EQ(vxhost_get_long(host(), "n", &v), 0);
    EXPECT_EQ(v, INT64_MIN);
    EXPECT_EQ(vxhost_get_double(host(), "x", &x), 0);
    EXPECT_EQ(x, -0.25);
    EXPECT_EQ(vxhost_registry_count(host()), 3u);
    EXPECT_EQ(vxhost_remove(host(), "x"), 0);
    EXPECT_EQ(vxhost_remove(host(), "x"), VX_STATUS_NOT_FOUND);
    EXPECT_EQ(vxhost_kind(host(), "x"), 0);

    vxhost_registry_fail(host(), 0x0BADBEEF);
    EXPECT_EQ(vxhost_set_long(host(), "m", 1), 0x0BADBEEF);
    int64_t n = 0;
    VXMemSize size = sizeof n;
    EXPECT_EQ(h->nameGet(h, vx(U"n"), 0, VXNameQORLong, &n, &size), 0x0BADBEEF);
    EXPECT_FALSE(h->nameExists(h, vx(U"n"), 0));
    EXPECT_EQ(vxhost_kind(host(), "n"), VXNameQORLong) << "read-back still sees the entries";
    vxhost_registry_fail(host(), 0);
    EXPECT_EQ(h->nameGet(h, vx(U"n"), 0, VXNameQORLong, &n, &size), 0);
    EXPECT_EQ(n, INT64_MIN);
    EXPECT_EQ(vxhost_kind(host(), "m"), 0);
}

/* ---- teardown ----------------------------------------------------------------------------------- */

TEST(HostLifetime, DestroyReleasesEverythingStillOpen)
{
    /* Under the leak checker this fails if anything survives. */
    VXHost* host = vxhost_create();
    VXHndlp h = vxhost_handle(host);
    VXPoolParms pp{VX_MEM_ZERO, 0, nullptr};
    VXLockParms lp{};
    VXPoolh p = h->poolCreate(h, &pp, nullptr, "WORKPOOL");
    for (int i = 0; i < 10; ++i) p->memAlloc(p, 100, 0);
    VXLockh l = h->lockCreate(h, &lp, nullptr, nullptr);
    l->get(l, 1, 1);
    h->nls->SessToVXChar = h->vxnls->makeToVXChar(h->vxnls, U_UTF8_CE, 0, 0);
    vxhost_set_text(host, "k", "v");
    vxlMessageToJnl(h->vxjnl, VXSeverityNote, vx(U"line"), 0);
    EXPECT_EQ(vxhost_live_allocations(host), 10u);
    vxhost_destroy(host);
    vxhost_destroy(nullptr);
}

} // namespace
