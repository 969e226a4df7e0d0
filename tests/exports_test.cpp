// The module's dynamic symbol table is its ABI: exactly the exported
// functions and the host handle, nothing from the C++ runtime, the engine
// template or the samplers' helpers, and no weak placeholder left standing.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::set<std::string> kExported = {
    "Exported_VXHandle", "FillTheBufferBERNOULLI", "FillTheBufferBETA",
    "FillTheBufferBINOMIAL", "FillTheBufferCAUCHY", "FillTheBufferCHISQUARE",
    "FillTheBufferERLANG", "FillTheBufferEXPONENTIAL", "FillTheBufferF",
    "FillTheBufferGAMMA", "FillTheBufferGEOMETRIC", "FillTheBufferHYPERGEOMETRIC",
    "FillTheBufferLOGNORMAL", "FillTheBufferNEGBINOMIAL", "FillTheBufferNORMAL",
    "FillTheBufferPOISSON", "FillTheBufferT", "FillTheBufferTABLE",
    "FillTheBufferTRIANGLE", "FillTheBufferUNIFORM", "FillTheBufferWEIBULL",
    "GetOneVariateBERNOULLI", "GetOneVariateBETA", "GetOneVariateBINOMIAL",
    "GetOneVariateCAUCHY", "GetOneVariateCHISQUARE", "GetOneVariateERLANG",
    "GetOneVariateEXPONENTIAL", "GetOneVariateF", "GetOneVariateGAMMA",
    "GetOneVariateGEOMETRIC", "GetOneVariateHYPERGEOMETRIC",
    "GetOneVariateLOGNORMAL", "GetOneVariateNEGBINOMIAL", "GetOneVariateNORMAL",
    "GetOneVariatePOISSON", "GetOneVariateT", "GetOneVariateTABLE",
    "GetOneVariateTRIANGLE", "GetOneVariateUNIFORM", "GetOneVariateWEIBULL",
    "vxalea", "vxexp", "vxextent", "vxextver", "vxnrcget", "vxnrdget", "vxnrdset",
    "vxnrlget", "vxnrlimit", "vxnrlook", "vxnrlset", "vxnrstol", "vxnrtget",
    "vxnrtset", "vxpow", "vxvercn1", "vxzGetTpFromUTF8", "vxzGetTpToUTF8",
    "vxzdttme", "zCharToVXChar", "zCompFromVXChar", "zCompToVXChar", "zLocaleh",
    "zSessCei", "zSessFromVXChar", "zSessToVXChar", "zln1px", "zlnSumOfExp",
    "zmrsCloneState32", "zmrsReset32", "zmrsetp", "zmrsrnd", "zmurmur128",
    "zmurmur32", "zmurmur64", "zpvnls", "zrand_alloc_vx", "zrand_check",
    "zrand_clone", "zrand_clone_vx", "zrand_crude", "zrand_init", "zrand_method",
    "zrand_rewind", "zrand_seed", "zrnfFRY2X32", "zrnfFRY2X64", "zrnfFRY4X64",
    "zrnfMH3", "zrnfMT1998", "zrnfMT32", "zrnfMT64", "zrnfMTHYBRID", "zrnfPCG32I",
    "zrnfPCG64I", "zrnfRDRAND", "zrnfSUBKEY32", "zrnfSUBKEY64", "zrnfTORVEL",
    "zrnfXOR1024", "zrnfXOR128", "zrnfXOR4096", "zrnfXOR64", "zrnfXORGENS",
    "zrngd2i", "zrngi31", "zrngi64", "zrngmeth", "zrngmsg", "zrngt32", "zrngt64",
    "ztorvel"
};

struct Symbol {
    std::string name;
    char kind;
};

std::vector<Symbol> dynamicSymbols(const std::string& library)
{
    std::vector<Symbol> out;
    const std::string command = "nm -D --defined-only " + library;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char address[64], kind, name[400];
        if (std::sscanf(line, "%63s %c %399s", address, &kind, name) != 3) continue;
        // Sanitizer builds add their own bookkeeping symbols beside ours.
        const std::string_view n(name);
        if (n.starts_with("__odr_asan") || n.starts_with("__asan") || n.starts_with("__ubsan") ||
            n.starts_with("__tsan"))
            continue;
        out.push_back({name, kind});
    }
    pclose(pipe);
    return out;
}

TEST(Exports, DynamicSymbolsAreExactlyTheAbi)
{
    const auto symbols = dynamicSymbols(std::string(VXALEA_MODULE_DIR) + "/libvxalea.so");
    ASSERT_FALSE(symbols.empty()) << "nm found no symbols in the module";
    std::set<std::string> seen;
    for (const auto& s : symbols) {
        seen.insert(s.name);
        EXPECT_TRUE(kExported.count(s.name)) << "unexpected export " << s.name;
        const bool weak = s.kind == 'W' || s.kind == 'V' || s.kind == 'w' || s.kind == 'v';
        EXPECT_FALSE(weak) << s.name << " is still a placeholder";
    }
    for (const auto& name : kExported) EXPECT_TRUE(seen.count(name)) << "missing export " << name;
}

} // namespace
