/* vxalea draw: variates of one distribution from one stream, drawn a block
 * at a time through FillTheBuffer<DIST> (the numbers of one-at-a-time calls,
 * by the samplers' contract, and the same record after them: a checkpoint
 * saved after n values continues as after n single draws). */
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "distributions.h"
#include "output.h"

namespace vxcli {

/* The distribution and its parameters from the words after the subcommand;
 * shared with `shared`, which takes the same words. */
const Distribution& distributionArgument(const Options& o, std::vector<std::string>& params)
{
    if (o.positional.empty())
        throw UsageError(o.command + " needs a distribution, one of: " + distributionNames() +
                         " (e.g. 'vxalea " + o.command + " gamma 2.5')");
    const Distribution* d = findDistribution(o.positional[0]);
    if (!d)
        throw UsageError("unknown distribution '" + o.positional[0] + "'; choose one of: " + distributionNames());
    params.assign(o.positional.begin() + 1, o.positional.end());
    return *d;
}

Parameters distributionParameters(const Options& o, const Distribution& d, const std::vector<std::string>& words)
{
    return parseParameters(d, words, o.value("table"), o.value("loc"), o.value("scale"));
}

uint64_t bufferOption(const Options& o)
{
    auto v = o.value("buffer");
    return v ? parseU64(*v, "--buffer", 1, kMaxBuffer) : kDefaultBuffer;
}

[[noreturn]] void refuseMissing(const Sampler& sampler)
{
    const Distribution& d = sampler.distribution();
    throw UsageError("the " + std::string(d.name) + " sampler refuses " + describeParameters(d, sampler.parameters()) +
                     " (it gives the missing value); see 'vxalea draw --help' for the parameters, or --lenient "
                     "to write the missing values");
}

void noteAccuracy(const Sampler& sampler, bool quiet)
{
    if (quiet) return;
    std::string note = accuracyNote(sampler.distribution(), sampler.parameters());
    if (!note.empty()) std::fprintf(stderr, "vxalea: note: %s\n", note.c_str());
}

int cmdDraw(const Options& o)
{
    allowOnly(o, streamOptionNames({"buffer", "table", "loc", "scale"}));
    std::vector<std::string> words;
    const Distribution& dist = distributionArgument(o, words);
    Parameters params = distributionParameters(o, dist, words);
    StreamOptions so = streamOptions(o);
    OutputOptions out = outputOptions(o);
    const uint64_t block = std::min(bufferOption(o), out.endless ? kMaxBuffer : std::max<uint64_t>(out.count, 1));

    Session session(o);
    Stream stream(session, so);
    StateFile state(so);
    Sampler sampler(session, dist, std::move(params));
    MRandPtr q = stream.get();
    std::vector<double> values(block);
    bool first = true;
    Writer w(out.format, out.progress);
    for (uint64_t done = 0; out.endless || done < out.count;) {
        const uint64_t m = out.endless ? block : std::min(block, out.count - done);
        int rc = sampler.fill(q, values.data(), static_cast<int64_t>(m));
        if (rc != 0) throw RunError("FillTheBuffer" + std::string(dist.symbol) + " returned " + std::to_string(rc));
        if (first) {
            /* Nothing is out yet: a refused parameter stops the run here. */
            uint64_t bits;
            std::memcpy(&bits, &values[0], sizeof bits);
            if (bits == kMissingBits && !so.lenient) refuseMissing(sampler);
            stream.reportSeed(session, so);
            noteAccuracy(sampler, so.quiet);
            first = false;
        }
        if (!w.put(values.data(), m)) break;
        done += m;
    }
    w.finish();
    state.commit(stream, w.closed());
    return reportStreamStatus(stream.status());
}

} // namespace vxcli
