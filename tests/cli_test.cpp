/* The command-line tool run as a process: formats, refusals, --lenient,
 * registry entries, shared generators, checkpoints, known answers from
 * <random> and published MurmurHash3 vectors. */
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct Result {
    int status = -1; /* exit status, or -1 when killed by a signal */
    std::string out, err;
};

std::string tempPath(const std::string& name)
{
    return testing::TempDir() + "vxalea_cli_" + std::to_string(getpid()) + "_" + name;
}

std::string quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s) c == '\'' ? q.append("'\\''") : q.append(1, c);
    return q.append(1, '\'');
}

/* Runs the tool with `input` on stdin; the reader of stdout goes away after
 * stopAfter > 0 bytes (as `head -c` does), or stdout goes to `stdoutFile`. */
Result vxalea(const Args& args, const std::string& input = {}, size_t stopAfter = 0, const char* stdoutFile = nullptr)
{
    const std::string in = tempPath("stdin"), err = tempPath("stderr");
    std::ofstream(in, std::ios::binary) << input;
    std::string cmd = quoted(std::string(VXALEA_BIN_DIR) + "/vxalea");
    for (const std::string& a : args) cmd.append(1, ' ').append(quoted(a));
    cmd.append(" <").append(quoted(in)).append(" 2>").append(quoted(err));
    if (stdoutFile) cmd.append(" >").append(quoted(stdoutFile));
    if (stopAfter) cmd += " | head -c " + std::to_string(stopAfter);
    signal(SIGPIPE, SIG_IGN); /* the tool sees a closed reader as EPIPE */
    FILE* p = popen(("exec bash -c " + quoted(cmd + "; exit ${PIPESTATUS[0]}")).c_str(), "r");
    Result r;
    char buf[65536];
    for (size_t n; p && (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int ws = p ? pclose(p) : -1;
    r.status = WIFEXITED(ws) && WEXITSTATUS(ws) < 128 ? WEXITSTATUS(ws) : -1;
    std::ifstream e(err, std::ios::binary);
    r.err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
    std::remove(in.c_str()), std::remove(err.c_str());
    return r;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

template <class T>
std::vector<T> fromBytes(const std::string& bytes)
{
    std::vector<T> v(bytes.size() / sizeof(T));
    std::memcpy(v.data(), bytes.data(), v.size() * sizeof(T));
    return v;
}

Args plus(Args a, const Args& b) { return a.insert(a.end(), b.begin(), b.end()), a; }

Args split(const std::string& words)
{
    Args a;
    for (std::istringstream in(words); in >> a.emplace_back();) {}
    return a.pop_back(), a;
}

std::string shown(const Args& a)
{
    return std::accumulate(a.begin(), a.end(), std::string(), [](std::string s, auto& w) { return s + w + " "; });
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
std::string out(const Args& a) { return vxalea(a).out; }
template <class T>
std::vector<T> bin(const Args& a) { return fromBytes<T>(out(plus(a, {"--format", "bin"}))); }

/* A checkpoint of MT64 seed 1 after one raw value, less its last `cut` bytes. */
std::string savedState(size_t cut = 0)
{
    const std::string path = tempPath("saved" + std::to_string(cut));
    vxalea({"raw", "--method", "MT64", "--seed", "1", "-n", "1", "--save-state", path});
    if (cut) std::filesystem::resize_file(path, std::filesystem::file_size(path) - cut);
    return path;
}

/* The README's example; registry entries reach the module. */
TEST(Cli, ReadmeExampleDrawsTenGammasAndShowsTheMethodNote)
{
    const Args run = {"draw", "gamma", "2.5", "--method", "MT64", "--seed", "12345", "-n", "10", "--journal"};
    Result r = vxalea(plus(run, {"--set", "OSENV.QOR_RNG_MESSAGES=NOTE"}));
    ASSERT_TRUE(r.status == 0 && lines(r.out).size() == 10) << r.err;
    EXPECT_TRUE(has(r.err, "[NOTE] 0x8C7FE829 Random number method 64-bit Mersenne Twister with seed 12345")) << r.err;
    /* Notes only when the registry asks for them: the same values, silence. */
    Result quiet = vxalea(run);
    EXPECT_TRUE(quiet.out == r.out && quiet.err.empty());
    /* --set reaches the module's registry reads before the stream exists. */
    Result fixed = vxalea({"raw", "--method", "MT64", "-n", "5", "--set", "vxbug.RNGSEED=42"});
    EXPECT_EQ(fixed.out, out({"raw", "--method", "MT64", "-n", "5", "--seed", "42"}));
    EXPECT_EQ(fixed.err, "vxalea: seed 42 from vxbug.RNGSEED; --seed 42 repeats this run\n");
}

/* The Mersenne Twisters against <random>: raw, endless until the reader goes
 * away (in every format, then a clean exit), at the other width and through
 * the conversions, 32-bit i * 2^-32 and 53-bit j * 2^-53. */
TEST(Cli, MersenneTwistersMatchTheStandardLibrary)
{
    for (const char* format : {"bin", "text", "hex"}) {
        Result r = vxalea({"raw", "--method", "MT32", "--seed", "5489", "-n", "0", "--format", format}, {}, 1 << 20);
        EXPECT_TRUE(r.status == 0 && r.err.empty()) << r.err;
        ASSERT_GE(r.out.size(), 1u << 20);
        std::mt19937 mt;
        const auto raw = fromBytes<uint32_t>(r.out);
        const auto text = lines(r.out);
        for (size_t i = 0; i < (*format == 'b' ? raw.size() : 20000); ++i)
            ASSERT_EQ(*format == 'b' ? raw[i] : std::stoull(text[i], nullptr, *format == 'h' ? 16 : 10), mt()) << i;
        EXPECT_EQ(vxalea({"draw", "exponential", "--seed", "2", "-n", "0", "--format", format}, {}, 100000).status, 0);
    }
    std::mt19937 mt(5489);
    std::mt19937_64 mt64;
    /* 64-bit values of a 32-bit engine: two draws, the first in the high half. */
    for (uint64_t w : bin<uint64_t>({"raw", "--method", "MT32", "--int-seed", "0x1571", "--width", "64", "-n", "99"})) {
        const uint64_t hi = mt();
        ASSERT_EQ(w, (hi << 32) | mt());
    }
    for (uint64_t w : bin<uint64_t>({"raw", "--method", "mt", "--seed", "5489", "-n", "1000"})) ASSERT_EQ(w, mt64());
    mt.seed(5489), mt64.seed(5489);
    const Args u = {"uniform", "--seed", "5489", "-n", "500", "--conversion"};
    const auto fast = bin<double>(plus(u, {"fast", "--method", "MT32"}));
    const auto c53 = bin<double>(plus(u, {"53_closed_open", "--method", "MT64"}));
    ASSERT_EQ(fast.size() + c53.size(), 1000u);
    for (double d : fast) ASSERT_EQ(d, std::ldexp(static_cast<double>(mt()), -32));
    for (double d : c53) ASSERT_EQ(d, std::ldexp(static_cast<double>(mt64() >> 11), -53));
    EXPECT_TRUE(has(vxalea({"raw", "--seed", "1", "-n", "1000", "--progress"}).err, "vxalea: 1000 values"));
}

/* text is what printf("%.17g") prints of the bin values (every NaN as
 * "nan"), hex their bits; integers in decimal and 8 or 16 digits.  The
 * cases reach infinities, subnormals, negative zero and the missing value. */
TEST(Cli, TextAndHexFormatTheBinaryValues)
{
    const std::vector<std::pair<Args, int>> cases = { /* arguments, 32 or 64 for integers, 0 for doubles */
        {{"raw", "--method", "MT32"}, 32}, {{"raw", "--method", "MT64"}, 64},
        {{"uniform", "--method", "MT64", "--conversion", "infinite"}, 0}, {{"draw", "poisson", "3"}, 0},
        {{"draw", "normal", "--scale", "1.7e308"}, 0}, {{"draw", "normal", "--scale", "1e-310"}, 0},
        {{"draw", "uniform", "--loc", "-0.5", "--scale", "1", "--buffer", "7"}, 0},
        {{"draw", "chisquare", "-1", "--lenient"}, 0},
    };
    for (const auto& [args, width] : cases) {
        SCOPED_TRACE(shown(args));
        const Args base = plus(args, {"--seed", "9", "-n", "300"});
        std::vector<std::string> t = lines(out(base)), h = lines(out(plus(base, {"--format", "hex"})));
        const std::string bin = out(plus(base, {"--format", "bin"}));
        ASSERT_TRUE(t.size() == 300 && h.size() == 300 && bin.size() == 300u * (width == 32 ? 4 : 8));
        const auto v32 = fromBytes<uint32_t>(bin);
        const auto v64 = fromBytes<uint64_t>(bin);
        char text[40], hex[40];
        for (size_t i = 0; i < 300; ++i) {
            const unsigned long long bits = width == 32 ? v32[i] : v64[i];
            const double d = std::bit_cast<double>(bits);
            if (width)
                std::snprintf(text, sizeof text, "%llu", bits);
            else
                std::snprintf(text, sizeof text, std::isnan(d) ? "nan" : "%.17g", d);
            std::snprintf(hex, sizeof hex, "%0*llx", width == 32 ? 8 : 16, bits);
            ASSERT_TRUE(t[i] == text && h[i] == hex) << i << ": " << t[i] << " " << h[i];
        }
    }
}

/* Values are drawn a block at a time; the block size changes nothing, and
 * the stream's uniform through FillTheBufferUNIFORM is its rangen. */
TEST(Cli, BlockSizeChangesNoValue)
{
    const std::vector<Args> dists = {
        {"normal"}, {"t", "3.5"}, {"gamma", "0.7"}, {"binomial", "40", "0.3"}, {"poisson", "30"},
        {"hypergeometric", "50", "20", "10"}, {"table", "--table", "0.1,0.2,0.3"}, {"negbinomial", "0.3", "2.5"},
    };
    for (const Args& d : dists) {
        Args base = plus(plus({"draw"}, d), {"--method", "MT64", "--seed", "77", "-n", "37", "--format", "hex"});
        const std::string whole = out(base);
        ASSERT_EQ(lines(whole).size(), 37u) << d[0];
        for (const char* b : {"1", "5", "36"}) EXPECT_EQ(out(plus(base, {"--buffer", b})), whole) << d[0] << " " << b;
    }
    Args uniform = {"uniform", "--method", "MT64", "--seed", "3", "-n", "20000", "--format", "bin"};
    EXPECT_EQ(out(uniform), out(plus(uniform, {"--conversion", "64_reject_zero_one"})));
}

TEST(Cli, SeedsKeysAndThreadsSelectStreams)
{
    auto draw = [](const Args& m) { return out(plus({"raw", "--method", "MT64", "--seed", "11", "-n", "4"}, m)); };
    const std::string plain = draw({}), key = draw({"--key", "1"}), thread = draw({"--thread", "1"});
    EXPECT_TRUE(key != plain && thread != plain && key != thread && draw({"--key", "0", "--thread", "0"}) == plain);

    /* A clock seed is printed, and --seed repeats the run; --quiet says nothing. */
    Result clock = vxalea({"draw", "normal", "--method", "MT32", "-n", "5"});
    unsigned long long seed = 0;
    int end = 0;
    ASSERT_EQ(std::sscanf(clock.err.c_str(), "vxalea: seed %llu from the clock; --seed %*u repeats this run\n%n", &seed,
                          &end), 1) << clock.err;
    EXPECT_EQ(static_cast<size_t>(end), clock.err.size()) << clock.err;
    EXPECT_EQ(out({"draw", "normal", "--method", "MT32", "-n", "5", "--seed", std::to_string(seed)}), clock.out);
    EXPECT_EQ(vxalea({"raw", "-n", "1", "--quiet"}).err, "");

    /* --user-seed goes through the module's conversion: a whole seed in range
     * passes unchanged and silently, 1.5 maps to 2^31 - 1 and says so. */
    EXPECT_EQ(out({"raw", "--method", "MT32", "--user-seed", "12345", "-n", "3"}),
              out({"raw", "--method", "MT32", "--seed", "12345", "-n", "3"}));
    Result mapped = vxalea({"raw", "--method", "MT32", "--user-seed", "1.5", "-n", "3"});
    EXPECT_EQ(mapped.out, out({"raw", "--method", "MT32", "--seed", "2147483647", "-n", "3"}));
    EXPECT_TRUE(has(mapped.err, "seed 2147483647 from --user-seed 1.5")) << mapped.err;

    /* A crude stream's uniform is the engine's crude conversion. */
    const std::string crude = out({"draw", "uniform", "--method", "MT32", "--seed", "8", "--crude", "-n", "20"});
    EXPECT_EQ(crude, out({"uniform", "--method", "MT32", "--seed", "8", "--conversion", "crude", "-n", "20"}));
    EXPECT_NE(crude, out({"uniform", "--method", "MT32", "--seed", "8", "-n", "20"}));
}

/* Each refusal: its exit status, one stderr line with the fragment, and
 * nothing at all on stdout. */
TEST(Cli, RefusalsSayWhyAndWriteNothing)
{
    struct Refusal { std::string args; const char* says; int status = 2; }; /* the arguments split at spaces */
    const std::vector<Refusal> cases = {
        {"", "no subcommand"}, {"dice", "unknown subcommand"}, {"raw --bogus", "unknown option"},
        {"raw --method", "needs a value"}, {"raw --width 16", "32 or 64"}, {"raw extra", "takes no arguments"},
        {"raw --buffer 4", "does not apply to 'raw'"}, {"raw -n ten", "-n (0: until the reader stops)"},
        {"raw --format csv", "text, hex or bin"}, {"raw --crude=yes", "takes no value"},
        {"raw --set NOEQUALS", "NAME=VALUE"}, {"raw --version", "stands alone"},
        {"raw --method TORVEL", "cannot run on this machine"},
        /* Methods: the selectable names, never a silent MTHYBRID. */
        {"raw --method MT65", "unknown method 'MT65'; choose one of MTHYBRID MT1998"},
        {"raw --set OSENV.QOR_RNG_METHOD=bogus", "OSENV.QOR_RNG_METHOD does not name"},
        /* Seeds: whole numbers from 1 to the engine's largest. */
        {"raw --seed -1", "from 1 to the engine's largest seed"}, {"raw --seed 0.1", "--user-seed X passes a double"},
        {"raw --seed 0", "would seed from the clock"}, {"raw --user-seed 1e999", "beyond the largest double"},
        {"raw --int-seed 18446744073709551616", "--int-seed must be a whole number"},
        {"raw --method MT32 --int-seed 4294967296", "above MT32's largest seed, 4294967295"},
        {"raw --seed 1 --int-seed 1", "another name for --seed"}, {"raw --seed 1 --user-seed 1", "not both"},
        /* Keys and threads the engine would ignore or fold into another. */
        {"raw --method XOR64 --thread 1", "XOR64 takes no thread numbers"},
        {"raw --method MH3 --key 3", "PCG32I SUBKEY32 0 to 1023"}, {"raw --key -1", "from 0 to 18446744073709551615"},
        {"raw --method PCG64I --thread 8796093022208", "0 to 8796093022207"},
        {"raw --method PCG32I --key 1024", "keys PCG32I keeps apart, 0 to 1023"},
        {"uniform --conversion 32_half_open", "unknown --conversion"}, {"draw", "needs a distribution"},
        {"uniform --method MT64 --conversion 32_open_open", "conversion empty"}, {"draw table", "needs --table"},
        {"draw gama 2", "unknown distribution"}, {"draw gamma 1 2", "takes 1 parameter, got 2"},
        {"draw gamma two", "must be a number"}, {"draw binomial 2.5 0.5", "must be a whole number"},
        {"draw erlang 5000000000", "must fit in 32 bits"}, {"draw normal --table 0.5", "belongs to the table"},
        {"draw normal --buffer 0", "--buffer must be a whole number from 1 to 16777216"},
        {"draw poisson 3 --loc 1", "do not apply to poisson"}, {"draw normal --scale 0", "above 0"},
        {"draw normal --loc inf", "finite"},
        /* Parameters the sampler refuses: its first value is missing. */
        {"draw gamma -1 --seed 1", "gamma sampler refuses alpha -1"}, {"draw t 0.05 --buffer 4", "refuses df 0.05"},
        {"draw beta 0 nan --seed 1", "beta sampler refuses alpha 0, beta nan"},
        {"shared --threads 2 -n 3 poisson -4", "poisson sampler refuses lambda -4"},
        {"shared normal", "needs --threads"}, {"shared --threads 1025 normal", "from 1 to 1024"},
        {"shared --threads 4 --seed 2147483645 normal", "from 1 to 2147483644"},
        {"shared --threads 2 --method MT32 normal", "always run MT64"},
        {"shared --threads 2 -n 0 normal", "give -n N from 1"},
        {"hash", "needs a function"}, {"hash sha1", "unknown hash"}, {"hash murmur64", "needs --words"},
        {"hash murmur32 --seed 0x100000000", "from 0 to 4294967295"}, {"methods --json x", "takes no arguments"},
        {"hash murmur32 /nonexistent/file", "cannot open", 1}, {"bench --width 32", "does not apply to 'bench'"},
        /* Checkpoints: files that are not one, options the checkpoint settles. */
        {"draw normal --load-state /nonexistent/state", "--load-state /nonexistent/state: No such file"},
        {"raw --load-state " + std::string(VXALEA_SOURCE_DIR) + "/tests/cli_test.cpp", "not a vxalea checkpoint"},
        {"raw --load-state " + savedState(1), "checkpoint of engine MT64 is truncated"},
        {"raw --load-state " + savedState() + " --seed 1", "leave --seed out"},
        {"raw --load-state " + savedState() + " --method MT32", "(engine MT32) is not the engine of the"},
        {"raw --save-state x -n 0", "--save-state needs a count"},
        {"shared --threads 1 normal --save-state x", "does not apply to 'shared'"},
        {"raw --save-state /nonexistent/state", "cannot write --save-state /nonexistent/state", 1},
    };
    for (const auto& [words, fragment, status] : cases) {
        const Args args = split(words);
        Result r = vxalea(args);
        EXPECT_TRUE(r.status == status && r.out.empty()) << shown(args) << "exited " << r.status;
        EXPECT_TRUE(lines(r.err).size() == 1 && r.err.rfind("vxalea: ", 0) == 0 && has(r.err, fragment))
            << shown(args) << "\n" << r.err;
    }
    for (const char* file : {"saved0", "saved1"}) std::remove(tempPath(file).c_str());
    /* Output that cannot be written is an error, help and version included. */
    for (const Args& a : {Args{"--help"}, Args{"--version"}, Args{"draw", "--help"}, Args{"raw", "--seed", "1"}}) {
        Result full = vxalea(a, {}, 0, "/dev/full");
        EXPECT_EQ(full.status, 1) << shown(a);
        EXPECT_TRUE(has(full.err, "cannot write the output: No space left on device")) << full.err;
    }
}

/* A run cut into parts chained by --save-state/--load-state writes the values
 * of the whole run, with what the checkpoint settles (engine, crude uniforms,
 * keys, threads) and what later parts give again (distribution, --buffer,
 * --width, --conversion); every engine at every save point is cxx_layer_test's. */
TEST(Cli, SavedStateResumesTheSameValues)
{
    /* what is drawn, how the stream is opened, the parts' counts */
    const std::vector<std::tuple<Args, Args, std::vector<int>>> cases = {
        {{"draw", "normal"}, {"--method", "FRY4X64", "--key", "3"}, {7, 5, 101}},
        {{"draw", "lognormal", "--buffer", "2"}, {"--method", "MTHYBRID"}, {3, 4}},
        {{"draw", "gamma", "0.7"}, {"--method", "PCG32I", "--thread", "9"}, {313, 50}},
        {{"draw", "uniform"}, {"--method", "MT32", "--crude"}, {3, 700}},
        {{"raw", "--width", "64"}, {"--method", "MT32"}, {1, 312, 2}},
        {{"uniform", "--conversion", "53_open_open"}, {"--method", "XOR1024"}, {17, 3}},
    };
    const std::string state = tempPath("resume");
    for (const auto& [what, stream, parts] : cases) {
        SCOPED_TRACE(shown(plus(what, stream)));
        Args first = plus(plus(what, stream), {"--seed", "2718", "--format", "hex"});
        int total = 0;
        std::string joined;
        for (size_t k = 0; k < parts.size(); ++k) {
            Args run = plus(k == 0 ? first : plus(what, {"--load-state", state, "--format", "hex"}),
                            {"-n", std::to_string(parts[k])});
            if (k + 1 < parts.size()) run = plus(run, {"--save-state", state});
            Result r = vxalea(run);
            ASSERT_TRUE(r.status == 0 && r.err.empty()) << shown(run) << "\n" << r.err;
            joined += r.out;
            total += parts[k];
        }
        EXPECT_EQ(joined, out(plus(first, {"-n", std::to_string(total)})));
    }
    std::remove(state.c_str());
}

/* --lenient writes the module's substitutions, then the stream's status
 * (exit 1) or the sampler's missing values (exit 0). */
TEST(Cli, LenientWritesWhatTheModuleSubstitutes)
{
    /* arguments, the run whose values these are, exit status, stderr fragment ("": empty) */
    const std::vector<std::tuple<std::string, std::string, int, const char*>> cases = {
        {"raw --method NOSUCH --seed 4", "raw --method MTHYBRID --seed 4", 1, "stream status 0x8C7FE80B"},
        {"raw --method TORVEL --seed 4", "raw --method MTHYBRID --seed 4", 1, "stream status 0x8C7FE80C"},
        /* What the refusals protect from: a thread XOR64 ignores, one PCG64I folds into key 1's stream. */
        {"raw --method XOR64 --seed 4 --thread 7", "raw --method XOR64 --seed 4", 0, ""},
        {"raw --method PCG64I --seed 4 --thread 8796093022208", "raw --method PCG64I --seed 4 --key 1", 0, ""},
        {"raw --method PCG32I --seed 1 --key 0x80000000 --journal", "", 1,
         "[ERROR] 0x8C7FE81C The key 2147483648 is larger than the maximum 1023"},
        {"raw --method XOR64 --seed 1 --key 3 --journal --set OSENV.QOR_RNG_MESSAGES=WARN", "", 1,
         "[WARNING] 0x8C7FE81A The key 3 is ignored"},
    };
    for (const auto& [args, same, status, err] : cases) {
        SCOPED_TRACE(args);
        Result r = vxalea(split(args + " -n 3 --lenient"));
        EXPECT_TRUE(r.status == status && lines(r.out).size() == 3u) << r.status;
        EXPECT_TRUE(same.empty() || r.out == out(split(same + " -n 3")));
        EXPECT_TRUE(*err ? has(r.err, err) : r.err.empty()) << r.err;
    }
    Result missing = vxalea(split("draw chisquare -1 --seed 3 -n 2 --format hex --lenient"));
    EXPECT_TRUE(missing.status == 0 && missing.out == "fffffe0000000000\nfffffe0000000000\n" && missing.err.empty());
}

/* One note on stderr where the sampler approximates or loses precision (none
 * with --quiet); the boundaries are the samplers' regime switches. */
TEST(Cli, ApproximateRegimesGetOneNote)
{
    const std::vector<std::pair<std::string, const char*>> cases = { /* parameters, note fragment or "" */
        {"binomial 301 0.02", "normal approximation"}, {"binomial 300 0.5", ""}, {"binomial 1000 0.005", ""},
        {"binomial 100 1e-14", "min(p, 1-p) <= 1e-13"}, {"poisson 85", "lambda >= 85"}, {"poisson 84.99", ""},
        {"poisson 1e307", "inf or 0"}, {"gamma 1e15", "gamma with alpha >= 1e15"}, {"gamma 9e14", ""},
        {"beta 2 1e16", "beta with a shape"}, {"hypergeometric 2000000 10 1000000", "1000000 uniforms per value"},
    };
    for (const auto& [dist, note] : cases) {
        SCOPED_TRACE(dist);
        const Args run = split("draw " + dist + " --seed 2 -n 1");
        Result r = vxalea(run);
        EXPECT_TRUE(r.status == 0 && lines(r.err).size() == (*note ? 1u : 0u)) << r.err;
        EXPECT_TRUE(has(r.err, note) && (!*note || has(r.err, "docs/accuracy.md"))) << r.err;
        EXPECT_EQ(vxalea(plus(run, {"--quiet"})).err, "");
    }
}

TEST(Cli, HelpTeachesEverySubcommand)
{
    EXPECT_TRUE(has(out({"--help"}), "usage: vxalea SUBCOMMAND") && has(out({"--version"}), "module vxalea 1.0.0"));
    for (std::string sub : {"methods", "raw", "uniform", "draw", "shared", "hash", "bench"}) {
        const std::string help = out({sub, "--help"});
        EXPECT_EQ(help.rfind("usage: vxalea " + sub, 0), 0u) << sub;
        EXPECT_TRUE((sub != "raw" && sub != "uniform" && sub != "draw") || has(help, "--load-state FILE")) << sub;
    }
}

/* Rows as the engines' descriptors and substream limits define them. */
TEST(Cli, MethodsListsEveryEngineFromItsDescriptor)
{
    const std::vector<std::string> table = lines(out({"methods"}));
    ASSERT_EQ(table.size(), 20u); /* a header and 19 engines */
    std::string words = "\n"; /* the first ten words of each line */
    for (const std::string& l : table) {
        std::istringstream line(l);
        std::string w;
        for (int k = 0; k < 10 && line >> w; ++k) words += w + (k < 9 ? " " : "\n");
    }
    for (const char* row : { /* name status random bits state blob has seed keys threads */
        "MT64 available yes 64 2496 2504 0x1157 0xffffffffffffffff 0..18446744073709551615 0..18446744073709551615",
        "PCG32I available yes 32 4 8 0x082f 0x00000000ffffffff 0..1023 0..2097151",
        "TORVEL unavailable no 31 0 8 0x080a 0x00000000ffffffff - -"})
        EXPECT_TRUE(has(words, "\n" + std::string(row) + "\n")) << row;
    const std::string json = out({"methods", "--json"});
    EXPECT_EQ(lines(json).size(), 21u);
    EXPECT_TRUE(has(json, "{\"name\": \"RDRAND\", \"aliases\": [\"HARDWARE\", \"HARD\", \"TRNG\"]"));
    EXPECT_TRUE(has(json, "{\"name\": \"SUBKEY64\", \"aliases\": [], \"available\": true, \"statistical\": false"));
}

/* Thread i of the shared generators is MT64 seeded with base + i. */
TEST(Cli, SharedGeneratorsReproduceSingleStreams)
{
    for (const char* buffer : {"8192", "3"}) {
        std::vector<std::string> v = lines(out({"shared", "--threads", "4", "--seed", "100", "-n", "9", "gamma", "2.5",
                                                "--buffer", buffer}));
        ASSERT_EQ(v.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            std::string expected = "thread " + std::to_string(i) + ":";
            for (const std::string& s : lines(out({"draw", "gamma", "2.5", "--method", "MT64", "--seed",
                                                   std::to_string(100 + i), "-n", "9"})))
                expected += " " + s;
            EXPECT_EQ(v[i], expected);
        }
    }
    Args single = {"draw", "uniform", "--method", "MT64", "-n", "5", "--format", "bin", "--seed"};
    EXPECT_EQ(out({"shared", "--threads", "2", "--seed", "7", "-n", "5", "uniform", "--format", "bin"}),
              out(plus(single, {"7"})) + out(plus(single, {"8"})));
    Result clock = vxalea({"shared", "--threads", "2", "-n", "3", "normal"});
    int base = 0;
    ASSERT_EQ(std::sscanf(clock.err.c_str(), "vxalea: base seed %d from the clock", &base), 1) << clock.err;
    EXPECT_EQ(out({"shared", "--threads", "2", "-n", "3", "normal", "--seed", std::to_string(base)}), clock.out);
}

TEST(Cli, HashesMatchPublishedVectors)
{
    EXPECT_EQ(vxalea({"hash", "murmur32"}, "abc").out, "b3dd93fa\n");
    EXPECT_EQ(out({"hash", "murmur32", "-", "--seed", "1"}), "514e28b7\n");
    EXPECT_EQ(out({"hash", "murmur32", "--seed", "0xffffffff"}), "81f16f39\n");
    EXPECT_EQ(out({"hash", "murmur32", std::string(VXALEA_SOURCE_DIR) + "/tests/cli_test.cpp"}).size(), 9u);
    /* x64_128 of the little-endian bytes of two zero words. */
    EXPECT_EQ(out({"hash", "murmur128", "--words", "0,0"}), "4bbd1bf27da918d6 b465a9eccd791cb6\n");
    EXPECT_EQ(out({"hash", "murmur64", "--words", "1,2,3"}), "43b0f594e22630de\n");
    EXPECT_EQ(out({"hash", "murmur64", "--words", "0x1", "--seed", "5"}), "c621cc5733dcc283\n");
}

TEST(Cli, BenchCoversEveryEngineAndDistribution)
{
    Result r = vxalea({"bench", "--quick", "--method", "MT64"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"MTHYBRID", "TORVEL", "hypergeometric", "table", "(on MT64)"})
        EXPECT_TRUE(has(r.out, name)) << name;
    for (const std::string& l : lines(r.out)) EXPECT_EQ(l.rfind("SUBKEY", 0) == 0, has(l, "not random")) << l;
}

} // namespace
