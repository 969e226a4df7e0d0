/* vxalea methods: one row per engine, from the descriptors themselves. */
#include <cinttypes>
#include <cstdio>

#include "commands.h"
#include "engines.h"
#include "output.h"

namespace vxcli {
namespace {

std::string aliasList(const EngineName& e, const char* sep)
{
    std::string s;
    for (const char* a : e.aliases) {
        if (!s.empty()) s += sep;
        s += a;
    }
    return s;
}

std::string jsonString(const std::string& s)
{
    std::string out(1, '"');
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

/* "0..1023", or "-" for an engine that takes none. */
std::string range(bool takes, uint64_t max)
{
    char text[32];
    std::snprintf(text, sizeof text, "0..%" PRIu64, max);
    return takes ? text : "-";
}

std::string jsonRange(bool takes, uint64_t max)
{
    char text[32];
    std::snprintf(text, sizeof text, "\"%" PRIu64 "\"", max);
    return takes ? text : "null";
}

} // namespace

int cmdMethods(const Options& o)
{
    allowOnly(o, {"json", "set", "journal"});
    if (!o.positional.empty())
        throw UsageError("methods takes no arguments, got '" + o.positional[0] + "'");
    Session session(o);
    std::vector<EngineInfo> engines = describeEngines(session);
    std::string out;
    char line[640];
    if (o.has("json")) {
        out += "[\n";
        for (size_t i = 0; i < engines.size(); ++i) {
            const EngineInfo& e = engines[i];
            const ZRNG_S& d = e.descriptor;
            const vxalea::substream_limits& l = e.limits;
            std::string aliases = "[";
            for (const char* a : e.names->aliases) {
                if (aliases.size() > 1) aliases += ", ";
                aliases += jsonString(a);
            }
            aliases += "]";
            std::snprintf(line, sizeof line,
                          "  {\"name\": %s, \"aliases\": %s, \"available\": %s, \"statistical\": %s, "
                          "\"label\": %s, \"bits\": %u, \"state_size\": %zu, \"blob_size\": %zu, "
                          "\"has\": \"0x%04" PRIx64 "\", \"max_seed\": \"0x%" PRIx64 "\", "
                          "\"max_key\": \"0x%" PRIx64 "\", \"key_max\": %s, \"thread_max\": %s, "
                          "\"thread_folded_into_key\": %s}%s\n",
                          jsonString(e.names->name).c_str(), aliases.c_str(), e.available() ? "true" : "false",
                          e.statistical() ? "true" : "false", jsonString(e.label()).c_str(), d.zrng_bits,
                          d.zrng_state_size, e.blobSize, d.zrng_has, d.zrng_max_seed, d.zrng_max_key,
                          jsonRange(l.takes_key, l.max_key).c_str(), jsonRange(l.takes_thread, l.max_thread).c_str(),
                          l.folded ? "true" : "false", i + 1 < engines.size() ? "," : "");
            out += line;
        }
        out += "]\n";
    } else {
        std::snprintf(line, sizeof line, "%-9s %-11s %-6s %4s %5s %5s %6s %18s  %-23s %-23s %-28s %s\n", "NAME",
                      "STATUS", "RANDOM", "BITS", "STATE", "BLOB", "HAS", "MAX SEED", "KEYS", "THREADS", "ALIASES",
                      "LABEL");
        out += line;
        for (const EngineInfo& e : engines) {
            const ZRNG_S& d = e.descriptor;
            const vxalea::substream_limits& l = e.limits;
            std::snprintf(line, sizeof line,
                          "%-9s %-11s %-6s %4u %5zu %5zu 0x%04" PRIx64 " 0x%016" PRIx64 "  %-23s %-23s %-28s %s\n",
                          e.names->name, e.available() ? "available" : "unavailable", e.statistical() ? "yes" : "no",
                          d.zrng_bits, d.zrng_state_size, e.blobSize, d.zrng_has, d.zrng_max_seed,
                          range(l.takes_key, l.max_key).c_str(), range(l.takes_thread, l.max_thread).c_str(),
                          e.names->aliases.empty() ? "-" : aliasList(*e.names, ",").c_str(),
                          e.label().empty() ? "-" : e.label().c_str());
            out += line;
        }
    }
    writeText(out);
    return 0;
}

} // namespace vxcli
