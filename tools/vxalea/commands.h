/* The subcommands.  Each checks its own options and arguments before it
 * creates the host, and returns the process's exit status. */
#ifndef VX_TOOLS_VXALEA_COMMANDS_H
#define VX_TOOLS_VXALEA_COMMANDS_H

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "options.h"

namespace vxcli {

int cmdMethods(const Options& o);
int cmdRaw(const Options& o);
int cmdUniform(const Options& o);
int cmdDraw(const Options& o);
int cmdShared(const Options& o);
int cmdHash(const Options& o);
int cmdBench(const Options& o);

/* Values drawn per block: 64 KiB of doubles unless --buffer says otherwise. */
constexpr uint64_t kDefaultBuffer = 8192;
constexpr uint64_t kMaxBuffer = uint64_t{1} << 24;
/* The samplers' missing value. */
constexpr uint64_t kMissingBits = 0xFFFFFE0000000000ull;

/* Shared by draw and shared: the distribution word, its parameters (with
 * --table, --loc, --scale), --buffer, and what is said before values go
 * out: a refused parameter (UsageError) and the accuracy note. */
struct Distribution;
struct Parameters;
class Sampler;
const Distribution& distributionArgument(const Options& o, std::vector<std::string>& params);
Parameters distributionParameters(const Options& o, const Distribution& d, const std::vector<std::string>& words);
uint64_t bufferOption(const Options& o);
[[noreturn]] void refuseMissing(const Sampler& sampler);
void noteAccuracy(const Sampler& sampler, bool quiet);

/* Help texts: the overview, and one page per subcommand (false: unknown). */
std::string overviewText();
bool commandHelpText(const std::string& command, std::string& text);
int printVersion(const Options& o);

} // namespace vxcli

#endif
