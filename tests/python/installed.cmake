# Installs the build into a scratch prefix and imports the package from
# there, in a directory outside the build: the extension must find the
# prefix's libvxalea.so by itself, with no environment variable.
# By component, the package and the rest (the module): each writes a
# manifest of its own, so this runs beside other tests that install the build.
file(REMOVE_RECURSE ${PREFIX})
foreach(component python Unspecified)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} --component ${component}
    RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install --component ${component} failed (${rc})")
  endif()
endforeach()
set(check [=[
import sys, vxalea
prefix = sys.argv[1]
assert vxalea.__file__.startswith(prefix), vxalea.__file__
assert vxalea.Stream("MT32", seed=5489).raw(3).tolist() == [3499211612, 581869302, 3890346734]
maps = [line.split()[-1] for line in open("/proc/self/maps") if line.rstrip().endswith("libvxalea.so")]
assert maps and all(m.startswith(prefix) for m in maps), maps
print("vxalea from", vxalea.__file__, "module", maps[0])
]=])
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=VXHOST_MODULE_PATH PYTHONPATH=${PREFIX}/${PACKAGE_DIR}
    ${PYTHON} -c "${check}" ${PREFIX}
  WORKING_DIRECTORY ${PREFIX}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the installed package did not import and draw (${rc})")
endif()
