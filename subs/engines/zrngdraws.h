/* One engine's draws: raw outputs at either width and every conversion to
 * a double, each with the engine's step compiled in. */
#ifndef VX_SUBS_ENGINES_ZRNGDRAWS_H
#define VX_SUBS_ENGINES_ZRNGDRAWS_H

#include <bit>
#include <cmath>
#include <cstdint>

#include "subs/engines/zrngconv.h"
#include "subs/engines/zrnghooks.h"

namespace vxeng {

template <class E>
struct Draws {
    using State = typename Shape<E>::State;
    static constexpr bool kWide = Shape<E>::kWide;
    static State& st(void* blob) { return Shape<E>::st(blob); }

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
    /* The last allowed draw is used as it is, even 0 (see kRejectZeroDraws). */
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
    /* Rejects 0 and the values that round to 1.0 (u >= 2^64 - 2^10); after
     * kRejectZeroOneDraws rejected draws the last one goes through the
     * open-open conversion, which keeps the result inside (0, 1). */
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
};

} // namespace vxeng

#endif
