/* The extension vxalea._vxalea: the runtime, the two classes and the
 * functions that need no stream. */
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <climits>
#include <string>
#include <vector>

#include "bind.h"
#include "runtime.h"

namespace vxpy {
namespace {

/* A contiguous byte view of any buffer object, released on every path. */
class Bytes {
public:
    explicit Bytes(py::handle obj)
    {
        if (PyUnicode_Check(obj.ptr())) throw py::type_error("murmur32 hashes bytes; encode the text first");
        if (PyObject_GetBuffer(obj.ptr(), &view_, PyBUF_SIMPLE) != 0) throw py::error_already_set();
    }
    ~Bytes() { PyBuffer_Release(&view_); }
    Bytes(const Bytes&) = delete;
    Bytes& operator=(const Bytes&) = delete;
    const void* data() const { return view_.buf; }
    size_t size() const { return static_cast<size_t>(view_.len); }

private:
    Py_buffer view_{};
};

/* 64-bit words from a uint64 array (used in place when contiguous), an
 * array of other non-negative integers, or a sequence of ints. */
py::array_t<uint64_t> words_of(py::handle words)
{
    using U64 = py::array_t<uint64_t, py::array::c_style>;
    if (py::isinstance<py::array>(words)) {
        py::array a = py::reinterpret_borrow<py::array>(words);
        const char kind = a.dtype().kind();
        if (kind != 'u' && kind != 'i') throw py::type_error("words must be integers, not " + a.dtype().attr("name").cast<std::string>());
        if (kind == 'i' && a.size() > 0 && py::bool_(a.attr("min")() < py::int_(0)))
            throw py::value_error("words must not be negative");
        return U64::ensure(a.attr("astype")("uint64", py::arg("copy") = false));
    }
    std::vector<uint64_t> v;
    for (py::handle w : py::reinterpret_borrow<py::iterable>(words)) v.push_back(as_u64(w, "a word"));
    U64 out(static_cast<py::ssize_t>(v.size()));
    std::copy(v.begin(), v.end(), out.mutable_data());
    return out;
}

int word_count(const py::array_t<uint64_t>& a)
{
    if (a.size() > INT_MAX) throw py::value_error("more than 2147483647 words");
    return static_cast<int>(a.size());
}

} // namespace
} // namespace vxpy

PYBIND11_MODULE(_vxalea, m)
{
    using namespace vxpy;
    using py::arg;
    m.doc() = "The vxalea module's engines and samplers on numpy arrays (see the vxalea package).";
    start_runtime();
    bind_stream(m);
    bind_bitgen(m);

    m.def("methods", &methods_list, R"(One dict per engine, as `vxalea methods --json` lists them (numbers as ints):
name, aliases, available (False: it cannot run on this machine), statistical
(False for the engines kept only for compatibility), label, bits (per raw
output), state_size and blob_size (bytes), has (capability bits), max_seed,
max_key; key_max and thread_max, the largest key and thread number the engine
keeps apart as substreams of their own (None: it takes none), and
thread_folded_into_key (its thread numbers share the key's word).)");

    m.def(
        "task_substream",
        [](const std::string& method, py::object experiment_seed, py::object task, py::object sub) {
            Ids ids = task_ids(engine(method), experiment_seed, task, sub);
            return py::make_tuple(ids.seed, ids.key, ids.thread);
        },
        arg("method"), arg("experiment_seed"), arg("task"), arg("sub") = 0,
        R"((seed, key, thread) of task `task` of an experiment: (experiment_seed,
task + 1, sub), checked as Stream.for_task checks it.)");

    m.def(
        "murmur32",
        [](py::object data, py::object seed) {
            uint64_t s = as_u64(seed, "seed");
            if (s > UINT32_MAX) throw py::value_error("the murmur32 seed is 32 bits (at most 0xffffffff)");
            Bytes b(data);
            if (b.size() > static_cast<size_t>(INT_MAX)) throw py::value_error("more than 2147483647 bytes");
            uint32_t h;
            {
                py::gil_scoped_release nogil;
                h = runtime().fn.zmurmur32(b.data(), static_cast<int>(b.size()), static_cast<uint32_t>(s));
            }
            return h;
        },
        arg("data"), arg("seed") = 0,
        "MurmurHash3_x86_32 of the bytes of `data` (bytes, bytearray, memoryview or a contiguous array), as "
        "`vxalea hash murmur32`.");
    m.def(
        "murmur128",
        [](py::object words, py::object seed) {
            uint64_t s = as_u64(seed, "seed");
            py::array_t<uint64_t> w = words_of(words);
            const int n = word_count(w);
            uint64_t h[2] = {0, 0};
            {
                py::gil_scoped_release nogil;
                runtime().fn.zmurmur128(w.data(), n, s, h);
            }
            return py::make_tuple(h[0], h[1]);
        },
        arg("words"), arg("seed") = 0,
        "The module's MurmurHash3 x64_128 of 64-bit words, as two ints (`vxalea hash murmur128 --words ...`).");
    m.def(
        "murmur64",
        [](py::object words, py::object seed) {
            uint64_t s = as_u64(seed, "seed");
            py::array_t<uint64_t> w = words_of(words);
            const int n = word_count(w);
            uint64_t h;
            {
                py::gil_scoped_release nogil;
                h = runtime().fn.zmurmur64(w.data(), n, s);
            }
            return h;
        },
        arg("words"), arg("seed") = 0,
        "The two halves of murmur128 XOR-ed (`vxalea hash murmur64 --words ...`).");
}
