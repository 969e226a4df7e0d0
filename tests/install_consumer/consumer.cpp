// Loads the installed module through the C++ layer, with no search path and
// no environment variable, and checks an MT64 stream (the default of
// stream64) against the published first output of seed 5489.  Prints "ok"
// and the module's path.
#include <cstdio>

#include <vxalea/vxalea.hpp>

int main()
try {
    vxalea::host host;
    vxalea::module mod(host);
    vxalea::pool pool(host);
    vxalea::stream64 s(mod, pool, {.seed = 5489});
    if (s.method() != "MT64" || s() != 14514284786278117030ull) {
        std::puts("wrong first output");
        return 1;
    }
#ifdef LINKS_MODULE
    // Linked and loaded, the module is one library, not two copies with a state each.
    if (mod.symbol("zmrsrnd") != reinterpret_cast<void*>(&zmrsrnd)) {
        std::puts("the loader found another copy of the module");
        return 1;
    }
#endif
    std::printf("ok %s\n", mod.path());
    return 0;
} catch (const vxalea::error& e) {
    std::printf("%s\n", e.what());
    return 1;
}
