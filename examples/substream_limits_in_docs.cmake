# Fails when the table between the markers of DOC is not what EXAMPLE prints
# now, so that the guide cannot fall behind the engines' descriptors.
execute_process(COMMAND ${EXAMPLE} OUTPUT_VARIABLE table ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit ${rc}\n${err}")
endif()
file(READ ${DOC} doc)
string(REGEX MATCH "<!-- substream table begin[^\n]*-->\n(.*)<!-- substream table end -->" found "${doc}")
if(NOT found)
  message(FATAL_ERROR "${DOC} has no substream table between markers")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL table)
  message(FATAL_ERROR "${DOC} is out of date; put this table between its markers:\n${table}")
endif()
