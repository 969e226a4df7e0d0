// Cost per value of the uniform and normal samplers on MT64 and MTHYBRID
// streams, one at a time and by the buffer, beside the standard library's
// distributions on its Mersenne Twisters (libstdc++'s normal_distribution
// is the same polar method with a cached second deviate).  Compare the
// items-per-second columns within one run.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "subs/zrand.h"

namespace {

constexpr int kBatch = 1024;

const char* const kMethods[] = {"MT64", "MTHYBRID"};

std::unique_ptr<MERSENNE_RAND> generator(int method)
{
    auto q = std::make_unique<MERSENNE_RAND>();
    q->UserMethod = const_cast<char*>(kMethods[method]);
    q->UserSeed = 5489;
    zmrsrnd(q.get());
    return q;
}

template <class Fn>
void perValue(benchmark::State& state, Fn draw)
{
    for (auto _ : state)
        for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(draw());
    state.SetItemsProcessed(state.iterations() * kBatch);
}

template <class Fill>
void perBuffer(benchmark::State& state, Fill fill)
{
    auto q = generator(static_cast<int>(state.range(0)));
    std::vector<double> buf(kBatch);
    q->VBuffer = buf.data();
    q->NBuffer = kBatch;
    for (auto _ : state) {
        fill(q.get());
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

// ---- the module ------------------------------------------------------------------
void BM_UniformOne(benchmark::State& state)
{
    auto q = generator(static_cast<int>(state.range(0)));
    perValue(state, [&] { return GetOneVariateUNIFORM(q.get()); });
}
void BM_UniformBuffer(benchmark::State& state) { perBuffer(state, FillTheBufferUNIFORM); }
void BM_NormalOne(benchmark::State& state)
{
    auto q = generator(static_cast<int>(state.range(0)));
    perValue(state, [&] { return GetOneVariateNORMAL(q.get()); });
}
void BM_NormalBuffer(benchmark::State& state) { perBuffer(state, FillTheBufferNORMAL); }
void BM_LognormalBuffer(benchmark::State& state) { perBuffer(state, FillTheBufferLOGNORMAL); }

// 0 = MT64, 1 = MTHYBRID
BENCHMARK(BM_UniformOne)->DenseRange(0, 1);
BENCHMARK(BM_UniformBuffer)->DenseRange(0, 1);
BENCHMARK(BM_NormalOne)->DenseRange(0, 1);
BENCHMARK(BM_NormalBuffer)->DenseRange(0, 1);
BENCHMARK(BM_LognormalBuffer)->DenseRange(0, 1);

// ---- the standard library, same engines ------------------------------------------------
void BM_StdUniformReal_mt19937_64(benchmark::State& state)
{
    std::mt19937_64 g(5489);
    std::uniform_real_distribution<double> d;
    perValue(state, [&] { return d(g); });
}
void BM_StdUniformReal_mt19937(benchmark::State& state)
{
    std::mt19937 g(5489);
    std::uniform_real_distribution<double> d;
    perValue(state, [&] { return d(g); });
}
void BM_StdNormal_mt19937_64(benchmark::State& state)
{
    std::mt19937_64 g(5489);
    std::normal_distribution<double> d;
    perValue(state, [&] { return d(g); });
}
void BM_StdNormal_mt19937(benchmark::State& state)
{
    std::mt19937 g(5489);
    std::normal_distribution<double> d;
    perValue(state, [&] { return d(g); });
}
BENCHMARK(BM_StdUniformReal_mt19937_64);
BENCHMARK(BM_StdUniformReal_mt19937);
BENCHMARK(BM_StdNormal_mt19937_64);
BENCHMARK(BM_StdNormal_mt19937);

} // namespace
