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

#include "bench/bench_loop.h"
#include "tests/support/xorshift_reference.h"
#include "subs/zrand.h"
#include "subs/zrng.h"

namespace {

using vxbench::kBatch;
using vxbench::perValue;
constexpr uint64_t kSeed = 5489;

// ---- the published algorithms ------------------------------------------------------

// The same references the engine tests replay, at the benchmark's seed.
struct Xorshift64Star : vxref::RefXorshift64Star {
    using W = uint64_t;
    Xorshift64Star() : vxref::RefXorshift64Star{kSeed} {}
};

// The published rule; XOR128 differs in what it stores, not in cost.
struct Xorshift128Plus : vxref::RefXorshift128Plus {
    using W = uint64_t;
    Xorshift128Plus() { vxref::fill(s, kSeed); }
};

struct Xorshift1024Star : vxref::RefXorshift1024Star {
    using W = uint64_t;
    Xorshift1024Star() { vxref::fill(s, kSeed); }
};

struct Xorshift4096Star : vxref::RefXorshift4096Star {
    using W = uint64_t;
    Xorshift4096Star() { vxref::fill(s, kSeed); }
};

struct Xorgens : vxref::RefXorgens {
    using W = uint64_t;
    Xorgens() : vxref::RefXorgens(kSeed) {}
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
    perValue(state, [&] { return f(gen); });
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
        perValue(state, [&] { return f(&blob); });
    } else if (which == 1) {
        auto f = q.zrng_uint64;
        perValue(state, [&] { return f(&blob); });
    } else {
        auto f = q.zrng_double_open;
        perValue(state, [&] { return f(&blob); });
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
