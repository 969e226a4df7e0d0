// The floor for every sampler: its own algorithm written inline
// (bench/sampler_references.h) on the same uniforms, from an
// inline MT19937-64 through the MT64 stream's conversion, with no stream, no
// function pointer per uniform and no guarded exp/pow between the loop and
// the arithmetic.
//
// Rows are those of bench/distributions_bench.cpp (and dist/UNIFORM/MT64,
// dist/NORMAL/MT64 of bench/samplers_bench.cpp), implementations
//   inline         the twin, its set-up built once before the loop
//   inline_cached  (gamma, beta, binomial, Poisson) the twin keeping its
//                  set-up the module's way: the parameters, unknown to the
//                  compiler, compared with the saved ones on every draw
// so that bench/ratios.py shows ours_one/inline, ours_buf/inline (what the
// module's calling convention costs) and inline_cached/inline (what the
// per-draw check of a saved set-up costs).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <type_traits>

#include "bench/bench_loop.h"
#include "bench/inline_samplers.h"

namespace {

using vxbench::perValue;
constexpr uint64_t kSeed = 5489;

[[maybe_unused]] const bool kRegistered = [] {
    vxinline::forEachRow([](const char* dist, const char* params, auto ours, auto twin,
                            auto cached) {
        (void)ours; // timed by distributions_bench.cpp and samplers_bench.cpp
        const std::string base = std::string("dist/") + dist + "/" + params + "/";
        benchmark::RegisterBenchmark((base + "inline").c_str(), [twin](benchmark::State& state) {
            vxinline::Mt64Uniform u(kSeed);
            auto draw = twin;
            perValue(state, [&] { return draw(u); });
        });
        if constexpr (!std::is_same_v<decltype(cached), vxinline::NoCache>) {
            benchmark::RegisterBenchmark((base + "inline_cached").c_str(),
                                         [cached](benchmark::State& state) {
                                             vxinline::Mt64Uniform u(kSeed);
                                             auto draw = cached;
                                             perValue(state, [&] { return draw(u); });
                                         });
        }
    });
    return true;
}();

} // namespace
