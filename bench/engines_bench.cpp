// Draw cost of the Mersenne Twister engines through the descriptor, beside
// the standard library's engines inlined into the loop and the same engines
// reached through one function pointer, all in the same run: ours / ref is
// what the descriptor costs over a plain out-of-line generator.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "bench/bench_loop.h"
#include "subs/zrand.h"
#include "subs/zrng.h"

namespace {

using vxbench::kBatch;
using vxbench::perValue;

struct EngineBlob {
    ZRNG_S q;
    ZRANMT blob;
    explicit EngineBlob(void (*setup)(zrngptr, uint64_t))
    {
        setup(&q, 0);
        q.zrng_seed_32(&blob, 5489);
    }
};

struct Engine {
    const char* name;
    void (*setup)(zrngptr, uint64_t);
};
constexpr Engine kEngines[] = {
    {"MT32", zrnfMT32}, {"MT1998", zrnfMT1998}, {"MTHYBRID", zrnfMTHYBRID}, {"MT64", zrnfMT64}};

enum class Op { Uint32, Uint64, Rangen };

void BM_Engine(benchmark::State& state, const Engine& engine, Op op)
{
    EngineBlob e(engine.setup);
    switch (op) {
    case Op::Uint32: perValue(state, [f = e.q.zrng_uint32, &e] { return f(&e.blob); }); break;
    case Op::Uint64: perValue(state, [f = e.q.zrng_uint64, &e] { return f(&e.blob); }); break;
    case Op::Rangen: perValue(state, [f = e.q.zrng_double_open, &e] { return f(&e.blob); }); break;
    }
}

// The standard engines: inlined into the loop ("std"), and out of line
// behind one function pointer ("ref"), as the descriptor calls an engine.
template <class G>
uint64_t u64Of(G& g)
{
    if constexpr (sizeof(typename G::result_type) == 8) {
        return g();
    } else {
        const uint64_t a = g();
        return (a << 32) | g();
    }
}
template <class G>
double uniformOf(G& g)
{
    if constexpr (sizeof(typename G::result_type) == 8)
        return static_cast<double>(g()) * 0x1p-64;
    else
        return static_cast<double>(g()) * 0x1p-32;
}
template <class G>
uint32_t refU32(void* p) { return static_cast<uint32_t>((*static_cast<G*>(p))()); }
template <class G>
uint64_t refU64(void* p) { return u64Of(*static_cast<G*>(p)); }
template <class G>
double refUniform(void* p) { return uniformOf(*static_cast<G*>(p)); }

template <class G>
void BM_Std(benchmark::State& state, Op op)
{
    G g(5489);
    switch (op) {
    case Op::Uint32: perValue(state, [&] { return static_cast<uint32_t>(g()); }); break;
    case Op::Uint64: perValue(state, [&] { return u64Of(g); }); break;
    case Op::Rangen: perValue(state, [&] { return uniformOf(g); }); break;
    }
}
template <class G>
void BM_Ref(benchmark::State& state, Op op)
{
    G g(5489);
    uint32_t (*volatile f32)(void*) = refU32<G>;
    uint64_t (*volatile f64)(void*) = refU64<G>;
    double (*volatile fd)(void*) = refUniform<G>;
    switch (op) {
    case Op::Uint32: perValue(state, [f = f32, &g] { return f(&g); }); break;
    case Op::Uint64: perValue(state, [f = f64, &g] { return f(&g); }); break;
    case Op::Rangen: perValue(state, [f = fd, &g] { return f(&g); }); break;
    }
}

// Named engines/<ENGINE>/<op>/<implementation> for bench/ratios.py.
const bool kRegistered = [] {
    const std::pair<Op, const char*> ops[] = {{Op::Uint32, "uint32"}, {Op::Uint64, "uint64"}, {Op::Rangen, "rangen"}};
    for (const Engine& e : kEngines) {
        const bool wide = std::string(e.name) == "MT64";
        for (auto [op, opName] : ops) {
            const std::string base = std::string("engines/") + e.name + "/" + opName + "/";
            benchmark::RegisterBenchmark((base + "ours").c_str(), BM_Engine, e, op);
            if (wide) {
                benchmark::RegisterBenchmark((base + "std").c_str(), BM_Std<std::mt19937_64>, op);
                benchmark::RegisterBenchmark((base + "ref").c_str(), BM_Ref<std::mt19937_64>, op);
            } else {
                benchmark::RegisterBenchmark((base + "std").c_str(), BM_Std<std::mt19937>, op);
                benchmark::RegisterBenchmark((base + "ref").c_str(), BM_Ref<std::mt19937>, op);
            }
        }
    }
    return true;
}();

} // namespace
