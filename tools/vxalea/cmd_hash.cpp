/* vxalea hash: the module's MurmurHash3 functions on a file's bytes or on
 * a list of 64-bit words. */
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <climits>
#include <cerrno>

#include "commands.h"
#include "output.h"
#include "session.h"

namespace vxcli {
namespace {

std::vector<unsigned char> readAll(const std::string& path)
{
    FILE* f = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (!f) throw RunError("cannot open '" + path + "': " + std::strerror(errno));
    std::vector<unsigned char> bytes;
    unsigned char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        bytes.insert(bytes.end(), buf, buf + n);
        if (bytes.size() > static_cast<size_t>(INT_MAX)) break;
    }
    bool failed = std::ferror(f) != 0;
    int err = errno;
    if (f != stdin) std::fclose(f);
    if (failed) throw RunError("cannot read '" + path + "': " + std::strerror(err));
    if (bytes.size() > static_cast<size_t>(INT_MAX))
        throw RunError("'" + path + "' is larger than the 2147483647 bytes murmur32 hashes at once");
    return bytes;
}

} // namespace

int cmdHash(const Options& o)
{
    allowOnly(o, {"seed", "words", "set", "journal"});
    if (o.positional.empty())
        throw UsageError("hash needs a function: murmur32 [FILE|-], murmur64 or murmur128 with --words w1,w2,...");
    const std::string& fn = o.positional[0];
    char line[64];
    if (fn == "murmur32") {
        if (o.has("words")) throw UsageError("murmur32 hashes bytes from a file or stdin; --words is for murmur64/128");
        if (o.positional.size() > 2) throw UsageError("murmur32 hashes one file at a time, got '" + o.positional[2] + "'");
        uint64_t seed = 0;
        if (auto s = o.value("seed")) seed = parseU64(*s, "the murmur32 --seed", 0, UINT32_MAX);
        std::string path = o.positional.size() > 1 ? o.positional[1] : "-";
        Session session(o);
        auto murmur32 = session.function<uint32_t (*)(const void*, int, uint32_t)>("zmurmur32");
        std::vector<unsigned char> bytes = readAll(path);
        uint32_t h = murmur32(bytes.data(), static_cast<int>(bytes.size()), static_cast<uint32_t>(seed));
        std::snprintf(line, sizeof line, "%08" PRIx32 "\n", h);
    } else if (fn == "murmur64" || fn == "murmur128") {
        if (o.positional.size() > 1)
            throw UsageError(fn + " hashes the words of --words, not '" + o.positional[1] + "'");
        auto list = o.value("words");
        if (!list) throw UsageError(fn + " needs --words w1,w2,... (64-bit words, decimal or 0x hex)");
        std::vector<uint64_t> words;
        if (!list->empty())
            for (const std::string& w : splitList(*list)) words.push_back(parseU64(w, "a --words word"));
        if (words.size() > static_cast<size_t>(INT_MAX)) throw UsageError("too many --words");
        uint64_t seed = 0;
        if (auto s = o.value("seed")) seed = parseU64(*s, "--seed");
        Session session(o);
        const int n = static_cast<int>(words.size());
        if (fn == "murmur64") {
            auto murmur64 = session.function<uint64_t (*)(const uint64_t*, int, uint64_t)>("zmurmur64");
            std::snprintf(line, sizeof line, "%016" PRIx64 "\n", murmur64(words.data(), n, seed));
        } else {
            auto murmur128 = session.function<void (*)(const uint64_t*, int, uint64_t, uint64_t*)>("zmurmur128");
            uint64_t h[2] = {0, 0};
            murmur128(words.data(), n, seed, h);
            std::snprintf(line, sizeof line, "%016" PRIx64 " %016" PRIx64 "\n", h[0], h[1]);
        }
    } else {
        throw UsageError("unknown hash function '" + fn + "'; choose murmur32, murmur64 or murmur128");
    }
    writeText(line);
    return 0;
}

} // namespace vxcli
