/* Where drawn values go: one Python number for size=None, a new array of
 * the shape size names, or the caller's own array (out=), filled in place. */
#ifndef VXALEA_PYTHON_ARRAYS_H
#define VXALEA_PYTHON_ARRAYS_H

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <vector>

namespace vxpy {

namespace py = pybind11;

template <class T>
struct Target {
    bool scalar = false;
    T one{};              /* the value when scalar */
    T* array_data = nullptr;
    size_t n = 0;
    py::object array;     /* what is returned when not scalar */

    /* The n values, C order (a Target may be moved, so not kept as a pointer). */
    T* data() { return scalar ? &one : array_data; }

    py::object result() const
    {
        if (!scalar) return array;
        if constexpr (std::is_floating_point_v<T>)
            return py::float_(one);
        else
            return py::int_(one);
    }
};

/* size: None, an int or a sequence of ints.  Negative sizes are refused. */
std::vector<py::ssize_t> shape_of(py::handle size);

/* out must be a writeable, C-contiguous array of native float64; with size
 * given as well, of that shape. */
Target<double> double_target(py::handle size, py::handle out);

template <class T>
Target<T> new_target(py::handle size)
{
    Target<T> t;
    if (size.is_none()) {
        t.scalar = true;
        t.n = 1;
        return t;
    }
    py::array_t<T> a(shape_of(size));
    t.array_data = a.mutable_data();
    t.n = static_cast<size_t>(a.size());
    t.array = std::move(a);
    return t;
}

} // namespace vxpy

#endif
