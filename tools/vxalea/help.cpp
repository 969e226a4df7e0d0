/* What `vxalea --help`, `vxalea SUB --help` and `vxalea --version` print. */
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "distributions.h"
#include "session.h"

namespace vxcli {
namespace {

constexpr const char* kToolVersion = "1.0.0";

constexpr const char* kStreamOptions =
    "Stream options:\n"
    "  --method NAME     engine or alias (see 'vxalea methods'); default: the registry's\n"
    "                    OSENV.QOR_RNG_METHOD, else MTHYBRID\n"
    "  --seed X          seed as a double (UserSeed); absent: seed from the clock\n"
    "  --int-seed N      integer seed (Seed, decimal or 0x hex), used when --seed is absent\n"
    "  --key K           substream key (Key = K, UserKey = K)\n"
    "  --thread T        thread number, a second substream dimension\n"
    "  --crude           initialize with zrand_crude (the engine's quick uniform, if it has one)\n";

constexpr const char* kOutputOptions =
    "Output options:\n"
    "  -n N              number of values (default 10); with --format bin, -n 0 runs until\n"
    "                    the reader stops (e.g. | dieharder -g 200 -a)\n"
    "  --format F        text (default: one value a line, doubles as %.17g), hex (8 or 16\n"
    "                    digits; doubles as their IEEE-754 bits) or bin (little-endian bytes only)\n";

constexpr const char* kHostOptions =
    "Host options:\n"
    "  --set NAME=VALUE  store VALUE as text in the host registry before the module loads\n"
    "                    (repeatable), e.g. --set OSENV.QOR_RNG_MESSAGES=NOTE to see the method\n"
    "                    note, --set vxbug.RNGSEED=42 to fix every clock seed\n"
    "  --journal         copy every journal line to stderr as '[SEVERITY] 0xCODE text'\n";

constexpr const char* kExitStatus =
    "Exit status: 0 success; 1 values were written but the stream's status was not 0 after\n"
    "initialization (stderr names the code: e.g. an unknown method fell back to MTHYBRID), or the\n"
    "module could not be loaded or the output not written; 2 usage error (nothing on stdout).\n";

void overview(FILE* to)
{
    std::fprintf(to,
                 "usage: vxalea SUBCOMMAND [ARGUMENTS] [OPTIONS]\n"
                 "\n"
                 "Random numbers from the vxalea module, loaded into a host of this process.\n"
                 "\n"
                 "Subcommands:\n"
                 "  methods [--json]              the 19 engines: names, aliases, label, bits, sizes,\n"
                 "                                capability bits, limits; which can run here\n"
                 "  raw [--width 32|64]           the engine's raw integers\n"
                 "  uniform [--conversion C]      doubles from one of the engine's conversions\n"
                 "  draw DIST [PARAMS]            variates of one of 20 distributions\n"
                 "  shared --threads T DIST ...   the module's shared per-thread generators\n"
                 "  hash murmur32|murmur64|murmur128  MurmurHash3 of bytes or 64-bit words\n"
                 "  bench [--quick] [--json]      ns per value of every engine and distribution\n"
                 "\n"
                 "'vxalea SUBCOMMAND --help' explains each one.  'vxalea --version' names the module.\n"
                 "\n"
                 "%s\n%s\n%s\n%s"
                 "\n"
                 "Examples:\n"
                 "  vxalea draw gamma 2.5 --method MT64 --seed 12345 -n 10 \\\n"
                 "      --set OSENV.QOR_RNG_MESSAGES=NOTE --journal\n"
                 "  vxalea raw --method MT32 --int-seed 5489 -n 3      # 3499211612 581869302 3890346734\n"
                 "  vxalea raw --method XOR128 -n 0 --format bin | dieharder -g 200 -a\n",
                 kStreamOptions, kOutputOptions, kHostOptions, kExitStatus);
}

struct Page {
    const char* command;
    const char* text; /* usage, what it does, its own options */
    bool stream;      /* takes the stream and output options */
};

const Page kPages[] = {
    {"methods",
     "usage: vxalea methods [--json]\n"
     "\n"
     "One row per engine: name, status (available, or unavailable when its descriptor reports\n"
     "state size 0: the engine cannot run here and its names select MTHYBRID), bits per raw\n"
     "output, state and blob sizes in bytes, zrng_has capability bits in hex, largest seed and\n"
     "key (0: takes no key), label and the other names --method accepts.\n"
     "\n"
     "  --json            one JSON array of objects instead of the table\n"
     "\n"
     "Example: vxalea methods --json | python3 -m json.tool\n",
     false},
    {"raw",
     "usage: vxalea raw [--width 32|64] [STREAM AND OUTPUT OPTIONS]\n"
     "\n"
     "Raw integers of the stream's engine (zrng_uint32 or zrng_uint64) after initialization.\n"
     "A 32-bit engine's 64-bit value is two draws, the first in the high half; a 64-bit\n"
     "engine's 32-bit value is the high half of one draw.\n"
     "\n"
     "  --width 32|64     default: the engine's native width\n"
     "\n"
     "Example: vxalea raw --method MT32 --int-seed 5489 -n 5   # the std::mt19937 sequence\n",
     true},
    {"uniform",
     "usage: vxalea uniform [--conversion C] [STREAM AND OUTPUT OPTIONS]\n"
     "\n"
     "Doubles from one conversion of the engine's raw output.\n"
     "\n"
     "  --conversion C    open (default: the stream's rangen, never 0 or 1), fast, crude,\n"
     "                    infinite, or one of the families\n"
     "                    32_closed_open 32_open_open 32_open_closed 32_closed_closed 32_reject_zero\n"
     "                    53_closed_open 53_open_open 53_open_closed 53_closed_closed 53_reject_zero\n"
     "                    64_closed_open 64_open_open 64_open_closed 64_closed_closed\n"
     "                    64_reject_zero_one\n"
     "                    A conversion the engine does not have is a usage error ('vxalea methods'\n"
     "                    shows the family bits: 0x0800 32-bit, 0x1000 53/64-bit and infinite).\n"
     "\n"
     "Example: vxalea uniform --method MT64 --seed 7 --conversion 53_open_open --format hex\n",
     true},
    {"draw",
     "usage: vxalea draw DIST [P1 [P2 [P3]]] [--buffer B] [--table p1,p2,...]\n"
     "                   [STREAM AND OUTPUT OPTIONS]\n"
     "\n"
     "Variates of one distribution (name blind to case), parameters in the sampler's order:\n"
     "%s"
     "\n"
     "A parameter the sampler refuses gives the missing value: 'nan' in text,\n"
     "fffffe0000000000 in hex.\n"
     "\n"
     "  --buffer B        draw through FillTheBuffer<DIST>, B values a call (the same numbers\n"
     "                    as one at a time)\n"
     "  --table LIST      the probabilities of 'table', comma-separated\n"
     "\n"
     "Examples: vxalea draw binomial 20 0.3 --method PCG64I --seed 1 -n 5\n"
     "          vxalea draw table --table 0.2,0.3,0.5 --seed 3\n"
     "          vxalea draw normal --seed 1 -n 1000000 --format bin > z.f64  # numpy.fromfile(\"z.f64\")\n",
     true},
    {"shared",
     "usage: vxalea shared --threads T [--seed S] [-n N] [--buffer B] DIST [PARAMS]\n"
     "                     [--format F] [--set NAME=VALUE] [--journal]\n"
     "\n"
     "The extension record's shared per-thread generators: T OS threads each attach (task 1)\n"
     "and ask for base seed S (task 2); the module seeds element i with MT64 and seed S + i\n"
     "once, for everyone.  Thread i draws N variates of DIST from element i; the values are\n"
     "printed by thread ('thread i: v1 v2 ...'; bin: thread 0's values, then thread 1's, ...),\n"
     "then every thread's caller detaches (task 3).  S is a 32-bit integer; 0 or absent: the\n"
     "module's clock-based seed.  DIST and its parameters as for 'draw'.\n"
     "\n"
     "  --threads T       number of generators and threads, 1 to 1024\n"
     "\n"
     "Example: vxalea shared --threads 4 --seed 100 -n 3 normal\n"
     "         # thread 2's values equal 'vxalea draw normal --method MT64 --seed 102 -n 3'\n",
     false},
    {"hash",
     "usage: vxalea hash murmur32 [--seed S] [FILE|-]\n"
     "       vxalea hash murmur64|murmur128 --words w1,w2,... [--seed S]\n"
     "\n"
     "MurmurHash3_x86_32 of a file's bytes (stdin for - or no FILE; seed 32 bits), or the\n"
     "module's x64_128 hash of 64-bit words (decimal or 0x hex; seed 64 bits).  murmur64 is\n"
     "the two 128-bit halves XOR-ed.  Printed in hex; murmur128 as two 16-digit words.\n"
     "\n"
     "Examples: printf abc | vxalea hash murmur32            # b3dd93fa\n"
     "          vxalea hash murmur64 --words 1,2,3           # 43b0f594e22630de\n",
     false},
    {"bench",
     "usage: vxalea bench [--quick] [--json] [--method NAME]\n"
     "\n"
     "Nanoseconds per value on this machine: for every engine its raw output at the native\n"
     "width and its rangen uniform, then every distribution (everyday parameters) on the\n"
     "stream of --method (default: the registry's, else MTHYBRID).  Unavailable engines are\n"
     "marked so.  Timings vary from run to run; compare rows of one run.\n"
     "\n"
     "  --quick           fewer values a row (a few tenths of a second in all)\n"
     "  --json            one JSON object instead of the tables\n"
     "\n"
     "Example: vxalea bench --quick --method MT64\n",
     false},
};

} // namespace

void printOverview(FILE* to) { overview(to); }

bool printCommandHelp(const std::string& command, FILE* to)
{
    for (const Page& p : kPages) {
        if (command != p.command) continue;
        if (command == "draw") {
            std::string list;
            for (const Distribution& d : distributions()) {
                std::string params;
                for (const ParamSpec& s : d.params) params += std::string(" ") + s.name;
                if (d.signature == Signature::Table) params = " --table p1,p2,...";
                char line[160];
                std::snprintf(line, sizeof line, "  %-15s %-26s %s\n", d.name, params.c_str(), d.about);
                list += line;
            }
            std::fprintf(to, p.text, list.c_str());
        } else {
            std::fputs(p.text, to);
        }
        if (p.stream) std::fprintf(to, "\n%s\n%s", kStreamOptions, kOutputOptions);
        std::fprintf(to, "\n%s\n%s", kHostOptions, kExitStatus);
        return true;
    }
    return false;
}

int printVersion()
{
    Options none;
    Session session(none);
    size_t v[3];
    session.moduleVersion(v);
    std::printf("vxalea %s\nmodule vxalea %zu.%zu.%zu (%s)\nhost %d.%d.%d\n", kToolVersion, v[0], v[1], v[2],
                session.modulePath().c_str(), VXHOST_VERSION_MAJOR, VXHOST_VERSION_MINOR, VXHOST_VERSION_DELTA);
    return 0;
}

} // namespace vxcli
