// A draw through the C++ layer beside the same draw through the C ABI, on
// two MT64 generators of the same loaded module, in the same run.  The pairs
// (CxxX, CAbiX) should take the same time per item: the layer adds nothing
// but inline forwarding to the record's descriptor and sampler table.
// CAbiUint64Hoisted takes the function pointer and blob out of the loop, as
// a C caller may; a stream gives the same with its descriptor() and blob().
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "bench/bench_loop.h"
#include "include/vxalea/vxalea.hpp"

namespace {

using vxbench::kBatch;
using vxbench::perValue;

// The module loaded once for the whole program; null if it cannot be.
struct Loaded {
    vxalea::host host;
    std::optional<vxalea::module> mod;
    std::optional<vxalea::pool> pool;
    Loaded()
    {
        std::error_code ec;
        mod.emplace(host, "vxalea", nullptr, ec);
        if (ec) mod.reset();
        else pool.emplace(host);
    }
};

Loaded* loaded()
{
    static Loaded l;
    return l.mod ? &l : nullptr;
}

struct Pair {
    vxalea::stream64 cxx;
    std::unique_ptr<MERSENNE_RAND> c = std::make_unique<MERSENNE_RAND>();
    explicit Pair(Loaded& l) : cxx(*l.mod, *l.pool, {.method = "MT64", .seed = 5489})
    {
        c->UserMethod = const_cast<char*>("MT64");
        c->Seed = 5489;
        l.mod->functions().zmrsrnd(c.get());
    }
};

template <class Body>
void withPair(benchmark::State& state, Body body)
{
    Loaded* l = loaded();
    if (!l) {
        state.SkipWithError("libvxalea.so not found (VXHOST_MODULE_PATH)");
        return;
    }
    Pair p(*l);
    body(p);
}

void BM_CxxUint64(benchmark::State& state)
{
    withPair(state, [&](Pair& p) { perValue(state, [&] { return p.cxx(); }); });
}
void BM_CAbiUint64(benchmark::State& state)
{
    withPair(state, [&](Pair& p) {
        MRandPtr q = p.c.get();
        perValue(state, [&] { return q->Functions->zrng_uint64(q->Blob); });
    });
}
void BM_CAbiUint64Hoisted(benchmark::State& state)
{
    withPair(state, [&](Pair& p) {
        auto f = p.c->Functions->zrng_uint64;
        void* blob = p.c->Blob;
        perValue(state, [&] { return f(blob); });
    });
}
void BM_CxxUniform(benchmark::State& state)
{
    withPair(state, [&](Pair& p) { perValue(state, [&] { return p.cxx.uniform(); }); });
}
void BM_CAbiUniform(benchmark::State& state)
{
    withPair(state, [&](Pair& p) {
        MRandPtr q = p.c.get();
        perValue(state, [&] { return q->GetOneVariateUNIFORM(q); });
    });
}
void BM_CxxGamma(benchmark::State& state)
{
    withPair(state, [&](Pair& p) { perValue(state, [&] { return p.cxx.gamma(2.5); }); });
}
void BM_CAbiGamma(benchmark::State& state)
{
    withPair(state, [&](Pair& p) {
        MRandPtr q = p.c.get();
        perValue(state, [&] { return q->GetOneVariateGAMMA(q, 2.5); });
    });
}
void BM_CxxFillNormal(benchmark::State& state)
{
    withPair(state, [&](Pair& p) {
        std::vector<double> buf(kBatch);
        for (auto _ : state) {
            p.cxx.fill_normal(buf);
            benchmark::DoNotOptimize(buf.data());
        }
        state.SetItemsProcessed(state.iterations() * kBatch);
    });
}
void BM_CAbiFillNormal(benchmark::State& state)
{
    withPair(state, [&](Pair& p) {
        std::vector<double> buf(kBatch);
        MRandPtr q = p.c.get();
        q->VBuffer = buf.data();
        q->NBuffer = kBatch;
        for (auto _ : state) {
            q->FillTheBufferNORMAL(q);
            benchmark::DoNotOptimize(buf.data());
        }
        state.SetItemsProcessed(state.iterations() * kBatch);
    });
}
// A standard distribution on the stream, beside the same on std::mt19937_64.
void BM_CxxUniformIntDistribution(benchmark::State& state)
{
    withPair(state, [&](Pair& p) {
        std::uniform_int_distribution<int> die(1, 6);
        perValue(state, [&] { return die(p.cxx); });
    });
}
void BM_StdUniformIntDistribution(benchmark::State& state)
{
    std::mt19937_64 g(5489);
    std::uniform_int_distribution<int> die(1, 6);
    perValue(state, [&] { return die(g); });
}

// Named cxx/<operation>/<implementation> for bench/ratios.py.
BENCHMARK(BM_CxxUint64)->Name("cxx/uint64/ours_cxx");
BENCHMARK(BM_CAbiUint64)->Name("cxx/uint64/c_abi");
BENCHMARK(BM_CAbiUint64Hoisted)->Name("cxx/uint64/c_abi_hoisted");
BENCHMARK(BM_CxxUniform)->Name("cxx/uniform/ours_cxx");
BENCHMARK(BM_CAbiUniform)->Name("cxx/uniform/c_abi");
BENCHMARK(BM_CxxGamma)->Name("cxx/gamma/ours_cxx");
BENCHMARK(BM_CAbiGamma)->Name("cxx/gamma/c_abi");
BENCHMARK(BM_CxxFillNormal)->Name("cxx/fill_normal/ours_cxx");
BENCHMARK(BM_CAbiFillNormal)->Name("cxx/fill_normal/c_abi");
BENCHMARK(BM_CxxUniformIntDistribution)->Name("cxx/uniform_int_distribution/ours_cxx");
BENCHMARK(BM_StdUniformIntDistribution)->Name("cxx/uniform_int_distribution/std");

} // namespace
