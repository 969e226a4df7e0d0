#include "arrays.h"

#include <string>

#include "runtime.h"

namespace vxpy {

std::vector<py::ssize_t> shape_of(py::handle size)
{
    std::vector<py::ssize_t> shape;
    auto dim = [&](py::handle v) {
        uint64_t n = as_u64(v, "size");
        if (n > static_cast<uint64_t>(PY_SSIZE_T_MAX)) throw py::value_error("size " + std::to_string(n) + " is too large");
        shape.push_back(static_cast<py::ssize_t>(n));
    };
    /* An ndarray has __index__ too, but only a 0-d one is a single number. */
    const bool array = py::isinstance<py::array>(size) && py::reinterpret_borrow<py::array>(size).ndim() > 0;
    if (!array && PyIndex_Check(size.ptr())) {
        dim(size);
    } else if (py::isinstance<py::sequence>(size) && !py::isinstance<py::str>(size)) {
        for (py::handle v : py::reinterpret_borrow<py::sequence>(size)) dim(v);
    } else {
        throw py::type_error("size must be None, an int or a tuple of ints");
    }
    return shape;
}

Target<double> double_target(py::handle size, py::handle out)
{
    if (out.is_none()) return new_target<double>(size);
    if (!py::isinstance<py::array>(out)) throw py::type_error("out must be a numpy array of float64");
    py::array a = py::reinterpret_borrow<py::array>(out);
    const py::dtype dt = a.dtype();
    /* NPY_DOUBLE in the machine's byte order: the samplers write native doubles. */
    if (dt.num() != 12 || (dt.byteorder() != '=' && dt.byteorder() != '<'))
        throw py::value_error("out must have dtype float64 (native byte order), not " + dt.attr("name").cast<std::string>());
    if (!(a.flags() & py::array::c_style)) throw py::value_error("out must be C-contiguous");
    if (!a.writeable()) throw py::value_error("out is read-only");
    if (!size.is_none()) {
        std::vector<py::ssize_t> shape = shape_of(size);
        bool same = shape.size() == static_cast<size_t>(a.ndim());
        for (size_t i = 0; same && i < shape.size(); ++i) same = shape[i] == a.shape(static_cast<py::ssize_t>(i));
        if (!same)
            throw py::value_error("size " + std::string(py::str(py::repr(size))) + " does not match out.shape " +
                                  std::string(py::str(a.attr("shape"))));
    }
    Target<double> t;
    t.array_data = static_cast<double*>(a.mutable_data());
    t.n = static_cast<size_t>(a.size());
    t.array = a;
    return t;
}

} // namespace vxpy
