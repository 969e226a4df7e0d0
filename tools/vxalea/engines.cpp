#include "engines.h"

#include <cstring>

#include "subs/engines/zrnglist.h"

namespace vxcli {

const std::vector<EngineName>& engineNames()
{
#define VX_NAME_AND_ALIASES(NAME, ...) {#NAME, {__VA_ARGS__}},
    static const std::vector<EngineName> names = {VX_ENGINE_LIST(VX_NAME_AND_ALIASES)};
#undef VX_NAME_AND_ALIASES
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
