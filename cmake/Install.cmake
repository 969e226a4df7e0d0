# cmake --install: the module, the host library, the vxalea tool, the public
# headers under include/vxalea/, a CMake package (find_package(vxalea CONFIG)
# giving vxalea::module and vxalea::host) and a pkg-config file.
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
install(TARGETS vxalea RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# An installed program finds the module beside it in ../lib; when the library
# directory is another one (lib/<multiarch>), the host also tries that.
file(RELATIVE_PATH VXALEA_BINDIR_TO_LIBDIR /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
target_compile_definitions(vxhost PRIVATE VXHOST_BINDIR_TO_LIBDIR="${VXALEA_BINDIR_TO_LIBDIR}")

# Public headers, all under include/vxalea/: the C++ layer and the C umbrella
# from include/vxalea/, and beside them, as the tree has them, the module's
# headers that declare exported functions (nothing else: every function
# declared there is exported), the distribution list the layer's sampler
# members are made from (zmrslist.h, macros only) and the host's public
# interface.  The layer includes them relative to itself, so
# -I<prefix>/include is the whole flag.
file(GLOB VXALEA_PUBLIC_HEADERS ${PROJECT_SOURCE_DIR}/include/vxalea/*.h ${PROJECT_SOURCE_DIR}/include/vxalea/*.hpp)
install(FILES ${VXALEA_PUBLIC_HEADERS} DESTINATION ${VXALEA_INSTALL_HEADERS})
install(FILES ext/vxalea.h ext/vxalea_records.h DESTINATION ${VXALEA_INSTALL_HEADERS}/ext)
install(FILES mk/vxexport.h mk/vxhost.h mk/vxbind.h DESTINATION ${VXALEA_INSTALL_HEADERS}/mk)
install(FILES subs/zrand.h subs/zrng.h subs/zmurmur.h subs/zrngmsg.h subs/zrngseed.h subs/vxnls.h subs/vxnr.h subs/ztorvel.h
  subs/zmrslist.h DESTINATION ${VXALEA_INSTALL_HEADERS}/subs)
install(FILES host/vxhost_api.h DESTINATION ${VXALEA_INSTALL_HEADERS}/host)

# The installed layer's default module directory, written at install time so
# that it is the prefix given to `cmake --install --prefix`.
install(CODE "
  set(dir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}\")
  file(WRITE \"${PROJECT_BINARY_DIR}/installed_paths.h\"
    \"/* Written by cmake --install: where this installation keeps its module. */\\n\"
    \"#define VXALEA_INSTALLED_MODULE_DIR \\\"\${dir}\\\"\\n\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${VXALEA_INSTALL_HEADERS}\"
    TYPE FILE FILES \"${PROJECT_BINARY_DIR}/installed_paths.h\")
")

configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/cmake/vxaleaConfig.cmake.in
  ${PROJECT_BINARY_DIR}/vxaleaConfig.cmake
  INSTALL_DESTINATION ${VXALEA_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_BINDIR)
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

# Installs this build into a scratch prefix outside the build tree, then
# builds and runs consumers against it with no environment variable set:
# through the CMake package, through pkg-config from C and C++, and the
# installed tool; and checks that the installed headers declare exactly the
# module's exports.
if(VXALEA_BUILD_TESTS)
  add_test(NAME install_consumer
    COMMAND ${CMAKE_COMMAND}
      -DBUILD_DIR=${PROJECT_BINARY_DIR}
      -DCONSUMER_SOURCE=${PROJECT_SOURCE_DIR}/tests/install_consumer
      -DGENERATOR=${CMAKE_GENERATOR}
      -DCXX_COMPILER=${CMAKE_CXX_COMPILER}
      -DC_COMPILER=${CMAKE_C_COMPILER}
      -DSANITIZE=${VXALEA_SANITIZE}
      -DINCLUDEDIR=${CMAKE_INSTALL_INCLUDEDIR}
      -DLIBDIR=${CMAKE_INSTALL_LIBDIR}
      -DBINDIR=${CMAKE_INSTALL_BINDIR}
      -P ${PROJECT_SOURCE_DIR}/tests/install_consumer/run.cmake)
  set_tests_properties(install_consumer PROPERTIES TIMEOUT 600)
endif()
