/* The nineteen engines: the names the method table accepts for each, and
 * what the engine's own set-up function writes into a descriptor.
 *
 * Only the names live here.  Everything else (label, bits, sizes,
 * capabilities, limits, whether the engine can run at all) is read from the
 * descriptor the module fills, so an engine that lands later shows up
 * without a change to the tool. */
#ifndef VX_TOOLS_VXALEA_ENGINES_H
#define VX_TOOLS_VXALEA_ENGINES_H

#include <string>
#include <vector>

#include "include/vxalea/substreams.hpp"
#include "session.h"

namespace vxcli {

struct EngineName {
    const char* name;                 /* the engine's own name, zrnf<name> */
    std::vector<const char*> aliases; /* other names the method table accepts */
};

const std::vector<EngineName>& engineNames();

struct EngineInfo {
    const EngineName* names;
    ZRNG_S descriptor; /* as zrnf<name> left it */
    size_t blobSize;   /* what its zrng_blob_size says, available or not */
    vxalea::substream_limits limits;
    bool available() const { return descriptor.zrng_state_size != 0; }
    /* False for the engines kept for compatibility, not for statistics. */
    bool statistical() const { return vxalea::is_statistical(names->name); }
    std::string label() const;
};

/* Calls every engine's set-up function on a descriptor of the tool's own. */
std::vector<EngineInfo> describeEngines(const Session& s);

/* The engines that can run here, for messages: "MTHYBRID MT1998 ...". */
std::string availableEngineNames(const std::vector<EngineInfo>& engines);

/* The available engines that take keys (or thread numbers), grouped by the
 * range they apply: "MT64 FRY2X64 0 to 18446744073709551615; PCG32I 0 to
 * 1023; ...". */
std::string substreamRanges(const std::vector<EngineInfo>& engines, bool threads);

} // namespace vxcli

#endif
