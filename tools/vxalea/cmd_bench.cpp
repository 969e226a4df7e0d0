/* vxalea bench: nanoseconds per value on this machine, for every engine
 * (raw integers at the native width, and the stream's uniform) and every
 * distribution, one at a time and by the buffer.  A rough guide for choosing, not a benchmark suite: one
 * timed loop per row after a short warm-up. */
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <vector>

#include "commands.h"
#include "distributions.h"
#include "engines.h"
#include "output.h"

namespace vxcli {
namespace {

struct BenchParameters {
    const char* dist;
    std::vector<std::string> words;
    const char* table;
};

/* Parameters in each sampler's everyday regime. */
const std::vector<BenchParameters>& benchParameters()
{
    static const std::vector<BenchParameters> p = {
        {"uniform", {}, nullptr},          {"normal", {}, nullptr},
        {"lognormal", {}, nullptr},        {"exponential", {}, nullptr},
        {"cauchy", {}, nullptr},           {"weibull", {"1.5", "1"}, nullptr},
        {"triangle", {"0.3"}, nullptr},    {"gamma", {"2.5"}, nullptr},
        {"erlang", {"3"}, nullptr},        {"chisquare", {"4"}, nullptr},
        {"beta", {"2", "3"}, nullptr},     {"f", {"5", "10"}, nullptr},
        {"t", {"5"}, nullptr},             {"bernoulli", {"0.3"}, nullptr},
        {"binomial", {"20", "0.3"}, nullptr}, {"negbinomial", {"0.4", "3"}, nullptr},
        {"geometric", {"0.2"}, nullptr},   {"hypergeometric", {"100", "30", "20"}, nullptr},
        {"poisson", {"4"}, nullptr},       {"table", {}, "0.2,0.3,0.5"},
    };
    return p;
}

/* Keeps the compiler from dropping the timed calls. */
volatile double gSink = 0;

template <class Draw>
double nsPerValue(uint64_t count, Draw draw)
{
    double acc = 0;
    for (uint64_t i = 0; i < count / 16 + 1; ++i) acc += draw();
    auto t0 = std::chrono::steady_clock::now();
    for (uint64_t i = 0; i < count; ++i) acc += draw();
    auto t1 = std::chrono::steady_clock::now();
    gSink = gSink + acc;
    return std::chrono::duration<double, std::nano>(t1 - t0).count() / static_cast<double>(count);
}

std::string joined(const BenchParameters& b)
{
    if (b.table) return std::string("--table ") + b.table;
    std::string s;
    for (const std::string& w : b.words) {
        if (!s.empty()) s += ' ';
        s += w;
    }
    return s.empty() ? "-" : s;
}

struct EngineRow {
    std::string name;
    bool available;
    bool statistical;
    unsigned bits;
    double raw, rangen;
};

/* "vxalea bench: engine 3/19 MT32" rewritten in place on stderr. */
class RowReport {
public:
    RowReport(const Options& o) : on_(!o.has("quiet") && (o.has("progress") || isatty(2))) {}
    void row(const char* what, size_t i, size_t n, const std::string& name)
    {
        if (!on_) return;
        std::fprintf(stderr, "\rvxalea bench: %s %zu/%zu %-16s", what, i + 1, n, name.c_str());
        std::fflush(stderr);
    }
    ~RowReport()
    {
        if (on_) std::fprintf(stderr, "\r%60s\r", "");
    }

private:
    bool on_;
};

struct DistRow {
    std::string name, params;
    double ns, bufferNs;
};

/* The buffer form on a buffer of kBufferLength values, per value. */
constexpr int64_t kBufferLength = 1024;

double bufferNsPerValue(uint64_t count, Sampler& sampler, MRandPtr q)
{
    std::vector<double> buffer(kBufferLength);
    const uint64_t fills = count / kBufferLength + 1;
    const double perFill = nsPerValue(fills, [&] {
        sampler.fill(q, buffer.data(), kBufferLength);
        return buffer[0];
    });
    return perFill / static_cast<double>(kBufferLength);
}

} // namespace

int cmdBench(const Options& o)
{
    allowOnly(o, {"quick", "json", "method", "lenient", "set", "journal", "progress", "quiet"});
    if (!o.positional.empty()) throw UsageError("bench takes no arguments, got '" + o.positional[0] + "'");
    const bool quick = o.has("quick");
    const uint64_t rawCount = quick ? 200000 : 4000000;
    const uint64_t distCount = quick ? 50000 : 1000000;

    Session session(o);
    RowReport report(o);
    std::vector<EngineRow> engines;
    const std::vector<EngineInfo> described = describeEngines(session);
    for (const EngineInfo& e : described) {
        report.row("engine", engines.size(), described.size(), e.names->name);
        EngineRow row{e.names->name, e.available(), e.statistical(), e.descriptor.zrng_bits, 0, 0};
        if (row.available) {
            StreamOptions so;
            so.method = e.names->name;
            so.fixedSeed = 12345;
            Stream s(session, so);
            row.available = s.status() == 0;
            const ZRNG_S& d = s.descriptor();
            void* blob = s.get()->Blob;
            if (row.available && d.zrng_bits > 32 && d.zrng_uint64)
                row.raw = nsPerValue(rawCount, [&] { return static_cast<double>(d.zrng_uint64(blob) & 1); });
            else if (row.available && d.zrng_uint32)
                row.raw = nsPerValue(rawCount, [&] { return static_cast<double>(d.zrng_uint32(blob) & 1); });
            auto rangen = s.get()->rangen;
            if (row.available) row.rangen = nsPerValue(rawCount, [&] { return rangen(blob); });
        }
        engines.push_back(row);
    }

    StreamOptions so;
    so.method = o.value("method");
    so.lenient = o.has("lenient");
    so.fixedSeed = 12345;
    Stream stream(session, so);
    std::string distMethod = stream.methodName();
    std::vector<DistRow> dists;
    for (const BenchParameters& b : benchParameters()) {
        const Distribution& d = *findDistribution(b.dist);
        report.row("distribution", dists.size(), benchParameters().size(), d.name);
        std::optional<std::string> table;
        if (b.table) table = b.table;
        Sampler sampler(session, d, parseParameters(d, b.words, table));
        MRandPtr q = stream.get();
        const double one = nsPerValue(distCount, [&] { return sampler.one(q); });
        dists.push_back({d.name, joined(b), one, bufferNsPerValue(distCount, sampler, q)});
    }

    std::string out;
    char line[256];
    if (o.has("json")) {
        out += "{\n  \"engines\": [\n";
        for (size_t i = 0; i < engines.size(); ++i) {
            const EngineRow& r = engines[i];
            if (r.available)
                std::snprintf(line, sizeof line,
                              "    {\"name\": \"%s\", \"available\": true, \"statistical\": %s, \"bits\": %u, "
                              "\"raw_ns\": %.3f, \"rangen_ns\": %.3f}%s\n",
                              r.name.c_str(), r.statistical ? "true" : "false", r.bits, r.raw, r.rangen,
                              i + 1 < engines.size() ? "," : "");
            else
                std::snprintf(line, sizeof line, "    {\"name\": \"%s\", \"available\": false}%s\n", r.name.c_str(),
                              i + 1 < engines.size() ? "," : "");
            out += line;
        }
        out += "  ],\n  \"distribution_method\": \"" + distMethod + "\",\n  \"distributions\": [\n";
        for (size_t i = 0; i < dists.size(); ++i) {
            std::snprintf(line, sizeof line,
                          "    {\"name\": \"%s\", \"parameters\": \"%s\", \"ns\": %.3f, \"buffer_ns\": %.3f}%s\n",
                          dists[i].name.c_str(), dists[i].params.c_str(), dists[i].ns, dists[i].bufferNs,
                          i + 1 < dists.size() ? "," : "");
            out += line;
        }
        out += "  ]\n}\n";
    } else {
        out += "engine      raw ns/value  bits  rangen ns/value\n";
        for (const EngineRow& r : engines) {
            if (r.available)
                std::snprintf(line, sizeof line, "%-10s %13.2f %5u %16.2f%s\n", r.name.c_str(), r.raw, r.bits,
                              r.rangen, r.statistical ? "" : "  (not random: compatibility only)");
            else
                std::snprintf(line, sizeof line, "%-10s   unavailable\n", r.name.c_str());
            out += line;
        }
        out += "\ndistribution    parameters            ns/value  buffer ns/value  (on " + distMethod + ")\n";
        for (const DistRow& r : dists) {
            std::snprintf(line, sizeof line, "%-15s %-20s %10.2f %16.2f\n", r.name.c_str(), r.params.c_str(), r.ns,
                          r.bufferNs);
            out += line;
        }
    }
    writeText(out);
    return 0;
}

} // namespace vxcli
