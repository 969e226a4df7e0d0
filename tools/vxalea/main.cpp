/* vxalea: random numbers from the vxalea module on the command line.
 *
 * A real host process: it creates the project's host, stores --set entries
 * in its registry, loads the module by name (vxextver, then the entry
 * vxalea) and calls only what the module exports.  See 'vxalea --help'. */
#include <cstdio>
#include <exception>

#include "commands.h"
#include "output.h"

using namespace vxcli;

namespace {

struct Command {
    const char* name;
    int (*run)(const Options&);
};

constexpr Command kCommands[] = {
    {"methods", cmdMethods}, {"raw", cmdRaw},   {"uniform", cmdUniform}, {"draw", cmdDraw},
    {"shared", cmdShared},   {"hash", cmdHash}, {"bench", cmdBench},
};

int run(int argc, char** argv)
{
    Options o = parseCommandLine(argc, argv);
    if (o.command.empty()) {
        if (o.help) {
            writeText(overviewText());
            return 0;
        }
        if (o.version && o.given.empty()) return printVersion(o);
        throw UsageError("no subcommand given; try 'vxalea --help' (e.g. 'vxalea draw normal -n 5')");
    }
    for (const Command& c : kCommands) {
        if (o.command != c.name) continue;
        if (o.help) {
            std::string text;
            commandHelpText(c.name, text);
            writeText(text);
            return 0;
        }
        if (o.version) throw UsageError("--version stands alone: 'vxalea --version'");
        return c.run(o);
    }
    throw UsageError("unknown subcommand '" + o.command +
                     "'; choose methods, raw, uniform, draw, shared, hash or bench (see 'vxalea --help')");
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vxalea: %s\n", e.what());
        return 2;
    } catch (const RunError& e) {
        std::fprintf(stderr, "vxalea: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vxalea: %s\n", e.what());
        return 1;
    }
}
