/* The twenty distributions as the command line names them, their
 * parameters in the order of the samplers' arguments, and a bound sampler:
 * the module's GetOneVariate<DIST> / FillTheBuffer<DIST> pair with the
 * parameters already read. */
#ifndef VX_TOOLS_VXALEA_DISTRIBUTIONS_H
#define VX_TOOLS_VXALEA_DISTRIBUTIONS_H

#include <optional>
#include <string>
#include <vector>

#include "session.h"

namespace vxcli {

enum class ParamKind { Double, Long, Int32 };

struct ParamSpec {
    const char* name;
    ParamKind kind;
};

/* How the sampler is called after the stream argument. */
enum class Signature { None, D, DD, LD, I, LLL, Table };

/* What --loc L --scale S do: nothing (refused), L + S x, or, for the
 * lognormal, exp(L + S z) on the underlying normal z. */
enum class Shift { None, Linear, LogNormal };

struct Distribution {
    const char* name;   /* lower case, as typed */
    const char* symbol; /* upper case, as in GetOneVariate<symbol> */
    Signature signature;
    std::vector<ParamSpec> params;
    const char* about;  /* one line for --help */
    Shift shift;
    const char* shifted; /* what --loc/--scale give, for --help */
};

const std::vector<Distribution>& distributions();
/* Blind to case; null when unknown. */
const Distribution* findDistribution(const std::string& name);
/* "uniform normal ... table" */
std::string distributionNames();

/* Parameters read from the command line (numbers only; the samplers decide
 * what they refuse, and refused values give the missing value). */
struct Parameters {
    double d[3] = {0, 0, 0};
    long l[3] = {0, 0, 0};
    int32_t i = 0;
    std::vector<double> table;
    std::vector<std::string> words; /* as typed, for messages */
    bool shifted = false;           /* --loc or --scale given */
    double loc = 0, scale = 1;
};

/* Reads the positional parameters (and --table for TABLE, --loc and
 * --scale); UsageError on a wrong count or a word that is not a number of
 * the right kind. */
Parameters parseParameters(const Distribution& d, const std::vector<std::string>& words,
                           const std::optional<std::string>& table, const std::optional<std::string>& loc = {},
                           const std::optional<std::string>& scale = {});

/* "alpha -1, beta 2": the parameters as given, for a refusal. */
std::string describeParameters(const Distribution& d, const Parameters& p);

/* One line when the parameters fall where the sampler's algorithm is an
 * approximation, loses precision or costs far more than usual; empty
 * otherwise. */
std::string accuracyNote(const Distribution& d, const Parameters& p);

class Sampler {
public:
    Sampler(const Session& s, const Distribution& d, Parameters p);

    double one(MRandPtr q);
    /* n variates through FillTheBuffer<DIST> into out, then --loc/--scale;
     * the stream's own buffer fields are left as they were.  Returns the
     * sampler's result (0: filled). */
    int fill(MRandPtr q, double* out, int64_t n);
    const Distribution& distribution() const { return *dist_; }
    const Parameters& parameters() const { return p_; }

private:
    int fillRaw(MRandPtr q);
    const Distribution* dist_;
    Parameters p_;
    void* one_;
    void* fill_;
    int (*fillNormal_)(MRandPtr) = nullptr; /* the lognormal's z, when shifted */
    double (*exp_)(double) = nullptr;       /* the module's vxexp, likewise */
};

} // namespace vxcli

#endif
