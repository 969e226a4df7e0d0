/* vxalea raw and vxalea uniform: the descriptor's integers and doubles on
 * one initialized stream. */
#include <algorithm>
#include <cstring>

#include "include/vxalea/conversions.hpp"

#include "commands.h"
#include "distributions.h"
#include "output.h"
#include "session.h"

namespace vxcli {
namespace {

using Conversion = vxalea::conversion;
constexpr const auto& kConversions = vxalea::conversions;

std::string conversionNames()
{
    std::string s;
    for (const Conversion& c : kConversions) {
        if (!s.empty()) s += ' ';
        s += c.name;
    }
    return s;
}

void noArguments(const Options& o)
{
    if (!o.positional.empty())
        throw UsageError(o.command + " takes no arguments, got '" + o.positional[0] + "'; see 'vxalea " + o.command +
                         " --help'");
}

/* Values per block for raw and the conversions: the descriptor call runs
 * in a tight loop into the block, the writer formats the block. */
constexpr size_t kBlock = 8192;

template <class T, class Fill>
int writeBlocks(const OutputOptions& out, const Stream& stream, StateFile& state, Fill fill)
{
    std::vector<T> block(kBlock);
    Writer w(out.format, out.progress);
    for (uint64_t done = 0; out.endless || done < out.count;) {
        const size_t m = out.endless ? kBlock : static_cast<size_t>(std::min<uint64_t>(kBlock, out.count - done));
        fill(block.data(), m);
        if (!w.put(block.data(), m)) break;
        done += m;
    }
    w.finish();
    state.commit(stream, w.closed());
    return reportStreamStatus(stream.status());
}

} // namespace

int cmdRaw(const Options& o)
{
    allowOnly(o, streamOptionNames({"width"}));
    noArguments(o);
    StreamOptions so = streamOptions(o);
    OutputOptions out = outputOptions(o);
    int width = 0; /* 0: the engine's native width */
    if (auto v = o.value("width")) {
        if (*v == "32")
            width = 32;
        else if (*v == "64")
            width = 64;
        else
            throw UsageError("--width must be 32 or 64, not '" + *v + "'");
    }
    Session session(o);
    Stream stream(session, so);
    const ZRNG_S& d = stream.descriptor();
    if (width == 0) width = d.zrng_bits > 32 ? 64 : 32;
    if ((width == 32 && !d.zrng_uint32) || (width == 64 && !d.zrng_uint64))
        throw UsageError("engine " + stream.methodName() + " has no " + std::to_string(width) +
                         "-bit output; try the other --width");
    StateFile state(so);
    stream.reportSeed(session, so);
    void* blob = stream.get()->Blob;
    if (width == 32)
        return writeBlocks<uint32_t>(out, stream, state, [next = d.zrng_uint32, blob](uint32_t* v, size_t m) {
            for (size_t k = 0; k < m; ++k) v[k] = next(blob);
        });
    return writeBlocks<uint64_t>(out, stream, state, [next = d.zrng_uint64, blob](uint64_t* v, size_t m) {
        for (size_t k = 0; k < m; ++k) v[k] = next(blob);
    });
}

int cmdUniform(const Options& o)
{
    allowOnly(o, streamOptionNames({"conversion"}));
    noArguments(o);
    StreamOptions so = streamOptions(o);
    OutputOptions out = outputOptions(o);
    const Conversion* conv = &kConversions[0];
    if (auto v = o.value("conversion")) {
        conv = nullptr;
        for (const Conversion& c : kConversions)
            if (*v == c.name) conv = &c;
        if (!conv)
            throw UsageError("unknown --conversion '" + *v + "'; choose one of: " + conversionNames());
    }
    Session session(o);
    Stream stream(session, so);
    MRandPtr q = stream.get();
    StateFile state(so);
    if (!conv->slot) {
        /* The stream's own uniform is FillTheBufferUNIFORM's, a block at a
         * time. */
        stream.reportSeed(session, so);
        Sampler sampler(session, *findDistribution("uniform"), Parameters{});
        return writeBlocks<double>(out, stream, state,
                                   [&sampler, q](double* v, size_t m) { sampler.fill(q, v, static_cast<int64_t>(m)); });
    }
    zrng_double_fn fn = stream.descriptor().*(conv->slot);
    if (!fn)
        throw UsageError("engine " + stream.methodName() + " leaves the " + conv->name +
                         " conversion empty; see 'vxalea methods' for its capability bits (0x0800: 32-bit family, "
                         "0x1000: 53/64-bit family and infinite)");
    stream.reportSeed(session, so);
    void* blob = q->Blob;
    return writeBlocks<double>(out, stream, state, [fn, blob](double* v, size_t m) {
        for (size_t k = 0; k < m; ++k) v[k] = fn(blob);
    });
}

} // namespace vxcli
