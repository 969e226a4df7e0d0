/* What `vxalea --help`, `vxalea SUB --help` and `vxalea --version` print. */
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "distributions.h"
#include "output.h"
#include "session.h"

namespace vxcli {
namespace {

constexpr const char* kToolVersion = "1.0.0";

constexpr const char* kStreamOptions =
    "Stream options:\n"
    "  --method NAME     engine or alias (see 'vxalea methods'); default: the registry's\n"
    "                    OSENV.QOR_RNG_METHOD, else MTHYBRID.  An unknown or unavailable\n"
    "                    name is a usage error\n"
    "  --seed N          the stream's integer seed (Seed), 1 to the engine's largest seed\n"
    "                    (4294967295 for 32-bit engines), decimal or 0x hex; absent: a seed\n"
    "                    from the clock, printed on stderr so that the run can be repeated\n"
    "  --int-seed N      another name for --seed\n"
    "  --user-seed X     a double seed (UserSeed) through the module's conversion: a whole\n"
    "                    number in range passes, others map by their mantissa\n"
    "  --key K           substream key (Key), within what the engine keeps apart\n"
    "  --thread T        thread number, a second substream dimension, likewise\n"
    "                    ('vxalea methods' shows both ranges per engine)\n"
    "  --crude           initialize with zrand_crude (the engine's quick uniform, if it has one)\n"
    "  --lenient         let the module substitute instead of refusing: an unknown method runs\n"
    "                    MTHYBRID, an ignored or folded key, thread or seed goes to the engine,\n"
    "                    refused sampler parameters write the missing value; values are\n"
    "                    written and a stream status other than 0 gives exit status 1\n"
    "  --quiet           no seed line, accuracy note or progress on stderr\n"
    "  --save-state FILE after the last value, write the stream's checkpoint to FILE (replaced\n"
    "                    whole, never left half written): its engine, seed, key and thread,\n"
    "                    read position and the samplers' saved set-ups\n"
    "  --load-state FILE continue the stream a checkpoint holds instead of seeding one: '-n A\n"
    "                    --save-state s' then '-n B --load-state s' writes the values of -n A+B.\n"
    "                    --seed, --user-seed, --key, --thread, --crude and a --method of\n"
    "                    another engine are refused with it\n";

constexpr const char* kOutputOptions =
    "Output options:\n"
    "  -n N              number of values (default 10); -n 0 runs until the reader stops\n"
    "                    (e.g. | dieharder -g 200 -a)\n"
    "  --format F        text (default: one value a line, doubles as %.17g), hex (8 or 16\n"
    "                    digits; doubles as their IEEE-754 bits) or bin (little-endian bytes only)\n"
    "  --progress        values, bytes and rate on stderr every second and at the end\n"
    "                    (default: when stderr is a terminal and stdout is not)\n";

constexpr const char* kHostOptions =
    "Host options:\n"
    "  --set NAME=VALUE  store VALUE as text in the host registry before the module loads\n"
    "                    (repeatable), e.g. --set OSENV.QOR_RNG_MESSAGES=NOTE to see the method\n"
    "                    note, --set vxbug.RNGSEED=42 to fix every clock seed\n"
    "  --journal         copy every journal line to stderr as '[SEVERITY] 0xCODE text'\n";

constexpr const char* kExitStatus =
    "Exit status: 0 success; 1 a problem the module or the system reports: the stream's status\n"
    "was not 0 after initialization (nothing written; with --lenient the values are written\n"
    "first), the module could not be loaded, or the output not written; 2 usage error (one\n"
    "line on stderr, nothing on stdout).\n";

std::string formatted(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string formatted(const char* fmt, ...)
{
    va_list a, b;
    va_start(a, fmt);
    va_copy(b, a);
    const int n = std::vsnprintf(nullptr, 0, fmt, a);
    va_end(a);
    std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    std::vsnprintf(s.data(), s.size() + 1, fmt, b);
    va_end(b);
    return s;
}

std::string overview()
{
    return formatted(
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
                 "  vxalea raw --method MT32 --seed 5489 -n 3      # 3499211612 581869302 3890346734\n"
                 "  vxalea raw --method XOR128 -n 0 --format bin | dieharder -g 200 -a\n"
                 "  vxalea draw normal --seed 7 -n 1000 --save-state run.ckpt > part1\n"
                 "  vxalea draw normal -n 1000 --load-state run.ckpt > part2   # part1 part2 = -n 2000\n",
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
     "One row per engine, read from the descriptor its set-up function fills: name, status\n"
     "(available, or unavailable when the descriptor reports state size 0: the engine cannot\n"
     "run here and --method refuses its names), RANDOM (no for SUBKEY32/64, an arithmetic\n"
     "sequence that is constant with key 0, and TORVEL, reached only through ztorvel: not\n"
     "for statistics, test batteries or benchmarks), bits per raw output, state and blob\n"
     "sizes in bytes, zrng_has capability bits in hex, largest seed, the keys and thread\n"
     "numbers --key and --thread take (- for none; a key-only engine folds thread numbers\n"
     "into the key's low bits, which bounds both), the other names --method accepts, label.\n"
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
     "Example: vxalea raw --method MT32 --seed 5489 -n 5   # the std::mt19937 sequence\n",
     true},
    {"uniform",
     "usage: vxalea uniform [--conversion C] [STREAM AND OUTPUT OPTIONS]\n"
     "\n"
     "Doubles from one conversion of the engine's raw output.\n"
     "\n"
     "  --conversion C    open (default: the stream's rangen, never 0 or 1, drawn through\n"
     "                    FillTheBufferUNIFORM), fast, crude,\n"
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
     "                   [--loc L] [--scale S] [STREAM AND OUTPUT OPTIONS]\n"
     "\n"
     "Variates of one distribution (name blind to case), parameters in the sampler's order;\n"
     "under each, what --loc L and --scale S make of a value x (z for a normal):\n"
     "%s"
     "\n"
     "Parameters the sampler refuses (its first value is the missing value) are a usage\n"
     "error; with --lenient the missing value is written: 'nan' in text, fffffe0000000000\n"
     "in hex.  Where the sampler's algorithm approximates the law or loses precision\n"
     "(binomial n > 300 with n*p > 5, poisson lambda >= 85, shapes >= 1e15, ...), one note\n"
     "on stderr says so (docs/accuracy.md has the figures).\n"
     "\n"
     "  --buffer B        values a FillTheBuffer<DIST> call, 1 to 16777216 (default 8192; the\n"
     "                    numbers are those of one-at-a-time calls whatever B is)\n"
     "  --table LIST      the probabilities of 'table', comma-separated\n"
     "  --loc L, --scale S  location (default 0) and scale (above 0, default 1) of the\n"
     "                    continuous distributions; without them the output is the sampler's\n"
     "\n"
     "Examples: vxalea draw binomial 20 0.3 --method PCG64I --seed 1 -n 5\n"
     "          vxalea draw table --table 0.2,0.3,0.5 --seed 3\n"
     "          vxalea draw normal --seed 1 -n 1000000 --format bin > z.f64  # numpy.fromfile(\"z.f64\")\n",
     true},
    {"shared",
     "usage: vxalea shared --threads T [--seed S] [-n N] [--buffer B] DIST [PARAMS]\n"
     "                     [--table L] [--loc L] [--scale S] [--format F] [--lenient]\n"
     "                     [--quiet] [--set NAME=VALUE] [--journal]\n"
     "\n"
     "The extension record's shared per-thread generators: T OS threads each attach (task 1)\n"
     "and ask for base seed S (task 2); the module seeds element i with MT64 and seed S + i\n"
     "once, for everyone.  Thread i draws N variates of DIST from element i; the values are\n"
     "formatted by each thread and printed in thread order ('thread i: v1 v2 ...'; bin:\n"
     "thread 0's values, then thread 1's, ...), then every thread's caller detaches (task 3).\n"
     "S is from 1 to 2147483648 - T, so that every S + i is a 32-bit seed; absent: the\n"
     "module's clock-based seed, printed on stderr.  DIST and its parameters as for 'draw'.\n"
     "\n"
     "  --threads T       number of generators and threads, 1 to 1024\n"
     "  -n N              values per thread, 1 to 16777216 (default 10)\n"
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
     "usage: vxalea bench [--quick] [--json] [--method NAME [--lenient]] [--progress | --quiet]\n"
     "\n"
     "Nanoseconds per value on this machine: for every engine its raw output at the native\n"
     "width and its rangen uniform, then every distribution (everyday parameters) on the\n"
     "stream of --method (default: the registry's, else MTHYBRID).  Unavailable engines are\n"
     "marked so, and so are the engines that are not random in the statistical sense\n"
     "(SUBKEY32/64, TORVEL).  Timings vary from run to run; compare rows of one run.\n"
     "\n"
     "  --quick           fewer values a row (a few tenths of a second in all)\n"
     "  --json            one JSON object instead of the tables\n"
     "  --progress        the row being measured on stderr (default when stderr is a\n"
     "                    terminal); --quiet: never\n"
     "\n"
     "Example: vxalea bench --quick --method MT64\n",
     false},
};

} // namespace

std::string overviewText() { return overview(); }

bool commandHelpText(const std::string& command, std::string& text)
{
    for (const Page& p : kPages) {
        if (command != p.command) continue;
        if (command == "draw") {
            std::string list;
            for (const Distribution& d : distributions()) {
                std::string params;
                for (const ParamSpec& s : d.params) params += std::string(" ") + s.name;
                if (d.signature == Signature::Table) params = " --table p1,p2,...";
                list += formatted("  %-15s %-26s %s\n", d.name, params.c_str(), d.about);
                list += formatted("  %-42s %s\n", "", d.shifted ? d.shifted : "(no --loc, --scale: a count)");
            }
            text = formatted(p.text, list.c_str());
        } else {
            text = p.text;
        }
        if (p.stream) text += formatted("\n%s\n%s", kStreamOptions, kOutputOptions);
        text += formatted("\n%s\n%s", kHostOptions, kExitStatus);
        return true;
    }
    return false;
}

int printVersion(const Options& o)
{
    Session session(o);
    size_t v[3];
    session.moduleVersion(v);
    writeText(formatted("vxalea %s\nmodule vxalea %zu.%zu.%zu (%s)\nhost %d.%d.%d\n", kToolVersion, v[0], v[1], v[2],
                        session.modulePath().c_str(), VXHOST_VERSION_MAJOR, VXHOST_VERSION_MINOR,
                        VXHOST_VERSION_DELTA));
    return 0;
}

} // namespace vxcli
