// Draw cost of the Threefry, PCG and MH3 engines through the descriptor,
// beside the published algorithm inlined into the loop (Random123's block
// functions called directly, pcg-cpp's generators, fmix64) and the same
// algorithm reached through one function pointer, all in the same run.
// descriptor / pointer is what the engine template costs over a plain
// out-of-line generator; pointer / inline is the price of the call itself.
#include <benchmark/benchmark.h>

#include <Random123/threefry.h>
#include <pcg_random.hpp>

#include <cstdint>
#include <string>
#include <utility>

#include "bench/bench_loop.h"
#include "subs/zrand.h"
#include "subs/zrng.h"

namespace {

using vxbench::kBatch;
using vxbench::perValue;

// ---- through the descriptor ----------------------------------------------------------

struct Engine {
    const char* name;
    void (*setup)(zrngptr, uint64_t);
};
constexpr Engine kEngines[] = {{"FRY2X32", zrnfFRY2X32}, {"FRY2X64", zrnfFRY2X64}, {"FRY4X64", zrnfFRY4X64},
                               {"PCG32I", zrnfPCG32I},   {"PCG64I", zrnfPCG64I},   {"MH3", zrnfMH3}};

struct EngineBlob {
    ZRNG_S q;
    ZRANMT blob;
    explicit EngineBlob(const Engine& e)
    {
        e.setup(&q, 0);
        q.zrng_seed_64(&blob, 5489);
    }
};

enum class Op { Uint32, Uint64, Rangen };

void BM_Engine(benchmark::State& state, const Engine& engine, Op op)
{
    EngineBlob e(engine);
    switch (op) {
    case Op::Uint32: perValue(state, [f = e.q.zrng_uint32, &e] { return f(&e.blob); }); break;
    case Op::Uint64: perValue(state, [f = e.q.zrng_uint64, &e] { return f(&e.blob); }); break;
    case Op::Rangen: perValue(state, [f = e.q.zrng_double_open, &e] { return f(&e.blob); }); break;
    }
}

// Named engines/<ENGINE>/<op>/ours for bench/ratios.py; the peers below
// carry the same group names.
const bool kRegistered = [] {
    const std::pair<Op, const char*> ops[] = {{Op::Uint32, "uint32"}, {Op::Uint64, "uint64"}, {Op::Rangen, "rangen"}};
    for (const Engine& e : kEngines)
        for (auto [op, opName] : ops)
            benchmark::RegisterBenchmark((std::string("engines/") + e.name + "/" + opName + "/ours").c_str(),
                                         BM_Engine, e, op);
    return true;
}();

// ---- the published algorithms ---------------------------------------------------------

// Random123 with the lanes of one block handed out before the next is made.
template <class Ctr, class Key, Ctr (*F)(unsigned, Ctr, Key)>
struct R123Stream {
    Ctr ctr{};
    Key key{};
    Ctr blk{};
    unsigned lane = Ctr::static_size;
    explicit R123Stream(uint64_t seed)
    {
        key.v[0] = static_cast<typename Key::value_type>(seed);
        ctr.v[0] = 1;
    }
    [[gnu::always_inline]] inline typename Ctr::value_type operator()()
    {
        if (lane == Ctr::static_size) {
            blk = F(20, ctr, key);
            ctr.incr();
            lane = 0;
        }
        return blk.v[lane++];
    }
};

inline threefry2x32_ctr_t tf2x32(unsigned r, threefry2x32_ctr_t c, threefry2x32_key_t k)
{
    return threefry2x32_R(r, c, k);
}
inline threefry2x64_ctr_t tf2x64(unsigned r, threefry2x64_ctr_t c, threefry2x64_key_t k)
{
    return threefry2x64_R(r, c, k);
}
inline threefry4x64_ctr_t tf4x64(unsigned r, threefry4x64_ctr_t c, threefry4x64_key_t k)
{
    return threefry4x64_R(r, c, k);
}
using Fry2x32Peer = R123Stream<threefry2x32_ctr_t, threefry2x32_key_t, tf2x32>;
using Fry2x64Peer = R123Stream<threefry2x64_ctr_t, threefry2x64_key_t, tf2x64>;
using Fry4x64Peer = R123Stream<threefry4x64_ctr_t, threefry4x64_key_t, tf4x64>;

struct Mh3Peer {
    uint64_t x;
    explicit Mh3Peer(uint64_t s) : x(s) {}
    inline uint64_t operator()()
    {
        uint64_t k = x;
        k ^= k >> 33;
        k *= 0xff51afd7ed558ccdull;
        k ^= k >> 33;
        k *= 0xc4ceb9fe1a85ec53ull;
        k ^= k >> 33;
        return x = k;
    }
};

using Pcg32Peer = pcg_engines::setseq_rxs_m_xs_32_32;
using Pcg64Peer = pcg_engines::setseq_rxs_m_xs_64_64;

// The stream uniform of each width as the engines compute it, with the same
// branch-free uint64-to-double conversion, so that only the call differs.
inline double u64ToDouble(uint64_t u)
{
    return static_cast<double>(static_cast<int64_t>(u >> 32)) * 0x1p32 +
           static_cast<double>(static_cast<int64_t>(u & 0xFFFFFFFFu));
}

template <class G>
inline double uniform(G& g)
{
    if constexpr (sizeof(g()) == 4) {
        uint32_t i = g();
        while (i == 0) i = g();
        return static_cast<double>(i) * 0x1p-32;
    } else {
        for (;;) {
            const uint64_t u = g();
            if (u != 0 && u < 0xFFFFFFFFFFFFFC00ull) return u64ToDouble(u) * 0x1p-64;
        }
    }
}

// Inlined into the loop: the floor.
template <class G>
void BM_PeerInlineRaw(benchmark::State& state)
{
    G g(5489);
    perValue(state, [&] { return g(); });
}
template <class G>
void BM_PeerInlineUniform(benchmark::State& state)
{
    G g(5489);
    perValue(state, [&] { return uniform(g); });
}
BENCHMARK(BM_PeerInlineRaw<Fry2x32Peer>)->Name("engines/FRY2X32/uint32/inline");
BENCHMARK(BM_PeerInlineRaw<Fry2x64Peer>)->Name("engines/FRY2X64/uint64/inline");
BENCHMARK(BM_PeerInlineRaw<Fry4x64Peer>)->Name("engines/FRY4X64/uint64/inline");
BENCHMARK(BM_PeerInlineRaw<Pcg32Peer>)->Name("engines/PCG32I/uint32/inline");
BENCHMARK(BM_PeerInlineRaw<Pcg64Peer>)->Name("engines/PCG64I/uint64/inline");
BENCHMARK(BM_PeerInlineRaw<Mh3Peer>)->Name("engines/MH3/uint64/inline");
BENCHMARK(BM_PeerInlineUniform<Fry2x32Peer>)->Name("engines/FRY2X32/rangen/inline");
BENCHMARK(BM_PeerInlineUniform<Fry2x64Peer>)->Name("engines/FRY2X64/rangen/inline");
BENCHMARK(BM_PeerInlineUniform<Fry4x64Peer>)->Name("engines/FRY4X64/rangen/inline");
BENCHMARK(BM_PeerInlineUniform<Pcg32Peer>)->Name("engines/PCG32I/rangen/inline");
BENCHMARK(BM_PeerInlineUniform<Pcg64Peer>)->Name("engines/PCG64I/rangen/inline");
BENCHMARK(BM_PeerInlineUniform<Mh3Peer>)->Name("engines/MH3/rangen/inline");

// The same algorithm out of line behind one function pointer, as the
// descriptor calls an engine: the fair comparison for the template.
template <class G>
auto pointerDraw(void* p)
{
    return (*static_cast<G*>(p))();
}
template <class G>
double pointerUniform(void* p)
{
    return uniform(*static_cast<G*>(p));
}

template <class G>
void BM_PeerPointerRaw(benchmark::State& state)
{
    G g(5489);
    decltype(&pointerDraw<G>) volatile fp = &pointerDraw<G>;
    auto f = fp;
    perValue(state, [&] { return f(&g); });
}
template <class G>
void BM_PeerPointerUniform(benchmark::State& state)
{
    G g(5489);
    double (*volatile fp)(void*) = &pointerUniform<G>;
    auto f = fp;
    perValue(state, [&] { return f(&g); });
}
BENCHMARK(BM_PeerPointerRaw<Fry2x32Peer>)->Name("engines/FRY2X32/uint32/ref");
BENCHMARK(BM_PeerPointerRaw<Fry2x64Peer>)->Name("engines/FRY2X64/uint64/ref");
BENCHMARK(BM_PeerPointerRaw<Fry4x64Peer>)->Name("engines/FRY4X64/uint64/ref");
BENCHMARK(BM_PeerPointerRaw<Pcg32Peer>)->Name("engines/PCG32I/uint32/ref");
BENCHMARK(BM_PeerPointerRaw<Pcg64Peer>)->Name("engines/PCG64I/uint64/ref");
BENCHMARK(BM_PeerPointerRaw<Mh3Peer>)->Name("engines/MH3/uint64/ref");
BENCHMARK(BM_PeerPointerUniform<Fry2x32Peer>)->Name("engines/FRY2X32/rangen/ref");
BENCHMARK(BM_PeerPointerUniform<Fry2x64Peer>)->Name("engines/FRY2X64/rangen/ref");
BENCHMARK(BM_PeerPointerUniform<Fry4x64Peer>)->Name("engines/FRY4X64/rangen/ref");
BENCHMARK(BM_PeerPointerUniform<Pcg32Peer>)->Name("engines/PCG32I/rangen/ref");
BENCHMARK(BM_PeerPointerUniform<Pcg64Peer>)->Name("engines/PCG64I/rangen/ref");
BENCHMARK(BM_PeerPointerUniform<Mh3Peer>)->Name("engines/MH3/rangen/ref");

} // namespace
