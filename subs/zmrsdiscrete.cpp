/* Geometric, hypergeometric, Bernoulli and tabled variates: no saved state;
 * every result is a whole number returned as a double. */
#include <cmath>
#include <cstdint>

#include "subs/zln1px.h"
#include "subs/zmrsblock.h"
#include "subs/zmrsbuffer.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace {

using zmrs::Uniform;
using zmrs::usable;

/* Below this success probability counting trials would take over a thousand
 * uniforms on average; one uniform through the inverse distribution function
 * is cheaper. */
constexpr double kGeometricInversion = 0.001;

/* The counting method stops after kCountingBound / pr uniforms with the
 * missing value: a working generator needs more with probability
 * (1 - pr)^n < e^(-pr n) = e^-44.4 < 2^-64 per variate, so only a generator
 * stuck above pr meets it.  That is at most 44 400 uniforms, at the method's
 * smallest pr (0.001), or 4.4 x 10^6 engine draws at 100 per uniform on a
 * stuck engine, and within 10^6 from pr = 0.0044 up (89 uniforms at 0.5).
 * A bound fixed for every pr is either too short at pr = 0.001 (10^4
 * uniforms would end one variate in 22 000 of a working generator with the
 * missing value) or far too long at pr = 0.5 (10^6 uniforms, 10^8 engine
 * draws on a stuck engine). */
constexpr double kCountingBound = 44.4;

/* GEOMETRIC leaves 0 < pr <= 1 to the caller.  Outside that, or for a NaN,
 * the missing value without a uniform drawn: pr <= 0 would count for ever. */
bool geometricOk(double pr) { return pr > 0.0 && pr <= 1.0; }

/* Inversion, with ln(1 - pr) given. */
[[gnu::always_inline]] inline double geometricOf(double u, double lnq) { return std::ceil(std::log(u) / lnq); }

[[gnu::always_inline]] inline double geometricDraw(MRandPtr q, double pr)
{
    if (pr == 1.0) return 1.0;
    const Uniform next(q);
    if (pr < kGeometricInversion) return geometricOf(next(), zln1px(-pr));
    const double bound = kCountingBound / pr;
    for (double count = 1.0; count <= bound; count += 1.0)
        if (next() <= pr) return count;
    return zmrsMissing();
}

/* The draw counter is 32 bits wide, so more than 2^31 - 1 draws (possible
 * only with nn above that) are refused with the missing value, no uniform
 * drawn. */
enum class HyperCase { Missing, Zero, Draw };

HyperCase hyperCase(long nn, long n, long k)
{
    if (nn <= 0 || n > nn || k > nn) return HyperCase::Missing;
    if (k > INT32_MAX) return HyperCase::Missing;
    if (k <= 0 || n < 0) return HyperCase::Zero;
    return HyperCase::Draw;
}

/* Sequential draws without replacement: the i-th item is marked with
 * probability (marked left) / (items left).  k uniforms, fewer only when a
 * uniform of exactly 0 (a crude stream) marks more than n items.  The count
 * of uniforms is the algorithm's, so no bound shortens it: k = 2^31 - 1
 * takes about a minute, and a hundred times that on a stuck engine. */
template <class U>
[[gnu::always_inline]] inline double hyperDraw(U&& next, long nn, long n, int32_t k)
{
    int64_t x = 0;
    double marked = static_cast<double>(n);
    double left = static_cast<double>(nn);
    for (int32_t i = 0; i < k && x <= n; ++i) {
        if (next() <= marked / left) {
            ++x;
            marked -= 1.0;
        }
        left -= 1.0;
    }
    return static_cast<double>(x);
}

/* The k uniforms of each variate from the stream's bulk fill, a chunk at a
 * time.  Only for fills that never give 0: then no variate stops early and
 * the engine stops where one-at-a-time calls stop. */
class VariateUniforms {
public:
    VariateUniforms(vxeng::UniformFill fill, void* blob) : fill_(fill), blob_(blob) {}
    void start(int32_t k)
    {
        left_ = k;
        pos_ = len_ = 0;
    }
    double operator()()
    {
        if (pos_ == len_) {
            len_ = left_ < kCapacity ? left_ : kCapacity;
            left_ -= len_;
            fill_(blob_, buf_, len_);
            pos_ = 0;
        }
        return buf_[pos_++];
    }

private:
    static constexpr int32_t kCapacity = 256;
    vxeng::UniformFill fill_;
    void* blob_;
    int32_t left_ = 0;
    int32_t pos_ = 0;
    int32_t len_ = 0;
    double buf_[kCapacity];
};

bool bernoulliOk(double p) { return p >= 0.0 && p <= 1.0; }

[[gnu::always_inline]] inline double bernoulliOf(double u, double p) { return u <= p ? 1.0 : 0.0; }

/* The table is used as given: no normalisation, no check of its entries.  A
 * null table with entries to read gives the missing value, no uniform
 * drawn. */
bool tableOk(long count, const double* table) { return count <= 0 || table != nullptr; }

[[gnu::always_inline]] inline double tableOf(double u, long count, const double* table)
{
    double sum = 0.0;
    for (long i = 0; i < count; ++i) {
        sum += table[i];
        if (u <= sum) return static_cast<double>(i) + 1.0;
    }
    return count > 0 ? static_cast<double>(count) + 1.0 : 1.0;
}

} // namespace

extern "C" {

VXAPI double GetOneVariateGEOMETRIC(MRandPtr q, double pr)
{
    zrand_check(q, 1);
    if (!usable(q) || !geometricOk(pr)) return zmrsMissing();
    return geometricDraw(q, pr);
}

VXAPI int FillTheBufferGEOMETRIC(MRandPtr q, double pr)
{
    zrand_check(q, 1);
    if (usable(q) && geometricOk(pr) && pr < kGeometricInversion) {
        const double lnq = zln1px(-pr);
        return zmrs::fillOnePerVariate(q, true, [lnq](double u) { return geometricOf(u, lnq); });
    }
    return zmrs::fillTheBuffer(q, usable(q) && geometricOk(pr),
                               [pr](MRandPtr r) { return geometricDraw(r, pr); });
}

VXAPI double GetOneVariateHYPERGEOMETRIC(MRandPtr q, long nn, long n, long k)
{
    zrand_check(q, 1);
    switch (hyperCase(nn, n, k)) {
    case HyperCase::Missing:
        return zmrsMissing();
    case HyperCase::Zero:
        return 0.0;
    case HyperCase::Draw:
        break;
    }
    if (!usable(q)) return zmrsMissing();
    return hyperDraw(Uniform(q), nn, n, static_cast<int32_t>(k));
}

VXAPI int FillTheBufferHYPERGEOMETRIC(MRandPtr q, long nn, long n, long k)
{
    zrand_check(q, 1);
    const HyperCase what = hyperCase(nn, n, k);
    if (what == HyperCase::Zero)
        return zmrs::fillTheBuffer(q, true, [](MRandPtr) { return 0.0; });
    const int32_t draws = what == HyperCase::Draw ? static_cast<int32_t>(k) : 0;
    const bool ok = what == HyperCase::Draw && usable(q);
    if (ok && q->VBuffer != nullptr && q->NBuffer > 0) {
        bool positive = false;
        vxeng::UniformFill fill = zmrs::blockFillFor(q, &positive);
        /* Only a uniform of exactly 0 marks an item with none left to mark
         * and stops a variate before its k-th uniform. */
        if (fill != nullptr && positive) {
            VariateUniforms next(fill, q->Blob);
            for (int64_t i = 0; i < q->NBuffer; ++i) {
                next.start(draws);
                q->VBuffer[i] = hyperDraw(next, nn, n, draws);
            }
            return 0;
        }
    }
    return zmrs::fillTheBuffer(q, ok, [nn, n, draws](MRandPtr r) { return hyperDraw(Uniform(r), nn, n, draws); });
}

VXAPI double GetOneVariateBERNOULLI(MRandPtr q, double p)
{
    zrand_check(q, 1);
    if (!usable(q) || !bernoulliOk(p)) return zmrsMissing();
    return bernoulliOf(Uniform(q)(), p);
}

VXAPI int FillTheBufferBERNOULLI(MRandPtr q, double p)
{
    zrand_check(q, 1);
    return zmrs::fillOnePerVariate(q, usable(q) && bernoulliOk(p), [p](double u) { return bernoulliOf(u, p); });
}

VXAPI double GetOneVariateTABLE(MRandPtr q, long tblcnt, double* tblptr)
{
    zrand_check(q, 1);
    if (!usable(q) || !tableOk(tblcnt, tblptr)) return zmrsMissing();
    return tableOf(Uniform(q)(), tblcnt, tblptr);
}

VXAPI int FillTheBufferTABLE(MRandPtr q, long tblcnt, double* tblptr)
{
    zrand_check(q, 1);
    const bool ok = usable(q) && tableOk(tblcnt, tblptr);
    auto of = [tblcnt, tblptr](double u) { return tableOf(u, tblcnt, tblptr); };
    /* A table inside the buffer changes as the buffer is written: element
     * by element, as one-at-a-time calls see it. */
    if (ok && tblcnt > 0 && q->VBuffer != nullptr && q->NBuffer > 0 && tblptr < q->VBuffer + q->NBuffer &&
        q->VBuffer < tblptr + tblcnt)
        return zmrs::fillTheBuffer(q, true, [of](MRandPtr r) { return of(Uniform(r)()); });
    return zmrs::fillOnePerVariate(q, ok, of);
}

} // extern "C"
