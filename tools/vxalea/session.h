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

#include "ext/vxalea.h"
#include "host/vxhost_api.h"
#include "options.h"

namespace vxcli {

/* The module's entry points the tool calls on streams. */
struct StreamApi {
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

private:
    void release();

    VXHost* host_ = nullptr;
    VXHostModule* module_ = nullptr;
    VXALEA* ext_ = nullptr;
    StreamApi api_;
};

/* One variate generator (a MERSENNE_RAND, so every sampler takes it) in a
 * pool of its own, set up from the common stream options. */
class Stream {
public:
    Stream(const Session& s, const StreamOptions& o);
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    MRandPtr get() const { return q_; }
    VXStatus status() const { return q_->Status; }
    const ZRNG_S& descriptor() const { return *q_->Functions; }
    std::string methodName() const; /* the name the descriptor holds */

private:
    VXPoolh pool_ = nullptr;
    MRandPtr q_ = nullptr;
    std::string method_; /* UserMethod points here until resolution */
};

/* "0x8C7FE80B" */
std::string hexCode(VXStatus status);

/* "stream status 0x8C7FE80B: <what the host's catalogue says>". */
std::string statusLine(VXStatus status);

/* Prints the status line to stderr when a stream ended initialization with
 * a non-zero status; returns the exit status (0 or 1) that follows. */
int reportStreamStatus(VXStatus status, const std::string& context = {});

} // namespace vxcli

#endif
