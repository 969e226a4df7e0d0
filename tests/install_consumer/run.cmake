# Installs the build in BUILD_DIR into a scratch prefix, builds the consumer
# project against it with find_package and runs its programs, then builds the
# C++ consumer once more with the flags pkg-config gives.
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
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
  message(STATUS "${program}: ${out}")
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)
run("installing" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(flags)
if(SANITIZE)
  set(flags -DCMAKE_CXX_FLAGS=-fsanitize=${SANITIZE} -DCMAKE_C_FLAGS=-fsanitize=${SANITIZE}
            -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=${SANITIZE})
endif()
run("configuring the consumer" ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${SCRATCH}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_C_COMPILER=${C_COMPILER} ${flags})
run("building the consumer" ${CMAKE_COMMAND} --build ${SCRATCH}/build)
foreach(program consumer consumer_linked c_consumer)
  expect_ok(${SCRATCH}/build/${program})
endforeach()

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  file(GLOB_RECURSE pc ${prefix}/*/vxalea.pc)
  get_filename_component(pcdir "${pc}" DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} "${pcdir}")
  run("pkg-config --cflags" ${PKG_CONFIG} --cflags vxalea)
  separate_arguments(cflags UNIX_COMMAND "${out}")
  run("pkg-config --libs" ${PKG_CONFIG} --libs vxalea)
  separate_arguments(libs UNIX_COMMAND "${out}")
  run("pkg-config moduledir" ${PKG_CONFIG} --variable=moduledir vxalea)
  string(STRIP "${out}" moduledir)
  set(san)
  if(SANITIZE)
    set(san -fsanitize=${SANITIZE})
  endif()
  run("building with pkg-config flags" ${CXX_COMPILER} -std=c++20 ${san} ${cflags}
      "-DMODULE_DIR=\"${moduledir}\"" ${CONSUMER_SOURCE}/consumer.cpp -o ${SCRATCH}/pc_consumer ${libs})
  expect_ok(${SCRATCH}/pc_consumer)
endif()
