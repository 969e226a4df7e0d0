/* The nineteen engines by the names the module's method table accepts: each
 * engine's own name (its set-up function is zrnf<name>) and its aliases.
 * Everything else about an engine is read from the descriptor its set-up
 * fills, so this is the one list a program needs to walk them all. */
#ifndef VXALEA_ENGINES_HPP
#define VXALEA_ENGINES_HPP

#include <array>
#include <string_view>

namespace vxalea {

struct engine_name {
    std::string_view name;
    std::array<std::string_view, 4> aliases; /* unused places are empty */
};

inline constexpr engine_name engine_names[] = {
    {"MTHYBRID", {}},
    {"MT1998", {}},
    {"MT32", {"MT2002"}},
    {"MT64", {"MT"}},
    {"MH3", {}},
    {"PCG32I", {}},
    {"PCG64I", {"PCG"}},
    {"RDRAND", {"HARDWARE", "HARD", "TRNG"}},
    {"FRY2X32", {"THREEFRY2X32"}},
    {"FRY2X64", {"THREEFRY2X64", "TF2"}},
    {"FRY4X64", {"THREEFRY4X64", "THREEFRY", "TF4", "TF"}},
    {"XOR64", {}},
    {"XOR128", {}},
    {"XOR1024", {}},
    {"XOR4096", {}},
    {"XORGENS", {}},
    {"SUBKEY32", {}},
    {"SUBKEY64", {}},
    {"TORVEL", {}},
};

} // namespace vxalea

#endif
