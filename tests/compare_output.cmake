# Runs COMMAND (a list) and fails unless its standard output equals the file
# EXPECTED; the difference is shown.
execute_process(COMMAND ${COMMAND} OUTPUT_VARIABLE got RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${COMMAND} failed: ${rc}")
endif()
file(READ ${EXPECTED} want)
if(NOT got STREQUAL want)
  string(RANDOM LENGTH 8 tag)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/regenerated-${tag})
  file(WRITE ${out} "${got}")
  execute_process(COMMAND diff -u ${EXPECTED} ${out})
  message(FATAL_ERROR "output differs from ${EXPECTED} (written to ${out})")
endif()
