// Which keys and thread numbers each engine applies as substreams of their
// own, read from the descriptors the loaded module fills: prints the markdown
// table of docs/parallel.md.
//
//   substream_limits > table.md
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include <vxalea/substreams.hpp>
#include <vxalea/vxalea.hpp>

namespace {

// Every engine, by family as the guide discusses them.  Everything else in
// the table comes from the engine's own set-up function.
constexpr const char* kEngines[] = {
    "FRY4X64", "FRY2X64", "FRY2X32",                          // Threefry
    "MT64",    "MT32",    "MT1998", "MTHYBRID",               // Mersenne Twisters
    "PCG64I",  "PCG32I",                                      // PCG
    "XOR64",   "XOR128",  "XOR1024", "XOR4096", "XORGENS",    // xorshift
    "MH3",                                                    // hash
    "SUBKEY32", "SUBKEY64", "TORVEL",                         // compatibility
    "RDRAND",                                                 // hardware slot
};

// 2^n - 1 for the all-ones limits, decimal otherwise.
std::string limit(uint64_t v)
{
    if (v >= 1023 && (v == UINT64_MAX || std::has_single_bit(v + 1)))
        return "2^" + std::to_string(std::bit_width(v)) + " − 1";
    return std::to_string(v);
}

} // namespace

int main()
try {
    vxalea::host host;
    vxalea::module mod(host);
    using Setup = void (*)(zrngptr, uint64_t);

    std::printf("| Engine | Bits | Keys | Thread numbers | Note |\n");
    std::printf("|---|---|---|---|---|\n");
    for (const char* name : kEngines) {
        auto setup = reinterpret_cast<Setup>(mod.symbol(("zrnf" + std::string(name)).c_str()));
        if (!setup) {
            std::fprintf(stderr, "substream_limits: the module has no engine %s\n", name);
            return 1;
        }
        ZRNG_S d{};
        setup(&d, 0);
        const vxalea::substream_limits l = vxalea::limits_of(d);
        const std::string keys = l.takes_key ? "1 to " + limit(l.max_key) : "none";
        const std::string threads = !l.takes_thread ? "none"
                                    : l.folded     ? "0 to " + limit(l.max_thread) + ", folded into the key"
                                                   : "0 to " + limit(l.max_thread);
        // A state size of 0 marks an engine that cannot run here; a stream
        // that names it gets MTHYBRID instead.
        const bool available = d.zrng_state_size != 0;
        const std::string bits = available ? std::to_string(d.zrng_bits) : "—";
        const char* note = !available                      ? "not available here: streams naming it run MTHYBRID"
                           : !vxalea::is_statistical(name) ? "compatibility only, not for statistics"
                           : !l.takes_key                  ? "one stream per seed"
                                                           : "";
        std::printf("| %s | %s | %s | %s | %s |\n", name, bits.c_str(), keys.c_str(), threads.c_str(), note);
    }
    return 0;
} catch (const vxalea::error& e) {
    std::fprintf(stderr, "substream_limits: %s\n", e.what());
    return 1;
}
