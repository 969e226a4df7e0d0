/* vxalea.Stream: one variate generator and the twenty samplers on numpy
 * arrays. */
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "arrays.h"
#include "bind.h"
#include "include/vxalea/checkpoint.hpp"
#include "include/vxalea/conversions.hpp"
#include "subs/zmrslist.h"
#include "runtime.h"

namespace vxpy {
namespace {

/* Values go to the samplers' buffer in pieces of this many: small enough
 * that the location and scale are applied while the piece is still in the
 * cache, large enough that the calls cost nothing.  The buffer forms give
 * the same numbers however a count is cut. */
constexpr size_t kPiece = 1 << 14;

/* As Python writes it (the shortest text that reads back); needs the GIL. */
std::string num(double x) { return py::repr(py::float_(x)); }

/* What the tool's --loc and --scale do: loc + scale * x, or for the
 * lognormal the module's exp of loc + scale * z on the normal deviate z.
 * The default pair leaves the sampler's numbers untouched, bit for bit, and
 * a missing value stays itself. */
struct Affine {
    double loc = 0.0;
    double scale = 1.0;
    double (*exp)(double) = nullptr; /* the lognormal's, when shifted */

    static Affine checked(double loc, double scale)
    {
        if (!std::isfinite(loc)) throw py::value_error("loc must be a finite number, not " + num(loc));
        if (!(scale > 0.0) || !std::isfinite(scale))
            throw py::value_error("scale must be a finite number above 0, not " + num(scale));
        return {loc, scale, nullptr};
    }
    bool identity() const { return loc == 0.0 && scale == 1.0 && !exp; }
    void apply(double* x, size_t n) const
    {
        if (identity()) return;
        for (size_t i = 0; i < n; ++i) {
            if (std::isnan(x[i])) continue;
            x[i] = exp ? exp(loc + scale * x[i]) : loc + scale * x[i];
        }
    }
};

struct Dist {
    const char* name;
    const char* accepts; /* the parameters the sampler takes, for refusals; null: any */
};

/* The distributions as the tool names them, with what each sampler accepts
 * (anything else gives the missing value, turned into ValueError here). */
constexpr Dist kUniform{"uniform", nullptr};
constexpr Dist kNormal{"normal", nullptr};
constexpr Dist kLognormal{"lognormal", nullptr};
constexpr Dist kExponential{"exponential", nullptr};
constexpr Dist kCauchy{"cauchy", nullptr};
constexpr Dist kWeibull{"weibull", "shape and scale must be positive"};
constexpr Dist kTriangle{"triangle", "h must be from 0 to 1"};
constexpr Dist kGamma{"gamma", "alpha must be positive and finite"};
constexpr Dist kErlang{"erlang", "alpha must be at least 1"};
constexpr Dist kChisquare{"chisquare", "df must be positive and finite"};
constexpr Dist kBeta{"beta", "alpha and beta must be positive and finite, and not so far apart that the set-up "
                             "degenerates"};
constexpr Dist kF{"f", "ndf and ddf must be positive and finite"};
constexpr Dist kT{"t", "df must be at least 0.1 and finite"};
constexpr Dist kBernoulli{"bernoulli", "p must be from 0 to 1"};
constexpr Dist kBinomial{"binomial", "n must not be negative and p must be from 0 to 1"};
constexpr Dist kNegbinomial{"negbinomial", "prob_succ must be above 0 and at most 1, num_succ positive and finite"};
constexpr Dist kGeometric{"geometric", "pr must be above 0 and at most 1"};
constexpr Dist kHypergeometric{"hypergeometric", "nn must be positive, n and k at most nn, k below 2**31"};
constexpr Dist kPoisson{"poisson", "lam must be at least 0 and finite"};
constexpr Dist kTable{"table", nullptr};

/* Each row of subs/zmrslist.h has its Dist above, by its lower-case name
 * (the method below is named alike), and nothing else does. */
constexpr const Dist* kDists[] = {&kUniform,   &kNormal,   &kLognormal, &kExponential, &kCauchy,
                                   &kWeibull,   &kTriangle, &kGamma,     &kErlang,      &kChisquare,
                                   &kBeta,      &kF,        &kT,         &kBernoulli,   &kBinomial,
                                   &kNegbinomial, &kGeometric, &kHypergeometric, &kPoisson, &kTable};
constexpr bool listed(std::string_view name)
{
    int found = 0;
    for (const Dist* d : kDists) found += name == d->name;
    return found == 1;
}
#define VXPY_LISTED(NAME, name, ...) listed(#name) &&
#define VXPY_ONE_ROW(...) +1
static_assert(VX_DISTRIBUTION_LIST(VXPY_LISTED) std::size(kDists) == 0 VX_DISTRIBUTION_LIST(VXPY_ONE_ROW),
              "the Python distributions and subs/zmrslist.h differ");
#undef VXPY_LISTED
#undef VXPY_ONE_ROW

using Conversion = vxalea::conversion;
constexpr const auto& kConversions = vxalea::conversions;

class Stream {
public:
    Stream(const Engine& e, const Ids& ids) : engine_(e), rec_(e, ids) {}

    static std::unique_ptr<Stream> open(const std::string& method, py::object seed, py::object key,
                                        py::object thread)
    {
        Engine e = engine(method);
        return std::make_unique<Stream>(e, check_ids(e, seed, key, thread));
    }
    static std::unique_ptr<Stream> for_task(py::object experiment_seed, py::object task, const std::string& method,
                                            py::object sub)
    {
        Engine e = engine(method);
        return std::make_unique<Stream>(e, task_ids(e, experiment_seed, task, sub));
    }

    /* One of the samplers: the first value one at a time, which also tells
     * a refused parameter (the missing value, no uniform drawn) before
     * anything is written; the rest through the buffer form. */
    template <class One, class Fill, class Params>
    py::object sample(const Dist& d, py::handle size, py::handle out, Affine af, One one, Fill fill,
                      Params params)
    {
        Target<double> t = double_target(size, out);
        bool refused = false;
        {
            py::gil_scoped_release nogil;
            std::lock_guard<std::mutex> g(mu_);
            MRandPtr q = rec_.q;
            double* const x = t.data();
            if (t.n > 0) {
                const double first = one(q);
                refused = vxalea::is_missing(first);
                if (!refused) {
                    x[0] = first;
                    size_t done = 1;
                    af.apply(x, 1);
                    double* const buffer = q->VBuffer;
                    const int64_t count = q->NBuffer;
                    while (done < t.n) {
                        const size_t m = std::min(kPiece, t.n - done);
                        q->VBuffer = x + done;
                        q->NBuffer = static_cast<int64_t>(m);
                        fill(q);
                        af.apply(x + done, m);
                        done += m;
                    }
                    q->VBuffer = buffer;
                    q->NBuffer = count;
                }
            }
        }
        if (refused) {
            std::string p = params();
            throw py::value_error("the " + std::string(d.name) + " sampler refuses " + (p.empty() ? "its stream" : p) +
                                  " (it gives the missing value)" +
                                  (d.accepts ? std::string("; ") + d.accepts : std::string()));
        }
        return t.result();
    }

    py::object uniform_conversion(const std::string& conversion, py::handle size, py::handle out, Affine af)
    {
        const Conversion* c = nullptr;
        for (const Conversion& k : kConversions)
            if (conversion == k.name) c = &k;
        if (!c) {
            std::string names;
            for (const Conversion& k : kConversions) names += std::string(names.empty() ? "" : " ") + k.name;
            throw py::value_error("unknown conversion '" + conversion + "'; choose one of: " + names);
        }
        zrng_double_fn fn = c->slot ? rec_.desc().*(c->slot) : rec_.q->rangen;
        if (!fn)
            throw py::value_error("engine " + rec_.method + " has no " + conversion +
                                  " conversion (see 'has' in vxalea.methods(): 0x0800 the 32-bit family, 0x1000 "
                                  "the 53- and 64-bit families and infinite)");
        Target<double> t = double_target(size, out);
        {
            py::gil_scoped_release nogil;
            std::lock_guard<std::mutex> g(mu_);
            void* blob = rec_.q->Blob;
            double* const x = t.data();
            for (size_t i = 0; i < t.n; ++i) x[i] = fn(blob);
            af.apply(x, t.n);
        }
        return t.result();
    }

    py::object raw(py::object size, py::object width)
    {
        int w = rec_.wide() ? 64 : 32;
        if (!width.is_none()) {
            uint64_t v = as_u64(width, "width");
            if (v != 32 && v != 64) throw py::value_error("width must be 32 or 64, not " + std::to_string(v));
            w = static_cast<int>(v);
        }
        const ZRNG_S& d = rec_.desc();
        if ((w == 32 && !d.zrng_uint32) || (w == 64 && !d.zrng_uint64))
            throw py::value_error("engine " + rec_.method + " has no " + std::to_string(w) + "-bit output");
        if (w == 32) return raw_of<uint32_t>(size, d.zrng_uint32);
        return raw_of<uint64_t>(size, d.zrng_uint64);
    }

    void rewind()
    {
        py::gil_scoped_release nogil;
        std::lock_guard<std::mutex> g(mu_);
        runtime().fn.zrand_rewind(reinterpret_cast<ZRAND_S*>(rec_.q));
    }

    /* The complete checkpoint, in the format of the C++ layer's checkpoint()
     * and the tool's --save-state files. */
    py::bytes checkpoint()
    {
        std::vector<std::byte> b;
        {
            py::gil_scoped_release nogil;
            std::lock_guard<std::mutex> g(mu_);
            b = vxalea::checkpoint::save(*rec_.q);
        }
        return py::bytes(reinterpret_cast<const char*>(b.data()), b.size());
    }

    /* A new stream on the checkpoint's engine, restored: nothing of the
     * stream it was opened as survives. */
    static std::unique_ptr<Stream> restore(py::handle data)
    {
        Py_buffer view;
        if (PyObject_GetBuffer(data.ptr(), &view, PyBUF_SIMPLE) != 0) {
            PyErr_Clear();
            throw py::type_error("a checkpoint is bytes (or another bytes-like object), not " +
                                 std::string(py::str(py::type::handle_of(data).attr("__name__"))));
        }
        std::vector<std::byte> bytes(static_cast<size_t>(view.len));
        if (view.len > 0) std::memcpy(bytes.data(), view.buf, bytes.size());
        PyBuffer_Release(&view);
        vxalea::checkpoint::header h;
        std::string why;
        if (!vxalea::checkpoint::read_header(bytes, h, &why)) throw py::value_error("cannot restore: " + why);
        Engine e;
        try {
            e = engine(h.engine);
        } catch (const py::value_error& refused) {
            throw py::value_error("cannot restore a checkpoint of engine " + h.engine + ": " + refused.what());
        }
        /* Any seed will do, the checkpoint replaces it; 1 spares the clock. */
        auto s = std::make_unique<Stream>(e, Ids{e.takes_seed() ? 1u : 0u, 0, 0});
        if (!vxalea::checkpoint::restore(*s->rec_.q, bytes, &why)) throw py::value_error("cannot restore: " + why);
        return s;
    }

    std::string repr() const
    {
        return "vxalea.Stream(method='" + rec_.method + "', seed=" + std::to_string(rec_.q->Seed) +
               ", key=" + std::to_string(rec_.q->Key) + ", thread=" + std::to_string(rec_.q->Thread) + ")";
    }

    const Engine& engine_info() const { return engine_; }
    const Record& record() const { return rec_; }

private:
    template <class T>
    py::object raw_of(py::handle size, T (*fn)(void*))
    {
        Target<T> t = new_target<T>(size);
        {
            py::gil_scoped_release nogil;
            std::lock_guard<std::mutex> g(mu_);
            void* blob = rec_.q->Blob;
            T* const x = t.data();
            for (size_t i = 0; i < t.n; ++i) x[i] = fn(blob);
        }
        return t.result();
    }

    Engine engine_;
    Record rec_;
    std::mutex mu_;
};

std::string no_params() { return {}; }

long as_long(py::handle v, const char* what)
{
    if (PyBool_Check(v.ptr()) || !PyIndex_Check(v.ptr()))
        throw py::type_error(std::string(what) + " must be an integer");
    py::int_ i = py::reinterpret_steal<py::int_>(PyNumber_Index(v.ptr()));
    int overflow = 0;
    long long x = PyLong_AsLongLongAndOverflow(i.ptr(), &overflow);
    if (overflow != 0) throw py::value_error(std::string(what) + " must fit in 64 bits, got " + std::string(py::str(i)));
    return static_cast<long>(x);
}

int32_t as_i32(py::handle v, const char* what)
{
    long x = as_long(v, what);
    if (x < INT32_MIN || x > INT32_MAX)
        throw py::value_error(std::string(what) + " must fit in 32 bits (-2147483648 to 2147483647), not " +
                              std::to_string(x));
    return static_cast<int32_t>(x);
}

/* The docstring of a sampler: the tool's line, what it accepts, and the
 * arguments every sampler shares.  Samplers without loc and scale are the
 * discrete ones (and weibull, which takes loc in its parameter line). */
std::string doc(const char* about, const char* tool, const char* params, bool affine, const char* symbol)
{
    const std::string sym = symbol;
    std::string s = std::string(about) + ".\n\nThe numbers of `vxalea draw " + tool +
                    "` for the same method, seed, key and thread.\n\n";
    if (params) s += std::string(params) + "\n";
    s += "size: None for one float; an int or a tuple of ints for an array of that shape.\n";
    if (affine)
        s += sym == "LOGNORMAL" ? "loc, scale: exp(loc + scale * z) on the normal deviate z is returned (the tool's "
                                  "--loc and --scale); loc finite, scale finite and above 0.\n"
                                : "loc, scale: loc + scale * x is returned (the tool's --loc and --scale); loc finite, "
                                  "scale finite and above 0.\n";
    s += "out: a writeable, C-contiguous float64 array filled in place and returned (size, if given, must be its "
         "shape).\n\nArrays are filled by FillTheBuffer" + sym + ", which gives the values of GetOneVariate" + sym +
         " one at a time.";
    if (!affine && sym != "WEIBULL") s += "  The counts come as whole float64 numbers, as the module makes them.";
    s += "  A parameter the sampler refuses raises ValueError and draws nothing.";
    return s;
}

} // namespace

void bind_stream(py::module_& m)
{
    using py::arg;
    py::class_<Stream> c(m, "Stream", R"(A random stream: one engine seeded with a seed, a key and a thread number, and
the samplers of twenty distributions drawing from it.

Stream(method="MT64", seed=None, key=0, thread=0)

method: an engine name or alias, blind to case (vxalea.methods() lists them).
seed: 1 to the engine's largest seed; None takes one from the clock (the seed
    in force is then .seed).
key, thread: the substream; 0 is none.  Values the engine would ignore or fold
    onto another substream raise ValueError.

Every sampler gives the numbers `vxalea draw` gives for the same method, seed,
key and thread, however the draws are split between calls.  A stream
serialises its own use with a lock and releases the GIL while it samples.)");
    c.def(py::init(&Stream::open), arg("method") = "MT64", arg("seed") = py::none(), arg("key") = 0,
          arg("thread") = 0);
    c.def_static("for_task", &Stream::for_task, arg("experiment_seed"), arg("task"), py::kw_only(),
                 arg("method") = "MT64", arg("sub") = 0,
                 R"(The stream of task `task` (0, 1, 2, ...) of an experiment: seed experiment_seed,
key task + 1, thread sub.  The same task gets the same numbers whichever
process or worker runs it, and no two tasks share a substream.  Engines
without keys, and tasks beyond the engine's keys, raise ValueError.)");
    c.def_property_readonly("method", [](const Stream& s) { return s.record().method; }, "The engine's name.");
    c.def_property_readonly("label", [](const Stream& s) { return s.engine_info().label(); },
                            "The engine's description.");
    c.def_property_readonly("bits", [](const Stream& s) { return s.record().desc().zrng_bits; },
                            "Bits per raw output of the engine.");
    c.def_property_readonly("seed", [](const Stream& s) { return s.record().q->Seed; },
                            "The seed in force (the clock's, when seed=None was given).");
    c.def_property_readonly("key", [](const Stream& s) { return s.record().q->Key; });
    c.def_property_readonly("thread", [](const Stream& s) { return s.record().q->Thread; });
    c.def("__repr__", &Stream::repr);
    c.def("rewind", &Stream::rewind, "Back to the first draw of the same seed, key and thread.");
    c.def("checkpoint", &Stream::checkpoint,
          R"(The stream's complete checkpoint as bytes: its engine, the whole engine state
with its read position and buffered outputs, the seed, key and thread, and
every sampler's saved set-up and waiting normal deviate.  Stream.restore()
gives a stream whose every later draw, of any kind, equals this one's.  The
format is the C++ layer's checkpoint() and the tool's --save-state files, in
this machine's byte order.)");
    c.def_static("restore", &Stream::restore, arg("checkpoint"),
                 R"(A new stream that continues exactly where the checkpointed one stood (see
checkpoint(); a file written by `vxalea ... --save-state FILE` restores too).
Bytes that are not a checkpoint, or one of an engine, width, format version or
byte order this build cannot take, raise ValueError saying which.)");
    /* Pickling, copy.copy and copy.deepcopy all go through the checkpoint:
     * a copy is a stream of its own, continuing as the original would. */
    c.def(py::pickle([](Stream& s) { return s.checkpoint(); },
                     [](const py::bytes& b) { return Stream::restore(b); }));
    c.def("raw", &Stream::raw, arg("size") = py::none(), py::kw_only(), arg("width") = py::none(),
          R"(The engine's raw integers: uint32 for an engine of 32 bits or fewer, uint64 for
one of 64 (what `vxalea raw` writes).  width=64 on a 32-bit engine joins two
outputs, the first in the high half; width=32 on a 64-bit engine is the high
half of one output.  size=None gives one Python int.)");

    /* Samplers without parameters. */
#define VXPY_PLAIN(method, DIST, dist, tool, about, affine)                                                         \
    c.def(                                                                                                          \
        method,                                                                                                     \
        [](Stream& s, py::object size, double loc, double scale, py::object out) {                                  \
            return s.sample(                                                                                        \
                dist, size, out, Affine::checked(loc, scale), [](MRandPtr q) { return q->GetOneVariate##DIST(q); },   \
                [](MRandPtr q) { return q->FillTheBuffer##DIST(q); }, no_params);                                        \
        },                                                                                                          \
        arg("size") = py::none(), py::kw_only(), arg("loc") = 0.0, arg("scale") = 1.0, arg("out") = py::none(),     \
        doc(about, tool, nullptr, affine, #DIST).c_str())

    c.def(
        "uniform",
        [](Stream& s, py::object size, py::object conversion, double loc, double scale, py::object out) {
            Affine af = Affine::checked(loc, scale);
            if (!conversion.is_none()) return s.uniform_conversion(conversion.cast<std::string>(), size, out, af);
            return s.sample(
                kUniform, size, out, af, [](MRandPtr q) { return q->GetOneVariateUNIFORM(q); },
                [](MRandPtr q) { return q->FillTheBufferUNIFORM(q); }, no_params);
        },
        arg("size") = py::none(), py::kw_only(), arg("conversion") = py::none(), arg("loc") = 0.0,
        arg("scale") = 1.0, arg("out") = py::none(),
        (doc("The stream's uniform on (0, 1)", "uniform", nullptr, true, "UNIFORM") +
         "\n\nconversion: one of the engine's conversions of its raw output instead, by the names of `vxalea uniform "
         "--conversion`: open (the stream's own uniform), fast, crude, infinite, 32_closed_open, 32_open_open, "
         "32_open_closed, 32_closed_closed, 32_reject_zero, 53_closed_open, 53_open_open, 53_open_closed, "
         "53_closed_closed, 53_reject_zero, 64_closed_open, 64_open_open, 64_open_closed, 64_closed_closed, "
         "64_reject_zero_one.  One that the engine leaves empty raises ValueError.")
            .c_str());
    VXPY_PLAIN("normal", NORMAL, kNormal, "normal", "Standard normal", true);
    VXPY_PLAIN("exponential", EXPONENTIAL, kExponential, "exponential", "Standard exponential (rate 1)", true);
    VXPY_PLAIN("cauchy", CAUCHY, kCauchy, "cauchy", "Standard Cauchy", true);
#undef VXPY_PLAIN

    c.def(
        "lognormal",
        [](Stream& s, py::object size, double loc, double scale, py::object out) {
            Affine af = Affine::checked(loc, scale);
            if (af.identity())
                return s.sample(
                    kLognormal, size, out, af, [](MRandPtr q) { return q->GetOneVariateLOGNORMAL(q); },
                    [](MRandPtr q) { return q->FillTheBufferLOGNORMAL(q); }, no_params);
            af.exp = runtime().fn.vxexp;
            return s.sample(
                kLognormal, size, out, af,
                [](MRandPtr q) { return q->GetOneVariateNORMAL(q); },
                [](MRandPtr q) { return q->FillTheBufferNORMAL(q); }, no_params);
        },
        arg("size") = py::none(), py::kw_only(), arg("loc") = 0.0, arg("scale") = 1.0, arg("out") = py::none(),
        doc("Exp of a standard normal", "lognormal", nullptr, true, "LOGNORMAL").c_str());

    c.def(
        "weibull",
        [](Stream& s, double shape, double wscale, py::object size, double loc, py::object out) {
            return s.sample(
                kWeibull, size, out, Affine::checked(loc, 1.0),
                [=](MRandPtr q) { return q->GetOneVariateWEIBULL(q, shape, wscale); },
                [=](MRandPtr q) { return q->FillTheBufferWEIBULL(q, shape, wscale); },
                [=] { return "shape " + num(shape) + ", scale " + num(wscale); });
        },
        arg("shape"), arg("scale"), arg("size") = py::none(), py::kw_only(), arg("loc") = 0.0,
        arg("out") = py::none(),
        doc("Weibull", "weibull SHAPE SCALE", "shape, scale: both positive.  loc: added to every value.", false,
            "WEIBULL")
            .c_str());

#define VXPY_ONE(method, DIST, dist, tool, about, pname, params)                                                    \
    c.def(                                                                                                          \
        method,                                                                                                     \
        [](Stream& s, double a, py::object size, double loc, double scale, py::object out) {                        \
            return s.sample(                                                                                        \
                dist, size, out, Affine::checked(loc, scale), [=](MRandPtr q) { return q->GetOneVariate##DIST(q, a); }, \
                [=](MRandPtr q) { return q->FillTheBuffer##DIST(q, a); }, [=] { return pname " " + num(a); });      \
        },                                                                                                          \
        arg(pname), arg("size") = py::none(), py::kw_only(), arg("loc") = 0.0, arg("scale") = 1.0,                 \
        arg("out") = py::none(), doc(about, tool, params, true, #DIST).c_str())

    VXPY_ONE("triangle", TRIANGLE, kTriangle, "triangle H", "Triangular on [0, 1] with mode h", "h",
             "h: the mode, from 0 to 1.");
    VXPY_ONE("gamma", GAMMA, kGamma, "gamma ALPHA", "Gamma with shape alpha, scale 1", "alpha",
             "alpha: the shape, positive and finite.");
    VXPY_ONE("chisquare", CHISQUARE, kChisquare, "chisquare DF", "Chi-square with df degrees of freedom", "df",
             "df: positive and finite.");
    VXPY_ONE("t", T, kT, "t DF", "Student's t with df degrees of freedom", "df", "df: at least 0.1, finite.");
#undef VXPY_ONE

    c.def(
        "erlang",
        [](Stream& s, py::object alpha, py::object size, double loc, double scale, py::object out) {
            const int32_t a = as_i32(alpha, "the erlang parameter alpha");
            return s.sample(
                kErlang, size, out, Affine::checked(loc, scale), [=](MRandPtr q) { return q->GetOneVariateERLANG(q, a); },
                [=](MRandPtr q) { return q->FillTheBufferERLANG(q, a); },
                [=] { return "alpha " + std::to_string(a); });
        },
        arg("alpha"), arg("size") = py::none(), py::kw_only(), arg("loc") = 0.0, arg("scale") = 1.0,
        arg("out") = py::none(),
        doc("Gamma with a whole shape", "erlang ALPHA", "alpha: the shape, a whole number from 1 to 2147483647.",
            true, "ERLANG")
            .c_str());

#define VXPY_TWO(method, DIST, dist, tool, about, p1, p2, params, affine)                                           \
    c.def(                                                                                                          \
        method,                                                                                                     \
        [](Stream& s, double a, double b, py::object size, double loc, double scale, py::object out) {              \
            return s.sample(                                                                                        \
                dist, size, out, Affine::checked(loc, scale),                                                         \
                [=](MRandPtr q) { return q->GetOneVariate##DIST(q, a, b); },                                        \
                [=](MRandPtr q) { return q->FillTheBuffer##DIST(q, a, b); },                                        \
                [=] { return p1 " " + num(a) + ", " p2 " " + num(b); });                                            \
        },                                                                                                          \
        arg(p1), arg(p2), arg("size") = py::none(), py::kw_only(), arg("loc") = 0.0, arg("scale") = 1.0,           \
        arg("out") = py::none(), doc(about, tool, params, affine, #DIST).c_str())

    VXPY_TWO("beta", BETA, kBeta, "beta ALPHA BETA", "Beta on [0, 1]", "alpha", "beta",
             "alpha, beta: the shapes, positive and finite.", true);
    VXPY_TWO("f", F, kF, "f NDF DDF", "F with ndf and ddf degrees of freedom", "ndf", "ddf",
             "ndf, ddf: positive and finite.", true);
#undef VXPY_TWO

    /* Discrete samplers: no location or scale. */
    c.def(
        "bernoulli",
        [](Stream& s, double p, py::object size, py::object out) {
            return s.sample(
                kBernoulli, size, out, Affine{}, [=](MRandPtr q) { return q->GetOneVariateBERNOULLI(q, p); },
                [=](MRandPtr q) { return q->FillTheBufferBERNOULLI(q, p); }, [=] { return "p " + num(p); });
        },
        arg("p"), arg("size") = py::none(), py::kw_only(), arg("out") = py::none(),
        doc("1 with probability p, else 0", "bernoulli P", "p: from 0 to 1.", false, "BERNOULLI").c_str());
    c.def(
        "binomial",
        [](Stream& s, py::object n, double p, py::object size, py::object out) {
            const long nl = as_long(n, "the binomial parameter n");
            return s.sample(
                kBinomial, size, out, Affine{}, [=](MRandPtr q) { return q->GetOneVariateBINOMIAL(q, nl, p); },
                [=](MRandPtr q) { return q->FillTheBufferBINOMIAL(q, nl, p); },
                [=] { return "n " + std::to_string(nl) + ", p " + num(p); });
        },
        arg("n"), arg("p"), arg("size") = py::none(), py::kw_only(), arg("out") = py::none(),
        doc("Successes in n trials", "binomial N P", "n: trials, 0 or more.  p: from 0 to 1.", false, "BINOMIAL")
            .c_str());
    c.def(
        "negbinomial",
        [](Stream& s, double prob, double num_succ, py::object size, py::object out) {
            return s.sample(
                kNegbinomial, size, out, Affine{},
                [=](MRandPtr q) { return q->GetOneVariateNEGBINOMIAL(q, prob, num_succ); },
                [=](MRandPtr q) { return q->FillTheBufferNEGBINOMIAL(q, prob, num_succ); },
                [=] { return "prob_succ " + num(prob) + ", num_succ " + num(num_succ); });
        },
        arg("prob_succ"), arg("num_succ"), arg("size") = py::none(), py::kw_only(), arg("out") = py::none(),
        doc("Failures before the num_succ-th success", "negbinomial PROB_SUCC NUM_SUCC",
            "prob_succ: above 0, at most 1.  num_succ: positive and finite (need not be whole).", false,
            "NEGBINOMIAL")
            .c_str());
    c.def(
        "geometric",
        [](Stream& s, double pr, py::object size, py::object out) {
            return s.sample(
                kGeometric, size, out, Affine{}, [=](MRandPtr q) { return q->GetOneVariateGEOMETRIC(q, pr); },
                [=](MRandPtr q) { return q->FillTheBufferGEOMETRIC(q, pr); }, [=] { return "pr " + num(pr); });
        },
        arg("pr"), arg("size") = py::none(), py::kw_only(), arg("out") = py::none(),
        doc("Trials up to the first success", "geometric PR", "pr: above 0, at most 1.", false, "GEOMETRIC").c_str());
    c.def(
        "hypergeometric",
        [](Stream& s, py::object nn, py::object n, py::object k, py::object size, py::object out) {
            const long a = as_long(nn, "the hypergeometric parameter nn");
            const long b = as_long(n, "the hypergeometric parameter n");
            const long d = as_long(k, "the hypergeometric parameter k");
            return s.sample(
                kHypergeometric, size, out, Affine{},
                [=](MRandPtr q) { return q->GetOneVariateHYPERGEOMETRIC(q, a, b, d); },
                [=](MRandPtr q) { return q->FillTheBufferHYPERGEOMETRIC(q, a, b, d); },
                [=] { return "nn " + std::to_string(a) + ", n " + std::to_string(b) + ", k " + std::to_string(d); });
        },
        arg("nn"), arg("n"), arg("k"), arg("size") = py::none(), py::kw_only(), arg("out") = py::none(),
        doc("Marked items among k drawn from nn of which n are marked", "hypergeometric NN N K",
            "nn: items, positive.  n: marked items, at most nn.  k: items drawn, at most nn and below 2**31.  "
            "k <= 0 or n < 0 give 0.",
            false, "HYPERGEOMETRIC")
            .c_str());
    c.def(
        "poisson",
        [](Stream& s, double lam, py::object size, py::object out) {
            return s.sample(
                kPoisson, size, out, Affine{}, [=](MRandPtr q) { return q->GetOneVariatePOISSON(q, lam); },
                [=](MRandPtr q) { return q->FillTheBufferPOISSON(q, lam); }, [=] { return "lam " + num(lam); });
        },
        arg("lam"), arg("size") = py::none(), py::kw_only(), arg("out") = py::none(),
        doc("Poisson with mean lam", "poisson LAMBDA", "lam: the mean (the tool's lambda), 0 or more and finite.",
            false, "POISSON")
            .c_str());
    c.def(
        "table",
        [](Stream& s, py::object probs, py::object size, py::object out) {
            py::array_t<double, py::array::c_style | py::array::forcecast> p =
                py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(probs);
            if (!p || p.ndim() != 1) throw py::value_error("probs must be a sequence of numbers");
            const long count = static_cast<long>(p.size());
            const double* data = p.data();
            return s.sample(
                kTable, size, out, Affine{},
                [=](MRandPtr q) { return q->GetOneVariateTABLE(q, count, const_cast<double*>(data)); },
                [=](MRandPtr q) { return q->FillTheBufferTABLE(q, count, const_cast<double*>(data)); },
                [=] { return "a table of " + std::to_string(count) + " probabilities"; });
        },
        arg("probs"), arg("size") = py::none(), py::kw_only(), arg("out") = py::none(),
        doc("Index 1 .. len(probs) + 1 from the probabilities probs", "table --table P1,P2,...",
            "probs: the probabilities, used as given (not normalised); index len(probs) + 1 takes what they leave "
            "of 1.",
            false, "TABLE")
            .c_str());
}

} // namespace vxpy
