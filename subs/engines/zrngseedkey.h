/* One engine's seed, key, thread and count entries: the width rules, the
 * zero conventions and the result codes around the engine's hooks, or its
 * full overrides, or stubs that return 0 where it has no hook. */
#ifndef VX_SUBS_ENGINES_ZRNGSEEDKEY_H
#define VX_SUBS_ENGINES_ZRNGSEEDKEY_H

#include <cmath>
#include <cstdint>

#include "subs/engines/zrnghooks.h"
#include "subs/engines/zrngwidth.h"
#include "subs/zrngseed.h"

namespace vxeng {

template <class E>
struct SeedKeyEntries {
    using State = typename Shape<E>::State;
    using Word = typename Shape<E>::Word;
    static constexpr bool kWide = Shape<E>::kWide;
    static State& st(void* blob) { return Shape<E>::st(blob); }

    /* ---- seeds ------------------------------------------------------------------ */
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

    /* ---- keys and threads ------------------------------------------------------- */
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

    /* ---- counter positioning ------------------------------------------------------ */
    static void count32(void* blob, uint32_t n)
    {
        if constexpr (HasCountHook<E>) E::count(st(blob), static_cast<uint64_t>(n));
    }
    static void count64(void* blob, uint64_t n)
    {
        if constexpr (HasCountHook<E>) E::count(st(blob), n);
    }
};

} // namespace vxeng

#endif
