// The inline twins the sampler benchmarks time against must be the module's
// samplers: on an MT64 stream and on the inline MT19937-64 with the stream's
// conversion, seeded alike, ten thousand variates of every row agree bit for
// bit, in the hoisted and in the cached form, and both sides have used the
// same number of uniforms (the next uniform agrees too).  Beyond guarding
// the baseline this is a replay on the module's own engine: a sampler that
// took one uniform more or less, or rounded one step differently, would
// fail here at the first variate it touched.
#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "support/host_fixture.h"
#include "support/inline_samplers.h"

namespace {

using vxinline::Mt64Uniform;

uint64_t bitsOf(double x) { return std::bit_cast<uint64_t>(x); }

struct Row {
    std::string name;
    std::function<double(MRandPtr)> ours;
    std::function<std::function<double(Mt64Uniform&)>()> twin;   // fresh per run
    std::function<std::function<double(Mt64Uniform&)>()> cached; // empty: none
};

std::vector<Row> rows()
{
    std::vector<Row> v;
    vxinline::forEachRow([&v](const char* dist, const char* params, auto ours, auto twin,
                              auto cached) {
        Row r{std::string(dist) + "_" + params, ours,
              [twin] {
                  return [t = twin](Mt64Uniform& u) mutable { return t(u); };
              },
              {}};
        if constexpr (!std::is_same_v<decltype(cached), vxinline::NoCache>)
            r.cached = [cached] {
                return [c = cached](Mt64Uniform& u) mutable { return c(u); };
            };
        for (char& ch : r.name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        v.push_back(std::move(r));
    });
    return v;
}

void PrintTo(const Row& r, std::ostream* os) { *os << r.name; }

class InlineTwins : public vxtest::HostFixture, public ::testing::WithParamInterface<Row> {
protected:
    // 5489 is the benchmarks' seed: what they time is what is checked.
    static void expectSame(const Row& r, const std::function<double(Mt64Uniform&)>& twin0,
                           uint64_t seed, const char* form)
    {
        auto q = vxinline::mt64Stream(seed);
        ASSERT_NE(q->IsUsable, 0);
        Mt64Uniform u(seed);
        std::function<double(Mt64Uniform&)> twin = twin0;
        for (int i = 0; i < 10000; ++i) {
            const double want = r.ours(q.get());
            const double got = twin(u);
            ASSERT_EQ(bitsOf(got), bitsOf(want))
                << r.name << " (" << form << ", seed " << seed << ") #" << i << ": " << got
                << " vs " << want;
        }
        EXPECT_EQ(bitsOf(u()), bitsOf(GetOneVariateUNIFORM(q.get())))
            << r.name << " (" << form << ", seed " << seed << "): uniforms used differ";
    }
};

TEST_P(InlineTwins, GiveTheModulesVariatesBitForBit)
{
    const Row& r = GetParam();
    for (uint64_t seed : {5489ull, 20261206ull}) {
        expectSame(r, r.twin(), seed, "hoisted");
        if (r.cached) expectSame(r, r.cached(), seed, "cached");
    }
}

INSTANTIATE_TEST_SUITE_P(Samplers, InlineTwins, ::testing::ValuesIn(rows()),
                         [](const auto& info) { return info.param.name; });

// The uniform source alone, so that a failure above says which part is
// wrong: the inline engine gives the words of std::mt19937_64 (across many
// regenerations of its state), and MT64 seeded s is std::mt19937_64 seeded
// s through the conversion, for both of the seeds above.
TEST(InlineEngine, IsStdMt19937_64)
{
    for (uint64_t seed : {5489ull, 0ull, 20261206ull, ~0ull}) {
        std::mt19937_64 want(seed);
        vxinline::Mt19937_64 got(seed);
        for (int i = 0; i < 100000; ++i) ASSERT_EQ(got(), want()) << seed << " #" << i;
    }
}

class InlineUniform : public vxtest::HostFixture {};

TEST_F(InlineUniform, IsTheMt64StreamsUniform)
{
    for (uint64_t seed : {5489ull, 20261206ull}) {
        auto q = vxinline::mt64Stream(seed);
        ASSERT_NE(q->IsUsable, 0);
        std::mt19937_64 g(seed);
        for (int i = 0; i < 100000; ++i) {
            const uint64_t w = g();
            const double want = static_cast<double>(w) * 0x1p-64; // 0 and 1.0 never met here
            ASSERT_NE(w, 0u);
            ASSERT_NE(want, 1.0);
            ASSERT_EQ(bitsOf(GetOneVariateUNIFORM(q.get())), bitsOf(want)) << seed << " #" << i;
        }
    }
}

} // namespace
