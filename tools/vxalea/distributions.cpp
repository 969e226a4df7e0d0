#include "distributions.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <string_view>
#include <utility>

#include "subs/zmrslist.h"

namespace vxcli {

namespace {

/* In the order the tool lists them; the help texts and --loc/--scale rules
 * are the tool's own, the rest is checked against subs/zmrslist.h below. */
constexpr std::vector<Distribution> makeTable()
{
    using K = ParamKind;
    using S = Signature;
    constexpr Shift L = Shift::Linear;
    constexpr Shift None = Shift::None;
    return {
        {"uniform", "UNIFORM", S::None, {}, "the stream's uniform on (0, 1)", L, "on (L, L + S)"},
        {"normal", "NORMAL", S::None, {}, "standard normal", L, "L + S z: mean L, standard deviation S"},
        {"lognormal", "LOGNORMAL", S::None, {}, "exp of a standard normal", Shift::LogNormal,
         "exp(L + S z): L and S are the underlying normal's mean and sigma"},
        {"exponential", "EXPONENTIAL", S::None, {}, "standard exponential (rate 1)", L, "L + S x: S = 1 / rate"},
        {"cauchy", "CAUCHY", S::None, {}, "standard Cauchy", L, "L + S x: median L, half-width S"},
        {"weibull", "WEIBULL", S::DD, {{"shape", K::Double}, {"scale", K::Double}}, "Weibull", L, "L + S x"},
        {"triangle", "TRIANGLE", S::D, {{"h", K::Double}}, "triangular on [0, 1] with mode h", L,
         "L + S x: on [L, L + S], mode L + S h"},
        {"gamma", "GAMMA", S::D, {{"alpha", K::Double}}, "gamma with shape alpha, scale 1", L, "L + S x: scale S"},
        {"erlang", "ERLANG", S::I, {{"alpha", K::Int32}}, "gamma with a whole shape", L, "L + S x: scale S"},
        {"chisquare", "CHISQUARE", S::D, {{"df", K::Double}}, "chi-square with df degrees of freedom", L, "L + S x"},
        {"beta", "BETA", S::DD, {{"alpha", K::Double}, {"beta", K::Double}}, "beta on [0, 1]", L,
         "L + S x: on [L, L + S]"},
        {"f", "F", S::DD, {{"ndf", K::Double}, {"ddf", K::Double}}, "F with ndf and ddf degrees of freedom", L,
         "L + S x"},
        {"t", "T", S::D, {{"df", K::Double}}, "Student's t with df degrees of freedom", L, "L + S x"},
        {"bernoulli", "BERNOULLI", S::D, {{"p", K::Double}}, "1 with probability p, else 0", None, nullptr},
        {"binomial", "BINOMIAL", S::LD, {{"n", K::Long}, {"p", K::Double}}, "successes in n trials", None, nullptr},
        {"negbinomial", "NEGBINOMIAL", S::DD, {{"prob_succ", K::Double}, {"num_succ", K::Double}},
         "failures before the num_succ-th success", None, nullptr},
        {"geometric", "GEOMETRIC", S::D, {{"pr", K::Double}}, "trials up to the first success", None, nullptr},
        {"hypergeometric", "HYPERGEOMETRIC", S::LLL, {{"nn", K::Long}, {"n", K::Long}, {"k", K::Long}},
         "marked items among k drawn from nn of which n are marked", None, nullptr},
        {"poisson", "POISSON", S::D, {{"lambda", K::Double}}, "Poisson with mean lambda", None, nullptr},
        {"table", "TABLE", S::Table, {}, "index 1 .. count+1 from the --table probabilities", None, nullptr},
    };
}

constexpr char letterOf(ParamKind kind)
{
    return kind == ParamKind::Double ? 'D' : kind == ParamKind::Long ? 'L' : 'I';
}

constexpr char letterOf(std::string_view type)
{
    return type == "double" ? 'D' : type == "long" ? 'L' : type == "int32_t" ? 'I' : '?';
}

constexpr std::string_view lettersOf(Signature signature)
{
    switch (signature) {
    case Signature::None: return "";
    case Signature::D: return "D";
    case Signature::DD: return "DD";
    case Signature::LD: return "LD";
    case Signature::I: return "I";
    case Signature::LLL: return "LLL";
    case Signature::Table: return "";
    }
    return "?";
}

/* One row of the list against the table: the same lower-case name, and
 * parameters of the same names and kinds in the same order, which is the
 * order of the signature Sampler calls the module's functions with.  decl
 * is the row's parameter list as text, "(long n, double p)"; the ARRAY form
 * is the table, whose probabilities come from --table. */
constexpr bool sameRow(const Distribution& d, std::string_view name, bool array, std::string_view decl)
{
    if (name != d.name || array != (d.signature == Signature::Table)) return false;
    if (array) return d.params.empty();
    const std::string_view letters = lettersOf(d.signature);
    if (letters.size() != d.params.size()) return false;
    decl = decl.substr(1, decl.size() - 2);
    size_t k = 0;
    for (; !decl.empty(); ++k) {
        const size_t comma = decl.find(", ");
        const std::string_view one = decl.substr(0, comma);
        decl = comma == std::string_view::npos ? std::string_view() : decl.substr(comma + 2);
        const size_t space = one.rfind(' ');
        const char letter = letterOf(one.substr(0, space));
        if (k >= letters.size() || letter != letters[k] || letter != letterOf(d.params[k].kind) ||
            one.substr(space + 1) != d.params[k].name)
            return false;
    }
    return k == letters.size();
}

/* Every row of the list once in the table, by its symbol, and nothing else. */
constexpr bool coversList()
{
    const std::vector<Distribution> table = makeTable();
    size_t rows = 0;
    bool same = true;
#define VX_TOOL_ROW(NAME, name, FORM, DECL, ARGS)                                                                 \
    {                                                                                                            \
        ++rows;                                                                                                  \
        size_t found = 0;                                                                                        \
        for (const Distribution& d : table)                                                                      \
            if (std::string_view(d.symbol) == #NAME)                                                             \
                found += sameRow(d, #name, std::string_view(#FORM) == "ARRAY", #DECL) ? 1 : 2;                   \
        same = same && found == 1;                                                                               \
    }
    VX_DISTRIBUTION_LIST(VX_TOOL_ROW)
#undef VX_TOOL_ROW
    return same && rows == table.size();
}
static_assert(coversList(), "the tool's distributions and subs/zmrslist.h differ");

} // namespace

const std::vector<Distribution>& distributions()
{
    static const std::vector<Distribution> table = makeTable();
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
                           const std::optional<std::string>& table, const std::optional<std::string>& loc,
                           const std::optional<std::string>& scale)
{
    Parameters p;
    p.words = words;
    if (loc || scale) {
        if (d.shift == Shift::None)
            throw UsageError(std::string("--loc and --scale do not apply to ") + d.name +
                             ", a count; they shift and scale the continuous distributions");
        p.shifted = true;
        if (loc) p.loc = parseDouble(*loc, "--loc");
        if (scale) p.scale = parseDouble(*scale, "--scale");
        if (!std::isfinite(p.loc)) throw UsageError("--loc must be a finite number, not '" + *loc + "'");
        if (!(p.scale > 0) || !std::isfinite(p.scale))
            throw UsageError("--scale must be a finite number above 0, not '" + *scale + "'");
    }
    if (d.signature == Signature::Table) {
        if (!words.empty())
            throw UsageError("table takes its probabilities from --table p1,p2,..., not from '" + words[0] + "'");
        if (!table) throw UsageError("table needs --table p1,p2,... (e.g. --table 0.2,0.3,0.5)");
        for (const std::string& w : splitList(*table)) p.table.push_back(parseDouble(w, "a --table probability"));
        p.words = {"--table " + *table};
        return p;
    }
    if (table) throw UsageError("--table belongs to the table distribution, not to " + std::string(d.name));
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

std::string describeParameters(const Distribution& d, const Parameters& p)
{
    if (d.signature == Signature::Table) return p.words.empty() ? "" : p.words[0];
    std::string s;
    for (size_t k = 0; k < d.params.size() && k < p.words.size(); ++k) {
        if (!s.empty()) s += ", ";
        s += std::string(d.params[k].name) + " " + p.words[k];
    }
    return s;
}

std::string accuracyNote(const Distribution& d, const Parameters& p)
{
    /* The thresholds are the samplers' own regime boundaries (and, for the
     * shapes, where the cancellation in Cheng's acceptance test shows). */
    constexpr double kShapeLimit = 1e15;
    const std::string sym = d.symbol;
    const auto shape = [](double a) { return a >= kShapeLimit && a < INFINITY; };
    std::string note, largeShape;
    if (sym == "BINOMIAL") {
        const double n = static_cast<double>(p.l[0]), pr = p.d[0];
        const double rare = std::min(pr, 1.0 - pr);
        const bool accepted = p.l[0] >= 0 && pr >= 0.0 && pr <= 1.0;
        if (accepted && p.l[0] > 300 && n * pr > 5.0 && n * (1.0 - pr) > 5.0)
            note = "binomial with n > 300, n*p > 5 and n*(1-p) > 5 draws from a normal approximation; its "
                   "probabilities, the tails most, are not the binomial's";
        else if (accepted && rare > 0.0 && rare <= 1e-13)
            note = "binomial with min(p, 1-p) <= 1e-13 loses p in exp(n*log(1-p)); the counts are biased";
    } else if (sym == "POISSON") {
        const double lambda = p.d[0];
        if (lambda >= 1e306 && lambda < INFINITY)
            note = "poisson with lambda >= about 1e306 overflows: the values are inf or 0";
        else if (lambda >= 85.0 && lambda < INFINITY)
            note = "poisson with lambda >= 85 draws from a rounded normal approximation; its probabilities are "
                   "not the Poisson's";
    } else if (sym == "GAMMA" && shape(p.d[0])) {
        largeShape = "gamma with alpha >= 1e15";
    } else if (sym == "CHISQUARE" && shape(0.5 * p.d[0])) {
        largeShape = "chisquare with df >= 2e15 (a gamma shape of df/2)";
    } else if (sym == "T" && shape(0.5 * p.d[0])) {
        largeShape = "t with df >= 2e15 (a gamma shape of df/2)";
    } else if (sym == "BETA" && (shape(p.d[0]) || shape(p.d[1]))) {
        largeShape = "beta with a shape >= 1e15";
    } else if (sym == "F" && (shape(0.5 * p.d[0]) || shape(0.5 * p.d[1]))) {
        largeShape = "f with ndf or ddf >= 2e15 (a beta shape of half of it)";
    } else if (sym == "NEGBINOMIAL") {
        const double prob = p.d[0], num = p.d[1];
        if (prob > 0.0 && prob < 1.0 && shape(num))
            largeShape = "negbinomial with num_succ >= 1e15 (a gamma shape)";
        else if (prob > 0.0 && prob < 1.0 && num > 0.0 && num * (1.0 - prob) / prob >= 85.0)
            note = "negbinomial with num_succ*(1-prob_succ)/prob_succ >= 85 mostly draws its Poisson step from "
                   "a rounded normal approximation; the probabilities are not exact";
    } else if (sym == "HYPERGEOMETRIC") {
        const long nn = p.l[0], n = p.l[1], k = p.l[2];
        if (nn > 0 && n >= 0 && n <= nn && k <= nn && k >= 1000000 && k <= INT32_MAX)
            note = "hypergeometric draws one uniform per item: " + std::to_string(k) + " uniforms per value";
    }
    if (!largeShape.empty())
        note = largeShape + " loses precision to cancellation in the gamma or beta acceptance test: the values "
                            "spread too widely";
    if (note.empty()) return note;
    return note + " (see docs/accuracy.md; --quiet hides this note)";
}

Sampler::Sampler(const Session& s, const Distribution& d, Parameters p) : dist_(&d), p_(std::move(p))
{
    one_ = s.symbol(("GetOneVariate" + std::string(d.symbol)).c_str());
    fill_ = s.symbol(("FillTheBuffer" + std::string(d.symbol)).c_str());
    if (d.shift == Shift::LogNormal && p_.shifted) {
        fillNormal_ = s.function<int (*)(MRandPtr)>("FillTheBufferNORMAL");
        exp_ = s.function<double (*)(double)>("vxexp");
    }
}

int Sampler::fill(MRandPtr q, double* out, int64_t n)
{
    double* const vbuffer = q->VBuffer;
    const int64_t nbuffer = q->NBuffer;
    q->VBuffer = out;
    q->NBuffer = n;
    /* The lognormal is vxexp(z) of the normal sequence, so exp(L + S z) is
     * that sequence's z shifted before the exponential, as numpy does. */
    const int rc = fillNormal_ ? fillNormal_(q) : fillRaw(q);
    q->VBuffer = vbuffer;
    q->NBuffer = nbuffer;
    if (rc != 0 || !p_.shifted) return rc;
    const double loc = p_.loc, scale = p_.scale;
    for (int64_t k = 0; k < n; ++k) {
        /* The missing value stays itself, bit for bit. */
        if (std::isnan(out[k])) continue;
        out[k] = exp_ ? exp_(loc + scale * out[k]) : loc + scale * out[k];
    }
    return 0;
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

int Sampler::fillRaw(MRandPtr q)
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
