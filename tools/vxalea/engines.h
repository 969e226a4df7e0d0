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
    size_t blobSize;   /* 0 when the engine cannot run here */
    bool available() const { return descriptor.zrng_state_size != 0; }
    std::string label() const;
};

/* Calls every engine's set-up function on a descriptor of the tool's own. */
std::vector<EngineInfo> describeEngines(const Session& s);

} // namespace vxcli

#endif
