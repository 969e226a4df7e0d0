#include "runtime.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <utility>

#include "subs/engines/zrnglist.h"

namespace vxpy {
namespace {

/* Set once at import, under the GIL, and never released: a stream may be
 * finalised after the interpreter has let go of this extension's module
 * object, and its record lives in the host's pool, so the host stays until
 * the process ends. */
Runtime* g_runtime = nullptr;

/* The directory this extension was loaded from. */
std::string own_directory()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&own_directory), &info) == 0 || !info.dli_fname) return ".";
    std::string path = info.dli_fname;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

template <class F>
F exported(const vxalea::module& m, const char* name)
{
    void* p = m.symbol(name);
    if (!p)
        throw py::import_error(std::string("the vxalea module at ") + m.path() + " does not export " + name +
                               "; it is older than this extension");
    return reinterpret_cast<F>(p);
}

std::string upper_trimmed(const std::string& s)
{
    size_t b = s.find_first_not_of(' ');
    size_t e = s.find_last_not_of(' ');
    std::string out = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string available_list()
{
    std::string s;
    for (const EngineName& n : engine_names()) {
        if (!describe(n).available()) continue;
        if (!s.empty()) s += ' ';
        s += n.name;
    }
    return s;
}

std::string u64_text(uint64_t v) { return std::to_string(v); }

} // namespace

Runtime::Runtime(const std::string& search_path)
    : host(), module(host, "vxalea", search_path.c_str()), pool(host, "VXALEA_PYTHON")
{
    fn.zmrsrnd = exported<decltype(fn.zmrsrnd)>(module, "zmrsrnd");
    fn.zrand_rewind = exported<decltype(fn.zrand_rewind)>(module, "zrand_rewind");
    fn.zmurmur32 = exported<decltype(fn.zmurmur32)>(module, "zmurmur32");
    fn.zmurmur64 = exported<decltype(fn.zmurmur64)>(module, "zmurmur64");
    fn.zmurmur128 = exported<decltype(fn.zmurmur128)>(module, "zmurmur128");
    fn.vxexp = exported<decltype(fn.vxexp)>(module, "vxexp");
    clear_journal();
}

void Runtime::clear_journal()
{
    std::lock_guard<std::mutex> g(journal_mu);
    host.clear_journal();
}

void start_runtime()
{
    if (g_runtime) return;
    /* The package's own copy of libvxalea.so sits beside the extension (a
     * pip install, and the build tree by a link); an installed package
     * finds the library directory of its prefix. */
    const std::string dir = own_directory();
    const std::string path = dir + ":" + dir + "/" VXALEA_PY_LIBDIR_FROM_PACKAGE;
    try {
        g_runtime = new Runtime(path);
    } catch (const vxalea::error& e) {
        throw py::import_error(std::string(e.what()) +
                               " (the extension looks for libvxalea.so beside itself and in its "
                               "prefix's library directory)");
    }
}

Runtime& runtime() { return *g_runtime; }

const std::vector<EngineName>& engine_names()
{
    /* The module's own engine list, so the names and aliases are those
     * method selection accepts, in the order `vxalea methods` lists them. */
#define VX_NAME_AND_ALIASES(NAME, ...) {#NAME, {__VA_ARGS__}},
    static const std::vector<EngineName> names = {VX_ENGINE_LIST(VX_NAME_AND_ALIASES)};
#undef VX_NAME_AND_ALIASES
    return names;
}

std::string Engine::label() const
{
    return std::string(desc.zrng_label, strnlen(desc.zrng_label, sizeof desc.zrng_label));
}

Engine describe(const EngineName& n)
{
    using Setup = void (*)(zrngptr, uint64_t);
    Runtime& rt = runtime();
    Setup setup = exported<Setup>(rt.module, ("zrnf" + std::string(n.name)).c_str());
    Engine e;
    e.names = &n;
    setup(&e.desc, 0);
    /* Every descriptor states its blob size, available or not (TORVEL's is 8). */
    if (e.desc.zrng_blob_size) e.blob_size = e.desc.zrng_blob_size();
    e.limits = vxalea::limits_of(e.desc);
    rt.clear_journal();
    return e;
}

Engine engine(const std::string& method)
{
    const std::string wanted = upper_trimmed(method);
    for (const EngineName& n : engine_names()) {
        bool match = wanted == n.name;
        for (const char* a : n.aliases) match = match || wanted == a;
        if (!match) continue;
        Engine e = describe(n);
        if (!e.available())
            throw py::value_error("method '" + method + "' names an engine that cannot run on this machine; choose one of " +
                                  available_list() + " (or an alias from vxalea.methods())");
        return e;
    }
    throw py::value_error("unknown method '" + method + "'; choose one of " + available_list() +
                          " (or an alias from vxalea.methods())");
}

uint64_t as_u64(py::handle v, const char* what)
{
    if (PyBool_Check(v.ptr()) || !PyIndex_Check(v.ptr()))
        throw py::type_error(std::string(what) + " must be an integer, not " +
                             std::string(py::str(py::type::handle_of(v).attr("__name__"))));
    py::int_ i = py::reinterpret_steal<py::int_>(PyNumber_Index(v.ptr()));
    if (!i) throw py::error_already_set();
    if (i < py::int_(0))
        throw py::value_error(std::string(what) + " must not be negative, got " + std::string(py::str(i)));
    unsigned long long u = PyLong_AsUnsignedLongLong(i.ptr());
    if (u == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        PyErr_Clear();
        throw py::value_error(std::string(what) + " must be below 2**64, got " + std::string(py::str(i)));
    }
    return u;
}

std::string substream_ranges(bool threads)
{
    std::vector<std::pair<uint64_t, std::string>> groups;
    for (const EngineName& n : engine_names()) {
        Engine e = describe(n);
        if (!e.available() || !(threads ? e.limits.takes_thread : e.limits.takes_key)) continue;
        const uint64_t max = threads ? e.limits.max_thread : e.limits.max_key;
        auto g = groups.begin();
        while (g != groups.end() && g->first != max) ++g;
        if (g == groups.end())
            groups.emplace_back(max, n.name);
        else
            g->second += std::string(" ") + n.name;
    }
    std::string s;
    for (const auto& [max, names] : groups) s += (s.empty() ? "" : "; ") + names + " 0 to " + u64_text(max);
    return s;
}

Ids check_ids(const Engine& e, py::handle seed, py::handle key, py::handle thread)
{
    const std::string name = e.name();
    Ids ids;
    if (!seed.is_none()) {
        if (!e.takes_seed()) throw py::value_error("engine " + name + " takes no seed; leave seed out");
        ids.seed = as_u64(seed, "seed");
        if (ids.seed == 0)
            throw py::value_error("seed 0 would seed from the clock; pass seed=None for that (the seed used is then "
                                  ".seed)");
        if (ids.seed > e.desc.zrng_max_seed)
            throw py::value_error("seed " + u64_text(ids.seed) + " is above " + name + "'s largest seed, " +
                                  u64_text(e.desc.zrng_max_seed));
    }
    const vxalea::substream_limits& l = e.limits;
    const std::string folded = l.folded ? " (it folds thread numbers into the key's low bits)" : "";
    ids.key = as_u64(key, "key");
    if (ids.key != 0 && !l.takes_key)
        throw py::value_error("engine " + name + " takes no keys and would ignore key; engines with keys: " +
                              substream_ranges(false));
    if (ids.key > l.max_key)
        throw py::value_error("key " + u64_text(ids.key) + " is beyond the keys " + name + " keeps apart, 0 to " +
                              u64_text(l.max_key) + folded);
    ids.thread = as_u64(thread, "thread");
    if (ids.thread != 0 && !l.takes_thread)
        throw py::value_error("engine " + name +
                              " takes no thread numbers and would give every thread the same stream; engines with "
                              "thread numbers: " +
                              substream_ranges(true));
    if (ids.thread > l.max_thread)
        throw py::value_error("thread " + u64_text(ids.thread) + " is beyond the thread numbers " + name +
                              " keeps apart, 0 to " + u64_text(l.max_thread) + folded);
    return ids;
}

Ids task_ids(const Engine& e, py::handle experiment_seed, py::handle task, py::handle sub)
{
    const std::string name = e.name();
    if (!vxalea::is_statistical(name))
        throw py::value_error("engine " + name + " is not a statistical generator; give tasks substreams of MT64, "
                              "MTHYBRID, a Threefry or a PCG engine");
    if (!e.limits.takes_key)
        throw py::value_error("engine " + name +
                              " takes no keys, so the tasks of one experiment seed cannot have substreams of their "
                              "own; engines with keys: " +
                              substream_ranges(false));
    if (experiment_seed.is_none())
        throw py::value_error("a task stream needs an experiment seed: a seed from the clock would differ in every "
                              "process");
    const uint64_t k = as_u64(task, "task");
    const uint64_t last = vxalea::last_task(e.limits).value_or(0);
    if (!vxalea::substream_of_task(e.limits, k))
        throw py::value_error("task " + u64_text(k) + " is beyond the tasks engine " + name +
                              " keeps apart (tasks 0 to " + u64_text(last) + " take keys 1 to " +
                              u64_text(last + 1) + ")");
    return check_ids(e, experiment_seed, py::int_(k + 1), sub);
}

Record::Record(const Engine& e, const Ids& ids) : method(e.name())
{
    Runtime& rt = runtime();
    VXPoolh pool = rt.pool.get();
    q = static_cast<MRandPtr>(pool->memAlloc(pool, sizeof(MERSENNE_RAND), VX_MEM_ZERO));
    if (!q) throw std::bad_alloc();
    /* As the tool sets a stream up: UserMethod points at the name until the
     * module resolves it; the key goes to Key only (UserKey, a double, would
     * round keys above 2^53). */
    q->UserMethod = method.data();
    q->Seed = ids.seed;
    q->Key = ids.key;
    q->Thread = ids.thread;
    q->nrv = 1;
    rt.fn.zmrsrnd(q);
    rt.clear_journal();
    /* The checks above leave the module nothing to complain about; a status
     * here means the two disagree, and the numbers would not be the ones
     * asked for. */
    const VXStatus status = q->Status;
    const bool same = std::strncmp(q->Functions->zrng_name, method.c_str(), sizeof q->Functions->zrng_name) == 0;
    if (status != 0 || !same) {
        pool->memFree(pool, q);
        q = nullptr;
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
        const char* text = vxhost_catalogue_text(status);
        throw py::value_error("the module refused a stream of method " + method + ": status " + code +
                              (text ? std::string(": ") + text : std::string()));
    }
}

Record::~Record()
{
    if (q) {
        VXPoolh pool = runtime().pool.get();
        pool->memFree(pool, q);
    }
}

py::list methods_list()
{
    py::list out;
    for (const EngineName& n : engine_names()) {
        Engine e = describe(n);
        py::list aliases;
        for (const char* a : n.aliases) aliases.append(a);
        py::dict d;
        d["name"] = n.name;
        d["aliases"] = aliases;
        d["available"] = e.available();
        d["label"] = e.label();
        d["bits"] = e.desc.zrng_bits;
        d["state_size"] = e.desc.zrng_state_size;
        d["blob_size"] = e.blob_size;
        d["has"] = e.desc.zrng_has;
        d["max_seed"] = e.desc.zrng_max_seed;
        d["max_key"] = e.desc.zrng_max_key;
        d["statistical"] = e.statistical();
        d["key_max"] = e.limits.takes_key ? py::object(py::int_(e.limits.max_key)) : py::object(py::none());
        d["thread_max"] = e.limits.takes_thread ? py::object(py::int_(e.limits.max_thread)) : py::object(py::none());
        d["thread_folded_into_key"] = e.limits.folded;
        out.append(d);
    }
    return out;
}

} // namespace vxpy
