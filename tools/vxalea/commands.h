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

/* Shared by draw and shared: the distribution word and its parameters, and
 * --buffer (0 when absent). */
struct Distribution;
const Distribution& distributionArgument(const Options& o, std::vector<std::string>& params);
uint64_t bufferOption(const Options& o);

/* Help texts: the overview, and one page per subcommand (false: unknown). */
void printOverview(FILE* to);
bool printCommandHelp(const std::string& command, FILE* to);
int printVersion();

} // namespace vxcli

#endif
