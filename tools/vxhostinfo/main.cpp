/* vxhostinfo: load a module into a fresh host and show what it reports.
 *
 *   vxhostinfo [-m NAME] [-p DIR[:DIR...]] [-q] [NAME=VALUE ...]
 *
 * Registry entries are given as NAME=VALUE; a value that is a whole number
 * is stored as an integer, any other as text (so OSENV.QOR_RNG_MESSAGES=ALL
 * and vxbug.RNGSEED=42 both do what they say).  Prints the host version the
 * module requires, the module's version, its build identification when it
 * exports vxvercn1, and every journal line written while it was loaded.
 * Exit status: 0 on success, 1 when the module cannot be loaded, 2 on a
 * usage error. */
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ext/vxalea.h"
#include "host/vxhost_api.h"

namespace {

const char* severityName(VXSeverity s)
{
    switch (s) {
    case VXSeverityNull: return "NULL";
    case VXSeverityNone: return "NONE";
    case VXSeverityNote: return "NOTE";
    case VXSeverityWarning: return "WARNING";
    case VXSeverityError: return "ERROR";
    default: return "?";
    }
}

void usage(FILE* to)
{
    std::fprintf(to,
                 "usage: vxhostinfo [-m MODULE] [-p DIR[:DIR...]] [-q] [NAME=VALUE ...]\n"
                 "  -m MODULE  module to load (default vxalea)\n"
                 "  -p PATH    directories searched for libMODULE.so\n"
                 "  -q         do not print the journal\n");
}

bool wholeNumber(const char* text, int64_t* out)
{
    if (!*text) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    *out = v;
    return true;
}

/* The record's strings are fixed-size fields; print them even if a builder
 * filled one to the brim without a terminator. */
std::string field(const char* f, size_t size) { return std::string(f, strnlen(f, size)); }

} // namespace

int main(int argc, char** argv)
{
    const char* moduleName = "vxalea";
    const char* searchPath = nullptr;
    bool quiet = false;
    int first = 1;
    for (; first < argc && argv[first][0] == '-'; ++first) {
        const char* a = argv[first];
        if (!std::strcmp(a, "-h") || !std::strcmp(a, "--help")) {
            usage(stdout);
            return 0;
        } else if (!std::strcmp(a, "-q")) {
            quiet = true;
        } else if ((!std::strcmp(a, "-m") || !std::strcmp(a, "-p")) && first + 1 < argc) {
            (a[1] == 'm' ? moduleName : searchPath) = argv[++first];
        } else if (!std::strcmp(a, "--")) {
            ++first;
            break;
        } else {
            std::fprintf(stderr, "vxhostinfo: unknown option %s\n", a);
            usage(stderr);
            return 2;
        }
    }

    VXHost* host = vxhost_create();
    if (!host) {
        std::fprintf(stderr, "vxhostinfo: cannot create the host\n");
        return 1;
    }
    for (int i = first; i < argc; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        if (!eq || eq == argv[i]) {
            std::fprintf(stderr, "vxhostinfo: expected NAME=VALUE, got '%s'\n", argv[i]);
            vxhost_destroy(host);
            return 2;
        }
        std::string name(argv[i], static_cast<size_t>(eq - argv[i]));
        int64_t n = 0;
        VXStatus s = wholeNumber(eq + 1, &n) ? vxhost_set_long(host, name.c_str(), n)
                                             : vxhost_set_text(host, name.c_str(), eq + 1);
        if (s != 0) {
            std::fprintf(stderr, "vxhostinfo: cannot set %s (status 0x%08X)\n", name.c_str(),
                         static_cast<unsigned>(s));
            vxhost_destroy(host);
            return 1;
        }
    }

    VXHostModule* module = vxhost_load(host, moduleName, searchPath);
    int rc = 0;
    if (!module) {
        std::fprintf(stderr, "vxhostinfo: %s\n", vxhost_last_error(host));
        rc = 1;
    } else {
        size_t req[3], ver[3];
        vxhost_module_versions(module, req, ver);
        std::printf("module          %s (%s)\n", moduleName, vxhost_module_path(module));
        std::printf("requires host   %zu.%zu.%zu (this host is %d.%d.%d)\n", req[0], req[1], req[2],
                    VXHOST_VERSION_MAJOR, VXHOST_VERSION_MINOR, VXHOST_VERSION_DELTA);
        std::printf("module version  %zu.%zu.%zu\n", ver[0], ver[1], ver[2]);
        using BuildInfo = void (*)(vxaleaBuildInfo*);
        if (auto info = reinterpret_cast<BuildInfo>(vxhost_module_symbol(module, "vxvercn1"))) {
            vxaleaBuildInfo b{};
            info(&b);
            std::printf("product         %s %s", field(b.product, sizeof b.product).c_str(),
                        field(b.version, sizeof b.version).c_str());
            if (b.hotfix[0]) std::printf(" (%s)", field(b.hotfix, sizeof b.hotfix).c_str());
            std::printf(", product number %" PRId32 "\n", b.productNumber);
            std::printf("description     %s\n", field(b.description, sizeof b.description).c_str());
            std::printf("built           %s %s (epoch %" PRId64 ")\n",
                        field(b.buildDate, sizeof b.buildDate).c_str(),
                        field(b.buildTime, sizeof b.buildTime).c_str(), b.buildEpoch);
        }
        vxhost_unload(module);
    }
    if (!quiet) {
        size_t n = vxhost_journal_count(host);
        if (n) std::printf("journal (%zu lines)\n", n);
        for (size_t i = 0; i < n; ++i) {
            VXJournalLine line{};
            if (vxhost_journal_line(host, i, &line) != 0) continue;
            std::printf("  [%s] 0x%08X %s\n", severityName(line.severity),
                        static_cast<unsigned>(line.code), line.text);
        }
    }
    vxhost_destroy(host);
    return rc;
}
