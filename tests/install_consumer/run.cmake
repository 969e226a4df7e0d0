# Installs the build in BUILD_DIR into a scratch prefix outside the build
# tree and uses it as a consumer would, with VXHOST_MODULE_PATH unset throughout.
function(run what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=VXHOST_MODULE_PATH ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_ok program)
  run("running ${program}" ${program})
  if(NOT out MATCHES "^ok")
    message(FATAL_ERROR "${program} printed: ${out}")
  endif()
endfunction()

string(MD5 tag "${BUILD_DIR}")
set(SCRATCH /tmp/vxalea_install_consumer_${tag})
file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)
run("installing" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(flags)
set(san)
if(SANITIZE)
  set(san -fsanitize=${SANITIZE})
  set(flags -DCMAKE_CXX_FLAGS=${san} -DCMAKE_C_FLAGS=${san} -DCMAKE_EXE_LINKER_FLAGS=${san})
endif()
# The CMake package: its programs, one of them also from another directory.
run("configuring the consumer" ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${SCRATCH}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_C_COMPILER=${C_COMPILER} ${flags})
run("building the consumer" ${CMAKE_COMMAND} --build ${SCRATCH}/build)
foreach(program consumer consumer_linked c_consumer)
  expect_ok(${SCRATCH}/build/${program})
endforeach()
file(COPY ${SCRATCH}/build/consumer DESTINATION ${SCRATCH}/elsewhere)
expect_ok(${SCRATCH}/elsewhere/consumer)

# The tool finds the module beside it.
run("running the installed tool" ${prefix}/${BINDIR}/vxalea raw --method MT64 --int-seed 5489 -n 1)
if(NOT out MATCHES "14514284786278117030")
  message(FATAL_ERROR "the installed tool printed: ${out}")
endif()

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} "${prefix}/${LIBDIR}/pkgconfig")
  run("pkg-config --cflags" ${PKG_CONFIG} --cflags vxalea)
  separate_arguments(cflags UNIX_COMMAND "${out}")
  run("pkg-config --libs" ${PKG_CONFIG} --libs vxalea)
  separate_arguments(libs UNIX_COMMAND "${out}")
  run("building C with pkg-config flags" ${C_COMPILER} ${san} ${cflags} ${CONSUMER_SOURCE}/c_consumer.c
      -o ${SCRATCH}/pc_c_consumer ${libs})
  expect_ok(${SCRATCH}/pc_c_consumer) # C: the flags must bring the host's C++ runtime along
endif()

# The module's dynamic symbols are its ABI: exactly these functions and the
# host handle, nothing from the C++ runtime, the engine template or the
# samplers' helpers, and no weak placeholder left standing.
set(abi Exported_VXHandle vxalea vxexp vxextent vxextver vxnrcget vxnrdget vxnrdset vxnrlget vxnrlimit vxnrlook
  vxnrlset vxnrstol vxnrtget vxnrtset vxpow vxvercn1 vxzGetTpFromUTF8 vxzGetTpToUTF8 vxzdttme zCharToVXChar
  zCompFromVXChar zCompToVXChar zLocaleh zSessCei zSessFromVXChar zSessToVXChar zln1px zlnSumOfExp zmrsCloneState32
  zmrsReset32 zmrsetp zmrsrnd zmurmur128 zmurmur32 zmurmur64 zpvnls zrand_alloc_vx zrand_check zrand_clone
  zrand_clone_vx zrand_crude zrand_init zrand_method zrand_rewind zrand_seed zrngd2i zrngi31 zrngi64 zrngmeth zrngmsg
  zrngt32 zrngt64 ztorvel)
foreach(d BERNOULLI BETA BINOMIAL CAUCHY CHISQUARE ERLANG EXPONENTIAL F GAMMA GEOMETRIC HYPERGEOMETRIC LOGNORMAL
    NEGBINOMIAL NORMAL POISSON T TABLE TRIANGLE UNIFORM WEIBULL)
  list(APPEND abi FillTheBuffer${d} GetOneVariate${d})
endforeach()
foreach(e FRY2X32 FRY2X64 FRY4X64 MH3 MT1998 MT32 MT64 MTHYBRID PCG32I PCG64I RDRAND SUBKEY32 SUBKEY64 TORVEL XOR1024
    XOR128 XOR4096 XOR64 XORGENS)
  list(APPEND abi zrnf${e})
endforeach()
function(expect_same what expected got)
  list(SORT expected)
  list(SORT got)
  if(NOT expected STREQUAL got)
    set(missing ${expected})
    list(REMOVE_ITEM missing ${got})
    set(extra ${got})
    list(REMOVE_ITEM extra ${expected})
    message(FATAL_ERROR "${what}:\n missing: ${missing}\n extra: ${extra}")
  endif()
endfunction()
run("listing the module's exports" nm -D --defined-only ${prefix}/${LIBDIR}/libvxalea.so)
string(REGEX MATCHALL "[^\n]+" symbols "${out}")
list(FILTER symbols INCLUDE REGEX " [A-Za-z] [A-Za-z_][A-Za-z0-9_]*$")
list(FILTER symbols EXCLUDE REGEX " __(asan|ubsan|tsan|odr_asan)") # sanitizer builds add their own
set(weak ${symbols})
list(FILTER weak INCLUDE REGEX " [WVwv] ")
if(weak)
  message(FATAL_ERROR "weak placeholders left standing: ${weak}")
endif()
list(TRANSFORM symbols REPLACE "^.* " "" OUTPUT_VARIABLE exported)
expect_same("the module's exports are not its ABI" "${abi}" "${exported}")

# Every function declared by the installed module headers is exported.  GCC's
# -aux-info lists each function a C translation unit declares, with its
# file; functions defined in a header (static inline helpers) are not part of
# the ABI.
set(include ${prefix}/${INCLUDEDIR})
find_program(GCC gcc)
if(GCC)
  file(WRITE ${SCRATCH}/abi.c "#include <vxalea/vxalea.h>\n")
  run("listing the declared functions" ${GCC} -fsyntax-only -I${include} -aux-info ${SCRATCH}/abi.txt
      ${SCRATCH}/abi.c)
  file(STRINGS ${SCRATCH}/abi.txt lines REGEX "^/\\* ${include}/vxalea/")
  set(declared)
  foreach(line IN LISTS lines)
    if(line MATCHES ":N?C \\*/" AND line MATCHES "([A-Za-z_][A-Za-z0-9_]*) \\(")
      list(APPEND declared ${CMAKE_MATCH_1})
    endif()
  endforeach()
  file(STRINGS ${include}/vxalea/mk/vxbind.h handle REGEX "extern VXHndlp Exported_VXHandle;")
  if(handle)
    list(APPEND declared Exported_VXHandle)
  endif()
  list(REMOVE_DUPLICATES declared)
  expect_same("the installed headers do not declare exactly the exports" "${exported}" "${declared}")
endif()

# The umbrella repeats the declarations of the numeric helpers, whose module
# header also carries internals; a difference would conflict here.
file(WRITE ${SCRATCH}/same.cpp "#include <vxalea/vxalea.h>\n#include \"subs/zln1px.h\"\n")
run("comparing the umbrella with the module's headers" ${CXX_COMPILER} -std=c++20 -fsyntax-only -I${include}
    -I${CONSUMER_SOURCE}/../.. ${SCRATCH}/same.cpp)

# Below C++20 the layer says so once and goes no further.
file(WRITE ${SCRATCH}/old.cpp "#include <vxalea/vxalea.hpp>\nint main() { return 0; }\n")
execute_process(COMMAND ${CXX_COMPILER} -std=c++17 -fsyntax-only -I${include} ${SCRATCH}/old.cpp
  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE err_out)
string(REGEX MATCHALL "error:" errors "${err}${err_out}")
list(LENGTH errors nerrors)
if(rc EQUAL 0 OR NOT nerrors EQUAL 1 OR NOT err MATCHES "needs C\\+\\+20")
  message(FATAL_ERROR "compiling the layer as C++17 gave:\n${err}${err_out}")
endif()

file(REMOVE_RECURSE ${SCRATCH})
