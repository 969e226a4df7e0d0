#include "session.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "engines.h"
#include "include/vxalea/checkpoint.hpp"

namespace vxcli {

Session::Session(const Options& o)
{
    /* Checked before anything is made, so a bad --set is a usage error. */
    auto settings = registrySettings(o);
    for (const auto& entry : settings) setNames_.push_back(entry.first);
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
        api_.zrand_method = function<VXStatus (*)(char*, int, ZRANSTR*)>("zrand_method");
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

bool Session::registrySet(const std::string& name) const
{
    for (const std::string& n : setNames_)
        if (strcasecmp(n.c_str(), name.c_str()) == 0) return true;
    return false;
}

Stream::Stream(const Session& s, const StreamOptions& o)
{
    pool_ = vxhost_pool_create(s.host(), "vxalea-cli");
    if (!pool_) throw RunError("the host could not create a memory pool");
    q_ = static_cast<MRandPtr>(pool_->memAlloc(pool_, sizeof(MERSENNE_RAND), VX_MEM_ZERO));
    if (!q_) {
        pool_->destroy(pool_);
        throw RunError("the host could not allocate a stream");
    }
    try {
        /* Resolving the method first gives the engine's limits to check
         * against.  Initialization then finds the method resolved and keeps
         * it (and resets Status, hence methodStatus_). */
        q_->Functions = &q_->rng;
        q_->Blob = &q_->mt;
        q_->State32 = reinterpret_cast<uint32_t*>(&q_->mt);
        q_->State64 = reinterpret_cast<uint64_t*>(&q_->mt);
        q_->nrv = 1;
        if (o.loadState) {
            restore(s, o);
            return;
        }
        if (o.method) method_ = *o.method;
        methodStatus_ = s.streams().zrand_method(o.method ? method_.data() : nullptr, o.method ? -1 : 0,
                                                  reinterpret_cast<ZRANSTR*>(q_));
        if (!o.lenient) check(s, o);

        if (o.seed) q_->Seed = *o.seed;
        if (o.fixedSeed && descriptor().zrng_has & (ZRNG_HAS_SEED_32 | ZRNG_HAS_SEED_64)) q_->Seed = o.fixedSeed;
        if (o.userSeed) q_->UserSeed = *o.userSeed;
        /* Key only: UserKey is a double and would round keys above 2^53. */
        if (o.key) q_->Key = *o.key;
        if (o.thread) q_->Thread = *o.thread;
        if (o.crude) {
            /* zmrsrnd would initialize with zrand_init; a crude stream is
             * initialized by zrand_crude.  The samplers are called by their
             * exported names, so the sampler table is not needed. */
            s.streams().zrand_crude(reinterpret_cast<ZRANSTR*>(q_));
        } else {
            s.streams().zmrsrnd(q_);
        }
        if (status() != 0 && !o.lenient)
            throw RunError(statusLine(status()) + "; nothing was written (--lenient writes the values anyway)");
    } catch (...) {
        pool_->destroy(pool_);
        throw;
    }
}

void Stream::restore(const Session& s, const StreamOptions& o)
{
    const std::string& file = *o.loadState;
    const std::string& engine = o.checkpointEngine;
    method_ = o.method ? *o.method : engine;
    methodStatus_ = s.streams().zrand_method(method_.data(), -1, reinterpret_cast<ZRANSTR*>(q_));
    if (methodStatus_ != 0 && o.method)
        throw UsageError("unknown method '" + *o.method + "'; " + file + " is a checkpoint of " + engine +
                         ", which --load-state opens without --method");
    if (methodStatus_ != 0)
        throw UsageError("cannot load --load-state " + file + ": it is a checkpoint of engine " + engine +
                         ", which does not run here; choose one of " + availableEngineNames(describeEngines(s)));
    if (o.method && methodName() != engine)
        throw UsageError("--method " + *o.method + " (engine " + methodName() +
                         ") is not the engine of the checkpoint " + file + ", " + engine + "; leave --method out");
    /* Any seed will do, the checkpoint replaces it; 1 spares the clock. */
    if (descriptor().zrng_has & (ZRNG_HAS_SEED_32 | ZRNG_HAS_SEED_64)) q_->Seed = 1;
    s.streams().zmrsrnd(q_);
    if (status() != 0) throw RunError(statusLine(status()) + "; nothing was written");
    std::string why;
    if (!vxalea::checkpoint::restore(*q_, o.checkpoint, &why))
        throw UsageError("cannot load --load-state " + file + ": " + why);
}

void Stream::check(const Session& s, const StreamOptions& o) const
{
    const ZRNG_S& d = descriptor();
    const std::string engine = methodName();
    if (methodStatus_ != 0) {
        const std::string names = availableEngineNames(describeEngines(s));
        std::string what;
        if (!o.method)
            what = "the registry's OSENV.QOR_RNG_METHOD does not name a method that runs here";
        else if (methodStatus_ == static_cast<VXStatus>(0x8C7FE80Cu))
            what = "method '" + *o.method + "' names an engine that cannot run on this machine";
        else
            what = "unknown method '" + *o.method + "'";
        throw UsageError(what + "; choose one of " + names +
                         " (or an alias from 'vxalea methods'); --lenient runs MTHYBRID instead");
    }
    if (o.seed) {
        if (!(d.zrng_has & (ZRNG_HAS_SEED_32 | ZRNG_HAS_SEED_64)))
            throw UsageError("engine " + engine + " takes no seed; leave " + o.seedOption + " out");
        if (*o.seed > d.zrng_max_seed)
            throw UsageError(o.seedOption + " " + std::to_string(*o.seed) + " is above " + engine + "'s largest seed, " +
                             std::to_string(d.zrng_max_seed) + "; --lenient hands it to the module anyway");
    }
    const vxalea::substream_limits l = vxalea::limits_of(d);
    const char* folded = l.folded ? " (it folds thread numbers into the key's low bits)" : "";
    if (o.key && *o.key != 0) {
        if (!l.takes_key)
            throw UsageError("engine " + engine + " takes no keys and would ignore --key; engines with keys: " +
                             substreamRanges(describeEngines(s), false));
        if (*o.key > l.max_key)
            throw UsageError("--key " + std::to_string(*o.key) + " is beyond the keys " + engine +
                             " keeps apart, 0 to " + std::to_string(l.max_key) + folded +
                             "; --lenient hands it to the module anyway");
    }
    if (o.thread && *o.thread != 0) {
        if (!l.takes_thread)
            throw UsageError("engine " + engine +
                             " takes no thread numbers and would give every thread the same stream; engines "
                             "with thread numbers: " +
                             substreamRanges(describeEngines(s), true));
        if (*o.thread > l.max_thread)
            throw UsageError("--thread " + std::to_string(*o.thread) + " is beyond the thread numbers " + engine +
                             " keeps apart, 0 to " + std::to_string(l.max_thread) + folded +
                             "; --lenient hands it to the module anyway");
    }
}

void Stream::reportSeed(const Session& s, const StreamOptions& o) const
{
    const ZRNG_S& d = descriptor();
    if (o.quiet || o.seed || o.loadState || !(d.zrng_has & (ZRNG_HAS_SEED_32 | ZRNG_HAS_SEED_64))) return;
    const uint64_t seed = q_->Seed;
    std::string from;
    if (o.userSeed && *o.userSeed > 0) {
        if (static_cast<double>(seed) == *o.userSeed) return;
        char given[40];
        std::snprintf(given, sizeof given, "%.17g", *o.userSeed);
        from = std::string("from --user-seed ") + given + " by the module's conversion";
    } else if (s.registrySet("vxbug.RNGSEED")) {
        from = "from vxbug.RNGSEED";
    } else {
        from = "from the clock";
    }
    std::fprintf(stderr, "vxalea: seed %llu %s; --seed %llu repeats this run\n", static_cast<unsigned long long>(seed),
                 from.c_str(), static_cast<unsigned long long>(seed));
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

StateFile::StateFile(const StreamOptions& o)
{
    if (!o.saveState) return;
    path_ = *o.saveState;
    std::string name = path_ + ".XXXXXX";
    fd_ = mkstemp(name.data());
    if (fd_ < 0) throw RunError("cannot write --save-state " + path_ + ": " + std::strerror(errno));
    temp_ = name;
    /* mkstemp makes it private; the checkpoint gets a new file's usual mode. */
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
}

StateFile::~StateFile()
{
    if (fd_ >= 0) close(fd_);
    if (!temp_.empty()) unlink(temp_.c_str());
}

void StateFile::commit(const Stream& stream, bool readerStopped)
{
    if (fd_ < 0) return;
    if (readerStopped)
        throw RunError("the reader stopped before the last value; --save-state " + path_ + " left as it was");
    const std::vector<std::byte> bytes = vxalea::checkpoint::save(*stream.get());
    const auto* p = reinterpret_cast<const char*>(bytes.data());
    size_t left = bytes.size();
    int error = 0;
    while (left > 0 && !error) {
        const ssize_t n = write(fd_, p, left);
        if (n < 0 && errno != EINTR) error = errno;
        if (n > 0) p += n, left -= static_cast<size_t>(n);
    }
    if (!error && fsync(fd_) != 0) error = errno;
    if (close(fd_) != 0 && !error) error = errno;
    fd_ = -1;
    if (!error && rename(temp_.c_str(), path_.c_str()) != 0) error = errno;
    if (error) throw RunError("cannot write --save-state " + path_ + ": " + std::strerror(error));
    temp_.clear();
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
    std::fprintf(stderr, "vxalea: %s%s\n", context.c_str(), statusLine(status).c_str());
    return 1;
}

} // namespace vxcli
