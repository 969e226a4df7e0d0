// The module's dynamic symbol table is its ABI: exactly the exported
// functions and the host handle, nothing from the C++ runtime, the engine
// template or the samplers' helpers, and no weak placeholder left standing.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

std::set<std::string> exported()
{
    std::set<std::string> s = {
        "Exported_VXHandle", "vxalea", "vxexp", "vxextent", "vxextver", "vxnrcget", "vxnrdget", "vxnrdset",
        "vxnrlget", "vxnrlimit", "vxnrlook", "vxnrlset", "vxnrstol", "vxnrtget", "vxnrtset", "vxpow", "vxvercn1",
        "vxzGetTpFromUTF8", "vxzGetTpToUTF8", "vxzdttme", "zCharToVXChar", "zCompFromVXChar", "zCompToVXChar",
        "zLocaleh", "zSessCei", "zSessFromVXChar", "zSessToVXChar", "zln1px", "zlnSumOfExp", "zmrsCloneState32",
        "zmrsReset32", "zmrsetp", "zmrsrnd", "zmurmur128", "zmurmur32", "zmurmur64", "zpvnls", "zrand_alloc_vx",
        "zrand_check", "zrand_clone", "zrand_clone_vx", "zrand_crude", "zrand_init", "zrand_method", "zrand_rewind",
        "zrand_seed", "zrngd2i", "zrngi31", "zrngi64", "zrngmeth", "zrngmsg", "zrngt32", "zrngt64", "ztorvel"};
    for (const char* d : {"BERNOULLI", "BETA", "BINOMIAL", "CAUCHY", "CHISQUARE", "ERLANG", "EXPONENTIAL", "F", "GAMMA",
                          "GEOMETRIC", "HYPERGEOMETRIC", "LOGNORMAL", "NEGBINOMIAL", "NORMAL", "POISSON", "T", "TABLE",
                          "TRIANGLE", "UNIFORM", "WEIBULL"})
        s.insert(std::string("FillTheBuffer") + d), s.insert(std::string("GetOneVariate") + d);
    for (const char* e : {"FRY2X32", "FRY2X64", "FRY4X64", "MH3", "MT1998", "MT32", "MT64", "MTHYBRID", "PCG32I",
                          "PCG64I", "RDRAND", "SUBKEY32", "SUBKEY64", "TORVEL", "XOR1024", "XOR128", "XOR4096", "XOR64",
                          "XORGENS"})
        s.insert(std::string("zrnf") + e);
    return s;
}

TEST(Exports, DynamicSymbolsAreExactlyTheAbi)
{
    const std::set<std::string> expected = exported();
    std::set<std::string> seen;
    FILE* pipe = popen(("nm -D --defined-only " + std::string(VXALEA_MODULE_DIR) + "/libvxalea.so").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    for (char line[512], kind, name[400]; std::fgets(line, sizeof line, pipe);) {
        if (std::sscanf(line, "%*s %c %399s", &kind, name) != 2) continue;
        const std::string n(name);
        // Sanitizer builds add their own bookkeeping symbols beside ours.
        if (n.starts_with("__odr_asan") || n.starts_with("__asan") || n.starts_with("__ubsan") ||
            n.starts_with("__tsan"))
            continue;
        seen.insert(n);
        EXPECT_TRUE(expected.count(n)) << "unexpected export " << n;
        EXPECT_FALSE(kind == 'W' || kind == 'V' || kind == 'w' || kind == 'v') << n << " is still a placeholder";
    }
    pclose(pipe);
    ASSERT_FALSE(seen.empty()) << "nm found no symbols in the module";
    for (const auto& name : expected) EXPECT_TRUE(seen.count(name)) << "missing export " << name;
}

} // namespace
