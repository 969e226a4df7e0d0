/* The twenty distributions as the command line names them, their
 * parameters in the order of the samplers' arguments, and a bound sampler:
 * the module's GetOneVariate<DIST> / FillTheBuffer<DIST> pair with the
 * parameters already read. */
#ifndef VX_TOOLS_VXALEA_DISTRIBUTIONS_H
#define VX_TOOLS_VXALEA_DISTRIBUTIONS_H

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

struct Distribution {
    const char* name;   /* lower case, as typed */
    const char* symbol; /* upper case, as in GetOneVariate<symbol> */
    Signature signature;
    std::vector<ParamSpec> params;
    const char* about;  /* one line for --help */
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
};

/* Reads the positional parameters (and --table for TABLE); UsageError on a
 * wrong count or a word that is not a number of the right kind. */
Parameters parseParameters(const Distribution& d, const std::vector<std::string>& words,
                           const std::string& tableOption, bool tableGiven);

class Sampler {
public:
    Sampler(const Session& s, const Distribution& d, Parameters p);

    double one(MRandPtr q);
    /* FillTheBuffer<DIST> on the stream's VBuffer / NBuffer. */
    int fill(MRandPtr q);
    const Distribution& distribution() const { return *dist_; }

private:
    const Distribution* dist_;
    Parameters p_;
    void* one_;
    void* fill_;
};

} // namespace vxcli

#endif
