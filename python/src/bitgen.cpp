/* vxalea.BitGenerator: an engine behind numpy.random.Generator.
 *
 * numpy's Generator takes any object with a `capsule` named "BitGenerator"
 * holding its bitgen_t (a state pointer and four functions) and a `lock` it
 * holds around every call. */
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "arrays.h"
#include "bind.h"
#include "runtime.h"

namespace vxpy {
namespace {

/* numpy/random/bitgen.h, as numpy reads it. */
struct bitgen_t {
    void* state;
    uint64_t (*next_uint64)(void* st);
    uint32_t (*next_uint32)(void* st);
    double (*next_double)(void* st);
    uint64_t (*next_raw)(void* st);
};

/* The state of the functions that need the engine's operations as well as
 * its blob. */
struct Words {
    void* blob;
    uint64_t (*u64)(void*);
    uint32_t (*u32)(void*);
};

uint64_t words_u64(void* s)
{
    Words* w = static_cast<Words*>(s);
    return w->u64(w->blob);
}
uint32_t words_u32(void* s)
{
    Words* w = static_cast<Words*>(s);
    return w->u32(w->blob);
}
/* numpy's own rule for a double from 64 bits. */
double words_double(void* s) { return static_cast<double>(words_u64(s) >> 11) * 0x1.0p-53; }
uint64_t words_raw32(void* s) { return words_u32(s); }

/* Keys handed to children: one counter for a generator and everything
 * spawned from it, so that no two members of the family share a key. */
struct Family {
    std::mutex mu;
    uint64_t next_key;
};

class BitGenerator {
public:
    BitGenerator(const Engine& e, const Ids& ids, std::shared_ptr<Family> family)
        : engine_(e), rec_(e, ids), family_(std::move(family))
    {
        if (!family_) {
            family_ = std::make_shared<Family>();
            family_->next_key = ids.key + 1;
        }
        const ZRNG_S& d = rec_.desc();
        words_ = {rec_.q->Blob, d.zrng_uint64, d.zrng_uint32};
        if (d.zrng_bits == 64 && d.zrng_double_53_closed_open) {
            /* A 64-bit engine's own operations are numpy's functions already:
             * its 53_closed_open conversion is (output >> 11) * 2^-53. */
            bg_ = {rec_.q->Blob, d.zrng_uint64, d.zrng_uint32, d.zrng_double_53_closed_open, d.zrng_uint64};
        } else {
            bg_ = {&words_, words_u64, words_u32, words_double, d.zrng_bits == 64 ? words_u64 : words_raw32};
        }
        capsule_ = py::capsule(static_cast<void*>(&bg_), "BitGenerator");
        lock_ = py::module_::import("threading").attr("Lock")();
    }

    static void refuse_unfit(const Engine& e)
    {
        if (!e.statistical() || (e.desc.zrng_bits != 32 && e.desc.zrng_bits != 64))
            throw py::value_error("engine " + e.name() +
                                  " is kept for compatibility, not for statistics; numpy's samplers need a "
                                  "statistical engine (see 'statistical' in vxalea.methods())");
    }

    static std::unique_ptr<BitGenerator> open(const std::string& method, py::object seed, py::object key,
                                              py::object thread)
    {
        Engine e = engine(method);
        refuse_unfit(e);
        return std::make_unique<BitGenerator>(e, check_ids(e, seed, key, thread), nullptr);
    }
    static std::unique_ptr<BitGenerator> for_task(py::object experiment_seed, py::object task,
                                                  const std::string& method, py::object sub)
    {
        Engine e = engine(method);
        refuse_unfit(e);
        return std::make_unique<BitGenerator>(e, task_ids(e, experiment_seed, task, sub), nullptr);
    }

    std::vector<std::unique_ptr<BitGenerator>> spawn(py::object count)
    {
        const uint64_t n = as_u64(count, "n_children");
        const vxalea::substream_limits& l = engine_.limits;
        if (!l.takes_key)
            throw py::value_error("engine " + engine_.name() +
                                  " takes no keys, so spawn() cannot give children substreams of their own; engines "
                                  "with keys: " +
                                  substream_ranges(false));
        uint64_t first;
        {
            std::lock_guard<std::mutex> g(family_->mu);
            first = family_->next_key;
            /* 0: the counter went past the largest key and wrapped. */
            if (n > 0 && (first == 0 || first > l.max_key || n - 1 > l.max_key - first))
                throw py::value_error("spawn(" + std::to_string(n) + ") needs " + std::to_string(n) +
                                      " keys after the family's last, " + std::to_string(first - 1) +
                                      ", beyond the keys " + engine_.name() + " keeps apart, 0 to " +
                                      std::to_string(l.max_key));
            family_->next_key = first + n;
        }
        std::vector<std::unique_ptr<BitGenerator>> children;
        for (uint64_t i = 0; i < n; ++i)
            children.push_back(std::make_unique<BitGenerator>(
                engine_, Ids{rec_.q->Seed, first + i, rec_.q->Thread}, family_));
        return children;
    }

    py::object random_raw(py::object size, bool output)
    {
        /* numpy's Generator holds this same lock around its calls. */
        lock_.attr("acquire")();
        struct Release {
            py::object& lock;
            ~Release()
            {
                try {
                    lock.attr("release")();
                } catch (...) {
                }
            }
        } release{lock_};
        if (!output) {
            uint64_t n = 1;
            if (!size.is_none())
                for (py::ssize_t d : shape_of(size)) n *= static_cast<uint64_t>(d);
            py::gil_scoped_release nogil;
            for (uint64_t i = 0; i < n; ++i) bg_.next_raw(bg_.state);
            return py::none();
        }
        Target<uint64_t> t = new_target<uint64_t>(size);
        {
            py::gil_scoped_release nogil;
            uint64_t* x = t.data();
            for (size_t i = 0; i < t.n; ++i) x[i] = bg_.next_raw(bg_.state);
        }
        return t.result();
    }

    std::string repr() const
    {
        return "vxalea.BitGenerator(method='" + rec_.method + "', seed=" + std::to_string(rec_.q->Seed) +
               ", key=" + std::to_string(rec_.q->Key) + ", thread=" + std::to_string(rec_.q->Thread) + ")";
    }

    const Engine& engine_info() const { return engine_; }
    const Record& record() const { return rec_; }
    py::object capsule() const { return capsule_; }
    py::object lock() const { return lock_; }

private:
    Engine engine_;
    Record rec_;
    std::shared_ptr<Family> family_;
    Words words_{};
    bitgen_t bg_{};
    py::object capsule_;
    py::object lock_;
};

} // namespace

void bind_bitgen(py::module_& m)
{
    using py::arg;
    py::class_<BitGenerator> c(m, "BitGenerator", R"(An engine as a numpy bit generator:
numpy.random.Generator(vxalea.BitGenerator("FRY4X64", seed=1)) runs every numpy
distribution on it.

BitGenerator(method="MT64", seed=None, key=0, thread=0), with the checks of
vxalea.Stream; engines kept only for compatibility (SUBKEY32, SUBKEY64) are
refused.

What numpy receives:
  next_uint64  the engine's 64-bit output.  A 32-bit engine joins two outputs,
               the first in the high half (what Stream.raw(width=64) gives).
  next_uint32  the engine's 32-bit output; on a 64-bit engine the high half
               of one output (what Stream.raw(width=32) gives).
  next_double  (next_uint64 >> 11) * 2**-53, numpy's own rule, on [0, 1).
  next_raw     one native output: 64 bits, or 32 bits widened.
numpy's Generator holds .lock around every call, as random_raw does.)");
    c.def(py::init(&BitGenerator::open), arg("method") = "MT64", arg("seed") = py::none(), arg("key") = 0,
          arg("thread") = 0);
    c.def_static("for_task", &BitGenerator::for_task, arg("experiment_seed"), arg("task"), py::kw_only(),
                 arg("method") = "MT64", arg("sub") = 0,
                 "The bit generator of task `task` of an experiment: seed experiment_seed, key task + 1, thread sub "
                 "(see Stream.for_task).");
    c.def_property_readonly("capsule", &BitGenerator::capsule, "The bitgen_t numpy's Generator reads.");
    c.def_property_readonly("lock", &BitGenerator::lock, "The lock numpy's Generator holds around its calls.");
    c.def_property_readonly("method", [](const BitGenerator& b) { return b.record().method; });
    c.def_property_readonly("label", [](const BitGenerator& b) { return b.engine_info().label(); });
    c.def_property_readonly("bits", [](const BitGenerator& b) { return b.record().desc().zrng_bits; });
    c.def_property_readonly("seed", [](const BitGenerator& b) { return b.record().q->Seed; });
    c.def_property_readonly("key", [](const BitGenerator& b) { return b.record().q->Key; });
    c.def_property_readonly("thread", [](const BitGenerator& b) { return b.record().q->Thread; });
    c.def("__repr__", &BitGenerator::repr);
    c.def("random_raw", &BitGenerator::random_raw, arg("size") = py::none(), arg("output") = true,
          R"(Native outputs as uint64 (32-bit engines' widened); size=None gives one int,
output=False only advances the engine.)");
    c.def("spawn", &BitGenerator::spawn, arg("n_children"),
          R"(n_children generators on the same method, seed and thread, each on a key of
its own: the next keys after this generator's, counted across everything
spawned from it and its children.  Engines without keys raise ValueError.)");
}

} // namespace vxpy
