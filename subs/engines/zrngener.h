/* The engine template: one instantiation per generator engine.
 *
 * HOW TO WRITE AN ENGINE
 * ======================
 * An engine is a traits struct E handed to vxeng::Engine<E>.  The template
 * builds every descriptor operation from it, with E's step inlined into each
 * conversion, so a draw through the descriptor is one indirect call.  Typical
 * engine file (subs/engines/zrniXXX.cpp):
 *
 *     #include "subs/engines/zrngener.h"
 *     namespace {
 *     struct XxxState { uint64_t s[2]; };           // the blob
 *     struct Xxx {
 *         using state = XxxState;
 *         static constexpr const char* name  = "XXX";      // cut to 15 chars
 *         static constexpr const char* label = "Xxx gen";  // nullptr: no label
 *         static constexpr uint32_t bits = 64;             // 32 (or 31) or 64
 *         static constexpr uint64_t has  = 0x1017;         // zrng_has
 *         static constexpr VXMemSize state_size = 16;      // bytes zrng_state imports
 *         static constexpr uint32_t log2_period = 128;     // 0: not declared
 *         static constexpr uint64_t max_seed = ~0ull;
 *         static constexpr uint64_t max_key  = 0;          // 0: no key
 *         static uint64_t step(state& s);                  // next raw output
 *         static void seed(state& s, uint64_t x);          // native-width seed
 *     };
 *     }
 *     static_assert(sizeof(XxxState) == 16 && offsetof(XxxState, s) == 0);
 *     extern "C" VXAPI void zrnfXXX(zrngptr q, uint64_t) { vxeng::Engine<Xxx>::setup(q); }
 *
 * Required members of E
 *   state          the blob record; zrng_blob_size returns sizeof(state)
 *                  unless E defines `static constexpr VXMemSize blob_size`.
 *   name, label    const char*; label == nullptr (or "") for no label, in
 *                  which case the set-up message carries the name.
 *   bits           32 (31 for a 31-bit engine) or 64.  Native word W is
 *                  uint32_t when bits <= 32, uint64_t otherwise.
 *   has, state_size, log2_period, max_seed, max_key   descriptor values.
 *   W step(state&) the raw output (must be an inline definition in the class
 *                  body so it is compiled into every conversion; mark helper
 *                  block regenerations [[gnu::always_inline]]).
 *   void seed(state&, W x)   initialise from x.  The template has already
 *                  replaced 0 by zrngi31()/zrngi64(), folded or widened the
 *                  seed, or converted a double; x is the value to use.
 *                  (Optional: an engine without it gets seed stubs
 *                  returning 0, as RDRAND needs.)
 *
 * Optional hooks (detected at compile time; absent -> stubs returning 0)
 *   void key(state&, W k)     mix key k into the seeded state.  The entries
 *                  have filtered k == 0 at the given width (result 0); a
 *                  64-bit key given to a 32-bit engine is truncated, so k may
 *                  be 0 here (0x100000000 on a 32-bit engine).
 *   static constexpr bool key_double_zero_applies = true;
 *                  zrng_key_double with fmod result 0 calls key(s, 0); by
 *                  default (Mersenne Twisters) it changes nothing.
 *   void thread(state&, W t)  same for thread numbers; t == 0 at the given
 *                  width changes nothing but returns the normal code.
 *   void count(state&, uint64_t n)   installs zrng_count_32 and _64.
 *   double crude(state&)      installs zrng_double_crude.
 *   static constexpr bool nonzero_words = true;
 *                  step never returns 0 (a buffer form may then rely on no
 *                  uniform of the open conversion being 0).
 *   void fill_raw(state&, W* out, int n)   n outputs of step at once, for
 *                  the buffer forms (a block engine tempers a run of words
 *                  in one vectorised pass).  Must equal n calls of step.
 *
 * Full overrides (when an engine's rule differs from the common one): E may
 * define any of
 *   int seed_32(state&, uint32_t)   int seed_64(state&, uint64_t)
 *   int seed_double(state&, double) int key_32(state&, uint32_t)
 *   int key_64(state&, uint64_t)    int key_double(state&, double)
 *   int thread_32(state&, uint32_t) int thread_64(state&, uint64_t)
 *   int import_state(state&, uint8_t*, int, uint64_t)
 * and the template installs it in place of its own entry.
 *
 * Capability-driven parts
 *   ZRNG_HAS_STATE clear -> zrng_state is the stub (-1 for state_l > 0, else 0).
 *   ZRNG_HAS_DUMP clear  -> both dumps are stubs that write nothing.
 *   ZRNG_HAS_DOUBLE_32   -> the five zrng_double_32_* from 32-bit draws
 *                           (a 64-bit engine draws its high half).
 *   ZRNG_HAS_DOUBLE_64   -> zrng_double_53_*, zrng_double_64_*, _infinite from
 *                           64-bit draws (a 32-bit engine composes two draws).
 *   zrng_double_open / _fast: bits <= 32 -> 32_reject_zero / 32_closed_open,
 *                           else 64_reject_zero_one / 64_closed_closed.
 *
 * The state record must fit in sizeof(ZRANMT) (subs/zrand.h), the stream's
 * embedded state area; the template static_asserts it.
 */
#ifndef VX_SUBS_ENGINES_ZRNGENER_H
#define VX_SUBS_ENGINES_ZRNGENER_H

#include <bit>
#include <cmath>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "mk/vxbind.h"
#include "mk/vxhost.h"
#include "subs/engines/zmh3x.h"
#include "subs/engines/zrngbulk.h"
#include "subs/zrand.h"
#include "subs/zrng.h"
#include "subs/zrngmsg.h"
#include "subs/zrngseed.h"

/* The descriptor is read by code outside the module: pin its layout. */
static_assert(offsetof(ZRNG_S, zrng_name_length) == 0);
static_assert(offsetof(ZRNG_S, zrng_label_length) == 4);
static_assert(offsetof(ZRNG_S, zrng_name) == 8);
static_assert(offsetof(ZRNG_S, zrng_label) == 24);
static_assert(offsetof(ZRNG_S, zrng_vxname) == 88);
static_assert(offsetof(ZRNG_S, zrng_state_size) == 152);
static_assert(offsetof(ZRNG_S, zrng_log2_period) == 160);
static_assert(offsetof(ZRNG_S, zrng_bits) == 164);
static_assert(offsetof(ZRNG_S, zrng_flags) == 168);
static_assert(offsetof(ZRNG_S, zrng_has) == 176);
static_assert(offsetof(ZRNG_S, zrng_max_seed) == 184);
static_assert(offsetof(ZRNG_S, zrng_max_key) == 192);
static_assert(offsetof(ZRNG_S, msglev) == 200);
static_assert(offsetof(ZRNG_S, zrng_blob_size) == 208);
static_assert(offsetof(ZRNG_S, zrng_uint32) == 208 + 14 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_open) == 208 + 16 * 8);
static_assert(offsetof(ZRNG_S, zrng_flotation) == 208 + 19 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_32_reject_zero) == 208 + 20 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_53_reject_zero) == 208 + 25 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_64_reject_zero_one) == 208 + 30 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_infinite) == 208 + 35 * 8);
static_assert(sizeof(ZRNG_S) == 208 + 36 * 8);

namespace vxeng {

/* ---- helpers shared by engines -------------------------------------------- */

inline constexpr double k2m32 = 0x1p-32;
inline constexpr double k2m53 = 0x1p-53;
inline constexpr double k2m64 = 0x1p-64;

/* Saturating double -> unsigned conversions: NaN and negatives give 0, values
 * at or above 2^64 (2^32) give the largest value.  Plain casts are undefined
 * out of range. */
inline uint64_t u64FromDouble(double d)
{
    if (!(d > 0.0)) return 0;
    if (d >= 0x1p64) return UINT64_MAX;
    return static_cast<uint64_t>(d);
}

inline uint32_t u32FromDouble(double d)
{
    if (!(d > 0.0)) return 0;
    if (d >= 0x1p32) return UINT32_MAX;
    return static_cast<uint32_t>(d);
}

/* 64-bit seed to a 32-bit engine: both halves contribute. */
inline constexpr uint32_t fold64(uint64_t s)
{
    return static_cast<uint32_t>((s ^ (s >> 32)) & 0xFFFFFFFFu);
}

/* Key of zrng_key_double: fmod into the engine's width, negatives (and the
 * NaN fmod gives for an infinite key) become 0, the fraction is dropped. */
inline uint32_t key32FromDouble(double d)
{
    return u32FromDouble(std::fmod(d, 0x1p32));
}

inline uint64_t key64FromDouble(double d)
{
    return u64FromDouble(std::fmod(d, 0x1p64));
}

/* ---- the conversions, one raw value in ------------------------------------ */
namespace conv {

inline double d32ClosedOpen(uint32_t i) { return static_cast<double>(i) * k2m32; }
inline double d32OpenOpen(uint32_t i) { return (static_cast<double>(i) + 0.5) * k2m32; }
inline double d32OpenClosed(uint32_t i) { return (static_cast<double>(i) + 1.0) * k2m32; }
/* Rounding odd values up keeps the two ends at half weight; done in 64 bits
 * because 0xFFFFFFFF + 1 overflows the 32-bit word. */
inline double d32ClosedClosed(uint32_t i)
{
    return static_cast<double>(static_cast<uint64_t>(i) + (i & 1u)) * k2m32;
}

/* Values below 2^54 convert exactly through the signed instruction. */
inline double i54(uint64_t j) { return static_cast<double>(static_cast<int64_t>(j)); }
inline double d53ClosedOpen(uint64_t u) { return i54(u >> 11) * k2m53; }
inline double d53OpenOpen(uint64_t u) { return i54((u >> 11) | 1u) * k2m53; }
inline double d53OpenClosed(uint64_t u) { return i54((u >> 11) + 1u) * k2m53; }
inline double d53ClosedClosed(uint64_t u)
{
    uint64_t j = u >> 11;
    return i54(j + (j & 1u)) * k2m53;
}

/* uint64 -> double without the sign-bit branch the compiler emits for an
 * unsigned conversion (it mispredicts on every other random value).  Both
 * halves convert exactly and the one rounding in the addition is the same
 * rounding the direct conversion makes, in any rounding mode. */
inline double u64ToDouble(uint64_t u)
{
    const double hi = static_cast<double>(static_cast<int64_t>(u >> 32));
    const double lo = static_cast<double>(static_cast<int64_t>(u & 0xFFFFFFFFu));
    return hi * 0x1p32 + lo;
}

inline double d64ClosedClosed(uint64_t u) { return u64ToDouble(u) * k2m64; }
inline double d64OpenClosed(uint64_t u) { return (u64ToDouble(u) + 1.0) * k2m64; }
/* The top 1023 values round to 2^64 and would give 1.0; they are folded onto
 * the multiples of 2^-10 below 1 instead: double(u << 54) * 2^-64, which is
 * (u AND 0x3FF) * 2^-10. */
inline double d64ClosedOpen(uint64_t u)
{
    if (u >= 0xFFFFFFFFFFFFFC00ull) return static_cast<double>(static_cast<int64_t>(u & 0x3FFu)) * 0x1p-10;
    return u64ToDouble(u) * k2m64;
}
inline double d64OpenOpen(uint64_t u) { return d64ClosedOpen(u | 1u); }

} // namespace conv

/* Draws one uniform of a rejecting conversion may take, at most.  A genuine
 * generator never comes near it (99 rejected draws in a row have
 * probability below 2^-3000); only a stuck one does: SUBKEY64 with key 0
 * and a seed of 2^64 - 2^10 or more, an imported all-zero state, RDRAND's
 * placeholder.  The samplers bound their attempts counting at most 100 draws
 * per uniform, so on such an engine one variate stays within their attempt
 * bound times 100 draws.
 *
 * When the bound is reached the last draw is used as it is:
 *  - zrng_double_32_reject_zero and zrng_double_53_reject_zero convert it
 *    closed-open, so they return 0.0 after 99 zero draws;
 *  - zrng_double_64_reject_zero_one converts it open-open: 2^-64 for a
 *    generator stuck at 0, (u AND 0x3FF OR 1) * 2^-10 for one stuck within
 *    2^10 of 2^64.  Both lie inside (0, 1): the stream's uniform of a 64-bit
 *    engine promises never to be 0 or 1, and samplers take its logarithm
 *    and divide by it without checking.
 * The bulk fills apply the same bound to the same runs of draws, so they
 * stay value for value what one call at a time gives. */
inline constexpr int kRejectZeroDraws = 99;
inline constexpr int kRejectZeroOneDraws = kRejectZeroDraws;

/* ---- detection of optional traits members ---------------------------------- */
template <class E>
using WordOf = std::conditional_t<(E::bits > 32), uint64_t, uint32_t>;

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
template <class E>
concept NonzeroWords = requires { requires E::nonzero_words; };
template <class E>
concept HasBlobSize = requires { E::blob_size; };
template <class E>
concept KeyDoubleZeroApplies = requires { requires E::key_double_zero_applies; };

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

/* ---- the engine ---------------------------------------------------------------- */
template <class E>
struct Engine {
    using State = typename E::state;
    using Word = WordOf<E>;
    static constexpr bool kWide = E::bits > 32;
    static constexpr int kNative = kWide ? 64 : 32;

    static constexpr VXMemSize kBlobSize = [] {
        if constexpr (HasBlobSize<E>) return static_cast<VXMemSize>(E::blob_size);
        else return static_cast<VXMemSize>(sizeof(State));
    }();

    static_assert(E::bits == 31 || E::bits == 32 || E::bits == 64, "raw outputs are 31, 32 or 64 bits");
    static_assert(std::is_trivially_copyable_v<State>, "the blob is copied and dumped as bytes");
    static_assert(sizeof(State) <= sizeof(ZRANMT), "the blob must fit the stream's state area");
    static_assert(E::state_size <= kBlobSize, "zrng_state imports part of the blob");

    static State& st(void* blob) { return *static_cast<State*>(blob); }

    /* Raw draws at either width; the compositions are fixed by the ABI:
     * a 32-bit engine's 64-bit value puts its first draw in the high half, a
     * 64-bit engine's 32-bit value is the high half of one draw. */
    [[gnu::always_inline]] static inline uint32_t raw32(State& s)
    {
        if constexpr (kWide) return static_cast<uint32_t>(E::step(s) >> 32);
        else return E::step(s);
    }
    [[gnu::always_inline]] static inline uint64_t raw64(State& s)
    {
        if constexpr (kWide) {
            return E::step(s);
        } else {
            uint64_t a = E::step(s);
            uint64_t b = E::step(s);
            return (a << 32) | b;
        }
    }

    /* ---- set-up --------------------------------------------------------------- */
    static void setup(zrngptr q)
    {
        if (q == nullptr) return;
        std::memset(static_cast<void*>(q), 0, sizeof(*q));
        q->zrng_has |= E::has;
        q->zrng_name_length = 16;
        q->zrng_label_length = 64;
        copyCut(q->zrng_name, E::name, 15);
        for (int i = 0; i < 16 && q->zrng_name[i] != '\0'; ++i)
            q->zrng_vxname[i] = static_cast<unsigned char>(q->zrng_name[i]);
        const char* label = E::label;
        if (label != nullptr && label[0] != '\0') {
            copyCut(q->zrng_label, label, 63);
            zrngmsg(VXSeverityNone, ZRNG_M_ENGINE_SETUP, q->zrng_label);
        } else {
            zrngmsg(VXSeverityNone, ZRNG_M_ENGINE_SETUP, q->zrng_name);
        }
        q->zrng_state_size = E::state_size;
        q->zrng_log2_period = E::log2_period;
        q->zrng_bits = E::bits;
        q->zrng_max_seed = E::max_seed;
        q->zrng_max_key = E::max_key;

        q->zrng_blob_size = &blobSize;
        if constexpr ((E::has & ZRNG_HAS_DUMP) != 0) {
            q->zrng_dump_blob_32 = &dump<uint32_t>;
            q->zrng_dump_blob_64 = &dump<uint64_t>;
        } else {
            q->zrng_dump_blob_32 = &dumpStub;
            q->zrng_dump_blob_64 = &dumpStub;
        }
        q->zrng_state = &importState;
        q->zrng_seed_32 = &seed32;
        q->zrng_seed_64 = &seed64;
        q->zrng_seed_double = &seedDouble;
        q->zrng_key_32 = &key32;
        q->zrng_key_64 = &key64;
        q->zrng_key_double = &keyDouble;
        q->zrng_thread_32 = &thread32;
        q->zrng_thread_64 = &thread64;
        if constexpr (HasCountHook<E>) {
            q->zrng_count_32 = &count32;
            q->zrng_count_64 = &count64;
        }
        q->zrng_uint32 = &uint32;
        q->zrng_uint64 = &uint64;
        if constexpr (HasCrudeHook<E>) q->zrng_double_crude = &crude;

        if constexpr ((E::has & ZRNG_HAS_DOUBLE_32) != 0) {
            q->zrng_double_32_reject_zero = &d32RejectZero;
            q->zrng_double_32_open_open = &d32OpenOpen;
            q->zrng_double_32_open_closed = &d32OpenClosed;
            q->zrng_double_32_closed_open = &d32ClosedOpen;
            q->zrng_double_32_closed_closed = &d32ClosedClosed;
        }
        if constexpr ((E::has & ZRNG_HAS_DOUBLE_64) != 0) {
            q->zrng_double_53_reject_zero = &d53RejectZero;
            q->zrng_double_53_open_open = &d53OpenOpen;
            q->zrng_double_53_open_closed = &d53OpenClosed;
            q->zrng_double_53_closed_open = &d53ClosedOpen;
            q->zrng_double_53_closed_closed = &d53ClosedClosed;
            q->zrng_double_64_reject_zero_one = &d64RejectZeroOne;
            q->zrng_double_64_open_open = &d64OpenOpen;
            q->zrng_double_64_open_closed = &d64OpenClosed;
            q->zrng_double_64_closed_open = &d64ClosedOpen;
            q->zrng_double_64_closed_closed = &d64ClosedClosed;
            q->zrng_double_infinite = &dInfinite;
        }
        /* Same addresses as the family slots, not wrappers. */
        if constexpr (kWide) {
            q->zrng_double_open = &d64RejectZeroOne;
            q->zrng_double_fast = &d64ClosedClosed;
        } else {
            q->zrng_double_open = &d32RejectZero;
            q->zrng_double_fast = &d32ClosedOpen;
        }
    }

    static void copyCut(char* dst, const char* src, int cap)
    {
        int n = 0;
        if (src != nullptr)
            for (; n < cap && src[n] != '\0'; ++n) dst[n] = src[n];
        dst[n] = '\0';
    }

    static VXMemSize blobSize()
    {
        /* Arguments: name (8-bit text), size as a VXMemSize. */
        zrngmsg(VXSeverityNone, ZRNG_M_BLOB_SIZE, E::name, kBlobSize);
        return kBlobSize;
    }

    /* ---- seeds ---------------------------------------------------------------- */
    static Word freshSeed()
    {
        if constexpr (kWide) return zrngi64();
        else return static_cast<uint32_t>(zrngi31());
    }

    static void seedNative(State& s, Word x)
    {
        if (x == 0) x = freshSeed();
        E::seed(s, x);
    }

    static int seed32(void* blob, uint32_t x)
    {
        if constexpr (OverSeed32<E>) {
            return E::seed_32(st(blob), x);
        } else if constexpr (!HasSeedHook<E>) {
            (void)blob; (void)x;
            return 0;
        } else {
            seedNative(st(blob), x);
            return kWide ? 1 : 2;
        }
    }

    static int seed64(void* blob, uint64_t x)
    {
        if constexpr (OverSeed64<E>) {
            return E::seed_64(st(blob), x);
        } else if constexpr (!HasSeedHook<E>) {
            (void)blob; (void)x;
            return 0;
        } else if constexpr (kWide) {
            seedNative(st(blob), x);
            return 2;
        } else {
            /* Only a zero seed asks for a fresh one; a nonzero seed that
             * folds to 0 is used as 0. */
            E::seed(st(blob), x == 0 ? freshSeed() : fold64(x));
            return 1;
        }
    }

    static int seedDouble(void* blob, double d)
    {
        if constexpr (OverSeedDouble<E>) {
            return E::seed_double(st(blob), d);
        } else if constexpr (!HasSeedHook<E>) {
            (void)blob; (void)d;
            return 0;
        } else {
            Word x;
            if constexpr (kWide) {
                if (!(d > 0.0)) x = u64FromDouble(static_cast<double>(zrngi64()));
                else x = u64FromDouble(zrngd2i(d, UINT64_MAX));
            } else {
                if (!(d > 0.0)) x = static_cast<uint32_t>(zrngi31());
                else x = u32FromDouble(zrngd2i(d, UINT32_MAX));
            }
            seedNative(st(blob), x);
            return 1;
        }
    }

    /* ---- keys and threads ----------------------------------------------------- */
    static int key32(void* blob, uint32_t k)
    {
        if constexpr (OverKey32<E>) {
            return E::key_32(st(blob), k);
        } else if constexpr (HasKeyHook<E>) {
            if (k == 0) return 0;
            E::key(st(blob), static_cast<Word>(k));
            return kWide ? 1 : 2;
        } else {
            (void)blob; (void)k;
            return 0;
        }
    }

    static int key64(void* blob, uint64_t k)
    {
        if constexpr (OverKey64<E>) {
            return E::key_64(st(blob), k);
        } else if constexpr (HasKeyHook<E>) {
            if (k == 0) return 0;
            /* Truncation, not folding: 0x100000000 keys a 32-bit engine with 0. */
            E::key(st(blob), static_cast<Word>(k));
            return kWide ? 2 : 1;
        } else {
            (void)blob; (void)k;
            return 0;
        }
    }

    static int keyDouble(void* blob, double d)
    {
        if constexpr (OverKeyDouble<E>) {
            return E::key_double(st(blob), d);
        } else if constexpr (HasKeyHook<E>) {
            if (std::isnan(d) || d == 0.0) return 0;
            Word k;
            if constexpr (kWide) k = key64FromDouble(d);
            else k = key32FromDouble(d);
            if (k != 0 || KeyDoubleZeroApplies<E>) E::key(st(blob), k);
            return 1;
        } else {
            (void)blob; (void)d;
            return 0;
        }
    }

    static int thread32(void* blob, uint32_t t)
    {
        if constexpr (OverThread32<E>) {
            return E::thread_32(st(blob), t);
        } else if constexpr (HasThreadHook<E>) {
            if (t != 0) E::thread(st(blob), static_cast<Word>(t));
            return kWide ? 1 : 2;
        } else {
            (void)blob; (void)t;
            return 0;
        }
    }

    static int thread64(void* blob, uint64_t t)
    {
        if constexpr (OverThread64<E>) {
            return E::thread_64(st(blob), t);
        } else if constexpr (HasThreadHook<E>) {
            if (t != 0) E::thread(st(blob), static_cast<Word>(t));
            return kWide ? 2 : 1;
        } else {
            (void)blob; (void)t;
            return 0;
        }
    }

    static void count32(void* blob, uint32_t n)
    {
        if constexpr (HasCountHook<E>) E::count(st(blob), static_cast<uint64_t>(n));
    }
    static void count64(void* blob, uint64_t n)
    {
        if constexpr (HasCountHook<E>) E::count(st(blob), n);
    }

    /* ---- raw draws and conversions ---------------------------------------------- */
    static uint32_t uint32(void* blob) { return raw32(st(blob)); }
    static uint64_t uint64(void* blob) { return raw64(st(blob)); }

    static double crude(void* blob)
    {
        if constexpr (HasCrudeHook<E>) return E::crude(st(blob));
        else return conv::d32ClosedOpen(raw32(st(blob)));
    }

    static double d32ClosedOpen(void* blob) { return conv::d32ClosedOpen(raw32(st(blob))); }
    static double d32OpenOpen(void* blob) { return conv::d32OpenOpen(raw32(st(blob))); }
    static double d32OpenClosed(void* blob) { return conv::d32OpenClosed(raw32(st(blob))); }
    static double d32ClosedClosed(void* blob) { return conv::d32ClosedClosed(raw32(st(blob))); }
    /* The 99th draw is used as it is, even 0: the loop must end. */
    static double d32RejectZero(void* blob)
    {
        State& s = st(blob);
        uint32_t i = raw32(s);
        for (int n = 1; i == 0 && n < kRejectZeroDraws; ++n) i = raw32(s);
        return conv::d32ClosedOpen(i);
    }

    static double d53ClosedOpen(void* blob) { return conv::d53ClosedOpen(raw64(st(blob))); }
    static double d53OpenOpen(void* blob) { return conv::d53OpenOpen(raw64(st(blob))); }
    static double d53OpenClosed(void* blob) { return conv::d53OpenClosed(raw64(st(blob))); }
    static double d53ClosedClosed(void* blob) { return conv::d53ClosedClosed(raw64(st(blob))); }
    static double d53RejectZero(void* blob)
    {
        State& s = st(blob);
        uint64_t j = raw64(s) >> 11;
        for (int n = 1; j == 0 && n < kRejectZeroDraws; ++n) j = raw64(s) >> 11;
        return conv::i54(j) * k2m53;
    }

    static double d64ClosedClosed(void* blob) { return conv::d64ClosedClosed(raw64(st(blob))); }
    static double d64OpenClosed(void* blob) { return conv::d64OpenClosed(raw64(st(blob))); }
    static double d64ClosedOpen(void* blob) { return conv::d64ClosedOpen(raw64(st(blob))); }
    static double d64OpenOpen(void* blob) { return conv::d64OpenOpen(raw64(st(blob))); }
    /* Rejects 0 and the values that round to 1.0 (u >= 2^64 - 2^10). */
    static double d64RejectZeroOne(void* blob)
    {
        State& s = st(blob);
        uint64_t u = 0;
        for (int n = 0; n < kRejectZeroOneDraws; ++n) {
            u = raw64(s);
            if (u == 0) continue;
            const double x = conv::u64ToDouble(u) * k2m64;
            if (x != 1.0) return x;
        }
        return conv::d64OpenOpen(u);
    }

    /* A 64-bit mantissa source that keeps drawing while the leading bits are
     * zero, so even results near the subnormal range carry random low bits. */
    static double dInfinite(void* blob)
    {
        State& s = st(blob);
        int exponent = -64;
        uint64_t u = raw64(s);
        while (u == 0) {
            exponent -= 64;
            if (exponent < -1074) return 0.0; /* 16 zero draws in a row */
            u = raw64(s);
        }
        int shift = std::countl_zero(u);
        if (shift > 0) {
            exponent -= shift;
            uint64_t v = raw64(s);
            u = (u << shift) | (v >> (64 - shift));
        }
        /* OR 1: the 64 -> 53 bit rounding never meets an exact tie. */
        return std::ldexp(static_cast<double>(u | 1u), exponent);
    }

    /* ---- bulk fills ---------------------------------------------------------------- */
    /* n calls of the conversion in one loop: the call is direct, so the step
     * and the conversion are inlined and the state stays in registers. */
    template <double (*Conv)(void*)>
    static void fillWith(void* blob, double* out, int64_t n)
    {
        for (int64_t i = 0; i < n; ++i) out[i] = Conv(blob);
    }

    /* n raw words, the ones n calls of step give; E::fill_raw when the
     * engine has a faster way to make a run of them. */
    [[gnu::always_inline]] static inline void rawBlock(State& s, Word* out, int n)
    {
        if constexpr (HasRawFill<E>) E::fill_raw(s, out, n);
        else
            for (int i = 0; i < n; ++i) out[i] = E::step(s);
    }

    /* The open conversion of one raw word, without its rejection loop.  The
     * integer-to-double steps are written with the exponent-bias constants
     * so that a run of them vectorises; each gives the exact value the
     * scalar conversion gives (one rounding, in hi + lo, as in u64ToDouble). */
    [[gnu::always_inline]] static inline double openValue(Word w)
    {
        if constexpr (kWide) {
            const double hi = std::bit_cast<double>((w >> 32) | 0x4530000000000000ull) - 0x1p84;
            const double lo = std::bit_cast<double>((w & 0xFFFFFFFFull) | 0x4330000000000000ull) - 0x1p52;
            return (hi + lo) * k2m64;
        } else {
            return (std::bit_cast<double>(static_cast<uint64_t>(w) | 0x4330000000000000ull) - 0x1p52) * k2m32;
        }
    }
    /* 1 when the conversion rejects the word that gave x, else 0.  Tested on
     * the value (0 exactly for the zero word; x (1 - x) is 0 exactly at 0
     * and 1, and at least 2^-117 between) through its bit pattern, 0 only
     * for +0: SSE2 has neither 64-bit integer nor mask-to-integer compares,
     * and this keeps the pass in vector registers. */
    [[gnu::always_inline]] static inline uint64_t openRejects(double x)
    {
        if constexpr (kWide) x *= 1.0 - x;
        return (std::bit_cast<uint64_t>(x) - 1) >> 63;
    }

    /* The rejection loops as a filter over the raw words: a rejected word is
     * skipped, and the word that ends a run of kRejectZeroOneDraws
     * (kRejectZeroDraws) rejected ones in a row is used as the loop's last
     * resort.  `run` carries a run across chunks.  Returns the uniforms made,
     * written from out[0] on (never past the word they came from). */
    static int filterOpen(const Word* raw, int k, double* out, int& run)
    {
        constexpr int limit = kWide ? kRejectZeroOneDraws : kRejectZeroDraws;
        int m = 0;
        for (int j = 0; j < k; ++j) {
            const Word w = raw[j];
            const double x = openValue(w);
            if (openRejects(x) == 0) {
                out[m++] = x;
                run = 0;
            } else if (++run == limit) {
                if constexpr (kWide) out[m++] = conv::d64OpenOpen(w);
                else out[m++] = conv::d32ClosedOpen(w);
                run = 0;
            }
        }
        return m;
    }

    /* n values of zrng_double_open.  Raw words are made a chunk at a time,
     * never more than the uniforms still wanted, converted in one pass and
     * checked for a rejected word; only a chunk holding one (a zero word,
     * once in 2^32 or 2^64 draws) goes through the filter. */
    VX_WIDE_VECTORS static void fillOpen(void* blob, double* out, int64_t n)
    {
        constexpr int kChunk = 256;
        State& s = st(blob);
        Word raw[kChunk];
        int run = 0;
        while (n > 0) {
            const int k = n < kChunk ? static_cast<int>(n) : kChunk;
            rawBlock(s, raw, k);
            uint64_t rejected = 0;
            for (int j = 0; j < k; ++j) {
                const double x = openValue(raw[j]);
                out[j] = x;
                rejected |= openRejects(x);
            }
            int m = k;
            if (rejected != 0) [[unlikely]]
                m = filterOpen(raw, k, out, run);
            else
                run = 0;
            out += m;
            n -= m;
        }
    }

    /* The two conversions a stream's rangen is set to (see setup).  The
     * 64-bit open conversion's last resort is above 0; the 32-bit one's is 0
     * after 99 zero words, which only an engine without zero words rules
     * out. */
    static constexpr BulkTable kBulk = [] {
        BulkTable t{};
        if constexpr (kWide) t.open = {&d64RejectZeroOne, &fillOpen, true};
        else t.open = {&d32RejectZero, &fillOpen, NonzeroWords<E>};
        if constexpr (HasCrudeHook<E>) t.crude = {&crude, &fillWith<&crude>, false};
        return t;
    }();

    /* ---- state import ------------------------------------------------------------ */
    static int importState(void* blob, uint8_t* state, int state_l, uint64_t flags)
    {
        if constexpr (OverImport<E>) {
            return E::import_state(st(blob), state, state_l, flags);
        } else if constexpr ((E::has & ZRNG_HAS_STATE) == 0) {
            (void)blob; (void)state; (void)flags;
            return state_l > 0 ? -1 : 0;
        } else {
            return importBytes(static_cast<uint8_t*>(blob), E::state_size, state, state_l, flags);
        }
    }

    static int importBytes(uint8_t* area, VXMemSize size, const uint8_t* state, int state_l,
                           uint64_t flags)
    {
        if (state_l < 1 || state == nullptr) return 0;
        const VXMemSize len = static_cast<VXMemSize>(state_l);
        if (len >= size) {
            std::memcpy(area, state, size);
            return 2;
        }
        if ((flags & ZRNG_STATE_REPEAT) != 0) {
            for (VXMemSize at = 0; at < size; at += len)
                std::memcpy(area + at, state, (size - at < len) ? size - at : len);
            return 3;
        }
        std::memcpy(area, state, len);
        if ((flags & ZRNG_STATE_PARTIAL) != 0) return 1;
        const VXMemSize head = size < 8 ? size : 8;
        if (len < head) std::memset(area + len, 0, head - len);
        const VXMemSize words = size / 8;
        const VXMemSize n = (len / 8) == 0 ? 1 : len / 8;
        for (VXMemSize k = n; k < words; ++k) {
            uint64_t w;
            std::memcpy(&w, area + (k - n) * 8, 8);
            w = zmh3x64(w);
            std::memcpy(area + k * 8, &w, 8);
        }
        return 4;
    }

    /* ---- dumps --------------------------------------------------------------------- */
    static VXJnlh journal()
    {
        VXHndlp h = Exported_VXHandle;
        return h != nullptr ? h->vxjnl : nullptr;
    }

    template <class T>
    static void dump(void* blob, int max_len)
    {
        constexpr bool k32 = sizeof(T) == 4;
        constexpr int count = static_cast<int>(kBlobSize / sizeof(T));
        const int shown = max_len <= 0 ? 0 : (max_len < count ? max_len : count);
        const auto* bytes = static_cast<const uint8_t*>(blob);
        using Arg = std::conditional_t<k32, unsigned int, unsigned long long>;
        for (int i = 0; i < shown; i += 4) {
            Arg v[4] = {0, 0, 0, 0};
            const int m = (shown - i) < 4 ? (shown - i) : 4;
            for (int j = 0; j < m; ++j) {
                T w;
                std::memcpy(&w, bytes + static_cast<size_t>(i + j) * sizeof(T), sizeof(T));
                v[j] = static_cast<Arg>(w);
            }
            VXJnlh jnl = journal();
            if (jnl == nullptr) continue;
            /* Chosen by a switch rather than a table: a static table of
             * VXT() pointers would need run-time initialisation. */
            const VXChar* fmt = nullptr;
            if constexpr (k32) {
                switch (m) {
                case 1: fmt = VXT("   %3i: %8x"); break;
                case 2: fmt = VXT("   %3i: %8x  %3i: %8x"); break;
                case 3: fmt = VXT("   %3i: %8x  %3i: %8x  %3i: %8x"); break;
                default: fmt = VXT("   %3i: %8x  %3i: %8x  %3i: %8x  %3i: %8x"); break;
                }
            } else {
                switch (m) {
                case 1: fmt = VXT("   %3i: %16llx"); break;
                case 2: fmt = VXT("   %3i: %16llx  %3i: %16llx"); break;
                case 3: fmt = VXT("   %3i: %16llx  %3i: %16llx  %3i: %16llx"); break;
                default: fmt = VXT("   %3i: %16llx  %3i: %16llx  %3i: %16llx  %3i: %16llx"); break;
                }
            }
            /* Unused trailing arguments are ignored by the formatter. */
            vxlMessageToJnl(jnl, VXSeverityNull, fmt, 0, i, v[0], i + 1, v[1], i + 2, v[2], i + 3,
                            v[3]);
        }
        if (max_len < count) {
            VXJnlh jnl = journal();
            if (jnl != nullptr)
                vxlMessageToJnl(jnl, VXSeverityNull, VXT("        Further elements omitted."), 0);
        }
    }

    static void dumpStub(void*, int) {}
};

} // namespace vxeng

/* Publishes engine TRAITS's bulk table as vxeng::bulk::ID for
 * subs/engines/zrngbulk.cpp; one line per engine beside its set-up entry. */
#define VX_ENGINE_BULK_TABLE(ID, TRAITS)                                            \
    namespace vxeng::bulk {                                                          \
    extern const BulkTable ID;                                                       \
    constexpr BulkTable ID = Engine<TRAITS>::kBulk;                                  \
    }

#endif
