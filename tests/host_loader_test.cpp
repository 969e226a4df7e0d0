/* Loading the real module by name into a host, and the loader's refusals. */
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "ext/vxalea.h"
#include "host/vxhost_testing.h"
#include "support/host_fixture.h"

namespace {

namespace fs = std::filesystem;

class LoaderTest : public vxtest::HostFixture {
protected:
    ~LoaderTest() override
    {
        if (!scratch.empty()) fs::remove_all(scratch);
    }

    /* A directory holding lib<name>.so as a link to target. */
    std::string dirWith(const std::string& name, const fs::path& target)
    {
        if (scratch.empty()) {
            char tmpl[] = "/tmp/vxhost_loader_XXXXXX";
            scratch = mkdtemp(tmpl);
        }
        fs::create_symlink(target, fs::path(scratch) / ("lib" + name + ".so"));
        return scratch;
    }

    std::string error() const { return vxhost_last_error(host()); }

    std::string scratch;
};

TEST_F(LoaderTest, LoadsTheModuleByNameAndReportsVersions)
{
    VXHostModule* m = vxhost_load(host(), "vxalea", VXALEA_MODULE_DIR);
    ASSERT_NE(m, nullptr) << error();
    EXPECT_EQ(fs::path(vxhost_module_path(m)), fs::path(VXALEA_MODULE_DIR) / "libvxalea.so");
    std::array<size_t, 3> req{}, ver{};
    vxhost_module_versions(m, req.data(), ver.data());
    EXPECT_EQ(req, (std::array<size_t, 3>{9, 1, 1}));
    EXPECT_EQ(ver, (std::array<size_t, 3>{1, 0, 0}));

    /* The header fields the host fills. */
    auto* ext = static_cast<VXExtension*>(vxhost_module_extension(m));
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(ext->hndl, vxhost_handle(host()));
    EXPECT_NE(ext->handle, nullptr);
    EXPECT_STREQ(ext->generic.name, "vxalea");
    ASSERT_NE(ext->findFunction, nullptr);
    void* ver1 = vxhost_module_symbol(m, "vxvercn1");
    EXPECT_NE(ver1, nullptr);
    EXPECT_EQ(ext->findFunction(ext, "vxvercn1"), ver1);
    EXPECT_EQ(vxhost_module_symbol(m, "no_such_symbol"), nullptr);

    /* The entry made its work pool and its lock; an unknown task does not
     * take the lock. */
    EXPECT_EQ(vxhost_live_pools(host()), 1u);
    EXPECT_GT(vxhost_live_allocations(host()), 0u);
    auto* rec = reinterpret_cast<VXALEA*>(ext);
    ASSERT_NE(rec->runTask, nullptr);
    EXPECT_EQ(rec->runTask(rec, 4, nullptr, 0), VX_STATUS_UNSUPPORTED);
    EXPECT_EQ(vxhost_lock_acquisitions(host()), 0u);

    vxhost_unload(m);
    EXPECT_EQ(vxhost_live_pools(host()), 0u);
    EXPECT_EQ(vxhost_live_allocations(host()), 0u);
}

TEST_F(LoaderTest, FindsTheModuleThroughTheEnvironmentAndReloads)
{
    ASSERT_EQ(setenv("VXHOST_MODULE_PATH", "/nonexistent:" VXALEA_MODULE_DIR, 1), 0);
    VXHostModule* m = vxhost_load(host(), "vxalea", nullptr);
    unsetenv("VXHOST_MODULE_PATH");
    ASSERT_NE(m, nullptr) << error();
    vxhost_unload(m);
    /* Unloaded and loaded again: the new copy binds this host afresh, and
     * writes catalogue messages to its journal (errors are shown with no
     * configuration) and its limit counter to its registry. */
    m = vxhost_load(host(), "vxalea", VXALEA_MODULE_DIR);
    ASSERT_NE(m, nullptr) << error();
    EXPECT_EQ(vxhost_live_pools(host()), 1u);
    using Msg = VXStatus (*)(VXSeverity, VXStatus, ...);
    auto zrngmsg = reinterpret_cast<Msg>(vxhost_module_symbol(m, "zrngmsg"));
    ASSERT_NE(zrngmsg, nullptr);
    clearJournal();
    const VXStatus code = static_cast<VXStatus>(0x8C7FE852u);
    EXPECT_EQ(zrngmsg(VXSeverityError, code, "MT64", static_cast<VXMemSize>(2504)), 0);
    EXPECT_EQ(journal(), (std::vector<vxtest::JournalEntry>{
                             vxtest::status(VXSeverityError, code, "MT64", static_cast<size_t>(2504))}));
    EXPECT_EQ(kind("OSENV.QOR_RNG_ERROR_LIMIT"), VXNameQORLong);
    /* Left loaded on purpose: vxhost_destroy unloads it (the leak checker
     * of the sanitizer build watches this). */
}

TEST_F(LoaderTest, RefusesWithAClearReason)
{
    EXPECT_EQ(vxhost_load(host(), "vxnothere", VXALEA_MODULE_DIR), nullptr);
    EXPECT_NE(error().find("module 'vxnothere' not found on search path"), std::string::npos) << error();
    EXPECT_NE(error().find(VXALEA_MODULE_DIR), std::string::npos) << error();

    EXPECT_EQ(vxhost_load(host(), "../lib/vxalea", VXALEA_MODULE_DIR), nullptr);
    EXPECT_NE(error().find("invalid module name"), std::string::npos) << error();
    EXPECT_EQ(vxhost_load(host(), nullptr, nullptr), nullptr);
    EXPECT_EQ(vxhost_load(host(), "", nullptr), nullptr);

    /* A library that is no module at all. */
    const fs::path libm = "/lib/x86_64-linux-gnu/libm.so.6";
    if (fs::exists(libm)) {
        std::string dir = dirWith("notamodule", libm);
        EXPECT_EQ(vxhost_load(host(), "notamodule", dir.c_str()), nullptr);
        EXPECT_NE(error().find("symbol vxextver missing in"), std::string::npos) << error();
    }
    /* The module under a name it has no entry for. */
    std::string dir = dirWith("other", fs::path(VXALEA_MODULE_DIR) / "libvxalea.so");
    EXPECT_EQ(vxhost_load(host(), "other", dir.c_str()), nullptr);
    EXPECT_NE(error().find("entry function 'other' missing"), std::string::npos) << error();
    EXPECT_EQ(vxhost_live_pools(host()), 0u);
}

TEST_F(LoaderTest, AFailingEntryLeavesNothingBehind)
{
    vxhost_fail_pool_create(host(), 1);
    EXPECT_EQ(vxhost_load(host(), "vxalea", VXALEA_MODULE_DIR), nullptr);
    EXPECT_NE(error().find("entry 'vxalea'"), std::string::npos) << error();
    EXPECT_NE(error().find("returned null"), std::string::npos) << error();

    EXPECT_EQ(vxhost_live_pools(host()), 0u);
    EXPECT_EQ(vxhost_live_allocations(host()), 0u);

    VXHostModule* m = vxhost_load(host(), "vxalea", VXALEA_MODULE_DIR);
    ASSERT_NE(m, nullptr) << error();
    vxhost_unload(m);
    EXPECT_EQ(vxhost_live_pools(host()), 0u);
    EXPECT_EQ(vxhost_live_allocations(host()), 0u);
    EXPECT_EQ(vxhost_host_errors(host()), 0u);
}

TEST(HostInfoTool, PrintsVersionsAndFailsClearly)
{
    const std::string tool = std::string(VXALEA_BIN_DIR) + "/vxhostinfo";
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "vxhostinfo not built";
    FILE* p = popen((tool + " -p " VXALEA_MODULE_DIR " OSENV.QOR_RNG_MESSAGES=ALL 2>&1").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[4096];
    const std::string text(buf, std::fread(buf, 1, sizeof buf, p));
    EXPECT_EQ(pclose(p), 0) << text;
    EXPECT_NE(text.find("requires host   9.1.1"), std::string::npos) << text;
    EXPECT_NE(text.find("module version  1.0.0"), std::string::npos) << text;
    int rc = std::system((tool + " -p /nonexistent > /dev/null 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 1);
}

} // namespace
