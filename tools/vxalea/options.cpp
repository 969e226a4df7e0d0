#include "options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "include/vxalea/checkpoint.hpp"

namespace vxcli {
namespace {

struct OptionInfo {
    const char* name; /* long name, without the dashes */
    bool takesValue;
};

constexpr OptionInfo kOptions[] = {
    {"method", true},    {"seed", true},    {"int-seed", true},  {"user-seed", true}, {"key", true},
    {"thread", true},    {"crude", false},  {"lenient", false},  {"quiet", false},    {"progress", false},
    {"set", true},       {"journal", false}, {"n", true},        {"format", true},    {"width", true},
    {"conversion", true}, {"buffer", true}, {"table", true},     {"loc", true},       {"scale", true},
    {"threads", true},   {"json", false},   {"quick", false},    {"words", true},     {"save-state", true},
    {"load-state", true},
};

const OptionInfo* findOption(const std::string& name)
{
    for (const OptionInfo& o : kOptions)
        if (name == o.name) return &o;
    return nullptr;
}

/* "-2.5", "-1e3", "-.5" and "-inf" are parameters, not options: samplers are
 * meant to be tried on refused values too. */
bool looksNegativeNumber(const char* a)
{
    if (a[0] != '-') return false;
    char c = a[1];
    return (c >= '0' && c <= '9') || c == '.' || !std::strcmp(a + 1, "inf") || !std::strcmp(a + 1, "nan");
}

/* The checkpoint holds the seed, key, thread and uniform of the stream it
 * continues; an option that would set one of them again is refused rather
 * than ignored.  --method stays allowed when it names the checkpoint's own
 * engine (the stream checks that). */
void readCheckpoint(const Options& o, StreamOptions& s)
{
    const std::string& file = *s.loadState;
    for (const char* name : {"seed", "int-seed", "user-seed", "key", "thread", "crude"})
        if (o.has(name))
            throw UsageError(std::string("--load-state continues the saved stream with its own seed, key, thread and "
                                         "uniform; leave --") +
                             name + " out");
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) throw UsageError("cannot read --load-state " + file + ": " + std::strerror(errno));
    std::byte block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) s.checkpoint.insert(s.checkpoint.end(), block, block + n);
    const int error = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (error) throw UsageError("cannot read --load-state " + file + ": " + std::strerror(error));
    vxalea::checkpoint::header h;
    std::string why;
    if (!vxalea::checkpoint::read_header(s.checkpoint, h, &why))
        throw UsageError("cannot load --load-state " + file + ": " + why);
    s.checkpointEngine = h.engine;
}

} // namespace

std::optional<std::string> Options::value(const std::string& name) const
{
    auto it = given.find(name);
    if (it == given.end() || it->second.empty()) return std::nullopt;
    return it->second.back();
}

const std::vector<std::string>& Options::values(const std::string& name) const
{
    static const std::vector<std::string> none;
    auto it = given.find(name);
    return it == given.end() ? none : it->second;
}

Options parseCommandLine(int argc, char** argv)
{
    Options o;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-" || looksNegativeNumber(a.c_str())) {
            if (o.command.empty())
                o.command = a;
            else
                o.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "-h" || a == "--help") {
            o.help = true;
            continue;
        }
        if (a == "--version") {
            o.version = true;
            continue;
        }
        std::string name, value;
        bool inlineValue = false;
        if (a.rfind("--", 0) == 0) {
            name = a.substr(2);
            size_t eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
                inlineValue = true;
            }
        } else if (a.size() >= 2 && a[1] == 'n') {
            name = "n"; /* -n 10 or -n10 */
            if (a.size() > 2) {
                value = a.substr(2);
                inlineValue = true;
            }
        } else {
            throw UsageError("unknown option '" + a + "'; see 'vxalea --help' for the options");
        }
        if (name == "n" && a.rfind("--", 0) == 0)
            throw UsageError("the count option is '-n N', not '--n'");
        const OptionInfo* option = findOption(name);
        if (!option) throw UsageError("unknown option '" + a + "'; see 'vxalea --help' for the options");
        if (option->takesValue) {
            if (!inlineValue) {
                if (i + 1 >= argc)
                    throw UsageError("option '" + a + "' needs a value, e.g. '" + a + " VALUE'");
                value = argv[++i];
            }
        } else if (inlineValue) {
            throw UsageError("option '--" + name + "' takes no value");
        }
        o.given[name].push_back(value);
    }
    return o;
}

std::vector<std::string> streamOptionNames(std::initializer_list<const char*> extra)
{
    std::vector<std::string> names = {"method", "seed",    "int-seed", "user-seed", "key",  "thread",   "crude",
                                      "lenient", "quiet", "progress", "set",      "journal", "n",    "format",
                                      "save-state", "load-state"};
    names.insert(names.end(), extra.begin(), extra.end());
    return names;
}

void allowOnly(const Options& o, const std::vector<std::string>& allowed)
{
    for (const auto& [name, values] : o.given) {
        bool ok = false;
        for (const std::string& a : allowed) ok = ok || name == a;
        if (!ok) {
            std::string shown = name == "n" ? "-n" : "--" + name;
            throw UsageError("option '" + shown + "' does not apply to '" + o.command +
                             "'; see 'vxalea " + o.command + " --help'");
        }
    }
}

uint64_t parseU64(const std::string& text, const std::string& what, uint64_t lo, uint64_t hi)
{
    const char* s = text.c_str();
    int base = 10;
    if (text.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s += 2;
    }
    bool digits = *s != '\0';
    for (const char* p = s; *p; ++p) {
        bool ok = base == 16 ? std::isxdigit(static_cast<unsigned char>(*p)) != 0 : (*p >= '0' && *p <= '9');
        digits = digits && ok;
    }
    errno = 0;
    char* end = nullptr;
    unsigned long long v = digits ? std::strtoull(s, &end, base) : 0;
    if (!digits || errno == ERANGE || *end != '\0' || v < lo || v > hi)
        throw UsageError(what + " must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) +
                         " (decimal or 0x hex), not '" + text + "'");
    return v;
}

int64_t parseI64(const std::string& text, const std::string& what)
{
    const char* s = text.c_str();
    const char* p = (*s == '-' || *s == '+') ? s + 1 : s;
    bool digits = *p != '\0';
    for (; *p; ++p) digits = digits && *p >= '0' && *p <= '9';
    errno = 0;
    char* end = nullptr;
    long long v = digits ? std::strtoll(s, &end, 10) : 0;
    if (!digits || errno == ERANGE || *end != '\0')
        throw UsageError(what + " must be a whole number from -9223372036854775808 to 9223372036854775807, not '" +
                         text + "'");
    return v;
}

double parseDouble(const std::string& text, const std::string& what)
{
    errno = 0;
    char* end = nullptr;
    double v = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || std::isspace(static_cast<unsigned char>(text[0])))
        throw UsageError(what + " must be a number (e.g. 2.5, 1e-3, -4, inf, nan), not '" + text + "'");
    /* strtod answers a finite text too large for a double with an infinity;
     * taking it would run the sampler on a parameter nobody typed.  An
     * underflow to zero or a subnormal is the nearest double and is kept. */
    if (errno == ERANGE && std::isinf(v))
        throw UsageError(what + " '" + text +
                         "' is beyond the largest double (about 1.8e308); write inf if that is meant");
    return v;
}

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    size_t b = 0;
    while (true) {
        size_t e = text.find(',', b);
        items.push_back(text.substr(b, e == std::string::npos ? std::string::npos : e - b));
        if (e == std::string::npos) break;
        b = e + 1;
    }
    return items;
}

StreamOptions streamOptions(const Options& o)
{
    StreamOptions s;
    if (auto v = o.value("method")) s.method = *v;
    if (o.has("seed") && o.has("int-seed")) throw UsageError("--int-seed is another name for --seed; give one of them");
    const char* seedName = o.has("seed") ? "--seed" : "--int-seed";
    s.seedOption = seedName;
    if (auto v = o.value(o.has("seed") ? "seed" : "int-seed")) {
        try {
            s.seed = parseU64(*v, seedName, 1);
        } catch (const UsageError&) {
            /* 0 would ask the module for a clock seed, which is what leaving
             * the option out does, visibly. */
            bool zero = false;
            try {
                zero = parseU64(*v, seedName) == 0;
            } catch (const UsageError&) {
            }
            if (zero)
                throw UsageError(std::string(seedName) + " 0 would seed from the clock; leave " + seedName +
                                 " out for that (the seed used is then printed on stderr)");
            throw UsageError(std::string(seedName) +
                             " must be a whole number (decimal or 0x hex) from 1 to the engine's largest seed "
                             "(4294967295 on 32-bit engines, 18446744073709551615 on 64-bit ones), not '" + *v +
                             "'; --user-seed X passes a double through the module's conversion");
        }
    }
    if (auto v = o.value("user-seed")) {
        if (s.seed) throw UsageError("give one of " + std::string(seedName) + " and --user-seed, not both");
        s.userSeed = parseDouble(*v, "--user-seed");
    }
    if (auto v = o.value("key")) s.key = parseU64(*v, "--key");
    if (auto v = o.value("thread")) s.thread = parseU64(*v, "--thread");
    s.crude = o.has("crude");
    s.lenient = o.has("lenient");
    s.quiet = o.has("quiet");
    s.saveState = o.value("save-state");
    if (s.saveState && s.saveState->empty()) throw UsageError("--save-state needs a file name");
    if (o.value("n") && parseU64(*o.value("n"), "-n (0: until the reader stops)") == 0 && s.saveState)
        throw UsageError("--save-state needs a count: after -n 0 the checkpoint would follow values the reader "
                         "never took");
    if ((s.loadState = o.value("load-state"))) readCheckpoint(o, s);
    return s;
}

OutputOptions outputOptions(const Options& o)
{
    OutputOptions out;
    if (auto v = o.value("format")) {
        if (*v == "text")
            out.format = Format::Text;
        else if (*v == "hex")
            out.format = Format::Hex;
        else if (*v == "bin")
            out.format = Format::Bin;
        else
            throw UsageError("--format must be text, hex or bin, not '" + *v + "'");
    }
    if (auto v = o.value("n")) {
        out.count = parseU64(*v, "-n (0: until the reader stops)");
        out.endless = out.count == 0;
    }
    if (o.has("quiet"))
        out.progress = Progress::Off;
    else if (o.has("progress"))
        out.progress = Progress::On;
    return out;
}

std::vector<std::pair<std::string, std::string>> registrySettings(const Options& o)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& s : o.values("set")) {
        size_t eq = s.find('=');
        if (eq == std::string::npos || eq == 0)
            throw UsageError("--set needs NAME=VALUE (e.g. --set OSENV.QOR_RNG_MESSAGES=NOTE), not '" + s + "'");
        out.emplace_back(s.substr(0, eq), s.substr(eq + 1));
    }
    return out;
}

} // namespace vxcli
