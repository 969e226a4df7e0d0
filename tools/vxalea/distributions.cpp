#include "distributions.h"

#include <cctype>
#include <climits>

namespace vxcli {

const std::vector<Distribution>& distributions()
{
    using K = ParamKind;
    using S = Signature;
    static const std::vector<Distribution> table = {
        {"uniform", "UNIFORM", S::None, {}, "the stream's uniform on (0, 1)"},
        {"normal", "NORMAL", S::None, {}, "standard normal"},
        {"lognormal", "LOGNORMAL", S::None, {}, "exp of a standard normal"},
        {"exponential", "EXPONENTIAL", S::None, {}, "standard exponential (rate 1)"},
        {"cauchy", "CAUCHY", S::None, {}, "standard Cauchy"},
        {"weibull", "WEIBULL", S::DD, {{"shape", K::Double}, {"scale", K::Double}}, "Weibull"},
        {"triangle", "TRIANGLE", S::D, {{"h", K::Double}}, "triangular on [0, 1] with mode h"},
        {"gamma", "GAMMA", S::D, {{"alpha", K::Double}}, "gamma with shape alpha, scale 1"},
        {"erlang", "ERLANG", S::I, {{"alpha", K::Int32}}, "gamma with a whole shape"},
        {"chisquare", "CHISQUARE", S::D, {{"df", K::Double}}, "chi-square with df degrees of freedom"},
        {"beta", "BETA", S::DD, {{"alpha", K::Double}, {"beta", K::Double}}, "beta on [0, 1]"},
        {"f", "F", S::DD, {{"ndf", K::Double}, {"ddf", K::Double}}, "F with ndf and ddf degrees of freedom"},
        {"t", "T", S::D, {{"df", K::Double}}, "Student's t with df degrees of freedom"},
        {"bernoulli", "BERNOULLI", S::D, {{"p", K::Double}}, "1 with probability p, else 0"},
        {"binomial", "BINOMIAL", S::LD, {{"n", K::Long}, {"p", K::Double}}, "successes in n trials"},
        {"negbinomial", "NEGBINOMIAL", S::DD, {{"prob_succ", K::Double}, {"num_succ", K::Double}},
         "failures before the num_succ-th success"},
        {"geometric", "GEOMETRIC", S::D, {{"pr", K::Double}}, "trials up to the first success"},
        {"hypergeometric", "HYPERGEOMETRIC", S::LLL, {{"nn", K::Long}, {"n", K::Long}, {"k", K::Long}},
         "marked items among k drawn from nn of which n are marked"},
        {"poisson", "POISSON", S::D, {{"lambda", K::Double}}, "Poisson with mean lambda"},
        {"table", "TABLE", S::Table, {}, "index 1 .. count+1 from the --table probabilities"},
    };
    return table;
}

const Distribution* findDistribution(const std::string& name)
{
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const Distribution& d : distributions())
        if (lower == d.name) return &d;
    return nullptr;
}

std::string distributionNames()
{
    std::string s;
    for (const Distribution& d : distributions()) {
        if (!s.empty()) s += ' ';
        s += d.name;
    }
    return s;
}

Parameters parseParameters(const Distribution& d, const std::vector<std::string>& words,
                           const std::string& tableOption, bool tableGiven)
{
    Parameters p;
    if (d.signature == Signature::Table) {
        if (!words.empty())
            throw UsageError("table takes its probabilities from --table p1,p2,..., not from '" + words[0] + "'");
        if (!tableGiven) throw UsageError("table needs --table p1,p2,... (e.g. --table 0.2,0.3,0.5)");
        for (const std::string& w : splitList(tableOption))
            p.table.push_back(parseDouble(w, "a --table probability"));
        return p;
    }
    if (tableGiven) throw UsageError("--table belongs to the table distribution, not to " + std::string(d.name));
    if (words.size() != d.params.size()) {
        std::string form = d.name;
        for (const ParamSpec& s : d.params) {
            form += ' ';
            for (const char* c = s.name; *c; ++c) form += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
        }
        throw UsageError(std::string(d.name) + " takes " + std::to_string(d.params.size()) + " parameter" +
                         (d.params.size() == 1 ? "" : "s") + ", got " + std::to_string(words.size()) +
                         "; write '" + form + "' (see 'vxalea draw --help')");
    }
    size_t nd = 0, nl = 0;
    for (size_t k = 0; k < words.size(); ++k) {
        const ParamSpec& s = d.params[k];
        std::string what = std::string("the ") + d.name + " parameter " + s.name;
        switch (s.kind) {
        case ParamKind::Double: p.d[nd++] = parseDouble(words[k], what); break;
        case ParamKind::Long: p.l[nl++] = static_cast<long>(parseI64(words[k], what)); break;
        case ParamKind::Int32: {
            int64_t v = parseI64(words[k], what);
            if (v < INT32_MIN || v > INT32_MAX)
                throw UsageError(what + " must fit in 32 bits (-2147483648 to 2147483647), not " + words[k]);
            p.i = static_cast<int32_t>(v);
            break;
        }
        }
    }
    return p;
}

Sampler::Sampler(const Session& s, const Distribution& d, Parameters p) : dist_(&d), p_(std::move(p))
{
    one_ = s.symbol(("GetOneVariate" + std::string(d.symbol)).c_str());
    fill_ = s.symbol(("FillTheBuffer" + std::string(d.symbol)).c_str());
}

double Sampler::one(MRandPtr q)
{
    switch (dist_->signature) {
    case Signature::None: return reinterpret_cast<double (*)(MRandPtr)>(one_)(q);
    case Signature::D: return reinterpret_cast<double (*)(MRandPtr, double)>(one_)(q, p_.d[0]);
    case Signature::DD: return reinterpret_cast<double (*)(MRandPtr, double, double)>(one_)(q, p_.d[0], p_.d[1]);
    case Signature::LD: return reinterpret_cast<double (*)(MRandPtr, long, double)>(one_)(q, p_.l[0], p_.d[0]);
    case Signature::I: return reinterpret_cast<double (*)(MRandPtr, int32_t)>(one_)(q, p_.i);
    case Signature::LLL:
        return reinterpret_cast<double (*)(MRandPtr, long, long, long)>(one_)(q, p_.l[0], p_.l[1], p_.l[2]);
    case Signature::Table:
        return reinterpret_cast<double (*)(MRandPtr, long, double*)>(one_)(q, static_cast<long>(p_.table.size()),
                                                                           p_.table.data());
    }
    return 0.0;
}

int Sampler::fill(MRandPtr q)
{
    switch (dist_->signature) {
    case Signature::None: return reinterpret_cast<int (*)(MRandPtr)>(fill_)(q);
    case Signature::D: return reinterpret_cast<int (*)(MRandPtr, double)>(fill_)(q, p_.d[0]);
    case Signature::DD: return reinterpret_cast<int (*)(MRandPtr, double, double)>(fill_)(q, p_.d[0], p_.d[1]);
    case Signature::LD: return reinterpret_cast<int (*)(MRandPtr, long, double)>(fill_)(q, p_.l[0], p_.d[0]);
    case Signature::I: return reinterpret_cast<int (*)(MRandPtr, int32_t)>(fill_)(q, p_.i);
    case Signature::LLL:
        return reinterpret_cast<int (*)(MRandPtr, long, long, long)>(fill_)(q, p_.l[0], p_.l[1], p_.l[2]);
    case Signature::Table:
        return reinterpret_cast<int (*)(MRandPtr, long, double*)>(fill_)(q, static_cast<long>(p_.table.size()),
                                                                         p_.table.data());
    }
    return 1;
}

} // namespace vxcli
