/* Advancing an engine by n outputs of its native width without drawing them
 * one by one where its state allows, with the same result as n draws.
 *
 *   counter engines (FRY2X32, FRY2X64, FRY4X64)  constant time: the counter
 *       moves by whole blocks and the lanes left over are drawn;
 *   PCG32I, PCG64I  logarithmic: the linear congruential jump by squaring;
 *   SUBKEY32, SUBKEY64  constant: x - n * key;
 *   every other engine  linear: n draws (a Mersenne Twister, xorshift or
 *       hash step has no cheap jump here).
 *
 * Works on a descriptor and its blob alone, so the C++ layer, the command
 * line tool and the Python package share it.  Only the engine moves: a
 * sampler's saved set-up or a waiting normal deviate stays as it was. */
#ifndef VXALEA_ADVANCE_HPP
#define VXALEA_ADVANCE_HPP

#include <cstdint>
#include <cstring>
#include <string_view>

#include "subs/zrand.h"

namespace vxalea {

enum class advance_cost { constant, logarithmic, linear };

namespace detail {

inline std::string_view engine_of(const ZRNG_S& d) noexcept
{
    return {d.zrng_name, strnlen(d.zrng_name, sizeof d.zrng_name)};
}

inline void step(const ZRNG_S& d, void* blob, uint64_t n) noexcept
{
    if (d.zrng_bits > 32)
        for (; n; --n) d.zrng_uint64(blob);
    else
        for (; n; --n) d.zrng_uint32(blob);
}

/* The Threefry record: N counter words, N key words, the buffered block, then
 * the index of the next lane (0: no block buffered).  The counter carries
 * from word 0 upwards and a carry out of the top word is lost, as in the
 * engine's own increment, so it is one number of N words. */
template <class W, unsigned N, class Which>
void counter_discard(const ZRNG_S& d, void* blob, uint64_t n) noexcept
{
    auto* b = static_cast<unsigned char*>(blob);
    constexpr size_t which_at = 3 * N * sizeof(W);
    Which which;
    std::memcpy(&which, b + which_at, sizeof which);
    if (n < N) { /* within or just past the buffered block */
        step(d, blob, n);
        return;
    }
    /* A partly used block is finished first: its lanes may be an imported
     * state's leftovers rather than this counter's block. */
    uint64_t blocks = 0;
    if (which != 0) {
        n -= N - which;
        blocks = 1;
    }
    blocks += n / N;
    W ctr[N];
    std::memcpy(ctr, b, sizeof ctr);
    uint64_t add = blocks;
    for (unsigned i = 0; i < N && add; ++i) {
        if constexpr (sizeof(W) == 8) {
            ctr[i] += add;
            add = ctr[i] < add ? 1 : 0;
        } else {
            const uint64_t sum = ctr[i] + add;
            ctr[i] = static_cast<W>(sum);
            add = sum >> 32;
        }
    }
    std::memcpy(b, ctr, sizeof ctr);
    const Which none = 0;
    std::memcpy(b + which_at, &none, sizeof none);
    step(d, blob, n % N); /* computes the block and hands out the lanes before the target */
}

/* state = A^n state + (A^(n-1) + ... + A + 1) inc, by squaring (Brown 1994). */
template <class W>
void lcg_discard(void* blob, uint64_t n, W mul) noexcept
{
    W state, inc;
    std::memcpy(&state, blob, sizeof state);
    std::memcpy(&inc, static_cast<unsigned char*>(blob) + sizeof(W), sizeof inc);
    W acc_mul = 1, acc_add = 0, cur_mul = mul, cur_add = inc;
    for (; n; n >>= 1) {
        if (n & 1) {
            acc_mul = static_cast<W>(acc_mul * cur_mul);
            acc_add = static_cast<W>(acc_add * cur_mul + cur_add);
        }
        cur_add = static_cast<W>((cur_mul + 1) * cur_add);
        cur_mul = static_cast<W>(cur_mul * cur_mul);
    }
    state = static_cast<W>(acc_mul * state + acc_add);
    std::memcpy(blob, &state, sizeof state);
}

/* x, then key: each draw is x -= key. */
template <class W>
void subtract_discard(void* blob, uint64_t n) noexcept
{
    W x, key;
    std::memcpy(&x, blob, sizeof x);
    std::memcpy(&key, static_cast<unsigned char*>(blob) + sizeof(W), sizeof key);
    x = static_cast<W>(x - static_cast<W>(n) * key);
    std::memcpy(blob, &x, sizeof x);
}

} // namespace detail

inline advance_cost discard_cost(std::string_view engine) noexcept
{
    if (engine == "FRY2X32" || engine == "FRY2X64" || engine == "FRY4X64" || engine == "SUBKEY32" ||
        engine == "SUBKEY64")
        return advance_cost::constant;
    if (engine == "PCG32I" || engine == "PCG64I") return advance_cost::logarithmic;
    return advance_cost::linear;
}

/* Moves the engine behind d and blob n native outputs ahead: what n calls of
 * zrng_uint64 (engines of more than 32 bits) or zrng_uint32 would do. */
inline void discard(const ZRNG_S& d, void* blob, uint64_t n) noexcept
{
    const std::string_view e = detail::engine_of(d);
    if (e == "FRY2X32")
        detail::counter_discard<uint32_t, 2, uint32_t>(d, blob, n);
    else if (e == "FRY2X64")
        detail::counter_discard<uint64_t, 2, uint64_t>(d, blob, n);
    else if (e == "FRY4X64")
        detail::counter_discard<uint64_t, 4, uint64_t>(d, blob, n);
    else if (e == "PCG32I")
        detail::lcg_discard<uint32_t>(blob, n, 747796405u);
    else if (e == "PCG64I")
        detail::lcg_discard<uint64_t>(blob, n, 6364136223846793005ull);
    else if (e == "SUBKEY32")
        detail::subtract_discard<uint32_t>(blob, n);
    else if (e == "SUBKEY64")
        detail::subtract_discard<uint64_t>(blob, n);
    else
        detail::step(d, blob, n);
}

inline void discard(MERSENNE_RAND& q, uint64_t n) noexcept { discard(*q.Functions, q.Blob, n); }

} // namespace vxalea

#endif
