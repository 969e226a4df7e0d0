#ifndef VXALEA_PYTHON_BIND_H
#define VXALEA_PYTHON_BIND_H

#include <pybind11/pybind11.h>

namespace vxpy {

void bind_stream(pybind11::module_& m);
void bind_bitgen(pybind11::module_& m);

} // namespace vxpy

#endif
