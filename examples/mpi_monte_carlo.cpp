// A distributed Monte Carlo with MPI: the price of an Asian call option, the
// average of twelve monthly fixings against a strike, under geometric
// Brownian motion.
//
//   mpirun -n RANKS mpi_monte_carlo [EXPERIMENT_SEED]
//
// The work is a fixed set of tasks.  Task k always draws from the same
// substream, Threefry-4x64 with the experiment seed and key k + 1, whichever
// rank runs it; each rank returns one partial result per task, and rank 0
// adds them up in task order.  The printed price is therefore the same, bit
// for bit, for every number of ranks, and another experiment seed gives
// another price.  docs/parallel.md explains the rules this follows.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include <mpi.h>

#include <vxalea/vxalea.hpp>

namespace {

constexpr int kTasks = 4000;
constexpr int kPathsPerTask = 250;
constexpr int kFixings = 12;

// The option: spot, strike, rate, volatility, years.
constexpr double S0 = 100.0, K = 100.0, r = 0.03, sigma = 0.25, T = 1.0;

double normalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

// The geometric average of the fixings is lognormal, so its call has a closed
// form: a check on the simulation, which prices it from the same paths.
double geometricAsianCall()
{
    const double n = kFixings;
    const double mu = std::log(S0) + (r - 0.5 * sigma * sigma) * T * (n + 1) / (2 * n);
    const double sd = sigma * std::sqrt(T * (n + 1) * (2 * n + 1) / (6 * n * n));
    const double d1 = (mu - std::log(K) + sd * sd) / sd;
    return std::exp(-r * T) * (std::exp(mu + 0.5 * sd * sd) * normalCdf(d1) - K * normalCdf(d1 - sd));
}

// What a task hands back; sums, so that tasks combine by addition.
struct Partial {
    double payoff = 0.0;    // arithmetic-average payoffs
    double squares = 0.0;   // their squares, for the standard error
    double geometric = 0.0; // geometric-average payoffs
};
constexpr int kWords = 4; // task index and the three sums, sent as doubles

Partial runTask(const vxalea::module& mod, vxalea::pool& pool, uint64_t experimentSeed, int task)
{
    auto s = vxalea::task_stream(mod, pool, experimentSeed, static_cast<uint64_t>(task), "FRY4X64");
    const double dt = T / kFixings;
    const double drift = (r - 0.5 * sigma * sigma) * dt, vol = sigma * std::sqrt(dt);
    Partial p;
    for (int path = 0; path < kPathsPerTask; ++path) {
        double logS = std::log(S0), sum = 0.0, logSum = 0.0;
        for (int i = 0; i < kFixings; ++i) {
            logS += drift + vol * s.normal();
            sum += std::exp(logS);
            logSum += logS;
        }
        const double arithmetic = std::fmax(sum / kFixings - K, 0.0);
        p.payoff += arithmetic;
        p.squares += arithmetic * arithmetic;
        p.geometric += std::fmax(std::exp(logSum / kFixings) - K, 0.0);
    }
    return p;
}

int run(int rank, int size, uint64_t experimentSeed)
{
    vxalea::host host;
    vxalea::module mod(host);
    vxalea::pool pool(host);

    // Any assignment of tasks to ranks gives the same answer; round robin
    // keeps the ranks evenly loaded.
    std::vector<double> mine;
    for (int k = rank; k < kTasks; k += size) {
        const Partial p = runTask(mod, pool, experimentSeed, k);
        mine.insert(mine.end(), {static_cast<double>(k), p.payoff, p.squares, p.geometric});
    }

    const int count = static_cast<int>(mine.size());
    std::vector<int> counts(static_cast<size_t>(size)), offsets(static_cast<size_t>(size));
    MPI_Gather(&count, 1, MPI_INT, counts.data(), 1, MPI_INT, 0, MPI_COMM_WORLD);
    int total = 0;
    for (int i = 0; i < size; ++i) {
        offsets[static_cast<size_t>(i)] = total;
        total += counts[static_cast<size_t>(i)];
    }
    std::vector<double> all(rank == 0 ? static_cast<size_t>(total) : 0);
    MPI_Gatherv(mine.data(), count, MPI_DOUBLE, all.data(), counts.data(), offsets.data(), MPI_DOUBLE, 0,
                MPI_COMM_WORLD);
    if (rank != 0) return 0;

    // Put every partial result in its task's place, then add in task order.
    // MPI_Reduce would add in an order that depends on the number of ranks,
    // and floating-point addition is not associative.
    std::vector<Partial> byTask(kTasks);
    std::vector<bool> seen(kTasks, false);
    for (size_t i = 0; i + kWords <= all.size(); i += kWords) {
        const int k = static_cast<int>(all[i]);
        if (k < 0 || k >= kTasks || seen[static_cast<size_t>(k)]) {
            std::fprintf(stderr, "mpi_monte_carlo: task %d returned twice or out of range\n", k);
            return 1;
        }
        seen[static_cast<size_t>(k)] = true;
        byTask[static_cast<size_t>(k)] = {all[i + 1], all[i + 2], all[i + 3]};
    }
    if (total != kTasks * kWords) {
        std::fprintf(stderr, "mpi_monte_carlo: %d of %d tasks returned\n", total / kWords, kTasks);
        return 1;
    }
    Partial sum;
    for (const Partial& p : byTask) {
        sum.payoff += p.payoff;
        sum.squares += p.squares;
        sum.geometric += p.geometric;
    }

    const double n = static_cast<double>(kTasks) * kPathsPerTask;
    const double mean = sum.payoff / n;
    const double sd = std::sqrt((sum.squares / n - mean * mean) / (n - 1));
    const double discount = std::exp(-r * T);
    std::fprintf(stderr, "ranks: %d\n", size);
    std::printf("experiment seed %llu, %d tasks, %.0f paths\n", static_cast<unsigned long long>(experimentSeed),
                kTasks, n);
    std::printf("asian call %.17g (standard error %.3g)\n", discount * mean, discount * sd);
    std::printf("geometric asian call %.17g (closed form %.6f)\n", discount * sum.geometric / n,
                geometricAsianCall());
    return 0;
}

// Decimal, and not 0: seed 0 would ask each rank for a seed from its own clock.
bool parseSeed(const char* text, uint64_t& seed)
{
    if (text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    seed = std::strtoull(text, &end, 10);
    return *end == '\0' && errno == 0 && seed != 0;
}

} // namespace

int main(int argc, char** argv)
{
    MPI_Init(&argc, &argv);
    int rank = 0, size = 1;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &size);

    uint64_t experimentSeed = 2026;
    if (argc > 2 || (argc == 2 && !parseSeed(argv[1], experimentSeed))) {
        if (rank == 0) std::fprintf(stderr, "usage: mpi_monte_carlo [EXPERIMENT_SEED (1 to 2^64-1)]\n");
        MPI_Finalize();
        return 2;
    }

    int rc = 1;
    try {
        rc = run(rank, size, experimentSeed);
    } catch (const std::exception& e) {
        // The other ranks may be waiting in a collective call.
        std::fprintf(stderr, "mpi_monte_carlo: rank %d: %s\n", rank, e.what());
        MPI_Abort(MPI_COMM_WORLD, 1);
    }
    MPI_Finalize();
    return rc;
}
