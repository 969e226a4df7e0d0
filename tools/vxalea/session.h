/* The host this process creates, the module loaded into it, and streams
 * drawn from the module.
 *
 * Everything random comes from the module: the tool looks its exported
 * functions up by name after loading and never links them.  Each object
 * releases what it made on every path (streams their pool, the session the
 * module and then the host), so an error thrown halfway leaves nothing. */
#ifndef VX_TOOLS_VXALEA_SESSION_H
#define VX_TOOLS_VXALEA_SESSION_H

#include <string>
#include <utility>
#include <vector>

/* The module's entry function is named vxalea, as is the namespace of the
 * shared substream limits; only the host calls the entry, so here it is
 * declared under another name. */
#define vxalea vxalea_entry_function
#include "ext/vxalea.h"
#undef vxalea
#include "host/vxhost_api.h"
#include "options.h"

namespace vxcli {

/* The module's entry points the tool calls on streams. */
struct StreamApi {
    VXStatus (*zrand_method)(char* name, int name_l, ZRANSTR* zrnd) = nullptr;
    int (*zmrsrnd)(MRandPtr q) = nullptr;
    int (*zrand_crude)(ZRANSTR* zrnd) = nullptr;
};

class Session {
public:
    /* Creates the host, stores the --set entries, turns the journal echo on
     * for --journal, loads the module by name.  Throws RunError. */
    explicit Session(const Options& o);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    VXHost* host() const { return host_; }
    VXALEA* extension() const { return ext_; }
    const StreamApi& streams() const { return api_; }

    /* An exported function of the module; throws RunError when absent. */
    void* symbol(const char* name) const;
    template <class Fn>
    Fn function(const char* name) const
    {
        return reinterpret_cast<Fn>(symbol(name));
    }

    std::string modulePath() const;
    void moduleVersion(size_t version[3]) const;
    /* Whether --set stored this registry name (blind to case). */
    bool registrySet(const std::string& name) const;

private:
    void release();

    std::vector<std::string> setNames_;
    VXHost* host_ = nullptr;
    VXHostModule* module_ = nullptr;
    VXALEA* ext_ = nullptr;
    StreamApi api_;
};

/* One variate generator (a MERSENNE_RAND, so every sampler takes it) in a
 * pool of its own, set up from the common stream options.
 *
 * The method is resolved first, and the seed, key and thread are checked
 * against what that engine applies before the stream is initialized: an
 * unknown or unavailable method, a seed above the engine's largest, a key
 * or thread number it would ignore or fold into another substream are
 * usage errors, and a status other than 0 after initialization is a
 * RunError.  With `lenient` all of these go to the module, which
 * substitutes as it always does, and status() reports what it did.
 *
 * With --load-state the stream is opened on the checkpoint's engine and
 * restored; --method may only name that engine, and --lenient does not
 * substitute another (no other engine could take the checkpoint). */
class Stream {
public:
    Stream(const Session& s, const StreamOptions& o);
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    MRandPtr get() const { return q_; }
    /* The first problem initialization met, 0 when none. */
    VXStatus status() const { return methodStatus_ != 0 ? methodStatus_ : q_->Status; }
    const ZRNG_S& descriptor() const { return *q_->Functions; }
    std::string methodName() const; /* the name the descriptor holds */

    /* "vxalea: seed S from the clock; --seed S repeats this run" on stderr
     * when the seed in use is not the one given (none, or a --user-seed
     * the module converted). */
    void reportSeed(const Session& s, const StreamOptions& o) const;

private:
    void check(const Session& s, const StreamOptions& o) const;
    void restore(const Session& s, const StreamOptions& o);

    VXPoolh pool_ = nullptr;
    MRandPtr q_ = nullptr;
    VXStatus methodStatus_ = 0;
    std::string method_; /* UserMethod points here until resolution */
};

/* --save-state FILE.  A temporary file beside FILE is made before anything
 * is drawn, so that a place that cannot be written stops the run at once;
 * commit() fills it with the stream's checkpoint and renames it over FILE,
 * which therefore always holds a whole checkpoint, the old one or the new
 * (and may be the file --load-state read).  Removed unless committed. */
class StateFile {
public:
    explicit StateFile(const StreamOptions& o);
    ~StateFile();
    StateFile(const StateFile&) = delete;
    StateFile& operator=(const StateFile&) = delete;

    /* After the last value went out.  A writer closed by its reader did not
     * take every value drawn, and a checkpoint after them would skip some on
     * resuming: FILE is then left as it was, and RunError says so. */
    void commit(const Stream& stream, bool readerStopped);

private:
    std::string path_, temp_;
    int fd_ = -1;
};

/* "0x8C7FE80B" */
std::string hexCode(VXStatus status);

/* "stream status 0x8C7FE80B: <what the host's catalogue says>". */
std::string statusLine(VXStatus status);

/* Prints the status line to stderr when a stream ended initialization with
 * a non-zero status (only --lenient gets that far); returns the exit status
 * (0 or 1) that follows. */
int reportStreamStatus(VXStatus status, const std::string& context = {});

} // namespace vxcli

#endif
