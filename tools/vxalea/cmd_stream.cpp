/* vxalea raw and vxalea uniform: the descriptor's integers and doubles on
 * one initialized stream. */
#include <cstring>

#include "commands.h"
#include "output.h"
#include "session.h"

namespace vxcli {
namespace {

struct Conversion {
    const char* name;
    zrng_double_fn ZRNG_S::*slot; /* null: the stream's rangen */
};

constexpr Conversion kConversions[] = {
    {"open", nullptr},
    {"fast", &ZRNG_S::zrng_double_fast},
    {"crude", &ZRNG_S::zrng_double_crude},
    {"infinite", &ZRNG_S::zrng_double_infinite},
    {"32_closed_open", &ZRNG_S::zrng_double_32_closed_open},
    {"32_open_open", &ZRNG_S::zrng_double_32_open_open},
    {"32_open_closed", &ZRNG_S::zrng_double_32_open_closed},
    {"32_closed_closed", &ZRNG_S::zrng_double_32_closed_closed},
    {"32_reject_zero", &ZRNG_S::zrng_double_32_reject_zero},
    {"53_closed_open", &ZRNG_S::zrng_double_53_closed_open},
    {"53_open_open", &ZRNG_S::zrng_double_53_open_open},
    {"53_open_closed", &ZRNG_S::zrng_double_53_open_closed},
    {"53_closed_closed", &ZRNG_S::zrng_double_53_closed_closed},
    {"53_reject_zero", &ZRNG_S::zrng_double_53_reject_zero},
    {"64_closed_open", &ZRNG_S::zrng_double_64_closed_open},
    {"64_open_open", &ZRNG_S::zrng_double_64_open_open},
    {"64_open_closed", &ZRNG_S::zrng_double_64_open_closed},
    {"64_closed_closed", &ZRNG_S::zrng_double_64_closed_closed},
    {"64_reject_zero_one", &ZRNG_S::zrng_double_64_reject_zero_one},
};

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
    void* blob = stream.get()->Blob;
    Writer w(out.format);
    if (width == 32) {
        for (uint64_t i = 0; out.endless || i < out.count; ++i)
            if (!w.put(d.zrng_uint32(blob))) break;
    } else {
        for (uint64_t i = 0; out.endless || i < out.count; ++i)
            if (!w.put(d.zrng_uint64(blob))) break;
    }
    w.finish();
    return reportStreamStatus(stream.status());
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
    zrng_double_fn fn = conv->slot ? stream.descriptor().*(conv->slot) : q->rangen;
    if (!fn)
        throw UsageError("engine " + stream.methodName() + " leaves the " + conv->name +
                         " conversion empty; see 'vxalea methods' for its capability bits (0x0800: 32-bit family, "
                         "0x1000: 53/64-bit family and infinite)");
    void* blob = q->Blob;
    Writer w(out.format);
    for (uint64_t i = 0; out.endless || i < out.count; ++i)
        if (!w.put(fn(blob))) break;
    w.finish();
    return reportStreamStatus(stream.status());
}

} // namespace vxcli
