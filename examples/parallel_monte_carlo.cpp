// A parallel Monte Carlo on the module's shared generators: the price of a
// European call option under geometric Brownian motion, with OpenMP threads.
//
//   parallel_monte_carlo [THREADS [BASE_SEED]]
//
// The work is cut into one chunk per generator of the shared array, and
// chunk g always draws from generator g (base seed + g).  Threads only decide
// who computes which chunk, and the chunk sums are added in chunk order, so
// the printed result is the same for a base seed whatever the number of
// threads, up to the size of the array.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <omp.h>

#include <vxalea/vxalea.hpp>

namespace {

constexpr int kGenerators = 8;
constexpr long kPathsPerChunk = 200000;

// The option: spot, strike, rate, volatility, years.
constexpr double S0 = 100.0, K = 105.0, r = 0.03, sigma = 0.2, T = 1.0;

double blackScholesCall()
{
    const double d1 = (std::log(S0 / K) + (r + 0.5 * sigma * sigma) * T) / (sigma * std::sqrt(T));
    const double d2 = d1 - sigma * std::sqrt(T);
    auto N = [](double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); };
    return S0 * N(d1) - K * std::exp(-r * T) * N(d2);
}

struct Sums {
    double payoff = 0.0;
    double squares = 0.0;
};

Sums chunk(vxalea::stream64_ref g)
{
    const double drift = (r - 0.5 * sigma * sigma) * T, vol = sigma * std::sqrt(T);
    Sums s;
    for (long i = 0; i < kPathsPerChunk; ++i) {
        const double payoff = std::max(S0 * std::exp(drift + vol * g.normal()) - K, 0.0);
        s.payoff += payoff;
        s.squares += payoff * payoff;
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
try {
    int threads = argc > 1 ? std::atoi(argv[1]) : kGenerators;
    const int32_t baseSeed = argc > 2 ? std::atoi(argv[2]) : 2026;
    if (threads < 1 || threads > kGenerators) {
        std::fprintf(stderr, "parallel_monte_carlo: threads must be 1 to %d\n", kGenerators);
        return 2;
    }

    vxalea::host host;
    vxalea::module mod(host);
    vxalea::shared_generators generators(mod, kGenerators);
    const auto seeding = generators.seed(baseSeed);
    const int chunks = static_cast<int>(generators.size()); // every attached caller gives the same count

    std::vector<Sums> sums(static_cast<size_t>(chunks));
#pragma omp parallel for num_threads(threads) schedule(static)
    for (int c = 0; c < chunks; ++c) sums[static_cast<size_t>(c)] = chunk(generators[static_cast<size_t>(c)]);

    Sums total;
    for (const Sums& s : sums) {
        total.payoff += s.payoff;
        total.squares += s.squares;
    }
    const double n = static_cast<double>(chunks) * kPathsPerChunk;
    const double mean = total.payoff / n;
    const double sd = std::sqrt((total.squares / n - mean * mean) / (n - 1));
    const double discount = std::exp(-r * T);

    std::fprintf(stderr, "%d threads\n", threads);
    std::printf("base seed %d, %d generators, %.0f paths\n", seeding.seed, chunks, n);
    std::printf("call price %.17g (standard error %.3g)\n", discount * mean, discount * sd);
    std::printf("closed form %.6f\n", blackScholesCall());
    return 0;
} catch (const vxalea::error& e) {
    std::fprintf(stderr, "parallel_monte_carlo: %s\n", e.what());
    return 1;
}
