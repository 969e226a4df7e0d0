/* What an engine's traits struct E may define, as the template sees it: the
 * optional hooks, knobs and full overrides (detected at compile time), the
 * engine's shape (state record, native word, blob size), and the check that
 * E::has says what the hooks do. */
#ifndef VX_SUBS_ENGINES_ZRNGHOOKS_H
#define VX_SUBS_ENGINES_ZRNGHOOKS_H

#include <concepts>
#include <cstdint>
#include <type_traits>

#include "mk/vxhost.h"
#include "subs/zrand.h"
#include "subs/zrng.h"

namespace vxeng {

template <class E>
using WordOf = std::conditional_t<(E::bits > 32), uint64_t, uint32_t>;

/* ---- hooks ---------------------------------------------------------------------- */
template <class E>
concept HasSeedHook = requires(typename E::state& s, WordOf<E> w) { E::seed(s, w); };
template <class E>
concept HasKeyHook = requires(typename E::state& s, WordOf<E> w) { E::key(s, w); };
template <class E>
concept HasThreadHook = requires(typename E::state& s, WordOf<E> w) { E::thread(s, w); };
template <class E>
concept HasCountHook = requires(typename E::state& s, uint64_t n) { E::count(s, n); };
template <class E>
concept HasCrudeHook = requires(typename E::state& s) {
    { E::crude(s) } -> std::same_as<double>;
};
template <class E>
concept HasRawFill = requires(typename E::state& s, WordOf<E>* out, int n) { E::fill_raw(s, out, n); };

/* ---- knobs ---------------------------------------------------------------------- */
template <class E>
concept NonzeroWords = requires { requires E::nonzero_words; };
template <class E>
concept HasBlobSize = requires { E::blob_size; };
template <class E>
concept KeyDoubleZeroApplies = requires { requires E::key_double_zero_applies; };
template <class E>
concept CountNativeOnly = requires { requires E::count_native_only; };

/* zrng_bits: E::declared_bits when given, else the width of the draws. */
template <class E>
constexpr uint32_t declaredBits()
{
    if constexpr (requires { E::declared_bits; }) return E::declared_bits;
    else return E::bits;
}

/* ---- full overrides ------------------------------------------------------------ */
template <class E>
concept OverSeed32 = requires(typename E::state& s, uint32_t v) { { E::seed_32(s, v) } -> std::same_as<int>; };
template <class E>
concept OverSeed64 = requires(typename E::state& s, uint64_t v) { { E::seed_64(s, v) } -> std::same_as<int>; };
template <class E>
concept OverSeedDouble = requires(typename E::state& s, double v) { { E::seed_double(s, v) } -> std::same_as<int>; };
template <class E>
concept OverKey32 = requires(typename E::state& s, uint32_t v) { { E::key_32(s, v) } -> std::same_as<int>; };
template <class E>
concept OverKey64 = requires(typename E::state& s, uint64_t v) { { E::key_64(s, v) } -> std::same_as<int>; };
template <class E>
concept OverKeyDouble = requires(typename E::state& s, double v) { { E::key_double(s, v) } -> std::same_as<int>; };
template <class E>
concept OverThread32 = requires(typename E::state& s, uint32_t v) { { E::thread_32(s, v) } -> std::same_as<int>; };
template <class E>
concept OverThread64 = requires(typename E::state& s, uint64_t v) { { E::thread_64(s, v) } -> std::same_as<int>; };
template <class E>
concept OverImport = requires(typename E::state& s, uint8_t* p, int l, uint64_t f) {
    { E::import_state(s, p, l, f) } -> std::same_as<int>;
};

/* ---- shape ---------------------------------------------------------------------- */
template <class E>
struct Shape {
    using State = typename E::state;
    using Word = WordOf<E>;
    static constexpr bool kWide = E::bits > 32;

    static constexpr VXMemSize kBlobSize = [] {
        if constexpr (HasBlobSize<E>) return static_cast<VXMemSize>(E::blob_size);
        else return static_cast<VXMemSize>(sizeof(State));
    }();

    static_assert(E::bits == 31 || E::bits == 32 || E::bits == 64, "raw outputs are 31, 32 or 64 bits");
    static_assert(std::is_trivially_copyable_v<State>, "the blob is copied and dumped as bytes");
    static_assert(sizeof(State) <= sizeof(ZRANMT), "the blob must fit the stream's state area");
    static_assert(E::state_size <= kBlobSize, "zrng_state imports part of the blob");

    static State& st(void* blob) { return *static_cast<State*>(blob); }
};

/* ---- zrng_has against the hooks ------------------------------------------------- */
/* Checked for every engine the module defines (VX_ENGINE), not by the
 * template itself: a test engine may declare bits it does not back.  A
 * seed, key, thread or count bit is set at the engine's native width only,
 * although both widths' entries work; the stream picks one by zrng_bits. */
template <class E>
struct HasMatchesHooks {
    static constexpr bool kWide = E::bits > 32;
    static constexpr uint64_t kHas = E::has;
    static constexpr bool says(uint64_t bit) { return (kHas & bit) != 0; }
    static constexpr uint64_t native(uint64_t b32, uint64_t b64) { return kWide ? b64 : b32; }
    static constexpr uint64_t other(uint64_t b32, uint64_t b64) { return kWide ? b32 : b64; }

    static constexpr bool kLabel = E::label != nullptr && E::label[0] != '\0';
    static constexpr bool kSeeds = HasSeedHook<E> || OverSeed32<E> || OverSeed64<E> || OverSeedDouble<E>;
    static constexpr bool kKeys = HasKeyHook<E> || OverKey32<E> || OverKey64<E> || OverKeyDouble<E>;
    static constexpr bool kThreads = HasThreadHook<E> || OverThread32<E> || OverThread64<E>;
    static constexpr uint64_t kKnown = 0x3FFF;

    static_assert((kHas & ~kKnown) == 0, "has: a bit no capability defines");
    static_assert(says(ZRNG_HAS_LABEL) == kLabel, "has: ZRNG_HAS_LABEL exactly when the engine has a label");
    static_assert(says(native(ZRNG_HAS_SEED_32, ZRNG_HAS_SEED_64)) == kSeeds,
                  "has: the native-width seed bit exactly when the engine has seed (or a seed override)");
    static_assert(!says(other(ZRNG_HAS_SEED_32, ZRNG_HAS_SEED_64)), "has: seed bit of the other width");
    static_assert(says(native(ZRNG_HAS_KEY_32, ZRNG_HAS_KEY_64)) == kKeys,
                  "has: the native-width key bit exactly when the engine has key (or a key override)");
    static_assert(!says(other(ZRNG_HAS_KEY_32, ZRNG_HAS_KEY_64)), "has: key bit of the other width");
    static_assert(says(native(ZRNG_HAS_THREAD_32, ZRNG_HAS_THREAD_64)) == kThreads,
                  "has: the native-width thread bit exactly when the engine has thread (or an override)");
    static_assert(!says(other(ZRNG_HAS_THREAD_32, ZRNG_HAS_THREAD_64)), "has: thread bit of the other width");
    static_assert(says(native(ZRNG_HAS_COUNT_32, ZRNG_HAS_COUNT_64)) == HasCountHook<E>,
                  "has: the native-width count bit exactly when the engine has count");
    static_assert(!says(other(ZRNG_HAS_COUNT_32, ZRNG_HAS_COUNT_64)), "has: count bit of the other width");
    static_assert(says(native(ZRNG_HAS_DOUBLE_32, ZRNG_HAS_DOUBLE_64)),
                  "has: the family zrng_double_open and zrng_double_fast copy must be installed");
    static_assert(!says(ZRNG_HAS_STATE) || OverImport<E> || E::state_size > 0,
                  "has: ZRNG_HAS_STATE with nothing to import");
    static_assert(!NonzeroWords<E> || says(ZRNG_HAS_NONZERO), "has: nonzero_words promises ZRNG_HAS_NONZERO");

    static constexpr bool ok = true;
};

} // namespace vxeng

#endif
