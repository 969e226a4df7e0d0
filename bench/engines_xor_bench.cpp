// Draw cost of the xorshift, XORGENS, Subtract Key and TORVEL engines
// through the descriptor, beside the published algorithm reached through
// one function pointer, in the same run.  Names follow ratios.py:
//   engines/<NAME>/<uint32|uint64|rangen>/ours   the descriptor's entry
//   engines/<NAME>/<uint32|uint64|rangen>/ref    the reference, one call
// so ours / ref is what the engine template costs over a plain out-of-line
// generator.  The reference uniform rejects 0 and the values that round to
// 1 like the stream's, from one raw output, with the plain uint64-to-double
// cast; the template's branch-free conversion is most of any rangen gap.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "subs/engines/zmh3x.h"
#include "subs/zrand.h"
#include "subs/zrng.h"

namespace {

constexpr int kBatch = 1024;
constexpr uint64_t kSeed = 5489;

template <class Fn>
void run(benchmark::State& state, Fn draw)
{
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(draw());
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

// ---- the published algorithms ------------------------------------------------------

template <size_t N>
void fill(uint64_t (&s)[N], uint64_t seed)
{
    s[0] = seed;
    for (size_t i = 1; i < N; ++i) s[i] = zmh3x64(seed + i);
}

struct Xorshift64Star {
    using W = uint64_t;
    uint64_t x = kSeed;
    uint64_t operator()()
    {
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        return x * 0x2545F4914F6CDD1Dull;
    }
};

// The published rule; XOR128 differs in what it stores, not in cost.
struct Xorshift128Plus {
    using W = uint64_t;
    uint64_t s[2];
    Xorshift128Plus() { fill(s, kSeed); }
    uint64_t operator()()
    {
        uint64_t s1 = s[0];
        const uint64_t s0 = s[1];
        s[0] = s0;
        s1 ^= s1 << 23;
        s[1] = s1 ^ s0 ^ (s1 >> 17) ^ (s0 >> 26);
        return s[1] + s0;
    }
};

struct Xorshift1024Star {
    using W = uint64_t;
    uint64_t s[16];
    int p = 0;
    Xorshift1024Star() { fill(s, kSeed); }
    uint64_t operator()()
    {
        const uint64_t s0 = s[p];
        uint64_t s1 = s[p = (p + 1) & 15];
        s1 ^= s1 << 31;
        s[p] = s1 ^ s0 ^ (s1 >> 11) ^ (s0 >> 30);
        return s[p] * 1181783497276652981ull;
    }
};

struct Xorshift4096Star {
    using W = uint64_t;
    uint64_t s[64];
    int p = 0;
    Xorshift4096Star() { fill(s, kSeed); }
    uint64_t operator()()
    {
        const uint64_t s0 = s[p];
        uint64_t s1 = s[p = (p + 1) & 63];
        s1 ^= s1 << 25;
        s1 ^= s1 >> 3;
        s[p] = s0 ^ (s0 >> 49) ^ s1;
        return s[p] * 8372773778140471301ull;
    }
};

// Brent's xor4096i, 64-bit branch.
struct Xorgens {
    using W = uint64_t;
    static constexpr uint64_t weyl = 0x61C8864680B583EBull;
    uint64_t x[64];
    uint64_t w;
    int i;
    Xorgens()
    {
        uint64_t v = kSeed, t;
        int k;
        for (k = 64; k > 0; k--) {
            v ^= v << 10; v ^= v >> 15; v ^= v << 4; v ^= v >> 13;
        }
        for (w = v, k = 0; k < 64; k++) {
            v ^= v << 10; v ^= v >> 15; v ^= v << 4; v ^= v >> 13;
            x[k] = v + (w += weyl);
        }
        for (i = 63, k = 256; k > 0; k--) {
            t = x[i = (i + 1) & 63]; t ^= t << 33; t ^= t >> 26;
            v = x[(i + 11) & 63];    v ^= v << 27; v ^= v >> 29;
            x[i] = t ^ v;
        }
    }
    uint64_t operator()()
    {
        uint64_t t = x[i = (i + 1) & 63];
        uint64_t v = x[(i + 11) & 63];
        t ^= t << 33; t ^= t >> 26;
        v ^= v << 27; v ^= v >> 29;
        x[i] = (v ^= t);
        w += weyl;
        return v + (w ^ (w >> 27));
    }
};

template <class T>
struct SubtractKey {
    using W = T;
    T x = static_cast<T>(kSeed);
    T key = 0x9E3779B9u;
    T operator()() { return x -= key; }
};

// Lehmer's generator as the standard library has it.
struct Lehmer {
    using W = uint32_t;
    std::linear_congruential_engine<uint32_t, 397204094, 0, 2147483647> g{static_cast<uint32_t>(kSeed)};
    uint32_t operator()() { return g(); }
};

// Out-of-line entries of a reference, with the descriptor's compositions.
template <class G>
uint64_t ref64(void* p)
{
    G& g = *static_cast<G*>(p);
    if constexpr (sizeof(typename G::W) == 8) {
        return g();
    } else {
        const uint64_t a = g();
        return (a << 32) | g();
    }
}

template <class G>
uint32_t ref32(void* p)
{
    G& g = *static_cast<G*>(p);
    if constexpr (sizeof(typename G::W) == 8) return static_cast<uint32_t>(g() >> 32);
    else return g();
}

template <class G>
double refUniform(void* p)
{
    G& g = *static_cast<G*>(p);
    if constexpr (sizeof(typename G::W) == 8) {
        for (int n = 0; n < 10000; ++n) {
            const uint64_t u = g();
            if (u != 0 && u < 0xFFFFFFFFFFFFFC00ull) return static_cast<double>(u) * 0x1p-64;
        }
        return 0x1p-64;
    } else {
        uint32_t i = g();
        for (int n = 1; i == 0 && n < 99; ++n) i = g();
        return static_cast<double>(i) * 0x1p-32;
    }
}

// ---- registration ------------------------------------------------------------------------

template <class R>
void bmRef(benchmark::State& state, R (*entry)(void*), void* gen)
{
    R (*volatile fp)(void*) = entry;
    auto f = fp;
    run(state, [&] { return f(gen); });
}

void bmOurs(benchmark::State& state, void (*setup)(zrngptr, uint64_t), int which)
{
    ZRNG_S q;
    static ZRANMT blob; // the largest state area, off the stack
    setup(&q, 0);
    if (q.zrng_bits > 32) q.zrng_seed_64(&blob, kSeed);
    else q.zrng_seed_32(&blob, static_cast<uint32_t>(kSeed));
    q.zrng_key_64(&blob, 0x9E3779B9u); // the Subtract Key engines' step; others refuse it
    if (which == 0) {
        auto f = q.zrng_uint32;
        run(state, [&] { return f(&blob); });
    } else if (which == 1) {
        auto f = q.zrng_uint64;
        run(state, [&] { return f(&blob); });
    } else {
        auto f = q.zrng_double_open;
        run(state, [&] { return f(&blob); });
    }
}

template <class G>
void registerEngine(const char* name, void (*setup)(zrngptr, uint64_t))
{
    static G gen; // one reference generator per engine, for the program's life
    const std::string base = std::string("engines/") + name + "/";
    benchmark::RegisterBenchmark((base + "uint32/ours").c_str(), bmOurs, setup, 0);
    benchmark::RegisterBenchmark((base + "uint32/ref").c_str(), bmRef<uint32_t>, ref32<G>,
                                 static_cast<void*>(&gen));
    benchmark::RegisterBenchmark((base + "uint64/ours").c_str(), bmOurs, setup, 1);
    benchmark::RegisterBenchmark((base + "uint64/ref").c_str(), bmRef<uint64_t>, ref64<G>,
                                 static_cast<void*>(&gen));
    benchmark::RegisterBenchmark((base + "rangen/ours").c_str(), bmOurs, setup, 2);
    benchmark::RegisterBenchmark((base + "rangen/ref").c_str(), bmRef<double>, refUniform<G>,
                                 static_cast<void*>(&gen));
}

// TORVEL is not selectable, but its descriptor is callable directly.
const bool kRegistered = [] {
    registerEngine<Xorshift64Star>("XOR64", zrnfXOR64);
    registerEngine<Xorshift128Plus>("XOR128", zrnfXOR128);
    registerEngine<Xorshift1024Star>("XOR1024", zrnfXOR1024);
    registerEngine<Xorshift4096Star>("XOR4096", zrnfXOR4096);
    registerEngine<Xorgens>("XORGENS", zrnfXORGENS);
    registerEngine<SubtractKey<uint32_t>>("SUBKEY32", zrnfSUBKEY32);
    registerEngine<SubtractKey<uint64_t>>("SUBKEY64", zrnfSUBKEY64);
    registerEngine<Lehmer>("TORVEL", zrnfTORVEL);
    return true;
}();

} // namespace
