#include "engines.h"

#include <cstring>

namespace vxcli {

const std::vector<EngineName>& engineNames()
{
    static const std::vector<EngineName> names = {
        {"MTHYBRID", {}},
        {"MT1998", {}},
        {"MT32", {"MT2002"}},
        {"MT64", {"MT"}},
        {"MH3", {}},
        {"PCG32I", {}},
        {"PCG64I", {"PCG"}},
        {"RDRAND", {"HARDWARE", "HARD", "TRNG"}},
        {"FRY2X32", {"THREEFRY2X32"}},
        {"FRY2X64", {"THREEFRY2X64", "TF2"}},
        {"FRY4X64", {"THREEFRY4X64", "THREEFRY", "TF4", "TF"}},
        {"XOR64", {}},
        {"XOR128", {}},
        {"XOR1024", {}},
        {"XOR4096", {}},
        {"XORGENS", {}},
        {"SUBKEY32", {}},
        {"SUBKEY64", {}},
        {"TORVEL", {}},
    };
    return names;
}

std::string EngineInfo::label() const
{
    return std::string(descriptor.zrng_label, strnlen(descriptor.zrng_label, sizeof descriptor.zrng_label));
}

std::vector<EngineInfo> describeEngines(const Session& s)
{
    using Setup = void (*)(zrngptr, uint64_t);
    std::vector<EngineInfo> out;
    for (const EngineName& e : engineNames()) {
        EngineInfo info{&e, {}, 0, {}};
        s.function<Setup>(("zrnf" + std::string(e.name)).c_str())(&info.descriptor, 0);
        if (info.descriptor.zrng_blob_size) info.blobSize = info.descriptor.zrng_blob_size();
        info.limits = vxalea::limits_of(info.descriptor);
        out.push_back(info);
    }
    return out;
}

std::string availableEngineNames(const std::vector<EngineInfo>& engines)
{
    std::string s;
    for (const EngineInfo& e : engines) {
        if (!e.available()) continue;
        if (!s.empty()) s += ' ';
        s += e.names->name;
    }
    return s;
}

std::string substreamRanges(const std::vector<EngineInfo>& engines, bool threads)
{
    /* Engines in table order, each range once with every engine that has it. */
    std::vector<std::pair<uint64_t, std::string>> groups;
    for (const EngineInfo& e : engines) {
        if (!e.available() || !(threads ? e.limits.takes_thread : e.limits.takes_key)) continue;
        const uint64_t max = threads ? e.limits.max_thread : e.limits.max_key;
        auto g = groups.begin();
        while (g != groups.end() && g->first != max) ++g;
        if (g == groups.end()) {
            groups.emplace_back(max, e.names->name);
        } else {
            g->second += ' ';
            g->second += e.names->name;
        }
    }
    std::string s;
    for (const auto& [max, names] : groups) {
        if (!s.empty()) s += "; ";
        s += names + " 0 to " + std::to_string(max);
    }
    return s;
}

} // namespace vxcli
