/* The engine template: one instantiation per generator engine.
 *
 * ADDING AN ENGINE
 * ================
 * 1. Write subs/engines/zrniXXX.cpp: a traits struct (below) and the line
 *        VX_ENGINE(XXX, Xxx)
 *    which defines the exported set-up function zrnfXXX and the engine's
 *    bulk table, and checks at compile time that the engine is listed, that
 *    its name is "XXX" and that its has bits match its hooks.
 * 2. Add its row to subs/engines/zrnglist.h: X(XXX, "ALIAS", ...).  Method
 *    selection, the buffer forms' bulk fills, and every tool and test that
 *    reads the list pick it up from there.
 * 3. Declare VXAPI void zrnfXXX(zrngptr q, uint64_t flags) with the others
 *    in subs/zrng.h, the public header (method selection does not compile
 *    without it; the shared library exports it either way).
 * A step left out fails the build: an unlisted engine at its VX_ENGINE line,
 * a row without an engine at link time, a row without a declaration in
 * subs/zrngmeth.cpp.
 *
 * WRITING THE TRAITS
 * ==================
 * The template builds every descriptor operation from a traits struct E,
 * with E's step inlined into each conversion, so a draw through the
 * descriptor is one indirect call.  A typical engine file:
 *
 *     #include "subs/engines/zrngener.h"
 *     namespace {
 *     struct XxxState { uint64_t s[2]; };           // the blob
 *     struct Xxx {
 *         using state = XxxState;
 *         static constexpr const char* name  = "XXX";      // the list's name
 *         static constexpr const char* label = "Xxx gen";  // nullptr: no label
 *         static constexpr uint32_t bits = 64;             // 32 (or 31) or 64
 *         static constexpr uint64_t has  = ZRNG_HAS_LABEL | ZRNG_HAS_DUMP | ZRNG_HAS_STATE |
 *                                          ZRNG_HAS_SEED_64 | ZRNG_HAS_DOUBLE_64;
 *         static constexpr VXMemSize state_size = 16;      // bytes zrng_state imports
 *         static constexpr uint32_t log2_period = 128;     // 0: not declared
 *         static constexpr uint64_t max_seed = ~0ull;
 *         static constexpr uint64_t max_key  = 0;          // 0: no key
 *         static uint64_t step(state& s);                  // next raw output
 *         static void seed(state& s, uint64_t x);          // native-width seed
 *     };
 *     }
 *     static_assert(sizeof(XxxState) == 16 && offsetof(XxxState, s) == 0);
 *     VX_ENGINE(XXX, Xxx)
 *
 * Required members of E
 *   state          the blob record; zrng_blob_size returns sizeof(state)
 *                  unless E defines `static constexpr VXMemSize blob_size`.
 *   name, label    const char*; label == nullptr (or "") for no label, in
 *                  which case the set-up message carries the name.
 *   bits           width of one draw: 32 (31 for a 31-bit engine) or 64.
 *                  Native word W is uint32_t when bits <= 32, uint64_t
 *                  otherwise.  zrng_bits reports it unless declared_bits
 *                  says otherwise.
 *   has            zrng_has, written with the ZRNG_HAS_* names.  VX_ENGINE
 *                  checks: LABEL exactly when there is a label; the seed,
 *                  key, thread and count bits at the native width exactly
 *                  when the hook (or an override) exists, and never at the
 *                  other width; the native conversion family present;
 *                  NONZERO when nonzero_words is declared.
 *   state_size, log2_period, max_seed, max_key   descriptor values.
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
 *   void thread(state&, W t)  same for thread numbers; t == 0 at the given
 *                  width changes nothing but returns the normal code.
 *   void count(state&, uint64_t n)   installs zrng_count_32 and _64.
 *   double crude(state&)      installs zrng_double_crude.
 *   void fill_raw(state&, W* out, int n)   n outputs of step at once, for
 *                  the buffer forms (a block engine tempers a run of words
 *                  in one vectorised pass).  Must equal n calls of step.
 *
 * Optional knobs (static constexpr members; absent -> the default)
 *   bool key_double_zero_applies = true
 *                  zrng_key_double with fmod result 0 calls key(s, 0); by
 *                  default (Mersenne Twisters) it changes nothing.
 *   bool nonzero_words = true
 *                  step never returns 0 (a buffer form may then rely on no
 *                  uniform of the open conversion being 0).
 *   bool count_native_only = true
 *                  install only the count entry of the native width, the one
 *                  has names; by default both widths are installed.
 *   uint32_t declared_bits
 *                  zrng_bits when it is not the width of the draws (RDRAND's
 *                  placeholder draws 64-bit zeros and declares 0 bits).
 *   VXMemSize blob_size       see state.
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
 *
 * Where the parts live: zrnghooks.h (what E may define, the has check),
 * zrngseedkey.h (seed, key, thread and count entries), zrngdraws.h (raw
 * draws and conversions) with zrngconv.h (the conversion of one raw value,
 * the redraw bound), zrngopenfill.h (uniforms in bulk), zrngimport.cpp and
 * zrngdump.cpp (state import and journal dumps), zrnglayout.cpp (the
 * descriptor's pinned layout).
 */
#ifndef VX_SUBS_ENGINES_ZRNGENER_H
#define VX_SUBS_ENGINES_ZRNGENER_H

#include <cstdint>
#include <cstring>

#include "mk/vxhost.h"
#include "subs/engines/zmh3x.h"
#include "subs/engines/zrngbulk.h"
#include "subs/engines/zrngconv.h"
#include "subs/engines/zrngdraws.h"
#include "subs/engines/zrngdump.h"
#include "subs/engines/zrnghooks.h"
#include "subs/engines/zrngimport.h"
#include "subs/engines/zrnglist.h"
#include "subs/engines/zrngopenfill.h"
#include "subs/engines/zrngseedkey.h"
#include "subs/zrng.h"
#include "subs/zrngmsg.h"

namespace vxeng {

template <class E>
struct Engine {
    using D = Draws<E>;
    using K = SeedKeyEntries<E>;
    static constexpr bool kWide = Shape<E>::kWide;
    static constexpr VXMemSize kBlobSize = Shape<E>::kBlobSize;

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
        q->zrng_bits = declaredBits<E>();
        q->zrng_max_seed = E::max_seed;
        q->zrng_max_key = E::max_key;

        q->zrng_blob_size = &blobSize;
        if constexpr ((E::has & ZRNG_HAS_DUMP) != 0) {
            q->zrng_dump_blob_32 = &dump32;
            q->zrng_dump_blob_64 = &dump64;
        } else {
            q->zrng_dump_blob_32 = &dumpStub;
            q->zrng_dump_blob_64 = &dumpStub;
        }
        q->zrng_state = &importState;
        q->zrng_seed_32 = &K::seed32;
        q->zrng_seed_64 = &K::seed64;
        q->zrng_seed_double = &K::seedDouble;
        q->zrng_key_32 = &K::key32;
        q->zrng_key_64 = &K::key64;
        q->zrng_key_double = &K::keyDouble;
        q->zrng_thread_32 = &K::thread32;
        q->zrng_thread_64 = &K::thread64;
        if constexpr (HasCountHook<E>) {
            if constexpr (!CountNativeOnly<E> || !kWide) q->zrng_count_32 = &K::count32;
            if constexpr (!CountNativeOnly<E> || kWide) q->zrng_count_64 = &K::count64;
        }
        q->zrng_uint32 = &D::uint32;
        q->zrng_uint64 = &D::uint64;
        if constexpr (HasCrudeHook<E>) q->zrng_double_crude = &D::crude;

        if constexpr ((E::has & ZRNG_HAS_DOUBLE_32) != 0) {
            q->zrng_double_32_reject_zero = &D::d32RejectZero;
            q->zrng_double_32_open_open = &D::d32OpenOpen;
            q->zrng_double_32_open_closed = &D::d32OpenClosed;
            q->zrng_double_32_closed_open = &D::d32ClosedOpen;
            q->zrng_double_32_closed_closed = &D::d32ClosedClosed;
        }
        if constexpr ((E::has & ZRNG_HAS_DOUBLE_64) != 0) {
            q->zrng_double_53_reject_zero = &D::d53RejectZero;
            q->zrng_double_53_open_open = &D::d53OpenOpen;
            q->zrng_double_53_open_closed = &D::d53OpenClosed;
            q->zrng_double_53_closed_open = &D::d53ClosedOpen;
            q->zrng_double_53_closed_closed = &D::d53ClosedClosed;
            q->zrng_double_64_reject_zero_one = &D::d64RejectZeroOne;
            q->zrng_double_64_open_open = &D::d64OpenOpen;
            q->zrng_double_64_open_closed = &D::d64OpenClosed;
            q->zrng_double_64_closed_open = &D::d64ClosedOpen;
            q->zrng_double_64_closed_closed = &D::d64ClosedClosed;
            q->zrng_double_infinite = &D::dInfinite;
        }
        /* Same addresses as the family slots, not wrappers: the buffer forms
         * recognise a stream's rangen by them. */
        if constexpr (kWide) {
            q->zrng_double_open = &D::d64RejectZeroOne;
            q->zrng_double_fast = &D::d64ClosedClosed;
        } else {
            q->zrng_double_open = &D::d32RejectZero;
            q->zrng_double_fast = &D::d32ClosedOpen;
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

    static int importState(void* blob, uint8_t* state, int state_l, uint64_t flags)
    {
        if constexpr (OverImport<E>) {
            return E::import_state(Shape<E>::st(blob), state, state_l, flags);
        } else if constexpr ((E::has & ZRNG_HAS_STATE) == 0) {
            (void)blob; (void)state; (void)flags;
            return state_l > 0 ? -1 : 0;
        } else {
            return importBytes(static_cast<uint8_t*>(blob), E::state_size, state, state_l, flags);
        }
    }

    static void dump32(void* blob, int max_len) { dumpWords32(blob, kBlobSize, max_len); }
    static void dump64(void* blob, int max_len) { dumpWords64(blob, kBlobSize, max_len); }
    static void dumpStub(void*, int) {}
};

/* ---- registration ---------------------------------------------------------------- */
#define VX_LISTED_NAME(NAME, ...) #NAME,
inline constexpr const char* kListedEngines[] = {VX_ENGINE_LIST(VX_LISTED_NAME)};
#undef VX_LISTED_NAME

constexpr bool sameText(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        if (*a != *b) return false;
        if (*a == '\0') return true;
    }
}

constexpr bool listedEngine(const char* name)
{
    for (const char* n : kListedEngines)
        if (sameText(n, name)) return true;
    return false;
}

} // namespace vxeng

/* Defines engine NAME from traits TRAITS: the exported set-up function
 * zrnfNAME and the bulk table vxeng::bulk::NAME that
 * subs/engines/zrngbulk.cpp looks up.  One line per engine, after its
 * traits, outside any namespace. */
#define VX_ENGINE(NAME, TRAITS)                                                                  \
    static_assert(vxeng::listedEngine(#NAME), "add the row X(" #NAME ") to subs/engines/zrnglist.h"); \
    static_assert(vxeng::sameText(TRAITS::name, #NAME), "the engine's name must be its row's name"); \
    static_assert(vxeng::HasMatchesHooks<TRAITS>::ok);                                           \
    extern "C" VXAPI void zrnf##NAME(zrngptr q, uint64_t) { vxeng::Engine<TRAITS>::setup(q); }  \
    namespace vxeng::bulk {                                                                      \
    extern const BulkTable NAME;                                                                 \
    constexpr BulkTable NAME = OpenFill<TRAITS>::kTable;                                         \
    }

#endif
