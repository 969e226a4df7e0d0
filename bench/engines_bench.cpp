// Draw cost of the Mersenne Twister engines through the descriptor, beside
// the standard library's engines (inlined into the loop) and a plain MT19937
// reached through one function pointer, all in the same run.  Compare the
// per-item times: descriptor / std is the cost of the indirect call.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "subs/zrand.h"
#include "subs/zrng.h"

namespace {

constexpr int kBatch = 1024;

struct EngineBlob {
    ZRNG_S q;
    ZRANMT blob;
    explicit EngineBlob(void (*setup)(zrngptr, uint64_t))
    {
        setup(&q, 0);
        q.zrng_seed_32(&blob, 5489);
    }
};

template <class Fn>
void run(benchmark::State& state, Fn draw)
{
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(draw());
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void (*const kSetups[])(zrngptr, uint64_t) = {zrnfMT32, zrnfMT1998, zrnfMTHYBRID, zrnfMT64};

void BM_EngineUint32(benchmark::State& state)
{
    EngineBlob e(kSetups[state.range(0)]);
    auto f = e.q.zrng_uint32;
    run(state, [&] { return f(&e.blob); });
}
void BM_EngineUint64(benchmark::State& state)
{
    EngineBlob e(kSetups[state.range(0)]);
    auto f = e.q.zrng_uint64;
    run(state, [&] { return f(&e.blob); });
}
void BM_EngineDoubleOpen(benchmark::State& state)
{
    EngineBlob e(kSetups[state.range(0)]);
    auto f = e.q.zrng_double_open;
    run(state, [&] { return f(&e.blob); });
}
// 0 = MT32, 1 = MT1998, 2 = MTHYBRID, 3 = MT64
BENCHMARK(BM_EngineUint32)->DenseRange(0, 3);
BENCHMARK(BM_EngineUint64)->DenseRange(0, 3);
BENCHMARK(BM_EngineDoubleOpen)->DenseRange(0, 3);

void BM_StdMt19937Uint32(benchmark::State& state)
{
    std::mt19937 g(5489);
    run(state, [&] { return g(); });
}
void BM_StdMt19937Uint64Pair(benchmark::State& state)
{
    std::mt19937 g(5489);
    run(state, [&] {
        uint64_t a = g();
        return (a << 32) | g();
    });
}
void BM_StdMt19937Double(benchmark::State& state)
{
    std::mt19937 g(5489);
    run(state, [&] { return static_cast<double>(g()) * 0x1p-32; });
}
void BM_StdMt19937_64Uint64(benchmark::State& state)
{
    std::mt19937_64 g(5489);
    run(state, [&] { return g(); });
}
void BM_StdMt19937_64Double(benchmark::State& state)
{
    std::mt19937_64 g(5489);
    run(state, [&] { return static_cast<double>(g()) * 0x1p-64; });
}
BENCHMARK(BM_StdMt19937Uint32);
BENCHMARK(BM_StdMt19937Uint64Pair);
BENCHMARK(BM_StdMt19937Double);
BENCHMARK(BM_StdMt19937_64Uint64);
BENCHMARK(BM_StdMt19937_64Double);

// The textbook generator, not inlined into the loop: the floor for any
// engine behind a function pointer.
struct RefMt {
    uint32_t mt[624];
    int mti;
};

uint32_t refDraw(void* p)
{
    RefMt& s = *static_cast<RefMt*>(p);
    if (s.mti >= 624) {
        for (int i = 0; i < 624; ++i) {
            uint32_t y = (s.mt[i] & 0x80000000u) | (s.mt[(i + 1) % 624] & 0x7FFFFFFFu);
            s.mt[i] = s.mt[(i + 397) % 624] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
        }
        s.mti = 0;
    }
    uint32_t y = s.mt[s.mti++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    return y ^ (y >> 18);
}

void BM_RefMtThroughPointer(benchmark::State& state)
{
    RefMt s;
    s.mt[0] = 5489;
    for (int i = 1; i < 624; ++i) s.mt[i] = 1812433253u * (s.mt[i - 1] ^ (s.mt[i - 1] >> 30)) + uint32_t(i);
    s.mti = 624;
    uint32_t (*volatile fp)(void*) = refDraw;
    auto f = fp;
    run(state, [&] { return f(&s); });
}
BENCHMARK(BM_RefMtThroughPointer);

} // namespace
