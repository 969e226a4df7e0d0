// Every sampler on every engine, with keys, thread numbers, crude streams
// and imported engine states: a buffer must equal one-at-a-time calls on a
// twin stream (each value bit for bit, then the engine state and every
// saved set-up), every variate must lie in its distribution's support, and
// the only NaN a sampler may give is the missing value.
//
// Input: a stream header (engine, seed, key, thread, crude, a state to
// import), then up to four rounds of (sampler, buffer length, parameters).
// Parameters are picked from edge values, from moderate values or taken
// as raw bits, so that every regime of every sampler is within reach.
#include <algorithm>
#include <bit>
#include <cfloat>
#include <climits>
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "fuzz_distributions.h"
#include "fuzz_host.h"
#include "fuzz_input.h"
#include "host/vxhost_api.h"
#include "subs/engines/zrnglist.h"
#include "subs/zmrsmissing.h"
#include "subs/zrand.h"

namespace {

/* Engines are picked by their rows of the engine list, distributions as
 * fuzz_distributions.h says. */
#define VX_FUZZ_METHOD(NAME, ...) #NAME,
const char* const kMethods[] = {VX_ENGINE_LIST(VX_FUZZ_METHOD)};
#undef VX_FUZZ_METHOD
constexpr int kMethodCount = sizeof kMethods / sizeof kMethods[0];


constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kEdges[] = {0.0,   -0.0,   DBL_TRUE_MIN, DBL_MIN, 1e-300, 1e-17, 1e-13, 1e-3,  0.0009999999999999998,
                         0.05,  0.1,    0.3,          0.5,     0.7,    0.99,  1.0,   1.0000000000000002,
                         1.5,   2.0,    2.5,          8.0,     10.5,   84.99999999999999, 85.0, 300.0,
                         301.0, 1e6,    1e15,         1e18,    1e300,  DBL_MAX, kInf, -kInf,
                         kNaN,  -1.0,   -0.5};
constexpr int kEdgeCount = sizeof kEdges / sizeof kEdges[0];

class Input {
public:
    Input(const uint8_t* p, size_t n) : p_(p), n_(n) {}
    template <class T>
    T raw()
    {
        return take<T>(p_, n_);
    }
    uint8_t byte() { return raw<uint8_t>(); }
    double real()
    {
        const uint8_t mode = byte();
        if (mode < 96) return kEdges[mode % kEdgeCount];
        if (mode < 200) return raw<uint16_t>() / (mode & 1 ? 1000.0 : 10.0);
        return raw<double>();
    }
    long whole()
    {
        const uint8_t mode = byte();
        if (mode < 64) {
            static const long kWholeEdges[] = {0, 1, 2, 5, 10, 20, 50, 300, 301, 1000, -1, -5,
                                               2147483647L, 2147483648L, LONG_MAX, LONG_MIN};
            return kWholeEdges[mode % 16];
        }
        if (mode < 200) return raw<int16_t>();
        return raw<long>();
    }
    const uint8_t* data() const { return p_; }
    size_t size() const { return n_; }
    void skip(size_t k) { k = k < n_ ? k : n_; p_ += k; n_ -= k; }

private:
    const uint8_t* p_;
    size_t n_;
};

struct Call {
    Dist which = Dist::BERNOULLI;
    double a = 0, b = 0;
    long n1 = 0, n2 = 0, n3 = 0;
    long tblcnt = 0;
    double table[6] = {};
};

double one(MRandPtr q, Call& c)
{
    switch (c.which) {
    case Dist::BERNOULLI: return GetOneVariateBERNOULLI(q, c.a);
    case Dist::BETA: return GetOneVariateBETA(q, c.a, c.b);
    case Dist::BINOMIAL: return GetOneVariateBINOMIAL(q, c.n1, c.a);
    case Dist::CAUCHY: return GetOneVariateCAUCHY(q);
    case Dist::CHISQUARE: return GetOneVariateCHISQUARE(q, c.a);
    case Dist::ERLANG: return GetOneVariateERLANG(q, static_cast<int32_t>(c.n1));
    case Dist::EXPONENTIAL: return GetOneVariateEXPONENTIAL(q);
    case Dist::F: return GetOneVariateF(q, c.a, c.b);
    case Dist::GAMMA: return GetOneVariateGAMMA(q, c.a);
    case Dist::GEOMETRIC: return GetOneVariateGEOMETRIC(q, c.a);
    case Dist::HYPERGEOMETRIC: return GetOneVariateHYPERGEOMETRIC(q, c.n1, c.n2, c.n3);
    case Dist::LOGNORMAL: return GetOneVariateLOGNORMAL(q);
    case Dist::NEGBINOMIAL: return GetOneVariateNEGBINOMIAL(q, c.a, c.b);
    case Dist::NORMAL: return GetOneVariateNORMAL(q);
    case Dist::POISSON: return GetOneVariatePOISSON(q, c.a);
    case Dist::TABLE: return GetOneVariateTABLE(q, c.tblcnt, c.table);
    case Dist::T: return GetOneVariateT(q, c.a);
    case Dist::TRIANGLE: return GetOneVariateTRIANGLE(q, c.a);
    case Dist::UNIFORM: return GetOneVariateUNIFORM(q);
    case Dist::WEIBULL: return GetOneVariateWEIBULL(q, c.a, c.b);
    }
    return 0.0;
}

int fill(MRandPtr q, Call& c)
{
    switch (c.which) {
    case Dist::BERNOULLI: return FillTheBufferBERNOULLI(q, c.a);
    case Dist::BETA: return FillTheBufferBETA(q, c.a, c.b);
    case Dist::BINOMIAL: return FillTheBufferBINOMIAL(q, c.n1, c.a);
    case Dist::CAUCHY: return FillTheBufferCAUCHY(q);
    case Dist::CHISQUARE: return FillTheBufferCHISQUARE(q, c.a);
    case Dist::ERLANG: return FillTheBufferERLANG(q, static_cast<int32_t>(c.n1));
    case Dist::EXPONENTIAL: return FillTheBufferEXPONENTIAL(q);
    case Dist::F: return FillTheBufferF(q, c.a, c.b);
    case Dist::GAMMA: return FillTheBufferGAMMA(q, c.a);
    case Dist::GEOMETRIC: return FillTheBufferGEOMETRIC(q, c.a);
    case Dist::HYPERGEOMETRIC: return FillTheBufferHYPERGEOMETRIC(q, c.n1, c.n2, c.n3);
    case Dist::LOGNORMAL: return FillTheBufferLOGNORMAL(q);
    case Dist::NEGBINOMIAL: return FillTheBufferNEGBINOMIAL(q, c.a, c.b);
    case Dist::NORMAL: return FillTheBufferNORMAL(q);
    case Dist::POISSON: return FillTheBufferPOISSON(q, c.a);
    case Dist::TABLE: return FillTheBufferTABLE(q, c.tblcnt, c.table);
    case Dist::T: return FillTheBufferT(q, c.a);
    case Dist::TRIANGLE: return FillTheBufferTRIANGLE(q, c.a);
    case Dist::UNIFORM: return FillTheBufferUNIFORM(q);
    case Dist::WEIBULL: return FillTheBufferWEIBULL(q, c.a, c.b);
    }
    return 1;
}

bool whole(double x) { return std::floor(x) == x; }

/* Where a variate other than the missing value may lie.  A crude stream
 * can deliver a uniform of exactly 0, outside what the algorithms assume:
 * its logarithm makes the unbounded laws infinite, and the hypergeometric
 * draw may mark one item more than exist. */
bool inSupport(const Call& c, double x, bool crude)
{
    if (std::isnan(x)) return false;
    switch (c.which) {
    case Dist::BERNOULLI: return x == 0.0 || x == 1.0;
    case Dist::BETA: case Dist::TRIANGLE: return x >= 0.0 && x <= 1.0;
    case Dist::BINOMIAL: return whole(x) && x >= 0.0 && x <= static_cast<double>(c.n1);
    case Dist::CAUCHY: case Dist::NORMAL: case Dist::T: return true;
    case Dist::CHISQUARE: case Dist::ERLANG: case Dist::EXPONENTIAL: case Dist::F: case Dist::GAMMA:
    case Dist::LOGNORMAL: case Dist::WEIBULL: return x >= 0.0;
    case Dist::GEOMETRIC: return whole(x) && x >= 1.0;
    case Dist::HYPERGEOMETRIC: {
        /* k <= 0 or n < 0 give 0 without a draw. */
        const double marked = static_cast<double>(c.n2) + (crude ? 1.0 : 0.0);
        const double most = std::max(0.0, std::min(marked, static_cast<double>(c.n3)));
        return whole(x) && x >= 0.0 && x <= most;
    }
    case Dist::NEGBINOMIAL: case Dist::POISSON: return whole(x) && x >= 0.0;
    case Dist::TABLE: return whole(x) && x >= 1.0 && x <= static_cast<double>(c.tblcnt > 0 ? c.tblcnt + 1 : 1);
    case Dist::UNIFORM: return x >= 0.0 && x <= 1.0;
    }
    return false;
}


/* What the failing input did, printed before the trap. */
struct Context {
    const char* method = "";
    bool crude = false;
    int stateLength = 0;
    const Call* call = nullptr;
    int index = -1;
    double value = 0.0;
} gContext;

#define CHECK(ok) check((ok), #ok)

void check(bool ok, const char* what)
{
    if (ok) return;
    const Context& c = gContext;
    std::fprintf(stderr, "failed: %s\n  %s%s, state of %d bytes", what, c.method, c.crude ? " crude" : "",
                 c.stateLength);
    if (const Call* k = c.call)
        std::fprintf(stderr, "; sampler %d (a %a, b %a, n %ld %ld %ld, table %ld) element %d = %a",
                     static_cast<int>(k->which), k->a, k->b, k->n1, k->n2, k->n3, k->tblcnt, c.index, c.value);
    std::fprintf(stderr, "\n");
    __builtin_trap();
}

void sameStreams(MRandPtr a, MRandPtr b)
{
    CHECK(a->BlobSize == b->BlobSize && a->rangen == b->rangen);
    if (a->Blob != nullptr) CHECK(std::memcmp(a->Blob, b->Blob, a->BlobSize) == 0);
    CHECK(std::memcmp(&a->bet, &b->bet, sizeof a->bet) == 0);
    CHECK(std::memcmp(&a->gam, &b->gam, sizeof a->gam) == 0);
    CHECK(std::memcmp(&a->bin, &b->bin, offsetof(ZRANBIN, underflow) + 1) == 0);
    CHECK(std::memcmp(&a->poi, &b->poi, offsetof(ZRANPOI, flag) + sizeof(int32_t)) == 0);
    CHECK(a->nor.HaveOne == b->nor.HaveOne);
    CHECK(std::bit_cast<uint64_t>(a->nor.storedVariate) == std::bit_cast<uint64_t>(b->nor.storedVariate));
}

/* One stream as the header asks; the twin is made the same way. */
void makeStream(MERSENNE_RAND* q, const char* method, double seed, uint64_t key, uint64_t thread, bool crude,
                const uint8_t* state, int stateLength, uint64_t stateFlags)
{
    std::memset(static_cast<void*>(q), 0, sizeof *q);
    q->UserMethod = const_cast<char*>(method);
    q->UserSeed = seed;
    q->Key = key;
    q->Thread = thread;
    zmrsrnd(q);
    if (crude) zrand_crude(reinterpret_cast<ZRANSTR*>(q));
    if (stateLength > 0 && q->Functions != nullptr && q->Functions->zrng_state != nullptr && q->Blob != nullptr)
        q->Functions->zrng_state(q->Blob, const_cast<uint8_t*>(state), stateLength, stateFlags);
}

/* A byte copy of a stream, its pointers into itself moved to the copy. */
void twin(MERSENNE_RAND* to, const MERSENNE_RAND* from)
{
    std::memcpy(static_cast<void*>(to), from, sizeof *to);
    const auto* lo = reinterpret_cast<const char*>(from);
    auto rebase = [&](auto*& p) {
        const auto* c = reinterpret_cast<const char*>(p);
        if (c >= lo && c < lo + sizeof *from)
            p = reinterpret_cast<std::remove_reference_t<decltype(p)>>(reinterpret_cast<char*>(to) + (c - lo));
    };
    rebase(to->Blob);
    rebase(to->State32);
    rebase(to->State64);
    rebase(to->Functions);
}

/* A stream whose first uniforms take fewer than four values: an imported
 * state or a key-less Weyl sequence that repeats itself.  Judged on a copy,
 * so the stream itself draws nothing. */
bool stuck(const MERSENNE_RAND& q)
{
    if (q.rangen == nullptr || q.Blob == nullptr) return false;
    static MERSENNE_RAND probe;
    twin(&probe, &q);
    double seen[4];
    int distinct = 0;
    for (int i = 0; i < 16 && distinct < 4; ++i) {
        const double u = probe.rangen(probe.Blob);
        if (std::find(seen, seen + distinct, u) == seen + distinct) seen[distinct++] = u;
    }
    return distinct < 4;
}

/* Each input is kept to a few milliseconds, so that the target runs at
 * thousands of inputs a second.  Hypergeometric draws take one uniform per
 * item, so k is kept small where it would be drawn (refused k stay as
 * given); counting geometric trials near pr = 0.001 takes a thousand
 * uniforms a variate; and a variate that ends as the missing value after
 * its set-up (a stuck engine, a degenerate set-up) has usually run the
 * whole attempt bound, so such buffers are short.  `first` is what the
 * first variate is, drawn on a copy of the stream. */
int capWork(Call& c, int length, bool stuck, double first)
{
    if (c.which == Dist::GEOMETRIC && c.a < 0.01) length = std::min(length, 20);
    return stuck || zmrsIsMissing(first) ? std::min(length, 3) : length;
}

void capItems(Call& c)
{
    if (c.which == Dist::HYPERGEOMETRIC && c.n3 > 256 && c.n3 <= c.n1 && c.n3 <= INT32_MAX) c.n3 = 256 + c.n3 % 256;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VXHost* host = fuzzHost();
    Input in(data, size);
    const uint8_t head = in.byte();
    const char* method = kMethods[in.byte() % kMethodCount];
    const bool crude = head & 1;
    /* A seed of 0 would wait for the clock to move (clock-based seeding,
     * which has targets of its own): 1 instead. */
    double seed = head & 2 ? in.raw<double>() : static_cast<double>(in.raw<uint32_t>());
    if (seed == 0.0) seed = 1.0;
    const uint64_t key = head & 4 ? in.raw<uint64_t>() : 0;
    const uint64_t thread = head & 8 ? in.raw<uint64_t>() : 0;
    int stateLength = 0;
    uint64_t stateFlags = 0;
    const uint8_t* state = nullptr;
    if (head & 16) {
        stateLength = in.byte() * 8;
        stateFlags = in.byte() & 3;
        state = in.data();
        stateLength = static_cast<int>(static_cast<size_t>(stateLength) < in.size() ? stateLength : in.size());
        in.skip(static_cast<size_t>(stateLength));
    }

    gContext = Context{method, crude, stateLength, nullptr, -1};
    static MERSENNE_RAND byOne, byBuffer;
    makeStream(&byOne, method, seed, key, thread, crude, state, stateLength, stateFlags);
    twin(&byBuffer, &byOne);
    sameStreams(&byOne, &byBuffer);
    const bool repeats = stuck(byOne);

    std::vector<double> buffer;
    for (int round = 0; round < 4 && in.size() > 0; ++round) {
        Call c;
        c.which = static_cast<Dist>(in.byte() % kDistributions);
        int length = 1 + in.byte() % 150 + (round == 0 ? in.byte() % 2 * 150 : 0);
        c.a = in.real();
        c.b = in.real();
        c.n1 = in.whole();
        c.n2 = in.whole();
        c.n3 = in.whole();
        c.tblcnt = static_cast<long>(in.byte() % 8) - 1;
        for (long i = 0; i < c.tblcnt && i < 6; ++i) c.table[i] = in.real();
        if (c.tblcnt > 6) c.tblcnt = 6;
        capItems(c);
        static MERSENNE_RAND probe;
        twin(&probe, &byOne);
        length = capWork(c, length, repeats, one(&probe, c));
        gContext.call = &c;
        gContext.index = -1;

        buffer.assign(static_cast<size_t>(length), 0.25);
        byBuffer.VBuffer = buffer.data();
        byBuffer.NBuffer = length;
        CHECK(fill(&byBuffer, c) == 0);
        byBuffer.VBuffer = nullptr;
        byBuffer.NBuffer = 0;
        for (int i = 0; i < length; ++i) {
            gContext.index = i;
            const double x = one(&byOne, c);
            gContext.value = x;
            CHECK(std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(buffer[static_cast<size_t>(i)]));
            CHECK(zmrsIsMissing(x) || inSupport(c, x, crude));
        }
        gContext.index = -1;
        sameStreams(&byOne, &byBuffer);
    }
    /* Streams report keys and seeds they cannot use; lines kept from one
     * input to the next would look like a leak to the fuzzer. */
    vxhost_journal_clear(host);
    return 0;
}
