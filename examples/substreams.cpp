// Independent replications from substreams: one seed, and replication k
// draws from the substream of key k.  The example estimates the mean wait in
// an M/M/1 queue (arrival rate 0.8, service rate 1, exact value 4) from ten
// replications, then re-runs replication 3 alone from the seed and the key.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <vxalea/vxalea.hpp>

namespace {

constexpr double kArrival = 0.8, kService = 1.0;
constexpr int kCustomers = 100000, kWarmUp = 1000;

// Lindley's recursion for the waits of successive customers.
double meanWait(vxalea::stream64& s)
{
    double wait = 0.0, sum = 0.0;
    for (int i = 0; i < kWarmUp + kCustomers; ++i) {
        const double service = s.exponential() / kService;
        const double gap = s.exponential() / kArrival;
        wait = std::max(0.0, wait + service - gap);
        if (i >= kWarmUp) sum += wait;
    }
    return sum / kCustomers;
}

} // namespace

int main()
try {
    vxalea::host host;
    vxalea::module mod(host);
    vxalea::pool pool(host);
    const uint64_t seed = 20261206;
    vxalea::stream64 base(mod, pool, {.method = "MT64", .seed = seed});

    std::vector<double> waits;
    for (uint64_t key = 1; key <= 10; ++key) {
        vxalea::stream64 replication = base.substream(key);
        waits.push_back(meanWait(replication));
        std::printf("replication %2llu  mean wait %.4f\n", static_cast<unsigned long long>(key), waits.back());
    }
    double mean = 0.0, var = 0.0;
    for (double w : waits) mean += w / static_cast<double>(waits.size());
    for (double w : waits) var += (w - mean) * (w - mean) / static_cast<double>(waits.size() - 1);
    const double half = 2.262 * std::sqrt(var / static_cast<double>(waits.size())); // t(9), 95 %
    std::printf("mean wait %.4f +- %.4f (exact %.4f)\n", mean, half, kArrival / (kService * (kService - kArrival)));

    // A replication is addressed by seed and key alone.
    vxalea::stream64 again(mod, pool, {.method = "MT64", .seed = seed, .key = 3});
    const double w3 = meanWait(again);
    std::printf("replication 3 again: %.4f\n", w3);
    return w3 == waits[2] ? 0 : 1;
} catch (const vxalea::error& e) {
    std::fprintf(stderr, "substreams: %s\n", e.what());
    return 1;
}
