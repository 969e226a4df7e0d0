/* Every engine of the module, one row each: the engine's name, then the
 * other names method selection accepts for it.  This list is the one place
 * engines are enumerated; the method table, the bulk-fill lookup and the
 * registration check in the engine template are made from it, and tools and
 * tests that need every engine should be too.
 *
 * A row is X(NAME, "ALIAS", ...):
 *   NAME    a bare token: the descriptor's zrng_name is "NAME" (checked when
 *           the engine is defined), the exported set-up function is
 *           zrnfNAME, the engine's bulk table vxeng::bulk::NAME.
 *   ALIAS   upper-case string literals, none or several.  Names match
 *           blind to case and exactly in length, so the order of rows and
 *           aliases decides nothing; it is the order the tool lists them in.
 * Every name is at most 15 characters (the descriptor's name field).
 *
 * The rows include engines that cannot run here (RDRAND on a processor
 * without the instruction, TORVEL always): whether one can is known only
 * after its set-up, from zrng_state_size != 0.
 *
 * Use it by passing a macro of two parameters, NAME and "...":
 *     #define NAME_AND_ALIASES(NAME, ...) {#NAME, {__VA_ARGS__}},
 *     VX_ENGINE_LIST(NAME_AND_ALIASES)
 *     #undef NAME_AND_ALIASES
 * A row without aliases leaves __VA_ARGS__ empty (C++20).  The header has no
 * includes and no dependencies, and every row starts a line with "X(", so a
 * script can read the names too:
 *     sed -n 's/^ *X(\([A-Z0-9]*\).*$/\1/p' subs/engines/zrnglist.h
 */
#ifndef VX_SUBS_ENGINES_ZRNGLIST_H
#define VX_SUBS_ENGINES_ZRNGLIST_H

// clang-format off
#define VX_ENGINE_LIST(X)                                               \
    X(MTHYBRID)                                                         \
    X(MT1998)                                                           \
    X(MT32, "MT2002")                                                   \
    X(MT64, "MT")                                                       \
    X(MH3)                                                              \
    X(PCG32I)                                                           \
    X(PCG64I, "PCG")                                                    \
    X(RDRAND, "HARDWARE", "HARD", "TRNG")                               \
    X(FRY2X32, "THREEFRY2X32")                                          \
    X(FRY2X64, "THREEFRY2X64", "TF2") /* TF2: 2x64, not 2x32 */         \
    X(FRY4X64, "THREEFRY4X64", "THREEFRY", "TF4", "TF")                 \
    X(XOR64)                                                            \
    X(XOR128)                                                           \
    X(XOR1024)                                                          \
    X(XOR4096)                                                          \
    X(XORGENS)                                                          \
    X(SUBKEY32)                                                         \
    X(SUBKEY64)                                                         \
    X(TORVEL)
// clang-format on

#endif
