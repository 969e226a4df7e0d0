// Every sampler regime against tests/data/samplers.kat: the first variates of
// a seeded stream, and the saved set-up after one variate, in hex.  An engine
// written u=a:b:... is a scripted one that hands out those uniforms first
// (then std::mt19937_64 from the seed; v*n is v n times): hand-picked
// uniforms reach the paths a seeded stream rarely takes, rejections,
// boundaries and the attempt bounds.  The rows were taken once from the
// module and reviewed, so a change of values is a change of this data file,
// seen in review.  To add a row, write its first five columns and run this
// program with VXALEA_KAT_WRITE=<path> set: it writes the file with every
// row's values as the module now makes them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "subs/zrand.h"
#include "support/host_fixture.h"
#include "support/scripted_stream.h"

namespace {

using Params = std::vector<double>;
using Draw = std::function<double(MRandPtr, const Params&)>;

double gTable[16];

#define VX_KAT_DRAW(DIST, ...) \
    {#DIST, [](MRandPtr q, [[maybe_unused]] const Params& p) { return GetOneVariate##DIST(q __VA_OPT__(, ) __VA_ARGS__); }}

const std::map<std::string, Draw>& samplers()
{
    static const std::map<std::string, Draw> all = {
        VX_KAT_DRAW(UNIFORM), VX_KAT_DRAW(NORMAL), VX_KAT_DRAW(LOGNORMAL), VX_KAT_DRAW(EXPONENTIAL),
        VX_KAT_DRAW(CAUCHY), VX_KAT_DRAW(WEIBULL, p[0], p[1]), VX_KAT_DRAW(TRIANGLE, p[0]),
        VX_KAT_DRAW(BERNOULLI, p[0]), VX_KAT_DRAW(GAMMA, p[0]), VX_KAT_DRAW(ERLANG, static_cast<int32_t>(p[0])),
        VX_KAT_DRAW(CHISQUARE, p[0]), VX_KAT_DRAW(BETA, p[0], p[1]), VX_KAT_DRAW(F, p[0], p[1]), VX_KAT_DRAW(T, p[0]),
        VX_KAT_DRAW(BINOMIAL, static_cast<long>(p[0]), p[1]), VX_KAT_DRAW(POISSON, p[0]),
        VX_KAT_DRAW(NEGBINOMIAL, p[0], p[1]), VX_KAT_DRAW(GEOMETRIC, p[0]),
        VX_KAT_DRAW(HYPERGEOMETRIC, static_cast<long>(p[0]), static_cast<long>(p[1]), static_cast<long>(p[2])),
        {"TABLE",
         [](MRandPtr q, const Params& p) {
             for (size_t i = 0; i < p.size() && i < 16; ++i) gTable[i] = p[i];
             return GetOneVariateTABLE(q, static_cast<long>(p.size()), gTable);
         }},
    };
    return all;
}

// The record a sampler keeps its set-up in, as numbers.
std::vector<double> setUp(const std::string& dist, MRandPtr q)
{
    if (dist == "GAMMA" || dist == "ERLANG" || dist == "CHISQUARE" || dist == "T") {
        const ZRANGAM& g = q->gam;
        return {g.a, g.b, g.c, g.d, g.dm1, g.dinv, g.p, static_cast<double>(g.k)};
    }
    if (dist == "BETA" || dist == "F") {
        const ZRANBET& b = q->bet;
        return {b.d1, b.d2, b.d3, b.d4, b.d5, b.d6, b.d7, b.toobig};
    }
    if (dist == "BINOMIAL") {
        const ZRANBIN& b = q->bin;
        return {b.mean, b.sd, b.omega, b.b, b.c, static_cast<double>(b.underflow)};
    }
    const ZRANPOI& p = q->poi;
    return {p.test, p.savea, p.omega, p.qm, p.pm, p.m, static_cast<double>(p.flag)};
}

std::string hex(double d)
{
    char b[40];
    std::snprintf(b, sizeof b, "%a", d);
    return b;
}

class SamplersKat : public vxtest::HostFixture {};

TEST_F(SamplersKat, EveryRowOfTheFile)
{
    const std::string path = VXALEA_SOURCE_DIR "/tests/data/samplers.kat";
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    const char* rewrite = std::getenv("VXALEA_KAT_WRITE");
    std::ostringstream out;
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        if (line.empty() || line[0] == '#') {
            out << line << "\n";
            continue;
        }
        std::istringstream ss(line);
        std::string dist, params, engine, what;
        double seed = 0;
        ss >> dist >> params >> engine >> seed >> what;
        std::vector<std::string> want;
        for (std::string v; ss >> v;) want.push_back(v);
        SCOPED_TRACE("samplers.kat:" + std::to_string(lineNo) + ": " + line.substr(0, 60));
        ASSERT_TRUE(samplers().count(dist)) << dist;
        ASSERT_TRUE(what == "draw" || what == "setup") << what;
        Params p;
        std::istringstream ps(params);
        for (std::string v; std::getline(ps, v, ',');) p.push_back(std::strtod(v.c_str(), nullptr));

        std::unique_ptr<MERSENNE_RAND> stream;
        std::unique_ptr<vxtest::ScriptedStream> scripted;
        MRandPtr q = nullptr;
        if (engine.rfind("u=", 0) == 0) {
            std::vector<double> u;
            std::istringstream us(engine.substr(2));
            for (std::string v; std::getline(us, v, ':');) // v or v*n, n times v
                u.insert(u.end(), v.find('*') == std::string::npos ? 1 : std::stoul(v.substr(v.find('*') + 1)),
                         std::strtod(v.c_str(), nullptr));
            scripted = std::make_unique<vxtest::ScriptedStream>(static_cast<uint64_t>(seed), u);
            q = scripted->get();
        } else {
            stream = std::make_unique<MERSENNE_RAND>();
            q = stream.get();
            q->UserMethod = engine.data();
            q->UserSeed = seed;
            ASSERT_EQ(zmrsrnd(q), 0);
        }
        const Draw& draw = samplers().at(dist);
        std::vector<std::string> got;
        if (what == "setup") {
            draw(q, p);
            for (double v : setUp(dist, q)) got.push_back(hex(v));
        } else {
            for (int i = 0; i < 8; ++i) got.push_back(hex(draw(q, p)));
        }
        if (rewrite) {
            char seedText[32];
            std::snprintf(seedText, sizeof seedText, "%.17g", seed);
            out << dist << " " << params << " " << engine << " " << seedText << " " << what;
            for (const std::string& v : got) out << " " << v;
            out << "\n";
        } else {
            EXPECT_EQ(got, want);
        }
    }
    if (rewrite) std::ofstream(rewrite) << out.str();
}

} // namespace

// The saved set-ups change no value: parameters alternating at random give
// the variates of a twin whose records are forgotten before every call, and
// a rewind repeats every sequence (beta's set-up, which no engine state
// affects, is kept across it).
TEST_F(SamplersKat, SavedSetUpsAreInvisible)
{
    const std::vector<std::pair<std::string, Params>> mix = {
        {"GAMMA", {2.5}},      {"GAMMA", {0.7}},      {"GAMMA", {1.0}},       {"BETA", {0.3, 0.6}},
        {"BETA", {2.5, 4.0}},  {"BETA", {0.5, 3.0}},  {"BETA", {2.0, 1.0}},   {"BINOMIAL", {20, 0.3}},
        {"BINOMIAL", {1000, 0.4}}, {"BINOMIAL", {50, 0.8}}, {"POISSON", {3.5}}, {"POISSON", {10.5}},
        {"POISSON", {200.5}},  {"POISSON", {3.0}},    {"NEGBINOMIAL", {0.4, 2.5}}, {"T", {5.0}},
        {"CHISQUARE", {3.0}},  {"F", {4.0, 7.0}},     {"NORMAL", {}},         {"CAUCHY", {}},
    };
    auto make = [] {
        auto q = std::make_unique<MERSENNE_RAND>();
        q->UserMethod = const_cast<char*>("MT64");
        q->UserSeed = 31;
        zmrsrnd(q.get());
        return q;
    };
    auto cached = make(), fresh = make();
    std::mt19937 pick(3);
    std::vector<double> first;
    for (int i = 0; i < 20000; ++i) {
        const auto& [dist, p] = mix[pick() % mix.size()];
        const double a = samplers().at(dist)(cached.get(), p);
        fresh->gam.alphasave = fresh->bet.alphasave = fresh->bin.psave = fresh->poi.lambdasave = -1.0;
        const double b = samplers().at(dist)(fresh.get(), p);
        ASSERT_EQ(hex(a), hex(b)) << "#" << i << " " << dist;
        if (i < 300) first.push_back(a);
    }
    zrand_rewind(reinterpret_cast<ZRAND_S*>(cached.get()));
    pick.seed(3);
    for (size_t i = 0; i < first.size(); ++i) {
        const auto& [dist, p] = mix[pick() % mix.size()];
        ASSERT_EQ(hex(samplers().at(dist)(cached.get(), p)), hex(first[i])) << "after rewind #" << i;
    }
}
