# cmake --install: the module, the host library, the public headers under
# include/vxalea/, a CMake package (find_package(vxalea CONFIG) giving
# vxalea::module and vxalea::host) and a pkg-config file.
#
# The package's targets are written by hand rather than exported: the build
# targets carry the source tree as their include directory, and the module
# is meant to be loaded through the host at run time rather than linked.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VXALEA_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/vxalea)
set(VXALEA_INSTALL_HEADERS ${CMAKE_INSTALL_INCLUDEDIR}/vxalea)

install(TARGETS vxalea_module LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS vxhost ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The C headers keep their relative includes, so they go in as the tree has
# them, beside the C++ layer: <vxalea/vxalea.hpp>, and with include/vxalea
# on the path also "subs/zrand.h" as inside the project.
install(FILES ext/vxalea.h ext/vxalea_tasks.h DESTINATION ${VXALEA_INSTALL_HEADERS}/ext)
file(GLOB VXALEA_MK_HEADERS ${PROJECT_SOURCE_DIR}/mk/*.h)
install(FILES ${VXALEA_MK_HEADERS} DESTINATION ${VXALEA_INSTALL_HEADERS}/mk)
install(FILES subs/zrand.h subs/zrng.h subs/zmurmur.h DESTINATION ${VXALEA_INSTALL_HEADERS}/subs)
install(FILES host/vxhost_api.h DESTINATION ${VXALEA_INSTALL_HEADERS}/host)
install(FILES include/vxalea/vxalea.hpp DESTINATION ${VXALEA_INSTALL_HEADERS})

configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/cmake/vxaleaConfig.cmake.in
  ${PROJECT_BINARY_DIR}/vxaleaConfig.cmake
  INSTALL_DESTINATION ${VXALEA_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/vxaleaConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vxaleaConfig.cmake ${PROJECT_BINARY_DIR}/vxaleaConfigVersion.cmake
  DESTINATION ${VXALEA_INSTALL_CMAKEDIR})

# The pkg-config file finds the prefix from its own place, so it holds for
# whatever prefix `cmake --install --prefix` is given (and for a moved tree).
file(RELATIVE_PATH VXALEA_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" VXALEA_PC_TO_PREFIX "${VXALEA_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/vxalea.pc.in ${PROJECT_BINARY_DIR}/vxalea.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vxalea.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Installs this build into a scratch prefix and builds and runs a consumer
# against it, once through the CMake package and once through pkg-config.
if(VXALEA_BUILD_TESTS)
  add_test(NAME install_consumer
    COMMAND ${CMAKE_COMMAND}
      -DBUILD_DIR=${PROJECT_BINARY_DIR}
      -DSCRATCH=${PROJECT_BINARY_DIR}/install_consumer
      -DCONSUMER_SOURCE=${PROJECT_SOURCE_DIR}/tests/install_consumer
      -DGENERATOR=${CMAKE_GENERATOR}
      -DCXX_COMPILER=${CMAKE_CXX_COMPILER}
      -DC_COMPILER=${CMAKE_C_COMPILER}
      -DSANITIZE=${VXALEA_SANITIZE}
      -P ${PROJECT_SOURCE_DIR}/tests/install_consumer/run.cmake)
  set_tests_properties(install_consumer PROPERTIES TIMEOUT 600)
endif()
