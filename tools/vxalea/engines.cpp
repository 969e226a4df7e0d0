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
        EngineInfo info{&e, {}, 0};
        s.function<Setup>(("zrnf" + std::string(e.name)).c_str())(&info.descriptor, 0);
        /* An engine that cannot run may have left its operations unset. */
        if (info.available() && info.descriptor.zrng_blob_size) info.blobSize = info.descriptor.zrng_blob_size();
        out.push_back(info);
    }
    return out;
}

} // namespace vxcli
