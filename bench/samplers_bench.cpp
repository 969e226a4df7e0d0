// Cost per value of the uniform, normal, exponential and gamma samplers on
// MT64 and MTHYBRID streams, one at a time and by the buffer, beside the standard library's
// distributions on its Mersenne Twisters (libstdc++'s normal_distribution
// is the same polar method with a cached second deviate).  Compare the
// items-per-second columns within one run.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_loop.h"
#include "subs/zrand.h"

namespace {

using vxbench::kBatch;
using vxbench::perValue;

const char* const kMethods[] = {"MT64", "MTHYBRID"};

std::unique_ptr<MERSENNE_RAND> generator(int method)
{
    auto q = std::make_unique<MERSENNE_RAND>();
    q->UserMethod = const_cast<char*>(kMethods[method]);
    q->UserSeed = 5489;
    zmrsrnd(q.get());
    return q;
}

template <class Fill>
void perBuffer(benchmark::State& state, int method, Fill fill)
{
    auto q = generator(method);
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
void BM_UniformOne(benchmark::State& state, int method)
{
    auto q = generator(method);
    perValue(state, [&] { return GetOneVariateUNIFORM(q.get()); });
}
void BM_UniformBuffer(benchmark::State& state, int method) { perBuffer(state, method, FillTheBufferUNIFORM); }
void BM_NormalOne(benchmark::State& state, int method)
{
    auto q = generator(method);
    perValue(state, [&] { return GetOneVariateNORMAL(q.get()); });
}
void BM_NormalBuffer(benchmark::State& state, int method) { perBuffer(state, method, FillTheBufferNORMAL); }
void BM_LognormalBuffer(benchmark::State& state, int method) { perBuffer(state, method, FillTheBufferLOGNORMAL); }
void BM_ExponentialOne(benchmark::State& state, int method)
{
    auto q = generator(method);
    perValue(state, [&] { return GetOneVariateEXPONENTIAL(q.get()); });
}
void BM_ExponentialBuffer(benchmark::State& state, int method) { perBuffer(state, method, FillTheBufferEXPONENTIAL); }
void BM_GammaOne(benchmark::State& state, int method)
{
    auto q = generator(method);
    perValue(state, [&] { return GetOneVariateGAMMA(q.get(), 2.5); });
}
void BM_GammaBuffer(benchmark::State& state, int method)
{
    perBuffer(state, method, [](MRandPtr q) { return FillTheBufferGAMMA(q, 2.5); });
}

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
// Named dist/<DIST>/<engine>/<implementation> for bench/ratios.py.
const bool kRegistered = [] {
    for (int m = 0; m < 2; ++m) {
        const std::string e = std::string("/") + kMethods[m] + "/";
        const bool wide = m == 0;
        benchmark::RegisterBenchmark(("dist/UNIFORM" + e + "ours_one").c_str(), BM_UniformOne, m);
        benchmark::RegisterBenchmark(("dist/UNIFORM" + e + "ours_buf").c_str(), BM_UniformBuffer, m);
        benchmark::RegisterBenchmark(("dist/UNIFORM" + e + "std").c_str(),
                                     wide ? BM_StdUniformReal_mt19937_64 : BM_StdUniformReal_mt19937);
        benchmark::RegisterBenchmark(("dist/NORMAL" + e + "ours_one").c_str(), BM_NormalOne, m);
        benchmark::RegisterBenchmark(("dist/NORMAL" + e + "ours_buf").c_str(), BM_NormalBuffer, m);
        benchmark::RegisterBenchmark(("dist/NORMAL" + e + "std").c_str(),
                                     wide ? BM_StdNormal_mt19937_64 : BM_StdNormal_mt19937);
        benchmark::RegisterBenchmark(("dist/LOGNORMAL" + e + "ours_buf").c_str(), BM_LognormalBuffer, m);
        // The buffer forms' gain on both default engines (MT64's rows of
        // these two are also in distributions_bench.cpp, beside the peers).
        benchmark::RegisterBenchmark(("dist/EXPONENTIAL" + e + "ours_one").c_str(), BM_ExponentialOne, m);
        benchmark::RegisterBenchmark(("dist/EXPONENTIAL" + e + "ours_buf").c_str(), BM_ExponentialBuffer, m);
        benchmark::RegisterBenchmark(("dist/GAMMA/2.5_" + std::string(kMethods[m]) + "/ours_one").c_str(), BM_GammaOne, m);
        benchmark::RegisterBenchmark(("dist/GAMMA/2.5_" + std::string(kMethods[m]) + "/ours_buf").c_str(), BM_GammaBuffer, m);
    }
    return true;
}();

} // namespace
