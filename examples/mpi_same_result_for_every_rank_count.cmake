# Runs the MPI example on 1, 2 and 4 ranks for one experiment seed and fails
# unless every run printed the same result; another seed must change it.
# The machine may have fewer cores than ranks, which Open MPI refuses unless
# told, and it refuses root unless told (containers and CI often run as root).
set(flags ${PREFLAGS})
if(OPEN_MPI)
  list(APPEND flags --oversubscribe)
  execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(uid STREQUAL "0")
    list(APPEND flags --allow-run-as-root)
  endif()
endif()

function(run ranks seed)
  execute_process(COMMAND ${MPIEXEC} ${NP_FLAG} ${ranks} ${flags} ${EXAMPLE} ${seed}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ranks} ranks, seed ${seed}: exit ${rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

foreach(ranks 1 2 4)
  run(${ranks} ${SEED})
  message(STATUS "${ranks} ranks:\n${out}")
  if(ranks EQUAL 1)
    set(reference "${out}")
  elseif(NOT out STREQUAL reference)
    message(FATAL_ERROR "${ranks} ranks printed\n${out}\n1 rank printed\n${reference}")
  endif()
endforeach()
math(EXPR other "${SEED} + 1")
run(4 ${other})
message(STATUS "4 ranks, seed ${other}:\n${out}")
# The first line names the seed; the prices must differ too.
string(REGEX MATCH "\nasian call [^ ]+" price "${reference}")
string(REGEX MATCH "\nasian call [^ ]+" other_price "${out}")
if(NOT price OR other_price STREQUAL price)
  message(FATAL_ERROR "seed ${other} gave the price of seed ${SEED}:${price}")
endif()
