/* The vxalea command-line tool, run as a separate process from the build:
 * what reaches stdout in each format, exit statuses with their stderr
 * lines, registry entries reaching the module, the shared generators, and
 * known answers from <random> and published MurmurHash3 vectors. */
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Result {
    int status = -1; /* exit status, or -1 when killed by a signal */
    std::string out, err;
};

/* Runs bin/vxalea with args, feeding `input` on stdin.  With stopAfter > 0
 * the reading end of stdout is closed after that many bytes, as `head -c`
 * would, and the rest of the output is never read. */
Result vxalea(const std::vector<std::string>& args, const std::string& input = {}, size_t stopAfter = 0)
{
    std::string exe = std::string(VXALEA_BIN_DIR) + "/vxalea";
    std::vector<char*> argv;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);

    int in[2], out[2], err[2];
    if (pipe(in) || pipe(out) || pipe(err)) return {};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) posix_spawn_file_actions_addclose(&fa, fd);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    Result r;
    if (rc != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        r.err = "cannot start " + exe;
        return r;
    }
    /* The tool reads stdin only for hash; small inputs fit in the pipe. */
    signal(SIGPIPE, SIG_IGN);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) r.err = "write to stdin failed";
    close(in[1]);

    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    char buf[65536];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) break;
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = read(fds[k].fd, buf, sizeof buf);
            if (n > 0) (k == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            bool stop = k == 0 && stopAfter > 0 && r.out.size() >= stopAfter;
            if (n <= 0 || stop) {
                close(fds[k].fd);
                fds[k].fd = -1;
                --open;
            }
        }
    }
    int ws = 0;
    waitpid(pid, &ws, 0);
    r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
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

uint64_t bitsOf(double d)
{
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Cli, ReadmeExampleDrawsTenGammasAndShowsTheMethodNote)
{
    Result r = vxalea({"draw", "gamma", "2.5", "--method", "MT64", "--seed", "12345", "-n", "10", "--set",
                    "OSENV.QOR_RNG_MESSAGES=NOTE", "--journal"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> v = lines(r.out);
    ASSERT_EQ(v.size(), 10u);
    for (const std::string& s : v) EXPECT_GT(std::stod(s), 0.0) << s;
    EXPECT_NE(r.err.find("[NOTE] 0x8C7FE829"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("12345"), std::string::npos) << r.err;

    /* The same run without the journal: same values, nothing on stderr. */
    Result quiet = vxalea({"draw", "gamma", "2.5", "--method", "MT64", "--seed", "12345", "-n", "10"});
    EXPECT_EQ(quiet.out, r.out);
    EXPECT_EQ(quiet.err, "");
}

/* The Mersenne Twisters against <random>, through raw and the conversions. */
TEST(Cli, MersenneTwistersMatchTheStandardLibrary)
{
    Result r32 = vxalea({"raw", "--method", "MT32", "--int-seed", "5489", "-n", "2000"});
    ASSERT_EQ(r32.status, 0) << r32.err;
    std::mt19937 mt;
    std::vector<std::string> v = lines(r32.out);
    ASSERT_EQ(v.size(), 2000u);
    for (size_t i = 0; i < v.size(); ++i) ASSERT_EQ(std::stoull(v[i]), mt()) << "value " << i;

    /* 64-bit values of a 32-bit engine: two draws, the first in the high half. */
    Result wide = vxalea({"raw", "--method", "MT32", "--int-seed", "0x1571", "--width", "64", "-n", "100",
                       "--format", "bin"});
    ASSERT_EQ(wide.status, 0) << wide.err;
    mt.seed(5489);
    for (uint64_t w : fromBytes<uint64_t>(wide.out)) {
        uint64_t hi = mt(), lo = mt();
        ASSERT_EQ(w, (hi << 32) | lo);
    }

    Result r64 = vxalea({"raw", "--method", "mt", "--int-seed", "5489", "-n", "1000", "--format", "hex"});
    ASSERT_EQ(r64.status, 0) << r64.err;
    std::mt19937_64 mt64;
    for (const std::string& s : lines(r64.out)) {
        ASSERT_EQ(s.size(), 16u);
        ASSERT_EQ(std::stoull(s, nullptr, 16), mt64());
    }

    /* Conversions on the same engines: 32-bit i * 2^-32 and 53-bit j * 2^-53. */
    Result fast = vxalea({"uniform", "--method", "MT32", "--int-seed", "5489", "--conversion", "fast", "-n", "500",
                       "--format", "bin"});
    mt.seed(5489);
    for (double d : fromBytes<double>(fast.out)) ASSERT_EQ(d, std::ldexp(static_cast<double>(mt()), -32));
    Result c53 = vxalea({"uniform", "--method", "MT64", "--int-seed", "5489", "--conversion", "53_closed_open", "-n",
                      "500", "--format", "bin"});
    mt64.seed(5489);
    for (double d : fromBytes<double>(c53.out)) ASSERT_EQ(d, std::ldexp(static_cast<double>(mt64() >> 11), -53));
    EXPECT_EQ(fast.out.size(), 500 * 8u);
    EXPECT_EQ(c53.out.size(), 500 * 8u);
}

/* bin gives the same values as text and hex, for every kind of value. */
TEST(Cli, FormatsCarryTheSameValues)
{
    struct Case {
        std::vector<std::string> args;
        int width; /* 32, 64 or 0 for doubles */
    };
    const Case cases[] = {
        {{"raw", "--method", "MT32", "--seed", "9"}, 32},
        {{"raw", "--method", "MT64", "--seed", "9"}, 64},
        {{"uniform", "--method", "MT64", "--seed", "9", "--conversion", "infinite"}, 0},
        {{"draw", "cauchy", "--method", "MT32", "--seed", "9"}, 0},
        {{"draw", "beta", "0.5", "0.5", "--seed", "9"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        Result text = vxalea(plus(c.args, {"-n", "50"}));
        Result hex = vxalea(plus(c.args, {"-n", "50", "--format", "hex"}));
        Result bin = vxalea(plus(c.args, {"-n", "50", "--format", "bin"}));
        ASSERT_EQ(text.status, 0) << text.err;
        ASSERT_EQ(hex.status, 0);
        ASSERT_EQ(bin.status, 0);
        std::vector<std::string> t = lines(text.out), h = lines(hex.out);
        ASSERT_EQ(t.size(), 50u);
        ASSERT_EQ(h.size(), 50u);
        if (c.width == 32) {
            std::vector<uint32_t> b = fromBytes<uint32_t>(bin.out);
            ASSERT_EQ(bin.out.size(), 200u);
            for (size_t i = 0; i < 50; ++i) {
                EXPECT_EQ(std::stoull(t[i]), b[i]);
                EXPECT_EQ(h[i].size(), 8u);
                EXPECT_EQ(std::stoull(h[i], nullptr, 16), b[i]);
            }
        } else if (c.width == 64) {
            std::vector<uint64_t> b = fromBytes<uint64_t>(bin.out);
            ASSERT_EQ(bin.out.size(), 400u);
            for (size_t i = 0; i < 50; ++i) {
                EXPECT_EQ(std::stoull(t[i]), b[i]);
                EXPECT_EQ(std::stoull(h[i], nullptr, 16), b[i]);
            }
        } else {
            std::vector<double> b = fromBytes<double>(bin.out);
            ASSERT_EQ(bin.out.size(), 400u);
            for (size_t i = 0; i < 50; ++i) {
                EXPECT_EQ(std::strtod(t[i].c_str(), nullptr), b[i]) << "%.17g must round-trip";
                EXPECT_EQ(std::stoull(h[i], nullptr, 16), bitsOf(b[i]));
            }
        }
    }
}

TEST(Cli, MissingValuePrintsAsNanAndItsBitPattern)
{
    Result text = vxalea({"draw", "chisquare", "-1", "--seed", "3", "-n", "2"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "nan\nnan\n");
    Result hex = vxalea({"draw", "t", "0.05", "--seed", "3", "-n", "1", "--format", "hex", "--buffer", "4"});
    EXPECT_EQ(hex.out, "fffffe0000000000\n");
}

/* The buffer form gives the numbers of one-at-a-time calls, also across
 * buffer boundaries that split a normal pair or a cached set-up. */
TEST(Cli, BufferedDrawsEqualSingleDraws)
{
    const std::vector<std::vector<std::string>> dists = {
        {"normal"}, {"t", "3.5"}, {"gamma", "0.7"}, {"binomial", "40", "0.3"}, {"poisson", "30"},
        {"hypergeometric", "50", "20", "10"}, {"table", "--table", "0.1,0.2,0.3"}, {"erlang", "3"},
        {"negbinomial", "0.3", "2.5"}, {"weibull", "2", "3"},
    };
    for (const auto& d : dists) {
        SCOPED_TRACE(d[0]);
        auto base = plus(plus({"draw"}, d), {"--method", "MT64", "--seed", "77", "-n", "37", "--format", "hex"});
        Result one = vxalea(base);
        ASSERT_EQ(one.status, 0) << one.err;
        ASSERT_EQ(lines(one.out).size(), 37u);
        for (const char* b : {"1", "5", "37", "64"}) EXPECT_EQ(vxalea(plus(base, {"--buffer", b})).out, one.out) << b;
    }
}

/* --set reaches the module's registry reads before the stream exists. */
TEST(Cli, RegistryEntriesReachTheModule)
{
    Result byName = vxalea({"raw", "--method", "MT64", "--seed", "5", "-n", "5"});
    Result byRegistry = vxalea({"raw", "--set", "OSENV.QOR_RNG_METHOD=MT64", "--seed", "5", "-n", "5"});
    Result byDefault = vxalea({"raw", "--seed", "5", "-n", "5"});
    ASSERT_EQ(byRegistry.status, 0) << byRegistry.err;
    EXPECT_EQ(byRegistry.out, byName.out);
    EXPECT_NE(byDefault.out, byName.out);

    /* A fixed clock seed: two self-seeded runs agree, and equal seed 42. */
    Result a = vxalea({"raw", "--method", "MT64", "-n", "5", "--set", "vxbug.RNGSEED=42"});
    Result b = vxalea({"raw", "--method", "MT64", "-n", "5", "--set", "vxbug.RNGSEED=42"});
    Result seeded = vxalea({"raw", "--method", "MT64", "-n", "5", "--int-seed", "42"});
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.out, seeded.out);

    /* Message level: the method note only when notes are asked for. */
    Result silent = vxalea({"draw", "uniform", "--method", "MT32", "--seed", "1", "-n", "1", "--journal"});
    EXPECT_EQ(silent.err.find("0x8C7FE829"), std::string::npos) << silent.err;
    Result noted = vxalea({"draw", "uniform", "--method", "MT32", "--seed", "1", "-n", "1", "--journal", "--set",
                        "OSENV.QOR_RNG_MESSAGES=NOTE"});
    EXPECT_NE(noted.err.find("[NOTE] 0x8C7FE829"), std::string::npos) << noted.err;
    EXPECT_EQ(noted.out, silent.out);
}

TEST(Cli, StreamOptionsSelectSubstreams)
{
    auto draw = [](std::vector<std::string> extra) {
        return vxalea(plus({"raw", "--method", "MT64", "--seed", "11", "-n", "4"}, extra)).out;
    };
    std::string plain = draw({});
    EXPECT_EQ(draw({"--int-seed", "99"}), plain) << "--seed wins over --int-seed";
    EXPECT_NE(draw({"--key", "1"}), plain);
    EXPECT_NE(draw({"--thread", "1"}), plain);
    EXPECT_NE(draw({"--key", "1"}), draw({"--thread", "1"}));
    EXPECT_EQ(draw({"--key", "3"}), draw({"--key", "3"}));

    /* A crude stream's uniform is the engine's crude conversion. */
    Result crude = vxalea({"draw", "uniform", "--method", "MT32", "--int-seed", "8", "--crude", "-n", "20"});
    Result conv = vxalea({"uniform", "--method", "MT32", "--int-seed", "8", "--conversion", "crude", "-n", "20"});
    Result open = vxalea({"uniform", "--method", "MT32", "--int-seed", "8", "-n", "20"});
    ASSERT_EQ(crude.status, 0) << crude.err;
    EXPECT_EQ(crude.out, conv.out);
    EXPECT_NE(crude.out, open.out);
}

/* Exit status 1: values written, then one stderr line naming the status. */
TEST(Cli, StreamStatusGivesExitOneAfterTheValues)
{
    Result unknown = vxalea({"raw", "--method", "NOSUCH", "--seed", "4", "-n", "3"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out, vxalea({"raw", "--method", "MTHYBRID", "--seed", "4", "-n", "3"}).out);
    ASSERT_EQ(lines(unknown.err).size(), 1u) << unknown.err;
    EXPECT_NE(unknown.err.find("0x8C7FE80B"), std::string::npos);
    EXPECT_NE(unknown.err.find("MTHYBRID"), std::string::npos);

    Result unavailable = vxalea({"draw", "normal", "--method", "TORVEL", "-n", "2", "--seed", "1"});
    EXPECT_EQ(unavailable.status, 1);
    EXPECT_EQ(lines(unavailable.out).size(), 2u);
    EXPECT_NE(unavailable.err.find("0x8C7FE80C"), std::string::npos);

    Result key = vxalea({"uniform", "--method", "MT64", "--seed", "1", "--key", "0", "-n", "1"});
    EXPECT_EQ(key.status, 0);
}

/* --journal copies the module's messages at the level the registry sets. */
TEST(Cli, JournalShowsTheMessagesTheRegistryAllows)
{
    /* Errors appear with no registry entry; the status line follows them. */
    Result bad = vxalea({"raw", "--method", "PCG32I", "--seed", "1", "--key", "0x80000000", "-n", "2", "--journal"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(lines(bad.out).size(), 2u);
    std::vector<std::string> err = lines(bad.err);
    ASSERT_GE(err.size(), 2u) << bad.err;
    EXPECT_EQ(err.front().rfind("[ERROR] 0x8C7FE81B ", 0), 0u) << bad.err;
    EXPECT_NE(err.back().find("stream status 0x8C7FE810"), std::string::npos) << bad.err;

    /* Warnings only when asked for. */
    std::vector<std::string> noKey = {"raw", "--method", "XOR64", "--seed", "1", "--key", "3", "-n", "1", "--journal"};
    Result quiet = vxalea(noKey);
    Result warned = vxalea(plus(noKey, {"--set", "OSENV.QOR_RNG_MESSAGES=WARN"}));
    EXPECT_EQ(quiet.err.find("0x8C7FE81A"), std::string::npos) << quiet.err;
    EXPECT_NE(warned.err.find("[WARNING] 0x8C7FE81A"), std::string::npos) << warned.err;
    EXPECT_NE(warned.err.find("stream status 0x8C7FE80F"), std::string::npos) << warned.err;
    EXPECT_EQ(warned.status, 1);

    /* ALL adds the engines' set-up traces; a fractional seed is replaced,
     * with a warning, by the integer seed its mantissa maps to. */
    Result all = vxalea({"raw", "--method", "MT32", "--seed", "1.5", "-n", "3", "--journal", "--set",
                         "OSENV.QOR_RNG_MESSAGES=ALL"});
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.err.find("0x8C7FE851"), std::string::npos) << all.err;
    EXPECT_NE(all.err.find("[WARNING] 0x8C7FE818"), std::string::npos) << all.err;
    EXPECT_EQ(all.out, vxalea({"raw", "--method", "MT32", "--int-seed", "2147483647", "-n", "3"}).out);
}

/* Exit status 2: one line on stderr, nothing at all on stdout. */
TEST(Cli, UsageErrorsWriteOneLineAndNoOutput)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"dice"},
        {"raw", "--bogus"},
        {"raw", "--method"},
        {"raw", "--width", "16"},
        {"raw", "--buffer", "4"},
        {"raw", "extra"},
        {"raw", "-n", "ten"},
        {"raw", "-n", "0"},
        {"raw", "--int-seed", "-3"},
        {"raw", "--format", "csv"},
        {"raw", "--crude=yes"},
        {"raw", "--set", "NOEQUALS"},
        {"uniform", "--conversion", "32_half_open"},
        {"uniform", "--method", "MT64", "--conversion", "32_open_open"},
        {"uniform", "--method", "MT32", "--conversion", "infinite"},
        {"draw"},
        {"draw", "gama", "2"},
        {"draw", "gamma"},
        {"draw", "gamma", "1", "2"},
        {"draw", "gamma", "two"},
        {"draw", "binomial", "2.5", "0.5"},
        {"draw", "erlang", "5000000000"},
        {"draw", "table"},
        {"draw", "table", "0.5"},
        {"draw", "normal", "--table", "0.5"},
        {"draw", "normal", "--buffer", "0"},
        {"shared", "normal"},
        {"shared", "--threads", "0", "normal"},
        {"shared", "--threads", "2", "--seed", "1.5", "normal"},
        {"shared", "--threads", "2", "--method", "MT32", "normal"},
        {"hash"},
        {"hash", "sha1"},
        {"hash", "murmur64"},
        {"hash", "murmur32", "--seed", "0x100000000"},
        {"methods", "--json", "x"},
        {"bench", "--width", "32"},
        {"--version", "raw"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& a : c) shown += a + " ";
        SCOPED_TRACE(shown);
        Result r = vxalea(c);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        ASSERT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_EQ(r.err.rfind("vxalea: ", 0), 0u) << r.err;
    }
}

TEST(Cli, HelpTeachesEverySubcommand)
{
    Result top = vxalea({"--help"});
    EXPECT_EQ(top.status, 0);
    EXPECT_EQ(top.err, "");
    for (const char* sub : {"methods", "raw", "uniform", "draw", "shared", "hash", "bench"}) {
        EXPECT_NE(top.out.find(std::string("  ") + sub), std::string::npos) << sub;
        Result page = vxalea({sub, "--help"});
        EXPECT_EQ(page.status, 0) << sub;
        EXPECT_EQ(page.out.rfind(std::string("usage: vxalea ") + sub, 0), 0u) << page.out;
        EXPECT_NE(page.out.find("Example"), std::string::npos) << sub;
    }
    Result draw = vxalea({"draw", "--help"});
    for (const char* d : {"hypergeometric", "negbinomial", "weibull", "table"})
        EXPECT_NE(draw.out.find(d), std::string::npos) << d;
    Result version = vxalea({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("module vxalea 1.0.0"), std::string::npos) << version.out;
}

TEST(Cli, MethodsListsEveryEngineFromItsDescriptor)
{
    Result r = vxalea({"methods"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> v = lines(r.out);
    ASSERT_EQ(v.size(), 20u); /* a header and 19 engines */
    auto row = [&](const std::string& name) {
        for (const std::string& l : v)
            if (l.rfind(name + " ", 0) == 0) return l;
        return std::string();
    };
    EXPECT_NE(row("MT64").find("available"), std::string::npos);
    EXPECT_NE(row("MT64").find("0x1157"), std::string::npos);
    EXPECT_NE(row("MT64").find("64-bit Mersenne Twister"), std::string::npos);
    EXPECT_NE(row("MT32").find("MT2002"), std::string::npos);
    EXPECT_NE(row("FRY4X64").find("THREEFRY4X64,THREEFRY,TF4,TF"), std::string::npos);
    EXPECT_NE(row("TORVEL").find("unavailable"), std::string::npos) << "TORVEL never runs";

    Result json = vxalea({"methods", "--json"});
    ASSERT_EQ(json.status, 0);
    size_t objects = 0;
    for (size_t p = json.out.find("\"name\""); p != std::string::npos; p = json.out.find("\"name\"", p + 1)) ++objects;
    EXPECT_EQ(objects, 19u);
    EXPECT_NE(json.out.find("\"name\": \"RDRAND\", \"aliases\": [\"HARDWARE\", \"HARD\", \"TRNG\"]"),
              std::string::npos);
    EXPECT_EQ(json.out.front(), '[');
}

/* Thread i of the shared generators is MT64 seeded with base + i. */
TEST(Cli, SharedGeneratorsReproduceSingleStreams)
{
    for (const char* buffer : {"", "3"}) {
        std::vector<std::string> args = {"shared", "--threads", "4", "--seed", "100", "-n", "9", "gamma", "2.5"};
        if (*buffer) args = plus(args, {"--buffer", buffer});
        Result r = vxalea(args);
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<std::string> v = lines(r.out);
        ASSERT_EQ(v.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            std::string expected = "thread " + std::to_string(i) + ":";
            Result single = vxalea({"draw", "gamma", "2.5", "--method", "MT64", "--seed", std::to_string(100 + i),
                                 "-n", "9"});
            for (const std::string& s : lines(single.out)) expected += " " + s;
            EXPECT_EQ(v[i], expected);
        }
    }
    /* bin: the threads' values one after the other. */
    Result bin = vxalea({"shared", "--threads", "2", "--seed", "7", "-n", "5", "uniform", "--format", "bin"});
    Result t0 = vxalea({"draw", "uniform", "--method", "MT64", "--seed", "7", "-n", "5", "--format", "bin"});
    Result t1 = vxalea({"draw", "uniform", "--method", "MT64", "--seed", "8", "-n", "5", "--format", "bin"});
    EXPECT_EQ(bin.out, t0.out + t1.out);
}

TEST(Cli, HashesMatchPublishedVectors)
{
    EXPECT_EQ(vxalea({"hash", "murmur32"}, "abc").out, "b3dd93fa\n");
    EXPECT_EQ(vxalea({"hash", "murmur32", "-", "--seed", "1"}).out, "514e28b7\n");
    EXPECT_EQ(vxalea({"hash", "murmur32", "--seed", "0xffffffff"}).out, "81f16f39\n");
    std::string file = std::string(VXALEA_SOURCE_DIR) + "/tests/cli_test.cpp";
    Result f = vxalea({"hash", "murmur32", file});
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.out.size(), 9u);
    Result missing = vxalea({"hash", "murmur32", "/nonexistent/file"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");

    /* x64_128 of the little-endian bytes of two zero words. */
    EXPECT_EQ(vxalea({"hash", "murmur128", "--words", "0,0"}).out, "4bbd1bf27da918d6 b465a9eccd791cb6\n");
    EXPECT_EQ(vxalea({"hash", "murmur128", "--words", ""}).out, "0000000000000000 0000000000000000\n");
    EXPECT_EQ(vxalea({"hash", "murmur64", "--words", "1,2,3"}).out, "43b0f594e22630de\n");
    EXPECT_EQ(vxalea({"hash", "murmur64", "--words", "0x1", "--seed", "5"}).out, "c621cc5733dcc283\n");
}

/* -n 0 --format bin runs until the reader goes away, then exits cleanly. */
TEST(Cli, EndlessBinaryStopsWhenTheReaderCloses)
{
    Result r = vxalea({"raw", "--method", "MT32", "--int-seed", "5489", "-n", "0", "--format", "bin"}, {}, 1 << 20);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_GE(r.out.size(), 1u << 20);
    std::mt19937 mt;
    std::vector<uint32_t> v = fromBytes<uint32_t>(r.out);
    for (size_t i = 0; i < 1000; ++i) ASSERT_EQ(v[i], mt());

    Result d = vxalea({"draw", "exponential", "--seed", "2", "-n", "0", "--format", "bin", "--buffer", "100"}, {},
                   100000);
    EXPECT_EQ(d.status, 0) << d.err;
}

TEST(Cli, BenchCoversEveryEngineAndDistribution)
{
    Result r = vxalea({"bench", "--quick", "--method", "MT64"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"MTHYBRID", "SUBKEY64", "TORVEL", "hypergeometric", "table", "uniform"})
        EXPECT_NE(r.out.find(name), std::string::npos) << name;
    EXPECT_NE(r.out.find("buffer ns/value  (on MT64)"), std::string::npos);
    Result json = vxalea({"bench", "--quick", "--json"});
    ASSERT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"distributions\""), std::string::npos);
    EXPECT_NE(json.out.find("\"buffer_ns\": "), std::string::npos);
}

} // namespace
