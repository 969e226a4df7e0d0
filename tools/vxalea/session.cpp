#include "session.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace vxcli {

Session::Session(const Options& o)
{
    /* Checked before anything is made, so a bad --set is a usage error. */
    auto settings = registrySettings(o);
    host_ = vxhost_create();
    if (!host_) throw RunError("cannot create the host (out of memory?)");
    try {
        if (o.has("journal")) vxhost_journal_echo(host_, 1);
        for (const auto& [name, value] : settings) {
            VXStatus s = vxhost_set_text(host_, name.c_str(), value.c_str());
            if (s != 0) {
                throw RunError("cannot store --set " + name + " in the host registry (status " + hexCode(s) + ")");
            }
        }
        module_ = vxhost_load(host_, "vxalea", nullptr);
        if (!module_)
            throw RunError(std::string(vxhost_last_error(host_)) +
                           "; build the module (target vxalea_module) or set VXHOST_MODULE_PATH to the "
                           "directory holding libvxalea.so");
        ext_ = static_cast<VXALEA*>(vxhost_module_extension(module_));
        api_.zmrsrnd = function<int (*)(MRandPtr)>("zmrsrnd");
        api_.zrand_crude = function<int (*)(ZRANSTR*)>("zrand_crude");
    } catch (...) {
        release();
        throw;
    }
}

Session::~Session() { release(); }

void Session::release()
{
    if (module_) vxhost_unload(module_);
    module_ = nullptr;
    ext_ = nullptr;
    if (host_) vxhost_destroy(host_);
    host_ = nullptr;
}

void* Session::symbol(const char* name) const
{
    void* p = vxhost_module_symbol(module_, name);
    if (!p)
        throw RunError(std::string("the module at ") + vxhost_module_path(module_) + " does not export " + name +
                       "; rebuild it from this source tree");
    return p;
}

std::string Session::modulePath() const { return vxhost_module_path(module_); }

void Session::moduleVersion(size_t version[3]) const { vxhost_module_versions(module_, nullptr, version); }

Stream::Stream(const Session& s, const StreamOptions& o)
{
    pool_ = vxhost_pool_create(s.host(), "vxalea-cli");
    if (!pool_) throw RunError("the host could not create a memory pool");
    q_ = static_cast<MRandPtr>(pool_->memAlloc(pool_, sizeof(MERSENNE_RAND), VX_MEM_ZERO));
    if (!q_) {
        pool_->destroy(pool_);
        throw RunError("the host could not allocate a stream");
    }
    if (o.method) {
        method_ = *o.method;
        q_->UserMethod = method_.data();
    }
    if (o.seed)
        q_->UserSeed = *o.seed;
    else if (o.intSeed)
        q_->Seed = *o.intSeed;
    if (o.key) {
        q_->Key = *o.key;
        q_->UserKey = static_cast<double>(*o.key);
    }
    if (o.thread) q_->Thread = *o.thread;
    q_->nrv = 1;
    if (o.crude) {
        /* zmrsrnd would initialize with zrand_init; a crude stream is wired
         * the way zrand_alloc_vx wires one and initialized by zrand_crude.
         * The samplers are called by their exported names, so the sampler
         * table is not needed. */
        q_->Functions = &q_->rng;
        q_->Blob = &q_->mt;
        q_->State32 = reinterpret_cast<uint32_t*>(&q_->mt);
        q_->State64 = reinterpret_cast<uint64_t*>(&q_->mt);
        s.streams().zrand_crude(reinterpret_cast<ZRANSTR*>(q_));
    } else {
        s.streams().zmrsrnd(q_);
    }
}

Stream::~Stream()
{
    /* The pool holds the stream and nothing else. */
    if (pool_) pool_->destroy(pool_);
}

std::string Stream::methodName() const
{
    const ZRNG_S& d = descriptor();
    return std::string(d.zrng_name, strnlen(d.zrng_name, sizeof d.zrng_name));
}

std::string hexCode(VXStatus status)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
    return code;
}

std::string statusLine(VXStatus status)
{
    std::string line = "stream status " + hexCode(status);
    const char* text = vxhost_catalogue_text(status);
    /* Status-only codes have plain texts; a text with conversions would need
     * arguments the stream does not keep. */
    if (text && !std::strchr(text, '%'))
        line += std::string(": ") + text;
    else
        line += ": (no description in the host catalogue)";
    return line;
}

int reportStreamStatus(VXStatus status, const std::string& context)
{
    if (status == 0) return 0;
    std::string hint;
    if (status == static_cast<VXStatus>(0x8C7FE80Bu) || status == static_cast<VXStatus>(0x8C7FE80Cu))
        hint = " (see 'vxalea methods' for the names and engines available)";
    std::fprintf(stderr, "vxalea: %s%s%s\n", context.c_str(), statusLine(status).c_str(), hint.c_str());
    return 1;
}

} // namespace vxcli
