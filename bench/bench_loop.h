/* The timing loop every benchmark shares: draws in batches of kBatch per
 * iteration, each kept alive, reported as items so that Google Benchmark's
 * items_per_second (and bench/ratios.py) give the cost of one value. */
#ifndef VX_BENCH_BENCH_LOOP_H
#define VX_BENCH_BENCH_LOOP_H

#include <benchmark/benchmark.h>

namespace vxbench {

inline constexpr int kBatch = 1024;

template <class Draw>
void perValue(benchmark::State& state, Draw draw)
{
    for (auto _ : state)
        for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(draw());
    state.SetItemsProcessed(state.iterations() * kBatch);
}

} // namespace vxbench

#endif
