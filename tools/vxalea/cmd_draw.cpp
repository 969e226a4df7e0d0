/* vxalea draw: variates of one distribution from one stream, one at a time
 * or through the buffer form. */
#include <algorithm>

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

/* Buffer size of --buffer, 0 when absent. */
uint64_t bufferOption(const Options& o)
{
    auto v = o.value("buffer");
    if (!v) return 0;
    uint64_t b = parseU64(*v, "--buffer");
    if (b < 1 || b > (1u << 24)) throw UsageError("--buffer must be from 1 to 16777216 values, not " + *v);
    return b;
}

int cmdDraw(const Options& o)
{
    allowOnly(o, streamOptionNames({"buffer", "table"}));
    std::vector<std::string> words;
    const Distribution& dist = distributionArgument(o, words);
    Parameters params = parseParameters(dist, words, o.value("table").value_or(""), o.has("table"));
    StreamOptions so = streamOptions(o);
    OutputOptions out = outputOptions(o);
    uint64_t buffer = bufferOption(o);

    Session session(o);
    Stream stream(session, so);
    Sampler sampler(session, dist, std::move(params));
    MRandPtr q = stream.get();
    Writer w(out.format);
    if (buffer == 0) {
        for (uint64_t i = 0; out.endless || i < out.count; ++i)
            if (!w.put(sampler.one(q))) break;
    } else {
        std::vector<double> values(buffer);
        q->VBuffer = values.data();
        for (uint64_t done = 0; out.endless || done < out.count;) {
            uint64_t m = out.endless ? buffer : std::min(buffer, out.count - done);
            q->NBuffer = static_cast<int64_t>(m);
            int rc = sampler.fill(q);
            if (rc != 0) {
                q->VBuffer = nullptr;
                throw RunError("FillTheBuffer" + std::string(dist.symbol) + " returned " + std::to_string(rc));
            }
            bool open = true;
            for (uint64_t k = 0; k < m && open; ++k) open = w.put(values[k]);
            if (!open) break;
            done += m;
        }
        /* The vector goes before the stream does. */
        q->VBuffer = nullptr;
        q->NBuffer = 0;
    }
    w.finish();
    return reportStreamStatus(stream.status());
}

} // namespace vxcli
