/* What every part of the Python binding shares: the one host of the
 * process with the module loaded into it, the engines by name, the checks a
 * method, seed, key and thread number pass before a record is made, and the
 * record itself.
 *
 * The binding is written with pybind11 rather than the plain C API: the
 * twenty samplers, their parameters and docstrings are a table of small
 * lambdas instead of hand-written argument parsing, errors become ValueError
 * by throwing, and its numpy support reaches numpy through numpy's run-time
 * C-API table, so the extension builds without numpy's headers and works
 * with whatever numpy 1.x is installed beside it. */
#ifndef VXALEA_PYTHON_RUNTIME_H
#define VXALEA_PYTHON_RUNTIME_H

#include <pybind11/pybind11.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "include/vxalea/substreams.hpp"
#include "include/vxalea/vxalea.hpp"

namespace vxpy {

namespace py = pybind11;

/* The module's exported functions the binding calls off the draw path. */
struct Exports {
    int (*zmrsrnd)(MRandPtr q) = nullptr;
    int (*zrand_rewind)(ZRAND_S* zrnd) = nullptr;
    uint32_t (*zmurmur32)(const void* bytes, int byte_len, uint32_t seed) = nullptr;
    uint64_t (*zmurmur64)(const uint64_t* data, int length, uint64_t seed) = nullptr;
    void (*zmurmur128)(const uint64_t* data, int length, uint64_t seed, uint64_t* out) = nullptr;
    double (*vxexp)(double x) = nullptr;
};

/* The host of this process and the module in it.  The module keeps its host
 * handle in a global, so a second live host would take it over: there is
 * exactly one, made when the extension is imported. */
struct Runtime {
    vxalea::host host;
    vxalea::module module;
    vxalea::pool pool;
    Exports fn;
    /* Journal lines are only ever notes of set-up here; cleared under this
     * lock after each record so that a long run does not accumulate them. */
    std::mutex journal_mu;

    explicit Runtime(const std::string& search_path);
    void clear_journal();
};

/* Loads the module from the directories beside the extension; throws
 * ImportError with the host's reason when it cannot. */
void start_runtime();
Runtime& runtime();

struct EngineName {
    const char* name;                 /* the engine's own name: zrnf<name> */
    std::vector<const char*> aliases; /* other names the method table accepts */
};
const std::vector<EngineName>& engine_names();

/* One engine, as its set-up function describes it. */
struct Engine {
    const EngineName* names = nullptr;
    ZRNG_S desc{};
    size_t blob_size = 0;
    vxalea::substream_limits limits;

    bool available() const { return desc.zrng_state_size != 0; }
    bool takes_seed() const { return (desc.zrng_has & ZRNG_HAS_SEED) != 0; }
    bool statistical() const { return vxalea::is_statistical(names->name); }
    std::string name() const { return names->name; }
    std::string label() const;
};

Engine describe(const EngineName& n);
/* Case-blind, blanks around the name ignored, aliases accepted; ValueError
 * for an unknown name or an engine that cannot run here. */
Engine engine(const std::string& method);

/* The seed, key and thread number a record starts from. */
struct Ids {
    uint64_t seed = 0; /* 0: the module takes one from the clock */
    uint64_t key = 0;
    uint64_t thread = 0;
};

/* ValueError for what the engine would ignore, fold or change: a seed out of
 * 1..max seed, a key or thread number it has no substream for. */
Ids check_ids(const Engine& e, py::handle seed, py::handle key, py::handle thread);
uint64_t as_u64(py::handle v, const char* what);

/* "MT64 FRY4X64 0 to 18446744073709551615; PCG32I 0 to 1023": the engines
 * that keep keys (or thread numbers) apart, grouped by range. */
std::string substream_ranges(bool threads);

/* Task k of an experiment: its seed, key k + 1 (key 0 is the experiment's
 * own stream) and thread number sub.  ValueError for engines without keys
 * and tasks beyond their keys. */
Ids task_ids(const Engine& e, py::handle experiment_seed, py::handle task, py::handle sub);

/* A variate generator of its own (MERSENNE_RAND) from the runtime's pool. */
class Record {
public:
    Record(const Engine& e, const Ids& ids);
    ~Record();
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    MRandPtr q = nullptr;
    const ZRNG_S& desc() const { return *q->Functions; }
    bool wide() const { return q->Functions->zrng_bits > 32; }
    std::string method;
};

/* The list vxalea.methods() returns. */
py::list methods_list();

} // namespace vxpy

#endif
