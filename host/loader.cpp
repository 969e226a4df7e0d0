/* Loading modules by name: find lib<name>.so, bind the host handle into it,
 * call its entry and check that each side accepts the other's version.
 *
 * A module keeps the handle of the host that bound it in one global, so a
 * loaded library belongs to one host at a time: binding it to a second live
 * host would point the first host's streams at the second one's services
 * (and at freed memory once the second is destroyed).  The loader therefore
 * refuses to load a library that another live host holds; the same host may
 * load it again, and a separate copy of the library is a separate module. */
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <new>

#include "ext/vxalea.h"
#include "host/host_internal.h"

struct VXHostModule {
    vxh::Host* host = nullptr;
    void* dl = nullptr;
    VXExtension* ext = nullptr;
    std::string name;
    std::string path;
    size_t required[3] = {0, 0, 0};
    size_t version[3] = {0, 0, 0};
};

namespace vxh {
namespace {

using BindVersioned = int (*)(VXHndlp, size_t*, size_t*);
using BindPlain = void (*)(VXHndlp);
using Entry = VXExtensionh (*)(VXHndlp, VXJnlh);

void* findFunction(VXExtensionh ext, const char* name)
{
    if (!ext || !ext->handle || !name) return nullptr;
    return dlsym(ext->handle, name);
}

std::vector<std::string> splitPath(const std::string& list)
{
    std::vector<std::string> dirs;
    size_t b = 0;
    while (b <= list.size()) {
        size_t e = list.find(':', b);
        if (e == std::string::npos) e = list.size();
        if (e > b) dirs.push_back(list.substr(b, e - b));
        b = e + 1;
    }
    return dirs;
}

/* The library directory beside the running executable: ../lib, as in the
 * build tree and most installs, and the installed library directory seen
 * from the installed program directory when that differs (a multiarch
 * lib/<triplet>). */
std::vector<std::string> exeLibDirs()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string exe(buf, static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return {};
    const std::string dir = exe.substr(0, slash);
    std::vector<std::string> dirs{dir + "/../lib"};
#ifdef VXHOST_BINDIR_TO_LIBDIR
    if (std::string(VXHOST_BINDIR_TO_LIBDIR) != "../lib") dirs.push_back(dir + "/" + VXHOST_BINDIR_TO_LIBDIR);
#endif
    return dirs;
}

/* Which live host holds each loaded library (by dlopen handle), and how many
 * of its loads are live.  Process-wide, like the global it protects. */
struct Claim {
    void* dl;
    Host* host;
    int loads;
};
std::mutex claimsMu;
std::vector<Claim> claims;

/* Registers host's load of dl; false when another host holds it. */
bool claimLibrary(void* dl, Host* host)
{
    std::lock_guard<std::mutex> g(claimsMu);
    for (Claim& c : claims)
        if (c.dl == dl) {
            if (c.host != host) return false;
            ++c.loads;
            return true;
        }
    claims.push_back({dl, host, 1});
    return true;
}

void releaseLibrary(void* dl)
{
    std::lock_guard<std::mutex> g(claimsMu);
    for (auto it = claims.begin(); it != claims.end(); ++it)
        if (it->dl == dl) {
            if (--it->loads == 0) claims.erase(it);
            return;
        }
}

/* Where to look, and how to describe it in an error. */
struct Search {
    std::vector<std::string> dirs;
    std::string described;
    bool loaderFallback = false; /* finally let dlopen search its own path */
};

Search searchFor(const char* explicitPath)
{
    Search s;
    if (explicitPath) {
        s.dirs = splitPath(explicitPath);
        s.described = std::string("search path '") + explicitPath + "'";
        return s;
    }
    const char* env = std::getenv("VXHOST_MODULE_PATH");
    if (env && *env) {
        s.dirs = splitPath(env);
        s.described = std::string("VXHOST_MODULE_PATH '") + env + "'";
        return s;
    }
    s.dirs = exeLibDirs();
    std::string listed;
    for (const std::string& d : s.dirs) listed += (listed.empty() ? "" : ":") + d;
    s.described = "search path '" + listed + "' or the dynamic loader's path";
    s.loaderFallback = true;
    return s;
}

bool versionAbove(const size_t v[3], size_t major, size_t minor, size_t delta)
{
    if (v[0] != major) return v[0] > major;
    if (v[1] != minor) return v[1] > minor;
    return v[2] > delta;
}

std::string versionText(const size_t v[3])
{
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]);
}

/* Null on failure, with the reason in the host's error text; the library is
 * closed again on every failure path. */
VXHostModule* load(Host* host, const char* name, const char* searchPath)
{
    if (!name || !*name || std::string(name).find('/') != std::string::npos) {
        setError(host, std::string("invalid module name '") + (name ? name : "(null)") + "'");
        return nullptr;
    }
    const std::string file = std::string("lib") + name + ".so";
    Search search = searchFor(searchPath);
    std::string path;
    for (const std::string& dir : search.dirs) {
        std::string candidate = dir + "/" + file;
        if (access(candidate.c_str(), R_OK) == 0) {
            path = candidate;
            break;
        }
    }
    void* dl = nullptr;
    if (!path.empty()) {
        dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    } else if (search.loaderFallback) {
        dl = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        path = file;
    } else {
        setError(host, "module '" + std::string(name) + "' not found on " + search.described +
                           " (looked for " + file + ")");
        return nullptr;
    }
    if (!dl) {
        const char* why = dlerror();
        if (search.loaderFallback && path == file)
            setError(host, "module '" + std::string(name) + "' not found on " + search.described +
                               ": " + (why ? why : "dlopen failed"));
        else
            setError(host, "cannot load " + path + ": " + (why ? why : "dlopen failed"));
        return nullptr;
    }
    if (search.loaderFallback && path == file) {
        /* Found by the dynamic loader: report where. */
        link_map* lm = nullptr;
        if (dlinfo(dl, RTLD_DI_LINKMAP, &lm) == 0 && lm && lm->l_name && *lm->l_name) path = lm->l_name;
    }
    try {
        if (!claimLibrary(dl, host)) {
            dlclose(dl);
            setError(host, "module '" + std::string(name) + "' (" + path +
                               ") is already loaded into another live host of this process; a module "
                               "keeps the handle of one host, so unload it there or destroy that host first");
            return nullptr;
        }
    } catch (...) {
        dlclose(dl);
        throw;
    }
    auto fail = [&](std::string why) -> VXHostModule* {
        releaseLibrary(dl);
        dlclose(dl);
        setError(host, std::move(why));
        return nullptr;
    };

    if (auto bind = reinterpret_cast<BindVersioned>(dlsym(dl, "vxextver"))) {
        size_t major = 0, minor = 0;
        int rc = bind(host, &major, &minor);
        if (rc != 0) return fail("vxextver in " + path + " failed with " + std::to_string(rc));
        /* Built for this interface: same major, and no newer minor than ours. */
        if (major != VXHOST_VERSION_MAJOR || minor > VXHOST_VERSION_MINOR)
            return fail("version mismatch: " + path + " is built for host interface " +
                        std::to_string(major) + "." + std::to_string(minor) + ", this host offers " +
                        std::to_string(VXHOST_VERSION_MAJOR) + "." +
                        std::to_string(VXHOST_VERSION_MINOR));
    } else if (auto plain = reinterpret_cast<BindPlain>(dlsym(dl, "vxextent"))) {
        plain(host);
    } else {
        return fail("symbol vxextver missing in " + path + " (nor vxextent)");
    }

    auto entry = reinterpret_cast<Entry>(dlsym(dl, name));
    if (!entry) return fail("entry function '" + std::string(name) + "' missing in " + path);
    VXExtension* ext = entry(host, host->vxjnl);
    if (!ext) return fail("entry '" + std::string(name) + "' in " + path + " returned null");

    VXHostModule* m = new (std::nothrow) VXHostModule();
    auto failDestroy = [&](std::string why) -> VXHostModule* {
        if (ext->realDestroy) ext->realDestroy(ext);
        delete m;
        return fail(std::move(why));
    };
    if (!m) return failDestroy("out of memory loading " + path);
    if (!ext->getReqVersion || !ext->getVersion || !ext->realDestroy)
        return failDestroy("extension record of " + path + " lacks its version or destroy operations");
    ext->getReqVersion(ext, &m->required[0], &m->required[1], &m->required[2]);
    ext->getVersion(ext, &m->version[0], &m->version[1], &m->version[2]);
    if (versionAbove(m->required, VXHOST_VERSION_MAJOR, VXHOST_VERSION_MINOR, VXHOST_VERSION_DELTA) ||
        m->required[0] != VXHOST_VERSION_MAJOR)
        return failDestroy("version mismatch: " + path + " requires host " + versionText(m->required) +
                           ", this host is " + std::to_string(VXHOST_VERSION_MAJOR) + "." +
                           std::to_string(VXHOST_VERSION_MINOR) + "." +
                           std::to_string(VXHOST_VERSION_DELTA));
    try {
        m->host = host;
        m->dl = dl;
        m->ext = ext;
        m->name = name;
        m->path = path;
        std::lock_guard<std::mutex> g(host->modulesMu);
        host->modules.push_back(m);
    } catch (...) {
        return failDestroy("out of memory loading " + path);
    }
    ext->hndl = host;
    ext->handle = dl;
    ext->generic.name = m->name.c_str();
    ext->findFunction = findFunction;
    return m;
}

void unload(VXHostModule* m)
{
    if (m->ext && m->ext->realDestroy) m->ext->realDestroy(m->ext);
    releaseLibrary(m->dl);
    dlclose(m->dl);
    delete m;
}

} // namespace

void loaderShutdown(Host* host)
{
    std::vector<VXHostModule*> left;
    {
        std::lock_guard<std::mutex> g(host->modulesMu);
        left.swap(host->modules);
    }
    /* Last loaded first: a later module may use an earlier one. */
    for (auto it = left.rbegin(); it != left.rend(); ++it) unload(*it);
}

} // namespace vxh

using namespace vxh;

extern "C" {

VXHostModule* vxhost_load(VXHost* host, const char* name, const char* search_path)
{
    if (!host) return nullptr;
    try {
        return load(host, name, search_path);
    } catch (...) {
        setError(host, "out of memory loading a module");
        return nullptr;
    }
}

void* vxhost_module_extension(VXHostModule* module) { return module ? module->ext : nullptr; }

void* vxhost_module_symbol(VXHostModule* module, const char* symbol)
{
    if (!module || !symbol) return nullptr;
    return dlsym(module->dl, symbol);
}

const char* vxhost_module_path(VXHostModule* module) { return module ? module->path.c_str() : nullptr; }

void vxhost_module_versions(VXHostModule* module, size_t required[3], size_t version[3])
{
    for (int i = 0; i < 3; ++i) {
        if (required) required[i] = module ? module->required[i] : 0;
        if (version) version[i] = module ? module->version[i] : 0;
    }
}

void vxhost_unload(VXHostModule* module)
{
    if (!module) return;
    Host* host = module->host;
    {
        std::lock_guard<std::mutex> g(host->modulesMu);
        auto& v = host->modules;
        for (auto it = v.begin(); it != v.end(); ++it)
            if (*it == module) {
                v.erase(it);
                break;
            }
    }
    unload(module);
}

} // extern "C"
