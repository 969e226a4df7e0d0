/* The command line of vxalea: one parser for every subcommand.
 *
 * All options are read before the host is created or anything is written,
 * so a usage error leaves stdout empty.  Each subcommand then says which
 * options it takes; an option given to a subcommand that has no use for it
 * is a usage error rather than something silently ignored. */
#ifndef VX_TOOLS_VXALEA_OPTIONS_H
#define VX_TOOLS_VXALEA_OPTIONS_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vxcli {

/* Thrown for anything the user can fix on the command line; main prints the
 * one-line message and exits with status 2. */
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/* Thrown when the host, the module or the output fails; exit status 1. */
class RunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Format { Text, Hex, Bin };

struct Options {
    std::string command;                 /* empty: none given */
    std::vector<std::string> positional; /* words after the subcommand */
    bool help = false;
    bool version = false;

    /* Options as given, by their long name ("method", "n", "set", ...); the
     * value of a flag is empty.  Repeated options keep every value. */
    std::map<std::string, std::vector<std::string>> given;

    bool has(const std::string& name) const { return given.count(name) != 0; }
    /* Last value of a value option, if given. */
    std::optional<std::string> value(const std::string& name) const;
    const std::vector<std::string>& values(const std::string& name) const;
};

/* Parses argv; throws UsageError for unknown options and missing values. */
Options parseCommandLine(int argc, char** argv);

/* Throws UsageError naming the first given option not in `allowed`. */
void allowOnly(const Options& o, const std::vector<std::string>& allowed);
/* The options of every subcommand that draws from one stream, and `extra`. */
std::vector<std::string> streamOptionNames(std::initializer_list<const char*> extra = {});

/* Strict number readers: the whole text must be the number, and a number
 * outside the range is refused, never clamped.  `what` names the thing in
 * the error message ("--seed", "the gamma parameter alpha"), which quotes
 * the range. */
uint64_t parseU64(const std::string& text, const std::string& what, uint64_t lo = 0,
                  uint64_t hi = UINT64_MAX); /* decimal or 0x hex */
int64_t parseI64(const std::string& text, const std::string& what);
/* nan and inf are numbers here (the samplers define what they give); text
 * whose value overflows a double is refused. */
double parseDouble(const std::string& text, const std::string& what);
std::vector<std::string> splitList(const std::string& text); /* comma-separated */

/* The options shared by every subcommand that draws from one stream. */
struct StreamOptions {
    std::optional<std::string> method;
    std::optional<uint64_t> seed;     /* --seed or --int-seed: the integer seed */
    std::string seedOption = "--seed"; /* which of the two, for messages */
    std::optional<double> userSeed;   /* --user-seed: through the module's conversion */
    std::optional<uint64_t> key;
    std::optional<uint64_t> thread;
    bool crude = false;
    bool lenient = false; /* take the module's substitutions instead of refusing */
    bool quiet = false;   /* no seed line, no notes, no progress */
    /* --load-state FILE: the stream continues a checkpoint instead of
     * being seeded.  The file is read with the options, so that a missing
     * or foreign one is a usage error before anything starts. */
    std::optional<std::string> loadState;
    std::vector<std::byte> checkpoint; /* its bytes */
    std::string checkpointEngine;      /* the engine its header names */
    std::optional<std::string> saveState; /* --save-state FILE */
    /* Not an option: bench's fixed seed, for engines that take one. */
    uint64_t fixedSeed = 0;
};

enum class Progress { Auto, On, Off };

struct OutputOptions {
    Format format = Format::Text;
    uint64_t count = 10;
    bool endless = false; /* -n 0: until the reader stops */
    Progress progress = Progress::Auto;
};

StreamOptions streamOptions(const Options& o);
OutputOptions outputOptions(const Options& o);

/* NAME=VALUE pairs of --set, checked. */
std::vector<std::pair<std::string, std::string>> registrySettings(const Options& o);

} // namespace vxcli

#endif
