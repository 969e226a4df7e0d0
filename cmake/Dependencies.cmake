# Third-party packages, all from Debian: Random123 and pcg-cpp are header-only
# and used from their system install; GoogleTest, Google Benchmark, GSL and
# Boost.Math serve the tests and benchmarks only.

find_path(RANDOM123_INCLUDE_DIR Random123/threefry.h REQUIRED)
add_library(vxalea_random123 INTERFACE)
target_include_directories(vxalea_random123 SYSTEM INTERFACE ${RANDOM123_INCLUDE_DIR})
add_library(vxalea::random123 ALIAS vxalea_random123)

find_path(PCG_INCLUDE_DIR pcg_random.hpp)
find_package(GTest QUIET)
find_package(benchmark QUIET)
find_package(GSL QUIET)
find_package(Boost QUIET)
