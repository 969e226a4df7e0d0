// Pearson's chi-square bins for whole-valued draws against a probability
// function on first..last: bins merged upwards until each expects at least
// five draws, and the mass beyond `last`, with the draws that fell there
// (`above`), in the top bin.  Shared by the goodness-of-fit test and the
// accuracy report (bench/accuracy), so that both read a sample alike.
#ifndef VX_TESTS_SUPPORT_CHI_SQUARE_BINS_H
#define VX_TESTS_SUPPORT_CHI_SQUARE_BINS_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

struct ChiSquareBins {
    std::vector<double> expected, observed;

    double statistic() const
    {
        double stat = 0.0;
        for (size_t i = 0; i < expected.size(); ++i)
            stat += (observed[i] - expected[i]) * (observed[i] - expected[i]) / expected[i];
        return stat;
    }
};

template <class Pmf>
ChiSquareBins chiSquareBins(const std::map<int64_t, double>& counts, double above, double n, int64_t first,
                            int64_t last, const Pmf& pmf)
{
    ChiSquareBins b;
    double e = 0.0, o = 0.0, mass = 0.0;
    for (int64_t k = first; k <= last; ++k) {
        const double p = pmf(k);
        mass += p;
        e += n * p;
        const auto at = counts.find(k);
        o += at != counts.end() ? at->second : 0.0;
        if (e >= 5.0) {
            b.expected.push_back(e);
            b.observed.push_back(o);
            e = o = 0.0;
        }
    }
    e += n * std::max(0.0, 1.0 - mass);
    o += above;
    if (b.expected.empty() || e >= 5.0) {
        b.expected.push_back(e);
        b.observed.push_back(o);
    } else {
        b.expected.back() += e;
        b.observed.back() += o;
    }
    return b;
}

#endif
